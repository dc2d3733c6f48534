#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

// Picture files are named by result files: a header that claims a huge size
// must not decide a huge allocation. A picture may have this many pixels in
// all (8192 x 8192, or any other shape of as many)...
inline constexpr quint64 largestPicturePixels = quint64(1) << 26;
// ...and no side longer than this, which is also as far as libpng goes.
inline constexpr quint32 largestPictureSide = 1000000;

// A picture whose pixels and what its decoder holds beside them (a
// progressive JPEG's coefficients) take more than this is refused at its
// header: room for two of the largest pictures.
inline constexpr qint64 largestDecodingBytes = qint64(largestPicturePixels) * 4 * 2;
// Every picture read from a file is held against one budget for as long as
// any copy of it lives, so pictures that are small on disk cannot add up to
// gigabytes; a decoder's memory counts while it works. Room for two of the
// largest pictures (one shown and the one it is combined with, or the copy
// of it on the clipboard), or for any picture accepted while it is decoded,
// and 128 MiB for the thumbnails and smaller pictures beside them.
inline constexpr qint64 pictureBudgetBytes = largestDecodingBytes + (qint64(128) << 20);
// What the pictures read and still held take now.
qint64 PictureBytesHeld();
// A part of the budget as a message tells it: "256 MiB", or "5 KiB" below a MiB.
QString PictureBytesText(qint64 bytes_);
// Sets the budget in force (pictureBudgetBytes at the start); returns the
// one before.
qint64 SetPictureBudget(qint64 bytes_);
// The part of the budget the picture's pixels take; 0 for a picture that was
// not read or copied here.
qint64 HeldPictureBytes(const QImage &image_);
// Says who holds the pictures ("256 MiB by ..., 2 MiB by ..."), for the
// message of a picture the budget has no room for; empty says nothing.
using PictureHoldersText = QString (*)();
void SetPictureHolders(PictureHoldersText holders_);

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

// A file named ".PNG" (any case), or one that begins as a PNG, through
// libpng, one that begins as a JPEG through libjpeg (which shrinks it by up
// to 8 as it decodes when it is fitted), and one that begins as a BMP by our
// own reader, each row by row as it is decoded. Any other kind of file is
// refused: "This kind of picture file is not supported." A picture without
// alpha comes as Format_RGB32, one with alpha as Format_ARGB32 (unless
// opaque is asked for).
PictureRead ReadPictureFile(const QString &fileName_, const PictureRequest &request_ = {});

// The size of the file's picture as its header tells it; empty, with the
// reason, when the file cannot be read or its picture would be refused.
struct PictureHeader {
    QSize size;
    QString error;
};
PictureHeader ReadPictureHeader(const QString &fileName_);

// Combines the file's picture into image_ (a Format_RGB32 picture nobody
// else shares) as it is decoded, stretched over the whole of image_:
// operation 0 XOR, 1 OR, alpha ignored, the result opaque. The file's picture
// is never held whole. Empty when done, else why; image_ may then be
// combined in part.
QString CombinePictureFile(QImage &image_, const QString &fileName_, int operation_);

// A copy of the picture of its own, held against the budget; null, with the
// reason, when the budget has no room for it.
PictureRead CopyPicture(const QImage &image_);

enum class PictureFormat { Png, Bmp };

// Writes the picture, opaque, into a copy that replaces the file only once
// it is complete: a failure leaves an existing file as it was. Empty when
// written, else the reason.
QString WritePictureFile(const QImage &image_, const QString &fileName_, PictureFormat format_);
