#pragma once

// JPEG files written a row at a time through libjpeg, of every colour space
// a reader meets, baseline or progressive, so a test can make a picture of
// a camera's size without holding it.

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
// jpeglib.h needs FILE and size_t before it.
#include <jpeglib.h>

namespace jpegfile {

enum class Kind {
    Colour, // YCbCr
    Grey,
    Rgb,  // RGB as it is, with Adobe's marker
    Cmyk, // inverted, with Adobe's marker, as Adobe's programs write it
};

struct Options {
    Kind kind = Kind::Colour;
    bool progressive = false;
    bool fullChroma = false; // 4:4:4, else 4:2:0
    int quality = 95;
    int restartRows = 0;     // a restart marker after this many rows of blocks
    bool arithmetic = false; // arithmetic coding instead of Huffman's
};

// A pixel as 0xAARRGGBB, in the order of Qt's QRgb; the alpha is not written.
using Pixel = std::uint32_t;
inline int red(Pixel p) { return int(p >> 16 & 0xFF); }
inline int green(Pixel p) { return int(p >> 8 & 0xFF); }
inline int blue(Pixel p) { return int(p & 0xFF); }
inline int greyOf(Pixel p) { return (red(p) * 11 + green(p) * 16 + blue(p) * 5) / 32; }

// Fills one row (width pixels) of row y.
using RowMaker = std::function<void(int y, Pixel *row)>;

namespace detail {

struct Failure {
    jpeg_error_mgr manager; // first: libjpeg hands it back
    std::jmp_buf jump;
};

[[noreturn]] inline void fail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Failure *>(info->err)->jump, 1);
}

// The ink that gives the colour when it is decoded as inverted CMYK.
inline void cmyk(Pixel colour, JSAMPLE *out)
{
    const int k = std::max({red(colour), green(colour), blue(colour)});
    const auto ink = [k](int channel) { return JSAMPLE(k ? (channel * 255 + k / 2) / k : 0); };
    out[0] = ink(red(colour));
    out[1] = ink(green(colour));
    out[2] = ink(blue(colour));
    out[3] = JSAMPLE(k);
}

// libjpeg leaves a failure by longjmp: nothing here needs a destructor.
inline bool writeRows(jpeg_compress_struct &info, std::FILE *file, int width, int height, const Options &options,
                      const RowMaker &make, Pixel *pixels, JSAMPLE *samples)
{
    if (setjmp(reinterpret_cast<Failure *>(info.err)->jump))
        return false;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    const bool grey = options.kind == Kind::Grey;
    info.input_components = grey ? 1 : options.kind == Kind::Cmyk ? 4 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : options.kind == Kind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.kind == Kind::Rgb)
        jpeg_set_colorspace(&info, JCS_RGB);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.fullChroma || options.kind != Kind::Colour)
        for (int c = 0; c < info.num_components; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    if (options.progressive)
        jpeg_simple_progression(&info);
    info.restart_in_rows = options.restartRows;
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        make(int(info.next_scanline), pixels);
        for (int x = 0; x < width; ++x) {
            JSAMPLE *at = samples + x * info.input_components;
            if (grey) {
                at[0] = JSAMPLE(greyOf(pixels[x]));
            } else if (options.kind == Kind::Cmyk) {
                cmyk(pixels[x], at);
            } else {
                at[0] = JSAMPLE(red(pixels[x]));
                at[1] = JSAMPLE(green(pixels[x]));
                at[2] = JSAMPLE(blue(pixels[x]));
            }
        }
        JSAMPROW row = samples;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace detail

inline bool write(const std::string &path, int width, int height, const RowMaker &make, const Options &options = {})
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info{};
    detail::Failure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = detail::fail;
    std::vector<Pixel> pixels(static_cast<std::size_t>(width));
    std::vector<JSAMPLE> samples(static_cast<std::size_t>(width) * 4);
    const bool written = detail::writeRows(info, file, width, height, options, make, pixels.data(), samples.data());
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 && written;
}

// A picture of one colour.
inline bool writePlain(const std::string &path, int width, int height, Pixel colour, const Options &options = {})
{
    return write(path, width, height, [&](int, Pixel *row) { std::fill(row, row + width, colour); }, options);
}

// The file's bytes with the size its frame header claims changed, as a
// header alone makes a reader decide.
inline std::vector<unsigned char> withFrameSize(std::vector<unsigned char> file, int width, int height)
{
    for (std::size_t at = 2; at + 9 <= file.size(); ++at)
        if (file[at] == 0xFF && file[at + 1] >= 0xC0 && file[at + 1] <= 0xC2) {
            file[at + 5] = static_cast<unsigned char>(height >> 8);
            file[at + 6] = static_cast<unsigned char>(height);
            file[at + 7] = static_cast<unsigned char>(width >> 8);
            file[at + 8] = static_cast<unsigned char>(width);
            break;
        }
    return file;
}

// Where the last scan's header begins; the size of the file when it has none.
inline std::size_t lastScanAt(const std::vector<unsigned char> &file)
{
    for (std::size_t at = file.size() >= 2 ? file.size() - 2 : 0; at > 0; --at)
        if (file[at] == 0xFF && file[at + 1] == 0xDA)
            return at;
    return file.size();
}

// The file with its last scan (its header and data, up to the end marker)
// written again until it holds scans in all: libjpeg decodes each copy over
// the whole component again.
inline std::vector<unsigned char> withLastScanRepeated(const std::vector<unsigned char> &file, int scans)
{
    const std::size_t at = lastScanAt(file);
    const std::size_t end = file.size() - 2; // the end marker
    int count = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA)
            ++count;
    std::vector<unsigned char> out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(end));
    for (; count < scans; ++count)
        out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(end));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

} // namespace jpegfile
