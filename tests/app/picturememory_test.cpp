// The largest pictures accepted, as reference pictures, in a process of
// their own: the start, the Image Quality tab and one picture viewer.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdio>

#include "picturefile.h"
#include "plainpng.h"

namespace {

constexpr int largestSide = 8192;
static_assert(quint64(largestSide) * largestSide == largestPicturePixels);

TEST(PictureMemory, TheLargestReferencePicturesStayUnder600MiB)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString reference = work.filePath("program/Quality/Reference");
    ASSERT_TRUE(QDir().mkpath(reference));
    // Each is some 200 kB on disk and 256 MiB as pixels.
    const QString kinds[] = {"T", "I", "A"};
    const QRgb colours[] = {qRgb(0x20, 0x40, 0x60), qRgb(0x80, 0x80, 0x80), qRgb(0x10, 0xA0, 0x10)};
    for (int k = 0; k < 3; ++k) {
        const QString first = reference + "/IQ01" + kinds[k] + "_Reference.PNG";
        ASSERT_TRUE(writePlainPng(first, largestSide, largestSide, colours[k]));
        for (int n = 2; n <= 4; ++n)
            ASSERT_TRUE(QFile::copy(first, reference + QString("/IQ0%1").arg(n) + kinds[k] + "_Reference.PNG"));
    }
    const QString database = work.filePath("sample-machines.prb");
    ASSERT_TRUE(QFile::copy(QStringLiteral(SCORVISTA_SAMPLES "/sample-machines.prb"), database));

    // A home of its own: no settings or file associations of the user.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString home = work.filePath("home");
    const QString runtime = work.filePath("run");
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", home + "/.config");
    environment.insert("XDG_DATA_HOME", home + "/.local/share");
    environment.insert("XDG_CACHE_HOME", home + "/.cache");
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess helper;
    helper.setProcessEnvironment(environment);
    helper.setProcessChannelMode(QProcess::SeparateChannels);
    helper.start(QStringLiteral(SCORVISTA_PICTURE_MEMORY_HELPER), {work.filePath("program"), database});
    ASSERT_TRUE(helper.waitForStarted());
    const bool finished = helper.waitForFinished(240000);
    if (!finished)
        helper.kill();
    const QStringList lines = QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_TRUE(finished) << lines.join('\n').toStdString();
    EXPECT_EQ(helper.exitCode(), 0) << lines.join('\n').toStdString() << helper.readAllStandardError().toStdString();
    long peak = -1;
    QStringList messages;
    QString viewer;
    for (const QString &line : lines) {
        if (line.startsWith("peak-kib "))
            peak = line.mid(9).toLong();
        else if (line.startsWith("message "))
            messages << line.mid(8);
        else if (line.startsWith("viewer "))
            viewer = line.mid(7);
    }
    // The viewer says that a picture this wide is shown at a quarter; nothing failed.
    EXPECT_EQ(messages, QStringList{"Maximum zoom for this picture size is 25 %"}) << messages.join('\n').toStdString();
    // The viewer shows the full-size picture, not the thumbnail.
    EXPECT_EQ(viewer, QString("%1 %1").arg(largestSide));
    ASSERT_GT(peak, 0);
    RecordProperty("peak_kib", static_cast<int>(peak));
    EXPECT_LT(peak, 600 * 1024) << "peak " << peak / 1024 << " MiB";
    std::printf("peak %ld MiB\n", peak / 1024);
}

} // namespace
