#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

// Picture files are named by result files: a header that claims a huge size
// must not decide a huge allocation.
inline constexpr quint64 largestPicturePixels = quint64(1) << 26;

// Every picture read from a file is held against one budget for as long as
// any copy of it lives, so pictures that are small on disk cannot add up to
// gigabytes. Room for the largest picture accepted (256 MiB as 32-bit
// pixels) and half as much again for the thumbnails and the pictures beside
// it: with the rest of the program that stays within some 600 MiB.
inline constexpr qint64 pictureBudgetBytes = qint64(largestPicturePixels) * 4 * 3 / 2;
// What the pictures read and still held take now.
qint64 PictureBytesHeld();
// Sets the budget in force (pictureBudgetBytes at the start); returns the
// one before.
qint64 SetPictureBudget(qint64 bytes_);

// A picture as read from its file, or why it could not be read.
struct PictureRead {
    QImage image; // null when the file could not be read
    QString error;
    bool overBudget = false; // refused because the budget had no room for it

    bool ok() const { return !image.isNull(); }
};

// How a picture is read.
struct PictureRequest {
    // Not empty: fitted into this size, its shape kept and never enlarged,
    // while it is decoded, so its full-size pixels are never held at once.
    QSize fitInto;
    // Its alpha dropped: an opaque Format_RGB32 picture.
    bool opaque = false;
};

// ".PNG" (any case) through libpng, anything else through Qt's readers. A
// picture without alpha comes as Format_RGB32, one with alpha as
// Format_ARGB32 (unless opaque is asked for).
PictureRead ReadPictureFile(const QString &fileName_, const PictureRequest &request_ = {});

// A copy of the picture of its own, held against the budget; null, with the
// reason, when the budget has no room for it.
PictureRead CopyPicture(const QImage &image_);

enum class PictureFormat { Png, Bmp };

// Writes the picture, opaque, into a copy that replaces the file only once
// it is complete: a failure leaves an existing file as it was. Empty when
// written, else the reason.
QString WritePictureFile(const QImage &image_, const QString &fileName_, PictureFormat format_);
