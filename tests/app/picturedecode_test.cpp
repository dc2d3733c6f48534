// Pictures decoded at the size they are shown, and the budget every picture
// read from a file is held against.

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdlib>

#include "MessageSink.h"
#include "bmpfile.h"
#include "picturefile.h"
#include "pictureops.h"
#include "plainpng.h"
#include "projectimages.h"

namespace {

// The budget for a test's scope: what is held now and room_ more.
class BudgetRoom {
public:
    explicit BudgetRoom(qint64 room_) : before(SetPictureBudget(PictureBytesHeld() + room_)) {}
    ~BudgetRoom() { SetPictureBudget(before); }
    BudgetRoom(const BudgetRoom &) = delete;
    BudgetRoom &operator=(const BudgetRoom &) = delete;

private:
    qint64 before;
};

// Red and green climb by 4 a pixel, blue alternates 0 and 255: every 4 x 4
// block averages to red 4x+6, green 4y+6 of its corner, blue 128, which no
// single pixel of it has.
QRgb gradient(int x, int y, int alpha)
{
    return qRgba(4 * x, 4 * y, (x + y) % 2 ? 255 : 0, alpha);
}

PngRowMaker gradientRows(int width, int alpha)
{
    return [width, alpha](int y, QRgb *row) {
        for (int x = 0; x < width; ++x)
            row[x] = gradient(x, y, alpha);
    };
}

class PictureDecode : public ::testing::Test {
protected:
    QString path(const QString &name) const { return folder.filePath(name); }
    QTemporaryDir folder;
};

struct DecodeCase {
    const char *name;
    bool interlaced;
    bool alpha;
    bool opaque;
};

TEST_F(PictureDecode, AFittedPictureAveragesTheAreaEachPixelStandsFor)
{
    const DecodeCase cases[] = {
        {"plain", false, false, false},
        {"interlaced", true, false, false},
        {"with alpha", false, true, false},
        {"interlaced, alpha dropped", true, true, true},
    };
    for (const DecodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        const int alpha = c.alpha ? 0x80 : 0xFF;
        const QString file = path(QString("%1.png").arg(c.name));
        ASSERT_TRUE(writePngRows(file, 64, 48, gradientRows(64, alpha), c.interlaced, c.alpha));
        const qint64 before = PictureBytesHeld();
        const PictureRead read = ReadPictureFile(file, {QSize(16, 16), c.opaque});
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        // Its shape kept: 64 x 48 into 16 x 16 is 16 x 12.
        ASSERT_EQ(read.image.size(), QSize(16, 12));
        EXPECT_EQ(read.image.format(), c.alpha && !c.opaque ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        EXPECT_EQ(PictureBytesHeld() - before, 16 * 12 * 4);
        for (int by = 0; by < 12; ++by)
            for (int bx = 0; bx < 16; ++bx) {
                const QRgb expected = qRgba(16 * bx + 6, 16 * by + 6, 128, c.opaque ? 0xFF : alpha);
                ASSERT_EQ(read.image.pixel(bx, by), expected) << bx << "," << by;
            }
    }
}

TEST_F(PictureDecode, AWholePictureArrivesPixelForPixel)
{
    struct Case {
        const char *name;
        QSize size;
        bool interlaced;
        bool alpha;
    };
    // Pictures of five columns or fewer leave passes of an interlaced file empty.
    const Case cases[] = {
        {"plain", {64, 48}, false, false},     {"interlaced", {64, 48}, true, false},
        {"interlaced alpha", {61, 47}, true, true}, {"interlaced 3 x 2", {3, 2}, true, false},
        {"interlaced 1 x 1", {1, 1}, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString("%1.png").arg(c.name));
        const int alpha = c.alpha ? 0x40 : 0xFF;
        ASSERT_TRUE(writePngRows(file, c.size.width(), c.size.height(), gradientRows(c.size.width(), alpha),
                                 c.interlaced, c.alpha));
        for (bool opaque : {false, true}) {
            SCOPED_TRACE(opaque ? "opaque" : "as it is");
            // A box the picture fits into leaves it as it is.
            for (const QSize &box : {QSize(), QSize(64, 64)}) {
                const PictureRead read = ReadPictureFile(file, {box, opaque});
                ASSERT_TRUE(read.ok()) << read.error.toStdString();
                ASSERT_EQ(read.image.size(), c.size);
                for (int y = 0; y < c.size.height(); ++y)
                    for (int x = 0; x < c.size.width(); ++x)
                        ASSERT_EQ(read.image.pixel(x, y), gradient(x, y, opaque ? 0xFF : alpha)) << x << "," << y;
            }
        }
    }
}

// Whatever kind of PNG the file is, it reads as Qt draws it.
TEST_F(PictureDecode, EveryKindOfPngGivesItsColours)
{
    QImage colours(12, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            colours.setPixel(x, y, qRgba(20 * x, 30 * y, 255 - 20 * x, x == 3 ? 0 : (x == 4 ? 0x80 : 0xFF)));
    QImage palette = colours.convertToFormat(QImage::Format_Indexed8);
    const std::pair<const char *, QImage> cases[] = {
        {"grey", colours.convertToFormat(QImage::Format_Grayscale8)},
        {"grey 16", colours.convertToFormat(QImage::Format_Grayscale16)},
        {"palette with transparency", palette},
        {"one bit", colours.convertToFormat(QImage::Format_Mono)},
        {"rgb", colours.convertToFormat(QImage::Format_RGB888)},
        {"rgba", colours},
        {"rgba 16", colours.convertToFormat(QImage::Format_RGBA64)},
    };
    for (const auto &[name, image] : cases) {
        SCOPED_TRACE(name);
        const QString file = path(QString("%1.png").arg(name));
        ASSERT_TRUE(image.save(file, "PNG"));
        const QImage byQt(file);
        ASSERT_FALSE(byQt.isNull());
        const QImage expected = byQt.convertToFormat(QImage::Format_ARGB32);
        const PictureRead read = ReadPictureFile(file);
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        ASSERT_EQ(read.image.size(), expected.size());
        EXPECT_EQ(read.image.hasAlphaChannel(), byQt.hasAlphaChannel());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 12; ++x) {
                // Sixteen bits become eight by rounding, which may differ by one.
                const QRgb got = read.image.pixel(x, y), want = expected.pixel(x, y);
                ASSERT_LE(std::abs(qRed(got) - qRed(want)), 1) << x << "," << y;
                ASSERT_LE(std::abs(qGreen(got) - qGreen(want)), 1) << x << "," << y;
                ASSERT_LE(std::abs(qBlue(got) - qBlue(want)), 1) << x << "," << y;
                ASSERT_LE(std::abs(qAlpha(got) - qAlpha(want)), 1) << x << "," << y;
            }
    }
}

TEST_F(PictureDecode, HeldPicturesCountUntilTheirLastCopyGoes)
{
    ASSERT_TRUE(writePlainPng(path("p.png"), 40, 30, qRgb(1, 2, 3)));
    QImage bmp(40, 30, QImage::Format_RGB32);
    bmp.fill(qRgb(4, 5, 6));
    ASSERT_TRUE(bmp.save(path("b.bmp"), "BMP"));
    const qint64 before = PictureBytesHeld();
    for (const char *name : {"p.png", "b.bmp"}) {
        SCOPED_TRACE(name);
        QImage first = ReadPictureFile(path(name)).image;
        ASSERT_FALSE(first.isNull());
        EXPECT_EQ(PictureBytesHeld(), before + 40 * 30 * 4);
        QImage second = first;
        first = QImage();
        EXPECT_EQ(PictureBytesHeld(), before + 40 * 30 * 4);
        // A copy of its own counts as much again.
        QImage own = CopyPicture(second).image;
        ASSERT_FALSE(own.isNull());
        EXPECT_NE(own.constBits(), second.constBits());
        EXPECT_EQ(PictureBytesHeld(), before + 2 * 40 * 30 * 4);
        second = QImage();
        own = QImage();
        EXPECT_EQ(PictureBytesHeld(), before);
    }
}

TEST_F(PictureDecode, APictureTheBudgetHasNoRoomForIsRefusedWithTheReason)
{
    ASSERT_TRUE(writePlainPng(path("p.png"), 40, 30, qRgb(1, 2, 3)));
    QImage bmp(40, 30, QImage::Format_RGB32);
    bmp.fill(qRgb(4, 5, 6));
    ASSERT_TRUE(bmp.save(path("b.bmp"), "BMP"));
    const QImage held = bmp.copy();
    const qint64 before = PictureBytesHeld();
    {
        BudgetRoom room(1000);
        for (const char *name : {"p.png", "b.bmp"}) {
            SCOPED_TRACE(name);
            const PictureRead read = ReadPictureFile(path(name));
            EXPECT_FALSE(read.ok());
            EXPECT_TRUE(read.overBudget);
            EXPECT_TRUE(read.error.startsWith("It needs 5 KiB; pictures may take ")) << read.error.toStdString();
            EXPECT_EQ(PictureBytesHeld(), before);
            // Small enough as a thumbnail: 10 x 7.5 pixels, cut to 7.
            const PictureRead small = ReadPictureFile(path(name), {QSize(10, 10), false});
            ASSERT_TRUE(small.ok()) << small.error.toStdString();
            EXPECT_EQ(small.image.size(), QSize(10, 7));
        }
        const PictureRead copy = CopyPicture(held);
        EXPECT_FALSE(copy.ok());
        EXPECT_TRUE(copy.overBudget);
        // A broken file is no budget matter.
        EXPECT_FALSE(ReadPictureFile(path("missing.png")).overBudget);
    }
    EXPECT_TRUE(ReadPictureFile(path("p.png")).ok());
    EXPECT_EQ(PictureBytesHeld(), before);
}

// Colours close enough: sixteen bits become eight by rounding; five or six
// bits become eight by scaling, which Qt does by shifting.
bool sameColour(QRgb got_, QRgb want_, int by_ = 1)
{
    return std::abs(qRed(got_) - qRed(want_)) <= by_ && std::abs(qGreen(got_) - qGreen(want_)) <= by_ &&
           std::abs(qBlue(got_) - qBlue(want_)) <= by_ && std::abs(qAlpha(got_) - qAlpha(want_)) <= by_;
}

QByteArray write(const QString &path_, const QByteArray &bytes_)
{
    QFile f(path_);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes_);
    return bytes_;
}

QRgb paletteColour(int i)
{
    return qRgb(17 * i, 255 - 13 * i, (i * 71) % 256);
}

std::vector<QRgb> palette(int count)
{
    std::vector<QRgb> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(paletteColour(i));
    return colours;
}

// The runs of a 6 x 4 picture: a run and indexes as they are, a row of one
// run, a move right and up, and the end before the last pixels.
const QByteArray rle8Runs("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00"
                          "\x06\x05\x00\x00"
                          "\x02\x03\x00\x02\x01\x01"
                          "\x02\x04\x00\x01",
                          24);
// A 6 x 3 picture in nibbles: a run of two alternating, six as they are, a run.
const QByteArray rle4Runs("\x05\x12\x00\x00"
                          "\x00\x06\x34\x56\x70\x00\x00\x00"
                          "\x06\x89\x00\x01",
                          16);

struct BmpCase {
    const char *name;
    bmpfile::Layout layout;
    std::function<quint32(int, int)> pixel; // null: the runs below
    QByteArray runs;
    // Of runs, the palette index of each pixel from the top row down, '.'
    // where the runs skip it (those stay transparent).
    std::vector<const char *> indexes = {};
};

std::vector<BmpCase> bmpKinds()
{
    using namespace bmpfile;
    const auto rgb = [](int x, int y) { return quint32(qRgb(30 * x, 40 * y, 200 - 10 * x - 5 * y)) & 0xFFFFFFu; };
    return {
        {"1 bit", {40, 9, 5, 1, Rgb, {}, palette(2)}, [](int x, int y) { return quint32((x + y) % 2); }, {}},
        {"4 bits", {40, 9, 5, 4, Rgb, {}, palette(16)}, [](int x, int y) { return quint32((x + 3 * y) % 16); }, {}},
        {"8 bits, short palette", {40, 9, 5, 8, Rgb, {}, palette(10)},
         [](int x, int y) { return quint32((x + 3 * y) % 10); }, {}},
        {"8 bits, core header", {12, 7, 3, 8, Rgb, {}, palette(256)}, [](int x, int y) { return quint32(x * 7 + y); }, {}},
        {"16 bits, 5-5-5", {40, 9, 5, 16, Rgb, {}, {}},
         [](int x, int y) { return quint32((x * 3) << 10 | (y * 5) << 5 | (31 - x)); }, {}},
        {"16 bits, 5-6-5 fields", {40, 9, 5, 16, BitFields, {0xF800, 0x07E0, 0x001F}, {}},
         [](int x, int y) { return quint32((x * 3) << 11 | (y * 9) << 5 | (31 - x)); }, {}},
        {"24 bits", {40, 9, 5, 24, Rgb, {}, {}}, rgb, {}},
        {"24 bits, top-down", {40, 9, -5, 24, Rgb, {}, {}}, rgb, {}},
        {"24 bits, core header", {12, 9, 5, 24, Rgb, {}, {}}, rgb, {}},
        {"32 bits", {40, 9, 5, 32, Rgb, {}, {}}, rgb, {}},
        {"32 bits, fields with alpha", {124, 9, 5, 32, BitFields, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {}},
         [](int x, int y) { return quint32(qRgba(30 * x, 40 * y, 90, 25 * x + 20)); }, {}},
        {"32 bits, fields in another order", {108, 9, 5, 32, BitFields, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}, {}},
         rgb, {}},
        {"8 bits, runs", {40, 6, 4, 8, Rle8, {}, palette(8)}, nullptr, rle8Runs, {"...44.", "33....", "555555", "111234"}},
        {"4 bits, runs", {40, 6, 3, 4, Rle4, {}, palette(16)}, nullptr, rle4Runs, {"898989", "345670", "12121."}},
    };
}

