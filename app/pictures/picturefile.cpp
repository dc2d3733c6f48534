#include "picturefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>
#include <png.h>
// jpeglib.h needs FILE and size_t before it.
#include <jpeglib.h>
#include <jerror.h>

#include "pictureops.h"

namespace {

std::atomic<qint64> heldBytes{0};
std::atomic<qint64> budgetBytes{pictureBudgetBytes};
std::atomic<PictureHoldersText> holdersText{nullptr};

// The pixels of every held picture, so a picture met elsewhere (on the
// clipboard, in a window) can be told apart as one of ours.
std::mutex heldLock;
std::unordered_map<const uchar *, qint64> &heldPixels()
{
    static std::unordered_map<const uchar *, qint64> pixels;
    return pixels;
}

// Also libpng's failures, which take plain texts.
constexpr const char *cutShortText = "The file is cut short.";
constexpr const char *unreadableText = "The file could not be read.";

QString cutShort()
{
    return QString::fromLatin1(cutShortText);
}

QString unreadable()
{
    return QString::fromLatin1(unreadableText);
}

QString tooLarge(quint64 width_, quint64 height_)
{
    return QStringLiteral("The picture is too large (%1 x %2 pixels; a picture may have up to 67,108,864 pixels "
                          "and 1,000,000 along a side).")
        .arg(width_)
        .arg(height_);
}

bool sizeAccepted(quint64 width_, quint64 height_)
{
    return width_ > 0 && height_ > 0 && width_ <= largestPictureSide && height_ <= largestPictureSide &&
           width_ * height_ <= largestPicturePixels;
}

QString noMemory()
{
    return QStringLiteral("Not enough memory for the picture.");
}

// In MiB, or KiB below one MiB; up_ rounds up, else to the nearest.
QString sizeText(qint64 bytes_, bool up_)
{
    const qint64 unit = bytes_ >= (qint64(1) << 20) ? qint64(1) << 20 : qint64(1) << 10;
    const qint64 n = up_ ? (bytes_ + unit - 1) / unit : (bytes_ + unit / 2) / unit;
    return QString::number(n) + (unit == qint64(1) << 20 ? QStringLiteral(" MiB") : QStringLiteral(" KiB"));
}

// Bytes of the budget taken for one picture, given back when the
// reservation ends unless a held picture took them over.
class Reservation {
public:
    Reservation() = default;
    ~Reservation() { giveBack(); }
    Reservation(const Reservation &) = delete;
    Reservation &operator=(const Reservation &) = delete;

