#include "databasewindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStaticText>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <unordered_map>

#include "Cp1252.h"
#include "MessageSink.h"
#include "databasemodels.h"
#include "impstringgrid.h"
#include "projectimages.h"
#include "projectload.h"
#include "resulttable.h"
#include "Ucommoncalls.h"
#include "picturefile.h"
#include "pictureuse.h"
#include "projectwindow.h"
#include "textutil.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uMainForm.h"
#include "uTestList.h"
#include "ufiles.h"

namespace {

constexpr int defaultColumnWidth = 110;
constexpr int defaultRowHeight = 24;
// Colours as the grid's own palette gives them: #EF8400 marks the lowest
// value, #10428C the highest.
const QColor lowestColour(0xEF, 0x84, 0x00);
const QColor highestColour(0x10, 0x42, 0x8C);

// The grid's texts are measured and drawn in one fixed font, so that rows
// fit the same everywhere.
QFont gridFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void fillTriangle(QPainter &canvas_, const QColor &colour_, QPoint a_, QPoint b_, QPoint c_)
{
    const QPoint points[3] = {a_, b_, c_};
    canvas_.setPen(QPen(Qt::black, 1));
    canvas_.setBrush(colour_);
    canvas_.drawPolygon(points, 3);
}

// The system's raised-inner edge, or the etched one for a selected cell.
void drawEdge(QPainter &canvas_, const QRect &rect_, bool etched_, const QPalette &palette_)
{
    const QColor light = palette_.color(QPalette::Light);
    const QColor dark = palette_.color(QPalette::Dark);
    // One-pixel lines as filled rectangles: the same pixels without the
    // stroker's cost, which every cell pays.
    auto frame = [&](const QRect &r, const QColor &topLeft, const QColor &bottomRight) {
        if (r.width() <= 0 || r.height() <= 0) {
            // Narrower than a pixel: the lines run backwards, as drawn.
            canvas_.setPen(topLeft);
            canvas_.drawLine(r.topLeft(), r.topRight());
            canvas_.drawLine(r.topLeft(), r.bottomLeft());
            canvas_.setPen(bottomRight);
            canvas_.drawLine(r.bottomLeft(), r.bottomRight());
            canvas_.drawLine(r.topRight(), r.bottomRight());
            return;
        }
        canvas_.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        canvas_.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        canvas_.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        canvas_.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    };
    if (etched_) {
        frame(rect_, dark, light);
        frame(rect_.adjusted(1, 1, -1, -1), light, dark);
    } else {
        frame(rect_, light, dark);
    }
}

// A view of the Projects tab: drags go through the window.
template <class View>
class TProjectView : public View {
public:
    TProjectView(TFDatabase *window_, QWidget *parent_) : View(parent_), window(window_)
    {
        this->setAcceptDrops(true);
        this->setDragEnabled(true);
        this->setDropIndicatorShown(false);
    }

protected:
    void startDrag(Qt::DropActions) override { window->ProjectListStartDrag(); }
    void dragEnterEvent(QDragEnterEvent *event_) override { accept(event_); }
    void dragMoveEvent(QDragMoveEvent *event_) override { accept(event_); }
    void dropEvent(QDropEvent *event_) override
    {
        TFMainForm *main = TFMainForm::instance();
        if (!accepts(event_->mimeData()) || !main) {
            event_->ignore();
            return;
        }
        event_->acceptProposedAction();
        main->treeDrag()->Finished(window->GetDatabase(), true);
    }

private:
    static bool accepts(const QMimeData *data_)
    {
        TFMainForm *main = TFMainForm::instance();
        return main && main->treeDrag() && TProjectDrag::isOwnMimeData(data_);
    }
    void accept(QDragMoveEvent *event_)
    {
        if (accepts(event_->mimeData()))
            event_->acceptProposedAction();
        else
            event_->ignore();
    }

    TFDatabase *window;
};

// Paints the counts of the Properties tab.
class TStatusBox : public QWidget {
public:
    TStatusBox(std::function<void()> paint_, QWidget *parent_) : QWidget(parent_), paint(std::move(paint_)) {}

protected:
    void paintEvent(QPaintEvent *) override { paint(); }

private:
    std::function<void()> paint;
};

// Hides the columns of hidden projects (and of none) from section
// firstSection_ on and gives a visible column narrower than narrowest_
// the default width again.
void showProjectColumns(TGridHeader *header_, const std::vector<CBasicProject *> &projects_, int firstSection_,
                        int narrowest_)
{
    for (std::size_t i = 0; i < projects_.size(); ++i) {
        const int section = firstSection_ + static_cast<int>(i);
        const bool hidden = !projects_[i] || projects_[i]->isHidden();
        header_->setSectionHidden(section, hidden);
        if (!hidden && header_->sectionSize(section) < narrowest_)
            header_->resizeSection(section, header_->defaultSectionSize());
    }
}

} // namespace

TFDatabase::TFDatabase(QWidget *owner_, CBasicDatabase *database_) : TFDataViewForm(owner_), shownDatabase(database_)
{
    setObjectName(QStringLiteral("FDatabase"));
    if (shownDatabase)
        shownDatabase->setWindow(this);
    cellFont = gridFont();
    headerFont = gridFont();
    // 15 points at the 96 dpi the layout was made for.
    headerFont.setPixelSize(20);

    grid = new TDatabaseGridModel(this);
    list = new TProjectListModel(this);
    images = new TImageGridModel(this);
    listSelection = new QItemSelectionModel(list, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(this);
    layout->addWidget(PageControl1);
    buildDetails();
    buildResults();
    buildProjects();
    buildImages();
    buildProperties();
    PageControl1->setCurrentWidget(TabProperties);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFDatabase::PageControl1Change);
    // FormCreate: the first page.
    PageControl1->setCurrentIndex(0);
    lastTab = 0;
    resize(640, 480);
    subscribeChanges(this);
    UpdateViews(nullptr);
}

TFDatabase::~TFDatabase()
{
    destroying = true;
    unsubscribeChanges(this);
    if (shownProjectWindow)
        shownProjectWindow->close();
    CBasicDatabase *database = liveDatabase();
    shownDatabase = nullptr;
    grid->setProjects({});
    list->setProjects({});
    images->setProjects({});
    // Deleted with its window, unless the database is the one closing it
    // (it then no longer names this window).
    if (database) {
        database->setWindow(nullptr);
        delete database;
    }
}

CBasicDatabase *TFDatabase::liveDatabase() const
{
    if (!shownDatabase)
        return nullptr;
    const auto &open = CBasicDatabase::openDatabases();
    if (std::find(open.begin(), open.end(), shownDatabase) == open.end())
        return nullptr;
    return shownDatabase->getWindow() == this ? shownDatabase : nullptr;
}

