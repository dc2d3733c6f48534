// The main window's commands through real database windows: saving, the
// close question, closing, the exit question, the view items and opening.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>

#include "doubleclick.h"
#include "databasemodels.h"
#include "databasewindow.h"
#include "impstringgrid.h"
#include "projectimages.h"
#include "projectload.h"
#include "openfixture.h"
#include "projectwindow.h"
#include "settingskeys.h"
#include "spinuntil.h"
#include "titlebar.h"
#include "upictures.h"

namespace {

class WindowCommands : public OpenFixture {
protected:
    void SetUp() override
    {
        OpenFixture::SetUp();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        QApplication::processEvents();
    }
    static void settle()
    {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    // A database with its window, changed since its last save; file names
    // are files of the test's folder, empty for an untitled one.
    CPolyraDatabase *changedDatabase(const std::string &name, std::initializer_list<const char *> projects,
                                     const QString &fileName = QString())
    {
        auto *db = new CPolyraDatabase;
        db->rename(name, nullptr);
        for (const char *p : projects)
            db->addProject(makeProject(p));
        if (!fileName.isEmpty())
            db->setFileName(ToFilePath(files.filePath(fileName)));
        db->showWindow();
        settle();
        return db;
    }
    void answerDialogWith(const QStringList &chosen)
    {
        SetFileDialogRunner([this, chosen](const TFileDialogRequest &request) {
            dialogs.push_back(request);
            return chosen;
        });
    }
    // The database's window made the current child, as a click on its
    // node in the tree makes it.
    void activate(CBasicDatabase *db)
    {
        const QRect row = main->tree()->visualItemRect(db->getTreeNode());
        QTest::mouseClick(main->tree()->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        settle();
        ASSERT_EQ(main->activeChildDatabase(), db);
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        ASSERT_TRUE(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
        settle();
    }
    // The names of the projects of a database file; nothing of it stays open.
    static std::vector<std::string> namesInFile(const QString &path)
    {
        auto *db = new CPolyraDatabase;
        std::vector<std::string> names;
        if (db->loadFromFile(ToFilePath(path)))
            names = namesIn(db);
        delete db;
        return names;
    }
    static bool isOpen(const CBasicDatabase *db)
    {
        const auto &open = CBasicDatabase::openDatabases();
        return std::find(open.begin(), open.end(), db) != open.end();
    }
    // The database's window, on its Image Quality tab.
    static TFDatabase *onImageTab(CBasicDatabase *db)
    {
        TFDatabase *window = db->getWindow();
        if (window) {
            window->PageControl1->setCurrentWidget(window->TabImages);
            settle();
        }
        return window;
    }
    int childCount() const { return static_cast<int>(main->mdiArea()->subWindowList().size()); }
    static QString question(const char *name)
    {
        return QStringLiteral("Do you want to save the changes to Database : \"%1\" ?").arg(name);
    }
    QStringList questions() const
    {
        QStringList texts;
        for (const MessageRequest &r : sink.requests)
            if (r.kind == MessageRequest::Kind::YesNoCancel)
                texts << r.text;
        return texts;
    }

    std::vector<TFileDialogRequest> dialogs;
};

TEST_F(WindowCommands, OpeningADatabaseShowsItsWindowMaximisedOnlyWhenAlone)
{
    CPolyraDatabase *first = changedDatabase("First", {"A"});
    ASSERT_TRUE(first->getWindow());
    EXPECT_EQ(main->activeChild(), first->getWindow());
    EXPECT_EQ(first->getWindow()->windowTitle(), "Database:First");
    EXPECT_TRUE(main->mdiArea()->currentSubWindow()->isMaximized());
    main->mdiArea()->currentSubWindow()->showNormal();
    CPolyraDatabase *second = changedDatabase("Second", {"B"});
    EXPECT_EQ(main->activeChild(), second->getWindow());
    EXPECT_FALSE(main->mdiArea()->currentSubWindow()->isMaximized());
    // A rename reaches the caption and the Window menu.
    second->rename("Renamed", nullptr);
    EXPECT_EQ(second->getWindow()->windowTitle(), "Database:Renamed");
    emit main->menu("MWindow")->aboutToShow();
    QStringList listed;
    for (QAction *item : main->menu("MWindow")->actions())
        if (item->isCheckable())
            listed << item->text() + (item->isChecked() ? "*" : "");
    EXPECT_EQ(listed, (QStringList{"&1 Database:First", "&2 Database:Renamed*"}));
}

// At a first start the main window has its designed size and the tree its
// default width; the sample database's maximised window is wider than the
// client area that leaves, and the area's scroll bar brings its title bar's
// buttons into reach.
TEST_F(WindowCommands, AtTheFirstStartTheDatabaseWindowsButtonsCanBeReached)
{
    EXPECT_EQ(main->size(), QSize(575, 524));
    EXPECT_EQ(main->findChild<QSplitter *>("Splitter1")->sizes().value(0), 145);
    ASSERT_TRUE(OpenFileByPath(*main, QStringLiteral(SCORVISTA_SAMPLES "/sample-machines.prb")));
    settle();
    QMdiSubWindow *frame = main->mdiArea()->currentSubWindow();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(frame->isMaximized());
    QWidget *area = main->mdiArea()->viewport();
    QScrollBar *bar = main->mdiArea()->horizontalScrollBar();
    // Clicks on the bar's track right of its handle, as far as it goes.
    for (int i = 0; i < 50 && frame->geometry().right() >= area->width(); ++i) {
        ASSERT_TRUE(bar->isVisible()) << "no way to reach the window's right edge";
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - bar->height() - 2, bar->height() / 2));
        settle();
    }
    EXPECT_LT(frame->geometry().right(), area->width());
    EXPECT_GE(frame->geometry().left(), -bar->maximum());
    QTest::mouseMove(frame, titleBarButton(frame, QStyle::SC_TitleBarCloseButton));
    QTest::mouseClick(frame, Qt::LeftButton, Qt::NoModifier, titleBarButton(frame, QStyle::SC_TitleBarCloseButton));
    settle();
    EXPECT_TRUE(main->mdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(CBasicDatabase::openDatabases().empty());
}

// Tiling and cascading move the children inside the main window, whatever
// their smallest sizes: the main window keeps its size on the screen, and
// keeps it for the next start.
TEST_F(WindowCommands, ArrangingTheChildrenNeverWidensTheMainWindow)
{
    changedDatabase("First", {"A"});
    TFPictures *viewer = OpenPictureWindow(2, nullptr, nullptr);
    OpenPictureWindow(3, nullptr, nullptr);
    settle();
    const QRect placed = main->geometry();
    const QRect screen = main->screen()->availableGeometry();
    ASSERT_TRUE(screen.contains(main->frameGeometry()));
    // Alt+W opens the Window menu of the window with the focus, the item's
    // letter chooses it.
    auto choose = [this](QWidget *focus, QMenu *windowMenu, Qt::Key item) {
        // A click on the viewer's title makes it the current window.
        if (auto *child = qobject_cast<QMdiSubWindow *>(focus->window() == main.get() ? focus->parentWidget() : nullptr)) {
            QTest::mouseClick(child, Qt::LeftButton, Qt::NoModifier, titleBarButton(child, QStyle::SC_TitleBarLabel));
            settle();
        }
        focus->setFocus();
        settle();
        press(Qt::Key_W, Qt::AltModifier);

        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        EXPECT_EQ(shown, windowMenu);
        if (shown)
            QTest::keyClick(shown, item);
        settle();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no item chosen";
        if (QWidget *left = QApplication::activePopupWidget())
            left->close();
    };
    struct Case {
        const char *command;
        bool inViewer;
        Qt::Key item;
    };
    for (const Case &c : {Case{"Tile", false, Qt::Key_T}, Case{"Cascade", false, Qt::Key_C},
                          Case{"Arrange Icons", false, Qt::Key_A}, Case{"the viewer's Tile", true, Qt::Key_T},
                          Case{"the viewer's Cascade", true, Qt::Key_C}}) {
        SCOPED_TRACE(c.command);
        if (c.inViewer)
            choose(viewer, viewer->MWindow, c.item);
        else
            choose(main->tree(), main->menu("MWindow"), c.item);
        EXPECT_EQ(main->geometry(), placed);
        EXPECT_TRUE(screen.contains(main->frameGeometry()));
    }
    choose(main->tree(), main->menu("MWindow"), Qt::Key_T);
    main.reset();
    const QStringList saved = RegistryStore(programKey()).readString("Windows", "MainWindow").split(',');
    ASSERT_GE(saved.size(), 4);
    EXPECT_EQ(saved[2].toInt(), placed.width());
    EXPECT_EQ(saved[3].toInt(), placed.height());
}

// Cascade, the main window's over its children and a viewer's over the
// viewers: every title bar shows, and the window that was current stays
// current and in front of the others.
TEST_F(WindowCommands, CascadeShowsEveryTitleBarAndKeepsTheCurrentWindowInFront)
{
    QWidget *area = main->mdiArea()->viewport();
    // The child whose pixels are at the point of the area.
    auto shownAt = [area](const QPoint &at) {
        QWidget *w = area->childAt(at);
        while (w && !qobject_cast<QMdiSubWindow *>(w))
            w = w->parentWidget();
        return qobject_cast<QMdiSubWindow *>(w);
    };
    struct Case {
        const char *command;
        bool viewers;
    };
    for (const Case &c : {Case{"Window > Cascade", false}, Case{"the viewer's Window > Cascade", true}}) {
        SCOPED_TRACE(c.command);
        std::vector<QMdiSubWindow *> windows;
        if (c.viewers) {
            for (int test : {2, 3, 4})
                windows.push_back(qobject_cast<QMdiSubWindow *>(OpenPictureWindow(test, nullptr, nullptr)->parentWidget()));
        } else {
            for (const char *name : {"First", "Second", "Third"}) {
                CPolyraDatabase *db = changedDatabase(name, {"A"});
                windows.push_back(qobject_cast<QMdiSubWindow *>(db->getWindow()->parentWidget()));
                windows.back()->showNormal();
                windows.back()->resize(300, 200);
            }
        }
        settle();
        for (QMdiSubWindow *w : windows)
            ASSERT_TRUE(w);
        // A click on its title makes the first window the current one.
        QMdiSubWindow *current = windows.front();
        QTest::mouseClick(current, Qt::LeftButton, Qt::NoModifier, titleBarButton(current, QStyle::SC_TitleBarLabel));
        settle();
        ASSERT_EQ(main->mdiArea()->activeSubWindow(), current);
        // Alt+W, then C, from the window with the focus.
        QWidget *focus = c.viewers ? current->widget() : static_cast<QWidget *>(main->tree());
        focus->setFocus();
        settle();
        press(Qt::Key_W, Qt::AltModifier);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QTest::keyClick(menu, Qt::Key_C);
        settle();
        ASSERT_EQ(QApplication::activePopupWidget(), nullptr);

        EXPECT_EQ(main->mdiArea()->activeSubWindow(), current);
        for (QMdiSubWindow *w : windows) {
            SCOPED_TRACE(w->windowTitle().toStdString());
            EXPECT_FALSE(w->isMaximized());
            // The whole title, from its left end to its buttons.
            const QRect title = titleBarPart(w, QStyle::SC_TitleBarLabel);
            int seen = 0;
            for (int x = title.left() + 1; x < title.right(); x += 3) {
                const QPoint at = w->mapTo(area, QPoint(x, title.center().y()));
                if (!area->rect().contains(at))
                    continue;
                ++seen;
                ASSERT_EQ(shownAt(at), w) << "title covered at " << x;
            }
            EXPECT_GT(seen, 20);
        }
        const QRect front = current->geometry().intersected(area->rect());
        EXPECT_EQ(shownAt(front.center()), current);
        EXPECT_EQ(shownAt(front.bottomRight() - QPoint(4, 4)), current);

        CBasicDatabase::deleteAll();
        for (QMdiSubWindow *w : main->mdiArea()->subWindowList())
            w->close();
        settle();
    }
}

// Every window carries the program's icon: the main window, the MDI
// children in their title bars, the project window.
TEST_F(WindowCommands, EveryWindowCarriesTheProgramsIcon)
{
    // The icon's two blues cover most of it.
    auto showsIcon = [](const QImage &image) {
        int blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y) & 0xFFFFFFu;
                blue += pixel == 0x1F4E8Cu || pixel == 0x2D64ADu ? 1 : 0;
            }
        return blue > image.width() * image.height() / 3;
    };
    CPolyraDatabase *db = changedDatabase("First", {"A"});
    OpenPictureWindow(2, nullptr, nullptr);
    settle();
    const QRect row = main->tree()->visualItemRect(db->getProject(0)->getTreeNode());
    doubleClick(main->tree()->viewport(), row.center());
    settle();
    ASSERT_TRUE(db->getProject(0)->getWindow());