    // All or nothing; empty when taken, else why not. A refusal gives back
    // what the reservation held, so its message names only what others hold.
    QString take(qint64 bytes_)
    {
        if (bytes > 0) {
            bytes_ += bytes;
            giveBack();
        }
        qint64 held = heldBytes.load();
        for (;;) {
            const qint64 budget = budgetBytes.load();
            if (bytes_ > budget - held) {
                QString why = QStringLiteral("It needs %1; pictures may take %2 at once and %3 are in use")
                                  .arg(sizeText(bytes_, true), sizeText(budget, false), sizeText(held, false));
                const PictureHoldersText holders = holdersText.load();
                const QString by = holders && held > 0 ? holders() : QString();
                return why + (by.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + by + QLatin1Char('.'));
            }
            if (heldBytes.compare_exchange_weak(held, held + bytes_))
                break;
        }
        bytes += bytes_;
        return QString();
    }
    qint64 handOver() { return std::exchange(bytes, 0); }
    void giveBack() { giveBack(bytes); }
    void giveBack(qint64 bytes_)
    {
        bytes_ = std::min(bytes_, bytes);
        if (bytes_ > 0) {
            bytes -= bytes_;
            heldBytes.fetch_sub(bytes_);
        }
    }

private:
    qint64 bytes = 0;
};

// The pixels of a held picture and the part of the budget they take, freed
// together when the last copy of the picture goes.
struct Held {
    QImage image;
    qint64 bytes = 0;
};

void releaseHeld(void *info_)
{
    auto *held = static_cast<Held *>(info_);
    const qint64 bytes = held->bytes;
    {
        const std::lock_guard<std::mutex> lock(heldLock);
        heldPixels().erase(held->image.constBits());
    }
    delete held;
    heldBytes.fetch_sub(bytes);
}

// The picture over the same pixels, counted against the budget until its
// last copy goes; Qt calls the clean-up then.
QImage holdAgainstBudget(QImage image_, Reservation &reservation_)
{
    if (image_.isNull())
        return QImage();
    auto *held = new Held{std::move(image_), 0};
    const QImage &own = held->image;
    // Its only reference: bits() does not copy.
    uchar *pixels = held->image.bits();
    QImage out(pixels, own.width(), own.height(), own.bytesPerLine(), own.format(), releaseHeld, held);
    if (out.isNull()) {
        delete held;
        return QImage();
    }
    held->bytes = reservation_.handOver();
    {
        const std::lock_guard<std::mutex> lock(heldLock);
        heldPixels()[pixels] = held->bytes;
    }
    out.setColorTable(own.colorTable());
    out.setDotsPerMeterX(own.dotsPerMeterX());
    out.setDotsPerMeterY(own.dotsPerMeterY());
    return out;
}

PictureRead overBudget(const QString &why_)
{
    PictureRead read{QImage(), why_};
    read.overBudget = true;
    return read;
}

QSize fittedSize(const QSize &picture_, const QSize &box_)
{
    if (box_.isEmpty() || (picture_.width() <= box_.width() && picture_.height() <= box_.height()))
        return picture_;
    return picture_.scaled(box_, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Closes the file on every way out.
struct OpenFile {
    std::FILE *file;
    explicit OpenFile(const QString &fileName_) : file(std::fopen(QFile::encodeName(fileName_).constData(), "rb")) {}
    ~OpenFile()
    {
        if (file)
            std::fclose(file);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
};

// ---------------------------------------------------------------- rows

// Where decoded rows go: the whole picture, the sums of a smaller one, or a
// picture they are combined into. Rows come as 32-bit pixels in the byte
// order of QImage's 32-bit formats, in any order of rows.
class RowTarget {
public:
    virtual ~RowTarget() = default;
    // Once the size is known; false refuses the picture, with why.
    virtual bool begin(int width_, int height_, bool alpha_, bool interlaced_) = 0;
    // Where row y of the picture is decoded to (of a pass: its pixels only).
    virtual uchar *row(int y_) = 0;
    // Row y is there: count pixels, at columns first_, first_ + step_, ...
    virtual void rowDone(int y_, int first_, int step_, int count_) = 0;
    virtual PictureRead finish() = 0;
    // Not empty: the picture is fitted into it, so a decoder that shrinks as
    // it decodes may give rows of any size down to what fits it.
    virtual QSize box() const { return QSize(); }
    // Set before begin by a decoder that shrinks: its rows are the file's
    // picture shrunk by this, each pixel standing for as many of the file's
    // pixels along each side (fewer at the right and bottom edges).
    void shrunkFrom(const QSize &fileSize_, int shrink_)
    {
        fileSize = fileSize_;
        shrink = shrink_;
    }

    QString why;
    bool refusedForBudget = false;
    // What the decoder holds beside the rows while it works, taken with the
    // picture's own part of the budget, so one refusal names only what is held.
    qint64 besides = 0;

protected:
    QSize fileSize;
    int shrink = 1;

    bool reserve(qint64 bytes_)
    {
        why = reservation.take(bytes_ + besides);
        refusedForBudget = !why.isEmpty();
        return !refusedForBudget;
    }
    // The picture, with its part of the budget; the decoder's is given back.
    PictureRead held(QImage image_)
    {
        reservation.giveBack(besides);
        return {holdAgainstBudget(std::move(image_), reservation), QString()};
    }

private:
    Reservation reservation;
};

// The picture at its own size.
class WholePicture : public RowTarget {
public:
    explicit WholePicture(bool opaque_) : opaque(opaque_) {}
    bool begin(int width_, int height_, bool alpha_, bool interlaced_) override
    {
        if (!reserve(qint64(width_) * height_ * 4))
            return false;
        dropAlpha = alpha_ && opaque;
        image = QImage(width_, height_, alpha_ && !opaque ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull()) {
            why = noMemory();
            return false;
        }
        if (interlaced_)
            pass.resize(std::size_t(width_));
        return true;
    }
    uchar *row(int y_) override
    {
        return pass.empty() ? image.scanLine(y_) : reinterpret_cast<uchar *>(pass.data());
    }
    void rowDone(int y_, int first_, int step_, int count_) override
    {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y_));
        const quint32 mask = dropAlpha ? 0xFF000000u : 0u;
        if (pass.empty()) {
            if (mask)
                for (int x = 0; x < count_; ++x)
                    line[x] |= mask;
            return;
        }
        for (int i = 0; i < count_; ++i)
            line[first_ + i * step_] = pass[std::size_t(i)] | mask;
    }
    PictureRead finish() override { return held(std::move(image)); }

private:
    bool opaque;
    bool dropAlpha = false;
    QImage image;
    std::vector<quint32> pass;
};

// The picture fitted into a box: each pixel the average of the area of the
// file's pixels it stands for, summed as the rows stream past.
class FittedPicture : public RowTarget {
public:
    FittedPicture(const QSize &box_, bool opaque_) : fitBox(box_), opaque(opaque_) {}
    bool begin(int width_, int height_, bool alpha_, bool) override
    {
        const QSize file = shrink > 1 ? fileSize : QSize(width_, height_);
        const QSize size = fittedSize(file, fitBox);
        const qint64 pixels = qint64(size.width()) * size.height();
        // The sums beside it are bounded by the box, not by the file.
        if (!reserve(pixels * 4))
            return false;
        keepAlpha = alpha_ && !opaque;
        image = QImage(size, keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull()) {
            why = noMemory();
            return false;
        }
        binOfColumn.resize(std::size_t(width_));
        weightOfColumn.resize(std::size_t(width_));
        columnsOfBin.assign(std::size_t(size.width()), 0);
        for (int x = 0; x < width_; ++x) {
            const int first = x * shrink;
            const int bin = int(qint64(first) * size.width() / file.width());
            binOfColumn[std::size_t(x)] = bin;
            weightOfColumn[std::size_t(x)] = std::min(shrink, file.width() - first);
            columnsOfBin[std::size_t(bin)] += weightOfColumn[std::size_t(x)];
        }
        binOfRow.resize(std::size_t(height_));
        weightOfRow.resize(std::size_t(height_));
        rowsOfBin.assign(std::size_t(size.height()), 0);
        for (int y = 0; y < height_; ++y) {
            const int first = y * shrink;
            const int bin = int(qint64(first) * size.height() / file.height());
            binOfRow[std::size_t(y)] = bin;
            weightOfRow[std::size_t(y)] = std::min(shrink, file.height() - first);
            rowsOfBin[std::size_t(bin)] += weightOfRow[std::size_t(y)];
        }
        sums.assign(std::size_t(size.width()) * std::size_t(size.height()) * 4, 0);
        pass.resize(std::size_t(width_) * 4);
        return true;
    }
    uchar *row(int) override { return pass.data(); }
    void rowDone(int y_, int first_, int step_, int count_) override
    {
        quint64 *binRowSums = sums.data() + std::size_t(binOfRow[std::size_t(y_)]) * std::size_t(image.width()) * 4;
        const quint64 rowWeight = quint64(weightOfRow[std::size_t(y_)]);
        const uchar *pixel = pass.data();
        for (int i = 0; i < count_; ++i, pixel += 4) {
            const auto x = std::size_t(first_ + i * step_);
            quint64 *bin = binRowSums + std::size_t(binOfColumn[x]) * 4;
            const quint64 weight = rowWeight * quint64(weightOfColumn[x]);
            bin[0] += pixel[0] * weight;
            bin[1] += pixel[1] * weight;
            bin[2] += pixel[2] * weight;
            bin[3] += pixel[3] * weight;
        }
    }
    PictureRead finish() override
    {
        const QImage::Format format = image.format();
        for (int by = 0; by < image.height(); ++by) {
            uchar *line = image.scanLine(by);
            const quint64 *bin = sums.data() + std::size_t(by) * std::size_t(image.width()) * 4;
            for (int bx = 0; bx < image.width(); ++bx, bin += 4, line += 4) {
                const quint64 n = quint64(columnsOfBin[std::size_t(bx)]) * quint64(rowsOfBin[std::size_t(by)]);
                for (int c = 0; c < 4; ++c)
                    line[c] = uchar(n ? (bin[c] + n / 2) / n : 0);
            }
            if (format == QImage::Format_RGB32) {
                auto *pixels = reinterpret_cast<quint32 *>(image.scanLine(by));
                for (int bx = 0; bx < image.width(); ++bx)
                    pixels[bx] |= 0xFF000000u;
            }
        }
        return held(std::move(image));
    }
    QSize box() const override { return fitBox; }

private:
    QSize fitBox;
    bool opaque;
    bool keepAlpha = false;
    QImage image;
    // For each decoded column and row: the pixel of the picture it goes to,
    // and how many of the file's columns or rows it stands for.
    std::vector<int> binOfColumn, weightOfColumn;
    std::vector<int> binOfRow, weightOfRow;
    // How many of the file's columns or rows each pixel of the picture
    // stands for.
    std::vector<int> columnsOfBin;
    std::vector<int> rowsOfBin;
    std::vector<quint64> sums;
    std::vector<uchar> pass;
};

// The rows combined into a picture as they come, the file's picture
// stretched over it.
class CombinedPicture : public RowTarget {
public:
    CombinedPicture(QImage &image_, int operation_) : image(image_), operation(operation_) {}
    bool begin(int width_, int height_, bool, bool) override
    {
        if (!reserve(0))
            return false;
        fileHeight = height_;
        pass.resize(std::size_t(width_));
        // Column sx of the file covers the picture's columns from
        // firstColumn[sx] to firstColumn[sx + 1]; kept, as every row needs it.
        firstColumn.resize(std::size_t(width_) + 1);
        for (int sx = 0; sx <= width_; ++sx)
            firstColumn[std::size_t(sx)] = firstCovered(sx, width_, image.width());
        return true;
    }
    uchar *row(int) override { return reinterpret_cast<uchar *>(pass.data()); }
    void rowDone(int y_, int first_, int step_, int count_) override
    {
        const int to = firstCovered(y_ + 1, fileHeight, image.height());
        for (int y = firstCovered(y_, fileHeight, image.height()); y < to; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int i = 0; i < count_; ++i) {
                const int sx = first_ + i * step_;
                const QRgb pixel = pass[std::size_t(i)];
                for (int x = firstColumn[std::size_t(sx)]; x < firstColumn[std::size_t(sx) + 1]; ++x)
                    line[x] = CombinedPixel(line[x], pixel, operation);
            }
        }
    }
    PictureRead finish() override { return {}; }

private:
    // The first of the picture's rows (or columns) that row i_ of the
    // file's, or a later one, covers: the inverse of StretchedIndex.
    static int firstCovered(int i_, int file_, int picture_)
    {
        return i_ >= file_ ? picture_ : int((qint64(i_) * picture_ + file_ - 1) / file_);
    }

    QImage &image;
    int operation;
    int fileHeight = 1;
    std::vector<QRgb> pass;
    std::vector<int> firstColumn;
};

// ---------------------------------------------------------------- PNG

// libpng's text of its failure, kept for the message.
struct PngFailure {
    char text[256] = {};
};

[[noreturn]] void pngError(png_structp png_, png_const_charp message_)
{
    auto *failure = static_cast<PngFailure *>(png_get_error_ptr(png_));
    // The compressed pixels end before the picture does.
    if (std::strcmp(message_, "Not enough image data") == 0)
        message_ = cutShortText;
    qstrncpy(failure->text, message_, sizeof failure->text);
    png_longjmp(png_, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// The file's bytes for libpng: a file that ends early says so.
void pngRead(png_structp png_, png_bytep data_, png_size_t length_)
{
    auto *file = static_cast<std::FILE *>(png_get_io_ptr(png_));
    if (std::fread(data_, 1, length_, file) != length_)
        png_error(png_, std::ferror(file) ? unreadableText : cutShortText);
}

// Frees libpng's reader on every way out.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngReader(PngFailure &failure_, std::FILE *file_)
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure_, pngError, pngWarning);
        if (png)
            info = png_create_info_struct(png);
        if (info) {
            png_set_read_fn(png, file_, pngRead);
            // Our own rule decides the size, with our own message.
            png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
            // Texts, profiles and the other ancillary chunks are passed over
            // unread, however many there are: only the gamma shapes the
            // colours of the pixels.
            png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
            static const png_byte colourChunks[] = "gAMA\0sRGB";
            png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, colourChunks, 2);
        }
    }
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PngReader(const PngReader &) = delete;
    PngReader &operator=(const PngReader &) = delete;
};

