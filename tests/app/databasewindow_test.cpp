#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <memory>

#include "chartwidget.h"
#include "databasemodels.h"
#include "databasewindow.h"
#include "doubleclick.h"
#include "impstringgrid.h"
#include "openfixture.h"
#include "projectload.h"
#include "projectwindow.h"
#include "uTestList.h"

namespace {

struct ScrollCase {
    int client, fixed, content;
    bool apply;
    int page, maximum;
};

class ScrollBarRule : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(ScrollBarRule, GivesPageAndRange)
{
    const ScrollCase c = GetParam();
    const ProportionalScrollBar bar = proportionalScrollBar(c.client, c.fixed, c.content);
    EXPECT_EQ(bar.apply, c.apply);
    if (c.apply) {
        EXPECT_EQ(bar.page, c.page);
        EXPECT_EQ(bar.maximum, c.maximum);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollBarRule,
                         ::testing::Values(ScrollCase{500, 0, 400, false, 0, 0},   // fits: left alone
                                           ScrollCase{400, 0, 400, false, 0, 0},   // exactly fits
                                           ScrollCase{300, 0, 0, false, 0, 0},     // nothing to scroll
                                           ScrollCase{170, 70, 200, true, 63, 190}, // half the rows visible
                                           ScrollCase{100, 0, 1000, true, 12, 139},
                                           ScrollCase{60, 70, 200, true, 0, 127})); // fixed rows fill the client

TEST(ImpStringGrid, PaletteIsMadeOnceWithItsSixColours)
{
    TImpStringGrid grid;
    EXPECT_FALSE(grid.hasPalette());
    const QVector<QColor> &first = grid.GetPalette();
    EXPECT_EQ(&first, &grid.GetPalette());
    ASSERT_EQ(first.size(), 6);
    EXPECT_EQ(first[0], QColor(0xDF, 0xDF, 0xDF));
    EXPECT_EQ(first[3], QColor(0xD5, 0xE4, 0xFF));
    EXPECT_EQ(first[5], QColor(Qt::white));
}

// A database with its window in the main window, as opening one shows it.
class DatabaseWindow : public OpenFixture {
protected:
    void TearDown() override
    {
        CBasicDatabase::deleteAll();
        deleteAllProjects();
        settle();
        OpenFixture::TearDown();
    }
    static CPolyraProject *project(const std::string &name, float score)
    {
        return projectOfImage(image::build(image::basicItems(name, "A test", score, 202)));
    }
    TFDatabase *open(std::initializer_list<std::pair<const char *, float>> projects)
    {
        db = new CPolyraDatabase;
        for (const auto &[name, score] : projects)
            db->addProject(project(name, score));
        db->showWindow();
        settle();
        auto *window = db->getWindow();
        EXPECT_TRUE(window);
        if (window) {
            gridTester = std::make_unique<QAbstractItemModelTester>(window->gridModel());
            listTester = std::make_unique<QAbstractItemModelTester>(window->listModel());
        }
        return window;
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    static std::vector<std::string> columnNames(TFDatabase *w)
    {
        std::vector<std::string> names;
        for (CBasicProject *p : w->gridModel()->projects())
            names.push_back(p ? p->getName() : "<empty>");
        return names;
    }
    static std::vector<std::string> listNames(TFDatabase *w)
    {
        std::vector<std::string> names;
        for (int r = 0; r < w->listModel()->rowCount(); ++r)
            names.push_back(w->listModel()->project(r)->getName());
        return names;
    }
    std::vector<std::string> treeNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < db->getTreeNode()->childCount(); ++i)
            names.push_back(db->getTreeNode()->child(i)->text(0).toStdString());
        return names;
    }
    static int rowOfTest(TFDatabase *w, int id)
    {
        for (int r = 0; r < w->gridModel()->rowCount(); ++r)
            if (w->gridModel()->rowItem(r)->kind == tkTest && w->gridModel()->rowItem(r)->row.id == id)
                return r;
        return -1;
    }
    static QPoint sectionCentre(QHeaderView *header, int logical)
    {
        const int at = header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2;
        return header->orientation() == Qt::Horizontal ? QPoint(at, header->height() / 2) : QPoint(header->width() / 2, at);
    }

