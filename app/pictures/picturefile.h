#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

// Picture files are named by result files: a header that claims a huge size
// must not decide a huge allocation.
inline constexpr quint64 largestPicturePixels = quint64(1) << 26;

// A picture as read from its file, or why it could not be read.
struct PictureRead {
    QImage image; // null when the file could not be read
    QString error;

    bool ok() const { return !image.isNull(); }
};

// ".PNG" (any case) through libpng, anything else through Qt's readers.
PictureRead ReadPictureFile(const QString &fileName_);

enum class PictureFormat { Png, Bmp };

// Writes the picture, opaque, into a copy that replaces the file only once
// it is complete: a failure leaves an existing file as it was. Empty when
// written, else the reason.
QString WritePictureFile(const QImage &image_, const QString &fileName_, PictureFormat format_);
