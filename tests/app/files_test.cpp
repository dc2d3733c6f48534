#include "openfixture.h"
#include "treenode.h"

#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include "Cp1252.h"
#include "defaultfolder.h"
#include "projectload.h"
#include "recentfilelist.h"
#include "uexception.h"

namespace {

class Files : public OpenFixture {
protected:
    // A database file with two projects, written by the program itself.
    QString writeDatabase(const QString &fileName)
    {
        auto *db = new CPolyraDatabase;
        db->addProject(makeProject("One"));
        db->addProject(makeProject("Two"));
        const QString path = files.filePath(fileName);
        EXPECT_TRUE(db->saveToFile(ToFilePath(path)));
        delete db;
        return path;
    }
    // The dialog runner answers with the given files and keeps the request.
    void answerDialogWith(const QStringList &chosen)
    {
        SetFileDialogRunner([this, chosen](const TFileDialogRequest &request) {
            requests.push_back(request);
            return chosen;
        });
    }
    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void dropFiles(const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main.get(), &drop);
        EXPECT_TRUE(drop.isAccepted());
    }
    std::vector<TFileDialogRequest> requests;
};

TEST_F(Files, OpenByPathDecidesByTheWholeExtension)
{
    const QString project = writeProject("lower.prp", "Lower");
    const QString upperProject = writeProject("UPPER.PRP", "Upper");
    const QString mixedProject = writeProject("Mixed.Prp", "Mixed");
    const QString database = writeDatabase("base.prb");
    const QString upperDatabase = writeDatabase("BASE2.PRB");
    struct Case {
        QString path;
        bool result;
        int projects;
        int databases;
        QString message;
    };
    const Case cases[] = {
        {project, true, 1, 1, ""},
        {upperProject, true, 1, 1, ""},
        {mixedProject, true, 1, 1, ""},
        {database, true, 2, 1, ""},
        {upperDatabase, true, 2, 1, ""},
        {writeDatabase("other.xyb"), false, 0, 0, ""},
        {writeProject("long.prbx", "Long"), false, 0, 0, "Unsupported file type"},
        {writeProject("long.prpx", "Long"), false, 0, 0, "Unsupported file type"},
        {writeProject("short.pr", "Short"), false, 0, 0, "Unsupported file type"},
        {writeProject("noextension", "None"), false, 0, 0, "Unsupported file type"},
        // Only the fourth character of the extension decides the road; the
        // project road takes ".prp" files only.
        {writeProject("other.xyp", "Other"), false, 0, 0, "File cannot be loaded. Unknown type .xyp"},
        {writeText("text.txt", "text"), false, 0, 0, "Unsupported file type"},
        {"", false, 0, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        closeEverything();
        sink.requests.clear();
        EXPECT_EQ(OpenFileByPath(*main, c.path), c.result);
        EXPECT_EQ(CBasicProject::liveProjects().size(), static_cast<std::size_t>(c.projects));
        EXPECT_EQ(CBasicDatabase::openDatabases().size(), static_cast<std::size_t>(c.databases));
        EXPECT_EQ(messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

TEST_F(Files, OpenByPathGivesTheTreeTheFocus)
{
    main->mdiArea()->setFocus();
    QApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), main->tree());
    EXPECT_TRUE(OpenFileByPath(*main, writeProject("focus.prp", "Focus")));
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), main->tree());
}

TEST_F(Files, AnOpenedDatabaseSelectsItsLastProjectsNode)
{
    ASSERT_TRUE(OpenFileByPath(*main, writeDatabase("two.prb")));
    QApplication::processEvents();
    auto *current = dynamic_cast<TTreeNode *>(main->tree()->currentItem());
    ASSERT_TRUE(current);
    ASSERT_TRUE(current->project());
    EXPECT_EQ(current->project()->getName(), "Two");
    // Each project has its node, with the project's picture.
    ASSERT_TRUE(current->parent());
    EXPECT_EQ(current->parent()->childCount(), 2);
    EXPECT_EQ(current->stateImage(), TTreeNode::ProjectImage);
    EXPECT_FALSE(current->icon(0).isNull());
}