QByteArray bmpBytes(const BmpCase &c)
{
    return bmpfile::file(c.layout, c.pixel ? bmpfile::rows(c.layout, c.pixel) : c.runs);
}

// Whatever kind of BMP the file is, it reads as Qt reads it, whole and fitted.
TEST_F(PictureDecode, EveryKindOfBmpGivesItsColours)
{
    for (const BmpCase &c : bmpKinds()) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString("%1.bmp").arg(c.name));
        write(file, bmpBytes(c));
        QImage expected;
        if (c.indexes.empty()) {
            const QImage byQt(file, "BMP");
            ASSERT_FALSE(byQt.isNull());
            expected = byQt.convertToFormat(QImage::Format_ARGB32);
            if (!byQt.hasAlphaChannel())
                expected = expected.convertToFormat(QImage::Format_RGB32);
        } else {
            // Qt leaves the pixels that runs skip as it happens to.
            expected = QImage(c.layout.width, c.layout.height, QImage::Format_ARGB32);
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x) {
                    const char index = c.indexes[std::size_t(y)][x];
                    expected.setPixel(x, y, index == '.' ? 0u : paletteColour(QString(QChar(index)).toInt(nullptr, 16)));
                }
        }
        const PictureRead read = ReadPictureFile(file);
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        ASSERT_EQ(read.image.size(), expected.size());
        EXPECT_EQ(read.image.hasAlphaChannel(), expected.hasAlphaChannel());
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                ASSERT_TRUE(sameColour(read.image.pixel(x, y), expected.pixel(x, y), c.layout.bits == 16 ? 7 : 1))
                    << x << "," << y << ": " << std::hex << read.image.pixel(x, y) << " " << expected.pixel(x, y);
        EXPECT_EQ(ReadPictureHeader(file).size, expected.size());
        // Fitted into a third: each pixel the average of those it stands for.
        const QSize box = expected.size() / 3;
        const PictureRead small = ReadPictureFile(file, {box, false});
        ASSERT_TRUE(small.ok()) << small.error.toStdString();
        EXPECT_EQ(small.image.size(), expected.size().scaled(box, Qt::KeepAspectRatio));
    }
}

