#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MessageSink.h"
#include "doubleclick.h"
#include "imagebuilder.h"
#include "openimage.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uTestList.h"

#include "chartmodel.h"
#include "chartwidget.h"
#include "marktexts.h"
#include "resultchart.h"

namespace {

// Result items of the tests the cases use.
constexpr std::uint16_t game1Low = 180;  // test 2
constexpr std::uint16_t polygons1 = 189; // test 23
constexpr std::uint16_t polygons8 = 190; // test 24

// Ten pixels a character: label widths that do not depend on a font.
int tenPerCharacter(const std::string &text)
{
    return 10 * static_cast<int>(text.size());
}

struct IncrementCase {
    double maximum;
    double increment;
};

class AxisIncrementRule : public ::testing::TestWithParam<IncrementCase> {};

TEST_P(AxisIncrementRule, FollowsTheDecadeOfTheMaximum)
{
    EXPECT_DOUBLE_EQ(axisIncrement(GetParam().maximum), GetParam().increment);
}

INSTANTIATE_TEST_SUITE_P(Cases, AxisIncrementRule,
                         ::testing::Values(IncrementCase{10, 1}, IncrementCase{10.01, 1}, // either side of "at most 10"
                                           IncrementCase{7, 1}, IncrementCase{0, 1}, IncrementCase{-3, 1},
                                           IncrementCase{19.9, 1}, IncrementCase{20, 2}, IncrementCase{30, 2},
                                           IncrementCase{50, 2}, IncrementCase{51, 5}, IncrementCase{80, 5},
                                           IncrementCase{100, 50}, IncrementCase{150, 50},
                                           IncrementCase{1000, 500}, // log10 exactly 3
                                           IncrementCase{5000, 500}, IncrementCase{1e6, 500000}));

TEST(ChartTables, LastPositiveIndexCountsFromOne)
{
    const std::vector<std::pair<std::vector<int>, int>> cases = {
        {{}, 0}, {{23, 24, 25}, 3}, {{2, 3, 0}, 2}, {{0, 0}, 0}, {{5, -1}, 1}, {{0, 7}, 2}};
    for (const auto &[list, index] : cases)
        EXPECT_EQ(lastPositiveIndex(list), index) << list.size();
}

TEST(ChartTables, BarColoursAreTheTableReadAsBlueGreenRed)
{
    EXPECT_EQ(colorFromTColor(0x8C4210), QColor(0x10, 0x42, 0x8C));
    EXPECT_EQ(colorFromTColor(0xFF4210), QColor(0x10, 0x42, 0xFF));
    EXPECT_EQ(colorFromTColor(0x8C42FF), QColor(0xFF, 0x42, 0x8C));
    EXPECT_EQ(colorFromTColor(0xFFFFFF), QColor(Qt::white));
    // The n-th series takes entry (n - 1) mod 4.
    EXPECT_EQ(barColour(1), QColor(0x10, 0x42, 0x8C));
    EXPECT_EQ(barColour(2), QColor(0x10, 0x42, 0xFF));
    EXPECT_EQ(barColour(5), QColor(0x10, 0x42, 0x8C));
}

TEST(ChartTables, ReportRowsCoverTheTableOnly)
{
    ASSERT_NE(findReportChartRow(0x806), nullptr);
    EXPECT_STREQ(findReportChartRow(0x806)->title, "Polygon Throughput");
    EXPECT_EQ(findReportChartRow(0x807)->labels.size(), 6u);
    // Report modes run to 0x80C; the table ends at 0x808.
    EXPECT_EQ(findReportChartRow(0x809), nullptr);
    EXPECT_EQ(findReportChartRow(0x80C), nullptr);
}

struct MarkCase {
    const char *kind;
    int testId;
    double value;
    const char *text;
};

TEST(ChartMarkTexts, FormatByTestPlainAndPercent)
{
    const TTestList catalogue;
    const std::vector<MarkCase> cases = {
        {"test", 1, 4321.5, "4,322"},      // the score's "#,###,##0"
        {"test", 2, 57.25, "57.3"},        // "#,###,##0.0", halves away from zero
        {"test", 2, 1234567.0, "1,234,567.0"},
        {"test", 8, 57.25, "as given"},    // no test 8: the text stays
        {"test", 25, 3.0, "as given"},
        {"plain", 0, 0.0, ""},
        {"plain", 0, 1234.5, "1,235"},
        {"plain", 0, 0.4, "0"},
        {"percent", 0, 0.0, "N/A"},
        {"percent", 0, 57.25, "57.3 %"},   // a literal '%': no multiplication
        {"percent", 0, 100.0, "100.0 %"},
        {"percent", 0, 12345.67, "12,345.7 %"},
    };
    for (const MarkCase &c : cases) {
        const std::string kind = c.kind;
        std::string text;
        if (kind == "test")
            text = chartMarkTextByTest(catalogue, c.testId, c.value, "as given");
        else if (kind == "plain")
            text = chartMarkTextPlain(c.value);
        else
            text = chartMarkTextPercent(c.value);
        EXPECT_EQ(text, c.text) << kind << " " << c.value;
    }
}

struct BreakCase {
    const char *label;
    int width;
    const char *broken;
    int widest;
};

TEST(ChartLabels, BreakAtBlanksWhereTheLineWouldGrowTooWide)
{
    const std::vector<BreakCase> cases = {
        {"Rig one two three", 70, "Rig one\ntwo\nthree", 70},
        {"Short", 100, "Short", 50},
        {"Two words", 90, "Two words", 90},           // exactly the width: no break
        {"Two words", 89, "Two\nwords", 50},
        {"Longwordwithoutblank more", 50, "Longwordwithoutblank\nmore", 200}, // a long word stays whole
        {"Alpha beta ", 60, "Alpha\nbeta", 50},        // the trailing blank goes
        {"a b c d e f", 30, "a b\nc d\ne f", 30},
    };
    for (const BreakCase &c : cases) {
        int widest = 0;
        EXPECT_EQ(breakLabel(c.label, c.width, tenPerCharacter, widest), c.broken) << c.label;
        EXPECT_EQ(widest, c.widest) << c.label;
    }
}

TEST(ChartScale, FloatScaleOneAndZeroMeanUnits)
{
    EXPECT_FALSE(TChartScale(1.0f).isPercentage());
    EXPECT_FALSE(TChartScale(0.0f).isPercentage());
    EXPECT_FALSE(TChartScale(-0.5f).isPercentage());
    EXPECT_FALSE(TChartScale(std::nanf("")).isPercentage());
    EXPECT_TRUE(TChartScale(0.5f).isPercentage());
    EXPECT_DOUBLE_EQ(TChartScale(0.5f).apply(25), 50);
    // A base of exactly 100 is a percentage chart too, which a float scale
    // of 1.0 cannot say.
    EXPECT_TRUE(TChartScale::percentOf(100.0).isPercentage());
    EXPECT_EQ(TChartScale::percentOf(100.0).apply(100.0), 100.0);
    EXPECT_FALSE(TChartScale::percentOf(0.0).isPercentage());
    EXPECT_FALSE(TChartScale::percentOf(-2.0).isPercentage());
}

TEST(ChartArrows, ArrowSizeFollowsTheClientHeight)
{
    TChartModel model;
    TChartSeries series;
    series.kind = TChartSeriesKind::Arrow;
    for (int i = 0; i < 5; ++i)
        series.addPoint(-i, 10, "", Qt::red);
    model.series.push_back(series);
    applyArrowSize(model, 560);
    EXPECT_EQ(model.series[0].arrowWidth, 20); // (560 - 60) / (5 x 5)
    EXPECT_EQ(model.series[0].arrowHeight, 13);
    applyArrowSize(model, 30); // a chart lower than the margins: no negative arrows
    EXPECT_EQ(model.series[0].arrowWidth, 0);
    EXPECT_EQ(model.series[0].arrowHeight, 0);
}

// A database of projects with results, and a chart to build on.
class ResultCharts : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart.resize(600, 400);
        db = std::make_unique<CPolyraDatabase>();
    }
    void TearDown() override
    {
        db.reset();
        QApplication::clipboard()->clear();
    }
    CBasicProject *add(const std::string &name, std::vector<std::pair<std::uint16_t, float>> results,
                       bool hidden = false)
    {
        Bytes items = image::basicItems(name, "about " + name, 1000.0f, 202);
        for (auto [item, value] : results)
            items = cat({items, floatItem(item, value)});
        CPolyraProject *p = projectOfImage(image::build(items));
        db->addProject(p);
        if (hidden)
            p->setHidden(true);
        return p;
    }
    const TChartSeries &series() const { return chart.model().series.back(); }
    const TChartPoint *pointOf(const CBasicProject *p) const
    {
        for (const TChartPoint &point : series().points)
            if (point.project == p)
                return &point;
        return nullptr;
    }
    std::string markOf(const CBasicProject *p) const
    {
        const auto &points = series().points;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (points[i].project == p)
                return series().markTextOf(static_cast<int>(i));
        return "<none>";
    }
    // The laid-out bar of a project.
    const TChartLayout::Bar *barOf(const CBasicProject *p) const
    {
        for (const auto &bar : chart.layout().bars)
            if (chart.projectOf({bar.series, bar.point}) == p)
                return &bar;
        return nullptr;
    }

    RecordingMessageSink sink;
    TChart chart;
    std::unique_ptr<CPolyraDatabase> db;
};

