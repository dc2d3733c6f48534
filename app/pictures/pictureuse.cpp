#include "pictureuse.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QStringList>
#include <set>

#include "MessageSink.h"
#include "picturefile.h"
#include "projectimages.h"
#include "upictures.h"

namespace {

// The clipboard's data while it is the picture put there; the clipboard
// frees it when something else replaces it.
QPointer<QMimeData> copiedPicture;

} // namespace

void PutPictureOnClipboard(const QImage &picture_)
{
    auto *data = new QMimeData;
    data->setImageData(picture_);
    QApplication::clipboard()->setMimeData(data);
    copiedPicture = data;
}

QString PictureHolders()
{
    // Each picture once, however many windows and lists share its pixels.
    std::set<const uchar *> counted;
    const auto take = [&](const QImage &image_) -> qint64 {
        const qint64 bytes = HeldPictureBytes(image_);
        return bytes > 0 && counted.insert(image_.constBits()).second ? bytes : 0;
    };
    qint64 viewers = 0;
    int showing = 0;
    for (const TFPictures *viewer : TFPictures::Windows())
        if (const qint64 bytes = take(viewer->shownPicture())) {
            viewers += bytes;
            ++showing;
        }
    qint64 clipboard = 0;
    if (copiedPicture && QApplication::clipboard()->mimeData() == copiedPicture.data())
        clipboard = take(qvariant_cast<QImage>(copiedPicture->imageData()));
    qint64 thumbnails = 0;
    for (const QImage &thumbnail : ThumbPictures().pictures())
        thumbnails += take(thumbnail);
    const qint64 others = PictureBytesHeld() - viewers - clipboard - thumbnails;

    QStringList parts;
    if (clipboard > 0)
        parts << PictureBytesText(clipboard) + QStringLiteral(" by the picture copied to the clipboard");
    if (showing == 1)
        parts << PictureBytesText(viewers) + QStringLiteral(" by the picture shown in a viewer");
    else if (showing > 1)
        parts << PictureBytesText(viewers) + QStringLiteral(" by the pictures shown in %1 viewers").arg(showing);
    if (thumbnails > 0)
        parts << PictureBytesText(thumbnails) + QStringLiteral(" by thumbnails");
    if (others > 0)
        parts << PictureBytesText(others) + QStringLiteral(" by other pictures");
    return parts.join(QStringLiteral(", "));
}

void ShowPictureFailure(const char *done_, const QString &fileName_, const QString &reason_)
{
    ShowMessage(QStringLiteral("The picture %1 could not be %2. [%3]")
                    .arg(fileName_, QString::fromLatin1(done_), reason_));
}
