#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <array>
#include <vector>

// The viewer's zoom steps.
struct ZoomRow {
    const char *text;
    double factor;
};
inline constexpr std::array<ZoomRow, 8> zoomTable{{
    {"25 %", 0.25},
    {"50 %", 0.5},
    {"75 %", 0.75},
    {"100 %", 1.0},
    {"200 %", 2.0},
    {"300 %", 3.0},
    {"400 %", 4.0},
    {"700 %", 7.0},
}};
inline constexpr int zoomRowCount = static_cast<int>(zoomTable.size());
inline constexpr int actualSizeZoomRow = 3;
// A picture shown this wide or wider takes a smaller zoom.
inline constexpr int zoomWidthLimit = 4095;

struct ZoomChoice {
    int row;
    bool limited; // the row asked for was too large for the picture
};
// The row the picture is shown at when row_ is asked for.
ZoomChoice LimitZoom(int pictureWidth_, int row_);
QSize ZoomedSize(const QSize &picture_, int row_);

// Combining the shown picture with another, per pixel on RGB; the result
// is opaque.
enum CombineOperation { CombineXor = 0, CombineOr = 1 };
// The other picture is stretched over the whole of the shown one.
void CombinePictures(QImage &shown_, const QImage &other_, int operation_);
// The other picture's column (or row) that column i_ of the shown one takes,
// when the other picture is stretched over the shown one.
inline int StretchedIndex(int i_, int shown_, int other_)
{
    return static_cast<int>(static_cast<qint64>(i_) * other_ / shown_);
}
// One pixel combined; the result is opaque.
inline QRgb CombinedPixel(QRgb shown_, QRgb other_, int operation_)
{
    const QRgb mixed = operation_ == CombineXor ? shown_ ^ other_ : shown_ | other_;
    return 0xFF000000u | (mixed & 0x00FFFFFFu);
}

// Tiling n windows: columns and rows, every window inside the area.
struct TileGrid {
    int columns;
    int rows;
};
TileGrid TileLayout(int count_);
// The places of the windows in order, row by row.
std::vector<QRect> TileRects(int count_, const QSize &client_);
// Cascading windows of the given sizes from (20, 20); a window that would
// reach past the area starts a new column.
std::vector<QPoint> CascadePositions(const std::vector<QSize> &sizes_, const QSize &client_);

// The point of the picture at the centre of the view, relative to the
// shown picture (0.5 along an axis where the picture fits).
QPointF RelativeViewPoint(const QPoint &scroll_, const QSize &visible_, const QSize &shown_);
// The scroll position that puts the relative point at the centre of the view.
QPoint ScrollForViewPoint(const QPointF &point_, const QSize &visible_, const QSize &shown_);
// The frame over the thumbnail that marks the visible part; an empty
// rectangle when the whole picture is visible.
QRect ThumbnailFrame(const QRect &thumbnail_, const QPoint &scroll_, const QSize &visible_, const QSize &shown_);
