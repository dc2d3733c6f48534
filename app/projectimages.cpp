#include "projectimages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <utility>

#include "Cp1252.h"
#include "FileUtil.h"
#include "Ucommoncalls.h"
#include "picturefile.h"
#include "pictureuse.h"
#include "uBasicProject.h"
#include "uDataVector.h"
#include "uMainForm.h"
#include "uPolyraProject.h"

namespace {

bool samePair(const TThumbPicture &entry_, const QString &pictureFile_, const QString &largeFile_)
{
    return entry_.pictureFile.compare(pictureFile_, Qt::CaseInsensitive) == 0 &&
           entry_.largeFile.compare(largeFile_, Qt::CaseInsensitive) == 0;
}

std::unique_ptr<TProjectImages> referenceSets[2];

// Lets go of cache entries when it ends, last first.
struct ReleaseAfter {
    std::vector<TThumbPicture *> entries;
    ~ReleaseAfter()
    {
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            ThumbPictures().release((*it)->pictureFile, (*it)->largeFile);
    }
};

// A picture named by a result file: a bare or relative name lies in the
// project's folder, an absolute one stands as it is.
QString picturePath(const std::string &folder_, const std::string &name_)
{
    const QString name = fromCp1252(nativePath(name_));
    const bool driveLetter = name_.size() >= 3 && name_[1] == ':' && (name_[2] == '\\' || name_[2] == '/');
    if (QFileInfo(name).isAbsolute() || driveLetter)
        return name;
    // The folder is a path of the file system, the name text of the result file.
    return QFile::decodeName(QByteArray::fromStdString(folder_)) + name;
}

// Reasons that differ only in their figures are one kind; the budget's
// refusals are all one, whatever holds it.
QString reasonKind(const PictureRead &read_)
{
    if (read_.overBudget)
        return QString();
    static const QRegularExpression figures(QStringLiteral("[0-9]+"));
    return QString(read_.error).replace(figures, QStringLiteral("#"));
}

} // namespace

TThumbPictureList::~TThumbPictureList()
{
    while (!entries.empty())
        entries.pop_back();
}

TThumbPicture *TThumbPictureList::find(const QString &pictureFile_, const QString &largeFile_) const
{
    for (const auto &entry : entries)
        if (samePair(*entry, pictureFile_, largeFile_))
            return entry.get();
    return nullptr;
}

TThumbPicture *TThumbPictureList::acquire(const QString &pictureFile_, const QString &largeFile_, int tag_)
{
    const TThumbnailLoad load(*this);
    TThumbPicture *entry = find(pictureFile_, largeFile_);
    if (!entry) {
        if (!QFileInfo(pictureFile_).isFile())
            return nullptr;
        auto fresh = std::make_unique<TThumbPicture>();
        fresh->tag = tag_;
        fresh->pictureFile = pictureFile_;
        fresh->largeFile = largeFile_;
        fresh->largeName = QFileInfo(largeFile_).fileName();
        const auto sameFile = std::find_if(entries.begin(), entries.end(), [&](const auto &other) {
            return other->pictureFile.compare(pictureFile_, Qt::CaseInsensitive) == 0;
        });
        if (sameFile != entries.end()) {
            fresh->picture = (*sameFile)->picture;
        } else {
            const PictureRead read = ReadPictureFile(pictureFile_, {thumbnailHeldSize, false});
            if (!read.ok()) {
                if (refusalsShown.insert(reasonKind(read)).second)
                    ShowPictureFailure("loaded", QDir::toNativeSeparators(pictureFile_), read.error);
                return nullptr;
            }
            fresh->picture = read.image;
        }
        entries.push_back(std::move(fresh));
        entry = entries.back().get();
    }
    ++entry->useCount;
    return entry;
}

void TThumbPictureList::release(const QString &pictureFile_, const QString &largeFile_)
{
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const auto &entry) { return samePair(*entry, pictureFile_, largeFile_); });
    if (it == entries.end())
        return;
    if (--(*it)->useCount <= 0)
        entries.erase(it);
}

std::vector<QImage> TThumbPictureList::pictures() const
{
    std::vector<QImage> all;
    all.reserve(entries.size());
    for (const auto &entry : entries)
        all.push_back(entry->picture);
    return all;
}

QString TThumbPictureList::largeFileName(const TThumbPicture *entry_)
{
    if (!entry_)
        return QString();
    const QString folder = QFileInfo(entry_->pictureFile).path();
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + entry_->largeName);
}