void TFDatabase::buildDetails()
{
    TabDetails = new QWidget;
    TabDetails->setObjectName(QStringLiteral("TabDetails"));
    auto *layout = new QVBoxLayout(TabDetails);
    layout->setContentsMargins(0, 0, 0, 0);
    DbGrid = new TImpStringGrid(TabDetails);
    DbGrid->setObjectName(QStringLiteral("DbGrid"));
    DbGrid->setFont(gridFont());
    DbGrid->columnHeader()->setFont(gridFont());
    DbGrid->rowHeader()->setFont(gridFont());
    DbGrid->columnHeader()->setDefaultSectionSize(defaultColumnWidth);
    DbGrid->rowHeader()->setDefaultSectionSize(defaultRowHeight);
    DbGrid->columnHeader()->setSectionsMovable(true);
    DbGrid->rowHeader()->setSectionsMovable(true);
    DbGrid->setSupressErase(true);
    DbGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DbGrid->setModel(grid);
    DbGrid->setMouseTracking(true);
    DbGrid->setCellPainter([this](QPainter &p, int c, int r, const QRect &rect, bool selected) {
        DbGridDrawCell(p, c, r, rect, selected);
    });
    layout->addWidget(DbGrid);
    PageControl1->addTab(TabDetails, QStringLiteral("Details"));

    // The widths of the double-clicked handles follow the rules below, not
    // the contents.
    for (QHeaderView *header : {static_cast<QHeaderView *>(DbGrid->columnHeader()), static_cast<QHeaderView *>(DbGrid->rowHeader())}) {
        disconnect(header, &QHeaderView::sectionHandleDoubleClicked, DbGrid, nullptr);
        header->viewport()->installEventFilter(this);
    }
    connect(DbGrid->columnHeader(), &QHeaderView::sectionHandleDoubleClicked, this, &TFDatabase::DbGridHandleDblClickColumn);
    connect(DbGrid->rowHeader(), &QHeaderView::sectionHandleDoubleClicked, this, [this](int row) {
        fitRow(row);
        DbGrid->updateScrollBars();
    });
    DbMenu = new QMenu(this);
    QAction *copy = DbMenu->addAction(QStringLiteral("Copy"));
    copy->setStatusTip(QStringLiteral("Copy Details to spreadsheet to wordprosessing program"));
    copy->setToolTip(copy->statusTip());
    connect(copy, &QAction::triggered, this, [this] { copyGridToClipboard(DbGrid); });
    DbGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DbGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { DbMenu->exec(DbGrid->viewport()->mapToGlobal(at)); });
    connect(DbGrid->columnHeader(), &QHeaderView::sectionDoubleClicked, this, &TFDatabase::DbGridDblClickColumn);
    connect(DbGrid->rowHeader(), &QHeaderView::sectionDoubleClicked, this, &TFDatabase::DbGridDblClickRow);
    connect(DbGrid->columnHeader(), &QHeaderView::sectionResized, this, [this] { widthDragged = true; });
    connect(DbGrid->rowHeader(), &QHeaderView::sectionResized, this, [this] { gridMoved = true; });
    connect(DbGrid->rowHeader(), &QHeaderView::sectionMoved, this, [this] { gridMoved = true; });
    // After the header has finished its own move.
    connect(DbGrid->columnHeader(), &QHeaderView::sectionMoved, this,
            [this] { QTimer::singleShot(0, this, &TFDatabase::DbGridColumnMoved); });
    DbGrid->viewport()->installEventFilter(this);
}

void TFDatabase::buildProjects()
{
    TabProjects = new QWidget;
    TabProjects->setObjectName(QStringLiteral("TabProjects"));
    auto *layout = new QVBoxLayout(TabProjects);
    layout->setContentsMargins(0, 0, 0, 0);
    ProjectViews = new QStackedWidget(TabProjects);
    ProjectReport = new TProjectView<QTreeView>(this, ProjectViews);
    ProjectReport->setObjectName(QStringLiteral("ProjectList"));
    ProjectReport->setRootIsDecorated(false);
    ProjectReport->setItemsExpandable(false);
    ProjectReport->setUniformRowHeights(true);
    ProjectReport->header()->setSectionsClickable(true);
    ProjectReport->header()->setSortIndicatorShown(false);
    ProjectIcons = new TProjectView<QListView>(this, ProjectViews);
    ProjectIcons->setViewMode(QListView::IconMode);
    ProjectIcons->setIconSize(QSize(32, 32));
    ProjectIcons->setMovement(QListView::Static);
    ProjectIcons->setResizeMode(QListView::Adjust);
    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(ProjectReport), static_cast<QAbstractItemView *>(ProjectIcons)}) {
        view->setModel(list);
        view->setSelectionModel(listSelection);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QAbstractItemView::doubleClicked, this, &TFDatabase::ProjectListDblClick);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &at) {
            ListPopupMenuPopup();
            ListPopupMenu->exec(view->viewport()->mapToGlobal(at));
        });
        ProjectViews->addWidget(view);
    }
    connect(ProjectReport->header(), &QHeaderView::sectionClicked, this, &TFDatabase::ProjectListColumnClick);
    // The name column shows a typical project name whole.
    ProjectReport->header()->resizeSection(
        0, ProjectReport->fontMetrics().horizontalAdvance(QStringLiteral("Pentium 4 2000 GeForce3 Ti")) + 40);
    ProjectViews->setCurrentWidget(ProjectReport);
    layout->addWidget(ProjectViews);
    PageControl1->addTab(TabProjects, QStringLiteral("Projects"));

    ListPopupMenu = new QMenu(this);
    auto addItem = [this](const QString &caption, int tag) {
        QAction *a = ListPopupMenu->addAction(caption);
        a->setCheckable(true);
        a->setData(tag);
        connect(a, &QAction::triggered, this, [this, tag] { tag == 0 ? MLargeIconsClick() : MDetailsClick(); });
        return a;
    };
    MLargeIcons = addItem(QStringLiteral("Lar&ge Icons"), 0);
    MSmallIcons = addItem(QStringLiteral("S&mall Icons"), 1);
    MList = addItem(QStringLiteral("&List"), 2);
    MDetails = addItem(QStringLiteral("&Details"), 3);
    MSmallIcons->setVisible(false);
    MList->setVisible(false);
    MDetails->setChecked(true);
    NHiddenSeparator = ListPopupMenu->addSeparator();
    PHidden = ListPopupMenu->addAction(QStringLiteral("Hidden"));
    PHidden->setCheckable(true);
    connect(PHidden, &QAction::triggered, this, &TFDatabase::PHiddenClick);
}