// libpng leaves a failure by longjmp to here: this frame holds nothing that
// needs a destructor, everything lives in the caller's.
bool readPngHeader(png_structp png_, png_infop info_, QSize &size_, QString &why_)
{
    if (setjmp(png_jmpbuf(png_)))
        return false;
    png_read_info(png_, info_);
    const png_uint_32 width = png_get_image_width(png_, info_);
    const png_uint_32 height = png_get_image_height(png_, info_);
    if (!sizeAccepted(width, height)) {
        why_ = tooLarge(width, height);
        return false;
    }
    size_ = QSize(int(width), int(height));
    return true;
}

bool decodePngRows(png_structp png_, png_infop info_, RowTarget &target_)
{
    QSize size;
    if (!readPngHeader(png_, info_, size, target_.why))
        return false;
    // From here libpng's failures come back to this frame.
    if (setjmp(png_jmpbuf(png_)))
        return false;
    const png_uint_32 width = png_uint_32(size.width());
    const png_uint_32 height = png_uint_32(size.height());
    const bool alpha = (png_get_color_type(png_, info_) & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    const bool interlaced = png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE;
    // Every kind of PNG arrives as 8-bit pixels in the byte order of
    // QImage's 32-bit formats, in sRGB as libpng's simplified reader gives.
    png_set_expand(png_);
    png_set_scale_16(png_);
    png_set_gray_to_rgb(png_);
    png_set_alpha_mode(png_, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png_);
    png_set_filler(png_, 0xFF, PNG_FILLER_AFTER);
#else
    png_set_swap_alpha(png_);
    png_set_filler(png_, 0xFF, PNG_FILLER_BEFORE);
#endif
    // The passes of an interlaced file are read one by one and placed here.
    png_read_update_info(png_, info_);
    if (png_get_rowbytes(png_, info_) != png_size_t(width) * 4)
        png_error(png_, "Unexpected row layout.");
    if (!target_.begin(int(width), int(height), alpha, interlaced))
        return false;
    const int passes = interlaced ? PNG_INTERLACE_ADAM7_PASSES : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const png_uint_32 columns = interlaced ? PNG_PASS_COLS(width, pass) : width;
        const png_uint_32 rows = interlaced ? PNG_PASS_ROWS(height, pass) : height;
        // libpng skips the empty passes of a small picture.
        if (columns == 0 || rows == 0)
            continue;
        const int first = interlaced ? int(PNG_PASS_START_COL(pass)) : 0;
        const int step = interlaced ? 1 << PNG_PASS_COL_SHIFT(pass) : 1;
        for (png_uint_32 r = 0; r < rows; ++r) {
            const int y = int(interlaced ? PNG_ROW_FROM_PASS_ROW(r, pass) : r);
            png_read_row(png_, target_.row(y), nullptr);
            target_.rowDone(y, first, step, int(columns));
        }
    }
    return true;
}

