#pragma once

// Body of the picture fuzz target, shared with the corpus replay of the
// window tests: any bytes as a picture file named .png (read by libpng
// whatever it holds) and .bmp (read by what it begins as: a PNG, a BMP or a
// JPEG, any other kind refused), and again with the CRCs of its PNG chunks made right,
// each read whole and fitted into two boxes, opaque and not. A read either
// fails with a reason or gives a 32-bit picture within its box, and what the
// pictures take of the budget is given back when they go.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>
#include <zlib.h>

#include "check_body.h"
#include "picturefile.h"
#include "scratch_folder.h"

namespace fuzzbody {

// What one read gave, kept once its picture is gone, so no two pictures are
// held at once and the budget never refuses one for another.
struct PictureOutcome {
    bool ok = false;
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
    std::uint64_t hash = 0;
};

inline std::uint64_t pixelHash(const QImage &image)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const std::uint32_t *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Qt draws RGB32 pixels as if their alpha were 0xFF; anything else
            // is a pixel a blend would read wrong.
            if (image.format() == QImage::Format_RGB32)
                SCORVISTA_FUZZ_CHECK((line[x] >> 24) == 0xFF);
            hash = (hash ^ line[x]) * 1099511628211ull;
        }
    }
    return hash;
}

inline PictureOutcome readPictureOnce(const QString &fileName, QSize box, bool opaque)
{
    const qint64 heldBefore = PictureBytesHeld();
    PictureOutcome out;
    {
        const PictureRead read = ReadPictureFile(fileName, PictureRequest{box, opaque});
        if (!read.ok()) {
            SCORVISTA_FUZZ_CHECK(!read.error.isEmpty());
            // The budget has room for the largest picture accepted.
            if (heldBefore == 0)
                SCORVISTA_FUZZ_CHECK(!read.overBudget);
            SCORVISTA_FUZZ_CHECK(PictureBytesHeld() == heldBefore);
            return out;
        }
        const QImage &image = read.image;
        SCORVISTA_FUZZ_CHECK(image.format() == QImage::Format_RGB32 ||
                             (!opaque && image.format() == QImage::Format_ARGB32));
        SCORVISTA_FUZZ_CHECK(image.width() > 0 && image.height() > 0);
        SCORVISTA_FUZZ_CHECK(quint64(image.width()) * quint64(image.height()) <= largestPicturePixels);
        if (!box.isEmpty())
            SCORVISTA_FUZZ_CHECK(image.width() <= box.width() && image.height() <= box.height());
        SCORVISTA_FUZZ_CHECK(PictureBytesHeld() - heldBefore >= image.sizeInBytes());
        out = {true, image.size(), image.format(), pixelHash(image)};
    }
    SCORVISTA_FUZZ_CHECK(PictureBytesHeld() == heldBefore);
    return out;
}

// The header agrees with the picture, and combining the file into a
// picture leaves it a picture of its own size, whether or not the file reads.
inline void checkHeaderAndCombining(const QString &fileName, const PictureOutcome &whole)
{
    const PictureHeader header = ReadPictureHeader(fileName);
    SCORVISTA_FUZZ_CHECK(header.error.isEmpty() == !header.size.isEmpty());
    if (header.error.isEmpty()) {
        SCORVISTA_FUZZ_CHECK(quint64(header.size.width()) * quint64(header.size.height()) <= largestPicturePixels);
        if (whole.ok)
            SCORVISTA_FUZZ_CHECK(header.size == whole.size);
    }
    const qint64 heldBefore = PictureBytesHeld();
    for (const int operation : {0, 1}) {
        QImage into(9, 7, QImage::Format_RGB32);
        into.fill(0xFF336699u);
        const QString why = CombinePictureFile(into, fileName, operation);
        SCORVISTA_FUZZ_CHECK(into.size() == QSize(9, 7) && into.format() == QImage::Format_RGB32);
        pixelHash(into);
        // A file that reads whole combines as well.
        SCORVISTA_FUZZ_CHECK(!whole.ok || why.isEmpty());
        SCORVISTA_FUZZ_CHECK(PictureBytesHeld() == heldBefore);
    }
}