void TFDatabase::buildImages()
{
    TabImages = new QWidget;
    TabImages->setObjectName(QStringLiteral("TabImages"));
    auto *layout = new QVBoxLayout(TabImages);
    layout->setContentsMargins(0, 0, 0, 0);
    ImageGrid = new TImpStringGrid(TabImages);
    ImageGrid->setObjectName(QStringLiteral("ImageGrid"));
    ImageGrid->setTag(TImpStringGrid::ImageGridTag);
    ImageGrid->setFont(gridFont());
    ImageGrid->columnHeader()->setDefaultSectionSize(100);
    ImageGrid->rowHeader()->setDefaultSectionSize(80);
    ImageGrid->rowHeader()->setExtent(100);
    ImageGrid->columnHeader()->setSectionsMovable(true);
    ImageGrid->rowHeader()->setSectionsMovable(true);
    ImageGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    ImageGrid->setModel(images);
    ImageGrid->setMouseTracking(true);
    ImageGrid->setCellPainter([this](QPainter &p, int c, int r, const QRect &rect, bool selected) {
        ImageGridDrawCell(p, c, r, rect, selected);
    });
    for (int r = 1; r < TImageGridModel::firstPictureRow; ++r)
        ImageGrid->rowHeader()->resizeSection(r - 1, 26);
    ImageGrid->viewport()->installEventFilter(this);
    ImageGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ImageGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        imageMouse = at;
        PopupImageMenuPopup();
        PopupImageMenu->exec(ImageGrid->viewport()->mapToGlobal(at));
    });
    connect(ImageGrid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        ImageGridView(index.column() + 1, index.row() + 1);
    });
    connect(ImageGrid->rowHeader(), &QHeaderView::sectionMoved, this, [this] { gridMoved = true; });
    connect(ImageGrid->columnHeader(), &QHeaderView::sectionMoved, this, [this] { gridMoved = true; });
    layout->addWidget(ImageGrid);
    PageControl1->addTab(TabImages, QStringLiteral("Image Quality"));

    PopupImageMenu = new QMenu(this);
    PView = PopupImageMenu->addAction(QStringLiteral("View"));
    POpen = PopupImageMenu->addAction(QStringLiteral("Open"));
    PopupImageMenu->addSeparator();
    PImageCopy = PopupImageMenu->addAction(QStringLiteral("Copy"));
    connect(PView, &QAction::triggered, this, &TFDatabase::PViewClick);
    connect(POpen, &QAction::triggered, this, &TFDatabase::POpenClick);
    connect(PImageCopy, &QAction::triggered, this, [this] { copyGridToClipboard(ImageGrid); });
}

void TFDatabase::buildProperties()
{
    TabProperties = new QWidget;
    TabProperties->setObjectName(QStringLiteral("TabProperties"));
    auto *layout = new QVBoxLayout(TabProperties);
    Info = new QGroupBox(QStringLiteral("Info"), TabProperties);
    auto *info = new QHBoxLayout(Info);
    info->addWidget(new QLabel(QStringLiteral("Database name:"), Info));
    EDescription = new QLineEdit(Info);
    EDescription->setObjectName(QStringLiteral("EDescription"));
    info->addWidget(EDescription);
    connect(EDescription, &QLineEdit::textEdited, this, &TFDatabase::EDescriptionChange);
    layout->addWidget(Info);
    RbChartView = new QGroupBox(QStringLiteral("Chart"), TabProperties);
    auto *modes = new QVBoxLayout(RbChartView);
    RbUnits = new QRadioButton(QStringLiteral("Show results in relevant units"), RbChartView);
    RbPercent = new QRadioButton(QStringLiteral("Show results as percentage of base-line result "), RbChartView);
    RbUnits->setChecked(true);
    modes->addWidget(RbUnits);
    modes->addWidget(RbPercent);
    chartModes = new QButtonGroup(RbChartView);
    chartModes->addButton(RbUnits, 0);
    chartModes->addButton(RbPercent, 1);
    // A user's click only; setting the mode from the popup builds itself.
    connect(chartModes, &QButtonGroup::idClicked, this, [this] { buildChart(); });
    layout->addWidget(RbChartView);
    Lversion = new QLabel(TabProperties);
    layout->addWidget(Lversion);
    PStatus = new TStatusBox([this] { PStatusPaint(); }, TabProperties);
    PStatus->setMinimumHeight(44);
    layout->addWidget(PStatus);
    layout->addStretch();
    PageControl1->addTab(TabProperties, QStringLiteral("Properties"));
}


void TFDatabase::showEvent(QShowEvent *event_)
{
    TFDataViewForm::showEvent(event_);
    if (firstShow) {
        // Coming to the front shows the chart of the data as it is now.
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
            connect(frame, &QMdiSubWindow::aboutToActivate, this, [this] {
                if (PageControl1->currentWidget() == TabGraph)
                    scheduleChartBuild();
            });
        FormShow();
    }
}

void TFDatabase::FormShow()
{
    TTestList &catalogue = programCatalogue();
    std::vector<const TTestListItem *> rows;
    CbTests->clear();
    const QFontMetrics metrics(gridFont());
    int widest = 0;
    for (int i = 1; i <= catalogue.getCount(); ++i) {
        const TTestListItem *item = catalogue.getItem(i);
        if (!item || !TTestList::isItemShown(item))
            continue;
        rows.push_back(item);
        const QString caption = fromCp1252(TTestList::getItemCaption(item, 0));
        if (item->kind == tkTest)
            CbTests->addItem(caption, QVariant::fromValue(const_cast<void *>(static_cast<const void *>(item))));
        widest = std::max(widest, metrics.horizontalAdvance(caption));
    }
    grid->setRows(std::move(rows));
    std::vector<const TTestListItem *> settingRows;
    for (int position : {1, 2, 3, 4, 8})
        settingRows.push_back(catalogue.getItem(position));
    images->setSettingRows(std::move(settingRows));
    DbGrid->columnHeader()->setExtent(std::max(70, DbGrid->columnHeader()->extent()));
    DbGrid->rowHeader()->setExtent(widest + 16);
    if (CbTests->count() > 0)
        CbTests->setCurrentIndex(0);
    ImageGrid->rowHeader()->setExtent(120);
    resetTestSelection();
    firstShow = 0;
    DbGrid->GetPalette();
    ImageGrid->updateScrollBars();
    // The rows are there now; the columns follow them.
    RefreshView();
}