QString pngFailureText(const PngFailure &failure_)
{
    const QString text = QString::fromLocal8Bit(failure_.text);
    return text.isEmpty() ? QStringLiteral("The PNG file could not be read.") : text;
}

// Empty when read into the target, else why not.
QString readPng(std::FILE *file_, RowTarget &target_)
{
    PngFailure failure;
    PngReader reader(failure, file_);
    if (!reader.info)
        return noMemory();
    if (decodePngRows(reader.png, reader.info, target_))
        return QString();
    if (!target_.why.isEmpty())
        return target_.why;
    return pngFailureText(failure);
}

PictureHeader pngHeader(std::FILE *file_)
{
    PngFailure failure;
    PngReader reader(failure, file_);
    if (!reader.info)
        return {QSize(), noMemory()};
    PictureHeader header;
    if (!readPngHeader(reader.png, reader.info, header.size, header.error) && header.error.isEmpty())
        header.error = pngFailureText(failure);
    return header;
}

// ---------------------------------------------------------------- BMP

// The file's bytes in order; a read past its end says so.
class FileBytes {
public:
    explicit FileBytes(std::FILE *file_) : file(file_) {}
    bool read(void *to_, std::size_t count_)
    {
        if (std::fread(to_, 1, count_, file) == count_) {
            offset += count_;
            return true;
        }
        why = std::ferror(file) ? unreadable() : cutShort();
        return false;
    }
    bool skipTo(quint64 offset_)
    {
        if (offset_ == offset)
            return true;
        if (offset_ < offset || offset_ > quint64(INT64_MAX) || fseeko(file, off_t(offset_), SEEK_SET) != 0) {
            why = unreadable();
            return false;
        }
        offset = offset_;
        return true;
    }
    quint64 at() const { return offset; }

    QString why;

private:
    std::FILE *file;
    quint64 offset = 0;
};

quint16 le16(const uchar *p_)
{
    return quint16(p_[0] | p_[1] << 8);
}

quint32 le32(const uchar *p_)
{
    return quint32(p_[0]) | quint32(p_[1]) << 8 | quint32(p_[2]) << 16 | quint32(p_[3]) << 24;
}

// One channel of a bit-field pixel, as 8 bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 top = 0; // the largest value the field holds

    explicit Channel(quint32 mask_ = 0) : mask(mask_)
    {
        if (mask_) {
            shift = std::countr_zero(mask_);
            top = mask_ >> shift;
        }
    }
    quint32 of(quint32 pixel_) const
    {
        if (!top)
            return 0;
        const quint32 value = (pixel_ & mask) >> shift;
        return top == 0xFF ? value : quint32((quint64(value) * 255 + top / 2) / top);
    }
};

// What a BMP file's headers tell.
struct BmpLayout {
    enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    quint32 compression = Rgb;
    quint32 dataOffset = 0;
    Channel red, green, blue, alpha;
    std::vector<QRgb> palette;
};

QString notSupported()
{
    return QStringLiteral("This kind of BMP file is not supported.");
}

QString notValid()
{
    return QStringLiteral("The BMP file is not valid.");
}

// Red, green and blue each one run of bits inside the pixel, alpha one
// too or none, no two sharing a bit.
bool fieldsValid(const quint32 (&masks_)[4], int bits_)
{
    const quint32 inside = bits_ == 32 ? 0xFFFFFFFFu : (quint32(1) << bits_) - 1;
    quint32 taken = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 mask = masks_[i];
        if (mask == 0) {
            if (i < 3)
                return false;
            continue;
        }
        const quint32 run = mask >> std::countr_zero(mask);
        if ((run & (run + 1)) != 0 || (mask & ~inside) != 0 || (mask & taken) != 0)
            return false;
        taken |= mask;
    }
    return true;
}

// Empty when the headers were read into layout_ and the file stands at the
// end of its palette, else why not.
QString readBmpHeaders(FileBytes &in_, BmpLayout &layout_)
{
    uchar fileHeader[14];
    if (!in_.read(fileHeader, sizeof fileHeader))
        return in_.why;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        return QStringLiteral("The file is not a BMP picture.");
    layout_.dataOffset = le32(fileHeader + 10);
    uchar info[124] = {};
    if (!in_.read(info, 4))
        return in_.why;
    const quint32 infoSize = le32(info);
    const bool core = infoSize == 12;
    if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        return notSupported();
    if (!in_.read(info + 4, infoSize - 4))
        return in_.why;
    qint64 width = 0, height = 0;
    if (core) {
        width = le16(info + 4);
        height = le16(info + 6);
        layout_.bits = le16(info + 10);
    } else {
        width = qint32(le32(info + 4));
        height = qint32(le32(info + 8));
        layout_.bits = le16(info + 14);
        layout_.compression = le32(info + 16);
    }
    if (width <= 0 || height == 0)
        return notValid();
    layout_.topDown = height < 0;
    if (height < 0)
        height = -height;
    if (!sizeAccepted(quint64(width), quint64(height)))
        return tooLarge(quint64(width), quint64(height));
    layout_.width = int(width);
    layout_.height = int(height);

    const int bits = layout_.bits;
    switch (layout_.compression) {
    case BmpLayout::Rgb:
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return notSupported();
        break;
    case BmpLayout::Rle8:
    case BmpLayout::Rle4:
        if (bits != (layout_.compression == BmpLayout::Rle8 ? 8 : 4))
            return notValid();
        // Runs are written from the bottom row up.
        if (layout_.topDown)
            return notValid();
        break;
    case BmpLayout::BitFields:
    case BmpLayout::AlphaBitFields:
        if (bits != 16 && bits != 32)
            return notValid();
        break;
    default:
        return notSupported();
    }

    // The fields of 16- and 32-bit pixels: from the header, after it, or the
    // plain ones.
    quint32 masks[4] = {0, 0, 0, 0};
    if (layout_.compression == BmpLayout::BitFields || layout_.compression == BmpLayout::AlphaBitFields) {
        if (infoSize >= 52) {
            for (int i = 0; i < 3; ++i)
                masks[i] = le32(info + 40 + 4 * i);
            masks[3] = infoSize >= 56 ? le32(info + 52) : 0;
        } else {
            const int count = layout_.compression == BmpLayout::AlphaBitFields ? 4 : 3;
            uchar after[16];
            if (!in_.read(after, std::size_t(4 * count)))
                return in_.why;
            for (int i = 0; i < count; ++i)
                masks[i] = le32(after + 4 * i);
        }
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (bits >= 24) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }
    if ((layout_.compression == BmpLayout::BitFields || layout_.compression == BmpLayout::AlphaBitFields) &&
        !fieldsValid(masks, bits))
        return notValid();
    layout_.red = Channel(masks[0]);
    layout_.green = Channel(masks[1]);
    layout_.blue = Channel(masks[2]);
    layout_.alpha = Channel(masks[3]);

    if (bits <= 8) {
        const quint32 used = core ? 0 : le32(info + 32);
        const quint32 most = 1u << bits;
        quint32 entries = used == 0 || used > most ? most : used;
        const std::size_t entrySize = core ? 3 : 4;
        // A palette cut off by where the pixels start keeps what is there.
        if (layout_.dataOffset > in_.at())
            entries = std::min<quint64>(entries, (layout_.dataOffset - in_.at()) / entrySize);
        std::vector<uchar> bytes(entries * entrySize);
        if (!bytes.empty() && !in_.read(bytes.data(), bytes.size()))
            return in_.why;
        layout_.palette.resize(entries);
        for (quint32 i = 0; i < entries; ++i) {
            const uchar *e = bytes.data() + i * entrySize;
            layout_.palette[i] = qRgb(e[2], e[1], e[0]);
        }
        // Indexes past the palette draw black.
        layout_.palette.resize(most, qRgb(0, 0, 0));
    }
    if (layout_.dataOffset == 0)
        layout_.dataOffset = quint32(in_.at());
    if (layout_.dataOffset < in_.at())
        return notValid();
    return QString();
}

