// The database window's Results tab: one bar chart of the selected test,
// in units or as a percentage of a base project.

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "Cp1252.h"
#include "Ucommoncalls.h"
#include "chartwidget.h"
#include "databasewindow.h"
#include "resultchart.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uTestList.h"

namespace {

// Wheel steps over the chart scroll the box; the chart itself never scrolls.
class TWheelToScroll : public QObject {
public:
    TWheelToScroll(QScrollArea *box_, QObject *parent_) : QObject(parent_), box(box_) {}

protected:
    bool eventFilter(QObject *, QEvent *event_) override
    {
        if (event_->type() != QEvent::Wheel)
            return false;
        const int delta = static_cast<QWheelEvent *>(event_)->angleDelta().y();
        QScrollBar *bar = box->verticalScrollBar();
        if (delta < 0)
            bar->setValue(bar->value() + bar->singleStep());
        else if (delta > 0)
            bar->setValue(bar->value() - bar->singleStep());
        return true;
    }

private:
    QScrollArea *box;
};

constexpr int minimumNameSection = 80;

} // namespace

void TFDatabase::buildResults()
{
    TabGraph = new QWidget;
    TabGraph->setObjectName(QStringLiteral("TabGraph"));
    auto *layout = new QVBoxLayout(TabGraph);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel1 = new QWidget(TabGraph);
    auto *row = new QHBoxLayout(Panel1);
    CbTests = new QComboBox(Panel1);
    CbTests->setObjectName(QStringLiteral("CbTests"));
    CbTests->setFixedWidth(209);
    SpeedButton1 = new QPushButton(QStringLiteral("< &Back"), Panel1);
    SpeedButton1->setToolTip(QStringLiteral("Go to previous test"));
    SpeedButton2 = new QPushButton(QStringLiteral("&Next >"), Panel1);
    SpeedButton2->setToolTip(QStringLiteral("Go to next test"));
    SpeedButton3 = new QPushButton(QStringLiteral("&Sort"), Panel1);
    SpeedButton3->setToolTip(QStringLiteral("Sort projects by current test results"));
    row->addWidget(CbTests);
    row->addWidget(SpeedButton1);
    row->addWidget(SpeedButton2);
    row->addWidget(SpeedButton3);
    row->addStretch();
    layout->addWidget(Panel1);
    // The user's choice only: a selection made here does not build twice.
    connect(CbTests, &QComboBox::activated, this, [this] { buildChart(); });
    connect(SpeedButton1, &QPushButton::clicked, this, &TFDatabase::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TFDatabase::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TFDatabase::SpeedButton3Click);

    HeaderControl1 = new QHeaderView(Qt::Horizontal, TabGraph);
    auto *sections = new QStandardItemModel(0, 2, HeaderControl1);
    sections->setHorizontalHeaderLabels({QStringLiteral("Project Name"), QStringLiteral("Chart")});
    sections->setHeaderData(0, Qt::Horizontal, int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
    HeaderControl1->setModel(sections);
    HeaderControl1->setSectionResizeMode(QHeaderView::Interactive);
    HeaderControl1->setStretchLastSection(false);
    HeaderControl1->setFixedHeight(HeaderControl1->sizeHint().height());
    HeaderControl1->resizeSection(0, 150);
    HeaderControl1->resizeSection(1, 2000);
    layout->addWidget(HeaderControl1);
    connect(HeaderControl1, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section != 0)
            return;
        if (size < minimumNameSection) {
            HeaderControl1->resizeSection(0, minimumNameSection);
            return;
        }
        if (!chartBusy)
            buildChart();
    });

    ScrollBox = new QScrollArea(TabGraph);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setWidgetResizable(false);
    // The chart takes the box's width: its own width never feeds back.
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    chart = new TChart(content);
    chart->setObjectName(QStringLiteral("chart"));
    chart->setFocusPolicy(Qt::ClickFocus);
    chart->setContextMenuPolicy(Qt::CustomContextMenu);
    LNoneRun = new QLabel(QStringLiteral("No tests were run in this category"), content);
    LNoneRun->setObjectName(QStringLiteral("LNoneRun"));
    LNoneRun->move(20, 20);
    LNoneRun->adjustSize();
    LNoneRun->hide();
    ScrollBox->setWidget(content);
    layout->addWidget(ScrollBox, 1);
    auto *wheel = new TWheelToScroll(ScrollBox, this);
    chart->installEventFilter(wheel);
    ScrollBox->viewport()->installEventFilter(wheel);
    ScrollBox->viewport()->installEventFilter(this);
    PageControl1->addTab(TabGraph, QStringLiteral("Results"));

    connect(chart, &TChart::barClicked, this,
            [this](int, int, CBasicProject *project, Qt::KeyboardModifiers modifiers, bool doubleClick) {
                chartBarClicked(project, modifiers, doubleClick);
            });
    connect(chart, &TChart::chartClicked, this, &TFDatabase::chartClicked);
    connect(chart, &TChart::hoverChanged, this, [this](int, int, CBasicProject *project) {
        const QString hint = project ? fromCp1252(project->getName()) : QString();
        chart->setToolTip(hint);
        if (hint.isEmpty())
            QToolTip::hideText();
    });

    ChartPopup = new QMenu(this);
    MCopyAsImage = ChartPopup->addAction(QStringLiteral("Copy as Image"));
    MCopyAsMetafile = ChartPopup->addAction(QStringLiteral("Copy as Metafile"));
    MSortByResults = ChartPopup->addAction(QStringLiteral("Sort projects by results"));
    ChartPopup->addSeparator();
    MChartUnits = ChartPopup->addAction(QStringLiteral("Show results in relevant units"));
    MChartPercent = ChartPopup->addAction(QStringLiteral("Show results in percentage of base result"));
    auto *popupModes = new QActionGroup(ChartPopup);
    for (QAction *a : {MChartUnits, MChartPercent}) {
        a->setCheckable(true);
        popupModes->addAction(a);
    }
    MChartUnits->setChecked(true);
    connect(MCopyAsImage, &QAction::triggered, this, &TFDatabase::CopyChartAsImage);
    connect(MCopyAsMetafile, &QAction::triggered, this, &TFDatabase::CopyChartAsMetafile);
    connect(MSortByResults, &QAction::triggered, this, &TFDatabase::SpeedButton3Click);
    connect(MChartUnits, &QAction::triggered, this, [this] { setChartMode(0); });
    connect(MChartPercent, &QAction::triggered, this, [this] { setChartMode(1); });
    connect(chart, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        ChartPopupPopup();
        ChartPopup->exec(chart->mapToGlobal(at));
    });
}

