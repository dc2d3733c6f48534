#include "Advscrollbox.h"

#include <QPaintEvent>
#include <QPainter>

TAdvScrollBox::TAdvScrollBox(QWidget *parent_) : QScrollArea(parent_)
{
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

QRegion TAdvScrollBox::backgroundRegion() const
{
    QRegion region(viewport()->rect());
    const QWidget *control = widget();
    if (control && control->isVisible())
        region -= QRegion(control->geometry());
    return region;
}

bool TAdvScrollBox::viewportEvent(QEvent *event_)
{
    if (event_->type() == QEvent::Paint) {
        QPainter painter(viewport());
        const QBrush brush = viewport()->palette().brush(viewport()->backgroundRole());
        const QRegion region = backgroundRegion() & static_cast<QPaintEvent *>(event_)->region();
        for (const QRect &r : region)
            painter.fillRect(r, brush);
        return true;
    }
    return QScrollArea::viewportEvent(event_);
}
