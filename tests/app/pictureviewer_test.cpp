#include "openfixture.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

#include "Advscrollbox.h"
#include "Shell.h"
#include "advimage.h"
#include "filesizelimit.h"
#include "databasemodels.h"
#include "databasewindow.h"
#include "doubleclick.h"
#include "impstringgrid.h"
#include "picturefile.h"
#include "pictureops.h"
#include "plainpng.h"
#include "projectimages.h"
#include "recordingdesktop.h"
#include "spinuntil.h"
#include "titlebar.h"
#include "upictures.h"

namespace {

QImage filled(const QSize &size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool writePicture(const QString &path, const QSize &size, QRgb colour)
{
    QDir().mkpath(QFileInfo(path).path());
    return filled(size, colour).save(path, "PNG");
}

// Noise that no PNG filter predicts, so its file is about its raw size.
QImage noise(const QSize &size)
{
    std::mt19937 random(7);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, random() & 0xFFFFFFu);
    return image;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}


TEST(PictureZoom, WiderThan4094PixelsStepsDown)
{
    struct Case {
        int width, asked, row;
        bool limited;
    };
    const Case cases[] = {
        {2048, 5, 3, true},   // 6144 pixels: shown at 100 %
        {2048, 4, 3, true},   // 4096 is refused as well
        {2047, 4, 4, false},  // 4094 is allowed
        {585, 7, 6, true},    // 4095 exactly
        {584, 7, 7, false},
        {20000, 3, 0, true},  // the smallest row stays, however wide
        {20000, 0, 0, false},
        {0, 7, 7, false},     // no picture
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " at row " << c.asked);
        const ZoomChoice zoom = LimitZoom(c.width, c.asked);
        EXPECT_EQ(zoom.row, c.row);
        EXPECT_EQ(zoom.limited, c.limited);
    }
    EXPECT_EQ(ZoomedSize(QSize(41, 3), 2), QSize(31, 2)); // 30.75 x 2.25, rounded
    EXPECT_EQ(ZoomedSize(QSize(40, 30), 7), QSize(280, 210));
}

TEST(PictureCombine, XorAndOrPerPixelOpaque)
{
    QImage shown(2, 1, QImage::Format_RGB32);
    shown.setPixel(0, 0, qRgb(0x12, 0x34, 0x56));
    shown.setPixel(1, 0, qRgb(0xFF, 0x00, 0xFF));
    // The other picture's alpha never reaches the result.
    QImage other(2, 1, QImage::Format_ARGB32);
    other.setPixel(0, 0, qRgba(0x0F, 0x0F, 0x0F, 0x80));
    other.setPixel(1, 0, qRgba(0x00, 0xFF, 0x00, 0x00));
    struct Case {
        int operation;
        QRgb first, second;
    };
    const Case cases[] = {
        {CombineXor, qRgb(0x1D, 0x3B, 0x59), qRgb(0xFF, 0xFF, 0xFF)},
        {CombineOr, qRgb(0x1F, 0x3F, 0x5F), qRgb(0xFF, 0xFF, 0xFF)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.operation);
        QImage result = shown;
        CombinePictures(result, other, c.operation);
        EXPECT_EQ(result.pixel(0, 0), c.first);
        EXPECT_EQ(result.pixel(1, 0), c.second);
    }
    // Identical pictures XOR to black, every pixel, the last row and column too.
    QImage same = filled(QSize(3, 2), qRgb(0x80, 0x40, 0x20));
    CombinePictures(same, same, CombineXor);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(same.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
}

TEST(PictureCombine, AnotherSizeIsStretchedOverTheWhole)
{
    QImage shown = filled(QSize(4, 2), qRgb(0, 0, 0));
    QImage other(2, 1, QImage::Format_RGB32);
    other.setPixel(0, 0, qRgb(0xFF, 0, 0));
    other.setPixel(1, 0, qRgb(0, 0, 0xFF));
    CombinePictures(shown, other, CombineOr);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(shown.pixel(0, y), qRgb(0xFF, 0, 0));
        EXPECT_EQ(shown.pixel(1, y), qRgb(0xFF, 0, 0));
        EXPECT_EQ(shown.pixel(2, y), qRgb(0, 0, 0xFF));
        EXPECT_EQ(shown.pixel(3, y), qRgb(0, 0, 0xFF));
    }
    QImage none;
    CombinePictures(none, other, CombineXor);
    EXPECT_TRUE(none.isNull());
}

TEST(PictureTile, EveryWindowStaysInsideTheClientArea)
{
    struct Case {
        int count, columns, rows;
    };
    const Case cases[] = {
        {1, 1, 1}, {2, 2, 1}, {3, 1, 3}, {4, 2, 2}, {5, 1, 5}, {6, 2, 3},
        {8, 4, 2}, {10, 4, 3}, {12, 4, 3}, {16, 4, 4}, {32, 8, 4},
    };
    const QSize client(800, 600);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.count);
        const TileGrid grid = TileLayout(c.count);
        EXPECT_EQ(grid.columns, c.columns);
        EXPECT_EQ(grid.rows, c.rows);
        const std::vector<QRect> rects = TileRects(c.count, client);
        ASSERT_EQ(rects.size(), static_cast<std::size_t>(c.count));
        EXPECT_EQ(rects[0], QRect(0, 0, client.width() / c.columns, client.height() / c.rows));
        for (std::size_t i = 0; i < rects.size(); ++i) {
            EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(rects[i])) << i;
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
        }
    }
    EXPECT_TRUE(TileRects(0, client).empty());
}

TEST(PictureCascade, ANewColumnWhenAWindowWouldReachPastTheArea)
{
    const std::vector<QSize> sizes(12, QSize(100, 100));
    const std::vector<QPoint> at = CascadePositions(sizes, QSize(300, 300));
    const std::vector<QPoint> expected = {{20, 20},   {40, 40},   {60, 60},   {80, 80},  {100, 100}, {120, 120},
                                          {140, 140}, {160, 160}, {180, 180}, {200, 200}, {140, 20},  {160, 40}};
    EXPECT_EQ(at, expected);
    // A window as large as the area goes on down the diagonal.
    EXPECT_EQ(CascadePositions({QSize(290, 290), QSize(290, 290)}, QSize(300, 300)),
              (std::vector<QPoint>{{20, 20}, {40, 40}}));
}

TEST(PictureView, RelativePointAndThumbnailFrame)
{
    // A picture that fits is centred; else the centre of the visible part.
    EXPECT_EQ(RelativeViewPoint(QPoint(0, 0), QSize(100, 100), QSize(50, 400)), QPointF(0.5, 0.125));
    EXPECT_EQ(RelativeViewPoint(QPoint(150, 300), QSize(100, 100), QSize(400, 400)), QPointF(0.5, 0.875));
    EXPECT_EQ(ScrollForViewPoint(QPointF(0.5, 0.5), QSize(100, 100), QSize(400, 400)), QPoint(150, 150));
    // Clamped to the scroll range.
    EXPECT_EQ(ScrollForViewPoint(QPointF(1.0, 0.0), QSize(100, 100), QSize(400, 400)), QPoint(300, 0));
    EXPECT_EQ(ScrollForViewPoint(QPointF(0.9, 0.9), QSize(100, 100), QSize(50, 50)), QPoint(0, 0));
    const QRect thumb(8, 20, 40, 40);
    EXPECT_EQ(ThumbnailFrame(thumb, QPoint(100, 200), QSize(100, 100), QSize(400, 400)), QRect(18, 40, 10, 10));
    EXPECT_EQ(ThumbnailFrame(thumb, QPoint(0, 0), QSize(100, 500), QSize(400, 400)), QRect(8, 20, 10, 40));
    EXPECT_TRUE(ThumbnailFrame(thumb, QPoint(0, 0), QSize(400, 400), QSize(400, 400)).isEmpty());
}