TEST_F(ResultCharts, NothingToShowHidesTheChart)
{
    // An empty database.
    EXPECT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 0);
    EXPECT_FALSE(chart.model().visible);
    EXPECT_TRUE(chart.model().series.empty());

    // No project has the test.
    add("First", {});
    add("Second", {{polygons1, 0.5f}});
    EXPECT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 0);
    EXPECT_FALSE(chart.model().visible);
    EXPECT_FALSE(chart.layout().visible);
    EXPECT_TRUE(chart.layout().bars.empty());

    // The only projects with the test are hidden.
    add("Third", {{game1Low, 40.0f}}, true);
    add("Fourth", {{game1Low, -2.0f}}); // a status code counts as 0
    EXPECT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 0);

    // Once one shows, so does the chart.
    add("Fifth", {{game1Low, 12.0f}});
    EXPECT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);
    EXPECT_TRUE(chart.model().visible);
}

TEST_F(ResultCharts, UnitsChartOfATest)
{
    CBasicProject *a = add("Alpha", {{game1Low, 30.0f}});
    CBasicProject *b = add("Beta rig", {{game1Low, 57.25f}});
    CBasicProject *c = add("Gamma", {{game1Low, 12.0f}});
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);

    ASSERT_EQ(chart.model().series.size(), 1u);
    EXPECT_EQ(series().kind, TChartSeriesKind::HorizontalBar);
    EXPECT_EQ(series().tag, 2);
    EXPECT_EQ(series().title, "Road Rally - Low Detail");
    EXPECT_EQ(series().colour, QColor(0x10, 0x42, 0x8C));
    EXPECT_FALSE(chart.model().legend);
    ASSERT_EQ(chart.model().titles.size(), 1u);
    EXPECT_EQ(chart.model().titles[0], " (FPS)");

    // One bar per project, at the negated chart row, with its own value.
    ASSERT_EQ(series().points.size(), 3u);
    EXPECT_EQ(pointOf(a)->x, -a->getChartRow());
    EXPECT_EQ(pointOf(b)->y, 57.25);
    EXPECT_EQ(pointOf(c)->label, "Gamma");
    EXPECT_EQ(markOf(b), "57.3");
    EXPECT_FALSE(series().marks.penVisible);
    EXPECT_EQ(series().marks.arrowLength, 8);

    // The axis ends at the database's maximum for the test (80 for a
    // largest value of 57.25), every 5.
    const TChartValueAxis &axis = chart.model().valueAxis;
    EXPECT_FALSE(axis.automatic);
    EXPECT_TRUE(axis.automaticMinimum);
    EXPECT_FALSE(axis.automaticMaximum);
    EXPECT_DOUBLE_EQ(axis.maximum, db->getTestMaximum(2));
    EXPECT_DOUBLE_EQ(axis.maximum, 80);
    EXPECT_DOUBLE_EQ(axis.increment, 5);

    // The label axis is as wide as the widest name in the chart's label font, + 10.
    const QFontMetrics metrics(chart.fonts().labels);
    EXPECT_EQ(chart.model().labelAxis.labelSize, metrics.horizontalAdvance("Beta rig") + 10);
}