    EXPECT_TRUE(showsIcon(main->windowIcon().pixmap(32).toImage()));
    EXPECT_TRUE(showsIcon(db->getProject(0)->getWindow()->windowIcon().pixmap(32).toImage()));
    const QList<QMdiSubWindow *> children = main->mdiArea()->subWindowList();
    ASSERT_EQ(children.size(), 2);
    for (QMdiSubWindow *child : children) {
        SCOPED_TRACE(child->windowTitle().toStdString());
        child->showNormal();
        settle();
        const QRect icon = titleBarPart(child, QStyle::SC_TitleBarSysMenu);
        ASSERT_FALSE(icon.isEmpty());
        EXPECT_TRUE(showsIcon(child->grab(icon).toImage()));
    }
}

TEST_F(WindowCommands, SaveByKeyWritesTheCurrentWindowsDatabaseOnly)
{
    CPolyraDatabase *a = changedDatabase("First", {"A1", "A2"}, "a.prb");
    CPolyraDatabase *b = changedDatabase("Second", {"B1"}, "b.prb");
    answerDialogWith({});
    activate(a);
    main->mdiArea()->currentSubWindow()->widget()->setFocus();
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(QFile::exists(files.filePath("a.prb")));
    EXPECT_FALSE(QFile::exists(files.filePath("b.prb")));
    EXPECT_FALSE(a->isModified());
    EXPECT_TRUE(b->isModified());
}

TEST_F(WindowCommands, SaveAsAsksForTheNameOfTheCurrentWindowsDatabase)
{
    CPolyraDatabase *a = changedDatabase("First", {"A1"}, "a.prb");
    changedDatabase("Second", {"B1"});
    activate(a);
    const QString chosen = files.filePath("chosen.prb");
    answerDialogWith({chosen});
    main->action("MSaveAs")->trigger();
    settle();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Saving Database:First");
    EXPECT_EQ(dialogs[0].fileName, "a.prb");
    EXPECT_EQ(FromFilePath(a->getFileName()), chosen);
    EXPECT_FALSE(a->isModified());
    EXPECT_FALSE(QFile::exists(files.filePath("a.prb")));
    CBasicDatabase::deleteAll();
    EXPECT_EQ(namesInFile(chosen), (std::vector<std::string>{"A1"}));
}

TEST_F(WindowCommands, SaveAllWritesEveryDatabaseToItsOwnFile)
{
    CPolyraDatabase *a = changedDatabase("First", {"A1", "A2"}, "a.prb");
    CPolyraDatabase *b = changedDatabase("Second", {"B1"});
    activate(a);
    const QString untitled = files.filePath("second.prb");
    answerDialogWith({untitled});
    main->action("MSaveAll")->trigger();
    settle();
    // Only the untitled one asks for its name.
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Saving Database:Second");
    EXPECT_FALSE(a->isModified());
    EXPECT_FALSE(b->isModified());
    CBasicDatabase::deleteAll();
    EXPECT_EQ(namesInFile(files.filePath("a.prb")), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_EQ(namesInFile(untitled), (std::vector<std::string>{"B1"}));
}

TEST_F(WindowCommands, TheCloseQuestionsThreeAnswers)
{
    struct Case {
        const char *label;
        bool changed;
        MessageAnswer answer;
        bool asked;
        bool saved;
        bool closed;
    };
    const Case cases[] = {
        {"Yes saves and closes", true, MessageAnswer::Yes, true, true, true},
        {"No closes unsaved", true, MessageAnswer::No, true, false, true},
        {"Cancel keeps both", true, MessageAnswer::Cancel, true, false, false},
        {"an unchanged database closes unasked", false, MessageAnswer::Cancel, false, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        CBasicDatabase::deleteAll();
        settle();
        const QString path = files.filePath("closed.prb");
        QFile::remove(path);
        CPolyraDatabase *db = changedDatabase("Closing", {"P"}, "closed.prb");
        if (!c.changed) {
            ASSERT_TRUE(db->saveToFile(ToFilePath(path)));
            QFile::remove(path);
        }
        sink.requests.clear();
        sink.answers = {c.answer};
        main->action("MClose")->trigger();
        settle();
        EXPECT_EQ(questions(), c.asked ? QStringList{question("Closing")} : QStringList());
        EXPECT_EQ(QFile::exists(path), c.saved);
        EXPECT_EQ(isOpen(db), !c.closed);
        EXPECT_EQ(childCount(), c.closed ? 0 : 1);
    }
}

TEST_F(WindowCommands, CloseAllSavesEachWindowsOwnDatabase)
{
    changedDatabase("First", {"A1"}, "a.prb");
    CPolyraDatabase *b = changedDatabase("Second", {"B1", "B2"}, "b.prb");
    activate(b);
    sink.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    main->action("MCloseAll")->trigger();
    settle();
    EXPECT_EQ(questions(), (QStringList{question("Second"), question("First")}));
    EXPECT_EQ(childCount(), 0);
    EXPECT_TRUE(CBasicDatabase::openDatabases().empty());
    EXPECT_EQ(namesInFile(files.filePath("a.prb")), (std::vector<std::string>{"A1"}));
    EXPECT_EQ(namesInFile(files.filePath("b.prb")), (std::vector<std::string>{"B1", "B2"}));
}

TEST_F(WindowCommands, ExitAsksEveryWindowBeforeAnyCloses)
{
    struct Case {
        const char *label;
        std::deque<MessageAnswer> answers;
        bool exits;
        bool firstSaved;
        bool secondSaved;
    };
    const Case cases[] = {
        {"Yes, Yes", {MessageAnswer::Yes, MessageAnswer::Yes}, true, true, true},
        {"Yes, Cancel", {MessageAnswer::Yes, MessageAnswer::Cancel}, false, true, false},
        {"Cancel", {MessageAnswer::Cancel}, false, false, false},
        {"No, No", {MessageAnswer::No, MessageAnswer::No}, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        CBasicDatabase::deleteAll();
        settle();
        QFile::remove(files.filePath("a.prb"));
        QFile::remove(files.filePath("b.prb"));
        main->show();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        CPolyraDatabase *a = changedDatabase("First", {"A1"}, "a.prb");
        CPolyraDatabase *b = changedDatabase("Second", {"B1", "B2"}, "b.prb");
        activate(a);
        sink.requests.clear();
        sink.answers = c.answers;
        main->tree()->setFocus();
        press(Qt::Key_X, Qt::AltModifier);
        EXPECT_EQ(questions().size(), c.answers.size());
        EXPECT_EQ(main->isVisible(), !c.exits);
        EXPECT_EQ(childCount(), c.exits ? 0 : 2);
        EXPECT_EQ(isOpen(a), !c.exits);
        EXPECT_EQ(isOpen(b), !c.exits);
        if (!c.exits) {
            // A Cancel leaves every window as it was, and each asks again
            // when it closes later.
            EXPECT_TRUE(a->getWindow());
            EXPECT_TRUE(b->getWindow());
            a->addProject(makeProject("Later"));
            sink.requests.clear();
            sink.answers = {MessageAnswer::Cancel};
            activate(a);
            main->action("MClose")->trigger();
            settle();
            EXPECT_EQ(questions(), QStringList{question("First")});
            EXPECT_TRUE(isOpen(a));
            CBasicDatabase::deleteAll();
        }
        EXPECT_EQ(namesInFile(files.filePath("a.prb")),
                  c.firstSaved ? std::vector<std::string>{"A1"} : std::vector<std::string>{});
        EXPECT_EQ(namesInFile(files.filePath("b.prb")),
                  c.secondSaved ? (std::vector<std::string>{"B1", "B2"}) : std::vector<std::string>{});
    }
}

TEST_F(WindowCommands, ViewItemsFollowTheCurrentDatabaseWindow)
{
    QMenu *view = main->menu("View1");
    emit view->aboutToShow();
    EXPECT_FALSE(main->action("MLargeIcons")->isEnabled());
    EXPECT_FALSE(main->action("MDetails")->isEnabled());
    CPolyraDatabase *a = changedDatabase("First", {"A1"});
    CPolyraDatabase *b = changedDatabase("Second", {"B1"});
    emit view->aboutToShow();
    EXPECT_TRUE(main->action("MLargeIcons")->isEnabled());
    EXPECT_TRUE(main->action("MDetails")->isEnabled());
    EXPECT_TRUE(main->action("MDetails")->isChecked());
    main->action("MLargeIcons")->trigger();
    EXPECT_TRUE(b->getWindow()->isIconView());
    EXPECT_FALSE(a->getWindow()->isIconView());
    emit view->aboutToShow();
    EXPECT_TRUE(main->action("MLargeIcons")->isChecked());
    EXPECT_FALSE(main->action("MDetails")->isChecked());
    // Another window brings its own view.
    activate(a);
    emit view->aboutToShow();
    EXPECT_TRUE(main->action("MDetails")->isChecked());
    activate(b);
    main->action("MDetails")->trigger();
    EXPECT_FALSE(b->getWindow()->isIconView());
}

TEST_F(WindowCommands, OpenAndPropertiesShowTheWindowOfTheSelectedNode)
{
    CPolyraDatabase *a = changedDatabase("First", {"A1", "A2"});
    CPolyraDatabase *b = changedDatabase("Second", {"B1"});
    ASSERT_EQ(main->activeChildDatabase(), b);
    struct Case {
        const char *command;
        bool database; // else the second project of the first database
    };
    for (const Case &c : {Case{"PShow", true}, Case{"PShow", false}, Case{"MShow", false}, Case{"PProperties", false}}) {
        SCOPED_TRACE(c.command);
        for (TFProject *w : main->findChildren<TFProject *>())
            delete w;
        // The desktop gives the main window back its activation.
        QApplication::setActiveWindow(main.get());
        activate(b);
        QTreeWidgetItem *node = c.database ? a->getTreeNode() : a->getProject(1)->getTreeNode();
        main->tree()->setCurrentItem(node);
        main->tree()->setFocus();
        main->TreePopupPopup();
        emit main->menu("Project1")->aboutToShow();
        QAction *item = main->action(c.command);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        settle();
        EXPECT_EQ(main->activeChildDatabase(), a);
        if (!c.database) {
            TFProject *w = a->getProject(1)->getWindow();
            ASSERT_TRUE(w);
            EXPECT_TRUE(w->isVisible());
            EXPECT_EQ(w->project(), a->getProject(1));
            EXPECT_EQ(a->getWindow()->projectWindow(), w);
        }
    }
}

TEST_F(WindowCommands, PasteByKeyGoesIntoTheCurrentDatabaseWindow)
{
    CPolyraDatabase *a = changedDatabase("First", {"Copied"});
    CPolyraDatabase *b = changedDatabase("Second", {});
    main->tree()->setCurrentItem(a->getProject(0)->getTreeNode());
    main->tree()->setFocus();
    press(Qt::Key_C, Qt::ControlModifier);
    activate(b);
    b->getWindow()->ProjectList()->setFocus();
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(namesIn(b), (std::vector<std::string>{"Copied"}));
    EXPECT_EQ(namesIn(a), (std::vector<std::string>{"Copied"}));
}

TEST_F(WindowCommands, CopyWithTheDetailsGridFocusedPutsItsTableOnTheClipboard)
{
    CPolyraDatabase *db = changedDatabase("Rigs", {"Rig A", "Rig B"});
    TFDatabase *window = db->getWindow();
    ASSERT_TRUE(window);
    window->PageControl1->setCurrentWidget(window->TabDetails);
    window->DbGrid->setFocus();
    settle();
    ASSERT_EQ(main->activeGrid(), window->DbGrid);
    EXPECT_TRUE(main->findChild<QAction *>("MCopy")->isEnabled());
    press(Qt::Key_C, Qt::ControlModifier);
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Test\tRig A\tRig B\r\n"))) << text.left(40).toStdString();
    // No project transfer was made: the grid copies its text only.
    EXPECT_EQ(main->heldTransfer(), nullptr);
    // A hidden project is left out: pasted, its empty column would be a
    // stray one.
    const QStringList before = text.split(QStringLiteral("\r\n"));
    db->getProject(0)->setHidden(true);
    db->changed();
    settle();
    window->DbGrid->setFocus();
    press(Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), before.size());
    EXPECT_EQ(lines[0], QStringLiteral("Test\tRig B"));
    // Every line lost the hidden project's cell and kept the other's.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringList cells = before[i].split(QLatin1Char('\t'));
        if (cells.size() > 1)
            cells.removeAt(1);
        EXPECT_EQ(lines[i], cells.join(QLatin1Char('\t'))) << "line " << i;
    }
}

TEST_F(WindowCommands, ImageGridShowsTheReferenceColumnAndCopiesOnlyPictures)
{
    CPolyraDatabase *db = changedDatabase("Rigs", {"Rig A"});
    TFDatabase *window = onImageTab(db);
    ASSERT_TRUE(window);
    TImageGridModel *images = window->imageModel();
    // Header, five settings, the picture tests and the empty last row.
    EXPECT_EQ(images->rowCount() + 1, TImageGridModel::gridRowCount());
    EXPECT_EQ(images->columnCount() + 1, 3);
    EXPECT_EQ(images->project(1), nullptr);
    EXPECT_EQ(images->project(2), db->getProject(0));
    // The last row, the captions and the settings have no picture; the
    // project has none stored either.
    for (int row = 0; row < TImageGridModel::gridRowCount() + 1; ++row)
        for (int column : {0, 2, 3})
            EXPECT_EQ(window->pictureOfCell(column, row), nullptr) << column << "," << row;

    sink.requests.clear();
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    window->setImageMouse(window->ImageGrid->visualRect(images->index(TImageGridModel::firstPictureRow - 1, 1)).center());
    window->ImageGrid->setFocus();
    settle();
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    window->PopupImageMenuPopup();
    EXPECT_FALSE(window->PView->isEnabled());
    EXPECT_FALSE(window->PImageCopy->isEnabled());
    // Double-clicking a settings row opens nothing and asks nothing.
    window->ImageGridView(2, 1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

// Resting the mouse on a picture cell of the image grid shows its hint;
// on a setting cell, none.
TEST_F(WindowCommands, ThePictureCellsOfTheImageGridHintAtTheirDoubleClick)
{
    CPolyraDatabase *db = changedDatabase("Rigs", {"Rig A"});
    TFDatabase *window = onImageTab(db);
    ASSERT_TRUE(window);
    TImageGridModel *images = window->imageModel();
    QWidget *viewport = window->ImageGrid->viewport();
    struct Case {
        const char *cell;
        int row, column; // of the model: grid row and column less one
        QString hint;
    };
    const Case cases[] = {
        {"the reference picture of the first test", TImageGridModel::firstPictureRow - 1, 0,
         "Double click to View Image"},
        {"the project's cell of the last test", TImageGridModel::firstPictureRow - 1 + int(testImageRows) - 1, 1,
         "Double click to View Image"},
        {"a setting", 1, 1, ""},
        {"the empty last row", TImageGridModel::firstPictureRow - 1 + int(testImageRows), 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cell);
        QToolTip::hideText();
        ASSERT_TRUE(spinUntil([] { return !QToolTip::isVisible(); }, 3000));
        window->ImageGrid->scrollTo(images->index(c.row, c.column));
        settle();
        const QPoint at = window->ImageGrid->visualRect(images->index(c.row, c.column)).center();
        QTest::mouseMove(viewport, at - QPoint(2, 2));
        QTest::mouseMove(viewport, at);
        // The hint comes when the mouse has rested a while, as it does on screen.
        const bool shown = spinUntil([] { return QToolTip::isVisible(); }, c.hint.isEmpty() ? 1500 : 5000);
        EXPECT_EQ(shown ? QToolTip::text() : QString(), c.hint);
    }
    QToolTip::hideText();
}

} // namespace