    CPolyraDatabase *db = nullptr;
    std::unique_ptr<QAbstractItemModelTester> gridTester;
    std::unique_ptr<QAbstractItemModelTester> listTester;
};

class DeletingOneOfThree : public DatabaseWindow, public ::testing::WithParamInterface<int> {};

TEST_P(DeletingOneOfThree, LeavesTheOthersInOrderWithoutGapsAndClosesItsProjectWindow)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}, {"C", 30}});
    ASSERT_TRUE(w);
    CBasicProject *doomed = db->getProject(GetParam());
    db->showProject(doomed);
    settle();
    QPointer<TFProject> projectWindow = w->projectWindow();
    ASSERT_TRUE(projectWindow);

    std::vector<std::string> expected = {"A", "B", "C"};
    expected.erase(expected.begin() + GetParam());
    delete doomed;
    settle();

    EXPECT_EQ(columnNames(w), expected);
    EXPECT_EQ(listNames(w), expected);
    for (int i = 0; i < db->getProjectCount(); ++i)
        EXPECT_EQ(w->gridModel()->project(i)->getPosition(), i);
    EXPECT_FALSE(w->projectWindow());
    EXPECT_FALSE(projectWindow);
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleLast, DeletingOneOfThree, ::testing::Values(0, 1, 2));

TEST_F(DatabaseWindow, AnEmptyDatabaseShowsOneEmptyColumnOfWidthZero)
{
    TFDatabase *w = open({});
    ASSERT_TRUE(w);
    EXPECT_EQ(w->gridModel()->columnCount(), 1);
    EXPECT_EQ(w->gridModel()->project(0), nullptr);
    EXPECT_EQ(w->DbGrid->columnHeader()->sectionSize(0) * !w->DbGrid->columnHeader()->isSectionHidden(0), 0);
    EXPECT_EQ(w->listModel()->rowCount(), 0);
    EXPECT_EQ(w->windowTitle(), QString("Database:") + QString::fromStdString(db->getName()));
    w->grab(); // paints with nothing to show
}

TEST_F(DatabaseWindow, ARemovalAndAnAdditionBeforeOneRefreshKeepEveryProjectOnce)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    delete db->getProject(0);
    db->addProject(project("C", 30));
    settle();
    EXPECT_EQ(columnNames(w), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(listNames(w), (std::vector<std::string>{"B", "C"}));
}

TEST_F(DatabaseWindow, APaintBetweenTwoDeletionsReadsNoFreedProject)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}, {"C", 30}});
    ASSERT_TRUE(w);
    w->setBaseProject(db->getProject(1));
    delete db->getProject(1);
    EXPECT_EQ(w->getBaseProject(), nullptr);
    // The refresh is still waiting; what is painted now is what is held now.
    w->DbGrid->grab();
    w->ProjectList()->grab();
    delete db->getProject(0);
    w->DbGrid->grab();
    settle();
    EXPECT_EQ(columnNames(w), (std::vector<std::string>{"C"}));
}

TEST_F(DatabaseWindow, AHiddenProjectHasAColumnOfWidthZeroAndTheHiddenImage)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    w->PageControl1->setCurrentWidget(w->TabProjects);
    settle();
    QTreeView *view = w->ProjectReport;
    // Select B with the mouse and hide it through the popup's item.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(w->listModel()->index(1, 0)).center());
    w->ListPopupMenuPopup();
    EXPECT_TRUE(w->PHidden->isVisible());
    EXPECT_FALSE(w->PHidden->isChecked());
    w->PHidden->trigger();
    settle();
    EXPECT_TRUE(db->getProject(1)->isHidden());
    EXPECT_EQ(w->listModel()->data(w->listModel()->index(1, 0), TProjectListModel::ImageIndexRole).toInt(), 1);
    EXPECT_EQ(w->listModel()->data(w->listModel()->index(0, 0), TProjectListModel::ImageIndexRole).toInt(), 0);
    w->PageControl1->setCurrentWidget(w->TabDetails);
    settle();
    EXPECT_TRUE(w->DbGrid->columnHeader()->isSectionHidden(1));
    EXPECT_FALSE(w->DbGrid->columnHeader()->isSectionHidden(0));
    w->ListPopupMenuPopup();
    EXPECT_TRUE(w->PHidden->isChecked());
}

