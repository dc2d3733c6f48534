// entry_helper INSTANCE SERVE [ARGUMENT...]
// Runs the entry's decision for the arguments under the instance name.
// Exit 0: a running copy took the command line ("handed-over"). Exit 3: an
// own copy ("own ..." with its flags); it then serves SERVE hand-overs
// ("received TEXT" each) for at most ten seconds.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "entry.h"
#include "modes.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    TInstanceServer server(arguments.at(1));
    const int serve = arguments.at(2).toInt();
    const TEntryStart start = StartEntry(arguments.mid(3), server, 5000);
    if (start.handedOver) {
        std::printf("handed-over\n");
        return 0;
    }
    std::printf("own listening=%d debug=%d submit=%d hw=%d startup=%s\n", server.isListening(), gDebugMode,
                gSubmitMode, gHwUpgradeMode, qPrintable(gStartupFile));
    std::fflush(stdout);
    if (serve > 0 && server.isListening()) {
        int received = 0;
        server.attachReceiver(&app, [&](const QString &text) {
            std::printf("received %s\n", qPrintable(text));
            std::fflush(stdout);
            if (++received == serve)
                QTimer::singleShot(0, &app, &QCoreApplication::quit);
        });
        QTimer::singleShot(10000, &app, &QCoreApplication::quit);
        app.exec();
    }
    return 3;
}