void TFDatabase::dataChanged(const CChange &change_)
{
    if (change_.kind == CChangeKind::Removed && change_.project) {
        // Let go of the project now: it may be freed before the refresh.
        CBasicProject *gone = change_.project;
        if (grid->forgetProject(gone))
            removedSinceRefresh = true;
        list->forgetProject(gone);
        images->forgetProject(gone);
        freshProjects.erase(gone);
        if (baseProject == gone)
            baseProject = nullptr;
        if (shownProjectWindow && shownProjectWindow->project() == gone) {
            QPointer<TFProject> window = shownProjectWindow;
            shownProjectWindow = nullptr;
            QTimer::singleShot(0, window.data(), [window] {
                if (window)
                    window->close();
            });
        }
    }
    if (!shownDatabase || change_.database != shownDatabase)
        return;
    switch (change_.kind) {
    case CChangeKind::Added:
        if (change_.project)
            freshProjects.insert(change_.project);
        else
            for (int i = 0; i < shownDatabase->getProjectCount(); ++i)
                freshProjects.insert(shownDatabase->getProject(i));
        postRefresh();
        break;
    case CChangeKind::Renamed:
        UpdateViews(change_.project);
        break;
    case CChangeKind::Values:
        if (change_.project)
            freshProjects.insert(change_.project);
        postRefresh();
        break;
    case CChangeKind::Removed:
    case CChangeKind::Order:
    case CChangeKind::Hidden:
        postRefresh();
        break;
    }
}

void TFDatabase::postRefresh()
{
    if (refreshPosted)
        return;
    refreshPosted = true;
    postRefreshView(this);
}

void TFDatabase::UpdateViews(const void *sender_)
{
    if (!shownDatabase)
        return;
    if (sender_ && sender_ != shownDatabase) {
        const auto *project = static_cast<const CBasicProject *>(sender_);
        if (shownDatabase->containsProject(project)) {
            list->refreshRow(list->rowOf(project));
            const int column = grid->columnOf(project);
            prepareHeader(column);
            grid->refreshColumn(column);
            // The Image Quality header names it too, whichever tab shows.
            if (const int section = images->refreshProject(project);
                section >= 0 && !ImageGrid->columnHeader()->isSectionHidden(section))
                fitHeaderTo(*ImageGrid->columnHeader(), section, *project);
            return;
        }
    }
    const QString name = fromCp1252(shownDatabase->getName());
    if (sender_ != EDescription && EDescription->text() != name)
        EDescription->setText(name);
    setWindowTitle(QStringLiteral("Database:") + name);
}

void TFDatabase::BeginRename()
{
    PageControl1->setCurrentWidget(TabProperties);
    EDescription->selectAll();
    EDescription->setFocus();
}

void TFDatabase::EDescriptionChange()
{
    if (CBasicDatabase *database = liveDatabase())
        database->rename(toCp1252(EDescription->text()), EDescription);
}

int TFDatabase::wrappedHeight(const QString &text_, int width_) const
{
    const QFontMetrics metrics(cellFont);
    return metrics.boundingRect(QRect(0, 0, std::max(1, width_), 1 << 20), Qt::AlignHCenter | Qt::TextWordWrap, text_).height();
}

void TFDatabase::prepareHeader(int column_)
{
    if (CBasicProject *p = grid->project(column_))
        fitHeaderTo(*DbGrid->columnHeader(), column_, *p);
}

void TFDatabase::fitHeaderTo(TGridHeader &header_, int section_, const CBasicProject &project_)
{
    const int width = header_.sectionSize(section_);
    const int height = wrappedHeight(fromCp1252(project_.getName()), (width > 0 ? width : defaultColumnWidth) - 3) + 4;
    if (height > header_.extent())
        header_.setExtent(height);
}

void TFDatabase::RefreshView()
{
    refreshPosted = false;
    CBasicDatabase *database = liveDatabase();
    if (!database)
        return;
    UpdateViews(nullptr);
    Lversion->setText(fromCp1252(database->getVersionText()));

    // Every column whose project the database no longer holds is emptied,
    // whatever the counts (the notification has normally done it already).
    const int count = database->getProjectCount();
    std::unordered_set<const CBasicProject *> held;
    for (int i = 0; i < count; ++i)
        held.insert(database->getProject(i));
    for (CBasicProject *p : grid->projects())
        if (p && !held.count(p))
            grid->forgetProject(p);
    for (CBasicProject *p : list->projects())
        if (p && !held.count(p))
            list->forgetProject(p);
    if (baseProject && !held.count(baseProject))
        baseProject = nullptr;
    if (shownProjectWindow && shownProjectWindow->project() && !held.count(shownProjectWindow->project())) {
        shownProjectWindow->close();
        shownProjectWindow = nullptr;
    }

    // Column i shows the project at position i.
    std::unordered_map<int, CBasicProject *> byPosition;
    bool repeated = false;
    for (int i = 0; i < count; ++i) {
        CBasicProject *p = database->getProject(i);
        if (!byPosition.emplace(p->getPosition(), p).second)
            repeated = true;
    }
    std::vector<CBasicProject *> columns(static_cast<std::size_t>(count), nullptr);
    for (int i = 0; i < count; ++i) {
        auto it = byPosition.find(i);
        // Missing or repeated positions: the database's own search repairs
        // them or says that there is no such project.
        CBasicProject *p = it != byPosition.end() && !repeated ? it->second : database->findProjectById(i);
        columns[static_cast<std::size_t>(i)] = p;
    }
    const std::vector<CBasicProject *> before = grid->projects();
    if (count == 0)
        columns.push_back(nullptr); // one empty column of width 0
    grid->setProjects(columns);
    list->setProjects(count == 0 ? std::vector<CBasicProject *>() : columns);

    showProjectColumns(DbGrid->columnHeader(), columns, 0, 5);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        CBasicProject *p = columns[static_cast<std::size_t>(c)];
        const bool moved = c >= static_cast<int>(before.size()) || before[static_cast<std::size_t>(c)] != p;
        if (p && (moved || freshProjects.count(p)))
            prepareHeader(c);
    }
    freshProjects.clear();

    // New projects pick the test of the current project; a removal keeps
    // the user's test.
    bool anyNew = false;
    {
        const std::unordered_set<const CBasicProject *> shown(before.begin(), before.end());
        for (CBasicProject *p : columns)
            if (p && !shown.count(p))
                anyNew = true;
    }
    if (anyNew && !removedSinceRefresh)
        resetTestSelection();
    removedSinceRefresh = false;
    buildChart();

    if (PageControl1->currentWidget() == TabDetails) {
        fitColumns();
        fitRow(grid->rowOfKind(tkRenderingPlatform));
        DbGrid->updateScrollBars();
        DbGrid->viewport()->update();
        DbGrid->columnHeader()->viewport()->update();
    } else if (PageControl1->currentWidget() == TabProperties) {
        database->updateCounts();
        PStatus->update();
    } else if (PageControl1->currentWidget() == TabImages) {
        refillImageGrid(true);
    }
}

