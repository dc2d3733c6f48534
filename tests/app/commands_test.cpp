// Commands given as a user gives them: real key events to the focused
// widget, the toolbar's buttons, the menus' own opening.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "openfixture.h"
#include "modalforms.h"
#include "printersetup.h"
#include "programprinter.h"
#include "projectload.h"

namespace {

class Commands : public OpenFixture {
protected:
    void SetUp() override
    {
        OpenFixture::SetUp();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        QApplication::clipboard()->clear();
        QApplication::processEvents();
    }

    // Key events go where a user's keys go: to the focused widget.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        ASSERT_TRUE(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
    // A child window with a text field, focused.
    QLineEdit *focusAnEditInAChildWindow()
    {
        auto *form = new FakeDatabaseWindow(nullptr);
        auto *layout = new QVBoxLayout(form);
        auto *edit = new QLineEdit(form);
        edit->setText("typed");
        layout->addWidget(edit);
        QMdiSubWindow *child = main->mdiArea()->addSubWindow(form);
        child->show();
        main->mdiArea()->setActiveSubWindow(child);
        edit->setFocus();
        QApplication::processEvents();
        return edit;
    }
    QAction *toolButton(const char *name) { return main->findChild<QAction *>(name); }
    CPolyraDatabase *databaseWith(std::initializer_list<const char *> names)
    {
        auto *db = new CPolyraDatabase;
        for (const char *n : names)
            db->addProject(makeProject(n));
        return db;
    }
    std::size_t questions() const
    {
        std::size_t n = 0;
        for (const MessageRequest &r : sink.requests)
            n += r.text.startsWith("Delete ") ? 1 : 0;
        return n;
    }
};

TEST_F(Commands, CopyByKeyTakesTheNodeSelectedNowNotTheOneOfTheLastPopup)
{
    CPolyraDatabase *db = databaseWith({"A", "B"});
    select(db->getTreeNode()->child(0));
    main->TreePopupPopup();
    select(db->getTreeNode()->child(1));
    press(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(main->heldTransfer());
    EXPECT_EQ(main->heldTransfer()->projects(), std::vector<CBasicProject *>{db->getProject(1)});
}

// Ctrl+C in the tree is the Copy command: on a node it cannot copy, the
// user's clipboard stays as it was, never the node's label.
TEST_F(Commands, CopyByKeyInTheTreeCopiesOnlyWhatTheCommandCopies)
{
    CPolyraDatabase *db = databaseWith({"A"});
    QTreeWidgetItem *root = main->tree()->topLevelItem(0);
    ASSERT_TRUE(root);
    struct Case {
        const char *node;
        QTreeWidgetItem *item;
        QString clipboard;
    };
    const Case cases[] = {
        {"the root", root, "kept"},
        {"the databases node", root->child(0), "kept"},
        {"a database", db->getTreeNode(), "kept"},
        {"a project", db->getTreeNode()->child(0), "ProjectList"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.node);
        QApplication::clipboard()->setText("kept");
        select(c.item);
        ASSERT_EQ(QApplication::focusWidget(), main->tree());
        press(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);
    }
}

TEST_F(Commands, CopyThenPasteByKeyAndByMenuPasteOneCopyEach)
{
    CPolyraDatabase *a = databaseWith({"First"});
    auto *b = new CPolyraDatabase;
    select(a->getTreeNode()->child(0));
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(ClipboardHoldsProjects());
    select(b->getTreeNode());
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"First"}));
    // The Edit menu as it opens, then its item.
    select(b->getTreeNode());
    emit main->menu("Edit1")->aboutToShow();
    ASSERT_TRUE(main->action("MPaste")->isEnabled());
    main->action("MPaste")->trigger();
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"First", "First(1)"}));
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"First"}));
}

TEST_F(Commands, CutByKeyThenPasteByKeyMovesOnce)
{
    CPolyraDatabase *a = databaseWith({"Moved", "Stays"});
    auto *b = new CPolyraDatabase;
    select(a->getTreeNode()->child(0));
    press(Qt::Key_X, Qt::ControlModifier);
    select(b->getTreeNode());
    press(Qt::Key_V, Qt::ControlModifier);
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Moved"}));
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"Stays"}));
}

