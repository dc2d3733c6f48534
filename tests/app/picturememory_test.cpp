// The largest pictures accepted, as reference pictures, in a process of
// their own: the start, the Image Quality tab and one picture viewer.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <zlib.h>
#include <cstdio>
#include <ostream>

#include "picturefile.h"
#include "bmpfile.h"
#include "imagebuilder.h"
#include "item_bytes.h"
#include "jpegfile.h"
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

// What the helper printed, by kind.
struct HelperOutput {
    bool finished = false;
    int exitCode = -1;
    QString all; // every line, for a failure's message
    QStringList messages, viewers, pixels;
    long peakKib = -1;
    long tabMs = -1;
    long tabCpuMs = -1;
};

// The helper in a home of its own: no settings or file associations of the user.
HelperOutput runHelper(const QTemporaryDir &work_, const QString &programFolder_, const QString &database_,
                       const QString &scenario_, const QString &project_)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString home = work_.filePath("home");
    const QString runtime = work_.filePath("run");
    HelperOutput out;
    if (!QDir().mkpath(home) || !QDir().mkpath(runtime))
        return out;
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
    helper.start(QStringLiteral(SCORVISTA_PICTURE_MEMORY_HELPER), {programFolder_, database_, scenario_, project_});
    if (!helper.waitForStarted())
        return out;
    out.finished = helper.waitForFinished(240000);
    if (!out.finished)
        helper.kill();
    const QStringList lines = QString::fromLocal8Bit(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    out.exitCode = out.finished && helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
    out.all = lines.join('\n') + '\n' + QString::fromLocal8Bit(helper.readAllStandardError());
    for (const QString &line : lines) {
        if (line.startsWith("peak-kib "))
            out.peakKib = line.mid(9).toLong();
        else if (line.startsWith("tab-ms "))
            out.tabMs = line.mid(7).toLong();
        else if (line.startsWith("tab-cpu-ms "))
            out.tabCpuMs = line.mid(11).toLong();
        else if (line.startsWith("message "))
            out.messages << line.mid(8);
        else if (line.startsWith("viewer "))
            out.viewers << line.mid(7);
        else if (line.startsWith("pixel "))
            out.pixels << line.mid(6);
    }
    return out;
}

TEST_P(PictureMemory, TheLargestPicturesAreUsedWithinTheLimit)
{
    const Scenario &scenario = GetParam();
    const HelperOutput out = runHelper(*work, work->filePath("program"), work->filePath("sample-machines.prb"),
                                       scenario.name, work->filePath("big.prp"));
    ASSERT_TRUE(out.finished) << out.all.toStdString();
    EXPECT_EQ(out.exitCode, 0) << out.all.toStdString();
    EXPECT_EQ(out.messages, scenario.messages) << out.messages.join('\n').toStdString();
    // The viewers show the full-size pictures, not the thumbnails.
    EXPECT_EQ(out.viewers, scenario.viewers);
    EXPECT_EQ(out.pixels, scenario.pixels);
    ASSERT_GT(out.peakKib, 0);
    RecordProperty("peak_kib", static_cast<int>(out.peakKib));
    EXPECT_LT(out.peakKib, scenario.limitMib * 1024) << "peak " << out.peakKib / 1024 << " MiB";
    std::printf("%s: peak %ld MiB\n", scenario.name, out.peakKib / 1024);
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

// Pictures a project from someone else may name: each bounded by what the
// reader does, not by what the file claims.

bool writeBytes(const QString &path_, const QByteArray &bytes_)
{
    QFile file(path_);
    return file.open(QIODevice::WriteOnly) && file.write(bytes_) == bytes_.size();
}

// The program's folder in work_ with small reference pictures, so only a
// project's pictures cost anything.
bool writeSmallReferenceSets(const QTemporaryDir &work_)
{
    const QString reference = work_.filePath("program/Quality/Reference");
    if (!QDir().mkpath(reference))
        return false;
    for (int n = 1; n <= 4; ++n)
        for (const char *kind : {"T", "I", "A"})
            if (!writePlainPng(reference + QString("/IQ0%1%2_Reference.PNG").arg(n).arg(kind), 40, 30, referenceColour))
                return false;
    return true;
}

// A BMP of 1 x 1 pixels whose 8,421,505 moves of 255 columns (33 MB) would
// carry a column counted in an int past 2^31, followed by indexes as they are.
QByteArray wrappingRuns()
{
    QByteArray runs;
    runs.reserve(8421505 * 4 + 8);
    for (int i = 0; i < 8421505; ++i)
        runs.append("\x00\x02\xff\x00", 4);
    runs.append("\x00\x03\x01\x02\x03\x00\x00\x01", 8);
    return bmpfile::file({40, 1, 1, 8, bmpfile::Rle8, {}, {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9), qRgb(10, 11, 12)}},
                         runs);
}

