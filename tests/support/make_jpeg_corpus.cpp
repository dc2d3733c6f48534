// Writes the JPEG seeds of the picture fuzz target into the folder "picture"
// under the folder named on the command line: every colour space and
// sampling, baseline and progressive, restarts and arithmetic coding, a
// picture large enough to be shrunk as it is decoded, files cut short,
// closed early by an end marker or whole without one, files claiming sizes
// that are refused, and one whose scans take too much work. Rerunning gives
// the same bytes.
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "jpegfile.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string folder;

std::string pathOf(const std::string &name)
{
    return folder + "/" + name;
}

Bytes load(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    Bytes bytes;
    if (f) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    if (bytes.empty()) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return bytes;
}

void save(const std::string &name, const Bytes &bytes)
{
    std::FILE *f = std::fopen(pathOf(name).c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::perror(name.c_str());
        std::exit(1);
    }
}

// A pattern with edges and smooth parts, so every kind of block occurs.
jpegfile::Pixel pattern(int x, int y)
{
    const int r = (x * 7 + y * 3) % 256, g = (x * y) % 256, b = ((x / 4 + y / 4) % 2) * 200 + 20;
    return 0xFF000000u | jpegfile::Pixel(r) << 16 | jpegfile::Pixel(g) << 8 | jpegfile::Pixel(b);
}

// The seed, written through libjpeg; its bytes.
Bytes picture(const std::string &name, int width, int height, const jpegfile::Options &options)
{
    const bool written = jpegfile::write(pathOf(name), width, height, [width](int y, jpegfile::Pixel *row) {
        for (int x = 0; x < width; ++x)
            row[x] = pattern(x, y);
    }, options);
    if (!written) {
        std::fprintf(stderr, "%s could not be written\n", name.c_str());
        std::exit(1);
    }
    return load(pathOf(name));
}

// A picture of one colour, whose repeated scans still decode.
Bytes plain(const std::string &name, int width, int height, const jpegfile::Options &options)
{
    if (!jpegfile::writePlain(pathOf(name), width, height, 0xFF336699u, options)) {
        std::fprintf(stderr, "%s could not be written\n", name.c_str());
        std::exit(1);
    }
    return load(pathOf(name));
}

Bytes firstBytes(const Bytes &bytes, std::size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    folder = std::string(argv[1]) + "/picture";
    using jpegfile::Kind;
    picture("jpeg_baseline_420", 13, 11, {});
    const Bytes full = picture("jpeg_baseline_444", 13, 11, {Kind::Colour, false, true});
    picture("jpeg_progressive_420", 13, 11, {Kind::Colour, true});
    const Bytes progressive = picture("jpeg_progressive_444", 17, 9, {Kind::Colour, true, true});
    picture("jpeg_grey", 13, 11, {Kind::Grey});
    picture("jpeg_grey_progressive", 13, 11, {Kind::Grey, true});
    picture("jpeg_rgb", 13, 11, {Kind::Rgb});
    picture("jpeg_cmyk", 13, 11, {Kind::Cmyk});
    picture("jpeg_cmyk_progressive", 13, 11, {Kind::Cmyk, true});
    picture("jpeg_restarts", 40, 30, {Kind::Colour, false, false, 90, 1});
    const Bytes arithmetic = picture("jpeg_arithmetic", 40, 30, {Kind::Colour, true, false, 90, 0, true});
    // Fitted into the fuzz body's boxes it is decoded at an eighth of its size.
    const Bytes large = picture("jpeg_large_420", 400, 300, {Kind::Colour, false, false, 50});
    const Bytes largeProgressive = picture("jpeg_large_progressive", 400, 300, {Kind::Colour, true, false, 50});

    save("jpeg_soi_only", Bytes{0xFF, 0xD8, 0xFF});
    save("jpeg_cut_in_header", firstBytes(full, 40));
    save("jpeg_cut_in_scan", firstBytes(large, large.size() / 2));
    save("jpeg_progressive_cut", firstBytes(largeProgressive, largeProgressive.size() / 2));
    // Without its end marker: the data runs out in the first row.
    save("jpeg_at_limit_cut_short", firstBytes(jpegfile::withFrameSize(full, 8192, 8192), full.size() - 2));
    save("jpeg_just_over_limit", jpegfile::withFrameSize(full, 8193, 8192));
    // Its pixels would fit, but not beside the coefficients it holds.
    save("jpeg_progressive_over_decoding_limit", jpegfile::withFrameSize(progressive, 8192, 8192));
    save("jpeg_zero_width", jpegfile::withFrameSize(full, 0, 11));
    // Whole but for the end marker: shown.
    save("jpeg_without_end_marker", firstBytes(full, full.size() - 2));
    save("jpeg_progressive_without_end_marker", firstBytes(progressive, progressive.size() - 2));
    save("jpeg_arithmetic_without_end_marker", firstBytes(arithmetic, arithmetic.size() - 2));
    // Data that stops at an end marker: cut short, and so is a header of the
    // largest size whose scan has no data at all.
    const std::size_t scan = jpegfile::lastScanAt(full);
    const std::size_t data = scan + 2 + (std::size_t(full[scan + 2]) << 8 | full[scan + 3]);
    Bytes closed = firstBytes(full, data + (full.size() - data) / 2);
    closed.insert(closed.end(), {0xFF, 0xD9});
    save("jpeg_cut_closed_by_end_marker", closed);
    Bytes noData = firstBytes(jpegfile::withFrameSize(full, 8192, 8192), data);
    noData.insert(noData.end(), {0xFF, 0xD9});
    save("jpeg_no_data_closed_by_end_marker", noData);
    // Its last scan repeated: more passes over the picture than are accepted.
    const Bytes flat = plain("jpeg_repeated_scans", 64, 48, {Kind::Colour, true});
    save("jpeg_repeated_scans", jpegfile::withLastScanRepeated(flat, 40));
    return 0;
}