void TFDatabase::fitColumns()
{
    showProjectColumns(DbGrid->columnHeader(), grid->projects(), 0, 3);
}

int TFDatabase::wrappedRowHeight(const TTestListItem *item_, const std::vector<CBasicProject *> &projects_,
                                 const TGridHeader *header_, int firstSection_) const
{
    if (!item_ || (item_->kind != tkRenderingPipeline && item_->kind != tkRenderingPlatform))
        return 0;
    int tallest = 0;
    // Projects of one rig share their texts: each text and width is
    // wrapped once.
    QHash<QPair<QString, int>, int> measured;
    for (std::size_t i = 0; i < projects_.size(); ++i) {
        CBasicProject *p = projects_[i];
        const int section = firstSection_ + static_cast<int>(i);
        const int width = header_->isSectionHidden(section) ? 0 : header_->sectionSize(section);
        if (!p || p->isHidden() || width <= 4)
            continue;
        const QPair<QString, int> key(grid->cellText(item_, p), width);
        auto it = measured.constFind(key);
        if (it == measured.constEnd())
            it = measured.insert(key, wrappedHeight(key.first, width));
        tallest = std::max(tallest, *it);
    }
    return tallest + 6;
}

void TFDatabase::fitRow(int row_)
{
    const TTestListItem *item = grid->rowItem(row_);
    if (!item)
        return;
    const int height = wrappedRowHeight(item, grid->projects(), DbGrid->columnHeader(), 0);
    DbGrid->rowHeader()->resizeSection(row_, std::max(DbGrid->defaultRowHeight(), height));
}

const QStaticText *TFDatabase::laidOutText(const QString &text_)
{
    // Texts that drawText would treat specially keep going through it.
    for (const QChar c : text_)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return nullptr;
    auto it = laidOut.find(text_);
    if (it == laidOut.end()) {
        // The texts of a few screens; a database of many distinct values
        // starts again rather than growing without end.
        if (laidOut.size() >= 4096)
            laidOut.clear();
        QStaticText laid(text_);
        laid.setTextFormat(Qt::PlainText);
        laid.setPerformanceHint(QStaticText::AggressiveCaching);
        laid.prepare(QTransform(), cellFont);
        it = laidOut.insert(text_, laid);
    }
    return &*it;
}