// A picture may have 67,108,864 pixels and 1,000,000 along a side, whatever
// the format; one over either is refused as too large before anything of
// its size is held.
TEST_F(PictureDecode, TheSizeRuleIsTheSameForEveryFormatAndSaysItself)
{
    struct Case {
        quint32 width, height;
        bool accepted;
    };
    const Case cases[] = {
        {8192, 8192, true},    {1000000, 67, true},  {67, 1000000, true},    {8193, 8192, false},
        {1, 67108864, false},  {1000001, 1, false},  {70000, 70000, false},  {2147483647, 1, false},
    };
    for (const Case &c : cases) {
        for (const bool png : {true, false}) {
            SCOPED_TRACE(QString("%1 x %2 %3").arg(c.width).arg(c.height).arg(png ? "PNG" : "BMP").toStdString());
            const QString file = path(png ? "size.png" : "size.bmp");
            bmpfile::Layout layout;
            layout.width = int(c.width);
            layout.height = int(c.height);
            write(file, png ? pngOfNoPixels(c.width, c.height) : bmpfile::file(layout, QByteArray()));
            const qint64 before = PictureBytesHeld();
            const PictureHeader header = ReadPictureHeader(file);
            const QString tooLarge = QString("The picture is too large (%1 x %2 pixels; a picture may have up to "
                                             "67,108,864 pixels and 1,000,000 along a side).")
                                         .arg(c.width)
                                         .arg(c.height);
            for (const QSize &box : {QSize(), QSize(200, 160)}) {
                const PictureRead read = ReadPictureFile(file, {box, false});
                EXPECT_FALSE(read.ok());
                // The file holds no pixels: an accepted size reads until they are missing.
                if (c.accepted) {
                    EXPECT_FALSE(read.error.startsWith("The picture is too large")) << read.error.toStdString();
                    if (!png) {
                        EXPECT_EQ(read.error, QString("The file is cut short."));
                    }
                } else {
                    EXPECT_EQ(read.error, tooLarge);
                }
                EXPECT_EQ(PictureBytesHeld(), before);
            }
            if (c.accepted) {
                EXPECT_EQ(header.size, QSize(int(c.width), int(c.height))) << header.error.toStdString();
            } else {
                EXPECT_EQ(header.error, tooLarge);
            }
        }
    }
}

