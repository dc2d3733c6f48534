#include "SplitterDialog.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QSizeGrip>
#include <algorithm>

namespace {
constexpr int gripSize = 10;
constexpr int paneTopGap = 10;
} // namespace

CSplitterDialog::CSplitterDialog(QWidget *parent_) : QDialog(parent_)
{
    setMouseTracking(true);
}

CSplitterDialog::~CSplitterDialog() = default;

void CSplitterDialog::setUp(std::unique_ptr<PaneDescriptor> left_, std::unique_ptr<PaneDescriptor> right_,
                            int split_)
{
    setUpSize = size();
    const int cw = width(), ch = height();

    grip = new QSizeGrip(this);
    grip->setFixedSize(gripSize, gripSize);
    grip->move(cw - gripSize, ch - gripSize);

    left = std::move(left_);
    right = std::move(right_);
    const int split = cw * split_ / 100;

    leftRect = QRect(left->margin, paneTop(*left), split - left->margin - 2, ch - left->bottomReserve - paneTopGap);
    rightRect = QRect(split + 2, paneTop(*right), cw - right->margin - split - 2,
                      ch - right->bottomReserve - paneTopGap);
    left->pane->setGeometry(leftRect);
    right->pane->setGeometry(rightRect);

    splitter = {split - 2, paneTopGap, split + 2, ch};
    updateMinimumSize();
}

void CSplitterDialog::anchor(QWidget *control_)
{
    anchored.push_back({control_, width() - control_->x(), height() - control_->y()});
}

void CSplitterDialog::updateMinimumSize()
{
    // The right pane keeps its minimum width beside the splitter, and both
    // panes their minimum height above their reserves.
    // Past the current width it would make the dialog grow on its own.
    const int minWidth = std::min(right->minWidth + splitter.right + right->margin, width());
    const int minHeight = std::max(right->bottomReserve + right->minHeight, left->minHeight + left->bottomReserve);
    setMinimumSize(std::max(minWidth, setUpSize.width()), std::max(minHeight, setUpSize.height()));
}

void CSplitterDialog::resizeEvent(QResizeEvent *event_)
{
    QDialog::resizeEvent(event_);
    if (!active())
        return;
    const int cx = event_->size().width(), cy = event_->size().height();
    grip->move(cx - gripSize, cy - gripSize);
    for (const Anchored &a : anchored) {
        a.control->move(cx - a.fromRight, cy - a.fromBottom);
        a.control->update();
    }
    leftRect.setHeight(cy - left->bottomReserve);
    rightRect.setWidth(cx - right->margin - splitter.right);
    rightRect.setHeight(cy - right->bottomReserve);
    left->pane->setGeometry(leftRect);
    right->pane->setGeometry(rightRect);
    splitter.bottom = cy;
}

void CSplitterDialog::moveSplit(int x_)
{
    x_ = std::max(x_, left->minWidth + left->margin);
    x_ = std::min(x_, width() - right->margin - right->minWidth);
    splitter.left = x_ - 2;
    splitter.right = x_ + 2;
    leftRect.setWidth(x_ - left->margin - 2);
    rightRect = QRect(x_ + 2, rightRect.y(), width() - right->margin - x_ - 2, rightRect.height());
    left->pane->setGeometry(leftRect);
    right->pane->setGeometry(rightRect);
    updateMinimumSize();
}

void CSplitterDialog::mouseMoveEvent(QMouseEvent *event_)
{
    if (active()) {
        const QPoint p = event_->position().toPoint();
        if (splitter.contains(p) || dragging)
            setCursor(Qt::SplitHCursor);
        else
            unsetCursor();
        if (dragging)
            moveSplit(p.x());
    }
    QDialog::mouseMoveEvent(event_);
}

void CSplitterDialog::mousePressEvent(QMouseEvent *event_)
{
    if (active() && event_->button() == Qt::LeftButton && splitter.contains(event_->position().toPoint())) {
        // The dialog gets the moves until the button is up (implicit grab).
        setCursor(Qt::SplitHCursor);
        dragging = true;
    }
    QDialog::mousePressEvent(event_);
}

void CSplitterDialog::mouseReleaseEvent(QMouseEvent *event_)
{
    if (dragging && event_->button() == Qt::LeftButton) {
        moveSplit(event_->position().toPoint().x());
        dragging = false;
    }
    QDialog::mouseReleaseEvent(event_);
}

CColorEdit::CColorEdit(QWidget *parent_) : QPlainTextEdit(parent_)
{
    background = palette().color(QPalette::Base);
    applyColours();
}

void CColorEdit::setBackgroundColor(const QColor &colour_)
{
    background = colour_;
    applyColours();
}

void CColorEdit::applyColours()
{
    // Base paints both the lines and the area below them.
    QPalette p = palette();
    p.setColor(QPalette::Base, background);
    p.setColor(QPalette::Text, p.color(QPalette::WindowText));
    setPalette(p);
}
