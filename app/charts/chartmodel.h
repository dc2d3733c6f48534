#pragma once

// The program's charts without any widget: what a chart shows (series of
// points, two axes, title lines), where each part of it goes for a given
// size, and one painting routine for the window, the clipboard, the printer
// and PDF alike.

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <functional>
#include <string>
#include <vector>

class CBasicProject;
class QPainter;
class QPaintDevice;

enum class TChartSeriesKind { HorizontalBar, Line, Arrow };

// What the marks of a series show before the series' handler has its say.
enum TChartMarkStyle : int { msValue = 0, msLabel = 2 };

struct TChartPoint {
    double x = 0;  // position on the label axis (bars: the negated chart row)
    double y = 0;  // value
    std::string label;  // Windows-1252; '\n' breaks it into lines
    QColor colour;
    CBasicProject *project = nullptr;  // the project the point stands for, if any
};

struct TChartMarks {
    bool visible = true;
    bool penVisible = true;  // a frame around the text
    int arrowLength = 8;     // distance from the point to its mark
    int style = msValue;
    bool opaque = false;     // a filled box behind the text
};

struct TChartSeries;

// The text of a point's mark: given the series, the value and the text the
// mark style gives.
using TMarkTextHandler =
    std::function<std::string(const TChartSeries &series_, double value_, const std::string &text_)>;

struct TChartSeries {
    TChartSeriesKind kind = TChartSeriesKind::HorizontalBar;
    int tag = 0;  // the test a result chart shows
    std::string title;
    QColor colour;
    TChartMarks marks;
    int arrowWidth = 0;
    int arrowHeight = 0;
    TMarkTextHandler markText;  // empty: the text of the mark style
    std::vector<TChartPoint> points;

    void clear() { points.clear(); }
    void addPoint(double x_, double y_, const std::string &label_, const QColor &colour_,
                  CBasicProject *project_ = nullptr);
    // 0 for a series without points.
    double maxValue() const;
    double minValue() const;
    std::string markTextOf(int index_) const;
};

struct TChartValueAxis {
    double minimum = 0;
    double maximum = 0;
    double increment = 0;  // 0: one that fits
    bool automatic = true;  // both ends from the data, whatever the two flags below say
    bool automaticMinimum = true;
    bool automaticMaximum = true;
    bool logarithmic = false;
    std::string title;
};

struct TChartLabelAxis {
    int labelSize = 0;  // room for the labels across the axis, in pixels
    std::string title;
};

struct TChartModel {
    std::vector<TChartSeries> series;
    TChartValueAxis valueAxis;
    TChartLabelAxis labelAxis;
    std::vector<std::string> titles;  // title lines, top to bottom
    bool legend = false;
    bool visible = true;
};

struct TChartFonts {
    QFont title;
    QFont labels;  // the label axis
    QFont marks;
    QFont axis;    // value-axis ticks and both axis titles
    // Every font from the application's font, the title's bold.
    static TChartFonts defaults();
};

// Where the parts of a chart go. Texts stay Windows-1252 as in the model.
struct TChartLayout {
    struct Bar {
        int series = -1;
        int point = -1;
        QRectF rect;  // bars and arrows: the bar; lines: a small box around the point
        QRectF row;   // bars and arrows: the whole band of the bar's row; lines: empty
        double position = 0;
        double value = 0;
    };
    struct Mark {
        int series = -1;
        int point = -1;
        std::string text;
        QRectF rect;
        QPointF anchor;  // where the connector from the point starts
    };
    struct Tick {
        double value = 0;
        double pixel = 0;  // along the value axis
        std::string text;
        QRectF rect;
    };
    struct Label {
        int series = -1;
        int point = -1;
        std::string text;
        QRectF rect;
    };
    struct Title {
        std::string text;
        QRectF rect;
    };
    struct LegendEntry {
        int series = -1;
        QRectF swatch;
        Title text;
    };

    QSizeF size;
    TChartFonts fonts;
    bool visible = false;
    // Value axis across (horizontal bars and arrows), else up the chart.
    bool horizontal = true;
    QRectF plot;
    double valueMin = 0;
    double valueMax = 1;
    bool logarithmic = false;
    double positionMin = -0.5;
    double positionMax = 0.5;

    std::vector<Bar> bars;
    std::vector<std::vector<QPointF>> lines;  // line series, each in position order
    std::vector<Mark> marks;
    std::vector<Tick> ticks;
    std::vector<Label> labels;
    std::vector<Title> titles;
    Title valueTitle;
    Title labelTitle;
    std::vector<LegendEntry> legend;

    // Along the value axis; outside the axis' range the pixel lies beyond the plot.
    double valuePixel(double value_) const;
    double pixelValue(double pixel_) const;
    // Along the label axis.
    double positionPixel(double position_) const;
    double pixelPosition(double pixel_) const;
};

// The left edge of the value axis of a horizontal chart lies this far right
// of the label axis' label size: the window's "Project Name" header section
// is that wide.
constexpr int chartLabelAxisMargin = 28;

// Lays the chart out for a size. The fonts are measured on the device when
// one is given (a printer, a picture), else on the screen.
TChartLayout layoutChart(const TChartModel &model_, QSize size_, const TChartFonts &fonts_,
                         const QPaintDevice *device_ = nullptr);

struct TChartHit {
    int series = -1;
    int point = -1;
    bool valid() const { return series >= 0 && point >= 0; }
    bool operator==(const TChartHit &) const = default;
};

// The bar (or line point) under a point of the chart.
TChartHit hitBar(const TChartLayout &layout_, QPointF at_);
// The bar whose row holds the point and that is at least as long as the
// value under it: a click on a row left of the bar's end, its label included.
TChartHit hitRow(const TChartLayout &layout_, QPointF at_);

// Paints the laid-out chart; the painter's clip, when it has one, limits
// what is drawn.
void paintChart(QPainter &painter_, const TChartModel &model_, const TChartLayout &layout_);