// The row of pixels from the file's row of bytes.
void bmpRow(const BmpLayout &layout_, const uchar *bytes_, QRgb *pixels_)
{
    const int width = layout_.width;
    switch (layout_.bits) {
    case 1:
    case 4:
    case 8: {
        const int bits = layout_.bits;
        const int perByte = 8 / bits;
        const uchar mask = uchar((1 << bits) - 1);
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bits * (x % perByte + 1);
            pixels_[x] = layout_.palette[(bytes_[x / perByte] >> shift) & mask];
        }
        break;
    }
    case 24:
        for (int x = 0; x < width; ++x, bytes_ += 3)
            pixels_[x] = qRgb(bytes_[2], bytes_[1], bytes_[0]);
        break;
    default: {
        const bool alpha = layout_.alpha.mask != 0;
        const int size = layout_.bits / 8;
        for (int x = 0; x < width; ++x, bytes_ += size) {
            const quint32 v = size == 2 ? le16(bytes_) : le32(bytes_);
            pixels_[x] = qRgba(int(layout_.red.of(v)), int(layout_.green.of(v)), int(layout_.blue.of(v)),
                               alpha ? int(layout_.alpha.of(v)) : 0xFF);
        }
        break;
    }
    }
}

// Rows of palette indexes, run by run, from the bottom row up. Pixels that
// the runs skip stay transparent; indexes past the row's end are dropped,
// and a move past it is a broken file.
QString readBmpRuns(FileBytes &in_, const BmpLayout &layout_, RowTarget &target_)
{
    const int width = layout_.width;
    const bool four = layout_.compression == BmpLayout::Rle4;
    std::vector<QRgb> pixels(std::size_t(width), 0);
    int row = 0;
    // Never past the row's end, so no count of runs can carry it further.
    int x = 0;
    const auto put = [&](uchar index_) {
        if (x < width)
            pixels[std::size_t(x++)] = layout_.palette[index_];
    };
    const auto emitRow = [&] {
        const int y = layout_.height - 1 - row;
        std::memcpy(target_.row(y), pixels.data(), pixels.size() * sizeof(QRgb));
        target_.rowDone(y, 0, 1, width);
        std::fill(pixels.begin(), pixels.end(), QRgb(0));
        ++row;
        x = 0;
    };
    while (row < layout_.height) {
        uchar pair[2];
        if (!in_.read(pair, 2))
            return in_.why;
        if (pair[0] > 0) {
            // A run of one index, or of two alternating.
            for (int i = 0; i < pair[0] && x < width; ++i)
                put(four ? uchar(i % 2 ? pair[1] & 0x0F : pair[1] >> 4) : pair[1]);
            continue;
        }
        switch (pair[1]) {
        case 0: // end of the row
            emitRow();
            break;
        case 1: // end of the picture
            while (row < layout_.height)
                emitRow();
            break;
        case 2: { // a move right and up
            uchar move[2];
            if (!in_.read(move, 2))
                return in_.why;
            if (move[0] > width - x)
                return notValid();
            const int keep = x + move[0];
            for (int i = 0; i < move[1] && row < layout_.height; ++i)
                emitRow();
            x = keep;
            break;
        }
        default: { // indexes as they are, padded to whole 16-bit words
            const int count = pair[1];
            const int bytes = four ? (count + 1) / 2 : count;
            uchar literal[256];
            if (!in_.read(literal, std::size_t(bytes + bytes % 2)))
                return in_.why;
            for (int i = 0; i < count; ++i)
                put(four ? uchar(i % 2 ? literal[i / 2] & 0x0F : literal[i / 2] >> 4) : literal[i]);
            break;
        }
        }
    }
    return QString();
}

// Empty when read into the target, else why not.
QString readBmp(std::FILE *file_, RowTarget &target_)
{
    FileBytes in(file_);
    BmpLayout layout;
    if (QString why = readBmpHeaders(in, layout); !why.isEmpty())
        return why;
    const bool runs = layout.compression == BmpLayout::Rle8 || layout.compression == BmpLayout::Rle4;
    const bool alpha = layout.alpha.mask != 0 || runs;
    if (!target_.begin(layout.width, layout.height, alpha, false))
        return target_.why;
    if (!in.skipTo(layout.dataOffset))
        return in.why;
    if (runs)
        return readBmpRuns(in, layout, target_);
    const std::size_t rowBytes = (std::size_t(layout.width) * std::size_t(layout.bits) + 31) / 32 * 4;
    std::vector<uchar> bytes(rowBytes);
    for (int r = 0; r < layout.height; ++r) {
        if (!in.read(bytes.data(), rowBytes))
            return in.why;
        const int y = layout.topDown ? r : layout.height - 1 - r;
        bmpRow(layout, bytes.data(), reinterpret_cast<QRgb *>(target_.row(y)));
        target_.rowDone(y, 0, 1, layout.width);
    }
    return QString();
}

PictureHeader bmpHeader(std::FILE *file_)
{
    FileBytes in(file_);
    BmpLayout layout;
    const QString why = readBmpHeaders(in, layout);
    if (!why.isEmpty())
        return {QSize(), why};
    return {QSize(layout.width, layout.height), QString()};
}

// ---------------------------------------------------------------- JPEG