class PictureFiles : public ::testing::Test {
protected:
    QString path(const QString &name) const { return folder.filePath(name); }
    QTemporaryDir folder;
};

TEST_F(PictureFiles, PngAndBmpRoundTripOpaque)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.setPixel(x, y, qRgba(40 * x, 100 * y, 7 + x + y, x == 1 ? 0x40 : 0xFF));
    for (auto [name, format] : {std::pair{"out.png", PictureFormat::Png}, {"out.bmp", PictureFormat::Bmp}}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(WritePictureFile(image, path(name), format), QString());
        const PictureRead read = ReadPictureFile(path(name));
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        ASSERT_EQ(read.image.size(), image.size());
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(read.image.pixel(x, y), qRgb(40 * x, 100 * y, 7 + x + y)) << x << "," << y;
    }
    EXPECT_TRUE(contents(path("out.png")).startsWith("\x89PNG"));
    EXPECT_TRUE(contents(path("out.bmp")).startsWith("BM"));
}

TEST_F(PictureFiles, AFailedReadSaysWhy)
{
    {
        QFile f(path("broken.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n not really");
    }
    {
        QFile f(path("broken.bmp"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM nothing more");
    }
    for (const char *name : {"missing.png", "broken.png", "broken.bmp"}) {
        SCOPED_TRACE(name);
        const PictureRead read = ReadPictureFile(path(name));
        EXPECT_FALSE(read.ok());
        EXPECT_FALSE(read.error.isEmpty());
    }
    EXPECT_EQ(ReadPictureFile(path("missing.png")).error, QStringLiteral("The file does not exist."));
}

// A PNG whose header claims more pixels than any screenshot has is refused
// before anything of that size is allocated.
TEST_F(PictureFiles, APictureClaimingTooManyPixelsIsRefused)
{
    {
        QFile f(path("huge.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pngOfNoPixels(70000, 70000));
    }
    const PictureRead read = ReadPictureFile(path("huge.png"));
    EXPECT_FALSE(read.ok());
    EXPECT_TRUE(read.image.isNull());
    EXPECT_EQ(read.error, QStringLiteral("The picture is too large (70000 x 70000 pixels; a picture may have up to "
                                         "67,108,864 pixels and 1,000,000 along a side)."));
}

TEST_F(PictureFiles, AFailedWriteKeepsTheOldFile)
{
    const QString target = path("keep.bmp");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's file");
    }
    const QImage big = filled(QSize(200, 200), qRgb(1, 2, 3)); // 160 kB as a bitmap
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active);
        EXPECT_FALSE(WritePictureFile(big, target, PictureFormat::Bmp).isEmpty());
        EXPECT_FALSE(WritePictureFile(noise(QSize(200, 200)), target, PictureFormat::Png).isEmpty());
    }
    EXPECT_EQ(contents(target), QByteArray("the user's file"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"keep.bmp"});
    EXPECT_FALSE(WritePictureFile(big, path("no/such/folder.bmp"), PictureFormat::Bmp).isEmpty());
    EXPECT_FALSE(WritePictureFile(QImage(), path("none.bmp"), PictureFormat::Bmp).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("none.bmp")));
}

// A main window whose program directory holds the reference pictures, and
// projects with pictures of their own.
//   test 1: 2048 x 8 reference pictures (zoom limits, the thumbnail frame);
//   tests 2 to 4: 40 x 30, plain grey 0x50, FSAA green.
class PictureViewer : public OpenFixture {
protected:
    void prepareProgramDirectory() override
    {
        const QString folder = programDirectory.path() + "/Quality/Reference/IQ0";
        for (int n = 1; n <= 4; ++n) {
            const QSize large = n == 1 ? QSize(2048, 8) : QSize(40, 30);
            writePicture(folder + QString::number(n) + "T_Reference.PNG", n == 1 ? QSize(64, 8) : QSize(8, 6), qRgb(n, n, n));
            writePicture(folder + QString::number(n) + "I_Reference.PNG", large, plainReference);
            writePicture(folder + QString::number(n) + "A_Reference.PNG", large, fsaaReference);
        }
    }
    void TearDown() override
    {
        for (TFPictures *window : std::vector<TFPictures *>(TFPictures::Windows()))
            window->close();
        QApplication::processEvents();
        OpenFixture::TearDown();
    }
    // A project in folder "run" whose pictures of the given tests are
    // 40 x 30 of the given colour; largeMissing leaves the large files out.
    CBasicProject *pictureProject(CBasicDatabase *db, const std::string &name, QRgb colour,
                                  std::initializer_list<int> tests = {2}, bool largeMissing = false)
    {
        const QString folder = files.filePath("run");
        std::vector<Bytes> items = {image::basicItems(name)};
        for (int n : tests) {
            const QString base = QString::fromStdString(name) + QString::number(n);
            writePicture(folder + "/" + base + "t.png", QSize(8, 6), colour);
            if (!largeMissing)
                writePicture(folder + "/" + base + "l.png", QSize(40, 30), colour);
            items.push_back(stringItem(static_cast<std::uint16_t>(239 + n), (base + "t.png").toStdString()));
            items.push_back(stringItem(static_cast<std::uint16_t>(243 + n), (base + "l.png").toStdString()));
        }
        Bytes all;
        for (const Bytes &b : items)
            all.insert(all.end(), b.begin(), b.end());
        QDir(files.path()).mkpath("run");
        const QString path = writeFile("run/" + QString::fromStdString(name) + ".prp", image::build(all));
        EXPECT_EQ(OpenProjectIntoDatabase(path, db), 1);
        return db->getProject(db->getProjectCount() - 1);
    }
    TFPictures *open(int test, CBasicDatabase *db, CBasicProject *project)
    {
        TFPictures *window = OpenPictureWindow(test, db, project);
        QApplication::processEvents();
        return window;
    }
    static QStringList items(const QComboBox *box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }
    static void focusIn(TFPictures *window)
    {
        window->Scroll1->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), window->Scroll1);
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
    static QStringList captions(QMenu *menu)
    {
        QStringList texts;
        for (QAction *a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }
    // Opens the menu as a click on it does, so its states are set.
    static void openMenu(QMenu *menu)
    {
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        menu->hide();
    }

    static constexpr QRgb plainReference = qRgb(0x50, 0x50, 0x50);
    static constexpr QRgb fsaaReference = qRgb(0x00, 0xA0, 0x00);
    static constexpr QRgb projectColour = qRgb(0x30, 0x60, 0x90);
};

TEST_F(PictureViewer, ShowsTheProjectsPictureAndListsTheProjects)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour);
    pictureProject(db, "Other", qRgb(1, 1, 1), {3});
    // A project without pictures is not listed.
    ASSERT_EQ(OpenProjectIntoDatabase(writeProject("plain.prp", "Plain"), db), 1);
    TFPictures *viewer = open(2, db, rig);
    ASSERT_EQ(TFPictures::Windows(), std::vector<TFPictures *>{viewer});
    EXPECT_EQ(items(viewer->CbProject), (QStringList{"Reference Images", "FSAA Reference Images", "Rig", "Other"}));
    EXPECT_EQ(viewer->CbProject->currentIndex(), 2);
    EXPECT_EQ(items(viewer->CbTest),
              (QStringList{"Game 1 - Road Rally", "Game 2 - Wyrmhold", "Game 3 - Atrium", "Game 4 - Meadow"}));
    EXPECT_EQ(viewer->CbTest->currentIndex(), 1);
    EXPECT_EQ(items(viewer->CbSize),
              (QStringList{"25 %", "50 %", "75 %", "100 %", "200 %", "300 %", "400 %", "700 %"}));
    EXPECT_EQ(viewer->zoomRow(), 3);
    EXPECT_EQ(viewer->pictureSize(), QSize(40, 30));
    EXPECT_EQ(viewer->Image1->size(), QSize(40, 30));
    EXPECT_EQ(viewer->shownPicture().pixel(39, 29), projectColour);
    EXPECT_EQ(viewer->RefImage->picture().size(), QSize(8, 6));
    EXPECT_EQ(viewer->windowTitle(), QString::fromStdString("Rig:Game 2 - Wyrmhold[" + rig->getResolutionText() + "," +
                                                            rig->getColorDepthText(true) + "]"));
    EXPECT_EQ(viewer->largeFileName(), QDir::toNativeSeparators(files.filePath("run/Rig2l.png")));
    // Open hands the full-size file to the desktop.
    {
        RecordingDesktop desktop;
        SetColorDepthSource([] { return 32; });
        openMenu(viewer->PopupMenu);
        ASSERT_TRUE(viewer->POpen->isEnabled());
        viewer->POpen->trigger();
        SetColorDepthSource({});
        EXPECT_EQ(desktop.opened, std::vector<QUrl>{QUrl::fromLocalFile(files.filePath("run/Rig2l.png"))});
    }
    // The reference entries show the two sets.
    viewer->CbProject->setCurrentIndex(1);
    EXPECT_EQ(viewer->project(), nullptr);
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), fsaaReference);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Reference Image:Game 2 - Wyrmhold"));
    // The Project menu holds the same projects, the shown one checked.
    viewer->CbProject->setCurrentIndex(3);
    openMenu(viewer->MProject);
    EXPECT_EQ(captions(viewer->MProject), (QStringList{"Rig", "Other"}));
    EXPECT_TRUE(viewer->MProject->actions().at(1)->isChecked());
    viewer->MProject->actions().at(0)->trigger();
    EXPECT_EQ(viewer->project(), rig);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(PictureViewer, AskedZoomTooWideForThePictureStepsDownWithAMessage)
{
    TFPictures *viewer = open(1, nullptr, nullptr);
    ASSERT_EQ(viewer->pictureSize(), QSize(2048, 8));
    struct Case {
        int asked, row, width;
        QStringList messages;
    };
    const Case cases[] = {
        {5, 3, 2048, {"Maximum zoom for this picture size is 100 %"}},
        {4, 3, 2048, {"Maximum zoom for this picture size is 100 %"}},
        {2, 2, 1536, {}},
        {0, 0, 512, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.asked);
        sink.requests.clear();
        viewer->CbSize->setCurrentIndex(c.asked);
        EXPECT_EQ(viewer->zoomRow(), c.row);
        EXPECT_EQ(viewer->CbSize->currentIndex(), c.row);
        EXPECT_EQ(viewer->Image1->width(), c.width);
        EXPECT_EQ(messages(), c.messages);
    }
}

