// The largest pictures accepted, as reference pictures, in a process of
// their own: the start, the Image Quality tab and one picture viewer.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdio>
#include <ostream>

#include "picturefile.h"
#include "bmpfile.h"
#include "imagebuilder.h"
#include "item_bytes.h"
#include "plainpng.h"

namespace {

constexpr int largestSide = 8192;
static_assert(quint64(largestSide) * largestSide == largestPicturePixels);
constexpr QRgb referenceColour = qRgb(0x80, 0x80, 0x80);
constexpr QRgb projectColour = qRgb(0x12, 0x34, 0x56);

// A 24-bit BMP of one colour, written a row at a time: 192 MiB on disk.
bool writePlainBmp(const QString &path_, int side_, QRgb colour_)
{
    bmpfile::Layout layout;
    layout.width = side_;
    layout.height = side_;
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bmpfile::file(layout, QByteArray())) < 0)
        return false;
    QByteArray row(side_ * 3, '\0');
    for (int x = 0; x < side_; ++x) {
        row[3 * x] = char(qBlue(colour_));
        row[3 * x + 1] = char(qGreen(colour_));
        row[3 * x + 2] = char(qRed(colour_));
    }
    for (int y = 0; y < side_; ++y)
        if (file.write(row) != row.size())
            return false;
    return true;
}

struct Scenario {
    const char *name;
    QStringList viewers;   // what each viewer opened shows
    QStringList pixels;    // the first pixel after each combination
    QStringList messages;  // every box, in order
    long limitMib;
};

void PrintTo(const Scenario &scenario_, std::ostream *out_)
{
    *out_ << scenario_.name;
}

class PictureMemory : public ::testing::TestWithParam<Scenario> {
protected:
    static void SetUpTestSuite()
    {
        work = new QTemporaryDir;
        ASSERT_TRUE(work->isValid());
        const QString reference = work->filePath("program/Quality/Reference");
        ASSERT_TRUE(QDir().mkpath(reference));
        // Each is some 200 kB on disk and 256 MiB as pixels.
        const QString kinds[] = {"T", "I", "A"};
        const QRgb colours[] = {qRgb(0x20, 0x40, 0x60), referenceColour, qRgb(0x10, 0xA0, 0x10)};
        for (int k = 0; k < 3; ++k) {
            const QString first = reference + "/IQ01" + kinds[k] + "_Reference.PNG";
            ASSERT_TRUE(writePlainPng(first, largestSide, largestSide, colours[k]));
            for (int n = 2; n <= 4; ++n)
                ASSERT_TRUE(QFile::copy(first, reference + QString("/IQ0%1").arg(n) + kinds[k] + "_Reference.PNG"));
        }
        ASSERT_TRUE(QFile::copy(QStringLiteral(SCORVISTA_SAMPLES "/sample-machines.prb"), work->filePath("sample-machines.prb")));
        // A project whose screenshot of the first test, and its thumbnail, is one BMP of the largest size.
        ASSERT_TRUE(writePlainBmp(work->filePath("shot.bmp"), largestSide, projectColour));
        const Bytes project = image::build(cat({image::basicItems("Big Shots"), stringItem(240, "shot.bmp"), stringItem(244, "shot.bmp")}));
        QFile file(work->filePath("big.prp"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(project.data()), qint64(project.size()));
    }
    static void TearDownTestSuite()
    {
        delete work;
        work = nullptr;
    }
    static QTemporaryDir *work;
};

QTemporaryDir *PictureMemory::work = nullptr;

TEST_P(PictureMemory, TheLargestPicturesAreUsedWithinTheLimit)
{
    const Scenario &scenario = GetParam();
    // A home of its own: no settings or file associations of the user.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString home = work->filePath("home");
    const QString runtime = work->filePath("run");
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
    helper.start(QStringLiteral(SCORVISTA_PICTURE_MEMORY_HELPER),
                 {work->filePath("program"), work->filePath("sample-machines.prb"), scenario.name, work->filePath("big.prp")});
    ASSERT_TRUE(helper.waitForStarted());
    const bool finished = helper.waitForFinished(240000);
    if (!finished)
        helper.kill();
    const QStringList lines = QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_TRUE(finished) << lines.join('\n').toStdString();
    EXPECT_EQ(helper.exitCode(), 0) << lines.join('\n').toStdString() << helper.readAllStandardError().toStdString();
    long peak = -1;
    QStringList messages, viewers, pixels;
    for (const QString &line : lines) {
        if (line.startsWith("peak-kib "))
            peak = line.mid(9).toLong();
        else if (line.startsWith("message "))
            messages << line.mid(8);
        else if (line.startsWith("viewer "))
            viewers << line.mid(7);
        else if (line.startsWith("pixel "))
            pixels << line.mid(6);
    }
    EXPECT_EQ(messages, scenario.messages) << messages.join('\n').toStdString();
    // The viewers show the full-size pictures, not the thumbnails.
    EXPECT_EQ(viewers, scenario.viewers);
    EXPECT_EQ(pixels, scenario.pixels);
    ASSERT_GT(peak, 0);
    RecordProperty("peak_kib", static_cast<int>(peak));
    EXPECT_LT(peak, scenario.limitMib * 1024) << "peak " << peak / 1024 << " MiB";
    std::printf("%s: peak %ld MiB\n", scenario.name, peak / 1024);
}

const QString largest = QString("%1 %1").arg(largestSide);
const QString quarter = "Maximum zoom for this picture size is 25 %";

// The start, the Image Quality tab and one viewer; a copy combined with the
// picture it came from, then another viewer; a project's BMP combined with
// the reference as it is read.
INSTANTIATE_TEST_SUITE_P(
    Largest, PictureMemory,
    ::testing::Values(Scenario{"view", {largest}, {}, {quarter}, 600},
                      Scenario{"copy-xor", {largest, largest}, {"000000"}, {quarter, quarter}, 900},
                      Scenario{"project-xor", {largest}, {QString::number((projectColour ^ referenceColour) & 0xFFFFFF, 16).rightJustified(6, '0')}, {quarter}, 900}),
    [](const ::testing::TestParamInfo<Scenario> &info) { return QString(info.param.name).remove('-').toStdString(); });

} // namespace