// An SVG drawing that gzip makes 1 MB of and that inflates to 1 GiB,
// written as it is compressed.
bool writeSvgz(const QString &path_)
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    const QByteArray head = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8192\" height=\"8192\"><!--";
    const QByteArray blanks(1 << 20, ' ');
    QByteArray out(1 << 20, '\0');
    bool ok = true;
    const auto put = [&](const QByteArray &in_, int flush_) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in_.constData()));
        stream.avail_in = uInt(in_.size());
        do {
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, flush_);
            ok = ok && file.write(out.constData(), out.size() - qint64(stream.avail_out)) >= 0;
        } while (stream.avail_out == 0);
    };
    put(head, Z_NO_FLUSH);
    for (int i = 0; i < 1024; ++i)
        put(blanks, Z_NO_FLUSH);
    put("--></svg>", Z_FINISH);
    deflateEnd(&stream);
    return ok;
}

// A small PNG with 3,000 zTXt chunks (24 MB), each inflating to 8 MiB.
bool writeInflatingTexts(const QString &path_)
{
    if (!writePlainPng(path_, 64, 48, qRgb(0x20, 0x40, 0x60)))
        return false;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray plain = file.readAll();
    file.close();
    const QByteArray text = pngChunk("zTXt", QByteArray("Comment\0\0", 9) + qCompress(QByteArray(8 << 20, ' '), 9).mid(4));
    QByteArray texts;
    texts.reserve(text.size() * 3000);
    for (int i = 0; i < 3000; ++i)
        texts += text;
    return writeBytes(path_, withChunksAfterHeader(plain, texts));
}

// A project whose picture of each test is one of them: a BMP whose runs
// wrap an int, an SVGZ that inflates to 1 GiB, a PNG of 3,000 zTXt chunks,
// a baseline JPEG of a camera's 5000 x 3750 pixels. The program stays
// alive and within bounds, says what it refused, and the JPEG's cell opens
// a viewer with its picture.
TEST(HostilePictures, AProjectOfThemIsShownAndItsJpegOpens)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    ASSERT_TRUE(writeSmallReferenceSets(work));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SCORVISTA_SAMPLES "/sample-machines.prb"), work.filePath("sample-machines.prb")));
    const QString pictures = work.filePath("pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    ASSERT_TRUE(writeBytes(pictures + "/runs.bmp", wrappingRuns()));
    ASSERT_TRUE(writeSvgz(pictures + "/drawing.svgz"));
    ASSERT_TRUE(writeInflatingTexts(pictures + "/texts.png"));
    const auto camera = [](int y, jpegfile::Pixel *row) {
        for (int x = 0; x < 5000; ++x)
            row[x] = 0xFF000000u | jpegfile::Pixel(x / 20) << 16 | jpegfile::Pixel(y / 15) << 8 | 0x80u;
    };
    ASSERT_TRUE(jpegfile::write(QFile::encodeName(pictures + "/camera.jpg").toStdString(), 5000, 3750, camera));
    EXPECT_LT(QFileInfo(pictures + "/drawing.svgz").size(), 1100000);
    EXPECT_GT(QFileInfo(pictures + "/texts.png").size(), 24000000);
    Bytes items = image::basicItems("Hostile");
    const char *names[] = {"runs.bmp", "drawing.svgz", "texts.png", "camera.jpg"};
    for (std::uint16_t n = 0; n < 4; ++n)
        items = cat({items, stringItem(std::uint16_t(240 + n), names[n]), stringItem(std::uint16_t(244 + n), names[n])});
    const Bytes project = image::build(items);
    ASSERT_TRUE(writeBytes(pictures + "/hostile.prp",
                           QByteArray(reinterpret_cast<const char *>(project.data()), qsizetype(project.size()))));

    const HelperOutput out = runHelper(work, work.filePath("program"), work.filePath("sample-machines.prb"), "hostile",
                                       pictures + "/hostile.prp");
    ASSERT_TRUE(out.finished) << out.all.toStdString();
    EXPECT_EQ(out.exitCode, 0) << out.all.toStdString();
    const QString native = QDir::toNativeSeparators(pictures) + QDir::separator();
    EXPECT_EQ(out.messages, (QStringList{"The picture " + native + "runs.bmp could not be loaded. [The BMP file is not valid.]",
                                         "The picture " + native +
                                             "drawing.svgz could not be loaded. [This kind of picture file is not supported.]",
                                         "Maximum zoom for this picture size is 75 %"}))
        << out.messages.join('\n').toStdString();
    EXPECT_EQ(out.viewers, QStringList{"5000 3750"});
    ASSERT_GT(out.peakKib, 0);
    ASSERT_GE(out.tabMs, 0);
    RecordProperty("peak_kib", static_cast<int>(out.peakKib));
    RecordProperty("tab_ms", static_cast<int>(out.tabMs));
    EXPECT_LT(out.peakKib, 900 * 1024) << "peak " << out.peakKib / 1024 << " MiB";
    // Generous: a start that inflates what it does not use takes minutes.
    EXPECT_LT(out.tabMs, 20000);
    std::printf("hostile: peak %ld MiB, Image Quality tab after %ld ms\n", out.peakKib / 1024, out.tabMs);
}