TEST_F(PictureViewer, ZoomKeysStepAndStopAtTheEnds)
{
    TFPictures *viewer = open(2, nullptr, nullptr);
    focusIn(viewer);
    std::vector<int> rows;
    for (int i = 0; i < 5; ++i) {
        press(Qt::Key_Plus, Qt::KeypadModifier);
        rows.push_back(viewer->zoomRow());
    }
    EXPECT_EQ(rows, (std::vector<int>{4, 5, 6, 7, 7}));
    EXPECT_EQ(viewer->Image1->size(), QSize(280, 210));
    rows.clear();
    for (int i = 0; i < 9; ++i) {
        press(Qt::Key_Minus, Qt::KeypadModifier);
        rows.push_back(viewer->zoomRow());
    }
    EXPECT_EQ(rows, (std::vector<int>{6, 5, 4, 3, 2, 1, 0, 0, 0}));
    EXPECT_EQ(viewer->Image1->size(), QSize(10, 8)); // 7.5 rounds up
    // The Zoom menu's own keys, and its check mark.
    press(Qt::Key_Plus);
    press(Qt::Key_Equal);
    EXPECT_EQ(viewer->zoomRow(), 2);
    press(Qt::Key_Minus);
    EXPECT_EQ(viewer->zoomRow(), 1);
    openMenu(viewer->MZoom);
    EXPECT_EQ(captions(viewer->MZoom), (QStringList{"25 %", "50 %", "75 %", "100 %", "200 %", "300 %", "400 %",
                                                    "700 %", "Zoom In", "Zoom Out"}));
    for (int i = 0; i < zoomRowCount; ++i)
        EXPECT_EQ(viewer->zoomItems[static_cast<std::size_t>(i)]->isChecked(), i == 1) << i;
    viewer->zoomItems[6]->trigger();
    EXPECT_EQ(viewer->zoomRow(), 6);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PictureViewer, SpaceSwapsThroughTheReferencesAndBack)
{
    auto *db = new CPolyraDatabase;
    pictureProject(db, "First", qRgb(9, 9, 9));
    CBasicProject *rig = pictureProject(db, "Rig", projectColour);
    TFPictures *viewer = open(2, db, rig);
    ASSERT_EQ(viewer->CbProject->currentIndex(), 3);
    focusIn(viewer);
    struct Step {
        int state, index;
        QRgb pixel;
    };
    const Step fromProject[] = {{1, 0, plainReference}, {2, 1, fsaaReference}, {0, 3, projectColour}};
    for (const Step &s : fromProject) {
        SCOPED_TRACE(s.state);
        press(Qt::Key_Space);
        EXPECT_EQ(viewer->swapState(), s.state);
        EXPECT_EQ(viewer->CbProject->currentIndex(), s.index);
        EXPECT_EQ(viewer->shownPicture().pixel(0, 0), s.pixel);
    }
    EXPECT_EQ(viewer->project(), rig);
    // From the FSAA set: the first press shows the plain set, the third
    // goes back to the project remembered last.
    viewer->CbProject->setCurrentIndex(1);
    const Step fromReference[] = {{1, 0, plainReference}, {2, 1, fsaaReference}, {0, 3, projectColour}};
    for (const Step &s : fromReference) {
        SCOPED_TRACE(s.state);
        viewer->MSwap->trigger();
        EXPECT_EQ(viewer->swapState(), s.state);
        EXPECT_EQ(viewer->CbProject->currentIndex(), s.index);
    }
    // Swap is offered from the FSAA entry on, or while swapping.
    viewer->CbProject->setCurrentIndex(0);
    openMenu(viewer->MView);
    EXPECT_FALSE(viewer->MSwap->isEnabled());
    press(Qt::Key_Space);
    EXPECT_EQ(viewer->swapState(), 0);
    viewer->CbProject->setCurrentIndex(1);
    openMenu(viewer->MView);
    EXPECT_TRUE(viewer->MSwap->isEnabled());
}

