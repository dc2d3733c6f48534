#include "resultchart.h"

#include <QFontMetrics>
#include <cmath>

#include "Cp1252.h"
#include "FormatFloat.h"
#include "marktexts.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uTestList.h"

namespace {

constexpr int overallTests[] = {1};
constexpr int game1Tests[] = {2, 3};
constexpr int game2Tests[] = {4, 5};
constexpr int game3Tests[] = {6, 7};
constexpr int game4Tests[] = {9};
constexpr int fillRateTests[] = {17, 18};
constexpr int polygonTests[] = {23, 24, 25};
constexpr int textureTests[] = {12, 13, 15, 14};
constexpr int textureSizes[] = {0, 4, 8, 16, 32, 64};
constexpr int bumpTests[] = {19, 20};

bool isReportMode(int mode_)
{
    return mode_ >= chartModeReportFirst && mode_ < chartModeReportEnd;
}

// Status codes and values a damaged file may hold count as 0.
double chartValue(double value_)
{
    return std::isfinite(value_) && value_ > 0 ? value_ : 0.0;
}

int buildModel(TChartModel &model_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
               TChartScale scale_, bool keepTitle_, int labelWidth_, TChartBuildContext &context_, bool report_,
               int clientHeight_)
{
    context_.widestLabel = 0;
    model_.legend = false;
    if (!keepTitle_) {
        model_.titles.clear();
        model_.series.clear();
    }
    if (database_ && database_->getProjectCount() == 0) {
        model_.visible = false;
        return 0;
    }
    model_.valueAxis.automatic = false;
    model_.valueAxis.automaticMaximum = false;
    model_.valueAxis.automaticMinimum = true;

    TChartSeries added;
    if (mode_ < chartModeBarsEnd)
        added.kind = TChartSeriesKind::HorizontalBar;
    else if (mode_ == chartModeArrows && !report_)
        added.kind = TChartSeriesKind::Arrow;
    else
        added.kind = TChartSeriesKind::Line;
    // A line shows its points; marks would crowd it.
    added.marks.visible = added.kind != TChartSeriesKind::Line;
    model_.series.push_back(std::move(added));
    TChartSeries &series = model_.series.back();
    series.colour = barColour(static_cast<int>(model_.series.size()));
    fillSeries(series, database_, project_, mode_, scale_, labelWidth_, context_);

    if (report_) {
        model_.visible = true;
        setupAxes(database_, project_, series, model_.valueAxis, model_.labelAxis, model_.titles, mode_, scale_, 0,
                  context_.widestLabel);
        return 1;
    }
    if (!(series.maxValue() > 0)) {
        model_.visible = false;
        return 0;
    }
    setupAxes(database_, project_, series, model_.valueAxis, model_.labelAxis, model_.titles, mode_, scale_,
              labelWidth_, context_.widestLabel);
    if (series.kind == TChartSeriesKind::Arrow) {
        series.marks.opaque = true;
        series.marks.penVisible = true;
        series.marks.style = msLabel;
        applyArrowSize(model_, clientHeight_);
    }
    model_.visible = true;
    return 1;
}

} // namespace

TChartScale::TChartScale(float scale_)
{
    if (std::isfinite(scale_) && scale_ > 0 && scale_ != 1.0f) {
        percentage = true;
        baseValue = double(scale_) * 100.0;
    }
}

TChartScale TChartScale::percentOf(double baseValue_)
{
    TChartScale scale;
    if (std::isfinite(baseValue_) && baseValue_ > 0) {
        scale.percentage = true;
        scale.baseValue = baseValue_;
    }
    return scale;
}

double TChartScale::apply(double value_) const
{
    if (!percentage)
        return value_;
    double percent = value_ / baseValue * 100.0;
    // A float divisor carries seven digits: kept to four decimals, the base
    // project's own bar comes out as exactly 100.
    if (std::fabs(percent) < 1e12)
        percent = std::round(percent * 1e4) / 1e4;
    return percent;
}

QColor colorFromTColor(std::uint32_t colour_)
{
    return QColor(int(colour_ & 0xFF), int((colour_ >> 8) & 0xFF), int((colour_ >> 16) & 0xFF));
}

QColor barColour(int seriesCount_)
{
    const int index = seriesCount_ > 0 ? (seriesCount_ - 1) % int(barColourTable.size()) : 0;
    return colorFromTColor(barColourTable[std::size_t(index)]);
}

const std::array<TReportChartRow, 9> reportChartTable = {{
    {0x800, overallTests, "Overall Score", "", "Test", {}, 0},
    {0x801, game1Tests, "Game1 Scenes", "2", "", {}, 0},
    {0x802, game2Tests, "Game2 Scenes", "2", "", {}, 0},
    {0x803, game3Tests, "Game3 Scenes", "2", "", {}, 0},
    {0x804, game4Tests, "Game4 Scenes", "2", "", {}, 0},
    {0x805, fillRateTests, "Fill Rate", "3", "", {}, 0},
    {0x806, polygonTests, "Polygon Throughput", "", "", {}, 0},
    {0x807, textureTests, "Texture Usage", "Texture Size(MB)", nullptr, textureSizes, 0},
    {0x808, bumpTests, "Bump Mapping", "", "", {}, 0},
}};