TEST_F(DatabaseWindow, LowestAndHighestValuesAreMarkedWithTheirHints)
{
    TFDatabase *w = open({{"A", 10}, {"B", 30}, {"C", 30}});
    ASSERT_TRUE(w);
    const int row = rowOfTest(w, 1);
    ASSERT_GE(row, 0);
    const TDatabaseGridModel *model = w->gridModel();
    const int marks[] = {vmLowest, vmHighest, vmHighest};
    const char *hints[] = {"Lowest Score", "Highest Score", "Highest Score"};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(model->data(model->index(row, c), TDatabaseGridModel::MarkRole).toInt(), marks[c]) << c;
        EXPECT_EQ(model->data(model->index(row, c), Qt::ToolTipRole).toString(), hints[c]) << c;
    }
    EXPECT_FALSE(model->data(model->index(rowOfTest(w, 2), 0), Qt::ToolTipRole).isValid());
    EXPECT_EQ(model->headerData(row, Qt::Vertical, Qt::ToolTipRole).toString(),
              "Double click to sort the graphs according to this test");

    // The triangles' colours at the cells' top right corners.
    const QImage shot = w->DbGrid->viewport()->grab().toImage();
    auto cornerColour = [&](int c) {
        const QRect cell = w->DbGrid->visualRect(model->index(row, c));
        return QColor(shot.pixel(cell.right() - 4, cell.top() + 2));
    };
    EXPECT_EQ(cornerColour(0), QColor(0xEF, 0x84, 0x00));
    EXPECT_EQ(cornerColour(1), QColor(0x10, 0x42, 0x8C));
}

TEST_F(DatabaseWindow, DoubleClickingARowCaptionSortsDescendingThenAscending)
{
    TFDatabase *w = open({{"A", 20}, {"B", 10}, {"C", 30}});
    ASSERT_TRUE(w);
    QHeaderView *rows = w->DbGrid->rowHeader();
    const int row = rowOfTest(w, 1);
    doubleClick(rows->viewport(), sectionCentre(rows, row));
    settle();
    EXPECT_EQ(columnNames(w), (std::vector<std::string>{"C", "A", "B"}));
    doubleClick(rows->viewport(), sectionCentre(rows, row));
    settle();
    EXPECT_EQ(columnNames(w), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(listNames(w), (std::vector<std::string>{"B", "A", "C"}));
}

TEST_F(DatabaseWindow, DoubleClickingAProjectHeaderOpensTheProject)
{
    TFDatabase *w = open({{"A", 20}, {"B", 10}});
    ASSERT_TRUE(w);
    QHeaderView *columns = w->DbGrid->columnHeader();
    doubleClick(columns->viewport(), sectionCentre(columns, 1));
    settle();
    ASSERT_TRUE(w->projectWindow());
    EXPECT_EQ(w->projectWindow()->project(), db->getProject(1));
}

TEST_F(DatabaseWindow, AMovedColumnRenumbersThePositions)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}, {"C", 30}});
    ASSERT_TRUE(w);
    QHeaderView *columns = w->DbGrid->columnHeader();
    columns->resizeSection(0, 150);
    // Drag A's header past C's.
    const QPoint from = sectionCentre(columns, 0);
    const QPoint to = sectionCentre(columns, 2) + QPoint(20, 0);
    QWidget *vp = columns->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    for (int x = from.x(); x <= to.x(); x += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, from.y()), vp->mapToGlobal(QPointF(x, from.y())), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
    }
    QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
    settle();
    EXPECT_EQ(columnNames(w), (std::vector<std::string>{"B", "C", "A"}));
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(w->gridModel()->project(c)->getPosition(), c);
        EXPECT_EQ(columns->visualIndex(c), c);
    }
    // A's width went with it.
    EXPECT_EQ(columns->sectionSize(2), 150);
    EXPECT_EQ(listNames(w), (std::vector<std::string>{"B", "C", "A"}));
    EXPECT_EQ(treeNames(), (std::vector<std::string>{"B", "C", "A"}));
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"B", "C", "A"}));
}