TEST_F(PictureViewer, ViewersOfOneTestFollowEachOther)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour, {2, 3});
    TFPictures *reference = open(2, db, nullptr);
    TFPictures *project = open(2, db, rig);
    TFPictures *elsewhere = open(3, db, rig);
    project->CbSize->setCurrentIndex(6);
    EXPECT_EQ(reference->zoomRow(), 6);
    EXPECT_EQ(reference->Image1->size(), QSize(160, 120));
    EXPECT_EQ(elsewhere->zoomRow(), 3);
    // A test chosen in one takes the others of its old test along.
    project->testItems[3]->trigger();
    EXPECT_EQ(project->test(), 4);
    EXPECT_EQ(reference->test(), 4);
    EXPECT_EQ(reference->CbTest->currentIndex(), 3);
    EXPECT_EQ(reference->windowTitle(), QStringLiteral("Reference Image:Game 4 - Meadow"));
    EXPECT_EQ(elsewhere->test(), 3);
    // The project has no picture of test 4: nothing is shown, and no frame.
    EXPECT_TRUE(project->pictureSize().isEmpty());
    EXPECT_EQ(project->Image1->size(), QSize(0, 0));
    EXPECT_FALSE(project->STFrame->isVisible());
    openMenu(project->MTest);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(project->testItems[static_cast<std::size_t>(i)]->isChecked(), i == 3) << i;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(PictureViewer, TheThumbnailFrameAndDraggingMoveTheView)
{
    TFPictures *viewer = open(1, nullptr, nullptr);
    TFPictures *other = open(1, nullptr, nullptr);
    QScrollBar *across = viewer->Scroll1->horizontalScrollBar();
    const int visible = viewer->Scroll1->viewport()->width();
    ASSERT_LT(visible, 2048);
    ASSERT_EQ(across->value(), 0);
    ASSERT_TRUE(viewer->STFrame->isVisible());
    EXPECT_EQ(viewer->STFrame->geometry(),
              QRect(viewer->RefImage->x(), viewer->RefImage->y(), qRound(visible / 2048.0 * 64), 8));
    // A click on the thumbnail centres the view there.
    QTest::mouseClick(viewer->RefImage, Qt::LeftButton, Qt::NoModifier, QPoint(32, 4));
    EXPECT_EQ(across->value(), 1024 - visible / 2);
    EXPECT_EQ(viewer->STFrame->x(), viewer->RefImage->x() + qRound(across->value() / 2048.0 * 64));
    // The picture follows the mouse; the other viewer of the test follows on release.
    QTest::mousePress(viewer->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(1100, 4));
    EXPECT_EQ(viewer->Image1->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(viewer->Image1, QPoint(1040, 4));
    const int dragged = across->value();
    EXPECT_EQ(dragged, 1024 - visible / 2 + 60);
    QTest::mouseRelease(viewer->Image1, Qt::LeftButton, Qt::NoModifier, QPoint(1040 + 60, 4));
    EXPECT_EQ(viewer->Image1->cursor().shape(), Qt::ArrowCursor);
    const int otherVisible = other->Scroll1->viewport()->width();
    EXPECT_NEAR(other->Scroll1->horizontalScrollBar()->value() + otherVisible / 2.0, dragged + visible / 2.0, 1.0);
    // Zooming keeps the centre.
    viewer->CbSize->setCurrentIndex(2);
    EXPECT_NEAR(across->value() + visible / 2.0, (dragged + visible / 2.0) * 0.75, 1.0);
}

TEST_F(PictureViewer, CombinesWithTheReferenceAndTheClipboard)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour);
    TFPictures *viewer = open(2, db, rig);
    focusIn(viewer);
    struct Case {
        int key;
        QRgb pixel;
    };
    const Case cases[] = {
        {Qt::Key_F6, qRgb(0x30 ^ 0x50, 0x60 ^ 0x50, 0x90 ^ 0x50)},
        {Qt::Key_F5, projectColour},
        {Qt::Key_F7, qRgb(0x30 | 0x50, 0x60 | 0x50, 0x90 | 0x50)},
        {Qt::Key_F5, projectColour},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        press(c.key);
        EXPECT_EQ(viewer->shownPicture().pixel(0, 0), c.pixel);
        EXPECT_EQ(viewer->shownPicture().pixel(39, 29), c.pixel);
        EXPECT_EQ(viewer->Image1->picture().pixel(39, 29), c.pixel);
    }
    openMenu(viewer->MCompare);
    EXPECT_TRUE(viewer->MXorReference->isEnabled());
    // Ctrl+C is the viewer's, not the main window's project copy.
    QApplication::clipboard()->clear();
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->image().pixel(0, 0), projectColour);
    EXPECT_NE(QApplication::clipboard()->text(), ProjectListMarker);
    // Paste Special: a picture of another size gives the warning, then combines.
    QImage half = filled(QSize(20, 15), qRgb(0x0F, 0x0F, 0x0F));
    QApplication::clipboard()->setImage(half);
    openMenu(viewer->MEdit);
    ASSERT_TRUE(viewer->MPasteSpecial->isEnabled());
    viewer->MXor->trigger();
    EXPECT_EQ(messages(), QStringList{"Warning!Images are of different size."});
    EXPECT_EQ(viewer->shownPicture().pixel(39, 29), qRgb(0x3F, 0x6F, 0x9F));
    QApplication::clipboard()->setText("no picture");
    openMenu(viewer->MEdit);
    EXPECT_FALSE(viewer->MPasteSpecial->isEnabled());
    // The reference images themselves are not compared to the reference.
    viewer->CbProject->setCurrentIndex(0);
    openMenu(viewer->MCompare);
    EXPECT_FALSE(viewer->MXorReference->isEnabled());
    EXPECT_FALSE(viewer->MAndReference->isEnabled());
    press(Qt::Key_F6);
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), plainReference);
}