TEST_F(Files, ListFilesOpenEveryLineOnce)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    const QString p1 = writeProject("p1.prp", "P1");
    const QString p2 = writeProject("p2.prp", "P2");
    const QString p3 = writeProject("p3.prp", "P3");
    const QString p4 = writeProject("p4.prp", "P4");
    const QString list1 = files.filePath("one.lst");
    const QString list2 = files.filePath("two.lst");
    const QString self = files.filePath("self.lst");
    // CR LF lines, empty lines, a nested list, a cycle back to the first
    // list and a list that names itself.
    writeText("one.lst", (p1 + "\r\n\r\n&" + list2 + "\r\n" + p2 + "\r\n&" + list1 + "\r\n").toUtf8());
    writeText("two.lst", (p3 + "\n&" + list1 + "\n\n&" + self + "\n").toUtf8());
    writeText("self.lst", ("&" + self + "\n" + p4 + "\n   \n").toUtf8());
    EXPECT_TRUE(OpenFileByPath(*main, "&" + list1));
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"P1", "P3", "P4", "P2"}));
    EXPECT_TRUE(sink.requests.empty()) << messages().join('|').toStdString();

    // A list may be opened again later; only a cycle is cut.
    EXPECT_TRUE(OpenFileByPath(*main, "&" + self));
    EXPECT_EQ(db->getProjectCount(), 5);
}

TEST_F(Files, ListFileLinesThatFailDoNotStopTheRest)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    const QString missingList = files.filePath("missing.lst");
    const QString list = writeText("mixed.lst", (files.filePath("bad.xyz") + "\n&" + missingList + "\n" +
                                                 writeProject("good.prp", "Good") + "\n")
                                                    .toUtf8());
    EXPECT_TRUE(OpenFileByPath(*main, "&" + list));
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Good"}));
    EXPECT_EQ(messages(), (QStringList{"Unsupported file type", "File " + missingList + " couldn't be opened."}));

    sink.requests.clear();
    EXPECT_FALSE(OpenFileByPath(*main, "&" + missingList));
    EXPECT_EQ(messages(), QStringList{"File " + missingList + " couldn't be opened."});
}

TEST_F(Files, ListFilesInWindowsCodePage)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    const QString name = QString::fromUtf8("r\u00E9sultat.prp");
    const QString path = writeProject(name, "Accent");
    // The same path as Windows-1252 bytes: \xE9 is no UTF-8.
    QByteArray line = toCp1252(path).c_str();
    const QString list = writeText("ansi.lst", line + "\r\n");
    EXPECT_TRUE(OpenFileByPath(*main, "&" + list));
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Accent"}));
}

TEST_F(Files, OpenDialogOpensEveryChoiceAndRemembersTheLoadedOnes)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    QTemporaryDir other;
    const QString first = writeProject("first.prp", "First");
    const QString broken = writeFile("broken.prp", text("no project"));
    const QString third = QDir::toNativeSeparators(other.filePath("third.prp"));
    QFile::copy(first, third);
    SetDefaultFolder(other.path());
    answerDialogWith({first, broken, third});
    main->action("MOpen")->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].multiple);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].folder, other.path());
    EXPECT_EQ(requests[0].filters, QtFileFilters(main->OpenDialogFilter));
    EXPECT_EQ(db->getProjectCount(), 2);
    EXPECT_EQ(main->recentFiles()->files(), (QStringList{third, first}));
    EXPECT_EQ(GetDefaultFolder(), QDir::toNativeSeparators(files.path()));

    // Cancelled: nothing changes.
    answerDialogWith({});
    OpenFiles(*main);
    EXPECT_EQ(db->getProjectCount(), 2);
}

