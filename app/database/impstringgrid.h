#pragma once

#include <QColor>
#include <QHeaderView>
#include <QTableView>
#include <QVector>
#include <functional>
#include <memory>

class QAbstractButton;

// A scroll bar set the way the grid wants it: range 0 to maximum with a
// page of page, both counted like the system's scroll bars (the maximum
// includes the page). apply is false when the content fits, and the bar is
// then left as it is.
struct ProportionalScrollBar {
    bool apply = false;
    int page = 0;
    int maximum = 0;
};

// client_: the grid's client extent; fixed_: the part of it the fixed
// sections take; content_: the extent of the scrolling sections.
ProportionalScrollBar proportionalScrollBar(int client_, int fixed_, int content_);

// Draws one cell of the grid: column 0 and row 0 are the fixed ones, (0, 0)
// the corner.
using TGridCellPainter = std::function<void(QPainter &painter_, int column_, int row_, const QRect &rect_, bool selected_)>;

// The fixed row or column of the grid. Its extent is set, not measured.
class TGridHeader : public QHeaderView {
    Q_OBJECT
public:
    TGridHeader(Qt::Orientation orientation_, QWidget *parent_);

    void setCellPainter(TGridCellPainter painter_) { painter = std::move(painter_); }
    // Height of the fixed row, or width of the fixed column.
    void setExtent(int extent_);
    int extent() const { return fixedExtent; }
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter_, const QRect &rect_, int logicalIndex_) const override;

private:
    TGridCellPainter painter;
    int fixedExtent = 24;
};

// The string grid of the database window: owner-drawn cells, a fixed
// six-colour palette, no background erase when asked, and scroll bars whose
// thumbs follow the real column widths and row heights.
class TImpStringGrid : public QTableView {
    Q_OBJECT
public:
    explicit TImpStringGrid(QWidget *owner_ = nullptr);
    ~TImpStringGrid() override;

    bool SupressErase() const { return supressErase; }
    void setSupressErase(bool supress_);

    // Made on the first call; the same list afterwards.
    const QVector<QColor> &GetPalette();
    bool hasPalette() const { return colourTable != nullptr; }

    // Every cell, the fixed ones and the corner included.
    void setCellPainter(TGridCellPainter painter_);
    void updateScrollBars();

    TGridHeader *columnHeader() const { return columns; }
    TGridHeader *rowHeader() const { return rows; }
    QAbstractButton *cornerButton() const;

    int defaultColWidth() const { return columns->defaultSectionSize(); }
    int defaultRowHeight() const { return rows->defaultSectionSize(); }

    // The part of the viewport the cells cover.
    QRect cellArea() const;

    // What the grid's Copy puts on the clipboard: the picture grid copies a
    // picture, tag 1 nothing, any other the table as text.
    static constexpr int ImageGridTag = 26;
    int tag() const { return gridTag; }
    void setTag(int tag_) { gridTag = tag_; }

protected:
    void updateGeometries() override;
    bool eventFilter(QObject *watched_, QEvent *event_) override;
    void paintEvent(QPaintEvent *event_) override;

private:
    TGridHeader *columns;
    TGridHeader *rows;
    TGridCellPainter painter;
    std::unique_ptr<QVector<QColor>> colourTable;
    bool supressErase = false;
    int gridTag = 0;
};