int TFDatabase::chartMode() const
{
    return RbPercent->isChecked() ? 1 : 0;
}

void TFDatabase::setChartMode(int mode_)
{
    {
        const QSignalBlocker blocker(chartModes);
        (mode_ == 1 ? RbPercent : RbUnits)->setChecked(true);
    }
    buildChart();
}

void TFDatabase::ChartPopupPopup()
{
    (chartMode() == 1 ? MChartPercent : MChartUnits)->setChecked(true);
}

int TFDatabase::selectedTestId() const
{
    const int index = CbTests->currentIndex();
    if (index < 0)
        return 0;
    const auto *item = static_cast<const TTestListItem *>(CbTests->itemData(index).value<void *>());
    return item ? item->row.id : 0;
}

void TFDatabase::buildChart()
{
    if (destroying || chartBusy || PageControl1->currentWidget() != TabGraph || !isVisible())
        return;
    CBasicDatabase *database = liveDatabase();
    if (!database)
        return;
    const QScopedValueRollback<bool> busy(chartBusy, true);
    TChartScale scale;
    int labelWidth = 0;
    const int test = selectedTestId();
    if (chartMode() == 1) {
        if (!baseProject)
            for (int i = 0; i < database->getProjectCount() && !baseProject; ++i)
                if (!database->getProject(i)->isHidden())
                    baseProject = database->getProject(i);
        if (!baseProject) {
            chart->hide();
            LNoneRun->show();
            return;
        }
        double base = baseProject->getTestResult(baseProject->getTestValue(test));
        // A status code has no size to compare with.
        if (base < 0)
            base = 0;
        scale = TChartScale::percentOf(base);
    }
    int shown = 0;
    if (test != 0) {
        labelWidth = HeaderControl1->sectionSize(0) - chartLabelAxisMargin;
        if (labelWidth < 20)
            labelWidth = 0;
        shown = buildResultChart(*chart, database, nullptr, test, scale, false, labelWidth);
    }
    LNoneRun->setVisible(test != 0 && shown == 0);
    if (shown)
        HeaderControl1->resizeSection(0, chart->model().labelAxis.labelSize + chartLabelAxisMargin);
}