TEST_F(Files, FiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtFileFilters(main->OpenDialogFilter),
              (QStringList{"Scorvista2001 files (*.prp *.prb)", "Polyra2001 files (*.prp *.prb)", "Project files (*.prp)",
                           "Database files (*.prb)", "All files (*)"}));
    EXPECT_EQ(QtFileFilters("Polyra2001 database (*.prb)|*.prb|Text file (*.txt)|*.TXT"),
              (QStringList{"Polyra2001 database (*.prb)", "Text file (*.TXT)"}));
    EXPECT_EQ(QtFileFilters("Plain|*.a; *.b|dangling"), QStringList{"Plain (*.a *.b)"});
}

TEST_F(Files, SaveDialogStartsInTheFolderOfTheName)
{
    SetDefaultFolder("/home/user/results");
    struct Case {
        QString fileName;
        QString folder;
        QString bare;
    };
    const Case cases[] = {
        {"/data/runs/Database1.PRB", "/data/runs", "Database1.PRB"},
        {"C:\\Results\\db.prb", "C:\\Results", "db.prb"},
        {"/top.prb", "/", "top.prb"},
        {"Database1.PRB", "/home/user/results", "Database1.PRB"},
    };
    for (const Case &c : cases) {
        TFileDialogRequest request;
        request.fileName = c.fileName;
        SaveDialogShow(request);
        EXPECT_EQ(request.folder, c.folder) << c.fileName.toStdString();
        EXPECT_EQ(request.fileName, c.bare) << c.fileName.toStdString();
    }
}

TEST_F(Files, SaveAsDispatchesOnTheExtension)
{
    struct Case {
        QString name; // chosen in the dialog; empty: cancelled
        bool result;
        bool written;
        bool titled; // the database has a file name afterwards
        QString message;
    };
    const Case cases[] = {
        {"out.prb", true, true, true, ""},
        {"OUT2.PRB", true, true, true, ""},
        {"out.txt", false, true, false, ""},
        {"OUT2.TXT", false, true, false, ""},
        {"out.abc", false, false, false, "Unknown file-format : .abc"},
        {"out.prbx", false, false, false, "Unknown file-format : .prbx"},
        {"out", false, false, false, "No file-format specified"},
        {"", false, false, false, ""},
        {"missing-folder/out.prb", false, false, false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        closeEverything();
        auto *db = new CPolyraDatabase;
        db->addProject(makeProject("Saved"));
        const QString path = c.name.isEmpty() ? QString() : files.filePath(c.name);
        if (!path.isEmpty())
            QFile::remove(path);
        answerDialogWith(c.name.isEmpty() ? QStringList() : QStringList{path});
        sink.requests.clear();
        requests.clear();
        EXPECT_EQ(SaveDatabase(*main, true, db), c.result);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].title, "Saving Database:Database1");
        EXPECT_EQ(requests[0].filters, (QStringList{"Polyra2001 database (*.prb)", "Text file (*.TXT)"}));
        EXPECT_EQ(requests[0].defaultSuffix, "PRB");
        EXPECT_EQ(requests[0].fileName, "Database1.PRB");
        EXPECT_TRUE(requests[0].save);
        EXPECT_EQ(QFile::exists(path), c.written);
        EXPECT_EQ(!db->isUntitled(), c.titled);
        if (c.titled) {
            EXPECT_EQ(FromFilePath(db->getFileName()), path);
        }
        if (c.message.isEmpty()) {
            if (c.name.startsWith("missing"))
                EXPECT_EQ(messages(), QStringList{"Error writing to file " + path + "."});
            else
                EXPECT_TRUE(sink.requests.empty()) << messages().join('|').toStdString();
        } else {
            EXPECT_EQ(messages(), QStringList{c.message});
        }
    }
}

