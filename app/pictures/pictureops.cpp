#include "pictureops.h"

#include <QtMath>
#include <algorithm>

ZoomChoice LimitZoom(int pictureWidth_, int row_)
{
    int row = std::clamp(row_, 0, zoomRowCount - 1);
    bool limited = false;
    while (pictureWidth_ * zoomTable[row].factor >= zoomWidthLimit && row >= 1) {
        --row;
        limited = true;
    }
    return {row, limited};
}

QSize ZoomedSize(const QSize &picture_, int row_)
{
    const double factor = zoomTable[std::clamp(row_, 0, zoomRowCount - 1)].factor;
    return QSize(qRound(picture_.width() * factor), qRound(picture_.height() * factor));
}

void CombinePictures(QImage &shown_, const QImage &other_, int operation_)
{
    if (shown_.isNull() || other_.isNull())
        return;
    shown_ = shown_.convertToFormat(QImage::Format_RGB32);
    // Stretched and converted a row at a time: the other picture may be as
    // large as the shown one, and no second copy of it is made.
    const bool direct = other_.format() == QImage::Format_RGB32;
    QImage converted;
    int convertedRow = -1;
    for (int y = 0; y < shown_.height(); ++y) {
        const int sy = StretchedIndex(y, shown_.height(), other_.height());
        const QRgb *source = nullptr;
        if (direct) {
            source = reinterpret_cast<const QRgb *>(other_.constScanLine(sy));
        } else {
            if (sy != convertedRow) {
                converted = other_.copy(0, sy, other_.width(), 1).convertToFormat(QImage::Format_RGB32);
                convertedRow = sy;
            }
            if (converted.isNull())
                return;
            source = reinterpret_cast<const QRgb *>(converted.constScanLine(0));
        }
        auto *target = reinterpret_cast<QRgb *>(shown_.scanLine(y));
        const int width = shown_.width();
        if (other_.width() == width) {
            for (int x = 0; x < width; ++x)
                target[x] = CombinedPixel(target[x], source[x], operation_);
        } else {
            for (int x = 0; x < width; ++x)
                target[x] = CombinedPixel(target[x], source[StretchedIndex(x, width, other_.width())], operation_);
        }
    }
}

TileGrid TileLayout(int count_)
{
    if (count_ <= 0)
        return {1, 0};
    if (count_ % 2 != 0)
        return {1, count_};
    int columns = 1;
    int k = 1;
    int n = count_;
    do {
        columns *= 2;
        if (n >= 4)
            ++k;
        n /= 4;
    } while (n > 1);
    // Enough rows for every window: the doubling alone can leave too few.
    const int needed = (count_ + columns - 1) / columns;
    return {columns, std::max(k, needed)};
}

std::vector<QRect> TileRects(int count_, const QSize &client_)
{
    std::vector<QRect> rects;
    const TileGrid grid = TileLayout(count_);
    if (count_ <= 0 || grid.rows <= 0)
        return rects;
    const int width = client_.width() / grid.columns;
    const int height = client_.height() / grid.rows;
    for (int i = 0; i < count_; ++i)
        rects.emplace_back((i % grid.columns) * width, (i / grid.columns) * height, width, height);
    return rects;
}

std::vector<QPoint> CascadePositions(const std::vector<QSize> &sizes_, const QSize &client_)
{
    std::vector<QPoint> positions;
    int x = 20;
    int y = 20;
    int column = 0;
    for (const QSize &size : sizes_) {
        const bool pastRight = x + size.width() > client_.width() && client_.width() - 40 > size.width();
        const bool pastBottom = y + size.height() > client_.height() && client_.height() - 40 > size.height();
        if (pastRight || pastBottom) {
            ++column;
            x = column * 120 + 20;
            y = 20;
        }
        positions.emplace_back(x, y);
        x += 20;
        y += 20;
    }
    return positions;
}

QPointF RelativeViewPoint(const QPoint &scroll_, const QSize &visible_, const QSize &shown_)
{
    auto axis = [](int scroll, int visible, int shown) {
        if (shown <= 0 || shown <= visible)
            return 0.5;
        return (scroll + visible / 2.0) / shown;
    };
    return QPointF(axis(scroll_.x(), visible_.width(), shown_.width()),
                   axis(scroll_.y(), visible_.height(), shown_.height()));
}

QPoint ScrollForViewPoint(const QPointF &point_, const QSize &visible_, const QSize &shown_)
{
    auto axis = [](double point, int visible, int shown) {
        const int range = std::max(0, shown - visible);
        return std::clamp(qRound(point * shown - visible / 2.0), 0, range);
    };
    return QPoint(axis(point_.x(), visible_.width(), shown_.width()),
                  axis(point_.y(), visible_.height(), shown_.height()));
}

QRect ThumbnailFrame(const QRect &thumbnail_, const QPoint &scroll_, const QSize &visible_, const QSize &shown_)
{
    if (shown_.isEmpty() || thumbnail_.isEmpty())
        return QRect();
    if (visible_.width() >= shown_.width() && visible_.height() >= shown_.height())
        return QRect();
    auto scaled = [](double value, int shown, int thumb) { return qRound(value / shown * thumb); };
    const int w = std::min(visible_.width(), shown_.width());
    const int h = std::min(visible_.height(), shown_.height());
    return QRect(thumbnail_.left() + scaled(scroll_.x(), shown_.width(), thumbnail_.width()),
                 thumbnail_.top() + scaled(scroll_.y(), shown_.height(), thumbnail_.height()),
                 scaled(w, shown_.width(), thumbnail_.width()), scaled(h, shown_.height(), thumbnail_.height()));
}