TEST_F(ResultCharts, LayoutPlacesBarsTicksAndMarksAlongTheAxis)
{
    CBasicProject *a = add("Alpha", {{game1Low, 40.0f}});
    CBasicProject *b = add("Beta", {{game1Low, 20.0f}});
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 90), 1);
    const TChartLayout &layout = chart.layout();
    EXPECT_EQ(chart.model().labelAxis.labelSize, 90);
    // The value axis starts where the window's "Project Name" header ends.
    EXPECT_DOUBLE_EQ(layout.plot.left(), 90 + 28);
    EXPECT_DOUBLE_EQ(layout.valueMin, 0);
    EXPECT_DOUBLE_EQ(layout.valueMax, 60); // the nice maximum of 40

    // Bars from the axis, as long as their share of the axis.
    const auto *barA = barOf(a);
    const auto *barB = barOf(b);
    ASSERT_TRUE(barA && barB);
    EXPECT_NEAR(barA->rect.left(), layout.plot.left(), 0.01);
    EXPECT_NEAR(barA->rect.width(), layout.plot.width() * 40 / 60, 0.01);
    EXPECT_NEAR(barB->rect.width(), layout.plot.width() * 20 / 60, 0.01);
    // Row 0 (the first position) on top.
    EXPECT_LT(barA->rect.top(), barB->rect.top());

    // Ticks every 5 from 0 to 60 where they fit, never more, in order.
    ASSERT_GE(layout.ticks.size(), 2u);
    EXPECT_LE(layout.ticks.size(), 13u);
    EXPECT_EQ(layout.ticks.front().text, "0");
    EXPECT_DOUBLE_EQ(layout.ticks.front().pixel, layout.plot.left());
    for (std::size_t i = 1; i < layout.ticks.size(); ++i) {
        EXPECT_GT(layout.ticks[i].pixel, layout.ticks[i - 1].pixel);
        EXPECT_DOUBLE_EQ(std::fmod(layout.ticks[i].value, 5), 0);
        EXPECT_FALSE(layout.ticks[i].rect.intersects(layout.ticks[i - 1].rect));
    }

    // Each mark 8 pixels past its bar's end, with the value's text.
    ASSERT_EQ(layout.marks.size(), 2u);
    for (const auto &mark : layout.marks) {
        const auto *bar = mark.point == barA->point ? barA : barB;
        EXPECT_NEAR(mark.rect.left(), bar->rect.right() + 8, 0.01);
        EXPECT_NEAR(mark.rect.center().y(), bar->rect.center().y(), 1);
    }
    // Labels right of the label area, left of the axis.
    ASSERT_EQ(layout.labels.size(), 2u);
    for (const auto &label : layout.labels)
        EXPECT_LE(label.rect.right(), layout.plot.left());
}

