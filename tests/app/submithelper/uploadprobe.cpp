// upload_probe ADDRESS PROJECT
// Submits the project file to the address through the submission library
// alone, and prints "result CODE", "message TEXT" for each of the library's
// boxes (left open), "elapsed MS": how long the call took, and "peak KIB":
// the process's peak resident memory, so that of one upload and little else.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <cstdio>

#include "uplinkmfc.h"

// This program's own peak: the kernel's resource count keeps the peak of the
// process that started it across the exec, so a large test run would show.
long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

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
    std::printf("peak %ld\n", peakKiB());
    return 0;
}