TEST_F(Commands, DelAsksOnceAndOnlyWhileTheTreeHasTheFocus)
{
    CPolyraDatabase *db = databaseWith({"First", "Second"});
    select(db->getTreeNode()->child(0));
    sink.answers = {MessageAnswer::No, MessageAnswer::No};
    press(Qt::Key_Delete);
    EXPECT_EQ(questions(), 1u);
    EXPECT_EQ(db->getProjectCount(), 2);

    sink.requests.clear();
    sink.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    press(Qt::Key_Delete);
    EXPECT_EQ(questions(), 1u);
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Second"}));

    // In a text field Del is the field's own key.
    select(db->getTreeNode()->child(0));
    QLineEdit *edit = focusAnEditInAChildWindow();
    edit->setCursorPosition(0);
    sink.requests.clear();
    sink.answers = {MessageAnswer::Yes};
    press(Qt::Key_Delete);
    EXPECT_EQ(questions(), 0u);
    EXPECT_EQ(db->getProjectCount(), 1);
    EXPECT_EQ(edit->text(), "yped");
}

TEST_F(Commands, F2RenamesOnlyANodeWithDataAndOnlyFromTheTree)
{
    CPolyraDatabase *db = databaseWith({"Old"});
    QTreeWidgetItem *node = db->getTreeNode()->child(0);

    struct Case {
        const char *what;
        QTreeWidgetItem *node;
        bool inTree;
        bool edits;
    };
    const Case cases[] = {
        {"root", main->rootNode(), true, false},
        {"databases node", main->databasesNode(), true, false},
        {"project, focus elsewhere", node, false, false},
        {"project", node, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        select(c.node);
        if (!c.inTree)
            focusAnEditInAChildWindow();
        press(Qt::Key_F2);
        const bool editing = qobject_cast<QLineEdit *>(QApplication::focusWidget()) &&
                             main->tree()->isAncestorOf(QApplication::focusWidget());
        EXPECT_EQ(editing, c.edits);
    }
    // Type the new name and finish with Enter.
    QWidget *editor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit *>(editor));
    qobject_cast<QLineEdit *>(editor)->selectAll();
    QTest::keyClicks(editor, "New");
    press(Qt::Key_Return);
    EXPECT_EQ(db->getProject(0)->getName(), "New");
}

// F2's editor stands out from the node it edits: a framed field of its own
// height, its whole text selected in the colours of a focused field rather
// than the grey the tree gives a selection it does not act on.
TEST_F(Commands, TheRenameEditorIsFramedAndShowsItsSelection)
{
    CPolyraDatabase *db = databaseWith({"Pentium III 1000 GeForce2"});
    select(db->getTreeNode()->child(0));
    press(Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(main->tree()->isAncestorOf(editor));
    EXPECT_TRUE(editor->hasFrame());
    EXPECT_GE(editor->height(), editor->sizeHint().height());
    EXPECT_EQ(editor->selectedText(), editor->text());
    const QColor highlight = QApplication::palette(editor).color(QPalette::Active, QPalette::Highlight);
    const QImage shown = editor->grab().toImage();
    int highlighted = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            highlighted += shown.pixelColor(x, y) == highlight ? 1 : 0;
    EXPECT_GT(highlighted, shown.width() * shown.height() / 4);
    press(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), main->tree());
}

TEST_F(Commands, AfterARenameDelAndCopyWorkAgain)
{
    CPolyraDatabase *db = databaseWith({"Old", "Other"});
    select(db->getTreeNode()->child(0));
    press(Qt::Key_F2);
    QTest::keyClicks(QApplication::focusWidget(), "Renamed");
    press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), main->tree());
    press(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(main->heldTransfer());
    EXPECT_EQ(main->heldTransfer()->projects(), std::vector<CBasicProject *>{db->getProject(0)});
    sink.answers = {MessageAnswer::Yes};
    press(Qt::Key_Delete);
    EXPECT_EQ(questions(), 1u);
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Other"}));
}

TEST_F(Commands, AnEditMenuOpenedOnANodeWithoutDataLeavesNoStaleState)
{
    CPolyraDatabase *db = databaseWith({"Kept", "Gone"});
    select(main->rootNode());
    emit main->menu("Edit1")->aboutToShow();
    EXPECT_FALSE(main->action("MCopy")->isEnabled());
    select(db->getTreeNode()->child(1));
    press(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(main->heldTransfer());
    sink.answers = {MessageAnswer::Yes};
    press(Qt::Key_Delete);
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"Kept"}));
}

