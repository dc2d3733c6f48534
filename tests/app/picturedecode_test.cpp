// Pictures decoded at the size they are shown, and the budget every picture
// read from a file is held against.

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>

#include "MessageSink.h"
#include "picturefile.h"
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