void TFDatabase::DbGridDrawCell(QPainter &canvas_, int column_, int row_, const QRect &rect_, bool selected_)
{
    const QPalette &colours = DbGrid->palette();
    const QColor face = colours.color(QPalette::Button);
    // The grid's painters start in the grid font; setting it again costs a
    // font resolve per cell.
    if (canvas_.font() != cellFont)
        canvas_.setFont(cellFont);
    canvas_.setPen(colours.color(QPalette::ButtonText));
    const int left = rect_.left();
    const int top = rect_.top();
    auto textAt = [&](int x, int y, const QString &text) {
        const QRect box(x, y, std::max(0, rect_.right() - x), std::max(0, rect_.bottom() - y + 1));
        const QStaticText *laid = canvas_.font() == cellFont ? laidOutText(text) : nullptr;
        if (!laid) {
            canvas_.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            return;
        }
        // Clipped to the box only when the text passes it, as drawText does.
        const bool passes = !QRectF(box).contains(QRectF(QPointF(x, y), laid->size()));
        if (passes) {
            canvas_.save();
            canvas_.setClipRect(box, Qt::IntersectClip);
        }
        canvas_.drawStaticText(QPointF(x, y), *laid);
        if (passes)
            canvas_.restore();
    };
    auto wrapped = [&](const QString &text) {
        canvas_.drawText(QRect(left + 2, top + 2, rect_.width() - 3, rect_.height() - 3),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
    };
    if (column_ == 0 && row_ == 0) {
        canvas_.fillRect(rect_, face);
        canvas_.setFont(headerFont);
        textAt(left + 3, top + 5, QStringLiteral("Test"));
        canvas_.setFont(cellFont);
        textAt(left + 12, top + 31, QStringLiteral("Lowest Score"));
        textAt(left + 12, top + 47, QStringLiteral("Highest Score"));
        fillTriangle(canvas_, lowestColour, {left + 8, top + 31}, {left + 3, top + 31}, {left + 8, top + 36});
        fillTriangle(canvas_, highestColour, {left + 8, top + 47}, {left + 3, top + 47}, {left + 8, top + 52});
    } else if (column_ == 0) {
        canvas_.fillRect(rect_, face);
        textAt(left + 3, top + 3, grid->headerData(row_ - 1, Qt::Vertical).toString());
    } else if (row_ == 0) {
        CBasicProject *p = grid->project(column_ - 1);
        if (!p)
            return;
        canvas_.fillRect(rect_, face);
        wrapped(fromCp1252(p->getName()));
    } else {
        canvas_.fillRect(rect_, colours.color(QPalette::Base));
        canvas_.setPen(colours.color(QPalette::Text));
        const TTestListItem *item = grid->rowItem(row_ - 1);
        CBasicProject *p = grid->project(column_ - 1);
        if (item && p) {
            const QString text = grid->cellText(item, p);
            if (item->kind == tkRenderingPlatform)
                wrapped(text);
            else
                textAt(left + 3, top + 5, text);
            const int right = rect_.right();
            switch (TDatabaseGridModel::valueMark(item, p)) {
            case vmLowest:
                fillTriangle(canvas_, lowestColour, {right - 3, top + 1}, {right - 8, top + 1}, {right - 3, top + 6});
                break;
            case vmHighest:
                fillTriangle(canvas_, highestColour, {right - 3, top + 1}, {right - 8, top + 1}, {right - 3, top + 6});
                break;
            case vmNone:
                break;
            }
        }
    }
    canvas_.setBrush(Qt::NoBrush);
    drawEdge(canvas_, rect_, selected_, colours);
}

void TFDatabase::DbGridDblClickColumn(int column_)
{
    CBasicDatabase *database = liveDatabase();
    if (CBasicProject *p = grid->project(column_); p && database)
        database->showProject(p);
}

void TFDatabase::DbGridHandleDblClickColumn(int column_)
{
    CBasicProject *p = grid->project(column_);
    if (!p)
        return;
    const QFontMetrics metrics(gridFont());
    // One line of the name, with the label's margins.
    const int width = metrics.horizontalAdvance(fromCp1252(p->getName())) + 8;
    DbGrid->columnHeader()->resizeSection(column_, std::max(width, DbGrid->defaultColWidth()));
    DbGrid->updateScrollBars();
    fitRow(grid->rowOfKind(tkRenderingPlatform));
}

void TFDatabase::DbGridDblClickRow(int row_)
{
    CBasicDatabase *database = liveDatabase();
    const TTestListItem *item = grid->rowItem(row_);
    if (!database || !item)
        return;
    switch (item->kind) {
    case tkTest: database->sortByTestResult(item->row.id); break;
    case tkResolution: database->sortByResolution(); break;
    case tkColorDepth: database->sortByColorDepth(); break;
    case tkRenderingPipeline: database->sortByRenderingPipeline(); break;
    case tkRenderingPlatform: database->sortByRenderingPlatform(); break;
    case tkRefreshRate: database->sortByRefreshRate(); break;
    case tkFrameBuffer: database->sortByFrameBuffer(); break;
    case tkTextureFormat: database->sortByTextureFormat(); break;
    case tkZBuffer: database->sortByZBuffer(); break;
    case tkCpu: database->sortByCpu(); break;
    case tkCpuSpeed: database->sortByCpuSpeed(); break;
    default: return;
    }
    RefreshView();
}

void TFDatabase::DbGridColumnMoved()
{
    TGridHeader *header = DbGrid->columnHeader();
    const int count = grid->columnCount();
    // The header only moved its sections on screen: the projects take the
    // shown order as their positions, and the header goes back to showing
    // its sections in order, with the widths they had on screen.
    std::vector<CBasicProject *> order;
    std::vector<int> widths;
    for (int v = 0; v < count; ++v) {
        const int logical = header->logicalIndex(v);
        order.push_back(grid->project(logical));
        widths.push_back(header->sectionSize(logical));
    }
    {
        const QSignalBlocker block(header);
        for (int logical = 0; logical < count; ++logical)
            if (header->visualIndex(logical) != logical)
                header->moveSection(header->visualIndex(logical), logical);
    }
    grid->setProjects(order);
    for (int c = 0; c < count; ++c)
        if (!header->isSectionHidden(c))
            header->resizeSection(c, widths[static_cast<std::size_t>(c)]);
    renumberFromColumns();
}

void TFDatabase::GridWheel(TImpStringGrid *grid_, bool down_)
{
    QScrollBar *bar = grid_->verticalScrollBar();
    QHeaderView *rows = grid_->verticalHeader();
    // Rows too low to see are passed over in the same step.
    for (;;) {
        const int next = bar->value() + (down_ ? 1 : -1);
        if (next < bar->minimum() || next > bar->maximum())
            break;
        bar->setValue(next);
        const int logical = rows->logicalIndex(next);
        if (logical < 0 || rows->sectionSize(logical) >= 6)
            break;
    }
}

bool TFDatabase::eventFilter(QObject *watched_, QEvent *event_)
{
    if (event_->type() == QEvent::Wheel && (watched_ == DbGrid->viewport() || watched_ == ImageGrid->viewport())) {
        auto *wheel = static_cast<QWheelEvent *>(event_);
        const int delta = wheel->angleDelta().y();
        if (delta != 0)
            GridWheel(watched_ == DbGrid->viewport() ? DbGrid : ImageGrid, delta < 0);
        return true;
    }
    if (ScrollBox && watched_ == ScrollBox->viewport() && event_->type() == QEvent::Resize)
        ScrollBoxResize();
    if (watched_ == ImageGrid->viewport()) {
        switch (event_->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            imageMouse = static_cast<QMouseEvent *>(event_)->position().toPoint();
            break;
        case QEvent::MouseButtonRelease:
            imageMouse = static_cast<QMouseEvent *>(event_)->position().toPoint();
            if (gridMoved) {
                gridMoved = false;
                ImageGrid->updateScrollBars();
            }
            break;
        case QEvent::ToolTip: {
            // The hint only over a picture cell.
            const QPoint cell = imageCellAt(static_cast<QHelpEvent *>(event_)->pos());
            if (cell.x() < 1 || TImageGridModel::pictureTableRow(cell.y()) < 0)
                return true;
            break;
        }
        default:
            break;
        }
    }
    if (event_->type() == QEvent::MouseButtonRelease) {
        if (watched_ == DbGrid->columnHeader()->viewport() && widthDragged) {
            widthDragged = false;
            fitRow(grid->rowOfKind(tkRenderingPlatform));
            DbGrid->updateScrollBars();
        } else if (watched_ == DbGrid->rowHeader()->viewport() && gridMoved) {
            gridMoved = false;
            DbGrid->updateScrollBars();
        }
    }
    return TFDataViewForm::eventFilter(watched_, event_);
}

void TFDatabase::PageControl1Change(int index_)
{
    QWidget *left = PageControl1->widget(lastTab);
    lastTab = index_;
    if (left == TabDetails)
        renumberFromColumns();
    else if (left == TabProjects)
        renumberFromList();
    if (PageControl1->currentWidget() == TabProperties)
        if (CBasicDatabase *database = liveDatabase()) {
            database->updateCounts();
            PStatus->update();
        }
    if (PageControl1->currentWidget() == TabImages)
        refillImageGrid(false);
    if (PageControl1->currentWidget() == TabGraph)
        buildChart();
    postRefresh();
}

// The order shown becomes the database's own, which the file and the tree
// follow at once.
void TFDatabase::renumberFromColumns()
{
    CBasicDatabase *database = liveDatabase();
    if (!database)
        return;
    int position = 0;
    for (CBasicProject *p : grid->projects())
        if (p)
            p->setPosition(position++);
    database->takeOrderOfPositions();
}

void TFDatabase::renumberFromList()
{
    CBasicDatabase *database = liveDatabase();
    if (!database)
        return;
    for (int row = 0; row < list->rowCount(); ++row)
        if (CBasicProject *p = list->project(row))
            p->setPosition(row);
    database->takeOrderOfPositions();
}

QAbstractItemView *TFDatabase::ProjectList() const
{
    return isIconView() ? static_cast<QAbstractItemView *>(ProjectIcons) : ProjectReport;
}

bool TFDatabase::isIconView() const
{
    return ProjectViews->currentWidget() == ProjectIcons;
}

void TFDatabase::MLargeIconsClick()
{
    const bool focused = ProjectReport->hasFocus();
    ProjectViews->setCurrentWidget(ProjectIcons);
    MLargeIcons->setChecked(true);
    MDetails->setChecked(false);
    if (focused)
        ProjectIcons->setFocus();
}

void TFDatabase::MDetailsClick()
{
    const bool focused = ProjectIcons->hasFocus();
    ProjectViews->setCurrentWidget(ProjectReport);
    MDetails->setChecked(true);
    MLargeIcons->setChecked(false);
    if (focused)
        ProjectReport->setFocus();
}

std::vector<CBasicProject *> TFDatabase::selectedProjects() const
{
    std::vector<CBasicProject *> out;
    QModelIndexList rows = listSelection->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &i : rows)
        if (CBasicProject *p = list->project(i.row()))
            out.push_back(p);
    return out;
}

