#include "uPolyraDatabase.h"

#include <cstring>
#include <memory>

#include "Exception.h"
#include "FileUtil.h"
#include "textutil.h"
#include "uBasicProject.h"
#include "uPolyraProject.h"
#include "uTestList.h"

namespace {

// The smallest record: the flag byte and a project image's fixed parts.
constexpr std::size_t minimumRecordLength = 39;
// The name is read into 256 bytes with its terminator.
constexpr std::uint32_t maximumNameLength = 255;

// Reads the database file's fields, each checked against what is left.
class Cursor {
public:
    Cursor(const std::vector<unsigned char> &bytes_) : bytes(bytes_) {}

    std::size_t left() const { return bytes.size() - at; }
    bool take(std::size_t n_, const unsigned char *&p_)
    {
        if (n_ > left())
            return false;
        p_ = bytes.data() + at;
        at += n_;
        return true;
    }
    bool u32(std::uint32_t &v_)
    {
        const unsigned char *p;
        if (!take(4, p))
            return false;
        v_ = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
        return true;
    }

private:
    const std::vector<unsigned char> &bytes;
    std::size_t at = 0;
};

void putLittleEndian32(std::vector<unsigned char> &out_, std::uint32_t v_)
{
    for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<unsigned char>(v_ >> (8 * i)));
}

bool allowedInFileName(unsigned char c_)
{
    return c_ >= 0x20 && !std::strchr("\\/:*?\"<>|", c_);
}

} // namespace

CPolyraDatabase::CPolyraDatabase()
{
    reset();
    typeName = "Polyra Database";
    polyraInitialised = true;
    treeNode = appResultTree().addDatabaseNode(*this);
    testRanges = std::make_unique<TDatabaseTestList>(programCatalogue());
    catalogue = &programCatalogue();
    modified = false;
}

CPolyraDatabase::~CPolyraDatabase()
{
    polyraInitialised = false;
}

void CPolyraDatabase::changed()
{
    CBasicDatabase::changed();
}

void CPolyraDatabase::print(bool)
{
}

void CPolyraDatabase::reset()
{
    CBasicDatabase::reset();
}

bool CPolyraDatabase::loadFromFile(const std::string &fileName_)
{
    cancelled = false;
    std::string newName;
    std::uint32_t count = 0;
    // Every record is read and checked before anything open is touched.
    std::vector<std::unique_ptr<CPolyraProject>> loaded;
    {
        CWorkMessage working;
        std::vector<unsigned char> bytes;
        if (!readWholeFile(fileName_, bytes))
            return false;
        Cursor in(bytes);
        const std::size_t headerLength = std::strlen(fileHeader());
        const unsigned char *p = nullptr;
        if (!in.take(headerLength, p) || std::memcmp(p, fileHeader(), headerLength) != 0)
            return false;
        if (!in.take(1, p) || *p != 0)
            return false;
        std::uint32_t nameLength = 0;
        if (!in.u32(nameLength) || nameLength > maximumNameLength || !in.take(nameLength, p))
            return false;
        newName.assign(reinterpret_cast<const char *>(p), nameLength);
        if (!in.u32(count))
            return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t length = 0;
            // A record that runs past the end leaves nothing after it to read.
            if (!in.u32(length) || length > in.left())
                break;
            in.take(length, p);
            // Too short for any project: skipped like a record that does not parse.
            if (length < minimumRecordLength)
                continue;
            std::unique_ptr<unsigned char[]> record(new unsigned char[length]);
            std::memcpy(record.get(), p, length);
            auto project = std::make_unique<CPolyraProject>();
            if (parseProjectRecord(*project, std::move(record), length))
                loaded.push_back(std::move(project));
        }
    }

    if (CBasicDatabase *other = findOpenDatabase(newName, this)) {
        const std::string question = "Database Name :\"" + newName + "\" already Exists. Overwrite ?";
        switch (appMessages().askYesNoCancelCaptioned(question, "Warning")) {
        case CMessages::Answer::Cancel:
            cancelled = true;
            return false;
        case CMessages::Answer::Yes:
            if (other->isModified()) {
                const std::string save = "Do you want to save the changes to Database : \"" + other->getName() + "\" ?";
                const CMessages::Answer answer = appMessages().askYesNoCancel(save);
                if (answer == CMessages::Answer::Cancel) {
                    cancelled = true;
                    return false;
                }
                if (answer == CMessages::Answer::Yes && !other->isUntitled() && !other->saveToFile(other->getFileName())) {
                    cancelled = true;
                    return false;
                }
            }
            delete other;
            break;
        case CMessages::Answer::No:
            break;
        }
    }

    reset();
    fileName = fileName_;
    name = newName;
    makeNameUnique();
    {
        CWorkMessage working;
        beginBulkAdd();
        for (auto &project : loaded)
            if (addProject(project.get()) == 0)
                project.release();
        normaliseOrder();
        endBulkAdd();
    }
    setModified(false);
    // One message for the file, however many of its records are broken.
    if (loaded.size() < count)
        AppMessage(std::to_string(count - loaded.size()) + " of " + std::to_string(count) + " records of the database \"" +
                   getName() + "\" could not be read.");
    return true;
}

