#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QProcessEnvironment>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "MessageSink.h"
#include "RegistryStore.h"
#include "TemporarySettings.h"
#include "Ucommoncalls.h"
#include "imagebuilder.h"
#include "openimage.h"
#include "qtappservices.h"
#include "databasewindow.h"
#include "printersetup.h"
#include "privatedesktop.h"
#include "recordingdesktop.h"
#include "uMainForm.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "settingskeys.h"
#include "spinuntil.h"
#include "treenode.h"

namespace {

// A main window with its own settings, desktop folder and message sink, and
// a viewer library that loads.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetViewerLibraryDirectory(QString(SCORVISTA_STANDINS) + "/record");
        SetPrinterStateSource([] {
            PrinterState s;
            s.printers = {"Office"};
            s.defaultPrinter = "Office";
            return s;
        });
        main = std::make_unique<TFMainForm>();
        main->show();
        sink.requests.clear();
    }
    void TearDown() override
    {
        main.reset();
        SetPrinterStateSource({});
        SetViewerLibraryDirectory(QString());
    }

    CPolyraProject *project(const std::string &name)
    {
        return projectOfImage(image::build(image::basicItems(name)));
    }
    // A database with two projects, its tree focused on the given node.
    CPolyraDatabase *database()
    {
        auto *db = new CPolyraDatabase;
        db->addProject(project("First"));
        db->addProject(project("Second"));
        return db;
    }
    void select(QTreeWidgetItem *node)
    {
        main->tree()->setCurrentItem(node);
        main->tree()->setFocus();
        QApplication::processEvents();
    }
    bool enabled(const char *name) { return main->action(name)->isEnabled(); }

    TemporarySettings settings;
    QTemporaryDir desktop;
    ScopedEnvironment xdg{"XDG_DATA_HOME", desktop.path().toUtf8()};
    RecordingMessageSink sink;
    TQtAppServices services;
    std::unique_ptr<TFMainForm> main;
};

TEST_F(MainWindow, StartsWithTheRootAndTheDatabasesNode)
{
    EXPECT_EQ(main->windowTitle(), "Scorvista2001 SE");
    ASSERT_EQ(main->tree()->topLevelItemCount(), 1);
    EXPECT_EQ(main->rootNode()->text(0), "Scorvista2001 SE");
    EXPECT_EQ(main->databasesNode()->text(0), "Polyra2001 Databases");
    EXPECT_TRUE(main->rootNode()->isExpanded());
    EXPECT_TRUE(main->databasesNode()->isExpanded());
    EXPECT_EQ(main->findChild<QSplitter *>("Splitter1")->sizes().value(0), 145);
    EXPECT_TRUE(sink.requests.empty());
}

TEST_F(MainWindow, SavesItsPlacementWithTheTreeWidth)
{
    const int width = main->findChild<QSplitter *>("Splitter1")->sizes().value(0);
    main.reset();
    const QString value = RegistryStore(programKey()).readString("Windows", "MainWindow");
    const QStringList fields = value.split(',');
    ASSERT_EQ(fields.size(), 6) << value.toStdString();
    EXPECT_EQ(fields[5], QString::number(width));
}

TEST_F(MainWindow, DatabasesAndProjectsGetTheirNodes)
{
    CPolyraDatabase *db = database();
    auto *node = static_cast<TTreeNode *>(db->getTreeNode());
    ASSERT_TRUE(node);
    EXPECT_EQ(node->parent(), main->databasesNode());
    EXPECT_EQ(node->text(0), "Database1");
    EXPECT_EQ(node->stateImage(), TTreeNode::DatabaseImage);
    ASSERT_EQ(node->childCount(), 2);
    EXPECT_EQ(node->child(1)->text(0), "Second");
    EXPECT_EQ(static_cast<TTreeNode *>(node->child(0))->stateImage(), TTreeNode::ProjectImage);
    delete db;
    EXPECT_EQ(main->databasesNode()->childCount(), 0);
}