TEST_F(ResultCharts, PercentOfTheBaseProjectMakesItsBarExactlyAHundred)
{
    add("Other", {{game1Low, 30.0f}});
    CBasicProject *base = add("Base", {{game1Low, 57.3f}});
    const double baseValue = base->getTestResult(base->getTestValue(2));
    // As the window passes it: 0.01 x the base value, as a float.
    const float scale = static_cast<float>(0.01 * baseValue);
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, scale, false, 0), 1);
    EXPECT_EQ(pointOf(base)->y, 100.0);
    EXPECT_EQ(markOf(base), "100.0 %");
    EXPECT_EQ(chart.model().valueAxis.increment, 10.0);
    EXPECT_TRUE(chart.model().valueAxis.automatic);
    EXPECT_DOUBLE_EQ(chart.layout().valueMax, 100.0);
    // The mark of the longest bar still fits in the chart.
    for (const auto &mark : chart.layout().marks)
        EXPECT_LE(mark.rect.right(), chart.width());

    // A base value of exactly 100 stays a percentage chart.
    CBasicProject *hundred = add("Hundred", {{game1Low, 100.0f}});
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, TChartScale::percentOf(100.0), false, 0), 1);
    EXPECT_EQ(pointOf(hundred)->y, 100.0);
    EXPECT_EQ(markOf(hundred), "100.0 %");
    EXPECT_EQ(chart.model().valueAxis.increment, 10.0);
}

