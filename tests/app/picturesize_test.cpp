// The largest picture file that is read: the size comes from the file's
// header, named by a result file, so it must not decide an allocation.

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QTemporaryDir>

#include "MessageSink.h"
#include "picturefile.h"
#include "projectimages.h"

namespace {

TEST(PictureSize, APngOfMoreThan2To26PixelsIsNotRead)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("huge.png");
    {
        // Just over 8192 squared pixels of one grey: small on disk, 268 MB as RGBA.
        QImage huge(8193, 8193, QImage::Format_Grayscale8);
        ASSERT_FALSE(huge.isNull());
        huge.fill(0x80);
        ASSERT_TRUE(huge.save(path, "PNG"));
    }
    ASSERT_EQ(QImageReader(path).size(), QSize(8193, 8193));
    EXPECT_TRUE(ReadPictureFile(path).image.isNull());
    RecordingMessageSink sink;
    TThumbPictureList cache;
    EXPECT_EQ(cache.acquire(path, path, 1), nullptr);
    EXPECT_EQ(cache.count(), 0);
    ASSERT_EQ(sink.requests.size(), 1u);
    EXPECT_TRUE(sink.requests[0].text.endsWith("[The picture is too large (8193 x 8193 pixels; a picture may have up to "
                                               "67,108,864 pixels and 1,000,000 along a side).]"))
        << sink.requests[0].text.toStdString();
}

} // namespace