// A file that ends early says so, wherever it ends.
TEST_F(PictureDecode, AFileCutShortSaysSo)
{
    QImage noisy(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            noisy.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * 31 + y * 17) % 256, (x ^ y) * 5 % 256));
    ASSERT_TRUE(noisy.save(path("whole.png"), "PNG"));
    QFile whole(path("whole.png"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray png = whole.readAll();
    std::vector<BmpCase> bmps = bmpKinds();
    const QByteArray bmp24 = bmpBytes(bmps[6]);
    const QByteArray palette8 = bmpBytes(bmps[2]);
    const QByteArray runs = bmpBytes(bmps[12]);
    struct Case {
        const char *name;
        const char *file;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"PNG in its header", "cut.png", png.left(20)},
        {"PNG in its pixels", "cut.png", png.left(png.size() / 2)},
        {"PNG before its last pixels", "cut.png", png.left(png.size() - 20)},
        {"BMP in its header", "cut.bmp", bmp24.left(30)},
        {"BMP in its palette", "cut.bmp", palette8.left(14 + 40 + 12)},
        {"BMP in its rows", "cut.bmp", bmp24.left(bmp24.size() - 5)},
        {"BMP in its runs", "cut.bmp", runs.left(runs.size() - 3)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        write(path(c.file), c.bytes);
        for (const QSize &box : {QSize(), QSize(8, 8)})
            EXPECT_EQ(ReadPictureFile(path(c.file), {box, false}).error, QString("The file is cut short."));
        QImage into = noisy.copy();
        EXPECT_EQ(CombinePictureFile(into, path(c.file), CombineXor), QString("The file is cut short."));
    }
}

// Combining with a file as its rows arrive gives what combining with the
// whole picture gives, of any size and row order.
TEST_F(PictureDecode, CombiningWithAFileAsItIsReadIsCombiningWithItsPicture)
{
    ASSERT_TRUE(writePngRows(path("plain.png"), 40, 30, gradientRows(40, 0xFF)));
    ASSERT_TRUE(writePngRows(path("interlaced.png"), 37, 23, gradientRows(37, 0x80), true, true));
    std::vector<BmpCase> bmps = bmpKinds();
    write(path("bottom-up.bmp"), bmpBytes(bmps[6]));
    write(path("top-down.bmp"), bmpBytes(bmps[7]));
    write(path("runs.bmp"), bmpBytes(bmps[12]));
    QImage shownAtSize(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            shownAtSize.setPixel(x, y, qRgb(x * 6, 255 - y * 8, (x * y) % 256));
    for (const char *name : {"plain.png", "interlaced.png", "bottom-up.bmp", "top-down.bmp", "runs.bmp"}) {
        const PictureRead other = ReadPictureFile(path(name), {QSize(), true});
        ASSERT_TRUE(other.ok()) << name;
        for (const QSize &size : {other.image.size(), QSize(40, 30), QSize(3, 2), QSize(101, 7)}) {
            for (const int operation : {CombineXor, CombineOr}) {
                SCOPED_TRACE(QString("%1 into %2 x %3, operation %4")
                                 .arg(name)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(operation)
                                 .toStdString());
                QImage expected = shownAtSize.scaled(size);
                QImage streamed = expected.copy();
                CombinePictures(expected, other.image, operation);
                ASSERT_EQ(CombinePictureFile(streamed, path(name), operation), QString());
                ASSERT_EQ(streamed.size(), size);
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        ASSERT_EQ(streamed.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

// Qt's readers of other formats work within the budget: their own limit
// follows it, and what their decoders hold beside the picture counts.
TEST_F(PictureDecode, OtherFormatsCountWhatTheirDecodersHold)
{
    // Over Qt's own limit of 128 MiB.
    {
        QImage large(6000, 6000, QImage::Format_RGB32);
        large.fill(qRgb(3, 4, 5));
        ASSERT_TRUE(large.save(path("large.jpg"), "JPEG", 50));
    }
    {
        const PictureRead read = ReadPictureFile(path("large.jpg"), {QSize(), true});
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        EXPECT_EQ(read.image.size(), QSize(6000, 6000));
    }
    // PNG and BMP files go to the row-by-row readers whatever their names.
    ASSERT_TRUE(writePlainPng(path("png.picture"), 6000, 6000, qRgb(3, 4, 5)));
    {
        const qint64 before = PictureBytesHeld();
        BudgetRoom room(200 * 160 * 4 + 100);
        const PictureRead read = ReadPictureFile(path("png.picture"), {QSize(200, 160), false});
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        EXPECT_EQ(read.image.size(), QSize(160, 160));
        EXPECT_EQ(PictureBytesHeld() - before, 160 * 160 * 4);
    }
    // A progressive JPEG keeps the whole picture's coefficients while it decodes.
    QImage photo(512, 512, QImage::Format_RGB32);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            photo.setPixel(x, y, qRgb(x / 2, y / 2, (x + y) / 4));
    for (const bool progressive : {false, true}) {
        QImageWriter writer(path(progressive ? "progressive.jpg" : "baseline.jpg"), "JPEG");
        writer.setProgressiveScanWrite(progressive);
        ASSERT_TRUE(writer.write(photo));
    }
    BudgetRoom room(300 * 1024);
    const PictureRead baseline = ReadPictureFile(path("baseline.jpg"), {QSize(64, 64), false});
    EXPECT_TRUE(baseline.ok()) << baseline.error.toStdString();
    const PictureRead progressive = ReadPictureFile(path("progressive.jpg"), {QSize(64, 64), false});
    EXPECT_FALSE(progressive.ok());
    EXPECT_TRUE(progressive.overBudget);
    EXPECT_TRUE(progressive.error.startsWith("It needs ")) << progressive.error.toStdString();
}

class ThumbnailCache : public PictureDecode {
protected:
    TThumbPictureList cache;
};

// A thumbnail file as large as a screenshot is held at the size it is shown,
// once for both reference sets.
TEST_F(ThumbnailCache, ALargeThumbnailIsHeldSmallAndOnce)
{
    ASSERT_TRUE(writePlainPng(path("IQ01T.PNG"), 2000, 1500, qRgb(9, 8, 7)));
    const qint64 before = PictureBytesHeld();
    TThumbPicture *plain = cache.acquire(path("IQ01T.PNG"), path("IQ01I.PNG"), 1);
    TThumbPicture *fsaa = cache.acquire(path("IQ01T.PNG"), path("IQ01A.PNG"), 1);
    ASSERT_TRUE(plain && fsaa);
    EXPECT_EQ(plain->picture.size(), QSize(200, 150));
    EXPECT_EQ(plain->picture.pixel(199, 149), qRgb(9, 8, 7));
    EXPECT_EQ(fsaa->picture.constBits(), plain->picture.constBits());
    EXPECT_EQ(PictureBytesHeld() - before, 200 * 150 * 4);
    cache.release(path("IQ01T.PNG"), path("IQ01I.PNG"));
    cache.release(path("IQ01T.PNG"), path("IQ01A.PNG"));
    EXPECT_EQ(PictureBytesHeld(), before);
}

// A database of many projects gives one box, not one for each thumbnail.
TEST_F(ThumbnailCache, AThumbnailTheBudgetRefusesIsReportedOnceUntilThumbnailsFitAgain)
{
    for (const char *name : {"a.png", "b.png", "c.png"})
        ASSERT_TRUE(writePlainPng(path(name), 20, 10, qRgb(1, 1, 1)));
    RecordingMessageSink sink;
    {
        BudgetRoom room(100);
        EXPECT_FALSE(cache.acquire(path("a.png"), path("al.png"), 1));
        EXPECT_FALSE(cache.acquire(path("b.png"), path("bl.png"), 1));
    }
    ASSERT_EQ(sink.requests.size(), 1u);
    const QString file = QDir::toNativeSeparators(path("a.png"));
    EXPECT_TRUE(sink.requests[0].text.startsWith("The picture " + file + " could not be loaded. [It needs 1 KiB;"))
        << sink.requests[0].text.toStdString();
    EXPECT_TRUE(cache.acquire(path("b.png"), path("bl.png"), 1));
    {
        BudgetRoom room(100);
        EXPECT_FALSE(cache.acquire(path("c.png"), path("cl.png"), 1));
    }
    ASSERT_EQ(sink.requests.size(), 2u);
    EXPECT_TRUE(sink.requests[1].text.startsWith("The picture " + QDir::toNativeSeparators(path("c.png"))));
    cache.release(path("b.png"), path("bl.png"));
}

} // namespace