// More scans than any encoder writes.
constexpr int largestJpegScans = 100;

// A scan passes over the blocks of the components it holds, and libjpeg
// decodes each of them again; libjpeg's own progressive files take 5 to 6
// passes over the whole picture, other encoders' about as many. A file may
// take twice that before it is refused, so no picture costs much more than
// an ordinary one of its size.
constexpr int largestJpegPasses = 12;

// libjpeg's failure, what it warned of, what its scans cover so far, and
// the frame its failures go back to.
struct JpegFailure {
    jpeg_error_mgr manager; // first: libjpeg hands it back as the error manager
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX] = {};
    bool endedEarly = false; // the file ended before its end marker
    bool cutShort = false;   // a scan's data stopped at the end before its blocks did
    bool refused = false;    // too many scans or too much work: text says why
    bool outOfMemory = false;
    int scansCounted = 0;
    unsigned componentsScanned = 0; // a bit for each component a scan held
    qint64 blocksScanned = 0;
    qint64 blocksAllowed = 0;
};

JpegFailure &jpegFailure(j_common_ptr info_)
{
    return *reinterpret_cast<JpegFailure *>(info_->err);
}

[[noreturn]] void jpegError(j_common_ptr info_)
{
    JpegFailure &failure = jpegFailure(info_);
    failure.outOfMemory = info_->err->msg_code == JERR_OUT_OF_MEMORY;
    info_->err->format_message(info_, failure.text);
    std::longjmp(failure.jump, 1);
}

// A scan whose data stops before its blocks do would leave the rest grey,
// and no such picture is shown: stopped by the end of the file, or by an end
// marker put in its middle, it is cut short; by any other marker, damaged.
// The end of the file alone is met also by a whole file without its end
// marker once its last scan is read; what the scans covered tells the two
// apart. Other warnings tell of damage that libjpeg decodes past, as viewers do.
void jpegWarning(j_common_ptr info_, int level_)
{
    if (level_ >= 0)
        return;
    JpegFailure &failure = jpegFailure(info_);
    if (info_->err->msg_code == JWRN_JPEG_EOF) {
        failure.endedEarly = true;
    } else if (info_->err->msg_code == JWRN_HIT_MARKER) {
        failure.cutShort = reinterpret_cast<j_decompress_ptr>(info_)->unread_marker == JPEG_EOI;
        info_->err->format_message(info_, failure.text);
        std::longjmp(failure.jump, 1);
    }
}

// libjpeg's frames are left by longjmp: nothing here needs a destructor.
[[noreturn]] void jpegRefuse(JpegFailure &failure_, const char *format_, int figure_)
{
    std::snprintf(failure_.text, sizeof failure_.text, format_, figure_);
    failure_.refused = true;
    std::longjmp(failure_.jump, 1);
}

// Called before each row of blocks libjpeg reads, and so as soon as it has
// read the header of each scan, before the scan's blocks are decoded.
void jpegProgress(j_common_ptr info_)
{
    auto *info = reinterpret_cast<j_decompress_ptr>(info_);
    JpegFailure &failure = jpegFailure(info_);
    if (info->input_scan_number == failure.scansCounted)
        return;
    failure.scansCounted = info->input_scan_number;
    if (info->input_scan_number > largestJpegScans)
        jpegRefuse(failure, "The JPEG file has more than %d scans.", largestJpegScans);
    if (info->comps_in_scan == 1) {
        const jpeg_component_info &component = *info->cur_comp_info[0];
        failure.blocksScanned += qint64(component.width_in_blocks) * component.height_in_blocks;
    } else {
        failure.blocksScanned += qint64(info->MCUs_per_row) * info->MCU_rows_in_scan * info->blocks_in_MCU;
    }
    for (int c = 0; c < info->comps_in_scan; ++c)
        failure.componentsScanned |= 1u << info->cur_comp_info[c]->component_index;
    if (failure.blocksScanned > failure.blocksAllowed)
        jpegRefuse(failure,
                   "The JPEG file takes too much work to decode (its scans amount to more than %d passes over the "
                   "picture; a picture may take up to that many).",
                   largestJpegPasses);
}

// Once every scan is read: whether one the picture needs is missing. Each
// component must have had a scan, in a progressive file one of its DC; and
// a file that ended before its end marker must have ended after its last
// scan, which in a progressive file leaves every coefficient of every
// component with its last bit. (With its end marker a progressive file may
// leave bits out.)
bool jpegScansMissing(const jpeg_decompress_struct &info_, const JpegFailure &failure_)
{
    for (int c = 0; c < info_.num_components; ++c) {
        if (!(failure_.componentsScanned & 1u << c))
            return true;
        if (!info_.progressive_mode)
            continue;
        if (info_.coef_bits[c][0] < 0)
            return true;
        if (failure_.endedEarly)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (info_.coef_bits[c][k] != 0)
                    return true;
    }
    return false;
}

// libjpeg's reader, freed on every way out.
struct JpegReader {
    jpeg_decompress_struct info;
    JpegFailure failure;
    jpeg_progress_mgr progress;
    bool cmyk = false;
    bool severalScans = false; // progressive, or a component a scan
    JpegReader()
    {
        std::memset(&info, 0, sizeof info);
        std::memset(&progress, 0, sizeof progress);
        info.err = jpeg_std_error(&failure.manager);
        failure.manager.error_exit = jpegError;
        failure.manager.emit_message = jpegWarning;
        progress.progress_monitor = jpegProgress;
    }
    ~JpegReader() { jpeg_destroy_decompress(&info); }
    JpegReader(const JpegReader &) = delete;
    JpegReader &operator=(const JpegReader &) = delete;
};

qint64 roundUp(qint64 n_, qint64 step_)
{
    return (n_ + step_ - 1) / step_ * step_;
}

// The blocks of every component, as many as a scan of all of them covers.
qint64 jpegPictureBlocks(const jpeg_decompress_struct &info_)
{
    qint64 blocks = 0;
    for (int c = 0; c < info_.num_components; ++c) {
        const jpeg_component_info &component = info_.comp_info[c];
        blocks += roundUp(component.width_in_blocks, component.h_samp_factor) *
                  roundUp(component.height_in_blocks, component.v_samp_factor);
    }
    return blocks;
}