TEST_F(MainWindow, MenuStatesFollowTheSelection)
{
    CPolyraDatabase *db = database();
    auto *dbNode = static_cast<TTreeNode *>(db->getTreeNode());
    struct Case {
        QTreeWidgetItem *node;
        bool focus;
        std::vector<std::pair<const char *, bool>> states;
    };
    const std::vector<Case> cases = {
        {dbNode->child(0), true,
         {{"MCopy", true}, {"MCut", true}, {"MDelete", true}, {"MShow", true}, {"MSubmit", true}, {"MPaste", false}, {"MHidden", true}}},
        {dbNode, true, {{"MCopy", true}, {"MCut", false}, {"MDelete", true}, {"MShow", false}, {"MSubmit", false}}},
        {main->databasesNode(), true, {{"MCopy", false}, {"MDelete", false}}},
        {dbNode->child(0), false, {{"MCopy", false}, {"MCut", false}, {"MDelete", false}}},
    };
    for (const Case &c : cases) {
        main->tree()->setCurrentItem(c.node);
        if (c.focus)
            main->tree()->setFocus();
        else
            main->setFocus();
        QApplication::processEvents();
        main->MViewClick();
        for (auto [name, state] : c.states)
            EXPECT_EQ(enabled(name), state) << name << " on " << c.node->text(0).toStdString();
    }
    // The File menu: print only for projects, closing only with child windows.
    select(dbNode->child(0));
    main->File1Click();
    EXPECT_TRUE(enabled("MPrint"));
    EXPECT_FALSE(enabled("MClose"));
    select(dbNode);
    main->File1Click();
    EXPECT_FALSE(enabled("MPrintPreview"));
}

TEST_F(MainWindow, PopupOffersWhatTheNodeAllows)
{
    CPolyraDatabase *db = database();
    auto *dbNode = static_cast<TTreeNode *>(db->getTreeNode());
    select(dbNode);
    main->TreePopupPopup();
    for (auto [name, state] : {std::pair{"PDelete", true}, {"PShow", true}, {"PRename", true}, {"PPrint", false},
                               {"PCut", false}, {"PHidden", false}, {"PrintPreview1", true}, {"PPaste", false}})
        EXPECT_EQ(enabled(name), state) << name;
    select(dbNode->child(1));
    main->TreePopupPopup();
    for (auto [name, state] : {std::pair{"PDelete", true}, {"PPrint", true}, {"PCut", true}, {"PHidden", true},
                               {"PSystemInfo", true}, {"PProperties", true}, {"PSubmit", true}})
        EXPECT_EQ(enabled(name), state) << name;
    select(main->rootNode());
    main->TreePopupPopup();
    EXPECT_FALSE(enabled("PDelete"));
    EXPECT_FALSE(enabled("PRename"));
}

