#include "chartmodel.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <limits>

#include "Cp1252.h"
#include "FormatFloat.h"

namespace {

// Bars fill this share of their row; the rest keeps neighbours apart.
constexpr double barShare = 0.7;
constexpr double tickLength = 4;
constexpr double textGap = 4;

bool isFiniteValue(double v_)
{
    return std::isfinite(v_);
}

std::string defaultValueText(double value_)
{
    return formatFloat("#,##0.###", value_);
}

std::vector<std::string> splitLines(const std::string &text_)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text_.find('\n', start);
        lines.push_back(text_.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

class Measure {
public:
    Measure(const QFont &font_, const QPaintDevice *device_)
        : metrics(device_ ? QFontMetricsF(font_, device_) : QFontMetricsF(font_))
    {
    }
    double width(const std::string &text_) const
    {
        double widest = 0;
        for (const std::string &line : splitLines(text_))
            widest = std::max(widest, metrics.horizontalAdvance(fromCp1252(line)));
        return widest;
    }
    double lineHeight() const { return metrics.height(); }
    double height(const std::string &text_) const
    {
        return lineHeight() * double(1 + std::count(text_.begin(), text_.end(), '\n'));
    }

private:
    QFontMetricsF metrics;
};

// The smallest of base x 1, 2, 5 x 10^k (k >= 0) that is at least required.
double stepAtLeast(double base_, double required_)
{
    if (!(required_ > base_))
        return base_;
    const double ratio = required_ / base_;
    if (!isFiniteValue(ratio))
        return required_;
    const double decade = std::pow(10.0, std::floor(std::log10(ratio)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        const double step = base_ * m * decade;
        if (step >= required_ * (1 - 1e-9))
            return isFiniteValue(step) ? step : required_;
    }
    return required_;
}

struct TickPlan {
    double first = 0;
    double step = 1;
    long count = 0;
};

// Ticks every increment, thinned to multiples of it until neighbours are
// at least spacing_ pixels apart. The count never exceeds what the axis
// holds, whatever the increment and the range.
TickPlan planLinearTicks(double min_, double max_, double increment_, double length_, double spacing_)
{
    TickPlan plan;
    const double range = max_ - min_;
    if (!(range > 0) || !isFiniteValue(range) || !(length_ > 0))
        return plan;
    const double intervals = std::max(1.0, std::floor(length_ / std::max(spacing_, 1.0)));
    const double required = range / intervals;
    double base = increment_;
    if (!(base > 0) || !isFiniteValue(base))
        base = std::pow(10.0, std::floor(std::log10(required)));
    plan.step = stepAtLeast(base, required);
    if (!(plan.step > 0) || !isFiniteValue(plan.step))
        plan.step = range;
    plan.first = std::ceil(min_ / plan.step) * plan.step;
    if (!isFiniteValue(plan.first))
        plan.first = min_;
    const double span = (max_ - plan.first) / plan.step;
    if (!(span >= -1e-9)) {
        plan.count = 0;
        return plan;
    }
    plan.count = std::min(static_cast<long>(std::floor(span + 1e-9)) + 1, static_cast<long>(intervals) + 1);
    return plan;
}

double clampTo(double v_, double low_, double high_)
{
    return std::min(std::max(v_, low_), high_);
}

bool isBarKind(TChartSeriesKind kind_)
{
    return kind_ != TChartSeriesKind::Line;
}

} // namespace

void TChartSeries::addPoint(double x_, double y_, const std::string &label_, const QColor &colour_,
                            CBasicProject *project_)
{
    points.push_back(TChartPoint{x_, y_, label_, colour_, project_});
}

double TChartSeries::maxValue() const
{
    if (points.empty())
        return 0;
    double best = -std::numeric_limits<double>::infinity();
    for (const TChartPoint &p : points)
        best = std::max(best, p.y);
    return best;
}

double TChartSeries::minValue() const
{
    if (points.empty())
        return 0;
    double best = std::numeric_limits<double>::infinity();
    for (const TChartPoint &p : points)
        best = std::min(best, p.y);
    return best;
}

std::string TChartSeries::markTextOf(int index_) const
{
    if (index_ < 0 || index_ >= static_cast<int>(points.size()))
        return {};
    const TChartPoint &p = points[static_cast<std::size_t>(index_)];
    const std::string text = marks.style == msLabel ? p.label : defaultValueText(p.y);
    return markText ? markText(*this, p.y, text) : text;
}

TChartFonts TChartFonts::defaults()
{
    TChartFonts fonts;
    const QFont base = QApplication::font();
    fonts.title = base;
    fonts.title.setBold(true);
    fonts.labels = base;
    fonts.marks = base;
    fonts.axis = base;
    return fonts;
}

double TChartLayout::valuePixel(double value_) const
{
    double frac;
    if (logarithmic) {
        const double low = std::log10(valueMin);
        const double high = std::log10(valueMax);
        frac = value_ > 0 ? (std::log10(value_) - low) / (high - low) : -1.0;
    } else {
        frac = (value_ - valueMin) / (valueMax - valueMin);
    }
    if (!isFiniteValue(frac))
        frac = value_ > valueMax ? 2.0 : -1.0;
    return horizontal ? plot.left() + frac * plot.width() : plot.bottom() - frac * plot.height();
}

double TChartLayout::pixelValue(double pixel_) const
{
    const double frac = horizontal ? (pixel_ - plot.left()) / plot.width() : (plot.bottom() - pixel_) / plot.height();
    if (logarithmic) {
        const double low = std::log10(valueMin);
        const double high = std::log10(valueMax);
        return std::pow(10.0, low + frac * (high - low));
    }
    return valueMin + frac * (valueMax - valueMin);
}

double TChartLayout::positionPixel(double position_) const
{
    const double frac = (position_ - positionMin) / (positionMax - positionMin);
    // Bars: the highest position on top. Lines: the lowest on the left.
    return horizontal ? plot.top() + (1 - frac) * plot.height() : plot.left() + frac * plot.width();
}

double TChartLayout::pixelPosition(double pixel_) const
{
    const double frac = horizontal ? 1 - (pixel_ - plot.top()) / plot.height() : (pixel_ - plot.left()) / plot.width();
    return positionMin + frac * (positionMax - positionMin);
}

TChartLayout layoutChart(const TChartModel &model_, QSize size_, const TChartFonts &fonts_,
                         const QPaintDevice *device_)
{
    TChartLayout layout;
    layout.size = QSizeF(size_);
    layout.fonts = fonts_;
    layout.visible = model_.visible && !size_.isEmpty();
    if (!layout.visible)
        return layout;
    const double width = size_.width();
    const double height = size_.height();
    const Measure titleFont(fonts_.title, device_);
    const Measure labelFont(fonts_.labels, device_);
    const Measure markFont(fonts_.marks, device_);
    const Measure axisFont(fonts_.axis, device_);

    layout.horizontal = model_.series.empty() || isBarKind(model_.series.front().kind);
    const bool horizontal = layout.horizontal;

    // Title lines, centred at the top.
    double top = 4;
    for (const std::string &line : model_.titles) {
        const double h = titleFont.height(line);
        layout.titles.push_back({line, QRectF(0, top, width, h)});
        top += h;
    }
    if (!model_.titles.empty())
        top += 4;

    // The value range.
    double dataMin = std::numeric_limits<double>::infinity();
    double dataMax = -dataMin;
    double smallestPositive = std::numeric_limits<double>::infinity();
    double positionLow = std::numeric_limits<double>::infinity();
    double positionHigh = -positionLow;
    int barSeries = 0;
    for (const TChartSeries &series : model_.series) {
        if (isBarKind(series.kind) && !series.points.empty()) {
            ++barSeries;
            // Bars grow from 0.
            dataMin = std::min(dataMin, 0.0);
            dataMax = std::max(dataMax, 0.0);
        }
        for (const TChartPoint &p : series.points) {
            if (isFiniteValue(p.y)) {
                dataMin = std::min(dataMin, p.y);
                dataMax = std::max(dataMax, p.y);
                if (p.y > 0)
                    smallestPositive = std::min(smallestPositive, p.y);
            }
            if (isFiniteValue(p.x)) {
                positionLow = std::min(positionLow, p.x);
                positionHigh = std::max(positionHigh, p.x);
            }
        }
    }
    if (!(dataMin <= dataMax))
        dataMin = dataMax = 0;
    if (!(positionLow <= positionHigh))
        positionLow = positionHigh = 0;
    layout.positionMin = positionLow - 0.5;
    layout.positionMax = positionHigh + 0.5;

    const TChartValueAxis &axis = model_.valueAxis;
    const bool autoMinimum = axis.automatic || axis.automaticMinimum;
    const bool autoMaximum = axis.automatic || axis.automaticMaximum;
    double low = autoMinimum ? dataMin : axis.minimum;
    double high = autoMaximum ? dataMax : axis.maximum;
    constexpr double big = std::numeric_limits<double>::max() / 4;
    low = isFiniteValue(low) ? clampTo(low, -big, big) : 0.0;
    high = isFiniteValue(high) ? clampTo(high, -big, big) : low + 1;
    layout.logarithmic = axis.logarithmic;
    if (layout.logarithmic) {
        if (!(high > 0))
            high = isFiniteValue(smallestPositive) ? std::max(smallestPositive, 1.0) : 1.0;
        if (!(low > 0))
            low = isFiniteValue(smallestPositive) && smallestPositive < high ? smallestPositive : high / 10;
        if (!(high > low))
            high = low * 10;
    } else if (!(high > low)) {
        // Far from 0 a step of 1 may vanish in the double.
        high = low + std::max(1.0, std::fabs(low) * 1e-9);
    }
    layout.valueMin = low;
    layout.valueMax = high;

    // Every mark's text once; the handler may be slow.
    std::vector<std::vector<std::string>> markTexts(model_.series.size());
    for (std::size_t s = 0; s < model_.series.size(); ++s) {
        const TChartSeries &series = model_.series[s];
        if (!series.marks.visible)
            continue;
        markTexts[s].reserve(series.points.size());
        for (std::size_t i = 0; i < series.points.size(); ++i)
            markTexts[s].push_back(series.markTextOf(static_cast<int>(i)));
    }

    // The legend on the right.
    double legendWidth = 0;
    if (model_.legend) {
        for (const TChartSeries &series : model_.series)
            legendWidth = std::max(legendWidth, axisFont.width(series.title) + 24);
    }

    const double labelSize = std::max(0, model_.labelAxis.labelSize);
    const double axisLine = axisFont.lineHeight();
    std::vector<TChartLayout::Tick> ticks;
    auto makeTicks = [&](double length_, double spacing_) {
        const TickPlan plan = planLinearTicks(low, high, axis.increment, length_, spacing_);
        ticks.clear();
        for (long i = 0; i < plan.count; ++i) {
            TChartLayout::Tick tick;
            tick.value = plan.first + double(i) * plan.step;
            if (std::fabs(tick.value) < plan.step * 1e-9)
                tick.value = 0;
            tick.text = defaultValueText(tick.value);
            ticks.push_back(std::move(tick));
        }
    };
    auto makeLogTicks = [&](double length_, double spacing_) {
        ticks.clear();
        const double first = std::ceil(std::log10(low) - 1e-9);
        const double last = std::floor(std::log10(high) + 1e-9);
        if (!(last >= first))
            return;
        const double intervals = std::max(1.0, std::floor(length_ / std::max(spacing_, 1.0)));
        const double every = std::max(1.0, std::ceil((last - first) / intervals));
        for (double k = first; k <= last; k += every) {
            TChartLayout::Tick tick;
            tick.value = std::pow(10.0, k);
            tick.text = defaultValueText(tick.value);
            ticks.push_back(std::move(tick));
        }
    };
    auto planTicks = [&](double length_, double spacing_) {
        if (layout.logarithmic)
            makeLogTicks(length_, spacing_);
        else
            makeTicks(length_, spacing_);
    };

    QRectF plot;
    if (horizontal) {
        double left = labelSize + chartLabelAxisMargin;
        if (!model_.labelAxis.title.empty())
            left += axisLine + 2;
        double right = width - 10 - legendWidth;
        // An axis that ends at the longest bar leaves room for that bar's mark.
        if (autoMaximum) {
            double reserve = 0;
            for (std::size_t s = 0; s < model_.series.size(); ++s) {
                const TChartSeries &series = model_.series[s];
                if (!series.marks.visible)
                    continue;
                for (std::size_t i = 0; i < series.points.size(); ++i)
                    if (series.points[i].y >= high && !markTexts[s][i].empty())
                        reserve = std::max(reserve, markFont.width(markTexts[s][i]) + 4 + series.marks.arrowLength);
            }
            right -= reserve;
        }
        // The last tick's text is centred on the axis' end and stays inside.
        right = std::min(right, width - 2 - axisFont.width(defaultValueText(high)) / 2);
        double bottom = height - (tickLength + textGap + axisLine + 4);
        if (!axis.title.empty())
            bottom -= axisLine + 2;
        plot = QRectF(QPointF(left, top + 4), QPointF(std::max(right, left + 1), std::max(bottom, top + 5)));
        layout.plot = plot;
        // Ticks far enough apart for their texts: a first guess from the
        // ends of the axis, then once more with the texts actually chosen.
        double spacing = std::max(axisFont.width(defaultValueText(low)), axisFont.width(defaultValueText(high))) + 12;
        planTicks(plot.width(), spacing);
        double widest = 0;
        for (const auto &tick : ticks)
            widest = std::max(widest, axisFont.width(tick.text));
        if (widest + 12 > spacing)
            planTicks(plot.width(), widest + 12);
        for (auto &tick : ticks) {
            tick.pixel = layout.valuePixel(tick.value);
            const double w = axisFont.width(tick.text);
            tick.rect = QRectF(tick.pixel - w / 2, plot.bottom() + tickLength + 1, w, axisLine);
        }
        if (!axis.title.empty())
            layout.valueTitle = {axis.title, QRectF(plot.left(), plot.bottom() + tickLength + axisLine + 4,
                                                    plot.width(), axisLine)};
        if (!model_.labelAxis.title.empty())
            layout.labelTitle = {model_.labelAxis.title, QRectF(2, plot.top(), axisLine, plot.height())};
    } else {
        double labelLines = 1;
        for (const TChartSeries &series : model_.series)
            for (const TChartPoint &p : series.points)
                labelLines = std::max(labelLines, double(1 + std::count(p.label.begin(), p.label.end(), '\n')));
        double bottom = height - std::max(labelSize, labelLines * labelFont.lineHeight() + textGap) - 4;
        if (!model_.labelAxis.title.empty())
            bottom -= axisLine + 2;
        const double plotTop = top + markFont.lineHeight() + 10;
        bottom = std::max(bottom, plotTop + 1);
        planTicks(bottom - plotTop, axisLine * 1.5);
        double widest = 0;
        for (const auto &tick : ticks)
            widest = std::max(widest, axisFont.width(tick.text));
        double left = 4 + widest + tickLength + textGap;
        if (!axis.title.empty())
            left += axisLine + 2;
        const double right = width - 10 - legendWidth;
        plot = QRectF(QPointF(left, plotTop), QPointF(std::max(right, left + 1), bottom));
        layout.plot = plot;
        for (auto &tick : ticks) {
            tick.pixel = layout.valuePixel(tick.value);
            const double w = axisFont.width(tick.text);
            tick.rect = QRectF(plot.left() - tickLength - 2 - w, tick.pixel - axisLine / 2, w, axisLine);
        }
        if (!axis.title.empty())
            layout.valueTitle = {axis.title, QRectF(2, plot.top(), axisLine, plot.height())};
        if (!model_.labelAxis.title.empty())
            layout.labelTitle = {model_.labelAxis.title,
                                 QRectF(plot.left(), height - axisLine - 2, plot.width(), axisLine)};
    }
    layout.ticks = std::move(ticks);

    // Bars, line points and their marks.
    const double band = (horizontal ? plot.height() : plot.width()) / (layout.positionMax - layout.positionMin);
    const double origin = layout.valuePixel(clampTo(0.0, layout.valueMin, layout.valueMax));
    auto valueAt = [&](double v_) { return layout.valuePixel(clampTo(v_, layout.valueMin, layout.valueMax)); };
    struct MarkCandidate {
        TChartLayout::Mark mark;
        double along;  // where it sits along the label axis, for thinning
        double extent;
    };
    std::vector<MarkCandidate> markCandidates;
    struct LabelCandidate {
        int series, point;
        double centre;
    };
    std::vector<LabelCandidate> labelCandidates;
    int barIndex = 0;
    for (std::size_t s = 0; s < model_.series.size(); ++s) {
        const TChartSeries &series = model_.series[s];
        const bool bar = isBarKind(series.kind);
        const double share = barSeries > 0 ? band * barShare / barSeries : 0;
        const double offset = bar ? -band * barShare / 2 + share * barIndex : 0;
        if (bar && !series.points.empty())
            ++barIndex;
        std::vector<std::pair<double, QPointF>> line;
        for (std::size_t i = 0; i < series.points.size(); ++i) {
            const TChartPoint &p = series.points[i];
            if (!isFiniteValue(p.x))
                continue;
            const double centre = layout.positionPixel(p.x);
            const double value = isFiniteValue(p.y) ? p.y : 0.0;
            const double end = valueAt(value);
            TChartLayout::Bar item;
            item.series = static_cast<int>(s);
            item.point = static_cast<int>(i);
            item.position = p.x;
            item.value = value;
            QPointF anchor;
            if (bar) {
                const double from = centre + offset;
                if (horizontal) {
                    item.rect = QRectF(QPointF(std::min(origin, end), from), QPointF(std::max(origin, end), from + share));
                    item.row = QRectF(0, centre - band / 2, width, band);
                    anchor = QPointF(end, from + share / 2);
                } else {
                    item.rect = QRectF(QPointF(from, std::min(origin, end)), QPointF(from + share, std::max(origin, end)));
                    item.row = QRectF(centre - band / 2, 0, band, height);
                    anchor = QPointF(from + share / 2, end);
                }
            } else {
                const QPointF at = horizontal ? QPointF(end, centre) : QPointF(centre, end);
                item.rect = QRectF(at.x() - 2.5, at.y() - 2.5, 5, 5);
                anchor = at;
                line.emplace_back(p.x, at);
            }
            layout.bars.push_back(item);
            if (!p.label.empty())
                labelCandidates.push_back({item.series, item.point, centre});
            if (series.marks.visible && !markTexts[s][i].empty()) {
                MarkCandidate c;
                c.mark.series = item.series;
                c.mark.point = item.point;
                c.mark.text = markTexts[s][i];
                c.mark.anchor = anchor;
                const double h = markFont.height(c.mark.text) + 2;
                const double arrow = series.marks.arrowLength;
                const bool below = value < 0;
                if (horizontal) {
                    c.along = anchor.y() - h / 2;
                    c.extent = h;
                    // Width comes later, for the marks that stay.
                    c.mark.rect = QRectF(below ? anchor.x() - arrow : anchor.x() + arrow, c.along, 0, h);
                } else {
                    c.mark.rect = QRectF(anchor.x(), below ? anchor.y() + arrow : anchor.y() - arrow - h, 0, h);
                    c.along = 0;  // set once the width is known
                    c.extent = 0;
                }
                markCandidates.push_back(std::move(c));
            }
        }
        if (!bar) {
            std::stable_sort(line.begin(), line.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
            std::vector<QPointF> points;
            points.reserve(line.size());
            for (const auto &entry : line)
                points.push_back(entry.second);
            layout.lines.push_back(std::move(points));
        }
    }

    // Marks: those that would overlap an earlier one along the label axis
    // are left out, so a crowded chart paints what it can show.
    if (!horizontal) {
        for (MarkCandidate &c : markCandidates) {
            const double w = markFont.width(c.mark.text) + 4;
            c.mark.rect = QRectF(c.mark.rect.x() - w / 2, c.mark.rect.y(), w, c.mark.rect.height());
            c.along = c.mark.rect.left();
            c.extent = w;
        }
    }
    std::stable_sort(markCandidates.begin(), markCandidates.end(),
                     [](const MarkCandidate &a, const MarkCandidate &b) { return a.along < b.along; });
    double reached = -std::numeric_limits<double>::infinity();
    for (MarkCandidate &c : markCandidates) {
        if (c.along < reached)
            continue;
        reached = c.along + c.extent;
        QRectF rect = c.mark.rect;
        if (horizontal) {
            const double w = markFont.width(c.mark.text) + 4;
            if (c.mark.anchor.x() > rect.left())
                rect = QRectF(rect.left() - w, rect.top(), w, rect.height());
            else
                rect.setWidth(w);
        }
        // Inside the chart, so a mark near the edge stays readable.
        if (rect.right() > width - 1)
            rect.moveRight(width - 1);
        if (rect.left() < 0)
            rect.moveLeft(0);
        if (rect.top() < 0)
            rect.moveTop(0);
        c.mark.rect = rect;
        layout.marks.push_back(std::move(c.mark));
    }

    // Labels: one per position, crowded ones left out the same way.
    std::stable_sort(labelCandidates.begin(), labelCandidates.end(),
                     [](const LabelCandidate &a, const LabelCandidate &b) { return a.centre < b.centre; });
    reached = -std::numeric_limits<double>::infinity();
    for (const LabelCandidate &c : labelCandidates) {
        const std::string &text = model_.series[std::size_t(c.series)].points[std::size_t(c.point)].label;
        const double h = labelFont.height(text);
        QRectF rect;
        if (horizontal) {
            rect = QRectF(2, c.centre - h / 2, std::max(0.0, plot.left() - 6 - 2), h);
            if (rect.top() < reached)
                continue;
            reached = rect.bottom();
        } else {
            const double w = labelFont.width(text);
            rect = QRectF(c.centre - w / 2, plot.bottom() + tickLength, w, h);
            if (rect.left() < reached)
                continue;
            reached = rect.right() + 4;
        }
        layout.labels.push_back({c.series, c.point, text, rect});
    }

    if (model_.legend) {
        double y = plot.top();
        const double line = axisFont.lineHeight();
        for (std::size_t s = 0; s < model_.series.size(); ++s) {
            TChartLayout::LegendEntry entry;
            entry.series = static_cast<int>(s);
            const double x = width - legendWidth;
            entry.swatch = QRectF(x, y + (line - 10) / 2, 10, 10);
            entry.text = {model_.series[s].title, QRectF(x + 16, y, legendWidth - 18, line)};
            layout.legend.push_back(entry);
            y += line + 2;
        }
    }
    return layout;
}

TChartHit hitBar(const TChartLayout &layout_, QPointF at_)
{
    for (const TChartLayout::Bar &bar : layout_.bars)
        if (bar.rect.contains(at_))
            return {bar.series, bar.point};
    return {};
}

TChartHit hitRow(const TChartLayout &layout_, QPointF at_)
{
    if (!layout_.visible)
        return {};
    const double clicked = layout_.pixelValue(layout_.horizontal ? at_.x() : at_.y());
    for (const TChartLayout::Bar &bar : layout_.bars)
        if (!bar.row.isEmpty() && bar.row.contains(at_) && bar.value >= clicked)
            return {bar.series, bar.point};
    return {};
}

namespace {

bool shows(const QRectF &clip_, bool clipped_, const QRectF &rect_)
{
    return !clipped_ || clip_.intersects(rect_.adjusted(-2, -2, 2, 2));
}

void drawRotated(QPainter &painter_, const QRectF &rect_, const QString &text_)
{
    painter_.save();
    painter_.translate(rect_.center());
    painter_.rotate(-90);
    const QRectF turned(-rect_.height() / 2, -rect_.width() / 2, rect_.height(), rect_.width());
    painter_.drawText(turned, Qt::AlignCenter, text_);
    painter_.restore();
}

void drawArrow(QPainter &painter_, QPointF from_, QPointF to_, double headLength_, double headWidth_)
{
    painter_.drawLine(from_, to_);
    const QPointF d = to_ - from_;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1 || headLength_ <= 0 || headWidth_ <= 0)
        return;
    const QPointF unit = d / length;
    const QPointF normal(-unit.y(), unit.x());
    const double head = std::min(headLength_, length);
    const QPointF base = to_ - unit * head;
    QPolygonF tip;
    tip << to_ << base + normal * (headWidth_ / 2) << base - normal * (headWidth_ / 2);
    painter_.drawPolygon(tip);
}

} // namespace

void paintChart(QPainter &painter_, const TChartModel &model_, const TChartLayout &layout_)
{
    const QRectF whole(QPointF(0, 0), layout_.size);
    const bool clipped = painter_.hasClipping();
    const QRectF clip = clipped ? painter_.clipBoundingRect() : whole;
    painter_.save();
    painter_.fillRect(clipped ? clip.intersected(whole) : whole, Qt::white);
    if (!layout_.visible) {
        painter_.restore();
        return;
    }
    const QRectF &plot = layout_.plot;

    painter_.setPen(Qt::black);
    painter_.setFont(layout_.fonts.title);
    for (const auto &title : layout_.titles)
        if (shows(clip, clipped, title.rect))
            painter_.drawText(title.rect, Qt::AlignHCenter | Qt::AlignTop, fromCp1252(title.text));

    // Grid and ticks.
    painter_.setFont(layout_.fonts.axis);
    const QPen gridPen(QColor(0xC0, 0xC0, 0xC0), 0, Qt::DotLine);
    for (const auto &tick : layout_.ticks) {
        if (layout_.horizontal) {
            painter_.setPen(gridPen);
            painter_.drawLine(QPointF(tick.pixel, plot.top()), QPointF(tick.pixel, plot.bottom()));
            painter_.setPen(Qt::black);
            painter_.drawLine(QPointF(tick.pixel, plot.bottom()), QPointF(tick.pixel, plot.bottom() + tickLength));
            if (shows(clip, clipped, tick.rect))
                painter_.drawText(tick.rect, Qt::AlignCenter, fromCp1252(tick.text));
        } else {
            painter_.setPen(gridPen);
            painter_.drawLine(QPointF(plot.left(), tick.pixel), QPointF(plot.right(), tick.pixel));
            painter_.setPen(Qt::black);
            painter_.drawLine(QPointF(plot.left() - tickLength, tick.pixel), QPointF(plot.left(), tick.pixel));
            if (shows(clip, clipped, tick.rect))
                painter_.drawText(tick.rect, Qt::AlignRight | Qt::AlignVCenter, fromCp1252(tick.text));
        }
    }
    if (!layout_.valueTitle.text.empty()) {
        if (layout_.horizontal)
            painter_.drawText(layout_.valueTitle.rect, Qt::AlignCenter, fromCp1252(layout_.valueTitle.text));
        else
            drawRotated(painter_, layout_.valueTitle.rect, fromCp1252(layout_.valueTitle.text));
    }
    if (!layout_.labelTitle.text.empty()) {
        if (layout_.horizontal)
            drawRotated(painter_, layout_.labelTitle.rect, fromCp1252(layout_.labelTitle.text));
        else
            painter_.drawText(layout_.labelTitle.rect, Qt::AlignCenter, fromCp1252(layout_.labelTitle.text));
    }

    // Bars, arrows and line points.
    painter_.setRenderHint(QPainter::Antialiasing, false);
    for (const auto &bar : layout_.bars) {
        const TChartSeries &series = model_.series[std::size_t(bar.series)];
        const TChartPoint &point = series.points[std::size_t(bar.point)];
        if (!shows(clip, clipped, bar.rect))
            continue;
        const QColor colour = point.colour.isValid() ? point.colour : series.colour;
        switch (series.kind) {
        case TChartSeriesKind::HorizontalBar:
            painter_.fillRect(bar.rect, colour);
            if (bar.rect.width() >= 3 && bar.rect.height() >= 3) {
                painter_.setPen(QPen(colour.darker(160), 0));
                painter_.setBrush(Qt::NoBrush);
                painter_.drawRect(bar.rect);
            }
            break;
        case TChartSeriesKind::Arrow: {
            painter_.setPen(QPen(colour, 2));
            painter_.setBrush(colour);
            const bool across = layout_.horizontal;
            const QPointF from = across ? QPointF(bar.rect.left(), bar.rect.center().y())
                                        : QPointF(bar.rect.center().x(), bar.rect.bottom());
            const QPointF to = across ? QPointF(bar.rect.right(), bar.rect.center().y())
                                      : QPointF(bar.rect.center().x(), bar.rect.top());
            drawArrow(painter_, bar.value < 0 ? to : from, bar.value < 0 ? from : to, series.arrowHeight,
                      series.arrowWidth);
            break;
        }
        case TChartSeriesKind::Line:
            break;
        }
    }
    painter_.setRenderHint(QPainter::Antialiasing, true);
    {
        std::size_t lineIndex = 0;
        for (const TChartSeries &series : model_.series) {
            if (series.kind != TChartSeriesKind::Line)
                continue;
            if (lineIndex >= layout_.lines.size())
                break;
            const auto &points = layout_.lines[lineIndex++];
            painter_.setPen(QPen(series.colour, 2));
            painter_.setBrush(Qt::NoBrush);
            if (points.size() > 1)
                painter_.drawPolyline(points.data(), static_cast<int>(points.size()));
        }
        for (const auto &bar : layout_.bars) {
            const TChartSeries &series = model_.series[std::size_t(bar.series)];
            if (series.kind != TChartSeriesKind::Line || !shows(clip, clipped, bar.rect))
                continue;
            painter_.setPen(QPen(series.colour.darker(150), 1));
            painter_.setBrush(series.colour);
            painter_.drawRect(bar.rect);
        }
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);

    // The axes over the bars' feet.
    painter_.setPen(QPen(Qt::black, 0));
    if (layout_.horizontal) {
        painter_.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter_.drawLine(plot.topLeft(), plot.bottomLeft());
    } else {
        painter_.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter_.drawLine(plot.topLeft(), plot.bottomLeft());
    }

    // Marks.
    painter_.setFont(layout_.fonts.marks);
    for (const auto &mark : layout_.marks) {
        if (!shows(clip, clipped, mark.rect))
            continue;
        const TChartMarks &settings = model_.series[std::size_t(mark.series)].marks;
        if (settings.arrowLength > 0) {
            painter_.setPen(QPen(Qt::gray, 0));
            QPointF to;
            if (layout_.horizontal)
                to = QPointF(mark.anchor.x() <= mark.rect.left() ? mark.rect.left() : mark.rect.right(),
                             mark.rect.center().y());
            else
                to = QPointF(mark.rect.center().x(),
                             mark.anchor.y() >= mark.rect.bottom() ? mark.rect.bottom() : mark.rect.top());
            painter_.drawLine(mark.anchor, to);
        }
        if (settings.opaque)
            painter_.fillRect(mark.rect, QColor(0xFF, 0xFF, 0xE1));
        if (settings.penVisible) {
            painter_.setPen(QPen(Qt::black, 0));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(mark.rect);
        }
        painter_.setPen(Qt::black);
        painter_.drawText(mark.rect, Qt::AlignCenter, fromCp1252(mark.text));
    }

    // Labels.
    painter_.setFont(layout_.fonts.labels);
    painter_.setPen(Qt::black);
    const int labelAlign = layout_.horizontal ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignHCenter | Qt::AlignTop);
    for (const auto &label : layout_.labels)
        if (shows(clip, clipped, label.rect))
            painter_.drawText(label.rect, labelAlign | Qt::TextDontClip, fromCp1252(label.text));

    // Legend.
    painter_.setFont(layout_.fonts.axis);
    for (const auto &entry : layout_.legend) {
        const TChartSeries &series = model_.series[std::size_t(entry.series)];
        painter_.fillRect(entry.swatch, series.colour);
        painter_.setPen(QPen(Qt::black, 0));
        painter_.drawRect(entry.swatch);
        painter_.drawText(entry.text.rect, Qt::AlignLeft | Qt::AlignVCenter, fromCp1252(entry.text.text));
    }
    painter_.restore();
}
