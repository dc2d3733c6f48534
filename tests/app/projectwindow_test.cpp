// The project window: a project's name and description, edited by keys and
// mouse, and the window's life beside its project and database.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "Cp1252.h"
#include "databasewindow.h"
#include "doubleclick.h"
#include "openfixture.h"
#include "projectload.h"
#include "projectwindow.h"

namespace {

class ProjectWindow : public OpenFixture {
protected:
    // Posted refreshes run and closed windows go.
    static void settle()
    {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    static CPolyraProject *projectWith(const std::string &name, const std::string &description)
    {
        CPolyraProject *p = makeProject(name);
        p->setDescription(description);
        p->setModified(false);
        return p;
    }
    // A database of the projects, saved, so any change shows.
    static CPolyraDatabase *databaseOf(std::initializer_list<CBasicProject *> projects)
    {
        auto *db = new CPolyraDatabase;
        for (CBasicProject *p : projects)
            db->addProject(p);
        db->setModified(false);
        return db;
    }
    static TFProject *open(CBasicProject *p)
    {
        p->showWindow();
        settle();
        return p->getWindow();
    }
    static bool alive(CBasicProject *p)
    {
        const auto &live = CBasicProject::liveProjects();
        return std::find(live.begin(), live.end(), p) != live.end();
    }
    // Typed key by key; letters beyond ASCII come as their text.
    static void type(QWidget *widget, const QString &text)
    {
        for (QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(widget, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static void click(QPushButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }
    static void expectShows(TFProject *w, const CBasicProject *p, const QString &comments)
    {
        EXPECT_EQ(w->project(), p);
        EXPECT_EQ(w->EDescription->text(), fromCp1252(p->getName()));
        EXPECT_EQ(w->MComments->toPlainText(), comments);
        EXPECT_EQ(w->windowTitle(), "Project:" + fromCp1252(p->getName()));
    }
};

TEST_F(ProjectWindow, ShowsNameDescriptionVersionAndCaption)
{
    CPolyraProject *p = projectWith("Pentium \xC4 Rig", "First line\r\nSecond line");
    databaseOf({p});
    TFProject *w = open(p);
    ASSERT_TRUE(w);
    expectShows(w, p, QString::fromUtf8("First line\nSecond line"));
    EXPECT_EQ(w->EDescription->text(), QString::fromUtf8("Pentium Ä Rig"));
    EXPECT_EQ(w->Lversion->text(), fromCp1252(p->getVersionText()));
    EXPECT_FALSE(w->Lversion->text().isEmpty());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
}

TEST_F(ProjectWindow, OkAndCancelApplyOnlyWhatWasTyped)
{
    // How the window is left: a click on OK or on Cancel, or Escape pressed
    // in the field that has the focus, which is Cancel.
    enum Leave { Ok, Cancel, Escape };
    struct Case {
        const char *label;
        const char *typedName; // null: the name edit is not touched
        const char *typedComments;
        Leave leave;
        std::string name;
        std::string description;
        bool modified;
    };
    const Case cases[] = {
        {"OK without edits", nullptr, nullptr, Ok, "Alpha", "Old\r\nwords", false},
        {"OK after a new name", "Beta \xC3\xA9", nullptr, Ok, "Beta \xE9", "Old\r\nwords", true},
        {"OK after new comments", nullptr, "New\nlines", Ok, "Alpha", "New\r\nlines", true},
        {"OK after both", "Gamma", "Both", Ok, "Gamma", "Both", true},
        {"Cancel after both", "Gamma", "Both", Cancel, "Alpha", "Old\r\nwords", false},
        {"Escape in the comments after both", "Gamma", "Both", Escape, "Alpha", "Old\r\nwords", false},
        {"Escape in the name after a new name", "Gamma", nullptr, Escape, "Alpha", "Old\r\nwords", false},
        // Typing the same name again is an edit of nothing.
        {"OK after the same name", "Alpha", nullptr, Ok, "Alpha", "Old\r\nwords", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        CBasicDatabase::deleteAll();
        CPolyraProject *p = projectWith("Alpha", "Old\r\nwords");
        CPolyraDatabase *db = databaseOf({p});
        TFProject *w = open(p);
        ASSERT_TRUE(w);
        w->activateWindow();
        if (c.typedName) {
            w->BeginRename();
            type(w->EDescription, QString::fromUtf8(c.typedName));
        }
        if (c.typedComments) {
            w->MComments->setFocus();
            w->MComments->selectAll();
            const QStringList lines = QString::fromUtf8(c.typedComments).split('\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    QTest::keyClick(w->MComments, Qt::Key_Return);
                type(w->MComments, lines.at(i));
            }
        }
        if (c.leave == Escape) {
            QWidget *focused = w->focusWidget();
            ASSERT_TRUE(focused);
            EXPECT_EQ(focused, c.typedComments ? static_cast<QWidget *>(w->MComments) : w->EDescription);
            QTest::keyClick(focused, Qt::Key_Escape);
            settle();
        } else {
            click(c.leave == Ok ? w->Button1 : w->Button2);
        }
        EXPECT_EQ(p->getName(), c.name);
        EXPECT_EQ(p->getDescription(), c.description);
        EXPECT_EQ(p->isModified(), c.modified);
        EXPECT_EQ(db->isModified(), c.modified);
        EXPECT_EQ(p->getTreeNode()->text(0), fromCp1252(c.name));
        // Either button, and Escape, closes the window; the project stays in
        // its database.
        EXPECT_FALSE(p->getWindow());
        EXPECT_TRUE(alive(p));
        ASSERT_TRUE(db->getWindow());
        EXPECT_FALSE(db->getWindow()->projectWindow());
    }
}

TEST_F(ProjectWindow, ClosingTheWindowOfAStandaloneProjectDeletesIt)
{
    enum How { Closed, ByCancel, ByEscape };
    struct Case {
        const char *label;
        bool inDatabase;
        How how;
    };
    for (const Case &c : {Case{"standalone, closed", false, Closed}, Case{"standalone, Cancel", false, ByCancel},
                          Case{"standalone, Escape", false, ByEscape}, Case{"in a database, closed", true, Closed},
                          Case{"in a database, Cancel", true, ByCancel}, Case{"in a database, Escape", true, ByEscape}}) {
        SCOPED_TRACE(c.label);
        CPolyraProject *p = projectWith("Kept", "");
        CPolyraDatabase *db = c.inDatabase ? databaseOf({p}) : nullptr;
        TFProject *w = open(p);
        ASSERT_TRUE(w);
        if (c.how == ByCancel) {
            click(w->Button2);
        } else if (c.how == ByEscape) {
            w->BeginRename();
            QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
            settle();
        } else {
            w->close();
            settle();
        }
        EXPECT_EQ(alive(p), c.inDatabase);
        if (db) {
            EXPECT_FALSE(p->getWindow());
            EXPECT_FALSE(db->getShownProject());
            delete db;
        }
        EXPECT_TRUE(CBasicProject::liveProjects().empty());
    }
}

TEST_F(ProjectWindow, SwitchingProjectsShowsEachOnesOwnTexts)
{
    CPolyraProject *a = projectWith("First", "About the first");
    CPolyraProject *b = projectWith("Second", "About the second");
    CPolyraDatabase *db = databaseOf({a, b});
    TFProject *w = open(a);
    ASSERT_TRUE(w);
    expectShows(w, a, "About the first");
    // The database's one project window follows a double click in the tree.
    const QRect row = main->tree()->visualItemRect(b->getTreeNode());
    doubleClick(main->tree()->viewport(), row.center());
    settle();
    EXPECT_EQ(b->getWindow(), w);
    EXPECT_FALSE(a->getWindow());
    expectShows(w, b, "About the second");
    EXPECT_EQ(db->getShownProject(), b);
    EXPECT_EQ(db->getWindow()->projectWindow(), w);
    open(a);
    EXPECT_EQ(a->getWindow(), w);
    expectShows(w, a, "About the first");
    // Showing the project it shows already keeps it the database's shown one.
    open(a);
    EXPECT_EQ(db->getShownProject(), a);
    EXPECT_FALSE(a->isModified());
    EXPECT_FALSE(b->isModified());
}

TEST_F(ProjectWindow, ARenameElsewhereReachesTheOpenWindow)
{
    CPolyraProject *p = projectWith("Before", "");
    databaseOf({p});
    TFProject *w = open(p);
    ASSERT_TRUE(w);
    p->rename("After", nullptr);
    EXPECT_EQ(w->windowTitle(), "Project:After");
    EXPECT_EQ(w->EDescription->text(), "After");
}

// Each of these would read freed memory or free the project twice under
// the sanitizers if the window kept its project or the database window
// kept the project window.
TEST_F(ProjectWindow, NothingDanglesWhenTheProjectOrTheWindowGoes)
{
    struct Case {
        const char *label;
        int action;
    };
    enum { DeleteProject, DeleteDatabase, CloseWindow, DeleteStandalone, DeleteStandaloneWindow };
    const Case cases[] = {
        {"the shown project is deleted", DeleteProject},
        {"its database is deleted", DeleteDatabase},
        {"the window is closed", CloseWindow},
        {"a standalone project is deleted", DeleteStandalone},
        {"a standalone project's window is deleted", DeleteStandaloneWindow},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        const bool standalone = c.action == DeleteStandalone || c.action == DeleteStandaloneWindow;
        CPolyraProject *shown = projectWith("Shown", "text");
        CPolyraProject *other = projectWith("Other", "more");
        CPolyraDatabase *db = standalone ? databaseOf({other}) : databaseOf({shown, other});
        TFProject *w = open(shown);
        ASSERT_TRUE(w);
        QPointer<TFProject> window(w);
        switch (c.action) {
        case DeleteProject:
        case DeleteStandalone:
            delete shown;
            break;
        case DeleteDatabase:
            delete db;
            db = nullptr;
            break;
        case CloseWindow:
            w->close();
            break;
        case DeleteStandaloneWindow:
            delete w;
            break;
        }
        // A paint of the window before it goes reads nothing freed.
        if (window)
            window->repaint();
        settle();
        EXPECT_FALSE(window);
        if (c.action == DeleteStandaloneWindow) {
            EXPECT_FALSE(alive(shown));
        }
        if (db) {
            if (!standalone) {
                ASSERT_TRUE(db->getWindow());
                EXPECT_FALSE(db->getWindow()->projectWindow());
            }
            // The next project opens a window of its own.
            TFProject *next = open(other);
            ASSERT_TRUE(next);
            expectShows(next, other, "more");
        }
        CBasicDatabase::deleteAll();
        deleteAllProjects();
        settle();
        EXPECT_TRUE(CBasicProject::liveProjects().empty());
    }
}

TEST_F(ProjectWindow, AMovedProjectTakesNoWindowAlong)
{
    CPolyraProject *p = projectWith("Moving", "");
    CPolyraDatabase *from = databaseOf({p, projectWith("Staying", "")});
    auto *to = new CPolyraDatabase;
    QPointer<TFProject> window(open(p));
    ASSERT_TRUE(window);
    TProjectDrag drag(p);
    drag.targetDatabase = to;
    drag.Finished(to, true);
    settle();
    EXPECT_FALSE(window);
    EXPECT_EQ(p->getDatabase(), to);
    EXPECT_TRUE(alive(p));
    EXPECT_FALSE(from->getWindow()->projectWindow());
}

} // namespace