TEST_F(ResultCharts, AZeroBaseShowsUnitsThroughout)
{
    add("Zero", {{game1Low, 0.0f}});
    CBasicProject *other = add("Other", {{game1Low, 57.25f}});
    // A base project with 0, or with a status code, gives the window's scale 0.
    for (float scale : {0.0f, -0.02f}) {
        ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, scale, false, 0), 1) << scale;
        EXPECT_EQ(pointOf(other)->y, 57.25);
        EXPECT_EQ(markOf(other), "57.3") << "units marks, not percentages";
        const TChartValueAxis &axis = chart.model().valueAxis;
        EXPECT_FALSE(axis.automatic) << "a units axis";
        EXPECT_DOUBLE_EQ(axis.maximum, 80);
        EXPECT_DOUBLE_EQ(axis.increment, 5);
    }
}

TEST_F(ResultCharts, LabelsWiderThanTheGivenWidthAreBroken)
{
    add("Radeon rig with a long name", {{game1Low, 30.0f}});
    add("Short", {{game1Low, 20.0f}});
    const QFontMetrics metrics(chart.fonts().labels);
    const int width = metrics.horizontalAdvance("Radeon rig with") + 1;
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, width), 1);
    int dummy = 0;
    const std::string expected = breakLabel("Radeon rig with a long name", width, chart.labelWidthFunction(), dummy);
    EXPECT_NE(expected.find('\n'), std::string::npos);
    EXPECT_EQ(series().points[0].label, expected);
    EXPECT_EQ(series().points[1].label, "Short");
    EXPECT_EQ(chart.model().labelAxis.labelSize, width);
    // A broken label takes a line of the chart for each of its lines.
    const auto &labels = chart.layout().labels;
    ASSERT_FALSE(labels.empty());
    EXPECT_GT(labels[0].rect.height(), metrics.height() * 1.5);
}

TEST_F(ResultCharts, AProjectTheNumberingMissesGetsARowOfItsOwn)
{
    add("A", {{game1Low, 10.0f}});
    CBasicProject *b = add("B", {{game1Low, 20.0f}});
    CBasicProject *c = add("C", {{game1Low, 30.0f}});
    // Positions 1 and 2 are missing: the numbering finds A only, and B and C
    // keep the rows of an earlier chart.
    b->setPosition(5);
    c->setPosition(6);
    b->setChartRow(0);
    c->setChartRow(0);
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);
    std::vector<double> positions;
    for (const TChartPoint &point : series().points)
        positions.push_back(point.x);
    std::sort(positions.begin(), positions.end());
    EXPECT_EQ(positions, (std::vector<double>{-2, -1, 0}));
    const auto &bars = chart.layout().bars;
    ASSERT_EQ(bars.size(), 3u);
    for (std::size_t i = 0; i < bars.size(); ++i)
        for (std::size_t j = i + 1; j < bars.size(); ++j)
            EXPECT_FALSE(bars[i].rect.intersects(bars[j].rect)) << i << " " << j;
}

// List order A, B, C, D; positions C, B, D, A; D hidden: the chart shows
// C, B, A from the top.
class ChartClicks : public ResultCharts {
protected:
    void SetUp() override
    {
        ResultCharts::SetUp();
        a = add("A", {{game1Low, 40.0f}});
        b = add("B", {{game1Low, 30.0f}});
        c = add("C", {{game1Low, 20.0f}});
        d = add("D", {{game1Low, 50.0f}}, true);
        a->setPosition(3);
        b->setPosition(1);
        c->setPosition(0);
        d->setPosition(2);
        ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);
    }
    QPoint centreOf(const CBasicProject *p) const { return barOf(p)->rect.center().toPoint(); }

    CBasicProject *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
};

