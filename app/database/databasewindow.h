#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QPointer>
#include <unordered_set>
#include <vector>

#include "changes.h"
#include "uMDIForm.h"

class QAbstractItemView;
class QAction;
class QButtonGroup;
class QScrollArea;
class TChart;
class QComboBox;
class QGroupBox;
class QHeaderView;
class QItemSelectionModel;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;
class QTreeView;
class TDatabaseGridModel;
class TFProject;
class TGridHeader;
class TImageGridModel;
class TImpStringGrid;
class TProjectListModel;
class TThumbPicture;
struct TTestListItem;

// The window of one database: the Details grid of settings and results,
// the Results charts, the Projects list, the Image Quality grid and the
// Properties. It follows the change notification: a project that goes is
// let go of at once, and the views are rebuilt on the posted refresh.
class TFDatabase : public TFDataViewForm, public CChangeObserver {
    Q_OBJECT
public:
    TFDatabase(QWidget *owner_, CBasicDatabase *database_);
    ~TFDatabase() override;

    CBasicDatabase *GetDatabase() override { return shownDatabase; }
    void UpdateViews(const void *sender_) override;
    void BeginRename() override;
    void RefreshView() override;

    // The Projects tab's view in use (report or icons).
    QAbstractItemView *ProjectList() const;
    void MLargeIconsClick();
    void MDetailsClick();
    bool isIconView() const;

    TFProject *projectWindow() const;
    void setProjectWindow(TFProject *window_);

    // The close question, asked once: Yes saves this window's database and
    // allows the close only when that worked; No allows it; Cancel not.
    bool askToClose();
    bool closeAsked = false;

    void dataChanged(const CChange &change_) override;

    // Draws one cell of the Details grid; column 0 and row 0 are the fixed
    // ones.
    void DbGridDrawCell(QPainter &canvas_, int column_, int row_, const QRect &rect_, bool selected_);
    // Fits a row of the grid to its texts (settings of kind 3 and 4 wrap).
    void fitRow(int row_);
    // The Projects list's comparison by sortColumn.
    int ProjectListCompare(CBasicProject *first_, CBasicProject *second_) const;
    void ProjectListColumnClick(int column_);
    void ProjectListDblClick();
    void ProjectListStartDrag();
    void PHiddenClick();
    // The popup's items, as the selection sets them.
    void ListPopupMenuPopup();
    void DbGridDblClickRow(int row_);
    void DbGridDblClickColumn(int column_);
    void DbGridHandleDblClickColumn(int column_);
    // One wheel step over a grid: down_ or up.
    void GridWheel(TImpStringGrid *grid_, bool down_);
    // Applies the order the user moved the columns to.
    void DbGridColumnMoved();

    // The Results tab: one chart of the selected test.
    void buildChart();
    // After the click that asked for it has finished with the bars.
    void scheduleChartBuild();
    int selectedTestId() const;
    // The first test the current project has a result for.
    void resetTestSelection();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void ChartPopupPopup();
    void CopyChartAsImage();
    void CopyChartAsMetafile();
    void ScrollBoxResize();