// What libjpeg holds beside the rows it gives: for a file of several scans
// (progressive, or a component a scan) the coefficients of the whole
// picture, 128 bytes for each 8 x 8 block of each component, and for every
// file the rows of samples it decodes and upsamples at a time and its tables.
qint64 jpegDecoderBytes(const jpeg_decompress_struct &info_, bool severalScans_)
{
    qint64 bytes = severalScans_ ? jpegPictureBlocks(info_) * qint64(sizeof(JBLOCK)) : 0;
    for (int c = 0; c < info_.num_components; ++c) {
        const jpeg_component_info &component = info_.comp_info[c];
        const qint64 columns = roundUp(component.width_in_blocks, component.h_samp_factor);
        // A row of blocks and its neighbours above and below.
        bytes += columns * DCTSIZE * component.v_samp_factor * DCTSIZE * 3;
    }
    const qint64 tables = qint64(64) << 10;
    return bytes + qint64(info_.image_width) * info_.max_v_samp_factor * DCTSIZE * info_.num_components + tables;
}

QString tooMuchToDecode(qint64 bytes_)
{
    return QStringLiteral("The picture needs %1 to be decoded (its pixels and what the JPEG decoder holds beside "
                          "them); a picture may need up to %2.")
        .arg(sizeText(bytes_, true), sizeText(largestDecodingBytes, false));
}

// libjpeg leaves a failure by longjmp to here: this frame holds nothing that
// needs a destructor, everything lives in the caller's.
bool readJpegHeader(JpegReader &reader_, std::FILE *file_, qint64 &besides_, QString &why_)
{
    if (setjmp(reader_.failure.jump))
        return false;
    jpeg_decompress_struct &info = reader_.info;
    jpeg_create_decompress(&info);
    info.progress = &reader_.progress;
    jpeg_stdio_src(&info, file_);
    jpeg_read_header(&info, TRUE);
    if (!sizeAccepted(info.image_width, info.image_height)) {
        why_ = tooLarge(info.image_width, info.image_height);
        return false;
    }
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        // Straight into the byte order of QImage's 32-bit formats.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        info.out_color_space = JCS_EXT_BGRA;
#else
        info.out_color_space = JCS_EXT_ARGB;
#endif
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        reader_.cmyk = true;
        break;
    default:
        why_ = QStringLiteral("This kind of JPEG file is not supported.");
        return false;
    }
    reader_.severalScans = info.progressive_mode || info.comps_in_scan < info.num_components;
    besides_ = jpegDecoderBytes(info, reader_.severalScans);
    reader_.failure.blocksAllowed = jpegPictureBlocks(info) * largestJpegPasses;
    const qint64 needed = qint64(info.image_width) * info.image_height * 4 + besides_;
    if (needed > largestDecodingBytes) {
        why_ = tooMuchToDecode(needed);
        return false;
    }
    return true;
}

// Ink as libjpeg gives it, in place, as 32-bit pixels. Files with Adobe's
// marker store it inverted, as Adobe's programs write it.
void cmykRow(uchar *row_, int count_, bool inverted_)
{
    for (int x = 0; x < count_; ++x) {
        uchar *p = row_ + 4 * x;
        int ink[4] = {p[0], p[1], p[2], p[3]};
        if (!inverted_)
            for (int &i : ink)
                i = 255 - i;
        const auto channel = [&](int i_) { return (ink[i_] * ink[3] + 127) / 255; };
        *reinterpret_cast<quint32 *>(p) = qRgb(channel(0), channel(1), channel(2));
    }
}

bool decodeJpegRows(JpegReader &reader_, qint64 besides_, RowTarget &target_)
{
    if (setjmp(reader_.failure.jump))
        return false;
    jpeg_decompress_struct &info = reader_.info;
    // libjpeg shrinks by up to 8 as it decodes; the rest is averaged. Never
    // so far that a side comes out shorter than the thumbnail needs: the
    // rows or columns an encoder pads its last blocks with would then be
    // averaged in as the picture's own.
    const QSize box = target_.box();
    if (!box.isEmpty()) {
        const QSize file(int(info.image_width), int(info.image_height));
        const QSize fitted = fittedSize(file, box);
        for (int denominator = 8; denominator > 1; denominator /= 2)
            if (file.width() >= fitted.width() * denominator && file.height() >= fitted.height() * denominator) {
                info.scale_num = 1;
                info.scale_denom = unsigned(denominator);
                target_.shrunkFrom(file, denominator);
                break;
            }
    }
    jpeg_calc_output_dimensions(&info);
    target_.besides = besides_;
    // libjpeg's own limit on what it holds agrees with what was counted.
    info.mem->max_memory_to_use = long(besides_);
    if (!target_.begin(int(info.output_width), int(info.output_height), false, false))
        return false;
    // A file of several scans is read whole here.
    jpeg_start_decompress(&info);
    if (reader_.severalScans && jpegScansMissing(info, reader_.failure)) {
        reader_.failure.cutShort = true;
        return false;
    }
    const int width = int(info.output_width);
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        JSAMPROW row = target_.row(y);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (reader_.cmyk)
            cmykRow(row, width, info.saw_Adobe_marker);
        target_.rowDone(y, 0, 1, width);
    }
    return info.output_scanline == info.output_height;
}

QString jpegFailureText(const JpegReader &reader_, std::FILE *file_)
{
    if (std::ferror(file_))
        return unreadable();
    const JpegFailure &failure = reader_.failure;
    if (!failure.refused && (failure.cutShort || failure.endedEarly))
        return cutShort();
    if (failure.outOfMemory)
        return noMemory();
    const QString text = QString::fromLatin1(failure.text);
    return text.isEmpty() ? QStringLiteral("The JPEG file could not be read.") : text;
}

// Empty when read into the target, else why not.
QString readJpeg(std::FILE *file_, RowTarget &target_)
{
    JpegReader reader;
    qint64 besides = 0;
    QString why;
    if (!readJpegHeader(reader, file_, besides, why))
        return why.isEmpty() ? jpegFailureText(reader, file_) : why;
    if (!decodeJpegRows(reader, besides, target_))
        return target_.why.isEmpty() ? jpegFailureText(reader, file_) : target_.why;
    return QString();
}

PictureHeader jpegHeader(std::FILE *file_)
{
    JpegReader reader;
    qint64 besides = 0;
    PictureHeader header;
    if (!readJpegHeader(reader, file_, besides, header.error)) {
        if (header.error.isEmpty())
            header.error = jpegFailureText(reader, file_);
        return header;
    }
    header.size = QSize(int(reader.info.image_width), int(reader.info.image_height));
    return header;
}

// ---------------------------------------------------------------- choosing

enum class Decoder { Png, Bmp, Jpeg, None };