TEST_F(ChartClicks, ABarMapsToItsOwnProject)
{
    ASSERT_EQ(chart.layout().bars.size(), 3u);
    EXPECT_EQ(barOf(d), nullptr);
    EXPECT_LT(barOf(c)->rect.top(), barOf(b)->rect.top());
    EXPECT_LT(barOf(b)->rect.top(), barOf(a)->rect.top());
    for (CBasicProject *p : {a, b, c}) {
        const TChartHit hit = chart.barAt(centreOf(p));
        ASSERT_TRUE(hit.valid()) << p->getName();
        EXPECT_EQ(chart.projectOf(hit), p);
    }
    // Left of the axis there is no bar.
    EXPECT_FALSE(chart.barAt(QPoint(5, centreOf(b).y())).valid());
}

TEST_F(ChartClicks, ARowClickCountsWhereTheBarIsAtLeastAsLong)
{
    const TChartLayout &layout = chart.layout();
    const int y = centreOf(b).y();
    // On the label, on the bar and just short of its end: B.
    for (double x : {5.0, layout.plot.left() + 2, barOf(b)->rect.right() - 1})
        EXPECT_EQ(chart.projectOf(chart.rowAt(QPointF(x, y).toPoint())), b) << x;
    // Past the bar's end: none.
    EXPECT_FALSE(chart.rowAt(QPoint(int(barOf(b)->rect.right()) + 3, y)).valid());
    // Between the bars of a row band, off the bar itself, still its row.
    const QRectF &row = barOf(a)->row;
    EXPECT_EQ(chart.projectOf(chart.rowAt(QPoint(int(layout.plot.left()) + 2, int(row.top()) + 1))), a);
}

TEST_F(ChartClicks, ClickSignalsCarryTheBarsProjectAndSurviveARebuild)
{
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    std::vector<std::pair<CBasicProject *, bool>> barClicks;
    std::vector<QPoint> plainClicks;
    QObject::connect(&chart, &TChart::barClicked,
                     [&](int, int, CBasicProject *project, Qt::KeyboardModifiers, bool doubleClick) {
                         barClicks.emplace_back(project, doubleClick);
                         // As the window does in percentage mode: the project
                         // becomes the base and the chart is built again.
                         const double base = project->getTestResult(project->getTestValue(2));
                         buildResultChart(chart, db.get(), nullptr, 2, TChartScale::percentOf(base), false, 0);
                     });
    QObject::connect(&chart, &TChart::chartClicked, [&](QPoint at) { plainClicks.push_back(at); });

    const QPoint atB = centreOf(b);
    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, atB);
    ASSERT_EQ(barClicks.size(), 1u);
    EXPECT_EQ(barClicks[0], std::make_pair(b, false));
    ASSERT_EQ(plainClicks.size(), 1u);
    EXPECT_EQ(plainClicks[0], atB);
    EXPECT_EQ(pointOf(b)->y, 100.0);

    barClicks.clear();
    doubleClick(&chart, centreOf(c));
    ASSERT_FALSE(barClicks.empty());
    EXPECT_EQ(barClicks.back(), std::make_pair(c, true));

    // A click off the bars is a plain click only.
    barClicks.clear();
    plainClicks.clear();
    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, QPoint(chart.width() - 3, 3));
    EXPECT_TRUE(barClicks.empty());
    EXPECT_EQ(plainClicks.size(), 1u);
}

TEST_F(ChartClicks, HoverNamesTheProjectAndLeavingClearsIt)
{
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    std::vector<CBasicProject *> hovers;
    QObject::connect(&chart, &TChart::hoverChanged,
                     [&](int, int, CBasicProject *project) { hovers.push_back(project); });
    QTest::mouseMove(&chart, centreOf(a));
    QTest::mouseMove(&chart, centreOf(a) + QPoint(1, 0)); // the same bar: no new hint
    ASSERT_EQ(hovers.size(), 1u);
    EXPECT_EQ(hovers[0], a);
    EXPECT_EQ(chart.toolTip(), "A");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&chart, &leave);
    ASSERT_EQ(hovers.size(), 2u);
    EXPECT_EQ(hovers[1], nullptr);
    EXPECT_TRUE(chart.toolTip().isEmpty());
    EXPECT_FALSE(chart.hoveredBar().valid());
}