TEST_F(Files, ASaveThatCannotWriteItsTargetSaysSoAndKeepsTheOldFile)
{
    // A read-only database file: refused with a plain message.
    const QString locked = files.filePath("locked.prb");
    writeText("locked.prb", "old");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    auto *db = new CPolyraDatabase;
    db->addProject(makeProject("Saved"));
    answerDialogWith({locked});
    sink.requests.clear();
    EXPECT_FALSE(SaveDatabase(*main, true, db));
    EXPECT_EQ(messages(), QStringList{"File could not be opened"});
    EXPECT_TRUE(db->isUntitled());
    EXPECT_EQ(contents(locked), "old");

    // One project saved as .prp into a folder that does not exist.
    const QString project = files.filePath("missing-folder/one.prp");
    select(db->getTreeNode()->child(0));
    answerDialogWith({project});
    sink.requests.clear();
    SaveDatabase(*main, true, db);
    EXPECT_EQ(messages(), QStringList{"Error writing to file " + QDir::toNativeSeparators(project) + "."});
    EXPECT_FALSE(QFile::exists(project));
}

TEST_F(Files, TextExportEndsWithAnEmptyLineAndTheNotice)
{
    auto *db = new CPolyraDatabase;
    db->addProject(makeProject("Exported"));
    const QString path = files.filePath("export.txt");
    answerDialogWith({path});
    SaveDatabase(*main, true, db);
    std::vector<std::string> expected;
    ASSERT_TRUE(exportDatabaseText(*db, expected));
    expected.emplace_back();
    AppendResultNotice(expected, false);
    std::string text;
    for (const std::string &line : expected)
        text += line + "\r\n";
    EXPECT_EQ(contents(path).toStdString(), text);
    EXPECT_TRUE(db->isUntitled());
}

TEST_F(Files, TextExportNeedsNoTemporaryFolderAndAFailedWriteSaysSo)
{
    auto *db = new CPolyraDatabase;
    db->addProject(makeProject("Exported"));
    const QString path = files.filePath("export.txt");
    answerDialogWith({path});
    // The export is rendered in memory: a missing temporary folder does not matter.
    {
        ScopedEnvironment tmpdir("TMPDIR", files.filePath("no-such-folder").toUtf8());
        EXPECT_FALSE(SaveDatabase(*main, true, db));
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_TRUE(sink.requests.empty());
    }
    const QString nowhere = files.filePath("no-such-folder/export.txt");
    answerDialogWith({nowhere});
    EXPECT_FALSE(SaveDatabase(*main, true, db));
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_EQ(messages(), QStringList{"Error writing to file " + nowhere + "."});
}

TEST_F(Files, SaveAsProjectWritesTheSelectedProjectOnly)
{
    auto *db = new CPolyraDatabase;
    db->addProject(makeProject("Alone"));
    db->addProject(makeProject("Other"));
    const QString path = files.filePath("alone.prp");
    answerDialogWith({path});
    select(db->getTreeNode()->child(0));
    EXPECT_FALSE(SaveDatabase(*main, true, db));
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_TRUE(db->isUntitled());
    EXPECT_EQ(main->recentFiles()->files(), QStringList{path});
    // It reads back as that project.
    std::unique_ptr<CBasicProject> back(loadProjectFile(ToFilePath(path)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getName(), "Alone");

    // With a database node selected nothing is written.
    QFile::remove(path);
    select(db->getTreeNode());
    SaveDatabase(*main, true, db);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Files, SaveWithAFileNameAsksNothing)
{
    auto *db = new CPolyraDatabase;
    db->addProject(makeProject("Kept"));
    const QString path = files.filePath("kept.prb");
    db->setFileName(ToFilePath(path));
    answerDialogWith({files.filePath("other.prb")});
    showWindowOf(db);
    main->action("MSave")->trigger();
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(db->isModified());
    // Save As always asks.
    main->action("MSaveAs")->trigger();
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(QFile::exists(files.filePath("other.prb")));
}

TEST_F(Files, SaveWithoutADatabaseWindow)
{
    answerDialogWith({files.filePath("never.prb")});
    // No child window at all.
    EXPECT_FALSE(SaveDatabase(*main, false, nullptr));
    // A child window that shows no database: nothing to do.
    showWindowOf(nullptr);
    EXPECT_TRUE(SaveDatabase(*main, false, nullptr));
    EXPECT_TRUE(requests.empty());
}

TEST_F(Files, SaveAllSavesEveryDatabase)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    a->addProject(makeProject("A"));
    b->addProject(makeProject("B"));
    a->setFileName(ToFilePath(files.filePath("a.prb")));
    b->setFileName(ToFilePath(files.filePath("b.prb")));
    // Save All waits for a child window; then it saves every database.
    EXPECT_FALSE(main->action("MSaveAll")->isEnabled());
    showWindowOf(a);
    main->action("MSaveAll")->trigger();
    EXPECT_TRUE(QFile::exists(files.filePath("a.prb")));
    EXPECT_TRUE(QFile::exists(files.filePath("b.prb")));
}

