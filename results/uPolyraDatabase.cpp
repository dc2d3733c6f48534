#include "uPolyraDatabase.h"

#include <cstring>
#include <memory>

#include <algorithm>
#include <vector>

#include "Exception.h"
#include "kvs_bytereader.h"
#include "kvs_w32_streamfile.h"
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

// The records of a database file, read and checked, not yet in a database.
struct DatabaseFileContents {
    std::string name;
    std::uint32_t count = 0;
    std::vector<std::unique_ptr<CPolyraProject>> projects;
};

// Reads the file through the file stream, each field checked against what is
// left of the file before it is read, and every record straight into a
// buffer of its own (the project keeps it). False when the file cannot be
// read or is not a database file; a file that ends early keeps the records
// read so far.
bool readDatabaseFile(const std::string &fileName_, DatabaseFileContents &contents_)
{
    const std::string path = nativePath(fileName_);
    std::uint64_t left = 0;
    if (!regularFileSize(path, left))
        return false;
    bool headRead = false;
    try {
        KVS_W32streamInputFile in(path.c_str());
        auto take = [&](void *to_, std::uint64_t count_) {
            if (count_ > left)
                return false;
            in.readStr(to_, static_cast<unsigned>(count_));
            left -= count_;
            return true;
        };
        auto word = [&](std::uint32_t &value_) {
            if (left < 4)
                return false;
            in >> value_;
            left -= 4;
            return true;
        };
        const std::size_t headerLength = std::strlen(CPolyraDatabase::fileHeader());
        std::string header(headerLength, '\0');
        if (!take(header.data(), headerLength) || header != CPolyraDatabase::fileHeader())
            return false;
        unsigned char zero = 1;
        if (!take(&zero, 1) || zero != 0)
            return false;
        std::uint32_t nameLength = 0;
        if (!word(nameLength) || nameLength > maximumNameLength || nameLength > left)
            return false;
        contents_.name.assign(nameLength, '\0');
        take(contents_.name.data(), nameLength);
        if (!word(contents_.count))
            return false;
        headRead = true;
        // As many projects as the file can hold, however large its count.
        const std::size_t room = std::min<std::uint64_t>(contents_.count, left / (4 + minimumRecordLength));
        contents_.projects.reserve(room);
        CBasicProject::reserveLiveProjects(room);
        for (std::uint32_t i = 0; i < contents_.count; ++i) {
            std::uint32_t length = 0;
            // A record that runs past the end leaves nothing after it to read.
            if (!word(length) || length > left)
                break;
            // Too short for any project: skipped like a record that does not parse.
            if (length < minimumRecordLength) {
                in.skip(length);
                left -= length;
                continue;
            }
            std::unique_ptr<unsigned char[]> record(new unsigned char[length]);
            take(record.get(), length);
            auto project = std::make_unique<CPolyraProject>();
            if (parseProjectRecord(*project, std::move(record), length))
                contents_.projects.push_back(std::move(project));
        }
    } catch (const KVS_exceptionBase &) {
        // The file changed under the reader: once its head was read, what
        // was read stands.
        return headRead;
    }
    return true;
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

struct CPolyraDatabase::PendingLoad {
    enum class Step { NameClash, SaveOther };
    std::string fileName;
    DatabaseFileContents contents;
    CBasicDatabase *other = nullptr;
    Step step = Step::NameClash;

    bool otherStillOpen() const
    {
        const auto &open = openDatabases();
        return std::find(open.begin(), open.end(), other) != open.end();
    }
};

COutcome CPolyraDatabase::beginLoad(const std::string &fileName_)
{
    cancelled = false;
    pending.reset();
    auto load = std::make_unique<PendingLoad>();
    load->fileName = fileName_;
    {
        // Every record is read and checked before anything open is touched.
        CWorkMessage working;
        if (!readDatabaseFile(fileName_, load->contents))
            return COutcome::refused();
    }
    load->other = findOpenDatabase(load->contents.name, this);
    pending = std::move(load);
    if (!pending->other)
        return finishLoad();
    return COutcome::question("Database Name :\"" + pending->contents.name + "\" already Exists. Overwrite ?", "Warning");
}

COutcome CPolyraDatabase::answer(CMessages::Answer answer_)
{
    if (!pending)
        return COutcome::refused();
    using Answer = CMessages::Answer;
    // A question's dialog runs the event loop: the other database may be
    // gone by the answer.
    const bool otherOpen = pending->otherStillOpen();
    if (answer_ == Answer::Cancel) {
        cancelled = true;
        pending.reset();
        return COutcome::refused();
    }
    if (pending->step == PendingLoad::Step::NameClash) {
        if (answer_ == Answer::No || !otherOpen)
            return finishLoad();
        if (pending->other->isModified()) {
            pending->step = PendingLoad::Step::SaveOther;
            return COutcome::question("Do you want to save the changes to Database : \"" + pending->other->getName() + "\" ?");
        }
        delete pending->other;
        return finishLoad();
    }
    // Whether to save the other database before it goes.
    if (otherOpen && answer_ == Answer::Yes && !pending->other->isUntitled()) {
        auto *other = dynamic_cast<CPolyraDatabase *>(pending->other);
        const COutcome saved = other ? other->save(other->getFileName()) : COutcome::refused();
        if (!saved.done()) {
            cancelled = true;
            pending.reset();
            return saved;
        }
    }
    if (otherOpen)
        delete pending->other;
    return finishLoad();
}

COutcome CPolyraDatabase::finishLoad()
{
    std::unique_ptr<PendingLoad> load = std::move(pending);
    DatabaseFileContents &contents = load->contents;
    reset();
    fileName = load->fileName;
    name = contents.name;
    makeNameUnique();
    {
        CWorkMessage working;
        beginBulkAdd(contents.projects.size());
        for (auto &project : contents.projects)
            if (addProject(project.get()) == 0)
                project.release();
        normaliseOrder();
        endBulkAdd();
    }
    setModified(false);
    // One note for the file, however many of its records are broken.
    const std::size_t read = contents.projects.size();
    if (read < contents.count)
        return COutcome::doneWith(std::to_string(contents.count - read) + " of " + std::to_string(contents.count) +
                                  " records of the database \"" + getName() + "\" could not be read.");
    return COutcome::doneWith();
}

bool CPolyraDatabase::loadFromFile(const std::string &fileName_)
{
    COutcome outcome = beginLoad(fileName_);
    while (outcome.asks())
        outcome = answer(outcome.caption.empty() ? appMessages().askYesNoCancel(outcome.message)
                                                 : appMessages().askYesNoCancelCaptioned(outcome.message, outcome.caption));
    if (!outcome.message.empty())
        AppMessage(outcome.message);
    return outcome.done();
}

COutcome CPolyraDatabase::save(const std::string &fileName_)
{
    FileWriteResult written;
    return save(fileName_, written);
}

COutcome CPolyraDatabase::save(const std::string &fileName_, FileWriteResult &written_)
{
    // Written record by record, so a save never holds a second copy of the
    // whole database in memory.
    CFileReplacement file(fileName_);
    KVS_byteWriter head(KVS_byteOrder::little);
    head.writeBytes(fileHeader(), std::strlen(fileHeader()));
    head.writeU8(0);
    head.writeU32(static_cast<std::uint32_t>(name.size()));
    head.writeString(name);
    head.writeU32(static_cast<std::uint32_t>(projects.size()));
    bool ok = file.write(head.bytes().data(), head.size());
    for (CBasicProject *project : projects) {
        if (!ok)
            break;
        auto *polyra = dynamic_cast<CPolyraProject *>(project);
        std::size_t length = 0;
        std::unique_ptr<unsigned char[]> record = polyra ? buildProjectImage(*polyra, length, true) : nullptr;
        // A project that cannot be written fails the save; the uncommitted
        // copy goes with the replacement.
        if (!record || length > 0xFFFFFFFFu) {
            written_ = FileWriteResult::WriteFailed;
            return COutcome::refused("Error writing to file " + fileName_ + ".");
        }
        unsigned char size[4];
        KVS_byteWriter::putU32(size, static_cast<std::uint32_t>(length), KVS_byteOrder::little);
        ok = file.write(size, 4) && file.write(record.get(), length);
    }
    written_ = file.commit();
    if (written_ == FileWriteResult::CannotOpen)
        return COutcome::refused("File could not be opened");
    if (written_ != FileWriteResult::Written)
        return COutcome::refused("Error writing to file " + fileName_ + ".");
    const std::string folder = [&] {
        const std::size_t at = fileName_.find_last_of("\\:/");
        return at == std::string::npos ? std::string() : fileName_.substr(0, at + 1);
    }();
    for (CBasicProject *project : projects)
        project->setFolder(folder);
    appWindows().addRecentFile(fileName_);
    fileName = fileName_;
    setModified(false);
    return COutcome::doneWith();
}

bool CPolyraDatabase::saveToFile(const std::string &fileName_)
{
    FileWriteResult written;
    const COutcome outcome = save(fileName_, written);
    if (outcome.done())
        return true;
    if (written == FileWriteResult::CannotOpen)
        throw Exception(outcome.message);
    AppMessage(outcome.message);
    return false;
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
