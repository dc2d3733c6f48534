#pragma once

// Fills charts with results: one bar per project for a test of a database
// (the database window), or one project's results of a test group (the
// report).

#include <QColor>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "chartmodel.h"
#include "chartwidget.h"

class CBasicDatabase;
class CBasicProject;
class TTestList;

// Chart modes besides a catalogue test id (below 100).
constexpr int chartModeTestNames = 100;    // 100 to 2047: bars named by the project's test name
constexpr int chartModeBarsEnd = 2048;     // bar series below, others above
constexpr int chartModeReportFirst = 0x800;
constexpr int chartModeReportEnd = 0x80D;  // report modes: 0x800 up to here, not included
constexpr int chartModeArrows = 0x1000;

// How values are shown: in their units, or as a percentage of a base
// value. Made from a float scale as the window passes it: 1.0 means units,
// any other value is the divisor (0.01 x the base value); 0, a negative or a
// non-number divisor means units too.
class TChartScale {
public:
    TChartScale(float scale_ = 1.0f);
    // Percentages of baseValue_; a base of 0 or below shows units. Unlike a
    // float divisor this keeps a base of exactly 100 a percentage chart.
    static TChartScale percentOf(double baseValue_);

    bool isPercentage() const { return percentage; }
    double base() const { return baseValue; }
    // The value as the chart shows it.
    double apply(double value_) const;

private:
    bool percentage = false;
    double baseValue = 100.0;
};

// What one build measures and remembers: the label width function (empty:
// no canvas, so no project bar is added) and the widest label so far.
struct TChartBuildContext {
    TTextWidth measure;
    int widestLabel = 0;
};

// TColor values (0x00BBGGRR) of the bars; series n takes entry (n - 1) mod 4.
inline constexpr std::array<std::uint32_t, 4> barColourTable = {0x8C4210, 0xFF4210, 0x8C42FF, 0xFFFFFF};
QColor colorFromTColor(std::uint32_t colour_);
// The colour of the last series of a chart that has seriesCount_ series.
QColor barColour(int seriesCount_);

// One row of reportChartTable.
struct TReportChartRow {
    int mode;
    std::span<const int> tests;   // tests[0] is position 1
    const char *title;
    const char *valueTitle;       // the "second text"
    const char *labelTitle;       // the "third text"; null: none
    std::span<const int> labels;  // indexed by position; empty: the position itself
    int logarithmic;
};
extern const std::array<TReportChartRow, 9> reportChartTable;
// The row of a report mode; null for a mode the table has no row for.
const TReportChartRow *findReportChartRow(int mode_);

// The last 1-based index whose entry is above 0; 0 when none is.
int lastPositiveIndex(std::span<const int> list_);

// The value-axis increment for a units axis ending at maximum_.
double axisIncrement(double maximum_);

// Breaks label_ at blanks so that no line is wider than labelWidth_ where a
// blank allows it; a trailing blank goes. widestLine_ is raised to the
// widest line.
std::string breakLabel(const std::string &label_, int labelWidth_, const TTextWidth &measure_, int &widestLine_);

// The catalogue a database's charts use, or null.
const TTestList *databaseCatalogue(const CBasicDatabase *database_);

// The result chart of mode_ (a catalogue test id for the database window):
// 1 when it shows data, 0 when it was hidden.
int buildResultChart(TChart &chart_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
                     TChartScale scale_, bool keepTitle_, int labelWidth_);
// The same on a model without a widget (the report's chart); labels are
// measured by measure_ (empty: the default label font). 1, or 0 for a
// database without projects.
int buildReportChart(TChartModel &model_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
                     TChartScale scale_, bool keepTitle_, TTextWidth measure_ = {});

void fillSeries(TChartSeries &series_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
                TChartScale scale_, int labelWidth_, TChartBuildContext &context_);
// position_ is the negated chart row of the project.
void addProjectBar(TChartSeries &series_, CBasicProject *project_, const QColor &colour_, int position_, int mode_,
                   TChartScale scale_, int labelWidth_, TChartBuildContext &context_);
void setupAxes(CBasicDatabase *database_, CBasicProject *project_, TChartSeries &series_,
               TChartValueAxis &valueAxis_, TChartLabelAxis &labelAxis_, std::vector<std::string> &title_,
               int mode_, TChartScale scale_, int labelWidth_, int widestLabel_);
// Marks without a frame, 8 pixels off their bar, showing the value.
void plainMarks(TChartSeries &series_);
// Arrow series: their arrows' size for the chart's client height.
void applyArrowSize(TChartModel &model_, int clientHeight_);