TEST_F(Commands, EditMenuDecidesFromTheControlFocusedBeforeTheMenus)
{
    CPolyraDatabase *db = databaseWith({"P"});
    select(db->getTreeNode()->child(0));
    // Moving from File to Edit: the open File menu holds the focus.
    QMenu *file = main->menu("File1");
    file->popup(main->mapToGlobal(QPoint(10, 10)));
    file->setFocus();
    QApplication::processEvents();
    emit main->menu("Edit1")->aboutToShow();
    for (const char *name : {"MCut", "MCopy", "MDelete"})
        EXPECT_TRUE(main->action(name)->isEnabled()) << name;
    file->hide();
}

TEST_F(Commands, ToolbarButtonsRunTheSelectionForcedWhateverTheMenusLastSaw)
{
    CPolyraDatabase *a = databaseWith({"Copied"});
    auto *b = new CPolyraDatabase;
    select(a->getTreeNode()->child(0));
    focusAnEditInAChildWindow();
    toolButton("ToolButton8")->trigger();
    ASSERT_TRUE(main->heldTransfer());
    EXPECT_EQ(main->heldTransfer()->projects(), std::vector<CBasicProject *>{a->getProject(0)});
    main->mdiArea()->closeAllSubWindows();
    select(b->getTreeNode());
    toolButton("ToolButton9")->trigger();
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Copied"}));
    // Every button shows an icon, so the toolbar fits the window.
    auto *bar = main->findChild<QToolBar *>("Toolbar");
    for (QAction *button : bar->actions()) {
        if (!button->isSeparator()) {
            EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
        }
    }
    EXPECT_LE(bar->sizeHint().width(), 575);
}

TEST_F(Commands, TheLoadedProjectsNodeIsSelected)
{
    auto *db = databaseWith({"There"});
    showWindowOf(db);
    ASSERT_TRUE(OpenFileByPath(*main, writeProject("new.prp", "New")));
    ASSERT_EQ(db->getProjectCount(), 2);
    EXPECT_EQ(main->tree()->currentItem(), db->getProject(1)->getTreeNode());
    main->mdiArea()->closeAllSubWindows();

    closeEverything();
    ASSERT_TRUE(OpenFileByPath(*main, writeProject("alone.prp", "Alone")));
    ASSERT_EQ(CBasicProject::liveProjects().size(), 1u);
    EXPECT_EQ(main->tree()->currentItem(), CBasicProject::liveProjects().front()->getTreeNode());
}

// The colour the tree draws its current node's row in, read off the screen.
QColor selectionColour(QTreeWidget *tree_)
{
    const QRect row = tree_->visualItemRect(tree_->currentItem());
    const QImage shot = tree_->viewport()->grab().toImage();
    return shot.pixelColor(row.right() - 2, row.center().y());
}

// The style may shade a focused selection a little.
bool near(const QColor &a_, const QColor &b_)
{
    return std::abs(a_.red() - b_.red()) + std::abs(a_.green() - b_.green()) + std::abs(a_.blue() - b_.blue()) < 24;
}

