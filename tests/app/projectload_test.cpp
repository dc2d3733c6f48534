#include "openfixture.h"

#include <QDropEvent>
#include <QMimeData>

#include "projectload.h"

namespace {

// A database of a kind the benchmark's projects do not belong to.
class OtherKindDatabase : public CPolyraDatabase {
public:
    OtherKindDatabase() { kind = 2; }
};

class ProjectLoad : public OpenFixture {
protected:
    // A drag of the project over and onto a node of the tree, sent as Qt
    // drag events to the tree's viewport.
    bool dragOnto(CBasicProject *project, QTreeWidgetItem *node)
    {
        std::unique_ptr<QMimeData> data(main->BeginTreeDrag(project));
        QWidget *viewport = main->tree()->viewport();
        const QPoint at = node ? main->tree()->visualItemRect(node).center() : QPoint(1, viewport->height() - 1);
        // Qt delivers moves only after an enter.
        QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        const bool accepted = move.isAccepted();
        QDropEvent drop(QPointF(at), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        main->EndTreeDrag();
        return accepted;
    }
};

TEST_F(ProjectLoad, SameFileTwiceGetsANumberedName)
{
    const QString path = writeProject("rig.prp", "Rig");
    auto *db = new CPolyraDatabase;
    EXPECT_EQ(OpenProjectIntoDatabase(path, db), 1);
    EXPECT_EQ(OpenProjectIntoDatabase(path, db), 1);
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Rig", "Rig(1)"}));
    // The tree shows the new name too.
    EXPECT_EQ(db->getTreeNode()->child(1)->text(0), "Rig(1)");
    // Case does not make a name differ.
    EXPECT_EQ(OpenProjectIntoDatabase(writeProject("rig2.prp", "RIG"), db), 1);
    EXPECT_EQ(db->getProject(2)->getName(), "RIG(2)");
}

TEST_F(ProjectLoad, ChoosesTheDatabase)
{
    enum class Setup { Nothing, ActiveDatabaseWindow, WindowWithoutDatabase, OtherKindWindow, DatabaseWithoutWindow };
    struct Case {
        Setup setup;
        int result;
        bool intoExisting;   // the project joins the database set up
        int databasesAfter;  // open databases afterwards
        QString message;
    };
    const Case cases[] = {
        {Setup::Nothing, 1, false, 1, ""},
        {Setup::ActiveDatabaseWindow, 1, true, 1, ""},
        {Setup::WindowWithoutDatabase, 1, false, 1, ""},
        {Setup::OtherKindWindow, 1, false, 2, ""},
        // No window to ask: the open database takes it rather than turning it away.
        {Setup::DatabaseWithoutWindow, 1, true, 1, ""},
    };
    const QString path = writeProject("choice.prp", "Choice");
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.setup));
        CBasicDatabase *existing = nullptr;
        FakeDatabaseWindow *window = nullptr;
        switch (c.setup) {
        case Setup::Nothing:
            break;
        case Setup::ActiveDatabaseWindow:
            existing = new CPolyraDatabase;
            window = showWindowOf(existing);
            break;
        case Setup::WindowWithoutDatabase:
            window = showWindowOf(nullptr);
            break;
        case Setup::OtherKindWindow:
            existing = new OtherKindDatabase;
            window = showWindowOf(existing);
            break;
        case Setup::DatabaseWithoutWindow:
            existing = new CPolyraDatabase;
            break;
        }
        sink.requests.clear();
        EXPECT_EQ(OpenProjectIntoDatabase(path, nullptr), c.result);
        EXPECT_EQ(CBasicDatabase::openDatabases().size(), static_cast<std::size_t>(c.databasesAfter));
        if (existing) {
            EXPECT_EQ(existing->getProjectCount(), c.intoExisting ? 1 : 0);
        }
        if (c.result == 1) {
            ASSERT_EQ(CBasicProject::liveProjects().size(), 1u);
            CBasicDatabase *home = CBasicProject::liveProjects().front()->getDatabase();
            ASSERT_TRUE(home);
            EXPECT_EQ(home->getKind(), 1);
        } else {
            EXPECT_TRUE(CBasicProject::liveProjects().empty());
        }
        EXPECT_EQ(messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (!c.message.isEmpty()) {
            EXPECT_EQ(sink.requests.front().icon, MessageIcon::Warning);
        }
        if (window)
            delete window->parentWidget();
        CBasicDatabase::deleteAll();
    }
}

