#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>

#include "Advscrollbox.h"
#include "AppServices.h"
#include "Exception.h"
#include "filelist.h"
#include "formatstrings.h"
#include "Marksavedialog.h"
#include "Menubar.h"
#include "Uaskdatabase.h"
#include "kvs_exception.h"
#include "uPolyraDatabase.h"
#include "uexception.h"

namespace {

// Points the user's settings of Qt's own dialogs at a fresh folder for the
// life of one test, and back to the folder they had.
class QtSettingsFolder {
public:
    QtSettingsFolder()
        : previous(QFileInfo(QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName()).absolutePath())
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }
    ~QtSettingsFolder() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, previous); }
    QtSettingsFolder(const QtSettingsFolder &) = delete;
    QtSettingsFolder &operator=(const QtSettingsFolder &) = delete;

    QString path() const { return folder.path(); }

private:
    QTemporaryDir folder;
    QString previous;
};

TFexception *findExceptionDialog()
{
    if (auto *d = qobject_cast<TFexception *>(QApplication::activeModalWidget()))
        return d;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<TFexception *>(w); d && d->isVisible())
            return d;
    return nullptr;
}

// Runs act_ on the exception dialog once exec() has it on screen; closes
// whatever modal window is up if it never comes, so the test cannot hang.
void whenDialogShown(std::function<void(TFexception &)> act_)
{
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act_] {
        TFexception *dialog = findExceptionDialog();
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act_(*dialog);
        } else if (clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the exception dialog did not appear";
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start(10);
}

enum class Choice { Continue, Exit, Close, Nothing };

void choose(TFexception &d_, Choice choice_)
{
    switch (choice_) {
    case Choice::Continue:
        d_.BContinue->click();
        break;
    case Choice::Exit:
        d_.Button1->click();
        break;
    case Choice::Close:
        d_.close();
        break;
    case Choice::Nothing:
        break;
    }
}

} // namespace

TEST(ExceptionDialog, ContinueAndExit)
{
    const QString canContinue = "The application could continue. You can also terminate the program.";
    const QString willEnd = "The application will terminate.";
    struct Case {
        bool accessViolation;
        Choice choice;
        bool exits;
    };
    const Case cases[] = {
        {false, Choice::Continue, false},
        {false, Choice::Exit, true},
        {false, Choice::Close, true},
        {true, Choice::Exit, true},
        {true, Choice::Close, true},
    };
    // The modal dialog itself, answered by a timer.
    ExceptionDialogAnswerScope modal{ExceptionDialogAnswerer()};
    for (const Case &c : cases) {
        bool seen = false;
        whenDialogShown([&](TFexception &d) {
            seen = true;
            EXPECT_EQ(d.windowTitle(), "Exception");
            EXPECT_EQ(d.Mexception->toPlainText(), "CRC Check failed.");
            EXPECT_EQ(d.Label2->text(), c.accessViolation ? willEnd : canContinue);
            EXPECT_EQ(d.BContinue->isVisible(), !c.accessViolation);
            EXPECT_EQ(d.BContinue->isDefault(), !c.accessViolation);
            EXPECT_EQ(d.Button1->isDefault(), c.accessViolation);
            EXPECT_EQ(d.Button1->text(), "&Exit program");
            choose(d, c.choice);
        });
        EXPECT_EQ(ShowExceptionDialog("CRC Check failed.", c.accessViolation), c.exits)
            << c.accessViolation << static_cast<int>(c.choice);
        EXPECT_TRUE(seen);
        EXPECT_EQ(ShownExceptionDialog(), nullptr);
    }
}

TEST(ExceptionDialog, AnAnswererStandsInForAPerson)
{
    struct Case {
        bool accessViolation;
        Choice choice;
        bool exits;
    };
    const Case cases[] = {
        {false, Choice::Continue, false}, {false, Choice::Exit, true}, {false, Choice::Close, true},
        {false, Choice::Nothing, true},   {true, Choice::Exit, true},  {true, Choice::Nothing, true},
    };
    for (const Case &c : cases) {
        int asked = 0;
        ExceptionDialogAnswerScope answers([&](TFexception &d) {
            ++asked;
            // Set up and on screen, as a person would see it.
            EXPECT_EQ(ShownExceptionDialog(), &d);
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.Mexception->toPlainText(), "Stream underflow");
            EXPECT_EQ(d.BContinue->isVisible(), !c.accessViolation);
            choose(d, c.choice);
        });
        EXPECT_EQ(ShowExceptionDialog("Stream underflow", c.accessViolation), c.exits)
            << c.accessViolation << static_cast<int>(c.choice);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(ShownExceptionDialog(), nullptr);
    }
}