TEST_F(DatabaseWindow, SortingTheListTwiceOnOneColumnReversesIt)
{
    TFDatabase *w = open({{"b", 10}, {"C", 20}, {"a", 30}});
    ASSERT_TRUE(w);
    w->PageControl1->setCurrentWidget(w->TabProjects);
    settle();
    QHeaderView *header = w->ProjectReport->header();
    // The tree and the database follow each sort at once.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sectionCentre(header, 0));
    settle();
    EXPECT_EQ(listNames(w), (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(treeNames(), (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(namesIn(db), (std::vector<std::string>{"a", "b", "C"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sectionCentre(header, 0));
    settle();
    EXPECT_EQ(listNames(w), (std::vector<std::string>{"C", "b", "a"}));
    EXPECT_EQ(treeNames(), (std::vector<std::string>{"C", "b", "a"}));
    // Leaving the tab gives the grid the list's order.
    w->PageControl1->setCurrentWidget(w->TabDetails);
    settle();
    EXPECT_EQ(columnNames(w), (std::vector<std::string>{"C", "b", "a"}));
    EXPECT_EQ(treeNames(), (std::vector<std::string>{"C", "b", "a"}));
}

// Exit asks about a database exactly when the user changed what its file
// keeps: the hidden flags, the order of the projects and its name.
TEST_F(DatabaseWindow, ExitAsksOnlyAfterChangesTheFileKeeps)
{
    // Neither in the order of their names nor of their scores.
    TFDatabase *first = open({{"B", 20}, {"C", 10}, {"A", 30}});
    ASSERT_TRUE(first);
    const QString path = files.filePath("kept.prb");
    ASSERT_TRUE(db->saveToFile(ToFilePath(path)));
    CBasicDatabase::deleteAll();
    settle();

    using Step = std::function<void(TFDatabase *)>;
    const auto onTab = [](TFDatabase *w, QWidget *tab) {
        w->PageControl1->setCurrentWidget(tab);
        settle();
    };
    const auto selectRow = [](TFDatabase *w, int row) {
        QTest::mouseClick(w->ProjectReport->viewport(), Qt::LeftButton, {},
                          w->ProjectReport->visualRect(w->listModel()->index(row, 0)).center());
        settle();
    };
    const auto treePopupHidden = [this](TFDatabase *w) {
        select(w->GetDatabase()->getProject(0)->getTreeNode());
        main->TreePopupPopup();
        main->action("PHidden")->trigger();
    };
    const auto menuHidden = [this](TFDatabase *w) {
        select(w->GetDatabase()->getProject(1)->getTreeNode());
        emit main->menu("Project1")->aboutToShow();
        main->action("MHidden")->trigger();
    };
    const auto listHidden = [&](TFDatabase *w) {
        onTab(w, w->TabProjects);
        selectRow(w, 2);
        w->ListPopupMenuPopup();
        w->PHidden->trigger();
    };
    const auto rowSort = [](TFDatabase *w) {
        QHeaderView *rows = w->DbGrid->rowHeader();
        doubleClick(rows->viewport(), sectionCentre(rows, rowOfTest(w, 1)));
    };
    const auto listSort = [&](TFDatabase *w) {
        onTab(w, w->TabProjects);
        QHeaderView *header = w->ProjectReport->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sectionCentre(header, 0));
    };
    const auto rename = [](TFDatabase *w) {
        w->BeginRename();
        QTest::keyClicks(w->EDescription, "2");
    };
    const auto lookAround = [&](TFDatabase *w) {
        for (QWidget *tab : {w->TabProjects, w->TabImages, w->TabProperties, w->TabGraph, w->TabDetails})
            onTab(w, tab);
        selectRow(w, 1);
    };
    const auto chooseBase = [&](TFDatabase *w) {
        onTab(w, w->TabGraph);
        w->RbPercent->click();
        settle();
        const TChartLayout &layout = w->chart->layout();
        ASSERT_FALSE(layout.bars.empty());
        QTest::mouseClick(w->chart, Qt::LeftButton, Qt::NoModifier, layout.bars.back().rect.center().toPoint());
        settle();
        ASSERT_TRUE(w->getBaseProject());
    };
    struct Case {
        const char *change;
        Step step;
        bool asks;
    };
    const Case cases[] = {
        {"nothing", [](TFDatabase *) {}, false},
        {"Hidden in the tree's popup", treePopupHidden, true},
        {"Hidden in the Project menu", menuHidden, true},
        {"Hidden in the Projects tab", listHidden, true},
        {"a double click on a row caption sorts", rowSort, true},
        {"a click on a list header sorts", listSort, true},
        {"a new name typed", rename, true},
        {"tabs and a selection", lookAround, false},
        {"a base project chosen in the chart", chooseBase, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.change);
        main->show();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        ASSERT_TRUE(OpenFileByPath(*main, path));
        settle();
        ASSERT_EQ(CBasicDatabase::openDatabases().size(), 1u);
        CBasicDatabase *loaded = CBasicDatabase::openDatabases().front();
        TFDatabase *w = loaded->getWindow();
        ASSERT_TRUE(w);
        c.step(w);
        settle();
        const QString name = QString::fromStdString(loaded->getName());
        sink.requests.clear();
        sink.answers = {MessageAnswer::No};
        main->tree()->setFocus();
        QTest::keyClick(main->tree(), Qt::Key_X, Qt::AltModifier);
        settle();
        QStringList asked;
        for (const MessageRequest &r : sink.requests)
            if (r.kind == MessageRequest::Kind::YesNoCancel)
                asked << r.text;
        EXPECT_EQ(asked, c.asks ? QStringList{QStringLiteral("Do you want to save the changes to Database : \"%1\" ?").arg(name)}
                                : QStringList{});
        EXPECT_TRUE(CBasicDatabase::openDatabases().empty());
        CBasicDatabase::deleteAll();
        settle();
    }
}

TEST_F(DatabaseWindow, RenamingTheDatabaseByTypingSetsNameAndCaption)
{
    TFDatabase *w = open({{"A", 10}});
    ASSERT_TRUE(w);
    w->BeginRename();
    QTest::keyClicks(w->EDescription, "Rigs");
    EXPECT_EQ(db->getName(), "Rigs");
    EXPECT_EQ(w->windowTitle(), "Database:Rigs");
    EXPECT_EQ(w->EDescription->text(), "Rigs");
}

TEST_F(DatabaseWindow, RenamingAProjectUpdatesItsListItemAndHeader)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    db->getProject(1)->rename("Bee", nullptr);
    EXPECT_EQ(w->listModel()->data(w->listModel()->index(1, 0)).toString(), "Bee");
    EXPECT_EQ(w->gridModel()->headerData(1, Qt::Horizontal).toString(), "Bee");
}

// F2 on a project in the tree while the Image Quality tab shows: the screen
// shows the new name in that tab's header at once, as in the tree.
TEST_F(DatabaseWindow, ARenameInTheTreeReachesTheImageQualityHeaderAtOnce)
{
    TFDatabase *w = open({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    main->activateWindow();
    QApplication::setActiveWindow(main.get());
    w->PageControl1->setCurrentWidget(w->TabImages);
    settle();
    TGridHeader *header = w->ImageGrid->columnHeader();
    // Sections: the reference pictures, then A and B.
    const int section = 2;
    ASSERT_EQ(w->imageModel()->project(section + 1), db->getProject(1));
    // The header cell, as far as the main window shows it, in the main
    // window's coordinates.
    QWidget *cells = header->viewport();
    const auto cell = [&] {
        const QRect inHeader(header->sectionViewportPosition(section), 0, header->sectionSize(section), cells->height());
        return QRect(cells->mapTo(main.get(), inHeader.topLeft()), inHeader.size()).intersected(main->rect());
    };
    // What the main window's screen holds there, painted or not since.
    const auto onScreen = [&] {
        const QRect at = cell();
        return main->screen()->grabWindow(main->winId(), at.x(), at.y(), at.width(), at.height()).toImage().convertToFormat(
            QImage::Format_RGB32);
    };
    // The cell as it paints now.
    const auto drawnNow = [&] {
        const QRect at = cell();
        return cells->grab(QRect(cells->mapFrom(main.get(), at.topLeft()), at.size())).toImage().convertToFormat(
            QImage::Format_RGB32);
    };
    const QImage before = onScreen();
    ASSERT_FALSE(before.isNull());
    ASSERT_EQ(before, drawnNow());

    main->tree()->setCurrentItem(db->getProject(1)->getTreeNode());
    main->tree()->setFocus();
    settle();
    QTest::keyClick(main->tree(), Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Renamed rig of the lab");
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
    ASSERT_EQ(db->getProject(1)->getName(), "Renamed rig of the lab");
    EXPECT_EQ(db->getProject(1)->getTreeNode()->text(0), "Renamed rig of the lab");
    EXPECT_EQ(w->gridModel()->headerData(1, Qt::Horizontal).toString(), "Renamed rig of the lab");
    const QImage after = onScreen();
    EXPECT_NE(after, before) << "the old name is still shown";
    EXPECT_EQ(after, drawnNow());
}

TEST_F(DatabaseWindow, TheViewItemsSwitchBetweenReportAndIcons)
{
    TFDatabase *w = open({{"A", 10}});
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->isIconView());
    w->MLargeIconsClick();
    EXPECT_TRUE(w->isIconView());
    EXPECT_EQ(w->ProjectList()->selectionModel(), w->ProjectReport->selectionModel());
    w->MDetailsClick();
    EXPECT_FALSE(w->isIconView());
    EXPECT_EQ(w->ProjectList(), w->ProjectReport);
}

struct CloseCase {
    MessageAnswer answer;
    bool savedFile; // a file is chosen in the save dialog
    bool closes;
};

class CloseQuestion : public DatabaseWindow, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseQuestion, AnswersDecideTheClose)
{
    const CloseCase c = GetParam();
    TFDatabase *w = open({{"A", 10}});
    ASSERT_TRUE(w);
    // Another database window is the active one: Yes saves this window's.
    auto *other = new CPolyraDatabase;
    other->showWindow();
    settle();
    const QString file = files.filePath("saved.prb");
    SetFileDialogRunner([&](const TFileDialogRequest &) { return c.savedFile ? QStringList{file} : QStringList{}; });
    sink.requests.clear();
    sink.answers.push_back(c.answer);
    QPointer<TFDatabase> window = w;
    const std::string name = db->getName();
    const bool accepted = w->askToClose();
    ASSERT_EQ(sink.requests.size(), 1u);
    EXPECT_EQ(sink.requests[0].text, QString("Do you want to save the changes to Database : \"%1\" ?").arg(QString::fromStdString(name)));
    EXPECT_EQ(sink.requests[0].caption, "Scorvista2001 SE");
    EXPECT_EQ(accepted, c.closes);
    EXPECT_EQ(QFile::exists(file), c.answer == MessageAnswer::Yes && c.savedFile);
    if (c.answer == MessageAnswer::Yes && c.savedFile) {
        EXPECT_FALSE(db->isModified());
    }
    if (accepted) {
        w->close();
        settle();
        EXPECT_FALSE(window);
        auto &open = CBasicDatabase::openDatabases();
        EXPECT_EQ(std::count(open.begin(), open.end(), db), 0);
        db = nullptr;
    } else {
        EXPECT_TRUE(window);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseQuestion,
                         ::testing::Values(CloseCase{MessageAnswer::Yes, true, true},
                                           CloseCase{MessageAnswer::Yes, false, false}, // the save was cancelled
                                           CloseCase{MessageAnswer::No, false, true},
                                           CloseCase{MessageAnswer::Cancel, false, false}));

TEST_F(DatabaseWindow, ClosingAfterTheQuestionWasAskedAsksNoMore)
{
    TFDatabase *w = open({{"A", 10}});
    ASSERT_TRUE(w);
    sink.requests.clear();
    sink.answers.push_back(MessageAnswer::No);
    EXPECT_TRUE(w->askToClose());
    QPointer<TFDatabase> window = w;
    w->close();
    settle();
    EXPECT_EQ(sink.requests.size(), 1u);
    EXPECT_FALSE(window);
}

TEST_F(DatabaseWindow, DeletingTheDatabaseClosesItsWindowWithoutAQuestion)
{
    TFDatabase *w = open({{"A", 10}});
    ASSERT_TRUE(w);
    QPointer<TFDatabase> window = w;
    sink.requests.clear();
    delete db;
    db = nullptr;
    settle();
    EXPECT_FALSE(window);
    EXPECT_TRUE(sink.requests.empty());
}

// The Results tab of a window whose projects are A 10, B 20, C 30.
class ResultsTab : public DatabaseWindow {
protected:
    TFDatabase *openOnResults(std::initializer_list<std::pair<const char *, float>> projects)
    {
        TFDatabase *w = open(projects);
        if (w) {
            w->PageControl1->setCurrentWidget(w->TabGraph);
            settle();
        }
        return w;
    }
    static std::vector<std::string> barProjects(TFDatabase *w)
    {
        std::vector<std::string> names;
        for (const TChartSeries &series : w->chart->model().series)
            for (const TChartPoint &point : series.points)
                names.push_back(point.project ? point.project->getName() : "<none>");
        return names;
    }
    static QPoint barCentre(TFDatabase *w, const std::string &name)
    {
        const TChartLayout &layout = w->chart->layout();
        for (const TChartLayout::Bar &bar : layout.bars) {
            const TChartPoint &point =
                w->chart->model().series[std::size_t(bar.series)].points[std::size_t(bar.point)];
            if (point.project && point.project->getName() == name)
                return bar.rect.center().toPoint();
        }
        ADD_FAILURE() << "no bar of " << name;
        return {};
    }
};

TEST_F(ResultsTab, BackAndNextWrapRound)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    const int count = w->CbTests->count();
    ASSERT_GE(count, 3);
    w->CbTests->setCurrentIndex(count - 1);
    QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(w->CbTests->currentIndex(), 0);
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w->CbTests->currentIndex(), count - 1);
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w->CbTests->currentIndex(), count - 2);
}

TEST_F(ResultsTab, ShowsOneBarPerVisibleProjectOfTheScore)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}, {"C", 30}});
    ASSERT_TRUE(w);
    EXPECT_EQ(w->selectedTestId(), 1);
    EXPECT_TRUE(w->chart->isVisible());
    EXPECT_FALSE(w->LNoneRun->isVisible());
    EXPECT_EQ(barProjects(w), (std::vector<std::string>{"A", "B", "C"}));
    // The name section lines up with where the chart's value axis starts.
    EXPECT_EQ(w->HeaderControl1->sectionSize(0), w->chart->model().labelAxis.labelSize + chartLabelAxisMargin);
}