void TFDatabase::ListPopupMenuPopup()
{
    MDetails->setChecked(!isIconView());
    MLargeIcons->setChecked(isIconView());
    const std::vector<CBasicProject *> selected = selectedProjects();
    const bool any = !selected.empty();
    NHiddenSeparator->setVisible(any);
    PHidden->setVisible(any);
    PHidden->setEnabled(any);
    if (!any)
        return;
    const auto hidden = std::count_if(selected.begin(), selected.end(), [](CBasicProject *p) { return p->isHidden(); });
    if (hidden == static_cast<long>(selected.size()))
        PHidden->setChecked(true);
    else if (hidden == 0)
        PHidden->setChecked(false);
    else
        PHidden->setChecked(selected.front()->isHidden());
}

void TFDatabase::PHiddenClick()
{
    // The action has toggled its check already.
    const bool hide = PHidden->isChecked();
    for (CBasicProject *p : selectedProjects()) {
        p->setHidden(hide);
        list->refreshRow(list->rowOf(p));
    }
    if (CBasicDatabase *database = liveDatabase())
        database->changed();
}

int TFDatabase::ProjectListCompare(CBasicProject *first_, CBasicProject *second_) const
{
    auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    int result = 0;
    switch (std::abs(sortColumn)) {
    case 1:
    case 7:
    case 8:
        result = compareTextIgnoringCase(first_->getName(), second_->getName());
        break;
    case 2:
        result = compareTextIgnoringCase(first_->getRenderingPlatform(), second_->getRenderingPlatform());
        break;
    case 3:
        result = sign(first_->getWidth() - second_->getWidth());
        if (result == 0)
            result = sign(first_->getHeight() - second_->getHeight());
        break;
    case 4:
        result = sign(first_->getColorDepth() - second_->getColorDepth());
        break;
    case 5:
        result = sign(first_->getFrameBuffer() - second_->getFrameBuffer());
        break;
    case 6:
        // The column shows the pipeline, so it sorts by that text.
        result = compareTextIgnoringCase(first_->getRenderingPipeline(), second_->getRenderingPipeline());
        break;
    default:
        break;
    }
    return sortColumn < 0 ? -result : result;
}

void TFDatabase::ProjectListColumnClick(int column_)
{
    sortColumn = std::abs(sortColumn) == column_ + 1 ? -sortColumn : column_ + 1;
    list->sortRows([this](CBasicProject *a, CBasicProject *b) {
        if (!a || !b)
            return a ? -1 : b ? 1 : 0;
        return ProjectListCompare(a, b);
    });
    renumberFromList();
}

void TFDatabase::ProjectListDblClick()
{
    const std::vector<CBasicProject *> selected = selectedProjects();
    CBasicDatabase *database = liveDatabase();
    if (!selected.empty() && database)
        database->showProject(selected.front());
}

void TFDatabase::ProjectListStartDrag()
{
    TFMainForm *main = TFMainForm::instance();
    const std::vector<CBasicProject *> selected = selectedProjects();
    if (!main || selected.empty())
        return;
    auto *drag = new QDrag(ProjectList());
    drag->setMimeData(main->BeginTreeDrag(selected.front()));
    if (TProjectDrag *transfer = main->treeDrag()) {
        transfer->fromDatabase = true;
        for (std::size_t i = 1; i < selected.size(); ++i)
            transfer->addProject(selected[i]);
    }
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    main->EndTreeDrag();
}

void TFDatabase::PStatusPaint()
{
    QPainter canvas(PStatus);
    CBasicDatabase *database = liveDatabase();
    if (!database)
        return;
    canvas.setFont(gridFont());
    const QFontMetrics metrics(canvas.font());
    canvas.drawPixmap(2, 2, TProjectListModel::image(0).pixmap(16, 16));
    canvas.drawText(22, 2 + metrics.ascent(), QStringLiteral("Projects : %1").arg(database->getProjectCount()));
    canvas.drawPixmap(2, 22, TProjectListModel::image(1).pixmap(16, 16));
    canvas.drawText(22, 22 + metrics.ascent(), QStringLiteral("Hidden : %1").arg(database->getHiddenCount()));
}

TFProject *TFDatabase::projectWindow() const
{
    return shownProjectWindow.data();
}

void TFDatabase::setProjectWindow(TFProject *window_)
{
    shownProjectWindow = window_;
}

bool TFDatabase::askToClose()
{
    if (closeAsked)
        return true;
    CBasicDatabase *database = liveDatabase();
    if (!database || !(database->isModified() || database->isUntitled())) {
        closeAsked = true;
        return true;
    }
    const QString text = QStringLiteral("Do you want to save the changes to Database : \"%1\" ?").arg(fromCp1252(database->getName()));
    switch (askYesNoCancel(text, QStringLiteral("Scorvista2001 SE"), MessageIcon::Question)) {
    case MessageAnswer::Yes: {
        TFMainForm *main = TFMainForm::instance();
        if (!main || !SaveDatabase(*main, false, database))
            return false;
        break;
    }
    case MessageAnswer::No:
        break;
    default:
        return false;
    }
    closeAsked = true;
    return true;
}

void TFDatabase::closeEvent(QCloseEvent *event_)
{
    // A database going away closes its window without a question.
    if (!liveDatabase() || askToClose()) {
        TFDataViewForm::closeEvent(event_);
        return;
    }
    event_->ignore();
}