    // The Image Quality grid.
    void refillImageGrid(bool keepHeights_);
    void ImageGridDrawCell(QPainter &canvas_, int column_, int row_, const QRect &rect_, bool selected_);
    // The picture a cell shows; none for captions, settings and the last row.
    TThumbPicture *pictureOfCell(int column_, int row_) const;
    TThumbPicture *pictureAtMouse() const;
    // Grid cell (column, row) under a point of the grid's viewport.
    QPoint imageCellAt(const QPoint &at_) const;
    void setImageMouse(const QPoint &at_) { imageMouse = at_; }
    void PopupImageMenuPopup();
    void ImageGridView(int column_, int row_);
    void PViewClick();
    void POpenClick();
    void copyPictureAtMouse();
    // The Details grid as its Copy puts it on the clipboard.
    std::string detailsTableText() const;

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabDetails = nullptr;
    QWidget *TabGraph = nullptr;
    QWidget *TabProjects = nullptr;
    QWidget *TabImages = nullptr;
    QWidget *TabProperties = nullptr;
    TImpStringGrid *DbGrid = nullptr;
    QWidget *Panel1 = nullptr;
    QComboBox *CbTests = nullptr;
    QPushButton *SpeedButton1 = nullptr;
    QPushButton *SpeedButton2 = nullptr;
    QPushButton *SpeedButton3 = nullptr;
    QHeaderView *HeaderControl1 = nullptr;
    QStackedWidget *ProjectViews = nullptr;
    QTreeView *ProjectReport = nullptr;
    QListView *ProjectIcons = nullptr;
    TImpStringGrid *ImageGrid = nullptr;
    QGroupBox *Info = nullptr;
    QLineEdit *EDescription = nullptr;
    QGroupBox *RbChartView = nullptr;
    QRadioButton *RbUnits = nullptr;
    QRadioButton *RbPercent = nullptr;
    QLabel *Lversion = nullptr;
    QWidget *PStatus = nullptr;
    QMenu *ListPopupMenu = nullptr;
    QAction *MLargeIcons = nullptr;
    QAction *MSmallIcons = nullptr;
    QAction *MList = nullptr;
    QAction *MDetails = nullptr;
    QAction *NHiddenSeparator = nullptr;
    QAction *PHidden = nullptr;
    QScrollArea *ScrollBox = nullptr;
    TChart *chart = nullptr;
    QLabel *LNoneRun = nullptr;
    QMenu *ChartPopup = nullptr;
    QAction *MCopyAsImage = nullptr;
    QAction *MCopyAsMetafile = nullptr;
    QAction *MSortByResults = nullptr;
    QAction *MChartUnits = nullptr;
    QAction *MChartPercent = nullptr;
    QButtonGroup *chartModes = nullptr;
    QMenu *DbMenu = nullptr;
    QMenu *PopupImageMenu = nullptr;
    QAction *PView = nullptr;
    QAction *POpen = nullptr;
    QAction *PImageCopy = nullptr;

    TDatabaseGridModel *gridModel() const { return grid; }
    TProjectListModel *listModel() const { return list; }
    TImageGridModel *imageModel() const { return images; }
    CBasicProject *getBaseProject() const { return baseProject; }
    void setBaseProject(CBasicProject *project_) { baseProject = project_; }
    int getSortColumn() const { return sortColumn; }
    int chartMode() const;

protected:
    void showEvent(QShowEvent *event_) override;
    void closeEvent(QCloseEvent *event_) override;
    bool eventFilter(QObject *watched_, QEvent *event_) override;

private:
    void buildDetails();
    void buildResults();
    void buildProjects();
    void buildImages();
    void buildProperties();
    void chartBarClicked(CBasicProject *project_, Qt::KeyboardModifiers modifiers_, bool doubleClick_);
    void chartClicked(QPoint position_);
    void setChartMode(int mode_);
    void FormShow();
    void PageControl1Change(int index_);
    void renumberFromColumns();
    void renumberFromList();
    void EDescriptionChange();
    void PStatusPaint();
    void prepareHeader(int column_);
    // The header grows to hold the project's name wrapped in its section.
    void fitHeaderTo(TGridHeader &header_, int section_, const CBasicProject &project_);
    void fitColumns();
    int wrappedHeight(const QString &text_, int width_) const;
    // The height a wrapped setting row (pipeline, platform) needs for the
    // projects shown from section firstSection_ on; 0 for other rows.
    int wrappedRowHeight(const TTestListItem *item_, const std::vector<CBasicProject *> &projects_,
                         const TGridHeader *header_, int firstSection_) const;
    void postRefresh();
    // The database, while it is still this window's.
    CBasicDatabase *liveDatabase() const;
    std::vector<CBasicProject *> selectedProjects() const;

    CBasicDatabase *shownDatabase = nullptr;
    QFont headerFont;
    // The grid's one font, made once.
    QFont cellFont;
    // One-line cell texts laid out once, by text.
    QHash<QString, QStaticText> laidOut;
    const QStaticText *laidOutText(const QString &text_);
    CBasicProject *baseProject = nullptr;
    QPointer<TFProject> shownProjectWindow;
    int sortColumn = 0;
    int firstShow = 1;
    bool gridMoved = false;
    bool widthDragged = false;
    bool chartBusy = false;
    bool chartBuildPosted = false;
    bool removedSinceRefresh = false;
    bool destroying = false;
    bool refreshPosted = false;
    int lastTab = 0;
    TDatabaseGridModel *grid = nullptr;
    TProjectListModel *list = nullptr;
    TImageGridModel *images = nullptr;
    // Last pointer position over the image grid's cells (viewport).
    QPoint imageMouse{-1, -1};
    QItemSelectionModel *listSelection = nullptr;
    // Projects whose column header is to be prepared again.
    std::unordered_set<const CBasicProject *> freshProjects;
};
