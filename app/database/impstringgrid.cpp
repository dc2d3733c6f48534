#include "impstringgrid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

ProportionalScrollBar proportionalScrollBar(int client_, int fixed_, int content_)
{
    ProportionalScrollBar bar;
    if (content_ <= 0)
        return bar;
    const double ratio = static_cast<double>(client_ - fixed_) / content_;
    if (ratio >= 1.0)
        return bar;
    bar.apply = true;
    bar.page = ratio > 0 ? static_cast<int>(ratio * 127) : 0;
    bar.maximum = bar.page + 127;
    return bar;
}

TGridHeader::TGridHeader(Qt::Orientation orientation_, QWidget *parent_) : QHeaderView(orientation_, parent_)
{
    setSectionResizeMode(QHeaderView::Interactive);
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(0);
}

void TGridHeader::setExtent(int extent_)
{
    if (extent_ == fixedExtent)
        return;
    fixedExtent = extent_;
    updateGeometry();
    if (auto *view = qobject_cast<QAbstractItemView *>(parentWidget()))
        view->updateGeometry();
}

QSize TGridHeader::sizeHint() const
{
    // Only the extent counts, and it is set: the base class would measure up
    // to 200 sections' texts every time the header data changes.
    if (orientation() == Qt::Horizontal)
        return QSize(defaultSectionSize(), fixedExtent);
    return QSize(fixedExtent, defaultSectionSize());
}

void TGridHeader::paintSection(QPainter *painter_, const QRect &rect_, int logicalIndex_) const
{
    if (!painter || !rect_.isValid())
        return;
    painter_->save();
    if (orientation() == Qt::Horizontal)
        painter(*painter_, logicalIndex_ + 1, 0, rect_, false);
    else
        painter(*painter_, 0, logicalIndex_ + 1, rect_, false);
    painter_->restore();
}

namespace {

// Hands every data cell to the grid's painter; nothing of the style's own
// item drawing is used.
class TGridDelegate : public QStyledItemDelegate {
public:
    TGridDelegate(TImpStringGrid *grid_, TGridCellPainter *painter_) : QStyledItemDelegate(grid_), painter(painter_) {}
    void paint(QPainter *painter_, const QStyleOptionViewItem &option_, const QModelIndex &index_) const override
    {
        if (!*painter)
            return;
        painter_->save();
        (*painter)(*painter_, index_.column() + 1, index_.row() + 1, option_.rect,
                   option_.state & QStyle::State_Selected);
        painter_->restore();
    }

private:
    TGridCellPainter *painter;
};

} // namespace

TImpStringGrid::TImpStringGrid(QWidget *owner_) : QTableView(owner_)
{
    columns = new TGridHeader(Qt::Horizontal, this);
    rows = new TGridHeader(Qt::Vertical, this);
    setHorizontalHeader(columns);
    setVerticalHeader(rows);
    columns->setDefaultSectionSize(64);
    rows->setDefaultSectionSize(24);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollMode(ScrollPerItem);
    setVerticalScrollMode(ScrollPerItem);
    setEditTriggers(NoEditTriggers);
    setItemDelegate(new TGridDelegate(this, &painter));
    setCornerButtonEnabled(false);
    if (QAbstractButton *corner = cornerButton())
        corner->installEventFilter(this);
}

TImpStringGrid::~TImpStringGrid() = default;

void TImpStringGrid::setSupressErase(bool supress_)
{
    supressErase = supress_;
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, supress_);
    viewport()->setAutoFillBackground(!supress_);
}

QRect TImpStringGrid::cellArea() const
{
    const QAbstractItemModel *m = model();
    if (!m || m->rowCount() == 0 || m->columnCount() == 0)
        return {};
    int right = 0;
    for (int c = m->columnCount() - 1; c >= 0; --c)
        if (!isColumnHidden(c)) {
            right = columnViewportPosition(c) + columnWidth(c);
            break;
        }
    int bottom = 0;
    for (int r = m->rowCount() - 1; r >= 0; --r)
        if (!isRowHidden(r)) {
            bottom = rowViewportPosition(r) + rowHeight(r);
            break;
        }
    return QRect(0, 0, std::max(0, right), std::max(0, bottom));
}

void TImpStringGrid::paintEvent(QPaintEvent *event_)
{
    // Without erasing, the cells paint over what was there; the viewport
    // beyond the last column and row still needs its background.
    if (supressErase) {
        QPainter p(viewport());
        const QRegion outside = event_->region().subtracted(cellArea());
        for (const QRect &r : outside)
            p.fillRect(r, palette().brush(QPalette::Base));
    }
    QTableView::paintEvent(event_);
}

const QVector<QColor> &TImpStringGrid::GetPalette()
{
    if (!colourTable)
        colourTable = std::make_unique<QVector<QColor>>(QVector<QColor>{
            QColor(0xDF, 0xDF, 0xDF), QColor(0xFA, 0xE4, 0xC8), QColor(0xF7, 0xD5, 0xAB),
            QColor(0xD5, 0xE4, 0xFF), QColor(0xBE, 0xD5, 0xFF), QColor(0xFF, 0xFF, 0xFF)});
    return *colourTable;
}

void TImpStringGrid::setCellPainter(TGridCellPainter painter_)
{
    painter = painter_;
    columns->setCellPainter(painter_);
    rows->setCellPainter(painter_);
    viewport()->update();
}

QAbstractButton *TImpStringGrid::cornerButton() const
{
    return findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
}

void TImpStringGrid::updateScrollBars()
{
    updateGeometries();
}

void TImpStringGrid::updateGeometries()
{
    QTableView::updateGeometries();
    // The bars keep scrolling by whole cells; only the thumbs are sized by
    // the real extents, as the rule gives them (its range of 128 positions
    // stands for the bar's own range).
    auto apply = [](QScrollBar *bar_, const ProportionalScrollBar &rule_) {
        const int range = bar_->maximum() - bar_->minimum();
        if (!rule_.apply || range <= 0)
            return;
        const double steps = rule_.maximum - rule_.page + 1;
        bar_->setPageStep(std::max(1, static_cast<int>(std::lround(rule_.page * range / steps))));
    };
    const int fixedWidth = rows->isHidden() ? 0 : rows->width();
    const int fixedHeight = columns->isHidden() ? 0 : columns->height();
    apply(horizontalScrollBar(), proportionalScrollBar(fixedWidth + viewport()->width(), 0, fixedWidth + columns->length()));
    apply(verticalScrollBar(), proportionalScrollBar(fixedHeight + viewport()->height(), fixedHeight, rows->length()));
}

bool TImpStringGrid::eventFilter(QObject *watched_, QEvent *event_)
{
    if (event_->type() == QEvent::Paint && watched_ == cornerButton()) {
        auto *corner = static_cast<QWidget *>(watched_);
        QPainter p(corner);
        if (painter)
            painter(p, 0, 0, corner->rect(), false);
        return true;
    }
    return QTableView::eventFilter(watched_, event_);
}
