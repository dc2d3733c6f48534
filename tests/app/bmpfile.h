#pragma once

// BMP files byte by byte, of the kinds Qt does not write: every header, bit
// depth and compression a reader meets, and broken ones.

#include <QByteArray>
#include <QRgb>
#include <QtEndian>
#include <functional>
#include <vector>

namespace bmpfile {

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

inline QByteArray le16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

struct Layout {
    int infoSize = 40; // 12, 40, 52, 56, 108 or 124
    int width = 0;
    int height = 0; // negative: top-down
    int bits = 24;
    quint32 compression = Rgb;
    std::vector<quint32> masks; // red, green, blue[, alpha]
    std::vector<QRgb> palette;
};

// The headers, the palette and the pixel bytes as given (rows padded by the
// caller, or runs).
inline QByteArray file(const Layout &layout_, const QByteArray &pixels_)
{
    QByteArray info;
    if (layout_.infoSize == 12) {
        info = le32(12) + le16(quint16(layout_.width)) + le16(quint16(layout_.height)) + le16(1) +
               le16(quint16(layout_.bits));
    } else {
        info = le32(quint32(layout_.infoSize)) + le32(quint32(layout_.width)) + le32(quint32(layout_.height)) +
               le16(1) + le16(quint16(layout_.bits)) + le32(layout_.compression) + le32(quint32(pixels_.size())) +
               le32(2835) + le32(2835) + le32(quint32(layout_.palette.size())) + le32(0);
        QByteArray masks;
        for (quint32 m : layout_.masks)
            masks += le32(m);
        if (layout_.infoSize >= 52) {
            masks = masks.leftJustified(layout_.infoSize >= 56 ? 16 : 12, '\0', true);
            info += masks;
            info = info.leftJustified(layout_.infoSize, '\0');
        } else {
            info += masks;
        }
    }
    QByteArray palette;
    for (QRgb c : layout_.palette) {
        palette += char(qBlue(c));
        palette += char(qGreen(c));
        palette += char(qRed(c));
        if (layout_.infoSize != 12)
            palette += '\0';
    }
    const quint32 offset = quint32(14 + info.size() + palette.size());
    const QByteArray header = QByteArray("BM") + le32(offset + quint32(pixels_.size())) + le32(0) + le32(offset);
    return header + info + palette + pixels_;
}

// Uncompressed rows, bottom row first unless top-down, each padded to four
// bytes; pixel_(x, y) gives the bytes of one pixel (or, below 8 bits, its
// index).
inline QByteArray rows(const Layout &layout_, const std::function<quint32(int x, int y)> &pixel_)
{
    const int height = layout_.height < 0 ? -layout_.height : layout_.height;
    const int rowBytes = (layout_.width * layout_.bits + 31) / 32 * 4;
    QByteArray out;
    for (int r = 0; r < height; ++r) {
        const int y = layout_.height < 0 ? r : height - 1 - r;
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < layout_.width; ++x) {
            const quint32 v = pixel_(x, y);
            if (layout_.bits < 8) {
                const int perByte = 8 / layout_.bits;
                const int shift = 8 - layout_.bits * (x % perByte + 1);
                row[x / perByte] = char(uchar(row[x / perByte]) | uchar(v << shift));
            } else {
                for (int b = 0; b < layout_.bits / 8; ++b)
                    row[x * (layout_.bits / 8) + b] = char((v >> (8 * b)) & 0xFF);
            }
        }
        out += row;
    }
    return out;
}

} // namespace bmpfile