TEST_F(PictureViewer, SavesPngForReferencesAndBmpForProjects)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour);
    TFPictures *viewer = open(2, db, rig);
    std::vector<TFileDialogRequest> asked;
    QString answer;
    SetFileDialogRunner([&](const TFileDialogRequest &request) {
        asked.push_back(request);
        return QStringList{answer};
    });
    struct Case {
        int entry;
        QString name;
        QStringList filters;
        QByteArray magic;
        QRgb pixel;
    };
    const Case cases[] = {
        {2, "rig.bmp", {"Bitmaps (*.bmp)"}, "BM", projectColour},
        {0, "reference.png", {"Portable Network Graphics (*.png)"}, "\x89PNG", plainReference},
        {1, "fsaa.png", {"Portable Network Graphics (*.png)"}, "\x89PNG", fsaaReference},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        viewer->CbProject->setCurrentIndex(c.entry);
        answer = files.filePath(c.name);
        asked.clear();
        viewer->MSaveAs->trigger();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_TRUE(asked[0].save);
        EXPECT_EQ(asked[0].filters, c.filters);
        EXPECT_TRUE(contents(answer).startsWith(c.magic));
        const PictureRead read = ReadPictureFile(answer);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.image.size(), QSize(40, 30));
        EXPECT_EQ(read.image.pixel(39, 29), c.pixel);
    }
    // A cancelled dialog writes nothing.
    answer.clear();
    SetFileDialogRunner([](const TFileDialogRequest &) { return QStringList(); });
    viewer->MSaveAs->trigger();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(PictureViewer, AFailedSaveSaysWhyAndKeepsTheUsersFile)
{
    TFPictures *viewer = open(2, nullptr, nullptr);
    const QString target = files.filePath("keep.png");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's file");
    }
    QString answer = target;
    SetFileDialogRunner([&](const TFileDialogRequest &) { return QStringList{answer}; });
    // Noise, so the PNG is larger than the cap.
    viewer->Combine(noise(QSize(40, 30)), CombineXor);
    sink.requests.clear();
    {
        FileSizeLimit limit(256);
        ASSERT_TRUE(limit.active);
        viewer->MSaveAs->trigger();
    }
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("An error occured while trying to save the image. [")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith("]"));
    EXPECT_GT(messages()[0].size(), QStringLiteral("An error occured while trying to save the image. []").size());
    EXPECT_EQ(contents(target), QByteArray("the user's file"));
    EXPECT_EQ(QDir(files.path()).entryList(QDir::Files), QStringList{"keep.png"});
    // A folder that is not there.
    sink.requests.clear();
    answer = files.filePath("gone/picture.png");
    viewer->MSaveAs->trigger();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("An error occured while trying to save the image. ["));
    EXPECT_EQ(viewer->pictureSize(), QSize(40, 30));
}

TEST_F(PictureViewer, AMissingOrBrokenPictureFileIsNoPicture)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *missing = pictureProject(db, "Missing", projectColour, {3}, true);
    TFPictures *viewer = open(3, db, missing);
    const QString large = QDir::toNativeSeparators(files.filePath("run/Missing3l.png"));
    EXPECT_EQ(messages(), QStringList{"The picture " + large + " could not be loaded. [The file does not exist.]"});
    EXPECT_TRUE(viewer->pictureSize().isEmpty());
    EXPECT_EQ(viewer->Image1->size(), QSize(0, 0));
    EXPECT_TRUE(viewer->RefImage->picture().isNull());
    EXPECT_FALSE(viewer->STFrame->isVisible());
    EXPECT_EQ(viewer->largeFileName(), QString());
    openMenu(viewer->PopupMenu);
    EXPECT_FALSE(viewer->POpen->isEnabled());
    EXPECT_FALSE(viewer->PCopy->isEnabled());
    // Nothing to compare.
    sink.requests.clear();
    viewer->MXorReference->trigger();
    EXPECT_TRUE(messages().isEmpty());
    // A file that is there but is no picture.
    {
        QFile f(large);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n broken");
    }
    sink.requests.clear();
    viewer->MRestore->trigger();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("The picture " + large + " could not be loaded. ["));
    EXPECT_TRUE(viewer->pictureSize().isEmpty());
    // Written properly, it shows.
    ASSERT_TRUE(writePicture(large, QSize(40, 30), projectColour));
    sink.requests.clear();
    viewer->MRestore->trigger();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(viewer->pictureSize(), QSize(40, 30));
    openMenu(viewer->PopupMenu);
    EXPECT_TRUE(viewer->POpen->isEnabled());
}

// A right click as Qt delivers it (the press, then the context-menu event to
// the widget under the mouse) shows the pop-up menu at the mouse, on the
// picture and on the empty part of the scroll box, with Open and Copy
// enabled while a picture is shown.
TEST_F(PictureViewer, ARightClickShowsThePopupMenu)
{
    main->resize(1024, 768);
    TFPictures *viewer = open(2, nullptr, nullptr);
    // Wholly in view, so the click lands on it and on nothing beside it, and
    // made taller than the picture, as a user drags it, for an empty part.
    viewer->parentWidget()->move(0, 0);
    viewer->parentWidget()->resize(viewer->parentWidget()->size() + QSize(0, 60));
    QApplication::processEvents();
    QWidget *viewport = viewer->Scroll1->viewport();
    // Below the picture, so the menu fits on the screen where it is asked for.
    const QPoint empty(5, viewport->height() - 5);
    ASSERT_FALSE(viewer->Image1->geometry().contains(empty)) << viewport->width() << "x" << viewport->height();
    struct Case {
        const char *where;
        QWidget *widget;
        QPoint at;
    };
    const Case cases[] = {{"on the picture", viewer->Image1, QPoint(5, 5)}, {"on the empty part", viewport, empty}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.where);
        QMenu *shown = nullptr;
        QPoint shownAt;
        QStringList items;
        bool openEnabled = false;
        bool copyEnabled = false;
        // Whatever pop-up opens is read and closed from here, so a menu that
        // waits for a choice cannot hang the test.
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || shown)
                return;
            shown = menu;
            shownAt = menu->pos();
            items = captions(menu);
            openEnabled = viewer->POpen->isEnabled();
            copyEnabled = viewer->PCopy->isEnabled();
            menu->close();
        });
        closer.start();
        // Through the window, as the platform hands it over: a click sent to
        // the widget itself never makes a context-menu event.
        QWidget *top = c.widget->window();
        ASSERT_TRUE(top->windowHandle());
        ASSERT_EQ(top->childAt(c.widget->mapTo(top, c.at)), c.widget);
        QTest::mouseClick(top->windowHandle(), Qt::RightButton, Qt::NoModifier, c.widget->mapTo(top, c.at));
        EXPECT_TRUE(spinUntil([&] { return shown != nullptr; }, 2000)) << "no pop-up menu";
        closer.stop();
        if (QWidget *left = QApplication::activePopupWidget())
            left->close();
        EXPECT_EQ(shown, viewer->PopupMenu);
        EXPECT_EQ(shownAt, c.widget->mapToGlobal(c.at));
        EXPECT_EQ(items, (QStringList{"Open", "Copy"}));
        EXPECT_TRUE(openEnabled);
        EXPECT_TRUE(copyEnabled);
    }
}