TEST(ExceptionDialog, AnExceptionWhileItIsUpEndsTheProgram)
{
    ExceptionDialogAnswerScope modal{ExceptionDialogAnswerer()};
    bool nested = false;
    whenDialogShown([&](TFexception &d) {
        nested = ShowExceptionDialog("second", false);
        EXPECT_EQ(findExceptionDialog(), &d);
        d.BContinue->click();
    });
    EXPECT_FALSE(ShowExceptionDialog("first", false));
    EXPECT_TRUE(nested);
}

TEST(ExceptionDialog, DescribesWhatWasCaught)
{
    struct Case {
        std::exception_ptr error;
        QString message;
        bool fatal;
    };
    const Case cases[] = {
        {std::make_exception_ptr(KVS_exceptionStream("KVS_streamMemory", "read", "Stream underflow")),
         "KVS_streamMemory::read\n\nStream underflow", false},
        {std::make_exception_ptr(Exception("CRC Check failed.")), "CRC Check failed.", false},
        {std::make_exception_ptr(Exception("Intel\xAE")), QString::fromUtf8("Intel\u00AE"), false},
        {std::make_exception_ptr(std::runtime_error("broken")), "broken", false},
        {std::make_exception_ptr(std::bad_alloc()), "std::bad_alloc", true},
        {std::make_exception_ptr(42), "Unknown exception.", false},
        {nullptr, "Unknown exception.", false},
    };
    for (const Case &c : cases) {
        const ExceptionReport r = DescribeException(c.error);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.fatal, c.fatal) << c.message.toStdString();
    }
}

TEST(FormatStrings, InnerListFollowsTheLines)
{
    TFormatStrings list;
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_EQ(list.Add("two"), 1);
    list.Format(1) = "bold";
    EXPECT_EQ(list.Add("three"), 2);
    EXPECT_EQ(list.Strings(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(list.Formats(), (std::vector<std::string>{"", "bold", ""}));
    EXPECT_EQ(list.Text(), "one\ntwo\nthree\n");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Formats().empty());
    EXPECT_EQ(list.Add("again"), 0);
    EXPECT_EQ(list.Formats(), std::vector<std::string>{""});
}

TEST(MenuBar, ButtonsMirrorTheMenu)
{
    QMenuBar menu;
    menu.addMenu("&File")->addAction("&Open");
    menu.addMenu("&Edit");
    menu.addMenu("&Help");
    TMenuBar bar;
    bar.SetMenu(&menu);
    ASSERT_EQ(bar.ButtonCount(), 3);
    const QList<QAction *> items = menu.actions();
    std::vector<QPointer<QToolButton>> first;
    for (int i = 0; i < 3; ++i) {
        QToolButton *b = bar.Button(i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->defaultAction(), items[i]);
        EXPECT_EQ(b->popupMode(), QToolButton::InstantPopup);
        first.push_back(b);
    }
    EXPECT_EQ(bar.Button(0)->defaultAction()->menu()->actions().size(), 1);

    bar.SetMenu(&menu); // the same menu keeps its buttons
    ASSERT_EQ(bar.ButtonCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bar.Button(i), first[static_cast<std::size_t>(i)]);

    bar.SetMenu(nullptr);
    EXPECT_EQ(bar.ButtonCount(), 0);
    EXPECT_EQ(bar.Menu(), nullptr);
    for (const auto &b : first)
        EXPECT_TRUE(b.isNull());

    auto other = std::make_unique<QMenuBar>();
    other->addMenu("&Window");
    bar.SetMenu(other.get());
    ASSERT_EQ(bar.ButtonCount(), 1);
    EXPECT_EQ(bar.Button(0)->defaultAction(), other->actions().front());

    // A menu bar that goes away on its own leaves nothing to trip over.
    other.reset();
    bar.SetMenu(&menu);
    EXPECT_EQ(bar.ButtonCount(), 3);
}

// Qt's file dialog keeps its history in the user's own settings of Qt
// ("QtProject"), in the folder QSettings takes once a process; this dialog
// keeps it in the test's folder instead.
TEST(MarkSaveDialog, TheCheckBoxIsPartOfTheDialogsLayout)
{
    const QtSettingsFolder folder;
    {
        TMarkSaveDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), "Testing");
        EXPECT_EQ(dialog.CheckBox()->text(), "Save Images");
        ASSERT_NE(dialog.layout(), nullptr);
        EXPECT_GE(dialog.layout()->indexOf(dialog.CheckBox()), 0);
        EXPECT_FALSE(dialog.SaveImages());
    }
    EXPECT_TRUE(QFileInfo::exists(folder.path() + "/QtProject.conf"));
}

