// upload_probe ADDRESS PROJECT
// Submits the project file to the address through the submission library
// alone, and prints "result CODE", "message TEXT" for each of the library's
// boxes (left open), "elapsed MS": how long the call took, and "peak KIB":
// the process's peak resident memory, so that of one upload and little else.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <cstdio>
#include <sys/resource.h>

#include "uplinkmfc.h"

int main(int argc, char **argv)
{
    qputenv(uplinkNoWaitVariable, "1");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: upload_probe ADDRESS PROJECT\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const int result = IC_submitFile(argv[1], argv[2], 2, nullptr);
    const qint64 elapsedMs = clock.elapsed();
    std::printf("result %d\n", result);
    std::printf("elapsed %lld\n", static_cast<long long>(elapsedMs));
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->objectName() == QLatin1String("UplinkMessage"))
            std::printf("message %s\n", qPrintable(box->text().replace(QLatin1Char('\n'), QLatin1String("\\n"))));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak %ld\n", usage.ru_maxrss);
    return 0;
}