// Pictures are held against one budget: one it has no room for is refused
// with a message naming its file, and the viewer goes on.
TEST_F(PictureViewer, APictureOverTheBudgetIsReportedByItsFile)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour);
    const QString reference =
        QDir::toNativeSeparators(programDirectory.path() + "/Quality/Reference/IQ02I_Reference.PNG");
    const QString own = QDir::toNativeSeparators(files.filePath("run/Rig2l.png"));
    const qint64 budget = SetPictureBudget(PictureBytesHeld() + 1000);
    TFPictures *viewer = open(2, db, nullptr);
    const QString reason = "It needs 5 KiB; pictures may take ";
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("The picture " + reference + " could not be loaded. [" + reason))
        << messages()[0].toStdString();
    EXPECT_TRUE(viewer->pictureSize().isEmpty());
    EXPECT_TRUE(viewer->Image1->picture().isNull());
    // With room, the project's picture shows.
    SetPictureBudget(budget);
    viewer->CbProject->setCurrentIndex(2);
    ASSERT_EQ(viewer->project(), rig);
    ASSERT_EQ(viewer->pictureSize(), QSize(40, 30));
    // Comparing reads the reference into the picture row by row: it needs no room of its own...
    sink.requests.clear();
    SetPictureBudget(PictureBytesHeld() + 1000);
    viewer->MXorReference->trigger();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), qRgb(0x30 ^ 0x50, 0x60 ^ 0x50, 0x90 ^ 0x50));
    SetPictureBudget(budget);
    viewer->MRestore->trigger();
    ASSERT_EQ(viewer->shownPicture().pixel(0, 0), projectColour);
    // ...but a picture the clipboard shares is combined in a copy of its own.
    viewer->MCopy->trigger();
    sink.requests.clear();
    SetPictureBudget(PictureBytesHeld() + 1000);
    viewer->MXorReference->trigger();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("The picture " + own + " could not be combined. [" + reason))
        << messages()[0].toStdString();
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), projectColour);
    EXPECT_EQ(viewer->Image1->picture().pixel(0, 0), projectColour);
    SetPictureBudget(budget);
    sink.requests.clear();
    viewer->MXorReference->trigger();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), qRgb(0x30 ^ 0x50, 0x60 ^ 0x50, 0x90 ^ 0x50));
    EXPECT_EQ(QApplication::clipboard()->image().pixel(0, 0), projectColour);
}

// The budget's refusal says what holds the pictures: a copy left on the
// clipboard by a viewer that has closed, the viewers, the thumbnails.
TEST_F(PictureViewer, ARefusalSaysWhatHoldsThePictures)
{
    TFPictures *first = open(2, nullptr, nullptr);
    focusIn(first);
    press(Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(QApplication::clipboard()->image().size(), QSize(40, 30));
    first->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TFPictures *second = open(3, nullptr, nullptr);
    ASSERT_EQ(second->pictureSize(), QSize(40, 30));
    const qint64 budget = SetPictureBudget(PictureBytesHeld() + 1000);
    open(4, nullptr, nullptr);
    SetPictureBudget(budget);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains(
        ": 5 KiB by the picture copied to the clipboard, 5 KiB by the picture shown in a viewer, "))
        << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith(" by thumbnails.]")) << messages()[0].toStdString();
    // Once the clipboard holds something else, it holds no picture.
    QApplication::clipboard()->setText("text");
    sink.requests.clear();
    SetPictureBudget(PictureBytesHeld() + 1000);
    open(4, nullptr, nullptr);
    SetPictureBudget(budget);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_FALSE(messages()[0].contains("clipboard")) << messages()[0].toStdString();
}

// The picture shown is held once: a combination changes it where it lies,
// and a viewer that closes gives its picture back to the budget.
TEST_F(PictureViewer, AViewerHoldsItsPictureOnce)
{
    const qint64 before = PictureBytesHeld();
    TFPictures *viewer = open(2, nullptr, nullptr);
    EXPECT_EQ(PictureBytesHeld() - before, 40 * 30 * 4);
    viewer->Combine(filled(QSize(40, 30), qRgb(1, 1, 1)), CombineXor);
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), qRgb(0x51, 0x51, 0x51));
    EXPECT_EQ(PictureBytesHeld() - before, 40 * 30 * 4);
    viewer->MRestore->trigger();
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), plainReference);
    EXPECT_EQ(PictureBytesHeld() - before, 40 * 30 * 4);
    viewer->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(PictureBytesHeld(), before);
}

// A viewer whose picture was refused keeps the settings it has with a
// picture, so Test, Project and Zoom can still be read and used.
TEST_F(PictureViewer, AnEmptyViewerKeepsItsSettingsUsable)
{
    main->resize(1024, 768);
    QApplication::processEvents();
    const QString folder = programDirectory.path() + "/Quality/Reference/IQ0";
    {
        QFile broken(folder + "3I_Reference.PNG");
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("\x89PNG\r\n\x1a\n broken");
    }
    TFPictures *shown = open(2, nullptr, nullptr);
    ASSERT_FALSE(shown->pictureSize().isEmpty());
    const int settingsHeight = shown->Settings->height();
    ASSERT_GE(settingsHeight, shown->Settings->sizeHint().height());
    shown->parentWidget()->close();
    QApplication::processEvents();
    struct Case {
        const char *why;
        int test;
        qint64 budget; // 0: as it is
    };
    const Case cases[] = {
        {"a corrupt file", 3, 0},
        {"no room in the budget", 2, 1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        const qint64 budget = SetPictureBudget(c.budget ? PictureBytesHeld() + c.budget : pictureBudgetBytes);
        TFPictures *viewer = open(c.test, nullptr, nullptr);
        SetPictureBudget(budget);
        ASSERT_TRUE(viewer->pictureSize().isEmpty());
        EXPECT_EQ(messages().size(), 1);
        sink.requests.clear();
        EXPECT_EQ(viewer->Settings->height(), settingsHeight);
        for (QComboBox *box : {viewer->CbTest, viewer->CbProject, viewer->CbSize}) {
            EXPECT_GE(box->height(), box->sizeHint().height()) << box->objectName().toStdString();
            EXPECT_TRUE(viewer->Settings->rect().contains(box->geometry())) << box->objectName().toStdString();
        }
        // The test list takes a key as it does with a picture.
        viewer->CbTest->setFocus();
        QApplication::processEvents();
        press(Qt::Key_Up);
        EXPECT_EQ(viewer->test(), c.test - 1);
        EXPECT_FALSE(viewer->pictureSize().isEmpty());
        viewer->parentWidget()->close();
        QApplication::processEvents();
    }
}

TEST_F(PictureViewer, FollowsTheDatabasesProjects)
{
    auto *db = new CPolyraDatabase;
    pictureProject(db, "One", qRgb(1, 1, 1));
    TFPictures *viewer = open(2, db, nullptr);
    ASSERT_EQ(items(viewer->CbProject), (QStringList{"Reference Images", "FSAA Reference Images", "One"}));
    CBasicProject *two = pictureProject(db, "Two", projectColour);
    EXPECT_EQ(items(viewer->CbProject), (QStringList{"Reference Images", "FSAA Reference Images", "One", "Two"}));
    EXPECT_EQ(viewer->CbProject->currentIndex(), 0);
    viewer->CbProject->setCurrentIndex(3);
    ASSERT_EQ(viewer->project(), two);
    // Taken out of the database: the viewer shows the reference again.
    db->removeProject(two);
    EXPECT_EQ(items(viewer->CbProject), (QStringList{"Reference Images", "FSAA Reference Images", "One"}));
    EXPECT_EQ(viewer->project(), nullptr);
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), plainReference);
    delete two;
    // Freed while shown: its pictures leave the cache first, the copy stays readable.
    viewer->CbProject->setCurrentIndex(2);
    CBasicProject *one = viewer->project();
    ASSERT_TRUE(one);
    const QImage before = viewer->shownPicture();
    delete one;
    EXPECT_EQ(items(viewer->CbProject), (QStringList{"Reference Images", "FSAA Reference Images"}));
    EXPECT_EQ(viewer->project(), nullptr);
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), plainReference);
    EXPECT_EQ(before.pixel(0, 0), qRgb(1, 1, 1));
    // The FSAA set stays shown when the list is filled again.
    viewer->CbProject->setCurrentIndex(1);
    pictureProject(db, "Three", qRgb(3, 3, 3));
    EXPECT_EQ(viewer->CbProject->currentIndex(), 1);
    EXPECT_EQ(viewer->shownPicture().pixel(0, 0), fsaaReference);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(PictureViewer, AViewerClosesWithItsDatabaseEvenAnEmptyOne)
{
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty);
        auto *db = new CPolyraDatabase;
        auto *other = new CPolyraDatabase;
        CBasicProject *rig = empty ? nullptr : pictureProject(db, "Rig", projectColour);
        TFPictures *viewer = open(2, db, rig);
        QPointer<TFPictures> watched(viewer);
        TFPictures *stays = open(2, other, nullptr);
        delete db;
        // Out of the list at once, not at the deferred delete.
        EXPECT_EQ(TFPictures::Windows(), std::vector<TFPictures *>{stays});
        EXPECT_EQ(viewer->database(), nullptr);
        EXPECT_EQ(viewer->project(), nullptr);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        EXPECT_FALSE(watched);
        delete other;
        EXPECT_TRUE(TFPictures::Windows().empty());
    }
}