TEST_F(ProjectLoad, SubmissionModeEndsWithTheFirstFile)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    struct Case {
        QString path;
        bool hwUpgrade;
    };
    for (const Case &c : {Case{writeProject("submit.prp", "Submit"), false}, Case{writeProject("hw.prp", "Hw"), true},
                          Case{files.filePath("missing.prp"), false}}) {
        gSubmitMode = true;
        gHwUpgradeMode = c.hwUpgrade;
        EXPECT_EQ(OpenProjectIntoDatabase(c.path, nullptr), 0);
        EXPECT_FALSE(gSubmitMode);
        EXPECT_FALSE(gHwUpgradeMode);
        // The project never joins a database and is gone afterwards.
        EXPECT_EQ(db->getProjectCount(), 0);
        EXPECT_TRUE(CBasicProject::liveProjects().empty());
    }
    // Afterwards files open normally again.
    EXPECT_EQ(OpenProjectIntoDatabase(writeProject("plain.prp", "Plain"), nullptr), 1);
    EXPECT_EQ(db->getProjectCount(), 1);
}

TEST_F(ProjectLoad, UnreadableProjectGivesZero)
{
    struct Case {
        QString path;
        QString message;
    };
    const Case cases[] = {
        {files.filePath("missing.prp"), "File " + files.filePath("missing.prp") + " couldn't be opened."},
        {writeFile("garbage.prp", text("not a project at all, just text")), "File is not a Polyra2001 project file"},
    };
    for (const Case &c : cases) {
        sink.requests.clear();
        EXPECT_EQ(OpenProjectIntoDatabase(c.path, nullptr), 0);
        EXPECT_EQ(messages(), QStringList{c.message});
        EXPECT_TRUE(CBasicDatabase::openDatabases().empty());
    }
}

TEST_F(ProjectLoad, FindsOpenProjectsFromTheLast)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    CPolyraProject *a1 = makeProject("Alpha");
    a->addProject(a1);
    CPolyraProject *b1 = makeProject("alpha");
    b->addProject(b1);
    CPolyraProject *unnamed = makeProject("");
    a->addProject(unnamed);
    struct Case {
        std::string name;
        const CBasicProject *exclude;
        const CBasicDatabase *database;
        const CBasicProject *found;
    };
    const Case cases[] = {
        {"ALPHA", nullptr, nullptr, b1}, {"alpha", b1, nullptr, a1},   {"Alpha", nullptr, a, a1},
        {"alpha", a1, a, nullptr},       {"Unnamed", nullptr, a, unnamed}, {"Beta", nullptr, nullptr, nullptr},
    };
    for (const Case &c : cases)
        EXPECT_EQ(findOpenProject(c.name, c.exclude, c.database), c.found) << c.name;
}

TEST_F(ProjectLoad, DragKeepsOneVersionAndEachProjectOnce)
{
    auto *db = new CPolyraDatabase;
    CPolyraProject *first = makeProject("First", 202);
    CPolyraProject *same = makeProject("Same", 202);
    CPolyraProject *older = makeProject("Older", 201);
    db->addProject(first);
    db->addProject(same);
    db->addProject(older);
    TProjectDrag drag(first);
    drag.addProject(same);
    drag.addProject(older);
    drag.addProject(first);
    drag.addProject(nullptr);
    EXPECT_EQ(drag.projects(), (std::vector<CBasicProject *>{first, same}));
    EXPECT_EQ(drag.groupVersion, 202u);
    EXPECT_TRUE(drag.fromDatabase);
    EXPECT_EQ(drag.copyFlag, 0);
    EXPECT_EQ(drag.firstProject(), first);
}

TEST_F(ProjectLoad, HeldProjectsDropOutWhenTheyGo)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    CPolyraProject *p = makeProject("P");
    CPolyraProject *q = makeProject("Q");
    CPolyraProject *r = makeProject("R");
    a->addProject(p);
    a->addProject(q);
    a->addProject(r);
    TProjectDrag drag(p);
    drag.addProject(q);
    drag.addProject(r);
    delete p;
    EXPECT_EQ(drag.projects(), (std::vector<CBasicProject *>{q, r}));
    a->removeProject(q);
    EXPECT_EQ(drag.projects(), (std::vector<CBasicProject *>{r}));
    delete q;
    // Joining another database takes it out of the old one.
    b->addProject(r);
    EXPECT_TRUE(drag.projects().empty());
    // A drop with nothing left does nothing.
    drag.targetDatabase = a;
    drag.Finished(a, true);
    EXPECT_EQ(a->getProjectCount(), 0);
    EXPECT_EQ(b->getProjectCount(), 1);
}