TEST_F(Files, CopyPastePasteAddsTwoCopies)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    a->addProject(makeProject("First"));
    select(a->getTreeNode()->child(0));
    main->action("MCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "ProjectList");
    ASSERT_TRUE(main->heldTransfer());
    EXPECT_EQ(main->heldTransfer()->copyFlag, 1);

    select(b->getTreeNode());
    main->action("MPaste")->trigger();
    main->action("MPaste")->trigger();
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"First", "First(1)"}));
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"First"}));
    // Into its own database, through a project node of it.
    select(a->getTreeNode()->child(0));
    main->action("MPaste")->trigger();
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"First", "First(1)"}));
    EXPECT_EQ(QApplication::clipboard()->text(), "ProjectList");
}

TEST_F(Files, CutPastePasteMovesOnce)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    a->addProject(makeProject("Moved"));
    a->addProject(makeProject("Stays"));
    CBasicProject *moved = a->getProject(0);
    select(a->getTreeNode()->child(0));
    main->action("MCut")->trigger();
    EXPECT_TRUE(HasCutMark(moved->getTreeNode()));
    EXPECT_EQ(main->heldTransfer()->copyFlag, 0);

    select(b->getTreeNode());
    main->action("MPaste")->trigger();
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Moved"}));
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"Stays"}));
    EXPECT_EQ(moved->getDatabase(), b);
    EXPECT_FALSE(HasCutMark(moved->getTreeNode()));
    EXPECT_FALSE(main->heldTransfer());
    EXPECT_FALSE(ClipboardHoldsProjects());

    select(a->getTreeNode());
    main->action("MPaste")->trigger();
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"Stays"}));
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Moved"}));
}

TEST_F(Files, PasteIntoTheActiveDatabaseWindow)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    a->addProject(makeProject("Shown"));
    select(a->getTreeNode()->child(0));
    main->action("MCut")->trigger();
    showWindowOf(b);
    main->action("MPaste")->trigger();
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Shown"}));
    EXPECT_EQ(a->getProjectCount(), 0);
}

TEST_F(Files, CopyThenDeleteThenPasteDoesNothing)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    a->addProject(makeProject("Doomed"));
    select(a->getTreeNode()->child(0));
    main->action("MCopy")->trigger();
    main->BuildSelection();
    ASSERT_EQ(main->selection().size(), 1u);
    CBasicProject *doomed = a->getProject(0);
    delete doomed;
    // Neither the held object nor the selection keeps the pointer.
    EXPECT_EQ(std::count(main->selection().begin(), main->selection().end(), static_cast<void *>(doomed)), 0);
    ASSERT_TRUE(main->heldTransfer());
    EXPECT_TRUE(main->heldTransfer()->projects().empty());
    select(b->getTreeNode());
    main->MPasteClick();
    EXPECT_EQ(b->getProjectCount(), 0);

    // Cut, then the database with the project goes: the same.
    b->addProject(makeProject("Cut"));
    select(b->getTreeNode()->child(0));
    main->MCutClick();
    delete b;
    auto *c = new CPolyraDatabase;
    select(c->getTreeNode());
    main->MPasteClick();
    EXPECT_EQ(c->getProjectCount(), 0);
}