TEST_F(PictureViewer, TheMainWindowsEndTakesTheViewersAlong)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour);
    open(2, db, rig);
    open(2, nullptr, nullptr);
    main.reset();
    EXPECT_TRUE(TFPictures::Windows().empty());
}

TEST_F(PictureViewer, TheWindowMenuListsTheViewersAndArrangesThem)
{
    TFPictures *first = open(2, nullptr, nullptr);
    TFPictures *second = open(3, nullptr, nullptr);
    TFPictures *third = open(4, nullptr, nullptr);
    openMenu(second->MWindow);
    EXPECT_EQ(captions(second->MWindow),
              (QStringList{"Reference Image:Game 2 - Wyrmhold", "Reference Image:Game 3 - Atrium",
                           "Reference Image:Game 4 - Meadow", "-", "&Cascade", "&Tile"}));
    const QList<QAction *> listed = second->MWindow->actions();
    EXPECT_FALSE(listed[0]->isChecked());
    EXPECT_TRUE(listed[1]->isChecked());
    listed[0]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(main->mdiArea()->activeSubWindow(), first->parentWidget());
    // Opening again lists the windows once.
    openMenu(second->MWindow);
    EXPECT_EQ(second->MWindow->actions().size(), 6);

    const QSize client = main->mdiArea()->viewport()->size();
    ASSERT_FALSE(client.isEmpty());
    third->MFullScreen->trigger();
    EXPECT_FALSE(third->Panel->isVisible());
    EXPECT_TRUE(third->parentWidget()->isMaximized());
    second->MTile->trigger();
    const std::vector<QRect> places = TileRects(3, client);
    int i = 0;
    for (TFPictures *window : {first, second, third}) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(window->parentWidget()->isMaximized());
        EXPECT_EQ(window->parentWidget()->geometry(), places[static_cast<std::size_t>(i++)]);
    }
    first->MCascade->trigger();
    EXPECT_EQ(first->parentWidget()->pos(), QPoint(20, 20));
    EXPECT_EQ(second->parentWidget()->pos(), QPoint(40, 40));
    EXPECT_EQ(third->parentWidget()->pos(), QPoint(60, 60));
    // Close All closes the others, then itself.
    second->MCloseAll->trigger();
    EXPECT_TRUE(TFPictures::Windows().empty());
}

TEST_F(PictureViewer, ShowingFitsTheWindowToThePicture)
{
    main->resize(1024, 768);
    QApplication::processEvents();
    TFPictures *small = open(2, nullptr, nullptr); // 40 x 30
    TFPictures *wide = open(1, nullptr, nullptr);  // 2048 x 8
    for (TFPictures *window : {small, wide}) {
        SCOPED_TRACE(window == small ? "small" : "wide");
        // The settings, the thumbnail and every menu show whole.
        EXPECT_TRUE(window->rect().contains(QRect(window->Panel->mapTo(window, QPoint(0, 0)), window->Panel->size())));
        EXPECT_GE(window->Panel->width(), window->Panel->sizeHint().width());
        EXPECT_TRUE(window->Panel->rect().contains(window->Thumbnail->geometry()));
        QMenuBar *bar = window->MainMenu;
        for (QAction *item : bar->actions())
            EXPECT_TRUE(bar->rect().contains(bar->actionGeometry(item))) << item->text().toStdString();
        // No window is wider than a picture may make it or the menus and
        // the settings need.
        EXPECT_LE(window->width(), std::max({361, bar->sizeHint().width(), window->Panel->sizeHint().width()}));
        // The picture starts at its top left corner, every row of it in
        // view, and below it no more than the box's border.
        EXPECT_EQ(window->Image1->pos(), QPoint(0, 0));
        EXPECT_EQ(window->Scroll1->horizontalScrollBar()->value(), 0);
        EXPECT_FALSE(window->Scroll1->verticalScrollBar()->isVisible());
        EXPECT_GE(window->Scroll1->viewport()->height(), window->Image1->height());
        EXPECT_LE(window->Scroll1->viewport()->height(), window->Image1->height() + 4);
    }
    // The small picture shows whole; the wide one gets the widest window
    // a picture may have, and a scroll bar for the rest.
    EXPECT_TRUE(small->Scroll1->viewport()->rect().contains(small->Image1->geometry()));
    EXPECT_FALSE(small->Scroll1->horizontalScrollBar()->isVisible());
    EXPECT_GE(wide->width(), 361);
    EXPECT_TRUE(wide->Scroll1->horizontalScrollBar()->isVisible());
    // Thumbnail hides and shows the panel, with its check mark.
    wide->MThumbnail->trigger();
    EXPECT_FALSE(wide->Panel->isVisible());
    EXPECT_FALSE(wide->MThumbnail->isChecked());
    wide->MThumbnail->trigger();
    EXPECT_TRUE(wide->Panel->isVisible());
    EXPECT_TRUE(wide->MThumbnail->isChecked());
}

