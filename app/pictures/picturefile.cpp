#include "picturefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>
#include <png.h>

namespace {

std::atomic<qint64> heldBytes{0};
std::atomic<qint64> budgetBytes{pictureBudgetBytes};

QString tooLarge(quint64 width_, quint64 height_)
{
    return QStringLiteral("The picture is too large (%1 x %2 pixels).").arg(width_).arg(height_);
}

QString noMemory()
{
    return QStringLiteral("Not enough memory for the picture.");
}

// In MiB, or KiB below one MiB; up_ rounds up.
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
    ~Reservation()
    {
        if (bytes > 0)
            heldBytes.fetch_sub(bytes);
    }
    Reservation(const Reservation &) = delete;
    Reservation &operator=(const Reservation &) = delete;

    // All or nothing; empty when taken, else why not.
    QString take(qint64 bytes_)
    {
        qint64 held = heldBytes.load();
        for (;;) {
            const qint64 budget = budgetBytes.load();
            if (bytes_ > budget - held)
                return QStringLiteral("It needs %1; pictures may take %2 at once and %3 are in use.")
                    .arg(sizeText(bytes_, true), sizeText(budget, false), sizeText(held, false));
            if (heldBytes.compare_exchange_weak(held, held + bytes_))
                break;
        }
        bytes += bytes_;
        return QString();
    }
    qint64 handOver() { return std::exchange(bytes, 0); }

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

// ---------------------------------------------------------------- PNG

// Where decoded rows go: the whole picture, or the sums of a smaller one.
class RowTarget {
public:
    virtual ~RowTarget() = default;
    // Once the size is known; false refuses the picture, with why.
    virtual bool begin(int width_, int height_, bool alpha_, bool interlaced_) = 0;
    // Where row y of the picture is decoded to (of a pass: its pixels only).
    virtual png_bytep row(int y_) = 0;
    // Row y is there: count pixels, at columns first_, first_ + step_, ...
    virtual void rowDone(int y_, int first_, int step_, int count_) = 0;
    virtual PictureRead finish() = 0;

