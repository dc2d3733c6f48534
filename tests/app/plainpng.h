#pragma once

// PNG files written a row at a time through libpng, so a test can make a
// picture of the largest accepted size without holding it, and interlaced
// files, which Qt does not write.

#include <QByteArray>
#include <QFile>
#include <QRgb>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include <png.h>
#include <zlib.h>

// Fills one row (width pixels) of row y.
using PngRowMaker = std::function<void(int y, QRgb *row)>;

namespace plainpng_detail {

// libpng leaves a failure by longjmp: nothing here needs a destructor.
inline bool writeRows(png_structp png, png_infop info, std::FILE *file, int width, int height, bool interlaced,
                      bool alpha, const PngRowMaker &make, QRgb *pixels, png_bytep bytes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    const int channels = alpha ? 4 : 3;
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            make(y, pixels);
            for (int x = 0; x < width; ++x) {
                png_bytep at = bytes + x * channels;
                at[0] = png_byte(qRed(pixels[x]));
                at[1] = png_byte(qGreen(pixels[x]));
                at[2] = png_byte(qBlue(pixels[x]));
                if (alpha)
                    at[3] = png_byte(qAlpha(pixels[x]));
            }
            png_write_row(png, bytes);
        }
    png_write_end(png, nullptr);
    return true;
}

} // namespace plainpng_detail

inline bool writePngRows(const QString &path, int width, int height, const PngRowMaker &make, bool interlaced = false,
                         bool alpha = false)
{
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<QRgb> pixels(static_cast<std::size_t>(width));
    std::vector<png_byte> bytes(static_cast<std::size_t>(width) * 4);
    const bool written = info && plainpng_detail::writeRows(png, info, file, width, height, interlaced, alpha, make,
                                                            pixels.data(), bytes.data());
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

// A picture of one colour.
inline bool writePlainPng(const QString &path, int width, int height, QRgb colour)
{
    return writePngRows(path, width, height, [&](int, QRgb *row) { std::fill(row, row + width, colour); });
}

inline QByteArray pngBe32(quint32 v)
{
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

// One chunk with its length and CRC.
inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
    return pngBe32(quint32(data.size())) + body + pngBe32(crc);
}

// The PNG file's bytes with chunks put right after its header chunk.
inline QByteArray withChunksAfterHeader(const QByteArray &png, const QByteArray &chunks)
{
    const int afterHeader = 8 + 8 + 13 + 4;
    return png.left(afterHeader) + chunks + png.mid(afterHeader);
}

// The bytes of a PNG whose header claims width x height (8-bit RGB) and
// whose image data holds no pixels: what a header alone makes a reader do.
inline QByteArray pngOfNoPixels(quint32 width, quint32 height)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) +
           pngChunk("IHDR", pngBe32(width) + pngBe32(height) + QByteArray("\x08\x02\x00\x00\x00", 5)) +
           pngChunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + pngChunk("IEND", QByteArray());
}