void TFDatabase::scheduleChartBuild()
{
    if (chartBuildPosted)
        return;
    chartBuildPosted = true;
    QTimer::singleShot(0, this, [this] {
        chartBuildPosted = false;
        buildChart();
    });
}

void TFDatabase::resetTestSelection()
{
    CBasicDatabase *database = liveDatabase();
    CBasicProject *current = database ? database->getCurrentProject() : nullptr;
    int chosen = CbTests->count() > 0 ? 0 : -1;
    if (current)
        for (int i = 0; i < CbTests->count(); ++i) {
            const auto *item = static_cast<const TTestListItem *>(CbTests->itemData(i).value<void *>());
            const TTestValue *value = item ? current->getTestValue(item->row.id) : nullptr;
            if (value && value->isPresent()) {
                chosen = i;
                break;
            }
        }
    CbTests->setCurrentIndex(chosen);
}

void TFDatabase::SpeedButton1Click()
{
    const int count = CbTests->count();
    if (count == 0)
        return;
    const int index = CbTests->currentIndex();
    CbTests->setCurrentIndex(index <= 0 ? count - 1 : index - 1);
    buildChart();
}

void TFDatabase::SpeedButton2Click()
{
    const int count = CbTests->count();
    if (count == 0)
        return;
    const int index = CbTests->currentIndex();
    CbTests->setCurrentIndex(index < 0 || index >= count - 1 ? 0 : index + 1);
    buildChart();
}

void TFDatabase::SpeedButton3Click()
{
    if (CBasicDatabase *database = liveDatabase())
        if (const int test = selectedTestId())
            database->sortByTestResult(test);
}

void TFDatabase::chartBarClicked(CBasicProject *project_, Qt::KeyboardModifiers, bool doubleClick_)
{
    CBasicDatabase *database = liveDatabase();
    if (!database || !project_ || !database->containsProject(project_))
        return;
    if (doubleClick_) {
        database->showProject(project_);
        return;
    }
    if (chartMode() == 1) {
        baseProject = project_;
        scheduleChartBuild();
    }
}

void TFDatabase::chartClicked(QPoint position_)
{
    chart->setFocus();
    CBasicDatabase *database = liveDatabase();
    CBasicProject *project = chart->projectOf(chart->rowAt(position_));
    if (database && project && database->containsProject(project)) {
        baseProject = project;
        scheduleChartBuild();
    }
}

void TFDatabase::ScrollBoxResize()
{
    CBasicDatabase *database = liveDatabase();
    if (destroying || !database)
        return;
    const QSize client = ScrollBox->viewport()->size();
    const int width = std::max(200, client.width());
    const int height = std::max(client.height(), 35 * database->getVisibleProjectCount() + 60);
    ScrollBox->widget()->resize(width, height);
    chart->setGeometry(0, 0, width, height);
    if (chart->isHidden()) {
        LNoneRun->update();
        return;
    }
    applyArrowSize(chart->model(), chart->height());
    if (isVisible())
        scheduleChartBuild();
}

void TFDatabase::CopyChartAsImage()
{
    const QScopedValueRollback<bool> busy(chartBusy, true);
    chart->copyToClipboard(QSize(), false);
}

void TFDatabase::CopyChartAsMetafile()
{
    const QScopedValueRollback<bool> busy(chartBusy, true);
    chart->copyToClipboard();
}
