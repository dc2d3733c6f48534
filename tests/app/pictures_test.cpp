#include "openfixture.h"

#include <QColor>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <functional>

#include "Cp1252.h"
#include "MessageSink.h"
#include "plainpng.h"
#include "projectimages.h"
#include "projectload.h"

namespace {

// A tiny picture of one colour.
bool writePicture(const QString &path, const QColor &colour, const char *format = "PNG")
{
    QDir().mkpath(QFileInfo(path).path());
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, format);
}

class Pictures : public ::testing::Test {
protected:
    QString path(const QString &name) const { return QDir(folder.path()).filePath(name); }
    QTemporaryDir folder;
    TThumbPictureList cache;
    RecordingMessageSink sink;
};

TEST_F(Pictures, AcquireCountsAndReleaseFrees)
{
    ASSERT_TRUE(writePicture(path("t.png"), Qt::red));
    TThumbPicture *first = cache.acquire(path("t.png"), path("large.png"), 3);
    ASSERT_TRUE(first);
    TThumbPicture *second = cache.acquire(path("t.png"), path("large.png"), 9);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->useCount, 2);
    EXPECT_EQ(first->tag, 3);
    EXPECT_EQ(cache.count(), 1);
    cache.release(path("t.png"), path("large.png"));
    EXPECT_EQ(cache.find(path("t.png"), path("large.png")), first);
    EXPECT_EQ(first->useCount, 1);
    cache.release(path("t.png"), path("large.png"));
    EXPECT_FALSE(cache.find(path("t.png"), path("large.png")));
    EXPECT_EQ(cache.count(), 0);
    // Releasing what is not there does nothing.
    cache.release(path("t.png"), path("large.png"));
}

TEST_F(Pictures, EntriesAreKeyedByBothFiles)
{
    ASSERT_TRUE(writePicture(path("IQ01T.PNG"), Qt::red));
    TThumbPicture *plain = cache.acquire(path("IQ01T.PNG"), "/elsewhere/IQ01I.PNG", 1);
    TThumbPicture *fsaa = cache.acquire(path("IQ01T.PNG"), "/elsewhere/IQ01A.PNG", 1);
    ASSERT_TRUE(plain && fsaa);
    EXPECT_NE(plain, fsaa);
    // The full-size picture is looked for next to the thumbnail.
    EXPECT_EQ(TThumbPictureList::largeFileName(plain), QDir::toNativeSeparators(path("IQ01I.PNG")));
    EXPECT_EQ(TThumbPictureList::largeFileName(fsaa), QDir::toNativeSeparators(path("IQ01A.PNG")));
    // Both names are compared without regard to case.
    EXPECT_EQ(cache.acquire(path("iq01t.png"), "/ELSEWHERE/iq01a.png", 1), fsaa);
    EXPECT_EQ(fsaa->useCount, 2);
    cache.release(path("IQ01T.PNG"), "/elsewhere/IQ01I.PNG");
    EXPECT_EQ(cache.count(), 1);
}

