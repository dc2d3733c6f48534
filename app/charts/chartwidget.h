#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

#include "chartmodel.h"

class CBasicProject;

// Measures a Windows-1252 text in pixels.
using TTextWidth = std::function<int(const std::string &text_)>;

// A chart on the screen: it holds its model, lays it out when the size or
// the model changes and paints through paintChart. Painting never changes
// the model and never signals, so a slot may rebuild the chart at any time
// without the chart drawing itself into a loop.
class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget *parent_ = nullptr);

    TChartModel &model() { return chartModel; }
    const TChartModel &model() const { return chartModel; }
    // After the model was changed: lays out again and repaints. A chart
    // inside a window shows or hides itself as the model says.
    void modelChanged();

    const TChartFonts &fonts() const { return chartFonts; }
    void setFonts(const TChartFonts &fonts_);
    // The width of a label in the label font, as the chart draws it.
    TTextWidth labelWidthFunction() const;

    // The current layout for the chart's size.
    const TChartLayout &layout() const;
    TChartHit barAt(QPoint at_) const { return hitBar(layout(), at_); }
    // The bar whose row is clicked left of the bar's end (see hitRow).
    TChartHit rowAt(QPoint at_) const { return hitRow(layout(), at_); }
    // The project of a point, or null.
    CBasicProject *projectOf(TChartHit hit_) const;
    TChartHit hoveredBar() const { return hovered; }

    // The chart drawn at a size (empty: its own). A null image when one that
    // large cannot be made.
    QImage renderImage(QSize size_ = QSize()) const;
    QByteArray renderSvg(QSize size_ = QSize()) const;
    // Draws onto any painter (a printer, a PDF) at a size, laid out for the
    // painter's device.
    void paintTo(QPainter &painter_, QSize size_) const;
    // Puts the chart on the clipboard as a bitmap and as an SVG picture.
    // False, after telling the user, when the bitmap cannot be made.
    // withPicture_ false: the bitmap alone.
    bool copyToClipboard(QSize size_ = QSize(), bool withPicture_ = true);

    QSize sizeHint() const override { return {400, 300}; }

Q_SIGNALS:
    // A left button press on a bar, or a double click on one.
    void barClicked(int series_, int index_, CBasicProject *project_, Qt::KeyboardModifiers modifiers_,
                    bool doubleClick_);
    // A left click anywhere on the chart; follows a bar click. Not after a
    // double click.
    void chartClicked(QPoint position_);
    // The mouse moved onto another bar (its project), or off the bars
    // (-1, -1, null).
    void hoverChanged(int series_, int index_, CBasicProject *project_);

protected:
    void paintEvent(QPaintEvent *event_) override;
    void resizeEvent(QResizeEvent *event_) override;
    void mousePressEvent(QMouseEvent *event_) override;
    void mouseReleaseEvent(QMouseEvent *event_) override;
    void mouseDoubleClickEvent(QMouseEvent *event_) override;
    void mouseMoveEvent(QMouseEvent *event_) override;
    void leaveEvent(QEvent *event_) override;

private:
    void setHovered(TChartHit hit_);

    TChartModel chartModel;
    TChartFonts chartFonts;
    mutable TChartLayout currentLayout;
    mutable bool layoutStale = true;
    TChartHit hovered;
    bool pressed = false;
};