TEST_F(ChartClicks, DrawingSignalsNothing)
{
    int emitted = 0;
    QObject::connect(&chart, &TChart::barClicked, [&] { ++emitted; });
    QObject::connect(&chart, &TChart::chartClicked, [&] { ++emitted; });
    QObject::connect(&chart, &TChart::hoverChanged, [&] { ++emitted; });
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    for (int i = 0; i < 3; ++i) {
        chart.repaint();
        chart.grab();
        QApplication::processEvents();
    }
    EXPECT_EQ(emitted, 0);
}

TEST_F(ResultCharts, ATinyBaseThinsTheTicksToWhatFits)
{
    CBasicProject *tiny = add("Tiny", {{game1Low, 0.001f}});
    add("Huge", {{game1Low, 1000.0f}});
    const double base = tiny->getTestResult(tiny->getTestValue(2));
    // 1000 is 10^8 percent of 0.001: every 10 would be 10^7 ticks.
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, static_cast<float>(0.01 * base), false, 0), 1);
    EXPECT_EQ(chart.model().valueAxis.increment, 10.0);
    const TChartLayout &layout = chart.layout();
    ASSERT_GE(layout.ticks.size(), 2u);
    EXPECT_LE(double(layout.ticks.size()), layout.plot.width() / 10 + 1);
    for (std::size_t i = 1; i < layout.ticks.size(); ++i) {
        EXPECT_GT(layout.ticks[i].value, layout.ticks[i - 1].value);
        EXPECT_FALSE(layout.ticks[i].rect.intersects(layout.ticks[i - 1].rect));
    }
    const QImage image = chart.renderImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_LT(timer.elapsed(), 5000);

    // A far-off axis with a tiny increment, and one too far off for its
    // ends to differ in a double.
    for (double start : {1e15, 1e20}) {
        TChartModel model;
        TChartSeries far;
        far.addPoint(0, start + 1000, "far", Qt::red);
        model.series.push_back(far);
        model.valueAxis.automatic = false;
        model.valueAxis.automaticMinimum = false;
        model.valueAxis.automaticMaximum = false;
        model.valueAxis.minimum = start;
        model.valueAxis.maximum = start + 1000;
        model.valueAxis.increment = 1e-3;
        const TChartLayout farLayout = layoutChart(model, QSize(600, 400), TChartFonts::defaults());
        EXPECT_GE(farLayout.ticks.size(), 1u) << start;
        EXPECT_LE(double(farLayout.ticks.size()), farLayout.plot.width() / 10 + 1) << start;
    }
}