inline void checkPictureFile(const QString &fileName)
{
    PictureOutcome whole;
    for (const QSize box : {QSize(), QSize(200, 160), QSize(7, 5)}) {
        const PictureOutcome plain = readPictureOnce(fileName, box, false);
        const PictureOutcome opaque = readPictureOnce(fileName, box, true);
        // Dropping the alpha changes nothing else.
        SCORVISTA_FUZZ_CHECK(plain.ok == opaque.ok);
        if (!plain.ok)
            continue;
        SCORVISTA_FUZZ_CHECK(opaque.size == plain.size);
        if (plain.format == QImage::Format_RGB32)
            SCORVISTA_FUZZ_CHECK(opaque.hash == plain.hash);
        if (box.isEmpty()) {
            whole = plain;
            continue;
        }
        if (!whole.ok)
            continue;
        if (whole.size.width() <= box.width() && whole.size.height() <= box.height()) {
            // A picture that fits its box is read pixel for pixel.
            SCORVISTA_FUZZ_CHECK(plain.size == whole.size);
            SCORVISTA_FUZZ_CHECK(plain.hash == whole.hash && plain.format == whole.format);
        } else {
            // Fitted: never enlarged, and filling the box one way.
            SCORVISTA_FUZZ_CHECK(plain.size.width() <= whole.size.width() &&
                                 plain.size.height() <= whole.size.height());
            SCORVISTA_FUZZ_CHECK(plain.size.width() == box.width() || plain.size.height() == box.height());
        }
    }
    checkHeaderAndCombining(fileName, whole);
}

// The file with the CRC of every complete PNG chunk made right, so mutated
// chunks get past libpng's check into their contents. False when no CRC
// needed it.
inline bool fixPngCrcs(std::vector<unsigned char> &file)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0)
        return false;
    bool fixed = false;
    std::size_t at = 8;
    while (file.size() - at >= 12) {
        const unsigned char *p = file.data() + at;
        const std::size_t length = std::size_t(p[0]) << 24 | std::size_t(p[1]) << 16 | std::size_t(p[2]) << 8 | p[3];
        if (length > file.size() - at - 12)
            break;
        const uLong crc = ::crc32(0L, p + 4, uInt(length + 4));
        unsigned char *stored = file.data() + at + 8 + length;
        const unsigned char want[4] = {static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
                                       static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
        if (std::memcmp(stored, want, 4) != 0) {
            std::memcpy(stored, want, 4);
            fixed = true;
        }
        at += 12 + length;
    }
    return fixed;
}

inline void writePictureBytes(const std::string &path, const unsigned char *data, std::size_t size)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    SCORVISTA_FUZZ_CHECK(f);
    SCORVISTA_FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    SCORVISTA_FUZZ_CHECK(std::fclose(f) == 0);
}

inline void checkPictureBytes(const unsigned char *data, std::size_t size)
{
    // ".png" chooses libpng; any other name leaves it to the bytes.
    for (const char *name : {"/input.png", "/input.bmp"}) {
        const std::string path = scratchFolder() + name;
        writePictureBytes(path, data, size);
        checkPictureFile(QFile::decodeName(QByteArray::fromStdString(path)));
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
}

inline void readPicture(const std::uint8_t *data, std::size_t size)
{
    if (size > (1u << 20))
        return;
    ScratchTmpdirScope tmpdir;
    checkPictureBytes(data, size);
    std::vector<unsigned char> repaired(data, data + size);
    if (fixPngCrcs(repaired))
        checkPictureBytes(repaired.data(), repaired.size());
    // Reading leaves no file behind.
    SCORVISTA_FUZZ_CHECK(scratchEntries() == 0);
}

} // namespace fuzzbody
