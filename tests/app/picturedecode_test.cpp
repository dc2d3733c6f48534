// Pictures decoded at the size they are shown, and the budget every picture
// read from a file is held against.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "MessageSink.h"
#include "bmpfile.h"
#include "jpegfile.h"
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

QByteArray contentsOf(const QString &path_)
{
    QFile f(path_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Colours that JPEG keeps within a few levels, over a picture of any size.
std::function<QRgb(int, int)> smooth(int width_, int height_)
{
    return [=](int x, int y) {
        return qRgb(40 + 190 * x / width_, 60 + 130 * y / height_, 200 - 120 * (x + y) / (width_ + height_));
    };
}

bool writeJpeg(const QString &file_, int width_, int height_, const jpegfile::Options &options_,
               const std::function<QRgb(int, int)> &colour_)
{
    return jpegfile::write(QFile::encodeName(file_).toStdString(), width_, height_,
                           [&](int y, jpegfile::Pixel *row) {
                               for (int x = 0; x < width_; ++x)
                                   row[x] = colour_(x, y);
                           },
                           options_);
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

// Runs may move right only as far as the row's end; past it the file is
// broken, also when a count of moves would carry the column past what an
// int holds.
TEST_F(PictureDecode, RunsThatMovePastTheRowsEndAreABrokenFile)
{
    bmpfile::Layout layout{40, 4, 2, 8, bmpfile::Rle8, {}, palette(4)};
    // A move to the end of the bottom row, three indexes past it, the top row.
    const QByteArray toTheEnd("\x02\x01\x00\x02\x02\x00\x00\x03\x02\x02\x02\x00\x00\x00\x04\x03\x00\x01", 18);
    QByteArray wrapping;
    wrapping.reserve(8421505 * 4 + 8);
    for (int i = 0; i < 8421505; ++i)
        wrapping.append("\x00\x02\xff\x00", 4);
    wrapping.append("\x00\x03\x01\x02\x03\x00\x00\x01", 8);
    struct Case {
        const char *name;
        bmpfile::Layout layout;
        QByteArray runs;
        bool valid;
    };
    bmpfile::Layout onePixel = layout;
    onePixel.width = onePixel.height = 1;
    const Case cases[] = {
        {"to the row's end", layout, toTheEnd, true},
        {"one past the row's end", layout, QByteArray("\x00\x02\x05\x00\x00\x01", 6), false},
        {"past it after a run", layout, QByteArray("\x03\x01\x00\x02\x02\x00\x00\x01", 8), false},
        {"8,421,505 moves of 255 on one pixel (33 MB)", onePixel, wrapping, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        write(path("runs.bmp"), bmpfile::file(c.layout, c.runs));
        const PictureRead read = ReadPictureFile(path("runs.bmp"));
        QImage into(3, 3, QImage::Format_RGB32);
        const QString combined = CombinePictureFile(into, path("runs.bmp"), CombineXor);
        if (!c.valid) {
            EXPECT_EQ(read.error, QString("The BMP file is not valid."));
            EXPECT_EQ(combined, QString("The BMP file is not valid."));
            continue;
        }
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        EXPECT_EQ(combined, QString());
        const QRgb top = paletteColour(3), bottom = paletteColour(1);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(read.image.pixel(x, 0), top) << x;
        EXPECT_EQ(read.image.pixel(0, 1), bottom);
        EXPECT_EQ(read.image.pixel(1, 1), bottom);
        EXPECT_EQ(read.image.pixel(2, 1), 0u);
        EXPECT_EQ(read.image.pixel(3, 1), 0u);
    }
}

// Bit fields that are not fields of the pixel are a broken file, not a
// black picture.
TEST_F(PictureDecode, BitFieldsThatAreNotFieldsAreABrokenFile)
{
    struct Case {
        const char *name;
        int infoSize, bits;
        std::vector<quint32> masks;
    };
    const Case cases[] = {
        {"all zero", 40, 16, {0, 0, 0}},
        {"no green", 40, 32, {0x00FF0000, 0, 0x000000FF}},
        {"red and green overlap", 40, 32, {0x00FFFF00, 0x0000FF00, 0x000000FF}},
        {"alpha overlaps blue", 56, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x000001FF}},
        {"blue not one run", 40, 16, {0xF800, 0x07E0, 0x0015}},
        {"red outside the 16 bits", 40, 16, {0x1F0000, 0x07E0, 0x001F}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const bmpfile::Layout layout{c.infoSize, 5, 3, c.bits, bmpfile::BitFields, c.masks, {}};
        write(path("fields.bmp"), bmpfile::file(layout, bmpfile::rows(layout, [](int x, int y) { return quint32(x * 77 + y); })));
        EXPECT_EQ(ReadPictureFile(path("fields.bmp")).error, QString("The BMP file is not valid."));
        EXPECT_EQ(ReadPictureHeader(path("fields.bmp")).error, QString("The BMP file is not valid."));
    }
}

// Texts, profiles and palettes beside the pixels are passed over unread,
// however far they would inflate; the gamma still shapes the colours.
TEST_F(PictureDecode, AncillaryPngChunksArePassedOver)
{
    ASSERT_TRUE(writePlainPng(path("plain.png"), 13, 11, qRgb(64, 128, 192)));
    const QByteArray plain = contentsOf(path("plain.png"));
    const QByteArray bomb = qCompress(QByteArray(8 << 20, ' '), 9).mid(4);
    const QByteArray texts = pngChunk("tEXt", "Comment\0seed" + QByteArray(1, '\0')) +
                             pngChunk("zTXt", QByteArray("Comment\0\0", 9) + bomb) +
                             pngChunk("iTXt", QByteArray("XML\0\1\0\0\0", 8) + bomb) +
                             pngChunk("iCCP", QByteArray("big\0\0", 5) + bomb) +
                             pngChunk("sPLT", QByteArray("p\0\x08", 3) + QByteArray(6 * 500, '\x10'));
    struct Case {
        const char *name;
        QByteArray chunks;
        QRgb colour;
    };
    const Case cases[] = {
        {"texts and a profile", texts, qRgb(64, 128, 192)},
        // Stored as linear light, shown in sRGB: 255 x (v / 255) ^ (1 / 2.2).
        {"gamma 1.0", pngChunk("gAMA", pngBe32(100000)), qRgb(136, 186, 224)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        write(path("chunks.png"), withChunksAfterHeader(plain, c.chunks));
        const PictureRead read = ReadPictureFile(path("chunks.png"));
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        EXPECT_TRUE(sameColour(read.image.pixel(5, 5), c.colour, 2)) << std::hex << read.image.pixel(5, 5);
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
                    EXPECT_EQ(read.error, QString("The file is cut short."));
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

QByteArray bytesOf(const std::vector<unsigned char> &bytes_)
{
    return QByteArray(reinterpret_cast<const char *>(bytes_.data()), qsizetype(bytes_.size()));
}

std::vector<unsigned char> vectorOf(const QByteArray &bytes_)
{
    return std::vector<unsigned char>(bytes_.begin(), bytes_.end());
}

QByteArray withFrameSize(const QByteArray &jpeg_, int width_, int height_)
{
    return bytesOf(jpegfile::withFrameSize(vectorOf(jpeg_), width_, height_));
}

qsizetype lastScanAt(const QByteArray &jpeg_)
{
    return qsizetype(jpegfile::lastScanAt(vectorOf(jpeg_)));
}

// Where the data of the file's first scan begins, after the scan's header.
qsizetype firstScanDataAt(const QByteArray &jpeg_)
{
    const qsizetype at = jpeg_.indexOf(QByteArray("\xFF\xDA", 2));
    return at + 2 + (uchar(jpeg_[at + 2]) << 8 | uchar(jpeg_[at + 3]));
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
    const auto noise = [](int x, int y) { return qRgb((x * 7919 + y * 104729) % 251, (x * 31 + y * 17) % 256, (x ^ y) * 5 % 256); };
    ASSERT_TRUE(writeJpeg(path("whole.jpg"), 160, 120, {}, noise));
    const QByteArray jpeg = contentsOf(path("whole.jpg"));
    ASSERT_TRUE(writeJpeg(path("whole.jpg"), 160, 120, {jpegfile::Kind::Colour, true}, noise));
    const QByteArray progressive = contentsOf(path("whole.jpg"));
    ASSERT_TRUE(writeJpeg(path("whole.jpg"), 160, 120, {jpegfile::Kind::Colour, true, false, 95, 0, true}, noise));
    const QByteArray arithmetic = contentsOf(path("whole.jpg"));
    ASSERT_TRUE(writeJpeg(path("whole.jpg"), 160, 120, {jpegfile::Kind::Colour, false, false, 95, 1}, noise));
    const QByteArray restarts = contentsOf(path("whole.jpg"));
    const QByteArray end("\xFF\xD9", 2);
    // An 8192 x 8192 header whose first scan has no data: 625 bytes.
    const QByteArray claimed = withFrameSize(jpeg, 8192, 8192);
    const QByteArray noData = claimed.left(firstScanDataAt(claimed)) + end;
    struct Case {
        const char *name;
        const char *file;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"PNG whose pixels end before its end", "cut.png", pngOfNoPixels(40, 30)},
        {"JPEG in its header", "cut.jpg", jpeg.left(100)},
        {"JPEG in its pixels", "cut.jpg", jpeg.left(jpeg.size() / 2)},
        {"progressive JPEG in its first scan", "cut.jpg", progressive.left(progressive.size() / 5)},
        {"progressive JPEG in its last scan", "cut.jpg", progressive.left(progressive.size() - 30)},
        {"JPEG in its pixels, closed by its end marker", "cut.jpg", jpeg.left(jpeg.size() / 2) + end},
        {"JPEG with restarts in its pixels, closed by its end marker", "cut.jpg", restarts.left(restarts.size() / 2) + end},
        {"progressive JPEG in its first scan, closed by its end marker", "cut.jpg",
         progressive.left(progressive.size() / 5) + end},
        {"progressive JPEG in its last scan, closed by its end marker", "cut.jpg",
         progressive.left(progressive.size() - 30) + end},
        {"JPEG of 8192 x 8192 pixels before its data, closed by its end marker", "cut.jpg", noData},
        {"arithmetic progressive JPEG between its scans", "cut.jpg", arithmetic.left(lastScanAt(arithmetic))},
        {"arithmetic progressive JPEG in its middle", "cut.jpg", arithmetic.left(arithmetic.size() / 2)},
        {"PNG in its header", "cut.png", png.left(20)},
        {"PNG in its pixels", "cut.png", png.left(png.size() / 2)},
        {"PNG before its last pixels", "cut.png", png.left(png.size() - 20)},
        {"BMP in its header", "cut.bmp", bmp24.left(30)},
        {"BMP in its palette", "cut.bmp", palette8.left(14 + 40 + 12)},
        {"BMP in its rows", "cut.bmp", bmp24.left(bmp24.size() - 5)},
        {"BMP in its runs", "cut.bmp", runs.left(runs.size() - 3)},
    };
    EXPECT_EQ(noData.size(), 625);
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

// Whatever colour space and coding the file has, and whatever its name, it
// reads as its colours, whole, fitted and combined.
TEST_F(PictureDecode, EveryKindOfJpegGivesItsColours)
{
    using jpegfile::Kind;
    struct Case {
        const char *name;
        jpegfile::Options options;
        QSize size = QSize(64, 48);
    };
    const Case cases[] = {
        {"baseline 4-2-0", {}},
        {"progressive 4-4-4", {Kind::Colour, true, true}},
        {"grey", {Kind::Grey}},
        {"grey, 1024 x 768", {Kind::Grey}, QSize(1024, 768)},
        {"grey progressive", {Kind::Grey, true}},
        {"rgb", {Kind::Rgb}},
        {"cmyk", {Kind::Cmyk}},
        {"cmyk progressive", {Kind::Cmyk, true}},
        {"restarts", {Kind::Colour, false, false, 95, 1}},
        {"arithmetic", {Kind::Colour, true, false, 95, 0, true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString("%1.picture").arg(c.name));
        const int width = c.size.width(), height = c.size.height();
        const auto colour = smooth(width, height);
        ASSERT_TRUE(writeJpeg(file, width, height, c.options, colour));
        const auto expected = [&](int x, int y) {
            const int grey = jpegfile::greyOf(colour(x, y));
            return c.options.kind == Kind::Grey ? qRgb(grey, grey, grey) : colour(x, y);
        };
        const PictureRead whole = ReadPictureFile(file);
        ASSERT_TRUE(whole.ok()) << whole.error.toStdString();
        ASSERT_EQ(whole.image.size(), c.size);
        EXPECT_EQ(whole.image.format(), QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_TRUE(sameColour(whole.image.pixel(x, y), expected(x, y), 8))
                    << x << "," << y << ": " << std::hex << whole.image.pixel(x, y) << " " << expected(x, y);
        EXPECT_EQ(ReadPictureHeader(file).size, c.size);
        // A quarter of the size, which libjpeg decodes at (then averaged
        // down to the box): each pixel the colour of the middle of what it
        // stands for.
        const QSize box = c.size / 4;
        const int across = width / box.width();
        const PictureRead fitted = ReadPictureFile(file, {box, false});
        ASSERT_TRUE(fitted.ok()) << fitted.error.toStdString();
        ASSERT_EQ(fitted.image.size(), box);
        for (int y = 0; y < box.height(); ++y)
            for (int x = 0; x < box.width(); ++x)
                ASSERT_TRUE(sameColour(fitted.image.pixel(x, y), expected(across * x + across / 2, across * y + across / 2), 8))
                    << x << "," << y;
        QImage black(c.size, QImage::Format_RGB32);
        black.fill(qRgb(0, 0, 0));
        ASSERT_EQ(CombinePictureFile(black, file, CombineXor), QString());
        EXPECT_EQ(black, whole.image);
    }
}

// A camera's picture as a thumbnail: decoded at an eighth of its size, it
// never needs room for its whole.
TEST_F(PictureDecode, ACameraSizedJpegIsShrunkAsItIsDecoded)
{
    const auto colour = [](int x, int y) { return qRgb(x / 20, y / 15, 128); };
    ASSERT_TRUE(writeJpeg(path("camera.jpg"), 5000, 3750, {}, colour));
    const qint64 before = PictureBytesHeld();
    {
        BudgetRoom room(2 << 20);
        const PictureRead whole = ReadPictureFile(path("camera.jpg"));
        EXPECT_TRUE(whole.overBudget) << whole.error.toStdString();
        const PictureRead thumbnail = ReadPictureFile(path("camera.jpg"), {QSize(200, 160), false});
        ASSERT_TRUE(thumbnail.ok()) << thumbnail.error.toStdString();
        ASSERT_EQ(thumbnail.image.size(), QSize(200, 150));
        EXPECT_EQ(PictureBytesHeld() - before, 200 * 150 * 4);
        for (const QPoint &at : {QPoint(0, 0), QPoint(100, 75), QPoint(199, 149)})
            EXPECT_TRUE(sameColour(thumbnail.image.pixel(at), colour(25 * at.x() + 12, 25 * at.y() + 12), 3))
                << at.x() << "," << at.y() << ": " << std::hex << thumbnail.image.pixel(at);
    }
    const PictureRead whole = ReadPictureFile(path("camera.jpg"));
    ASSERT_TRUE(whole.ok()) << whole.error.toStdString();
    EXPECT_EQ(whole.image.size(), QSize(5000, 3750));
}

// A file whose every row and scan is there but whose end marker is missing
// is its whole picture: the same pixels as with its marker.
TEST_F(PictureDecode, AWholeJpegWithoutItsEndMarkerIsShown)
{
    using jpegfile::Kind;
    struct Case {
        const char *name;
        jpegfile::Options options;
    };
    const Case cases[] = {
        {"baseline", {}},
        {"baseline with restarts", {Kind::Colour, false, false, 95, 1}},
        {"progressive", {Kind::Colour, true}},
        {"grey progressive", {Kind::Grey, true}},
        {"arithmetic", {Kind::Colour, false, false, 95, 0, true}},
        {"arithmetic progressive", {Kind::Colour, true, false, 95, 0, true}},
    };
    const auto noise = [](int x, int y) { return qRgb((x * 7919 + y * 104729) % 251, (x * 31 + y * 17) % 256, (x ^ y) * 5 % 256); };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeJpeg(path("whole.jpg"), 160, 120, c.options, noise));
        const QByteArray whole = contentsOf(path("whole.jpg"));
        ASSERT_TRUE(whole.endsWith(QByteArray("\xFF\xD9", 2)));
        write(path("unended.jpg"), whole.left(whole.size() - 2));
        for (const QSize &box : {QSize(), QSize(40, 30)}) {
            const PictureRead withMarker = ReadPictureFile(path("whole.jpg"), {box, false});
            const PictureRead without = ReadPictureFile(path("unended.jpg"), {box, false});
            ASSERT_TRUE(withMarker.ok()) << withMarker.error.toStdString();
            ASSERT_TRUE(without.ok()) << without.error.toStdString();
            EXPECT_EQ(without.image, withMarker.image);
        }
        QImage combined(160, 120, QImage::Format_RGB32);
        combined.fill(qRgb(0, 0, 0));
        ASSERT_EQ(CombinePictureFile(combined, path("unended.jpg"), CombineXor), QString());
        EXPECT_EQ(combined, ReadPictureFile(path("whole.jpg")).image);
    }
}

// Each scan is decoded over the blocks it covers: a file may take twice the
// passes over its picture that an ordinary progressive one takes, and one
// that would take more is refused as it is read, before the scan past the
// bound is decoded.
TEST_F(PictureDecode, AJpegWhoseScansTakeTooMuchWorkIsRefused)
{
    using jpegfile::Kind;
    const QString tooMuch = "The JPEG file takes too much work to decode (its scans amount to more than 12 passes "
                            "over the picture; a picture may take up to that many).";
    struct Case {
        const char *name;
        jpegfile::Options options;
        int scans;             // the last scan repeated until there are as many; 0: as written
        const QString *refusal; // null: accepted
    };
    const Case cases[] = {
        // Ten scans, 5.3 passes over the picture.
        {"progressive 4-2-0", {Kind::Colour, true}, 0, nullptr},
        // Each repeat of the last scan, of the brightness, is 2/3 of a pass.
        {"progressive 4-2-0, 20 scans", {Kind::Colour, true}, 20, nullptr},
        {"progressive 4-2-0, 21 scans", {Kind::Colour, true}, 21, &tooMuch},
        {"progressive 4-2-0, 100 scans", {Kind::Colour, true}, 100, &tooMuch},
        // Six scans of the one component, a pass each.
        {"grey progressive, 12 scans", {Kind::Grey, true}, 12, nullptr},
        {"grey progressive, 13 scans", {Kind::Grey, true}, 13, &tooMuch},
        {"progressive 4-4-4, 100 scans", {Kind::Colour, true, true}, 100, &tooMuch},
    };
    // Flat, as the repeated scans of a picture with detail would read as damage.
    const QRgb flat = qRgb(0x30, 0x60, 0x90);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeJpeg(path("scans.jpg"), 256, 192, c.options, [&](int, int) { return flat; }));
        if (c.scans > 0)
            write(path("scans.jpg"), bytesOf(jpegfile::withLastScanRepeated(vectorOf(contentsOf(path("scans.jpg"))), c.scans)));
        const qint64 before = PictureBytesHeld();
        for (const QSize &box : {QSize(), QSize(64, 48)}) {
            const PictureRead read = ReadPictureFile(path("scans.jpg"), {box, false});
            if (c.refusal) {
                EXPECT_EQ(read.error, *c.refusal);
            } else {
                ASSERT_TRUE(read.ok()) << read.error.toStdString();
                const QRgb shown = read.image.pixel(read.image.width() / 2, read.image.height() / 2);
                const int grey = jpegfile::greyOf(flat);
                const QRgb expected = c.options.kind == Kind::Grey ? qRgb(grey, grey, grey) : flat;
                EXPECT_TRUE(sameColour(shown, expected, 3)) << std::hex << shown;
            }
        }
        QImage into(4, 4, QImage::Format_RGB32);
        EXPECT_EQ(CombinePictureFile(into, path("scans.jpg"), CombineXor), c.refusal ? *c.refusal : QString());
        EXPECT_EQ(ReadPictureHeader(path("scans.jpg")).size, QSize(256, 192));
        EXPECT_EQ(PictureBytesHeld(), before);
    }
}

// A thumbnail's pixel is the average of the file's pixels it stands for,
// also of a picture so short that libjpeg would shrink a side to less than
// the thumbnail has, averaging in the rows an encoder pads its blocks with.
TEST_F(PictureDecode, AThumbnailOfAShortJpegAveragesItsOwnPixels)
{
    struct Case {
        const char *name;
        QSize size;
        std::function<QRgb(int, int)> colour;
    };
    const Case cases[] = {
        {"4097 x 3, green down", {4097, 3}, [](int, int y) { return qRgb(128, std::min(255, y * 128), 128); }},
        {"3 x 4097, red across", {3, 4097}, [](int x, int) { return qRgb(std::min(255, x * 128), 128, 128); }},
        {"4097 x 10, green down", {4097, 10}, [](int, int y) { return qRgb(128, y * 28, 128); }},
        {"5000 x 3750", {5000, 3750}, smooth(5000, 3750)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool progressive : {false, true}) {
            SCOPED_TRACE(progressive ? "progressive" : "baseline");
            ASSERT_TRUE(writeJpeg(path("short.jpg"), c.size.width(), c.size.height(),
                                  {jpegfile::Kind::Colour, progressive}, c.colour));
            const PictureRead thumbnail = ReadPictureFile(path("short.jpg"), {QSize(200, 160), false});
            ASSERT_TRUE(thumbnail.ok()) << thumbnail.error.toStdString();
            const QSize fitted = thumbnail.image.size();
            ASSERT_EQ(fitted, c.size.scaled(200, 160, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
            // What the thumbnail's pixel in the middle of each edge stands for.
            for (const QPoint &at : {QPoint(fitted.width() / 2, 0), QPoint(fitted.width() / 2, fitted.height() - 1),
                                     QPoint(0, fitted.height() / 2), QPoint(fitted.width() - 1, fitted.height() / 2)}) {
                const int x0 = at.x() * c.size.width() / fitted.width(), x1 = (at.x() + 1) * c.size.width() / fitted.width();
                const int y0 = at.y() * c.size.height() / fitted.height(), y1 = (at.y() + 1) * c.size.height() / fitted.height();
                int sums[3] = {};
                for (int y = y0; y < y1; ++y)
                    for (int x = x0; x < x1; ++x) {
                        const QRgb p = c.colour(x, y);
                        sums[0] += qRed(p);
                        sums[1] += qGreen(p);
                        sums[2] += qBlue(p);
                    }
                const int n = (x1 - x0) * (y1 - y0);
                const QRgb mean = qRgb(sums[0] / n, sums[1] / n, sums[2] / n);
                EXPECT_TRUE(sameColour(thumbnail.image.pixel(at), mean, 6))
                    << at.x() << "," << at.y() << ": " << std::hex << thumbnail.image.pixel(at) << " " << mean;
            }
        }
    }
}

// A JPEG whose pixels and the coefficients its decoder holds beside them
// would not fit beside the thumbnails is refused at its header, saying why.
TEST_F(PictureDecode, AJpegTooLargeToDecodeIsRefusedAtItsHeader)
{
    using jpegfile::Kind;
    struct Case {
        const char *name;
        jpegfile::Options options;
        int width, height;
        const char *refusal; // null: accepted
    };
    const char *tooLarge = "The picture is too large (8193 x 8192 pixels; a picture may have up to 67,108,864 "
                           "pixels and 1,000,000 along a side).";
    const Case cases[] = {
        {"baseline 4-4-4", {Kind::Colour, false, true}, 8192, 8192, nullptr},
        {"progressive 4-2-0", {Kind::Colour, true}, 8192, 8192, nullptr},
        {"progressive 4-4-4", {Kind::Colour, true, true}, 8192, 8192,
         "The picture needs 641 MiB to be decoded (its pixels and what the JPEG decoder holds beside them); a "
         "picture may need up to 512 MiB."},
        {"progressive cmyk, 6000 x 6000", {Kind::Cmyk, true}, 6000, 6000, nullptr},
        {"progressive cmyk, 8000 x 8000", {Kind::Cmyk, true}, 8000, 8000,
         "The picture needs 734 MiB to be decoded (its pixels and what the JPEG decoder holds beside them); a "
         "picture may need up to 512 MiB."},
        {"baseline over the size rule", {}, 8193, 8192, tooLarge},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString("%1.jpg").arg(c.name));
        ASSERT_TRUE(writeJpeg(file, 16, 16, c.options, smooth(16, 16)));
        const QByteArray small = contentsOf(file);
        const auto claimed = jpegfile::withFrameSize(std::vector<unsigned char>(small.begin(), small.end()),
                                                     c.width, c.height);
        write(file, QByteArray(reinterpret_cast<const char *>(claimed.data()), qsizetype(claimed.size())));
        const PictureHeader header = ReadPictureHeader(file);
        if (!c.refusal) {
            EXPECT_EQ(header.size, QSize(c.width, c.height)) << header.error.toStdString();
            continue;
        }
        EXPECT_EQ(header.error, QString(c.refusal));
        const qint64 before = PictureBytesHeld();
        for (const QSize &box : {QSize(), QSize(200, 160)})
            EXPECT_EQ(ReadPictureFile(file, {box, false}).error, QString(c.refusal));
        QImage into(4, 4, QImage::Format_RGB32);
        EXPECT_EQ(CombinePictureFile(into, file, CombineXor), QString(c.refusal));
        EXPECT_EQ(PictureBytesHeld(), before);
    }
}

// What the decoder holds beside the picture counts while it works, and a
// refusal tells only what others hold.
TEST_F(PictureDecode, AJpegDecoderCountsWhatItHolds)
{
    for (const bool progressive : {false, true})
        ASSERT_TRUE(writeJpeg(path(progressive ? "progressive.jpg" : "baseline.jpg"), 512, 512,
                              {jpegfile::Kind::Colour, progressive}, smooth(512, 512)));
    const qint64 before = PictureBytesHeld();
    BudgetRoom room(300 * 1024);
    EXPECT_TRUE(ReadPictureFile(path("baseline.jpg"), {QSize(64, 64), false}).ok());
    // 768 KiB of coefficients for the whole picture, however small it is
    // shown, beside its 16 KiB, the decoder's 60 KiB of rows and 64 KiB of
    // its tables.
    const PictureRead progressive = ReadPictureFile(path("progressive.jpg"), {QSize(64, 64), false});
    EXPECT_FALSE(progressive.ok());
    EXPECT_TRUE(progressive.overBudget);
    EXPECT_TRUE(progressive.error.startsWith("It needs 908 KiB;")) << progressive.error.toStdString();
    EXPECT_TRUE(progressive.error.contains(" and " + PictureBytesText(before) + " are in use"))
        << progressive.error.toStdString();
    EXPECT_FALSE(progressive.error.contains("other pictures")) << progressive.error.toStdString();
    EXPECT_EQ(PictureBytesHeld(), before);
}

QByteArray gzipped(const QByteArray &bytes_)
{
    z_stream stream{};
    QByteArray out(int(compressBound(uLong(bytes_.size()))) + 32, '\0');
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes_.constData()));
    stream.avail_in = uInt(bytes_.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Only formats whose decoding memory the budget can count are read; any
// other is refused, whatever its name.
TEST_F(PictureDecode, OtherKindsOfPictureAreRefused)
{
    const QByteArray svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8192\" "
                           "height=\"8192\"><rect width=\"100%\" height=\"100%\" fill=\"#336699\"/></svg>\n";
    QBuffer xbm;
    xbm.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImage(8, 8, QImage::Format_Mono).save(&xbm, "XBM"));
    struct Case {
        const char *file;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"drawing.svg", svg},
        {"drawing.svgz", gzipped(svg)},
        {"drawing.bmp", svg},
        {"drawing.jpg", svg},
        {"bits.xbm", xbm.data()},
        {"animation.gif", QByteArray("GIF89a\x00\x20\x00\x20\x80\x00\x00", 13)},
        {"empty.bmp", QByteArray()},
    };
    const QString refusal = "This kind of picture file is not supported.";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        write(path(c.file), c.bytes);
        for (const QSize &box : {QSize(), QSize(200, 160)})
            EXPECT_EQ(ReadPictureFile(path(c.file), {box, false}).error, refusal);
        EXPECT_EQ(ReadPictureHeader(path(c.file)).error, refusal);
        QImage into(4, 4, QImage::Format_RGB32);
        EXPECT_EQ(CombinePictureFile(into, path(c.file), CombineXor), refusal);
    }
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

// The files of one load give one box for the budget's refusals, however
// many thumbnails it refuses and whatever its figures; the next load gives
// one again.
TEST_F(ThumbnailCache, TheBudgetsRefusalsAreReportedOnceInALoad)
{
    for (const char *name : {"a.png", "b.png", "c.png", "d.png"})
        ASSERT_TRUE(writePlainPng(path(name), 20 * (name[0] - 'a' + 1), 10, qRgb(1, 1, 1)));
    RecordingMessageSink sink;
    {
        const TThumbnailLoad load(cache);
        {
            BudgetRoom room(100);
            EXPECT_FALSE(cache.acquire(path("a.png"), path("al.png"), 1));
            EXPECT_FALSE(cache.acquire(path("b.png"), path("bl.png"), 1));
        }
        ASSERT_EQ(sink.requests.size(), 1u);
        const QString file = QDir::toNativeSeparators(path("a.png"));
        EXPECT_TRUE(sink.requests[0].text.startsWith("The picture " + file + " could not be loaded. [It needs 1 KiB;"))
            << sink.requests[0].text.toStdString();
        // A thumbnail that reads in between does not make the next refusal new.
        EXPECT_TRUE(cache.acquire(path("b.png"), path("bl.png"), 1));
        BudgetRoom room(100);
        EXPECT_FALSE(cache.acquire(path("c.png"), path("cl.png"), 1));
        EXPECT_EQ(sink.requests.size(), 1u);
    }
    {
        BudgetRoom room(100);
        EXPECT_FALSE(cache.acquire(path("d.png"), path("dl.png"), 1));
    }
    ASSERT_EQ(sink.requests.size(), 2u);
    EXPECT_TRUE(sink.requests[1].text.startsWith("The picture " + QDir::toNativeSeparators(path("d.png"))));
    cache.release(path("b.png"), path("bl.png"));
}

// Thumbnails that are no pictures say why, each kind of reason once in a
// load, whatever reads between them; reasons that differ only in their
// figures are one kind. A thumbnail outside any load is a load of its own.
TEST_F(ThumbnailCache, EachReasonAThumbnailIsRefusedForIsReportedOnceInALoad)
{
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>";
    for (const char *name : {"a.svg", "b.svg", "c.svg"})
        write(path(name), svg);
    write(path("d.bmp"), "BM not really");
    write(path("huge.png"), pngOfNoPixels(9000, 9000));
    write(path("larger.png"), pngOfNoPixels(12000, 9000));
    ASSERT_TRUE(writePlainPng(path("good.png"), 20, 10, qRgb(1, 1, 1)));
    RecordingMessageSink sink;
    const auto refused = [&](const char *name) {
        EXPECT_FALSE(cache.acquire(path(name), path("large.png"), 1)) << name;
    };
    const QString unsupported = "[This kind of picture file is not supported.]";
    {
        const TThumbnailLoad load(cache);
        refused("a.svg");
        refused("b.svg");
        refused("d.bmp");
        ASSERT_EQ(sink.requests.size(), 2u);
        EXPECT_EQ(sink.requests[0].text, "The picture " + QDir::toNativeSeparators(path("a.svg")) +
                                             " could not be loaded. " + unsupported);
        EXPECT_TRUE(sink.requests[1].text.startsWith("The picture " + QDir::toNativeSeparators(path("d.bmp"))));
        ASSERT_TRUE(cache.acquire(path("good.png"), path("large.png"), 1));
        refused("c.svg");
        refused("huge.png");
        refused("larger.png");
        ASSERT_EQ(sink.requests.size(), 3u);
        EXPECT_TRUE(sink.requests[2].text.endsWith("[The picture is too large (9000 x 9000 pixels; a picture may have up "
                                                   "to 67,108,864 pixels and 1,000,000 along a side).]"))
            << sink.requests[2].text.toStdString();
    }
    refused("a.svg");
    refused("a.svg");
    ASSERT_EQ(sink.requests.size(), 5u);
    EXPECT_TRUE(sink.requests[3].text.endsWith(unsupported));
    EXPECT_EQ(sink.requests[4].text, sink.requests[3].text);
    cache.release(path("good.png"), path("large.png"));
}

} // namespace
