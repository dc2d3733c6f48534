#include "chartwidget.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFontMetrics>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QSvgGenerator>
#include <QToolTip>

#include "Cp1252.h"
#include "Ucommoncalls.h"
#include "uBasicProject.h"

TChart::TChart(QWidget *parent_) : QWidget(parent_), chartFonts(TChartFonts::defaults())
{
    setMouseTracking(true);
    // A click gives the chart the focus, as the window wants it.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TChart::modelChanged()
{
    layoutStale = true;
    // The points may be others now; a remembered one means nothing.
    hovered = {};
    setToolTip(QString());
    if (!isWindow())
        setVisible(chartModel.visible);
    update();
}

void TChart::setFonts(const TChartFonts &fonts_)
{
    chartFonts = fonts_;
    layoutStale = true;
    update();
}

TTextWidth TChart::labelWidthFunction() const
{
    const QFontMetrics metrics(chartFonts.labels);
    return [metrics](const std::string &text_) { return metrics.horizontalAdvance(fromCp1252(text_)); };
}

const TChartLayout &TChart::layout() const
{
    if (layoutStale || currentLayout.size != QSizeF(size())) {
        currentLayout = layoutChart(chartModel, size(), chartFonts, this);
        layoutStale = false;
    }
    return currentLayout;
}

CBasicProject *TChart::projectOf(TChartHit hit_) const
{
    if (!hit_.valid() || hit_.series >= static_cast<int>(chartModel.series.size()))
        return nullptr;
    const auto &points = chartModel.series[std::size_t(hit_.series)].points;
    return hit_.point < static_cast<int>(points.size()) ? points[std::size_t(hit_.point)].project : nullptr;
}

QImage TChart::renderImage(QSize size_) const
{
    const QSize target = size_.isEmpty() ? size() : size_;
    if (target.isEmpty())
        return {};
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    paintTo(painter, target);
    return image;
}

QByteArray TChart::renderSvg(QSize size_) const
{
    const QSize target = size_.isEmpty() ? size() : size_;
    QByteArray bytes;
    if (target.isEmpty())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(target);
    generator.setViewBox(QRect(QPoint(0, 0), target));
    // Texts keep the size they have on the screen.
    generator.setResolution(logicalDpiY());
    QPainter painter(&generator);
    paintTo(painter, target);
    painter.end();
    return bytes;
}

void TChart::paintTo(QPainter &painter_, QSize size_) const
{
    const TChartLayout laidOut = layoutChart(chartModel, size_, chartFonts, painter_.device());
    paintChart(painter_, chartModel, laidOut);
}

bool TChart::copyToClipboard(QSize size_, bool withPicture_)
{
    const QSize target = size_.isEmpty() ? size() : size_;
    if (target.isEmpty())
        return false;
    const QImage image = renderImage(target);
    if (image.isNull()) {
        AppMessage("Not enough memory to copy the chart.");
        return false;
    }
    auto *data = new QMimeData;
    data->setImageData(image);
    if (withPicture_)
        data->setData(QStringLiteral("image/svg+xml"), renderSvg(target));
    QApplication::clipboard()->setMimeData(data);
    return true;
}

void TChart::paintEvent(QPaintEvent *event_)
{
    QPainter painter(this);
    painter.setClipRect(event_->rect());
    paintChart(painter, chartModel, layout());
}

void TChart::resizeEvent(QResizeEvent *event_)
{
    layoutStale = true;
    QWidget::resizeEvent(event_);
}

void TChart::mousePressEvent(QMouseEvent *event_)
{
    if (event_->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event_);
        return;
    }
    pressed = true;
    // Everything the slot gets is copied out first: the slot may rebuild
    // the chart, which drops this layout and these points.
    const TChartHit hit = barAt(event_->position().toPoint());
    if (hit.valid()) {
        CBasicProject *project = projectOf(hit);
        Q_EMIT barClicked(hit.series, hit.point, project, event_->modifiers(), false);
    }
}

void TChart::mouseReleaseEvent(QMouseEvent *event_)
{
    if (event_->button() != Qt::LeftButton || !pressed) {
        QWidget::mouseReleaseEvent(event_);
        return;
    }
    pressed = false;
    if (rect().contains(event_->position().toPoint()))
        Q_EMIT chartClicked(event_->position().toPoint());
}

void TChart::mouseDoubleClickEvent(QMouseEvent *event_)
{
    if (event_->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event_);
        return;
    }
    // The release that ends a double click is no click of its own.
    pressed = false;
    const TChartHit hit = barAt(event_->position().toPoint());
    if (hit.valid()) {
        CBasicProject *project = projectOf(hit);
        Q_EMIT barClicked(hit.series, hit.point, project, event_->modifiers(), true);
    }
}

void TChart::mouseMoveEvent(QMouseEvent *event_)
{
    setHovered(barAt(event_->position().toPoint()));
    QWidget::mouseMoveEvent(event_);
}

void TChart::leaveEvent(QEvent *event_)
{
    setHovered({});
    QWidget::leaveEvent(event_);
}

void TChart::setHovered(TChartHit hit_)
{
    if (hit_ == hovered)
        return;
    hovered = hit_;
    CBasicProject *project = projectOf(hit_);
    const QString name = project ? fromCp1252(project->getName()) : QString();
    setToolTip(name);
    if (name.isEmpty())
        QToolTip::hideText();
    Q_EMIT hoverChanged(hit_.series, hit_.point, project);
}