TEST(FileList, LinksAreRemovedFromBothSides)
{
    TFileList list;
    list.Add("a");
    list.Add("b");
    list.Add("c");
    TFileList::Node *a = list.Object(0), *b = list.Object(1), *c = list.Object(2);
    a->Link(b);
    a->Link(c);
    b->Link(c);
    a->Link(a);
    a->Link(b);
    EXPECT_EQ(a->Links(), (std::vector<TFileList::Node *>{b, c}));
    EXPECT_EQ(b->Links(), (std::vector<TFileList::Node *>{a, c}));

    list.Delete(1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Name(1), "c");
    EXPECT_EQ(a->Links(), std::vector<TFileList::Node *>{c});
    EXPECT_EQ(c->Links(), std::vector<TFileList::Node *>{a});

    a->Unlink(c);
    EXPECT_TRUE(a->Links().empty());
    EXPECT_TRUE(c->Links().empty());
    list.Delete(5);
    EXPECT_EQ(list.Count(), 2);
}

TEST(FileList, ALinkIntoAListThatGoesIsDropped)
{
    TFileList kept;
    kept.Add("kept");
    {
        TFileList gone;
        gone.Add("x");
        gone.Add("y");
        gone.Object(0)->Link(gone.Object(1));
        gone.Object(1)->Link(kept.Object(0));
        ASSERT_EQ(kept.Object(0)->Links().size(), 1u);
    }
    EXPECT_TRUE(kept.Object(0)->Links().empty());
}

TEST(AdvScrollBox, FillsOnlyWhatTheControlLeavesUncovered)
{
    struct Case {
        QSize control;
        bool hidden;
        bool covered; // the control fills the whole client area
    };
    const Case cases[] = {
        {{120, 60}, false, false},
        {{500, 60}, false, false},
        {{60, 500}, false, false},
        {{500, 500}, false, true},
        {{120, 60}, true, false},
    };
    for (const Case &c : cases) {
        TAdvScrollBox box;
        box.resize(200, 150);
        QPalette back = box.viewport()->palette();
        back.setColor(box.viewport()->backgroundRole(), Qt::blue);
        box.viewport()->setPalette(back);
        auto *picture = new QWidget;
        picture->setAutoFillBackground(true);
        QPalette red = picture->palette();
        red.setColor(picture->backgroundRole(), Qt::red);
        picture->setPalette(red);
        picture->resize(c.control);
        box.setWidget(picture);
        if (c.hidden)
            picture->hide();
        box.show();
        QApplication::processEvents();

        const QRect client = box.viewport()->rect();
        const QRect control = c.hidden ? QRect() : picture->geometry() & client;
        EXPECT_EQ(box.backgroundRegion(), QRegion(client) - QRegion(control));
        EXPECT_EQ(box.backgroundRegion().isEmpty(), c.covered);

        const QImage image = box.viewport()->grab().toImage();
        for (const QPoint p : {QPoint(2, 2), QPoint(client.width() - 3, client.height() - 3),
                               QPoint(client.width() - 3, 2), QPoint(2, client.height() - 3)}) {
            const QColor expected = control.contains(p) ? QColor(Qt::red) : QColor(Qt::blue);
            EXPECT_EQ(image.pixelColor(p * image.devicePixelRatio()), expected)
                << c.control.width() << "x" << c.control.height() << " at " << p.x() << "," << p.y();
        }
    }
}

namespace {
// Counts the database windows the data layer asks for.
class WindowServices : public CAppServices, public CChangeObserver {
public:
    WindowServices()
    {
        previous = setAppServices(this);
        subscribeChanges(this);
    }
    ~WindowServices() override { setAppServices(previous); }
    TFDatabase *openDatabaseWindow(CBasicDatabase &database_) override
    {
        opened.push_back(&database_);
        return reinterpret_cast<TFDatabase *>(&windowStandIn);
    }
    // A database with a window tells it to rebuild.
    void dataChanged(const CChange &change_) override
    {
        if (change_.kind == CChangeKind::Values && !change_.project && change_.database->getWindow())
            refreshed.push_back(change_.database->getWindow());
    }
    std::vector<CBasicDatabase *> opened;
    std::vector<TFDatabase *> refreshed;
    char windowStandIn = 0;

private:
    CAppServices *previous = nullptr;
};
} // namespace

TEST(NewDatabase, AnEmptyOpenDatabaseInItsWindow)
{
    WindowServices services;
    std::unique_ptr<CPolyraDatabase> first(NewDatabase());
    std::unique_ptr<CPolyraDatabase> second(NewDatabase());
    ASSERT_EQ(services.opened, (std::vector<CBasicDatabase *>{first.get(), second.get()}));
    EXPECT_EQ(first->getWindow(), reinterpret_cast<TFDatabase *>(&services.windowStandIn));
    EXPECT_EQ(services.refreshed.size(), 2u);
    EXPECT_EQ(first->getTypeName(), "Polyra Database");
    EXPECT_EQ(first->getKind(), 1);
    EXPECT_EQ(first->getProjectCount(), 0);
    EXPECT_NE(first->getName(), second->getName());
    const auto &open = CBasicDatabase::openDatabases();
    EXPECT_NE(std::find(open.begin(), open.end(), first.get()), open.end());
    EXPECT_NE(std::find(open.begin(), open.end(), second.get()), open.end());
}