// A name ending in .png is read as PNG; any other file by what it starts
// with. Only formats whose decoding memory is known from their header are
// read: a picture of any other kind (SVG, compressed or not, and the rest)
// could take any amount of memory or time.
Decoder decoderFor(const QString &fileName_, std::FILE *file_)
{
    if (QFileInfo(fileName_).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
        return Decoder::Png;
    unsigned char magic[8] = {};
    const std::size_t got = std::fread(magic, 1, sizeof magic, file_);
    std::rewind(file_);
    if (got == sizeof magic && png_sig_cmp(magic, 0, sizeof magic) == 0)
        return Decoder::Png;
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return Decoder::Bmp;
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return Decoder::Jpeg;
    return Decoder::None;
}

// ---------------------------------------------------------------- writing

// libpng's text of the last failure of the image.
QString pngMessage(const png_image &image_)
{
    const QString text = QString::fromLocal8Bit(image_.message, static_cast<qsizetype>(qstrnlen(image_.message, sizeof image_.message)));
    return text.isEmpty() ? QStringLiteral("The PNG file could not be read.") : text;
}

// Frees libpng's writer on every way out.
struct PngImage {
    png_image image;
    PngImage()
    {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage &) = delete;
    PngImage &operator=(const PngImage &) = delete;
};

// The picture as a PNG file's bytes, or why not.
QString encodePng(const QImage &image_, QByteArray &bytes_)
{
    const QImage rgb = image_.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return QStringLiteral("Not enough memory for the picture.");
    // libpng wants the rows packed; Qt pads them to four bytes.
    const auto rowBytes = static_cast<std::size_t>(rgb.width()) * 3;
    std::vector<unsigned char> packed(rowBytes * static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(packed.data() + rowBytes * static_cast<std::size_t>(y), rgb.constScanLine(y), rowBytes);
    PngImage png;
    png.image.width = static_cast<png_uint_32>(rgb.width());
    png.image.height = static_cast<png_uint_32>(rgb.height());
    png.image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, packed.data(), 0, nullptr))
        return pngMessage(png.image);
    bytes_.resize(static_cast<qsizetype>(size));
    if (!png_image_write_to_memory(&png.image, bytes_.data(), &size, 0, packed.data(), 0, nullptr))
        return pngMessage(png.image);
    bytes_.resize(static_cast<qsizetype>(size));
    return QString();
}

QString encodeBmp(const QImage &image_, QByteArray &bytes_)
{
    QBuffer buffer(&bytes_);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image_.convertToFormat(QImage::Format_RGB32)))
        return writer.errorString();
    return QString();
}


// The file opened and the decoder it goes to, or why it cannot be read.
struct PictureSource {
    explicit PictureSource(const QString &fileName_) : file(fileName_)
    {
        if (!QFileInfo(fileName_).isFile())
            why = QStringLiteral("The file does not exist.");
        else if (!file.file)
            why = QStringLiteral("The file could not be opened.");
        else if ((decoder = decoderFor(fileName_, file.file)) == Decoder::None)
            why = QStringLiteral("This kind of picture file is not supported.");
    }
    // Empty when read into the target, else why not.
    QString read(RowTarget &target_) const
    {
        switch (decoder) {
        case Decoder::Png:
            return readPng(file.file, target_);
        case Decoder::Bmp:
            return readBmp(file.file, target_);
        case Decoder::Jpeg:
            return readJpeg(file.file, target_);
        case Decoder::None:
            break;
        }
        return why;
    }
    PictureHeader header() const
    {
        switch (decoder) {
        case Decoder::Png:
            return pngHeader(file.file);
        case Decoder::Bmp:
            return bmpHeader(file.file);
        case Decoder::Jpeg:
            return jpegHeader(file.file);
        case Decoder::None:
            break;
        }
        return {QSize(), why};
    }

    OpenFile file;
    Decoder decoder = Decoder::None;
    QString why;
};

} // namespace

QString PictureBytesText(qint64 bytes_)
{
    return sizeText(bytes_, false);
}

qint64 PictureBytesHeld()
{
    return heldBytes.load();
}

qint64 SetPictureBudget(qint64 bytes_)
{
    return budgetBytes.exchange(bytes_);
}

qint64 HeldPictureBytes(const QImage &image_)
{
    if (image_.isNull())
        return 0;
    const std::lock_guard<std::mutex> lock(heldLock);
    const auto it = heldPixels().find(image_.constBits());
    return it == heldPixels().end() ? 0 : it->second;
}

void SetPictureHolders(PictureHoldersText holders_)
{
    holdersText.store(holders_);
}

PictureRead ReadPictureFile(const QString &fileName_, const PictureRequest &request_)
{
    const PictureSource source(fileName_);
    if (!source.why.isEmpty())
        return {QImage(), source.why};
    WholePicture whole(request_.opaque);
    FittedPicture fitted(request_.fitInto, request_.opaque);
    RowTarget &target = request_.fitInto.isEmpty() ? static_cast<RowTarget &>(whole) : fitted;
    if (const QString why = source.read(target); !why.isEmpty()) {
        if (target.refusedForBudget)
            return overBudget(why);
        return {QImage(), why};
    }
    return target.finish();
}

PictureHeader ReadPictureHeader(const QString &fileName_)
{
    const PictureSource source(fileName_);
    if (!source.why.isEmpty())
        return {QSize(), source.why};
    return source.header();
}

QString CombinePictureFile(QImage &image_, const QString &fileName_, int operation_)
{
    if (image_.isNull())
        return QStringLiteral("There is no picture.");
    const PictureSource source(fileName_);
    if (!source.why.isEmpty())
        return source.why;
    image_ = image_.convertToFormat(QImage::Format_RGB32);
    CombinedPicture target(image_, operation_);
    return source.read(target);
}

PictureRead CopyPicture(const QImage &image_)
{
    if (image_.isNull())
        return {QImage(), QStringLiteral("There is no picture.")};
    Reservation reservation;
    const QString why = reservation.take(image_.sizeInBytes());
    if (!why.isEmpty())
        return overBudget(why);
    QImage copy = image_.copy();
    if (copy.isNull())
        return {QImage(), noMemory()};
    return {holdAgainstBudget(std::move(copy), reservation), QString()};
}

QString WritePictureFile(const QImage &image_, const QString &fileName_, PictureFormat format_)
{
    if (image_.isNull())
        return QStringLiteral("There is no picture.");
    // Encoded first, so a picture that cannot be encoded never opens the file.
    QByteArray bytes;
    const QString error = format_ == PictureFormat::Png ? encodePng(image_, bytes) : encodeBmp(image_, bytes);
    if (!error.isEmpty())
        return error;
    QSaveFile file(fileName_);
    // Unbuffered: a short write at the final flush would not fail the commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        // A short write leaves no error of its own behind.
        const QString why = file.error() != QFileDevice::NoError ? file.errorString()
                                                                  : QStringLiteral("The file could not be written completely.");
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}