TThumbPictureList &ThumbPictures()
{
    static TThumbPictureList cache;
    return cache;
}

TThumbnailLoad::TThumbnailLoad(TThumbPictureList &cache_) : cache(cache_)
{
    ++cache.loads;
}

TThumbnailLoad::~TThumbnailLoad()
{
    if (--cache.loads == 0)
        cache.refusalsShown.clear();
}

constinit const std::array<TTestImageRow, testImageRows + 1> testImageTable = [] {
    std::array<TTestImageRow, testImageRows + 1> rows{};
    std::size_t i = 0;
    for (const BenchmarkTest &test : benchmarkTests)
        if (test.hasPictures())
            rows[i++] = {test.picture.n, static_cast<int>(test.smallPictureItem()),
                         static_cast<int>(test.fullPictureItem()), test.picture.title, ""};
    rows[i] = {0, 0, 0, "", ""};
    return rows;
}();

int testImageRow(int n_)
{
    for (int i = 0; testImageTable[i].n != 0; ++i)
        if (testImageTable[i].n == n_)
            return i;
    return 0;
}

TProjectImages::~TProjectImages()
{
    releaseAll();
}

void TProjectImages::releaseAll()
{
    while (!pictures.empty()) {
        TThumbPicture *entry = pictures.back();
        pictures.pop_back();
        ThumbPictures().release(entry->pictureFile, entry->largeFile);
    }
}

TThumbPicture *TProjectImages::findByTag(int n_) const
{
    for (TThumbPicture *entry : pictures)
        if (entry->tag == n_)
            return entry;
    return nullptr;
}

bool TProjectImages::LoadReferenceImages(int set_, const QString &programDirectory_)
{
    // A reload replaces the entries instead of holding them twice.
    const ReleaseAfter previous{std::exchange(pictures, {})};
    QString directory = programDirectory_;
    if (directory.isEmpty()) {
        directory = TFMainForm::instance() ? TFMainForm::instance()->programDirectory()
                                           : QCoreApplication::applicationDirPath() + QDir::separator();
    }
    const QString folder = directory + "Quality" + QDir::separator() + "Reference" + QDir::separator() + "IQ0";
    loaded = true;
    for (int i = 0; testImageTable[i].n != 0; ++i) {
        const QString n = QString::number(testImageTable[i].n);
        const QString picture = folder + n + "T_Reference.PNG";
        const QString large = folder + n + (set_ == 0 ? "I_Reference.PNG" : "A_Reference.PNG");
        if (TThumbPicture *entry = ThumbPictures().acquire(picture, large, i + 1))
            pictures.push_back(entry);
        else
            loaded = false;
    }
    return loaded;
}

bool TProjectImages::LoadProjectImages(CBasicProject &project_)
{
    // The new entries are taken before the old ones are let go, so a reload
    // finds the pictures still in the cache.
    const ReleaseAfter previous{std::exchange(pictures, {})};
    const TThumbnailLoad load;
    loaded = true;
    if (project_.getKind() != 1) {
        loaded = false;
        return loaded;
    }
    auto *polyra = dynamic_cast<CPolyraProject *>(&project_);
    DataVector *store = polyra ? polyra->getStore() : nullptr;
    if (!store)
        return loaded;
    const std::string prefix = project_.getFolder();
    for (int i = 0; testImageTable[i].n != 0; ++i) {
        const BasicData *small = store->findItem(static_cast<unsigned>(testImageTable[i].smallItem));
        const BasicData *full = store->findItem(static_cast<unsigned>(testImageTable[i].fullItem));
        if (!small || !full)
            continue;
        const QString picture = picturePath(prefix, small->getString());
        const QString large = picturePath(prefix, full->getString());
        if (TThumbPicture *entry = ThumbPictures().acquire(picture, large, testImageTable[i].n))
            pictures.push_back(entry);
        else
            loaded = false;
    }
    return loaded;
}

TProjectImages *ReferenceImages(int set_)
{
    return set_ == 0 || set_ == 1 ? referenceSets[set_].get() : nullptr;
}

bool LoadReferenceSets(const QString &programDirectory_)
{
    const TThumbnailLoad load;
    bool all = true;
    for (int set = 0; set < 2; ++set) {
        referenceSets[set] = std::make_unique<TProjectImages>();
        all = referenceSets[set]->LoadReferenceImages(set, programDirectory_) && all;
    }
    return all;
}

void FreeReferenceSets()
{
    for (auto &set : referenceSets)
        set.reset();
}