// JPEG pictures that tell the truth about what they hold, each named by a
// project opened as a command line opens it, into a database of its own:
// one cut in half and closed by its end marker is refused as cut short; a
// whole one of a camera's size without its end marker is shown and opens
// in a viewer; four of 8192 x 8192 pixels whose last scan is repeated to
// 100 scans are refused for the work they would take, with one box, and
// the Image Quality tab comes within a few seconds of processor time.
TEST(JpegPictures, AProjectOfThemTellsWhatTheyHold)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    ASSERT_TRUE(writeSmallReferenceSets(work));
    const QString pictures = work.filePath("pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    const auto camera = [](int y, jpegfile::Pixel *row) {
        for (int x = 0; x < 5000; ++x)
            row[x] = 0xFF000000u | jpegfile::Pixel(x / 20) << 16 | jpegfile::Pixel(y / 15) << 8 | 0x80u;
    };
    ASSERT_TRUE(jpegfile::write(QFile::encodeName(pictures + "/camera.jpg").toStdString(), 5000, 3750, camera));
    QFile cameraFile(pictures + "/camera.jpg");
    ASSERT_TRUE(cameraFile.open(QIODevice::ReadOnly));
    const QByteArray whole = cameraFile.readAll();
    ASSERT_TRUE(whole.endsWith(QByteArray("\xFF\xD9", 2)));
    ASSERT_TRUE(writeBytes(pictures + "/unended.jpg", whole.left(whole.size() - 2)));
    ASSERT_TRUE(writeBytes(pictures + "/halved.jpg", whole.left(whole.size() / 2) + QByteArray("\xFF\xD9", 2)));
    // Flat, progressive and 4:2:0, as libjpeg writes it: some 400 kB.
    const std::string flat = QFile::encodeName(pictures + "/flat.jpg").toStdString();
    ASSERT_TRUE(jpegfile::writePlain(flat, largestSide, largestSide, 0xFF808080u, {jpegfile::Kind::Colour, true}));
    QFile flatFile(pictures + "/flat.jpg");
    ASSERT_TRUE(flatFile.open(QIODevice::ReadOnly));
    const QByteArray flatBytes = flatFile.readAll();
    const std::vector<unsigned char> hundred =
        jpegfile::withLastScanRepeated(std::vector<unsigned char>(flatBytes.begin(), flatBytes.end()), 100);
    const char *scanNames[] = {"scans1.jpg", "scans2.jpg", "scans3.jpg", "scans4.jpg"};
    for (int i = 0; i < 4; ++i)
        // Each made its own file by a byte after its end.
        ASSERT_TRUE(writeBytes(pictures + "/" + scanNames[i],
                               QByteArray(reinterpret_cast<const char *>(hundred.data()), qsizetype(hundred.size())) +
                                   char('1' + i)));
    EXPECT_LT(QFileInfo(pictures + "/scans1.jpg").size(), 500000);

    const QString native = QDir::toNativeSeparators(pictures) + QDir::separator();
    struct Case {
        const char *name;
        std::vector<const char *> pictures; // of the tests in order
        QStringList messages;
        QStringList viewers;
    };
    const Case cases[] = {
        {"cut in half, closed by its end marker", {"halved.jpg"},
         {"The picture " + native + "halved.jpg could not be loaded. [The file is cut short.]"}, {}},
        {"whole without its end marker", {"unended.jpg"}, {"Maximum zoom for this picture size is 75 %"}, {"5000 3750"}},
        {"four of 100 scans", {scanNames[0], scanNames[1], scanNames[2], scanNames[3]},
         {"The picture " + native +
          "scans1.jpg could not be loaded. [The JPEG file takes too much work to decode (its scans amount to more than "
          "12 passes over the picture; a picture may take up to that many).]"},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes items = image::basicItems("Pictures");
        for (std::size_t n = 0; n < c.pictures.size(); ++n)
            items = cat({items, stringItem(std::uint16_t(240 + n), c.pictures[n]), stringItem(std::uint16_t(244 + n), c.pictures[n])});
        const Bytes project = image::build(items);
        ASSERT_TRUE(writeBytes(pictures + "/pictures.prp",
                               QByteArray(reinterpret_cast<const char *>(project.data()), qsizetype(project.size()))));
        const HelperOutput out = runHelper(work, work.filePath("program"), "-", "alone", pictures + "/pictures.prp");
        ASSERT_TRUE(out.finished) << out.all.toStdString();
        EXPECT_EQ(out.exitCode, 0) << out.all.toStdString();
        EXPECT_EQ(out.messages, c.messages) << out.messages.join('\n').toStdString();
        EXPECT_EQ(out.viewers, c.viewers);
        ASSERT_GE(out.tabCpuMs, 0);
        RecordProperty("tab_cpu_ms", static_cast<int>(out.tabCpuMs));
#if !defined(__SANITIZE_ADDRESS__)
        // The four pictures took 17 s of processor time when only their scans
        // were counted. Under AddressSanitizer every allocation costs several
        // times as much, and only the rest is checked.
        EXPECT_LT(out.tabCpuMs, 8000);
#endif
        std::printf("%s: Image Quality tab after %ld ms, %ld ms of processor time\n", c.name, out.tabMs, out.tabCpuMs);
    }
}

} // namespace
