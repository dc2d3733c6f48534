#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <memory>

#include "MessageSink.h"
#include "qtappservices.h"
#include "application.h"
#include "entry.h"
#include "uMainForm.h"
#include "uexception.h"

int main(int argc, char **argv)
{
    std::unique_ptr<TApplication> app;
    try {
        // The application first: it takes its own options (-platform ...)
        // out of the arguments before they are read as a command line.
        app = std::make_unique<TApplication>(argc, argv);
        TInstanceServer server;
        const TEntryStart start = StartEntry(QCoreApplication::arguments().mid(1), server);
        if (start.handedOver)
            return 0;

        TQtAppServices services;
        // What arrives while the main window is still being built (its
        // message boxes serve the socket) waits in the server until the
        // window's list takes it.
        TFMainForm main;
        // Before the window shows: the start-up file may end a submission
        // run, which must see the files that are still to come.
        if (TPendingFiles *files = main.pendingFiles())
            files->takeHandOvers(server);
        main.show();
        return app->exec();
    } catch (...) {
        const QString message = DescribeException(std::current_exception()).message;
        if (app)
            ShowMessage(message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(message));
        return 0;
    }
}