TEST_F(ResultCharts, ReportChartOfAGroupWithAMissingTest)
{
    // Test 25 has no catalogue entry: its point is 0 and nothing breaks.
    CBasicProject *p = add("Report rig", {{polygons1, 12.5f}, {polygons8, 3.25f}});
    TChartModel model;
    ASSERT_EQ(buildReportChart(model, nullptr, p, 0x806, 1.0f, false, tenPerCharacter), 1);
    EXPECT_TRUE(model.visible);
    ASSERT_EQ(model.series.size(), 1u);
    const TChartSeries &s = model.series[0];
    EXPECT_EQ(s.kind, TChartSeriesKind::Line); // report modes lie above the bar modes
    EXPECT_EQ(s.title, "Polygon Throughput");
    ASSERT_EQ(s.points.size(), 3u);
    // From the last test to the first.
    const std::vector<std::tuple<double, double, std::string>> expected = {
        {3, 0.0, "3"}, {2, 3.25, "2"}, {1, 12.5, "1"}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.points[i].x, std::get<0>(expected[i]));
        EXPECT_EQ(s.points[i].y, std::get<1>(expected[i]));
        EXPECT_EQ(s.points[i].label, std::get<2>(expected[i]));
    }
    EXPECT_EQ(s.tag, 23);
    ASSERT_EQ(model.titles.size(), 1u);
    EXPECT_EQ(model.titles[0], "Polygon Throughput");
    EXPECT_TRUE(model.valueAxis.automatic);
    EXPECT_EQ(s.markTextOf(0), ""); // units without a database: the plain texts
    EXPECT_EQ(s.markTextOf(2), "13");

    // Laid out as a line, left to right by position.
    const TChartLayout layout = layoutChart(model, QSize(500, 300), TChartFonts::defaults());
    EXPECT_FALSE(layout.horizontal);
    ASSERT_EQ(layout.lines.size(), 1u);
    ASSERT_EQ(layout.lines[0].size(), 3u);
    EXPECT_LT(layout.lines[0][0].x(), layout.lines[0][1].x());
    EXPECT_LT(layout.lines[0][0].y(), layout.lines[0][2].y()); // 12.5 above 0
    EXPECT_EQ(layout.labels.size(), 3u);

    // Without a project every point is 0; the texture group takes its labels.
    ASSERT_EQ(buildReportChart(model, nullptr, nullptr, 0x807, 1.0f, false, tenPerCharacter), 1);
    ASSERT_EQ(model.series[0].points.size(), 4u);
    std::vector<double> xs;
    for (const TChartPoint &point : model.series[0].points) {
        xs.push_back(point.x);
        EXPECT_EQ(point.y, 0.0);
    }
    EXPECT_EQ(xs, (std::vector<double>{32, 16, 8, 4}));
    EXPECT_EQ(model.valueAxis.title, "Texture Size(MB)");

    // A report mode past the table builds an empty chart.
    ASSERT_EQ(buildReportChart(model, nullptr, p, 0x80B, 1.0f, false, tenPerCharacter), 1);
    EXPECT_TRUE(model.series[0].points.empty());
    EXPECT_TRUE(model.titles.empty());
}

TEST_F(ResultCharts, CopyPutsABitmapAndAnSvgPicture)
{
    add("Alpha", {{game1Low, 40.0f}});
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);
    ASSERT_TRUE(chart.copyToClipboard());
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), chart.size());
    const QByteArray svg = data->data("image/svg+xml");
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
    EXPECT_TRUE(svg.contains("Alpha"));
    EXPECT_TRUE(sink.requests.empty());
}

TEST_F(ResultCharts, ACopyTooLargeForABitmapIsToldNotCrashed)
{
    add("Alpha", {{game1Low, 40.0f}});
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);
    QApplication::clipboard()->setText("before");
    // Wider than any image can be.
    EXPECT_FALSE(chart.copyToClipboard(QSize(70'000'000, 10)));
    ASSERT_EQ(sink.requests.size(), 1u);
    EXPECT_EQ(sink.requests[0].kind, MessageRequest::Kind::AppMessage);
    EXPECT_EQ(sink.requests[0].text, "Not enough memory to copy the chart.");
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

TEST_F(ResultCharts, AThousandBarsPaintOnlyTheLabelsAndMarksThatFit)
{
    for (int i = 0; i < 1000; ++i)
        add("Rig " + std::to_string(i), {{game1Low, 10.0f + float(i % 90)}});
    ASSERT_EQ(buildResultChart(chart, db.get(), nullptr, 2, 1.0f, false, 0), 1);
    const TChartLayout &layout = chart.layout();
    EXPECT_EQ(layout.bars.size(), 1000u);
    const QFontMetrics metrics(chart.fonts().labels);
    EXPECT_LE(double(layout.labels.size()), layout.plot.height() / metrics.height() + 2);
    EXPECT_LE(double(layout.marks.size()), layout.plot.height() / metrics.height() + 2);
    for (std::size_t i = 1; i < layout.labels.size(); ++i)
        EXPECT_FALSE(layout.labels[i].rect.intersects(layout.labels[i - 1].rect));
}

} // namespace
