#include "picturefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <cstring>
#include <vector>
#include <png.h>

namespace {

QString tooLarge(quint64 width_, quint64 height_)
{
    return QStringLiteral("The picture is too large (%1 x %2 pixels).").arg(width_).arg(height_);
}

// libpng's own text of the last failure of the image.
QString pngMessage(const png_image &image_)
{
    const QString text = QString::fromLocal8Bit(image_.message, static_cast<qsizetype>(qstrnlen(image_.message, sizeof image_.message)));
    return text.isEmpty() ? QStringLiteral("The PNG file could not be read.") : text;
}

// Frees libpng's reader or writer on every way out.
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

PictureRead readPng(const QString &fileName_)
{
    PngImage png;
    if (!png_image_begin_read_from_file(&png.image, QFile::encodeName(fileName_).constData()))
        return {QImage(), pngMessage(png.image)};
    const quint64 width = png.image.width;
    const quint64 height = png.image.height;
    if (width == 0 || height == 0 || width * height > largestPicturePixels)
        return {QImage(), tooLarge(width, height)};
    png.image.format = PNG_FORMAT_RGBA;
    QImage out(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGBA8888);
    if (out.isNull())
        return {QImage(), QStringLiteral("Not enough memory for the picture.")};
    // The stride counts components; with 8 bits each, that is bytes.
    const auto stride = static_cast<png_int_32>(out.bytesPerLine());
    if (!png_image_finish_read(&png.image, nullptr, out.bits(), stride, nullptr))
        return {QImage(), pngMessage(png.image)};
    return {out, QString()};
}

PictureRead readOther(const QString &fileName_)
{
    QImageReader reader(fileName_);
    const QSize size = reader.size();
    if (size.isValid() && quint64(size.width()) * quint64(size.height()) > largestPicturePixels)
        return {QImage(), tooLarge(quint64(size.width()), quint64(size.height()))};
    QImage image = reader.read();
    if (image.isNull())
        return {QImage(), reader.errorString()};
    return {image, QString()};
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

PictureRead ReadPictureFile(const QString &fileName_)
{
    if (!QFileInfo(fileName_).isFile())
        return {QImage(), QStringLiteral("The file does not exist.")};
    if (QFileInfo(fileName_).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
        return readPng(fileName_);
    return readOther(fileName_);
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