    QString why;
    bool refusedForBudget = false;
};

// libpng's text of its failure, kept for the message.
struct PngFailure {
    char text[256] = {};
};

[[noreturn]] void pngError(png_structp png_, png_const_charp message_)
{
    auto *failure = static_cast<PngFailure *>(png_get_error_ptr(png_));
    qstrncpy(failure->text, message_, sizeof failure->text);
    png_longjmp(png_, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// libpng leaves a failure by longjmp to here: this frame holds nothing that
// needs a destructor, everything lives in the caller's.
bool decodeRows(png_structp png_, png_infop info_, RowTarget &target_)
{
    if (setjmp(png_jmpbuf(png_)))
        return false;
    png_read_info(png_, info_);
    const png_uint_32 width = png_get_image_width(png_, info_);
    const png_uint_32 height = png_get_image_height(png_, info_);
    if (width == 0 || height == 0 || quint64(width) * height > largestPicturePixels) {
        target_.why = tooLarge(width, height);
        return false;
    }
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

// The picture at its own size.
class WholePicture : public RowTarget {
public:
    explicit WholePicture(bool opaque_) : opaque(opaque_) {}
    bool begin(int width_, int height_, bool alpha_, bool interlaced_) override
    {
        why = reservation.take(qint64(width_) * height_ * 4);
        if (!why.isEmpty()) {
            refusedForBudget = true;
            return false;
        }
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
    png_bytep row(int y_) override
    {
        return pass.empty() ? image.scanLine(y_) : reinterpret_cast<png_bytep>(pass.data());
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
    PictureRead finish() override { return {holdAgainstBudget(std::move(image), reservation), QString()}; }

private:
    bool opaque;
    bool dropAlpha = false;
    Reservation reservation;
    QImage image;
    std::vector<quint32> pass;
};

// The picture fitted into a box: each pixel the average of the area of the
// file's pixels it stands for, summed as the rows stream past.
class FittedPicture : public RowTarget {
public:
    FittedPicture(const QSize &box_, bool opaque_) : box(box_), opaque(opaque_) {}
    bool begin(int width_, int height_, bool alpha_, bool) override
    {
        const QSize size = fittedSize(QSize(width_, height_), box);
        why = reservation.take(qint64(size.width()) * size.height() * 4);
        if (!why.isEmpty()) {
            refusedForBudget = true;
            return false;
        }
        keepAlpha = alpha_ && !opaque;
        image = QImage(size, keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull()) {
            why = noMemory();
            return false;
        }
        sourceHeight = height_;
        binOfColumn.resize(std::size_t(width_));
        columnsOfBin.assign(std::size_t(size.width()), 0);
        for (int x = 0; x < width_; ++x) {
            binOfColumn[std::size_t(x)] = int(qint64(x) * size.width() / width_);
            ++columnsOfBin[std::size_t(binOfColumn[std::size_t(x)])];
        }
        rowsOfBin.assign(std::size_t(size.height()), 0);
        for (int y = 0; y < height_; ++y)
            ++rowsOfBin[std::size_t(binRow(y))];
        sums.assign(std::size_t(size.width()) * std::size_t(size.height()) * 4, 0);
        pass.resize(std::size_t(width_) * 4);
        return true;
    }
    png_bytep row(int) override { return pass.data(); }
    void rowDone(int y_, int first_, int step_, int count_) override
    {
        quint64 *binRowSums = sums.data() + std::size_t(binRow(y_)) * std::size_t(image.width()) * 4;
        const png_byte *pixel = pass.data();
        for (int i = 0; i < count_; ++i, pixel += 4) {
            quint64 *bin = binRowSums + std::size_t(binOfColumn[std::size_t(first_ + i * step_)]) * 4;
            bin[0] += pixel[0];
            bin[1] += pixel[1];
            bin[2] += pixel[2];
            bin[3] += pixel[3];
        }
    }
    PictureRead finish() override
    {
        const QImage::Format format = image.format();
        for (int by = 0; by < image.height(); ++by) {
            png_byte *line = image.scanLine(by);
            const quint64 *bin = sums.data() + std::size_t(by) * std::size_t(image.width()) * 4;
            for (int bx = 0; bx < image.width(); ++bx, bin += 4, line += 4) {
                const quint64 n = quint64(columnsOfBin[std::size_t(bx)]) * quint64(rowsOfBin[std::size_t(by)]);
                for (int c = 0; c < 4; ++c)
                    line[c] = png_byte(n ? (bin[c] + n / 2) / n : 0);
            }
            if (format == QImage::Format_RGB32) {
                auto *pixels = reinterpret_cast<quint32 *>(image.scanLine(by));
                for (int bx = 0; bx < image.width(); ++bx)
                    pixels[bx] |= 0xFF000000u;
            }
        }
        return {holdAgainstBudget(std::move(image), reservation), QString()};
    }

private:
    int binRow(int y_) const { return int(qint64(y_) * image.height() / sourceHeight); }

    QSize box;
    bool opaque;
    bool keepAlpha = false;
    int sourceHeight = 1;
    Reservation reservation;
    QImage image;
    std::vector<int> binOfColumn;
    std::vector<int> columnsOfBin;
    std::vector<int> rowsOfBin;
    std::vector<quint64> sums;
    std::vector<png_byte> pass;
};

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

// Frees libpng's reader on every way out.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    explicit PngReader(PngFailure &failure_)
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure_, pngError, pngWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PngReader(const PngReader &) = delete;
    PngReader &operator=(const PngReader &) = delete;
};

PictureRead readPng(const QString &fileName_, const PictureRequest &request_)
{
    OpenFile file(fileName_);
    if (!file.file)
        return {QImage(), QStringLiteral("The file could not be opened.")};
    PngFailure failure;
    PngReader reader(failure);
    if (!reader.info)
        return {QImage(), noMemory()};
    png_init_io(reader.png, file.file);
    WholePicture whole(request_.opaque);
    FittedPicture fitted(request_.fitInto, request_.opaque);
    RowTarget &target = request_.fitInto.isEmpty() ? static_cast<RowTarget &>(whole) : fitted;
    if (!decodeRows(reader.png, reader.info, target)) {
        if (target.refusedForBudget)
            return overBudget(target.why);
        if (!target.why.isEmpty())
            return {QImage(), target.why};
        const QString text = QString::fromLocal8Bit(failure.text);
        return {QImage(), text.isEmpty() ? QStringLiteral("The PNG file could not be read.") : text};
    }
    return target.finish();
}

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

PictureRead readOther(const QString &fileName_, const PictureRequest &request_)
{
    QImageReader reader(fileName_);
    const QSize size = reader.size();
    if (size.isValid() && quint64(size.width()) * quint64(size.height()) > largestPicturePixels)
        return {QImage(), tooLarge(quint64(size.width()), quint64(size.height()))};
    // A reader that cannot decode smaller reads the whole and scales it.
    if (size.isValid() && !request_.fitInto.isEmpty())
        reader.setScaledSize(fittedSize(size, request_.fitInto));
    // Checked before the pixels are there, as far as the header tells.
    Reservation reservation;
    const QSize coming = reader.scaledSize().isValid() ? reader.scaledSize() : size;
    const qint64 expected = coming.isValid() ? qint64(coming.width()) * coming.height() * 4 : 0;
    if (const QString why = reservation.take(expected); !why.isEmpty())
        return overBudget(why);
    QImage image = reader.read();
    if (image.isNull())
        return {QImage(), reader.errorString()};
    if (!request_.fitInto.isEmpty() && !size.isValid())
        image = image.scaled(fittedSize(image.size(), request_.fitInto), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(request_.opaque || !image.hasAlphaChannel() ? QImage::Format_RGB32
                                                                               : QImage::Format_ARGB32);
    // The header may have told less than the pixels take.
    if (image.sizeInBytes() > expected)
        if (const QString why = reservation.take(image.sizeInBytes() - expected); !why.isEmpty())
            return overBudget(why);
    return {holdAgainstBudget(std::move(image), reservation), QString()};
}

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

} // namespace

qint64 PictureBytesHeld()
{
    return heldBytes.load();
}

qint64 SetPictureBudget(qint64 bytes_)
{
    return budgetBytes.exchange(bytes_);
}

PictureRead ReadPictureFile(const QString &fileName_, const PictureRequest &request_)
{
    if (!QFileInfo(fileName_).isFile())
        return {QImage(), QStringLiteral("The file does not exist.")};
    if (QFileInfo(fileName_).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
        return readPng(fileName_, request_);
    return readOther(fileName_, request_);
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