// The database window's Image Quality grid shows the pictures and opens
// them in the viewer.
TEST_F(PictureViewer, TheImageGridShowsPicturesAndOpensThemInTheViewer)
{
    auto *db = new CPolyraDatabase;
    CBasicProject *rig = pictureProject(db, "Rig", projectColour, {2});
    db->showWindow();
    QApplication::processEvents();
    TFDatabase *window = db->getWindow();
    ASSERT_TRUE(window);
    window->PageControl1->setCurrentWidget(window->TabImages);
    QApplication::processEvents();
    int rowOfTest2 = -1;
    for (int row = 0; row < TImageGridModel::gridRowCount(); ++row)
        if (const int i = TImageGridModel::pictureTableRow(row); i >= 0 && testImageTable[std::size_t(i)].n == 2)
            rowOfTest2 = row;
    ASSERT_GE(rowOfTest2, TImageGridModel::firstPictureRow);
    // Column 1 holds the reference set, column 2 the project.
    const TThumbPicture *reference = window->pictureOfCell(1, rowOfTest2);
    const TThumbPicture *own = window->pictureOfCell(2, rowOfTest2);
    ASSERT_TRUE(reference);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->picture.pixel(0, 0), projectColour);
    EXPECT_EQ(window->pictureOfCell(2, rowOfTest2 + 1), nullptr); // no picture of test 3

    TImpStringGrid *grid = window->ImageGrid;
    const QPoint cell = grid->visualRect(window->imageModel()->index(rowOfTest2 - 1, 1)).center();
    // Copy puts the large picture on the clipboard.
    QTest::mouseMove(grid->viewport(), cell);
    window->setImageMouse(cell);
    window->PImageCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(40, 30));
    // One the picture budget has no room for is named, and not copied.
    QApplication::clipboard()->setText("kept");
    sink.requests.clear();
    const qint64 budget = SetPictureBudget(PictureBytesHeld() + 1000);
    window->PImageCopy->trigger();
    SetPictureBudget(budget);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("The picture " + TThumbPictureList::largeFileName(own) +
                                         " could not be loaded. [It needs 5 KiB; pictures may take "))
        << messages()[0].toStdString();

    doubleClick(grid->viewport(), cell);
    QApplication::processEvents();
    ASSERT_EQ(TFPictures::Windows().size(), 1u);
    TFPictures *viewer = TFPictures::Windows().front();
    EXPECT_EQ(viewer->test(), 2);
    EXPECT_EQ(viewer->project(), rig);
}

} // namespace
namespace {

// Over a maximised database window a viewer opens at its own size inside
// the client area and the database window stays maximised; the viewer's
// maximise button, and Ctrl+U with the side panel, fill the area with it.
TEST_F(PictureViewer, OverAMaximisedDatabaseWindowAViewerKeepsItsSizeUntilMaximised)
{
    auto *db = new CPolyraDatabase;
    pictureProject(db, "Rig", projectColour, {2});
    db->showWindow();
    QApplication::processEvents();
    auto *frame = qobject_cast<QMdiSubWindow *>(db->getWindow()->parentWidget());
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->isMaximized());
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Ctrl+U" : "maximise button");
        TFPictures *viewer = open(2, db, db->getProject(0));
        auto *child = qobject_cast<QMdiSubWindow *>(viewer->parentWidget());
        ASSERT_TRUE(child);
        const QRect area = main->mdiArea()->viewport()->rect();
        EXPECT_TRUE(frame->isMaximized());
        EXPECT_FALSE(child->isMaximized());
        EXPECT_TRUE(area.contains(child->geometry())) << child->x() << "," << child->y();
        if (byKey) {
            focusIn(viewer);
            press(Qt::Key_U, Qt::ControlModifier);
            EXPECT_FALSE(viewer->Panel->isVisible());
            EXPECT_FALSE(viewer->MThumbnail->isChecked());
        } else {
            const QPoint button = titleBarButton(child, QStyle::SC_TitleBarMaxButton);
            QTest::mouseMove(child, button);
            QTest::mouseClick(child, Qt::LeftButton, Qt::NoModifier, button);
            QApplication::processEvents();
            EXPECT_TRUE(viewer->Panel->isVisible());
        }
        EXPECT_TRUE(child->isMaximized());
        // The area without the scroll bar the database window needed.
        EXPECT_EQ(child->geometry(), main->mdiArea()->viewport()->rect());
        child->close();
        QApplication::processEvents();
    }
}

// At its first size, in the main window's designed size, the viewer's menu
// bar shows every menu and its lists their whole entries; a wider window
// gives a long project name its room.
TEST_F(PictureViewer, AtItsFirstSizeEveryMenuAndEveryListEntryShowsWhole)
{
    auto *db = new CPolyraDatabase;
    const std::string longName = "Pentium 4 2000 GeForce3 Ti 500 B";
    pictureProject(db, "Rig", projectColour, {1});
    pictureProject(db, longName, projectColour, {1});
    TFPictures *viewer = open(1, db, db->getProject(0));
    auto *child = qobject_cast<QMdiSubWindow *>(viewer->parentWidget());
    ASSERT_TRUE(child);
    EXPECT_TRUE(main->mdiArea()->viewport()->rect().contains(child->geometry()));
    QMenuBar *bar = viewer->MainMenu;
    for (QMenu *menu : {viewer->MFile, viewer->MEdit, viewer->MView, viewer->MCompare, viewer->MProject,
                        viewer->MTest, viewer->MZoom, viewer->MWindow}) {
        const QRect item = bar->actionGeometry(menu->menuAction());
        EXPECT_TRUE(bar->rect().contains(item)) << menu->title().toStdString();
    }
    // The bar's button for the menus it has no room for stays hidden.
    auto *more = bar->findChild<QWidget *>("qt_menubar_ext_button");
    ASSERT_NE(more, nullptr);
    EXPECT_FALSE(more->isVisible());

    // The width a list shows its entries in.
    auto field = [](const QComboBox *box) {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.subControls = QStyle::SC_All;
        option.frame = true;
        return box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box).width();
    };
    auto fits = [&field](const QComboBox *box, const QString &text) {
        return box->fontMetrics().horizontalAdvance(text) <= field(box);
    };
    for (const QString &name : items(viewer->CbTest))
        EXPECT_TRUE(fits(viewer->CbTest, name)) << name.toStdString();
    for (const QString &name : {QStringLiteral("FSAA Reference Images"), QStringLiteral("Rig")})
        EXPECT_TRUE(fits(viewer->CbProject, name)) << name.toStdString();

    main->resize(1024, 768);
    child->showMaximized();
    QApplication::processEvents();
    EXPECT_TRUE(fits(viewer->CbProject, QString::fromStdString(longName)));
}

} // namespace
namespace {

// Inside a viewer, Alt and the letter of one of its menus opens that menu at
// every press, also where the main window's menus have the same letter; in
// the tree the same keys open the main window's menus.
TEST_F(PictureViewer, AltAndAMenuLetterOpensTheMenuOfTheWindowWithTheFocus)
{
    TFPictures *viewer = open(2, nullptr, nullptr);
    auto shownBy = [](Qt::Key key) {
        press(key, Qt::AltModifier);
        QWidget *shown = QApplication::activePopupWidget();
        if (shown)
            shown->close();
        QApplication::processEvents();
        return shown;
    };
    struct Case {
        Qt::Key key;
        QMenu *own;
        const char *mainMenu;
    };
    const Case cases[] = {{Qt::Key_F, viewer->MFile, "File1"},   {Qt::Key_E, viewer->MEdit, "Edit1"},
                          {Qt::Key_V, viewer->MView, "View1"},   {Qt::Key_W, viewer->MWindow, "MWindow"},
                          {Qt::Key_Z, viewer->MZoom, nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
        for (int i = 1; i <= 2; ++i) {
            focusIn(viewer);
            EXPECT_EQ(shownBy(c.key), c.own) << "press " << i;
        }
        if (c.mainMenu) {
            main->tree()->setFocus();
            QApplication::processEvents();
            EXPECT_EQ(shownBy(c.key), main->menu(c.mainMenu));
        }
    }
}

} // namespace