TEST_F(ProjectLoad, TreeDropsMoveBetweenDatabases)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    auto *other = new OtherKindDatabase;
    CPolyraProject *p = makeProject("Moved");
    a->addProject(p);
    b->addProject(makeProject("Resident"));
    struct Case {
        QTreeWidgetItem *node;
        bool accepted;
        CBasicDatabase *home; // where the project is afterwards
    };
    const Case cases[] = {
        {main->rootNode(), false, a},
        {main->databasesNode(), false, a},
        {nullptr, false, a},
        {other->getTreeNode(), false, a},
        {a->getTreeNode(), true, a},                  // its own database: nothing changes
        {b->getTreeNode()->child(0), true, b},        // a project node stands for its database
        {a->getTreeNode(), true, a},
        {b->getTreeNode(), true, b},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.node ? c.node->text(0).toStdString() : "empty space");
        EXPECT_EQ(dragOnto(p, c.node), c.accepted);
        EXPECT_EQ(p->getDatabase(), c.home);
        EXPECT_EQ(p->getTreeNode()->parent(), c.home->getTreeNode());
        EXPECT_EQ(a->containsProject(p) != 0, c.home == a);
        EXPECT_EQ(b->containsProject(p) != 0, c.home == b);
    }
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Resident", "Moved"}));
    EXPECT_EQ(other->getProjectCount(), 0);
}

TEST_F(ProjectLoad, ProjectDragsAreRefusedByTheWindowItself)
{
    auto *a = new CPolyraDatabase;
    CPolyraProject *p = makeProject("P");
    a->addProject(p);
    std::unique_ptr<QMimeData> data(main->BeginTreeDrag(p));
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    main->EndTreeDrag();
    // A marker of another process is not ours.
    QMimeData foreign;
    foreign.setData(TProjectDrag::mimeType(), "1");
    EXPECT_FALSE(TProjectDrag::isOwnMimeData(&foreign));
}

TEST_F(ProjectLoad, CopyDropGoesThroughATemporaryFileThatIsRemoved)
{
    QTemporaryDir temp;
    ScopedEnvironment tmpdir("TMPDIR", temp.path().toUtf8());
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    CPolyraProject *p = makeProject("Copied");
    CPolyraProject *q = makeProject("Second");
    a->addProject(p);
    a->addProject(q);
    TProjectDrag drag(p);
    drag.addProject(q);
    drag.copyFlag = 1;
    drag.targetDatabase = b;
    drag.Finished(main->tree(), QPoint(-1, -1), true);
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"Copied", "Second"}));
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Copied", "Second"}));
    EXPECT_NE(b->getProject(0), p);
    // The copies never took the temporary file as their own.
    EXPECT_EQ(b->getProject(0)->getFileName(), "");
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::Files).isEmpty());
    // A refused drop does nothing.
    drag.Finished(b, false);
    EXPECT_EQ(b->getProjectCount(), 2);
}

TEST_F(ProjectLoad, CopyDropWithoutTemporaryFolderDoesNothing)
{
    ScopedEnvironment tmpdir("TMPDIR", files.filePath("no-such-folder").toUtf8());
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    CPolyraProject *p = makeProject("P");
    a->addProject(p);
    TProjectDrag drag(p);
    drag.copyFlag = 1;
    drag.targetDatabase = b;
    drag.Finished(b, true);
    EXPECT_EQ(b->getProjectCount(), 0);
    EXPECT_TRUE(sink.requests.empty());
}

TEST_F(ProjectLoad, DeleteAllProjectsLeavesNone)
{
    auto *db = new CPolyraDatabase;
    db->addProject(makeProject("In"));
    makeProject("Loose");
    deleteAllProjects();
    EXPECT_TRUE(CBasicProject::liveProjects().empty());
    EXPECT_EQ(db->getProjectCount(), 0);
}

} // namespace