TEST_F(ResultsTab, PercentageWithEveryProjectHiddenShowsTheNoneRunText)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    for (int i = 0; i < db->getProjectCount(); ++i)
        db->getProject(i)->setHidden(true);
    db->changed();
    w->RbPercent->click();
    settle();
    EXPECT_EQ(w->getBaseProject(), nullptr);
    EXPECT_FALSE(w->chart->isVisible());
    EXPECT_TRUE(w->LNoneRun->isVisible());
}

TEST_F(ResultsTab, ABaseWithoutTheTestGivesAUnitsChart)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    // A project without a score as the base: no percentage can be made.
    db->addProject(project("Z", 0));
    settle();
    w->setBaseProject(db->getProject(2));
    w->RbPercent->click();
    settle();
    EXPECT_TRUE(w->chart->isVisible());
    ASSERT_FALSE(w->chart->model().series.empty());
    const TChartSeries &series = w->chart->model().series.front();
    ASSERT_GE(series.points.size(), 2u);
    EXPECT_EQ(series.points[1].y, 20.0); // B in its units, not a percentage of 0
}

TEST_F(ResultsTab, AClickOnABarMakesThatBarsProjectTheBaseWhateverTheListOrder)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}, {"C", 30}});
    ASSERT_TRUE(w);
    // Rows follow positions; the list order is now another one, and A is
    // hidden so that counting visible bars would pick the wrong project.
    db->getProject(0)->setPosition(2);
    db->getProject(2)->setPosition(0);
    db->getProject(1)->setHidden(true);
    db->changed();
    settle();
    w->RbPercent->click();
    settle();
    for (const char *name : {"A", "C"}) {
        QTest::mouseClick(w->chart, Qt::LeftButton, Qt::NoModifier, barCentre(w, name));
        settle();
        ASSERT_TRUE(w->getBaseProject());
        EXPECT_EQ(w->getBaseProject()->getName(), name);
        const TChartSeries &series = w->chart->model().series.front();
        int baseBars = 0;
        for (const TChartPoint &point : series.points)
            if (point.project == w->getBaseProject()) {
                EXPECT_DOUBLE_EQ(point.y, 100.0);
                ++baseBars;
            }
        EXPECT_EQ(baseBars, 1) << name;
    }
}

