#include "advimage.h"

#include <QPaintEvent>
#include <QPainter>

TAdvImage::TAdvImage(QWidget *parent_) : QWidget(parent_)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void TAdvImage::setPicture(const QImage &picture_)
{
    image = picture_;
    update();
}

void TAdvImage::paintEvent(QPaintEvent *event_)
{
    if (image.isNull() || width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    const QRect target = event_->rect() & rect();
    const double sx = double(image.width()) / width();
    const double sy = double(image.height()) / height();
    const QRectF source(target.x() * sx, target.y() * sy, target.width() * sx, target.height() * sy);
    painter.drawImage(QRectF(target), image, source);
}