TEST_F(Pictures, LoadsByTheExtension)
{
    ASSERT_TRUE(writePicture(path("green.png"), Qt::green));
    ASSERT_TRUE(writePicture(path("blue.PNG"), Qt::blue));
    ASSERT_TRUE(writePicture(path("yellow.bmp"), Qt::yellow, "BMP"));
    // A PNG under another name is read by its content.
    ASSERT_TRUE(writePicture(path("disguised.bmp"), Qt::cyan));
    {
        QFile f(path("broken.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x89PNG\r\n\x1a\n not really");
    }
    {
        QFile f(path("bmp.png"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QImage image(2, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(&f, "BMP");
    }
    struct Case {
        QString name;
        bool loads;
        QColor colour;
        bool reported = false; // a file there that is no picture says why
    };
    const Case cases[] = {
        {"green.png", true, Qt::green},   {"blue.PNG", true, Qt::blue},     {"yellow.bmp", true, Qt::yellow},
        {"disguised.bmp", true, Qt::cyan}, {"broken.png", false, QColor(), true}, {"bmp.png", false, QColor(), true},
        {"missing.png", false, QColor()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        sink.requests.clear();
        TThumbPicture *entry = cache.acquire(path(c.name), path("large.png"), 1);
        EXPECT_EQ(entry != nullptr, c.loads);
        ASSERT_EQ(sink.requests.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_TRUE(sink.requests[0].text.startsWith("The picture " + QDir::toNativeSeparators(path(c.name)) +
                                                         " could not be loaded. ["))
                << sink.requests[0].text.toStdString();
        }
        if (entry) {
            EXPECT_EQ(entry->picture.size(), QSize(3, 2));
            EXPECT_EQ(entry->picture.pixelColor(2, 1).rgb(), c.colour.rgb());
            EXPECT_FALSE(entry->pixmap().isNull());
        } else {
            EXPECT_FALSE(cache.find(path(c.name), path("large.png")));
        }
    }
}

TEST(TestImageTable, RowsByNumber)
{
    const std::pair<int, int> cases[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 0}, {0, 0}, {-1, 0}};
    for (auto [n, row] : cases)
        EXPECT_EQ(testImageRow(n), row) << n;
    struct Row {
        int n, smallItem, fullItem;
        const char *title;
    };
    const Row rows[] = {
        {1, 240, 244, "Game 1 - Road Rally"},
        {2, 241, 245, "Game 2 - Wyrmhold"},
        {3, 242, 246, "Game 3 - Atrium"},
        {4, 243, 247, "Game 4 - Meadow"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].n);
        EXPECT_EQ(testImageTable[i].n, rows[i].n);
        EXPECT_EQ(testImageTable[i].smallItem, rows[i].smallItem);
        EXPECT_EQ(testImageTable[i].fullItem, rows[i].fullItem);
        EXPECT_STREQ(testImageTable[i].title, rows[i].title);
        EXPECT_STREQ(testImageTable[i].title2, "");
    }
    EXPECT_EQ(testImageTable[4].n, 0);
}

// A program directory with the reference pictures, some left out.
class ReferenceSets : public OpenFixture {
protected:
    void prepareProgramDirectory() override
    {
        const QString folder = programDirectory.path() + "/Quality/Reference/";
        for (int n = 1; n <= 4; ++n)
            for (const char *kind : {"T", "I", "A"}) {
                const QString name = QString("IQ0%1%2_Reference.PNG").arg(n).arg(kind);
                if (!leftOut.contains(name))
                    writePicture(folder + name, QColor(n * 40, 0, 0));
            }
    }
    QStringList leftOut;
};

TEST_F(ReferenceSets, BothSetsLoadFromTheProgramDirectory)
{
    EXPECT_TRUE(main->referenceImagesLoaded());
    for (int set = 0; set < 2; ++set) {
        TProjectImages *images = ReferenceImages(set);
        ASSERT_TRUE(images);
        EXPECT_TRUE(images->allLoaded());
        EXPECT_EQ(images->count(), 4);
        for (int n = 1; n <= 4; ++n) {
            TThumbPicture *entry = images->findByTag(n);
            ASSERT_TRUE(entry) << set << " " << n;
            EXPECT_EQ(entry->picture.pixelColor(0, 0).red(), n * 40);
            const QString large = QString("IQ0%1%2_Reference.PNG").arg(n).arg(set == 0 ? "I" : "A");
            EXPECT_EQ(TThumbPictureList::largeFileName(entry),
                      QDir::toNativeSeparators(programDirectory.path() + "/Quality/Reference/" + large));
        }
        EXPECT_FALSE(images->findByTag(5));
    }
    // The two sets share their thumbnails' files, not their entries.
    EXPECT_NE(ReferenceImages(0)->findByTag(1), ReferenceImages(1)->findByTag(1));
    main.reset();
    EXPECT_FALSE(ReferenceImages(0));
}

class IncompleteReferenceSets : public ReferenceSets {
protected:
    void SetUp() override
    {
        // Only the thumbnails must be there: the full-size pictures are opened on demand.
        leftOut = {"IQ03T_Reference.PNG", "IQ02A_Reference.PNG"};
        ReferenceSets::SetUp();
    }
};

TEST_F(IncompleteReferenceSets, AMissingPictureIsReported)
{
    EXPECT_FALSE(main->referenceImagesLoaded());
    for (int set = 0; set < 2; ++set) {
        EXPECT_FALSE(ReferenceImages(set)->allLoaded());
        EXPECT_EQ(ReferenceImages(set)->count(), 3);
        EXPECT_FALSE(ReferenceImages(set)->findByTag(3));
        EXPECT_TRUE(ReferenceImages(set)->findByTag(2));
    }
    EXPECT_EQ(startMessages, QStringList{"Some of the Quality Tests Reference Images Didn't Load"});
}

// Project pictures: the project's folder and the names of items 240-247.
class ProjectPictures : public OpenFixture {
protected:
    QString writePictureProject(const QString &folderName, const Bytes &pictureItems)
    {
        QDir(files.path()).mkpath(folderName);
        return writeFile(folderName + "/pictures.prp",
                         image::build(cat({image::basicItems("Pictured"), pictureItems})));
    }
};

TEST_F(ProjectPictures, LoadedFromTheProjectsFolder)
{
    const QString folder = files.filePath("run");
    writePicture(folder + "/t1.png", Qt::red);
    writePicture(folder + "/t3.png", Qt::green);
    QTemporaryDir otherFolder;
    writePicture(otherFolder.filePath("t4.png"), Qt::blue);
    auto *db = new CPolyraDatabase;
    struct Case {
        Bytes items;
        bool allLoaded;
        std::vector<int> tags;
    };
    const Case cases[] = {
        {cat({stringItem(240, "t1.png"), stringItem(244, "l1.png"), stringItem(242, "t3.png"),
              stringItem(246, "l3.png")}),
         true, {1, 3}},
        // A row with one item only is skipped.
        {cat({stringItem(240, "t1.png")}), true, {}},
        {cat({stringItem(241, "missing.png"), stringItem(245, "l2.png"), stringItem(240, "t1.png"),
              stringItem(244, "l1.png")}),
         false, {1}},
        // An absolute name stands as it is.
        {cat({stringItem(243, toCp1252(otherFolder.filePath("t4.png"))), stringItem(247, "l4.png")}), true, {4}},
        {Bytes(), true, {}},
    };
    for (const Case &c : cases) {
        const QString path = writePictureProject("run", c.items);
        ASSERT_EQ(OpenProjectIntoDatabase(path, db), 1);
        CBasicProject *p = db->getProject(db->getProjectCount() - 1);
        auto *images = dynamic_cast<TProjectImages *>(p->getImages());
        ASSERT_TRUE(images);
        EXPECT_EQ(images->allLoaded(), c.allLoaded);
        std::vector<int> tags;
        for (int i = 0; i < images->count(); ++i)
            tags.push_back(images->entry(i)->tag);
        EXPECT_EQ(tags, c.tags);
    }
    auto *images = dynamic_cast<TProjectImages *>(db->getProject(0)->getImages());
    ASSERT_TRUE(images);
    EXPECT_EQ(TThumbPictureList::largeFileName(images->findByTag(3)), QDir::toNativeSeparators(folder + "/l3.png"));
}

TEST_F(ProjectPictures, ReloadingKeepsEachPictureOnce)
{
    const QString folder = files.filePath("run");
    writePicture(folder + "/t1.png", Qt::red);
    auto *db = new CPolyraDatabase;
    ASSERT_EQ(OpenProjectIntoDatabase(writePictureProject("run", cat({stringItem(240, "t1.png"), stringItem(244, "l1.png")})), db), 1);
    CBasicProject *p = db->getProject(0);
    auto *images = dynamic_cast<TProjectImages *>(p->getImages());
    ASSERT_TRUE(images);
    TThumbPicture *entry = images->findByTag(1);
    ASSERT_TRUE(entry);
    const int uses = entry->useCount;
    p->loadImages();
    p->loadImages();
    EXPECT_EQ(images->count(), 1);
    EXPECT_EQ(entry->useCount, uses);
    delete p;
    EXPECT_FALSE(ThumbPictures().find(QDir::toNativeSeparators(folder + "/t1.png"),
                                      QDir::toNativeSeparators(folder + "/l1.png")));
}

TEST_F(ProjectPictures, ACopyKeepsItsSourcesPictures)
{
    QTemporaryDir temp;
    ScopedEnvironment tmpdir("TMPDIR", temp.path().toUtf8());
    const QString folder = files.filePath("run");
    writePicture(folder + "/t1.png", Qt::red);
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    ASSERT_EQ(OpenProjectIntoDatabase(writePictureProject("run", cat({stringItem(240, "t1.png"), stringItem(244, "l1.png")})), a), 1);
    TProjectDrag drag(a->getProject(0));
    drag.copyFlag = 1;
    drag.targetDatabase = b;
    drag.Finished(b, true);
    ASSERT_EQ(b->getProjectCount(), 1);
    auto *images = dynamic_cast<TProjectImages *>(b->getProject(0)->getImages());
    ASSERT_TRUE(images);
    EXPECT_TRUE(images->allLoaded());
    EXPECT_TRUE(images->findByTag(1));
}

// Five projects, each naming a picture that is refused among pictures that
// read, opened in one load (dropped together, or a list named on the
// command line): one box for each kind of reason, whatever reads between
// them and whatever figures the reasons carry.
TEST_F(ProjectPictures, OneLoadOfProjectsShowsEachReasonOnce)
{
    const QString folder = files.filePath("run");
    for (int i = 0; i < 5; ++i) {
        writePicture(folder + QString("/t1-%1.png").arg(i), Qt::red);
        writePicture(folder + QString("/t3-%1.png").arg(i), Qt::green);
    }
    {
        QFile svg(folder + "/drawing.svg");
        ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>");
    }
    const auto writeProjects = [&](const QString &kind, const std::function<std::string(int)> &refused) {
        QStringList paths;
        for (int i = 0; i < 5; ++i) {
            // Each its own pictures that read, one before and one after the refused one.
            const std::string n = std::to_string(i);
            const Bytes items = cat({stringItem(240, "t1-" + n + ".png"), stringItem(244, "l1.png"), stringItem(241, refused(i)),
                                     stringItem(245, "l2.png"), stringItem(242, "t3-" + n + ".png"), stringItem(246, "l3.png")});
            paths << writeFile(QString("run/%1%2.prp").arg(kind).arg(i),
                               image::build(cat({image::basicItems("Pictured " + std::to_string(i)), items})));
        }
        return paths;
    };
    const QStringList unsupported = writeProjects("svg", [](int) { return std::string("drawing.svg"); });
    const QStringList tooLarge = writeProjects("large", [&](int i) {
        const std::string name = "huge" + std::to_string(i) + ".png";
        QFile huge(folder + "/" + QString::fromStdString(name));
        EXPECT_TRUE(huge.open(QIODevice::WriteOnly));
        huge.write(pngOfNoPixels(9000 + i, 9000));
        return name;
    });
    struct Case {
        const char *name;
        const QStringList &projects;
        bool dropped; // else a list file named as a command line names it
        QString reason;
    };
    const Case cases[] = {
        {"dropped, not supported", unsupported, true, "[This kind of picture file is not supported.]"},
        {"dropped, too large", tooLarge, true,
         "[The picture is too large (9000 x 9000 pixels; a picture may have up to 67,108,864 pixels and 1,000,000 "
         "along a side).]"},
        {"listed, not supported", unsupported, false, "[This kind of picture file is not supported.]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        closeEverything();
        sink.requests.clear();
        auto *db = new CPolyraDatabase;
        showWindowOf(db);
        if (c.dropped) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString &p : c.projects)
                urls << QUrl::fromLocalFile(p);
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(main.get(), &enter);
            ASSERT_TRUE(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(main.get(), &drop);
            ASSERT_TRUE(drop.isAccepted());
            QApplication::processEvents();
        } else {
            const QString list = writeText("run/list.txt", c.projects.join("\r\n").toLocal8Bit());
            EXPECT_TRUE(OpenFileByPath(*main, "&" + list));
        }
        ASSERT_EQ(db->getProjectCount(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(dynamic_cast<TProjectImages *>(db->getProject(i)->getImages())->count(), 2);
        ASSERT_EQ(messages().size(), 1) << messages().join("\n").toStdString();
        EXPECT_TRUE(messages().front().startsWith("The picture " + QDir::toNativeSeparators(folder) + QDir::separator()))
            << messages().front().toStdString();
        EXPECT_TRUE(messages().front().endsWith(c.reason)) << messages().front().toStdString();
    }
    closeEverything();
}

TEST_F(ProjectPictures, OtherKindsLoadNothing)
{
    struct OtherKind : CPolyraProject {
        OtherKind() { kind = 2; }
    } project;
    TProjectImages images;
    EXPECT_FALSE(images.LoadProjectImages(project));
    EXPECT_TRUE(images.isEmpty());
}

} // namespace
