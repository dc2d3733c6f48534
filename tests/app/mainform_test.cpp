#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
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
#include "recordingdesktop.h"
#include "uMainForm.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "settingskeys.h"
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
        std::vector<QUrl> opened;
        QStringList messages;
    };
    const Case cases[] = {
        {"F1", false, QStringLiteral(SCORVISTA_PROGRAM_FOLDER), {page}, {}},
        {"Help menu", true, QStringLiteral(SCORVISTA_PROGRAM_FOLDER), {page}, {}},
        {"F1 without the page", false, withoutPage.path(), {}, {"Error opening Help-file. (2)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.road);
        startIn(c.folder);
        RecordingDesktop desktop;
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