TEST_F(Commands, TheTreeLooksSelectedOnlyWhileTheCommandsSeeItsSelection)
{
    QTreeWidget *tree = main->tree();
    const QColor active = QApplication::palette(tree).color(QPalette::Active, QPalette::Highlight);
    // Opening a database selects its last project.
    ASSERT_TRUE(OpenFileByPath(*main, QStringLiteral(SCORVISTA_SAMPLES "/sample-machines.prb")));
    QApplication::processEvents();
    ASSERT_EQ(CBasicDatabase::openDatabases().size(), 1u);
    CBasicDatabase *db = CBasicDatabase::openDatabases().front();
    ASSERT_EQ(tree->currentItem(), db->getProject(db->getProjectCount() - 1)->getTreeNode());
    QMdiSubWindow *child = main->mdiArea()->activeSubWindow();
    ASSERT_TRUE(child);
    const auto clickInto = [](QWidget *widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
        QApplication::processEvents();
    };

    // The tree's own look follows where the commands take their selection from.
    struct Step {
        const char *what;
        QWidget *clicked;
        bool treeActive;
    };
    QWidget *grid = child->widget()->findChild<QAbstractItemView *>();
    ASSERT_TRUE(grid);
    for (const Step &step : {Step{"a click into the database window", grid, false},
                             Step{"a click on the tree's node", tree->viewport(), true},
                             Step{"a click into the database window again", grid, false}}) {
        SCOPED_TRACE(step.what);
        if (step.clicked == tree->viewport())
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                              tree->visualItemRect(tree->currentItem()).center());
        else
            clickInto(step.clicked);
        QApplication::processEvents();
        ASSERT_EQ(main->activeControl() == tree, step.treeActive);
        EXPECT_EQ(near(selectionColour(tree), active), step.treeActive) << selectionColour(tree).name().toStdString();
        // What the commands see: without the tree the preview has no selection.
        sink.requests.clear();
        if (!step.treeActive) {
            toolButton("ToolButton11")->trigger();
            ASSERT_EQ(sink.requests.size(), 1u);
            EXPECT_TRUE(sink.requests[0].text.startsWith("No Project or Database selected."));
        }
    }
    closeEverything();
}

TEST_F(Commands, WindowMenuListsTheChildWindowsAndActivatesOne)
{
    auto *a = new CPolyraDatabase;
    auto *b = new CPolyraDatabase;
    showWindowOf(a)->setWindowTitle("Database:First & Co");
    showWindowOf(b)->setWindowTitle("Database:Second");
    QMenu *window = main->menu("MWindow");
    emit window->aboutToShow();
    QStringList captions;
    QAction *first = nullptr;
    for (QAction *item : window->actions()) {
        if (!item->isCheckable())
            continue;
        captions << item->text();
        if (!first)
            first = item;
    }
    EXPECT_EQ(captions, (QStringList{"&1 Database:First && Co", "&2 Database:Second"}));
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isChecked());
    first->trigger();
    EXPECT_EQ(main->activeChild()->windowTitle(), "Database:First & Co");
    // Opened again, the list is made anew.
    emit window->aboutToShow();
    int listed = 0;
    for (QAction *item : window->actions())
        listed += item->isCheckable() ? 1 : 0;
    EXPECT_EQ(listed, 2);
}

// Page Setup from the File menu, answered with a click on OK or Cancel: a
// confirmed choice stays for the later prints, a cancelled one does not.
TEST_F(Commands, ThePrinterChosenInPageSetupIsKeptForLaterPrints)
{
    SetPrinterStateSource([] {
        PrinterState s;
        s.printers = {"Office"};
        s.defaultPrinter = "Office";
        return s;
    });
    struct Case {
        const char *button;
        QPageLayout::Orientation afterComingBack;
    };
    for (const Case &c : {Case{"OKButton", QPageLayout::Landscape}, Case{"CancelButton", QPageLayout::Portrait}}) {
        SCOPED_TRACE(c.button);
        FreeProgramPrinter();
        // Something of the printer a release would lose.
        ProgramPrinter().setPageOrientation(QPageLayout::Landscape);
        StrayDialogCloser stray;
        QStringList shown;
        {
            ModalFormAnswerScope answer([&](TFBasicForm &form) {
                auto *setup = qobject_cast<TFPrinterSetup *>(&form);
                ASSERT_TRUE(setup);
                shown << setup->windowTitle();
                auto *button = setup->findChild<QPushButton *>(c.button);
                ASSERT_TRUE(button);
                QTest::mouseClick(button, Qt::LeftButton);
            });
            main->activateWindow();
            QApplication::setActiveWindow(main.get());
            main->tree()->setFocus();
            press(Qt::Key_F, Qt::AltModifier);
            auto *file = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_EQ(file, main->menu("File1"));
            QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(main->action("MPrintsettings")).center());
            QApplication::processEvents();
        }
        EXPECT_EQ(shown, QStringList{"Print Setup"});
        EXPECT_TRUE(stray.closed.isEmpty()) << stray.closed.join('|').toStdString();
        main->ApplicationActivated();
        EXPECT_EQ(ProgramPrinter().pageLayout().orientation(), c.afterComingBack);
    }
    SetPrinterStateSource({});
    FreeProgramPrinter();
}

} // namespace