TEST_F(ResultsTab, ADoubleClickOnABarOpensItsProject)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    doubleClick(w->chart, barCentre(w, "B"));
    settle();
    ASSERT_TRUE(w->projectWindow());
    EXPECT_EQ(w->projectWindow()->project()->getName(), "B");
}

TEST_F(ResultsTab, TheNameSectionSnapsBackToEightyPixels)
{
    TFDatabase *w = openOnResults({{"A", 10}});
    ASSERT_TRUE(w);
    w->HeaderControl1->resizeSection(0, 50);
    EXPECT_EQ(w->HeaderControl1->sectionSize(0), 80);
}

TEST_F(ResultsTab, RepaintsDoNotRebuildTheChart)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    const TChartModel *model = &w->chart->model();
    const auto before = w->chart->model().series.front().points.data();
    for (int i = 0; i < 5; ++i) {
        w->chart->repaint();
        QApplication::processEvents();
    }
    EXPECT_EQ(&w->chart->model(), model);
    EXPECT_EQ(w->chart->model().series.front().points.data(), before);
}

TEST_F(ResultsTab, CopiesTheChartAsABitmapAloneOrWithItsVectorPicture)
{
    TFDatabase *w = openOnResults({{"A", 10}, {"B", 20}});
    ASSERT_TRUE(w);
    const TChartModel before = w->chart->model();
    w->MCopyAsImage->trigger();
    const QMimeData *image = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->hasImage());
    EXPECT_FALSE(image->hasFormat(QStringLiteral("image/svg+xml")));
    w->MCopyAsMetafile->trigger();
    const QMimeData *both = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->hasImage());
    EXPECT_TRUE(both->data(QStringLiteral("image/svg+xml")).startsWith("<?xml"));
    // The copies' drawing did not build the chart again.
    EXPECT_EQ(w->chart->model().series.front().points.size(), before.series.front().points.size());
}

} // namespace