const TReportChartRow *findReportChartRow(int mode_)
{
    for (const TReportChartRow &row : reportChartTable)
        if (row.mode == mode_)
            return &row;
    return nullptr;
}

int lastPositiveIndex(std::span<const int> list_)
{
    for (std::size_t i = list_.size(); i > 0; --i)
        if (list_[i - 1] > 0)
            return static_cast<int>(i);
    return 0;
}

double axisIncrement(double maximum_)
{
    if (!(maximum_ > 10) || !std::isfinite(maximum_))
        return 1.0;
    const double logarithm = std::log10(maximum_);
    // The integer part exactly, also where log10 lands a hair below a power of ten.
    double digits = std::floor(logarithm);
    if (std::pow(10.0, digits + 1) <= maximum_)
        digits += 1;
    else if (std::pow(10.0, digits) > maximum_)
        digits -= 1;
    double increment = std::pow(10.0, digits - 1);
    if (logarithm > 1.7)
        increment *= 5;
    else if (logarithm > 1.3)
        increment *= 2;
    return increment;
}

std::string breakLabel(const std::string &label_, int labelWidth_, const TTextWidth &measure_, int &widestLine_)
{
    std::string text = label_;
    if (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (!measure_)
        return text;
    std::size_t lineStart = 0;
    std::size_t lastBlank = std::string::npos;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ')
            continue;
        // The line so far, up to this blank or the end.
        if (lastBlank != std::string::npos && measure_(text.substr(lineStart, i - lineStart)) > labelWidth_) {
            text[lastBlank] = '\n';
            lineStart = lastBlank + 1;
        }
        if (i < text.size())
            lastBlank = i;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        widestLine_ = std::max(widestLine_, measure_(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return text;
}

const TTestList *databaseCatalogue(const CBasicDatabase *database_)
{
    const TDatabaseTestList *ranges = database_ ? database_->getTestRanges() : nullptr;
    return ranges ? &ranges->getTestList() : nullptr;
}

int buildResultChart(TChart &chart_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
                     TChartScale scale_, bool keepTitle_, int labelWidth_)
{
    TChartBuildContext context;
    context.measure = chart_.labelWidthFunction();
    const int result = buildModel(chart_.model(), database_, project_, mode_, scale_, keepTitle_, labelWidth_, context,
                                  false, chart_.height());
    chart_.modelChanged();
    return result;
}

int buildReportChart(TChartModel &model_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
                     TChartScale scale_, bool keepTitle_, TTextWidth measure_)
{
    TChartBuildContext context;
    if (measure_) {
        context.measure = std::move(measure_);
    } else {
        const QFontMetrics metrics(TChartFonts::defaults().labels);
        context.measure = [metrics](const std::string &text_) { return metrics.horizontalAdvance(fromCp1252(text_)); };
    }
    return buildModel(model_, database_, project_, mode_, scale_, keepTitle_, 0, context, true, 0);
}

void fillSeries(TChartSeries &series_, CBasicDatabase *database_, CBasicProject *project_, int mode_,
                TChartScale scale_, int labelWidth_, TChartBuildContext &context_)
{
    if (database_) {
        // A project the numbering does not reach (its position lies beyond
        // the list) gets a row after the others rather than an old one that
        // another bar may have taken since.
        for (int i = 0; i < database_->getProjectCount(); ++i)
            database_->getProject(i)->setChartRow(-1);
        database_->numberVisibleProjects();
        int next = 0;
        for (int i = 0; i < database_->getProjectCount(); ++i) {
            const CBasicProject *p = database_->getProject(i);
            if (!p->isHidden())
                next = std::max(next, p->getChartRow() + 1);
        }
        for (int i = 0; i < database_->getProjectCount(); ++i) {
            CBasicProject *p = database_->getProject(i);
            if (!p->isHidden() && p->getChartRow() < 0)
                p->setChartRow(next++);
        }
    }

    const TTestList *catalogue = databaseCatalogue(database_);
    if (scale_.isPercentage()) {
        series_.markText = [](const TChartSeries &, double value_, const std::string &) {
            return chartMarkTextPercent(value_);
        };
    } else if (catalogue) {
        series_.markText = [catalogue](const TChartSeries &owner_, double value_, const std::string &text_) {
            return chartMarkTextByTest(*catalogue, owner_.tag, value_, text_);
        };
    } else {
        series_.markText = [](const TChartSeries &, double value_, const std::string &) {
            return chartMarkTextPlain(value_);
        };
    }
    series_.clear();
    plainMarks(series_);

    if (mode_ < chartModeTestNames && database_) {
        series_.tag = mode_;
        if (catalogue) {
            if (const TestTableRow *row = catalogue->findTestRow(mode_))
                series_.title = getTestTitle(*row, 1);
        }
        for (int i = 0; i < database_->getProjectCount(); ++i) {
            CBasicProject *p = database_->getProject(i);
            addProjectBar(series_, p, series_.colour, -p->getChartRow(), mode_, scale_, labelWidth_, context_);
        }
        return;
    }
    if (database_ || !isReportMode(mode_))
        return;
    const TReportChartRow *row = findReportChartRow(mode_);
    if (row == nullptr)
        return;
    series_.title = row->title;
    for (int position = lastPositiveIndex(row->tests); position >= 1; --position) {
        const int id = row->tests[std::size_t(position - 1)];
        if (id <= 0)
            continue;
        series_.tag = id;
        // Test 25 has no catalogue entry: no value, a point at 0.
        const TTestValue *entry = project_ ? project_->getTestValue(id) : nullptr;
        const double value = entry ? chartValue(project_->getTestResult(entry)) : 0.0;
        const double x = std::size_t(position) < row->labels.size() ? row->labels[std::size_t(position)] : position;
        series_.addPoint(x, value, formatFloat("0", x), series_.colour, project_);
    }
}

void addProjectBar(TChartSeries &series_, CBasicProject *project_, const QColor &colour_, int position_, int mode_,
                   TChartScale scale_, int labelWidth_, TChartBuildContext &context_)
{
    if (project_ == nullptr || project_->isHidden() || !context_.measure)
        return;
    TTestValue *entry = project_->getTestValue(series_.tag);
    const double value = entry ? chartValue(project_->getTestResult(entry)) : 0.0;
    std::string label;
    if (mode_ < chartModeTestNames)
        label = project_->getName();
    else if (mode_ < chartModeBarsEnd)
        label = project_->getTestName(entry, mode_);
    const int width = context_.measure(label);
    if (labelWidth_ <= 0)
        context_.widestLabel = std::max(context_.widestLabel, width);
    else if (width > labelWidth_)
        label = breakLabel(label, labelWidth_, context_.measure, context_.widestLabel);
    double shown = scale_.apply(value);
    if (!std::isfinite(shown))
        shown = 0;
    series_.addPoint(position_, shown, label, colour_, project_);
}

void setupAxes(CBasicDatabase *database_, CBasicProject *, TChartSeries &series_, TChartValueAxis &valueAxis_,
               TChartLabelAxis &labelAxis_, std::vector<std::string> &title_, int mode_, TChartScale scale_,
               int labelWidth_, int widestLabel_)
{
    valueAxis_.logarithmic = false;
    valueAxis_.title.clear();
    labelAxis_.title.clear();
    if (labelWidth_ > 0)
        labelAxis_.labelSize = labelWidth_;
    else if (widestLabel_ <= 300)
        labelAxis_.labelSize = widestLabel_ + 10;
    else
        labelAxis_.labelSize = std::min(300, (widestLabel_ + 20) / 2);

    const TReportChartRow *report = isReportMode(mode_) ? findReportChartRow(mode_) : nullptr;
    if (report) {
        valueAxis_.logarithmic = report->logarithmic != 0;
        labelAxis_.title = report->labelTitle ? report->labelTitle : "";
        valueAxis_.title = report->valueTitle ? report->valueTitle : "";
    }
    if (series_.minValue() < 0) {
        valueAxis_.automaticMinimum = false;
        valueAxis_.minimum = 0;
    }
    if (!scale_.isPercentage() && mode_ < chartModeBarsEnd) {
        valueAxis_.maximum = database_ ? database_->getTestMaximum(mode_) : niceMaximum(series_.maxValue());
        valueAxis_.increment = axisIncrement(valueAxis_.maximum);
    } else {
        valueAxis_.automatic = true;
        if (scale_.isPercentage())
            valueAxis_.increment = 10.0;
    }
    if (mode_ < chartModeTestNames) {
        if (const TTestList *catalogue = databaseCatalogue(database_)) {
            if (const TestTableRow *row = catalogue->findTestRow(mode_))
                title_.push_back(getTestTitle(*row, 0x103));
        }
    } else if (report) {
        title_.push_back(report->title);
    }
}

void plainMarks(TChartSeries &series_)
{
    series_.marks.penVisible = false;
    series_.marks.arrowLength = 8;
    series_.marks.style = msValue;
}

void applyArrowSize(TChartModel &model_, int clientHeight_)
{
    for (TChartSeries &series : model_.series) {
        if (series.kind != TChartSeriesKind::Arrow || series.points.empty())
            continue;
        const int n = static_cast<int>(series.points.size());
        series.arrowWidth = std::max(0, (clientHeight_ - 60) / (5 * n));
        series.arrowHeight = 2 * series.arrowWidth / 3;
    }
}
