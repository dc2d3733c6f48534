#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <array>
#include <cstddef>
#include <memory>
#include <set>
#include <vector>

#include "AppServices.h"
#include "testcatalogue.h"

// A thumbnail is drawn into an Image Quality cell (100 x 80 pixels) and into
// the viewer's Thumbnail box (100 x 75). It is held fitted into twice that,
// so a taller row or a screen of double density still draws it sharp, and a
// thumbnail file of any accepted size takes at most 125 KiB.
inline constexpr QSize thumbnailHeldSize(200, 160);

// One cached picture: a thumbnail and the name of the full-size picture
// that belongs to it.
class TThumbPicture {
public:
    QString pictureFile; // full path of the thumbnail that was loaded
    QString largeName;   // file-name part of the full-size picture
    QString largeFile;   // the full-size picture as it was asked for
    QImage picture;
    int useCount = 0;
    int tag = 0; // the reference-table number of the picture's row

    QPixmap pixmap() const { return QPixmap::fromImage(picture); }
};

// The reference-counted picture cache. An entry is known by its thumbnail
// and its full-size picture together (case ignored): two sets that share
// thumbnails keep their own full-size pictures.
class TThumbPictureList {
public:
    TThumbPictureList() = default;
    ~TThumbPictureList();
    TThumbPictureList(const TThumbPictureList &) = delete;
    TThumbPictureList &operator=(const TThumbPictureList &) = delete;

    // The entry, loaded when new; null when the thumbnail is missing or
    // cannot be read. Raises the use count. The thumbnail is held at most
    // at thumbnailHeldSize; entries of one thumbnail file share its pixels.
    // A thumbnail that cannot be read is reported with why, each kind of
    // reason once in a load (TThumbnailLoad): the files of a load may name
    // thousands of pictures, which would otherwise give a box for each.
    TThumbPicture *acquire(const QString &pictureFile_, const QString &largeFile_, int tag_);
    // Lowers the use count; at 0 the entry is freed.
    void release(const QString &pictureFile_, const QString &largeFile_);
    TThumbPicture *find(const QString &pictureFile_, const QString &largeFile_) const;
    int count() const { return static_cast<int>(entries.size()); }
    // The thumbnails held, one for each entry.
    std::vector<QImage> pictures() const;

    // The thumbnail's folder followed by the full-size picture's name.
    static QString largeFileName(const TThumbPicture *entry_);

private:
    friend class TThumbnailLoad;

    std::vector<std::unique_ptr<TThumbPicture>> entries;
    // The kinds of reason shown in the load under way, and how many loads
    // are under way within each other.
    std::set<QString> refusalsShown;
    int loads = 0;
};

// The program's one cache; it lives to the end of the program.
TThumbPictureList &ThumbPictures();

// One load of files: a database, the files chosen or dropped at once, or
// the file a command line names (and the files of a list it may be). While
// it lasts, each kind of reason a thumbnail is refused for is shown once,
// however many projects name such pictures; reasons that differ only in
// their figures (a size, what the budget holds) are one kind. A load within
// a load is part of it; a thumbnail loaded outside any is a load of its own.
class TThumbnailLoad {
public:
    explicit TThumbnailLoad(TThumbPictureList &cache_ = ThumbPictures());
    ~TThumbnailLoad();
    TThumbnailLoad(const TThumbnailLoad &) = delete;
    TThumbnailLoad &operator=(const TThumbnailLoad &) = delete;

private:
    TThumbPictureList &cache;
};

// One row of the image-quality tests and their project items.
struct TTestImageRow {
    int n;
    int smallItem;
    int fullItem;
    const char *title;
    const char *title2;
};
inline constexpr std::size_t testImageRows =
    countBenchmarkTests([](const BenchmarkTest &test) { return test.hasPictures(); });
// The picture tests of benchmarkTests (four rows), then an end row whose
// number is 0.
extern const std::array<TTestImageRow, testImageRows + 1> testImageTable;
// Index of the row numbered n_; 0 when none.
int testImageRow(int n_);

// The pictures of one project or of one reference set. The entries belong
// to the cache and are released when the list is freed or reloaded.
class TProjectImages : public CProjectImages {
public:
    TProjectImages() = default;
    ~TProjectImages() override;

    bool load(CBasicProject &project_) override { return LoadProjectImages(project_); }

    // Set 0: the plain large pictures ("I"), set 1: the FSAA ones ("A");
    // from programDirectory_ (which ends with a separator), empty: the main
    // window's program directory.
    bool LoadReferenceImages(int set_, const QString &programDirectory_ = QString());
    bool LoadProjectImages(CBasicProject &project_);

    TThumbPicture *findByTag(int n_) const;
    bool isEmpty() const { return pictures.empty(); }
    int count() const { return static_cast<int>(pictures.size()); }
    TThumbPicture *entry(int index_) const { return pictures.at(static_cast<std::size_t>(index_)); }
    bool allLoaded() const { return loaded; }

private:
    void releaseAll();

    std::vector<TThumbPicture *> pictures;
    bool loaded = true;
};

// The two reference sets, loaded by the main window; null before and after.
TProjectImages *ReferenceImages(int set_);
// Makes and loads both sets; true when both loaded completely.
bool LoadReferenceSets(const QString &programDirectory_);
void FreeReferenceSets();

