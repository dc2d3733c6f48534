// upload_probe ADDRESS PROJECT [LATER_MS]
// Submits the project file to the address through the submission library
// alone, and prints "result CODE", "message TEXT" for each of the library's
// boxes (left open), "elapsed MS": how long the call took, and "peak KIB":
// the highest resident memory from just before the call to its return, of
// this program alone (the kernel's high-water mark, reset before the call;
// it is never that of the process that started this one). It also prints
// the resident memory ("rss"), the threads nobody named (the main thread's
// name is inherited by those of the library and of libcurl; Qt names its
// own) and the open TCP sockets, before the call, at its return and, with
// LATER_MS, that long after it while the event loop runs: what the call
// leaves behind.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QSet>
#include <QThread>
#include <cstdio>
#include <unistd.h>

#include "uplinkmfc.h"

namespace {

// A "Name:   1234 kB" line of /proc/self/status.
long statusValue(const char *name_)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(name_) && line.size() > qsizetype(qstrlen(name_)) && line[qstrlen(name_)] == ':')
            return line.mid(qsizetype(qstrlen(name_)) + 1).trimmed().split(' ').value(0).toLong();
    return -1;
}

QByteArray fileText(const QString &path_)
{
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Threads other than the main one that carry its name.
int unnamedThreads()
{
    const QByteArray name = fileText(QStringLiteral("/proc/self/comm"));
    int count = 0;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        count += fileText(QStringLiteral("/proc/self/task/%1/comm").arg(task)) == name;
    return count - 1;
}

// Open file descriptors that are TCP sockets of this process.
int tcpSockets()
{
    QSet<QByteArray> inodes;
    for (const char *table : {"/proc/self/net/tcp", "/proc/self/net/tcp6"})
        for (const QByteArray &line : fileText(QString::fromLatin1(table)).split('\n').mid(1))
            if (const QList<QByteArray> fields = line.simplified().split(' '); fields.size() > 9)
                inodes.insert(fields[9]);
    int count = 0;
    for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                                             QDir::System)) {
        char target[64] = {};
        const ssize_t length =
            readlink(QFile::encodeName(QStringLiteral("/proc/self/fd/") + fd).constData(), target, sizeof target - 1);
        const QByteArray link(target, length > 0 ? qsizetype(length) : 0);
        if (link.startsWith("socket:[") && link.endsWith(']') && inodes.contains(link.mid(8).chopped(1)))
            ++count;
    }
    return count;
}

void printState(const char *when_)
{
    std::printf("rss %s %ld\nthreads %s %d\nsockets %s %d\n", when_, statusValue("VmRSS"), when_, unnamedThreads(),
                when_, tcpSockets());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv(uplinkNoWaitVariable, "1");
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: upload_probe ADDRESS PROJECT [LATER_MS]\n");
        return 2;
    }
    printState("before");
    // "5" resets the high-water mark of resident memory to what is resident now.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        std::fprintf(stderr, "upload_probe: the peak is that of the whole run\n");
    clearRefs.close();
    QElapsedTimer clock;
    clock.start();
    const int result = IC_submitFile(argv[1], argv[2], 2, nullptr);
    const qint64 elapsedMs = clock.elapsed();
    std::printf("peak %ld\n", statusValue("VmHWM"));
    printState("after");
    std::printf("result %d\n", result);
    std::printf("elapsed %lld\n", static_cast<long long>(elapsedMs));
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->objectName() == QLatin1String("UplinkMessage"))
            std::printf("message %s\n", qPrintable(box->text().replace(QLatin1Char('\n'), QLatin1String("\\n"))));
    if (argc == 4) {
        QElapsedTimer later;
        later.start();
        while (later.elapsed() < QByteArray(argv[3]).toLongLong()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        printState("later");
    }
    return 0;
}