bool CPolyraDatabase::saveToFile(const std::string &fileName_)
{
    std::vector<unsigned char> out;
    const std::size_t headerLength = std::strlen(fileHeader());
    out.insert(out.end(), fileHeader(), fileHeader() + headerLength);
    out.push_back(0);
    putLittleEndian32(out, static_cast<std::uint32_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    putLittleEndian32(out, static_cast<std::uint32_t>(projects.size()));
    bool ok = true;
    for (CBasicProject *project : projects) {
        auto *polyra = dynamic_cast<CPolyraProject *>(project);
        std::size_t length = 0;
        std::unique_ptr<unsigned char[]> record = polyra ? buildProjectImage(*polyra, length, true) : nullptr;
        if (!record || length > 0xFFFFFFFFu) {
            ok = false;
            break;
        }
        putLittleEndian32(out, static_cast<std::uint32_t>(length));
        out.insert(out.end(), record.get(), record.get() + length);
    }
    const FileWriteResult written = ok ? replaceFile(fileName_, out.data(), out.size()) : FileWriteResult::WriteFailed;
    if (written == FileWriteResult::CannotOpen)
        throw Exception("File could not be opened");
    if (written != FileWriteResult::Written) {
        AppMessage("Error writing to file " + fileName_ + ".");
        return false;
    }
    const std::string folder = [&] {
        const std::size_t at = fileName_.find_last_of("\\:/");
        return at == std::string::npos ? std::string() : fileName_.substr(0, at + 1);
    }();
    for (CBasicProject *project : projects)
        project->setFolder(folder);
    appWindows().addRecentFile(fileName_);
    fileName = fileName_;
    setModified(false);
    return true;
}

void CPolyraDatabase::createWindow()
{
    setWindow(appWindows().openDatabaseWindow(*this));
    if (window)
        notifyChanged({CChangeKind::Values, this, nullptr});
}

void CPolyraDatabase::setupSaveDialog(CSaveDialogSetup &dialog_)
{
    dialog_.filter = "Polyra2001 database (*.prb)|*.prb|Text file (*.txt)|*.TXT";
    dialog_.defaultExt = "PRB";
    if (!fileName.empty()) {
        dialog_.fileName = fileName;
        return;
    }
    // Every character a file name cannot hold becomes a blank.
    std::string proposed = name.substr(0, 120);
    for (char &c : proposed)
        if (!allowedInFileName(static_cast<unsigned char>(c)))
            c = ' ';
    proposed += ".PRB";
    fileName = proposed;
    dialog_.fileName = proposed;
}

double CPolyraDatabase::getTestMaximum(int testId_)
{
    const TDatabaseTestObject *range = testRanges ? testRanges->findByTestId(testId_) : nullptr;
    return range ? range->getMaximum() : 1.0;
}

CBasicDatabase *openDatabaseFile(const std::string &path_)
{
    if (!sameTextIgnoringCase(extractFileExt(path_), ".PRB"))
        return nullptr;
    auto database = std::make_unique<CPolyraDatabase>();
    if (!database->loadFromFile(path_)) {
        if (!database->wasCancelled())
            AppMessage("File " + path_ + " couldn't be opened or is not a valid database file.");
        return nullptr;
    }
    database->showWindow();
    return database.release();
}