// Shift+F10 opens the tree's popup as the Menu key does (whose press the
// desktop hands over as a context-menu request): at the current node, with
// that node's commands.
TEST_F(MainWindow, ShiftF10AndTheMenuKeyOpenThePopupAtTheCurrentNode)
{
    CPolyraDatabase *db = database();
    QTreeWidget *tree = main->tree();
    main->activateWindow();
    QApplication::setActiveWindow(main.get());
    struct Case {
        const char *key;
        bool menuKey;
    };
    for (const Case &c : {Case{"Shift+F10", false}, Case{"Menu", true}}) {
        SCOPED_TRACE(c.key);
        QTreeWidgetItem *node = db->getTreeNode()->child(1);
        select(node);
        QWidget *focus = QApplication::focusWidget();
        ASSERT_EQ(focus, tree);
        if (c.menuKey) {
            const QPoint at = tree->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
            QContextMenuEvent request(QContextMenuEvent::Keyboard, at, tree->mapToGlobal(at));
            QApplication::sendEvent(focus, &request);
        } else {
            QTest::keyClick(focus, Qt::Key_F10, Qt::ShiftModifier);
        }
        QApplication::processEvents();
        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_EQ(shown, main->treePopup());
        EXPECT_EQ(tree->currentItem(), node);
        const QRect row = tree->visualItemRect(node);
        EXPECT_TRUE(QRect(tree->viewport()->mapToGlobal(row.topLeft()), row.size()).contains(shown->pos()))
            << shown->pos().x() << "," << shown->pos().y();
        for (const char *name : {"PRename", "PHidden", "PSystemInfo", "PProperties"})
            EXPECT_TRUE(enabled(name)) << name;
        QTest::keyClick(shown, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    // F10 alone opens no popup.
    select(db->getTreeNode()->child(0));
    QTest::keyClick(tree, Qt::Key_F10);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    if (QWidget *left = QApplication::activePopupWidget())
        left->close();
    delete db;
}

TEST_F(MainWindow, DeleteAsksForEveryObject)
{
    struct Case {
        MessageAnswer answer;
        int left;
    };
    for (const Case &c : {Case{MessageAnswer::Yes, 1}, Case{MessageAnswer::No, 2}, Case{MessageAnswer::Cancel, 2},
                          Case{MessageAnswer::All, 1}}) {
        CPolyraDatabase *db = database();
        select(db->getTreeNode()->child(0));
        sink.requests.clear();
        sink.answers = {c.answer};
        main->MDeleteClick();
        ASSERT_EQ(sink.requests.size(), 1u);
        EXPECT_EQ(sink.requests[0].text, "Delete Project : \"First\" ?");
        EXPECT_EQ(db->getProjectCount(), c.left);
        delete db;
    }
    CPolyraDatabase *db = database();
    select(db->getTreeNode());
    sink.answers = {MessageAnswer::Yes};
    main->MDeleteClick();
    EXPECT_EQ(sink.requests.back().text, "Delete Database : \"Database1\" ?");
    EXPECT_TRUE(CBasicDatabase::openDatabases().empty());
}

TEST_F(MainWindow, HiddenTogglesTheProjectAndItsNode)
{
    CPolyraDatabase *db = database();
    auto *node = static_cast<TTreeNode *>(db->getTreeNode()->child(0));
    CBasicProject *p = node->project();
    select(node);
    main->TreePopupPopup();
    main->action("PHidden")->trigger();
    EXPECT_TRUE(p->isHidden());
    node = static_cast<TTreeNode *>(p->getTreeNode());
    EXPECT_EQ(node->stateImage(), TTreeNode::HiddenImage);
    select(node);
    main->TreePopupPopup();
    EXPECT_TRUE(main->action("PHidden")->isChecked());
    main->action("PHidden")->trigger();
    EXPECT_FALSE(p->isHidden());
    delete db;
}

TEST_F(MainWindow, RenamingInTheTree)
{
    CPolyraDatabase *a = database();
    auto *b = new CPolyraDatabase;
    b->rename("Other", nullptr);
    // F2 on nodes without data starts nothing.
    select(main->rootNode());
    main->PRenameClick();
    EXPECT_FALSE(main->tree()->isPersistentEditorOpen(main->rootNode()));

    struct Case {
        QString typed;
        std::string result;
    };
    for (const Case &c : {Case{"Lab", "Lab"}, Case{"", "Lab"}, Case{"other", "other1"}}) {
        auto *node = static_cast<TTreeNode *>(a->getTreeNode());
        select(node);
        main->PRenameClick();
        node->setText(0, c.typed);
        main->MainTreeEdited(node);
        EXPECT_EQ(a->getName(), c.result) << c.typed.toStdString();
        EXPECT_EQ(node->text(0).toStdString(), c.result);
    }
    auto *projectNode = a->getTreeNode()->child(0);
    select(projectNode);
    main->PRenameClick();
    projectNode->setText(0, QString::fromUtf8("R\u00E9sultat"));
    main->MainTreeEdited(projectNode);
    EXPECT_EQ(a->getProject(0)->getName(), "R\xE9sultat");
    delete a;
    delete b;
}

TEST_F(MainWindow, PrintRefusesWhatHasNoReport)
{
    CPolyraDatabase *db = database();
    select(main->databasesNode());
    main->MPrintClick();
    ASSERT_EQ(sink.requests.size(), 1u);
    EXPECT_EQ(sink.requests[0].text,
              "No Project or Database selected.\nPlease select a Project or Database from the Result Tree on the left.");
    delete db;
}

TEST_F(MainWindow, SystemInfoGoesToTheViewerLibrary)
{
    CPolyraDatabase *db = database();
    select(db->getTreeNode()->child(0));
    main->action("PSystemInfo")->trigger();
    // The project holds no block: the user is told instead of the viewer being called.
    ASSERT_EQ(sink.requests.size(), 1u);
    EXPECT_EQ(sink.requests[0].text, "This project holds no system information.");
    delete db;
}

// ---- Help ---------------------------------------------------------------------

// The main window of a program directory of the test's choice: the built
// program's own folder, or one without the page.
class HelpCommand : public MainWindow {
protected:
    void SetUp() override {}
    void TearDown() override
    {
        if (QWidget *menu = QApplication::activePopupWidget())
            menu->close();
        MainWindow::TearDown();
        TFMainForm::SetProgramDirectory(QString());
    }
    void startIn(const QString &folder_)
    {
        TFMainForm::SetProgramDirectory(folder_);
        MainWindow::SetUp();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        main->tree()->setFocus();
        QApplication::processEvents();
    }
    // Keys go where a user's keys go: to the focused widget.
    static void press(Qt::Key key_, Qt::KeyboardModifiers modifiers_ = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        ASSERT_TRUE(target);
        QTest::keyClick(target, key_, modifiers_);
        QApplication::processEvents();
    }
    // Alt+H opens the Help menu, H chooses "Help topics".
    void chooseHelpTopicsFromTheMenu()
    {
        press(Qt::Key_H, Qt::AltModifier);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_EQ(menu, main->menu("Help1"));
        QTest::keyClick(menu, Qt::Key_H);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    static QString builtPage() { return QStringLiteral(SCORVISTA_PROGRAM_FOLDER "/Help/Scorvista2001.htm"); }
};

TEST_F(HelpCommand, F1AndTheMenuHandTheBuiltPageToTheDesktop)
{
    ASSERT_TRUE(QFileInfo(builtPage()).isFile()) << builtPage().toStdString();
    const QUrl page = QUrl::fromLocalFile(QFileInfo(builtPage()).absoluteFilePath());
    QTemporaryDir withoutPage;
    struct Case {
        const char *road;
        bool fromMenu;
        QString folder;
        bool desktopOpens;
        std::vector<QUrl> opened;
        QStringList messages;
    };
    const QString built = QStringLiteral(SCORVISTA_PROGRAM_FOLDER);
    // The reason is the desktop's, not a number.
    const Case cases[] = {
        {"F1", false, built, true, {page}, {}},
        {"Help menu", true, built, true, {page}, {}},
        {"F1 without the page", false, withoutPage.path(), true, {},
         {"Error opening Help-file. (The system cannot find the file specified.)"}},
        {"F1 with nothing to open the page", false, built, false, {page},
         {"Error opening Help-file. (No application opens HTML documents)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.road);
        startIn(c.folder);
        RecordingDesktop desktop;
        desktop.result = c.desktopOpens;
        desktop.reason = "No application opens HTML documents";
        if (c.fromMenu)
            chooseHelpTopicsFromTheMenu();
        else
            press(Qt::Key_F1);
        EXPECT_EQ(desktop.opened, c.opened);
        QStringList texts;
        for (const MessageRequest &r : sink.requests)
            texts << r.text;
        EXPECT_EQ(texts, c.messages);
        MainWindow::TearDown();
    }
}

// F1 in a main window of its own process, whose desktop is a private one
// with one application, which writes down the file it was started on: with
// that application for pictures only, there is none for HTML and the box
// gives the desktop's reason; with it for HTML, the desktop starts it on the
// built page.
TEST(HelpThroughTheDesktop, F1UsesTheDesktopsApplicationOrSaysWhyNot)
{
    const QString page = QFileInfo(QStringLiteral(SCORVISTA_PROGRAM_FOLDER "/Help/Scorvista2001.htm")).absoluteFilePath();
    struct Case {
        const char *name;
        bool withViewer;
    };
    for (const Case &c : {Case{"NoApplicationForHtml", false}, Case{"AnApplicationForHtml", true}}) {
        SCOPED_TRACE(c.name);
        PrivateDesktop desktop;
        ASSERT_TRUE(desktop.setUp({c.withViewer ? QStringLiteral("text/html") : QStringLiteral("image/png")}, "%f"));
        const QString &opened = desktop.opened;
        const PrivateDesktop::Run run = desktop.runHelpHelper({SCORVISTA_PROGRAM_FOLDER});
        const QStringList &lines = run.lines;
        SCOPED_TRACE(run.errors.toStdString());
        ASSERT_EQ(lines.value(lines.size() - 1), "done");
        const QStringList help = lines.filter("message Error opening Help-file.");
        if (c.withViewer) {
            EXPECT_TRUE(help.isEmpty()) << help.join('|').toStdString();
            ASSERT_TRUE(spinUntil([&] { return QFile::exists(opened); }, 10000));
            QFile file(opened);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(QString::fromUtf8(file.readAll()), page);
        } else {
            ASSERT_EQ(help.size(), 1) << lines.join('|').toStdString();
            const QString reason = help[0].mid(QString("message Error opening Help-file. (").size());
            EXPECT_TRUE(reason.endsWith(')')) << reason.toStdString();
            EXPECT_TRUE(reason.contains("application", Qt::CaseInsensitive)) << reason.toStdString();
            bool number = false;
            reason.chopped(1).toInt(&number);
            EXPECT_FALSE(number);
            // The application for pictures was not started on the page.
            EXPECT_FALSE(QFile::exists(opened) || QFile::exists(opened + ".part"));
        }
    }
}

// The page calls the commands what the program calls them, and explains
// what the program's texts send the user to it for.
TEST_F(HelpCommand, ThePageNamesTheCommandsAsTheProgramDoes)
{
    startIn(QStringLiteral(SCORVISTA_PROGRAM_FOLDER));
    QFile file(builtPage());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // The text a reader sees: no tags, one blank between words.
    QString page = QString::fromLatin1(file.readAll());
    page.remove(QRegularExpression("<[^>]*>"));
    page.replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
    page = page.simplified();

    QStringList named;
    TFDatabase window(nullptr, nullptr);
    for (QAction *item : window.ChartPopup->actions())
        if (!item->isSeparator())
            named << item->text();
    QPrinter printer;
    named << TFPrinterSetup(printer).windowTitle() << TFPrinterSetup::pdfEntryText();
    named << main->action("PDetails")->text() << main->action("MPrintsettings")->text();
    // The database's text type, as its save dialog offers it.
    CPolyraDatabase database;
    CSaveDialogSetup save;
    database.setupSaveDialog(save);
    named << QString::fromStdString(save.filter).split('|').filter(".txt").value(0);
    for (const QString &caption : named) {
        const QString plain = QString(caption).remove('&');
        EXPECT_TRUE(page.contains(plain)) << plain.toStdString();
    }

    // What the exported and copied tables say the help explains.
    QStringList notice;
    AppendResultNotice(notice, false);
    ASSERT_TRUE(notice.value(0).contains("help explains how to export"));
    EXPECT_TRUE(page.contains("Exporting the description of the testing environment"));
    // The picture viewer's Full screen as it behaves.
    EXPECT_TRUE(page.contains("Full screen (Ctrl+U): hides the side panel and maximises the viewer's window"));
}

// The page is plain 7-bit text, so it reads the same as Windows-1252 or as
// UTF-8, whatever a browser takes it for.
TEST_F(HelpCommand, ThePageBesideTheProgramIsPlainAsciiHtml)
{
    QFile file(builtPage());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << builtPage().toStdString();
    const QByteArray page = file.readAll();
    EXPECT_TRUE(page.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(page.contains("<title>Scorvista2001 SE Help</title>"));
    for (qsizetype i = 0; i < page.size(); ++i) {
        const auto c = static_cast<unsigned char>(page[i]);
        ASSERT_TRUE(c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7F))
            << "byte " << int(c) << " at " << i;
    }
}

} // namespace