TEST_F(Files, PasteNeedsADatabaseTargetAndTheMarker)
{
    auto *a = new CPolyraDatabase;
    a->addProject(makeProject("P"));
    select(a->getTreeNode()->child(0));
    main->MCopyClick();
    struct Case {
        QTreeWidgetItem *node;
        QString clipboard;
        int count;
    };
    const Case cases[] = {
        {main->rootNode(), "ProjectList", 1},
        {main->databasesNode(), "ProjectList", 1},
        {a->getTreeNode(), "something else", 1},
        {a->getTreeNode(), "projectlist", 2},
    };
    for (const Case &c : cases) {
        QApplication::clipboard()->setText(c.clipboard);
        select(c.node);
        main->MPasteClick();
        EXPECT_EQ(a->getProjectCount(), c.count) << c.node->text(0).toStdString() << " " << c.clipboard.toStdString();
    }
    // Without the tree's focus and without a database window nothing is pasted.
    QApplication::clipboard()->setText("ProjectList");
    main->mdiArea()->setFocus();
    QApplication::processEvents();
    main->MPasteClick();
    EXPECT_EQ(a->getProjectCount(), 2);
}

TEST_F(Files, CopyOfADatabaseHoldsNothing)
{
    auto *a = new CPolyraDatabase;
    a->addProject(makeProject("P"));
    select(a->getTreeNode());
    main->MCopyClick();
    EXPECT_FALSE(main->heldTransfer());
    EXPECT_FALSE(ClipboardHoldsProjects());
}

TEST_F(Files, ANewCutTakesTheOldCutMarksAway)
{
    auto *a = new CPolyraDatabase;
    a->addProject(makeProject("One"));
    a->addProject(makeProject("Two"));
    CBasicProject *one = a->getProject(0);
    CBasicProject *two = a->getProject(1);
    select(one->getTreeNode());
    main->MCutClick();
    select(two->getTreeNode());
    main->MCutClick();
    EXPECT_FALSE(HasCutMark(one->getTreeNode()));
    EXPECT_TRUE(HasCutMark(two->getTreeNode()));
    EXPECT_EQ(main->heldTransfer()->projects(), std::vector<CBasicProject *>{two});
}

TEST_F(Files, DroppedFilesOpenAfterTheDrop)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    const QString one = writeProject("one.prp", "One");
    const QString bad = writeFile("bad.prp", text("no project"));
    const QString three = writeProject("three.prp", "Three");
    dropFiles({one, bad, three});
    // Nothing yet: the files open once the drop has returned.
    EXPECT_EQ(db->getProjectCount(), 0);
    EXPECT_EQ(main->droppedFiles().size(), 3);
    QApplication::processEvents();
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"One", "Three"}));
    EXPECT_TRUE(main->droppedFiles().isEmpty());
    EXPECT_EQ(messages(), QStringList{"File is not a Polyra2001 project file"});
    // Dropped files do not enter the recent-file list.
    EXPECT_EQ(main->recentFiles()->count(), 0);
}

TEST_F(Files, AnExceptionInADroppedFileDoesNotLoseTheOthers)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    image::Options broken;
    broken.breakCrc = true;
    const QString crc = writeFile("crc.prp", image::build(image::basicItems("Broken"), broken));
    QString shown;
    ExceptionDialogAnswerScope answers([&](TFexception &dialog) {
        shown = dialog.Mexception->toPlainText();
        dialog.BContinueClick();
    });
    dropFiles({writeProject("a.prp", "A"), crc, writeProject("b.prp", "B")});
    QApplication::processEvents();
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(shown.contains("CRC Check failed.")) << shown.toStdString();
}

TEST_F(Files, FilesDroppedOnTheTreeReachTheWindow)
{
    auto *db = new CPolyraDatabase;
    showWindowOf(db);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(writeProject("tree.prp", "Tree"))});
    QWidget *viewport = main->tree()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &drop);
    QApplication::processEvents();
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Tree"}));
}

TEST_F(Files, DropsOfNothingButTextAreRefused)
{
    QMimeData data;
    data.setText("just text");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

} // namespace