void TFDatabase::refillImageGrid(bool keepHeights_)
{
    CBasicDatabase *database = liveDatabase();
    // Column i + 2 shows the project at position i, as the Details columns.
    std::vector<CBasicProject *> columns;
    if (database && database->getProjectCount() > 0)
        columns = grid->projects();
    images->setProjects(columns);
    TGridHeader *header = ImageGrid->columnHeader();
    header->resizeSection(0, 100);
    showProjectColumns(header, columns, 1, 5);
    if (!ImageGrid->currentIndex().isValid())
        ImageGrid->setCurrentIndex(images->index(0, 0));
    if (!keepHeights_) {
        int tallest = wrappedHeight(QStringLiteral("Polyra Reference Image"), header->sectionSize(0) - 3);
        for (int c = 0; c < static_cast<int>(columns.size()); ++c)
            if (CBasicProject *p = columns[static_cast<std::size_t>(c)]; p && !header->isSectionHidden(c + 1))
                tallest = std::max(tallest, wrappedHeight(fromCp1252(p->getName()), header->sectionSize(c + 1) - 3));
        header->setExtent(tallest + 4);
    }
    // The setting rows fit their wrapped texts.
    for (int r = 1; r < TImageGridModel::firstPictureRow; ++r) {
        const int height = wrappedRowHeight(images->settingItem(r), columns, header, 1);
        ImageGrid->rowHeader()->resizeSection(r - 1, std::max(26, height));
    }
    ImageGrid->updateScrollBars();
    ImageGrid->viewport()->update();
    header->viewport()->update();
}

QPoint TFDatabase::imageCellAt(const QPoint &at_) const
{
    const QModelIndex index = ImageGrid->indexAt(at_);
    if (!index.isValid())
        return QPoint(-1, -1);
    return QPoint(index.column() + 1, index.row() + 1);
}

TThumbPicture *TFDatabase::pictureOfCell(int column_, int row_) const
{
    const int tableRow = TImageGridModel::pictureTableRow(row_);
    if (column_ < 1 || column_ > images->columnCount() || tableRow < 0)
        return nullptr;
    const int n = testImageTable[static_cast<std::size_t>(tableRow)].n;
    if (column_ == 1) {
        const TProjectImages *reference = ReferenceImages(0);
        return reference ? reference->findByTag(n) : nullptr;
    }
    CBasicProject *p = images->project(column_);
    const auto *pictures = p ? dynamic_cast<const TProjectImages *>(p->getImages()) : nullptr;
    return pictures ? pictures->findByTag(n) : nullptr;
}

TThumbPicture *TFDatabase::pictureAtMouse() const
{
    const QPoint cell = imageCellAt(imageMouse);
    return pictureOfCell(cell.x(), cell.y());
}

void TFDatabase::ImageGridDrawCell(QPainter &canvas_, int column_, int row_, const QRect &rect_, bool selected_)
{
    const QPalette &colours = ImageGrid->palette();
    canvas_.setFont(cellFont);
    canvas_.setPen(colours.color(QPalette::ButtonText));
    const auto wrapped = [&](const QString &text) {
        canvas_.drawText(rect_.adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, text);
    };
    const int tableRow = TImageGridModel::pictureTableRow(row_);
    if (column_ == 0 || row_ == 0)
        canvas_.fillRect(rect_, colours.color(QPalette::Button));
    else
        canvas_.fillRect(rect_, colours.color(QPalette::Base));
    if (row_ == 0 && column_ >= 1) {
        CBasicProject *p = images->project(column_);
        if (column_ == 1)
            wrapped(QStringLiteral("Polyra Reference Image"));
        else if (p)
            wrapped(fromCp1252(p->getName()));
    } else if (column_ == 0 && row_ >= 1) {
        if (const TTestListItem *item = images->settingItem(row_))
            wrapped(fromCp1252(TTestList::getItemCaption(item, 0)));
        else if (tableRow >= 0)
            wrapped(QStringLiteral("Image Quality Test ") + QStringLiteral(":") + QChar(10) +
                    QString::fromLatin1(testImageTable[static_cast<std::size_t>(tableRow)].title));
    } else if (column_ >= 1 && row_ >= 1) {
        const TTestListItem *item = images->settingItem(row_);
        CBasicProject *p = images->project(column_);
        if (item && p) {
            const QString text = grid->cellText(item, p);
            if (item->kind == tkRenderingPipeline || item->kind == tkRenderingPlatform)
                wrapped(text);
            else
                canvas_.drawText(rect_.adjusted(3, 5, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        } else if (const TThumbPicture *picture = pictureOfCell(column_, row_); picture && !picture->picture.isNull()) {
            canvas_.drawImage(rect_.adjusted(1, 1, -1, -1), picture->picture);
        }
    }
    canvas_.setPen(selected_ ? colours.color(QPalette::Dark) : colours.color(QPalette::Light));
    canvas_.setBrush(Qt::NoBrush);
    canvas_.drawRect(rect_.adjusted(0, 0, -1, -1));
}

void TFDatabase::PopupImageMenuPopup()
{
    const bool picture = pictureAtMouse() != nullptr;
    PView->setEnabled(picture);
    POpen->setEnabled(picture);
    PImageCopy->setEnabled(picture);
}

void TFDatabase::PViewClick()
{
    const QPoint cell = imageCellAt(imageMouse);
    ImageGridView(cell.x(), cell.y());
}

void TFDatabase::ImageGridView(int column_, int row_)
{
    if (row_ < TImageGridModel::firstPictureRow || row_ >= TImageGridModel::gridRowCount() || column_ < 1 ||
        column_ > images->columnCount())
        return;
    if (!pictureOfCell(column_, row_))
        return;
    CBasicDatabase *database = liveDatabase();
    if (!database)
        return;
    WarnColorDepth();
    const int tableRow = TImageGridModel::pictureTableRow(row_);
    OpenPictureWindow(testImageTable[static_cast<std::size_t>(tableRow)].n, database, images->project(column_));
}

void TFDatabase::POpenClick()
{
    if (const TThumbPicture *picture = pictureAtMouse())
        OpenPictureInShell(TThumbPictureList::largeFileName(picture));
}

void TFDatabase::copyPictureAtMouse()
{
    const TThumbPicture *picture = pictureAtMouse();
    if (!picture)
        return;
    const QString file = TThumbPictureList::largeFileName(picture);
    if (!QFileInfo(file).isFile())
        return;
    // A picture that cannot be read, or that the picture budget has no room
    // for, says so rather than leave the clipboard as if it had been copied.
    const PictureRead read = ReadPictureFile(file);
    if (read.ok())
        PutPictureOnClipboard(read.image);
    else
        ShowPictureFailure("loaded", file, read.error);
}

std::string TFDatabase::detailsTableText() const
{
    std::vector<CBasicProject *> columns;
    TGridHeader *header = DbGrid->columnHeader();
    for (int v = 0; v < grid->columnCount(); ++v)
        columns.push_back(grid->project(header->logicalIndex(v)));
    std::vector<const TTestListItem *> rows;
    TGridHeader *rowHeader = DbGrid->rowHeader();
    for (int v = 0; v < grid->rowCount(); ++v)
        rows.push_back(grid->rowItem(rowHeader->logicalIndex(v)));
    return resultTableText(columns, rows);
}
