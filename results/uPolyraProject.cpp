#include "uPolyraProject.h"

#include <cstring>
#include <utility>

#include "Exception.h"
#include "FileUtil.h"
#include "U2001crypt.h"
#include "itemids.h"
#include "kvs_bytereader.h"
#include "uBasicDatabase.h"
#include "uDataVector.h"
#include "uPolyraDatabase.h"
#include "uProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"
#include "uTextExport.h"

namespace {

const char headerText[] = "Polyra2001 Project File";
constexpr std::size_t headerTextLength = sizeof headerText - 1;
constexpr std::size_t headerFieldLength = 26;
// Header field, seed, version word and CRC.
constexpr std::size_t fixedImageLength = headerFieldLength + 4 + 4 + 4;

// Item regions up to this size are copied out of their image; the copy
// costs less than the image's fixed parts kept beside it.
constexpr std::size_t smallItems = 4096;

// Seed, version word and CRC are big-endian.
constexpr auto imageOrder = KVS_byteOrder::big;
// Ends the header text in its field.
const unsigned char headerTail[] = {0x0A, 0x1A, 0x00};

// A record starts with its flag byte, which is never the header's "P".
bool isRecord(const unsigned char *buffer_, std::size_t length_)
{
    return length_ >= 2 && buffer_[0] != 'P' && buffer_[1] == 'P';
}

const DisplaySettings &defaultDisplay()
{
    static const DisplaySettings settings;
    return settings;
}

// A store whose name and description read as the given texts: what the
// model of an image is read from once a save has given the store others.
class WithTexts : public ProjectFile {
public:
    WithTexts(const ProjectFile &store_, const std::string &name_, const std::string &description_)
        : store(store_), name(name_), description(description_)
    {
    }

    bool getBool(unsigned id_) const override { return store.getBool(id_); }
    int getInt(unsigned id_) const override { return store.getInt(id_); }
    float getFloat(unsigned id_) const override { return store.getFloat(id_); }
    std::string getString(unsigned id_) const override
    {
        return id_ == ItemId::Name ? name : id_ == ItemId::Description ? description : store.getString(id_);
    }
    const unsigned char *getData(unsigned id_, unsigned &length_) const override { return store.getData(id_, length_); }
    void setBool(unsigned, bool) override {}
    void setInt(unsigned, int) override {}
    void setFloat(unsigned, float) override {}
    void setString(unsigned, const std::string &) override {}
    void setData(unsigned, const unsigned char *, unsigned) override {}

private:
    const ProjectFile &store;
    const std::string &name;
    const std::string &description;
};

} // namespace

std::unique_ptr<unsigned char[]> buildProjectImage(CPolyraProject &project_, std::size_t &length_, bool record_)
{
    length_ = 0;
    if (!project_.hasStore)
        return nullptr;
    project_.storeNameAndDescription();
    const std::size_t offset = record_ ? 1 : 0;
    const std::size_t head = offset + headerFieldLength + 4 + 4;
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> image = project_.store.serialise(length, head, 4);
    if (!image)
        return nullptr;
    KVS_byteWriter fixed(imageOrder);
    if (record_)
        fixed.writeU8(project_.isHidden() ? 1 : 0);
    fixed.writeBytes(headerText, headerTextLength);
    fixed.writeBytes(headerTail, sizeof headerTail);
    fixed.writeU32(project_.seed);
    fixed.writeU32(project_.getVersion() <= 200 ? 58 : 59);
    unsigned char *p = image.get();
    std::memcpy(p, fixed.bytes().data(), fixed.size());
    const std::size_t region = offset + headerFieldLength + 4;
    KVS_byteWriter::putU32(p + length, crc32Buffer(p + region, static_cast<unsigned>(length - region)), imageOrder);
    length += 4;
    scrambleBuffer(p + region, static_cast<int>(length - region), project_.seed);
    length_ = length;
    return image;
}

bool parseProjectImage(CPolyraProject &project_, std::unique_ptr<unsigned char[]> buffer_, std::size_t length_)
{
    if (parseProjectRecord(project_, std::move(buffer_), length_))
        return true;
    AppMessage("File is not a Polyra2001 project file");
    return false;
}

bool parseProjectRecord(CPolyraProject &project_, std::unique_ptr<unsigned char[]> buffer_, std::size_t length_)
{
    unsigned char *p = buffer_.get();
    KVS_byteReader in(p, length_, imageOrder);
    const bool record = p && isRecord(p, length_);
    std::uint8_t flags = 0;
    if (record)
        in.readU8(flags);
    // Too short to hold the fixed parts: nothing of it is read.
    if (!p || in.remaining() < fixedImageLength || length_ > 0x7FFFFFFFu ||
        !in.readExpected(headerText, headerTextLength))
        return false;
    // The flag as the record has it: reading it is not a change.
    if (flags & 1) {
        const bool wasModified = project_.isModified();
        project_.setHidden(true);
        project_.setModified(wasModified);
    }
    // The store, the model and the system information point into the
    // buffer the items were parsed from.
    project_.systemInfo.reset();
    project_.blankInfo = CPolyraProject::BlankInfo::None;
    project_.model.reset();
    project_.modelPending = false;
    project_.store = DataVector();
    project_.hasStore = false;
    project_.raw.reset();

    // All of these fit: the length was checked against the fixed parts.
    std::uint32_t seed = 0;
    in.skip(headerFieldLength - headerTextLength);
    in.readU32(seed);
    project_.seed = seed;
    const std::size_t scrambled = in.offset();
    unscrambleBuffer(p + scrambled, static_cast<int>(in.remaining()), project_.seed);
    // Version word and items, covered by the CRC behind them.
    KVS_byteReader body;
    std::uint32_t stored = 0;
    in.readSubReader(in.remaining() - 4, body);
    in.readU32(stored);
    if (crc32Buffer(body.data(), static_cast<unsigned>(body.size())) != stored)
        throw Exception("CRC Check failed.");
    body.skip(4);
    unsigned char *items = p + scrambled + body.offset();
    const std::size_t itemsLength = body.remaining();
    if (itemsLength <= smallItems) {
        // A small image keeps its items alone: the header, seed, version
        // word and CRC are read, and a database of small records would
        // spend much of its memory on them.
        project_.raw.reset(new unsigned char[itemsLength ? itemsLength : 1]);
        if (itemsLength)
            std::memcpy(project_.raw.get(), items, itemsLength);
        items = project_.raw.get();
        buffer_.reset();
    } else {
        // A large one is kept whole rather than held twice for a moment.
        project_.raw = std::move(buffer_);
    }
    project_.hasStore = true;
    project_.store.parse(items, itemsLength);
    project_.version = static_cast<unsigned>(project_.store.getInt(ItemId::Version));
    // The model is kept only once it is asked for, but it is read here all
    // the same: an item it cannot read fails the load, as it always has,
    // never a later getter. Read again later it reads the same (a save
    // changes only texts, which never fail).
    {
        Project probe;
        probe.load(project_.store);
    }
    project_.modelPending = true;
    project_.modelTextsBlank = false;
    project_.afterParse();
    return true;
}

bool readProjectFile(CPolyraProject &project_, const std::string &fileName_)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(fileName_, bytes))
        return false;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty())
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return parseProjectImage(project_, std::move(buffer), bytes.size());
}

CPolyraProject::CPolyraProject()
{
    secondImages = appWindows().createProjectImages();
    testValues.clear();
    polyraInitialised = true;
}

CPolyraProject::~CPolyraProject()
{
    secondImages.reset();
    model.reset();
    store = DataVector();
    hasStore = false;
    raw.reset();
    polyraInitialised = false;
}

// The model once read, and the texts of the image when the store has
// taken others before the model was read.
struct CPolyraProject::ModelState {
    std::unique_ptr<Project> project;
    bool textsKept = false;
    SparseText name;
    SparseText description;
};

Project *CPolyraProject::getModel() const
{
    if (!modelPending)
        return model ? model->project.get() : nullptr;
    if (!model)
        model = std::make_unique<ModelState>();
    if (!model->project) {
        auto project = std::make_unique<Project>();
        readModel(*project);
        model->project = std::move(project);
    }
    return model->project.get();
}

void CPolyraProject::readModel(Project &model_) const
{
    static const std::string none;
    if (modelTextsBlank)
        model_.load(WithTexts(store, none, none));
    else if (model && model->textsKept)
        model_.load(WithTexts(store, model->name.str(), model->description.str()));
    else
        model_.load(store);
}

Project CPolyraProject::modelCopy() const
{
    if (model && model->project)
        return *model->project;
    Project copy;
    if (modelPending)
        readModel(copy);
    return copy;
}

void CPolyraProject::storeNameAndDescription()
{
    if (!hasStore)
        return;
    // The model keeps the texts the image had. Not read yet, it must still
    // read them after the store takes the new ones: texts that were both
    // empty are remembered by a flag, others in the model's state.
    const bool modelFixed = modelTextsBlank || (model && (model->project || model->textsKept));
    if (modelPending && !modelFixed) {
        const std::string storedName = store.getString(ItemId::Name);
        const std::string storedDescription = store.getString(ItemId::Description);
        if (storedName != name || storedDescription != description) {
            if (storedName.empty() && storedDescription.empty()) {
                modelTextsBlank = true;
            } else {
                if (!model)
                    model = std::make_unique<ModelState>();
                model->name = storedName;
                model->description = storedDescription;
                model->textsKept = true;
            }
        }
    }
    store.storeString(ItemId::Name, name.str());
    store.storeString(ItemId::Description, description);
}

int CPolyraProject::getFsaaSamples() const
{
    if (!hasStore)
        return -1;
    // A display text must not fail: an item 29 of another kind counts as absent.
    try {
        return store.getInt(ItemId::FsaaSamples);
    } catch (const Exception &) {
        return -1;
    }
}

void CPolyraProject::afterParse()
{
    // A project without results keeps no test values of its own.
    const TTestValueList &values = testValues;
    for (int i = 1; i <= values.getCount(); ++i) {
        const unsigned item = static_cast<unsigned>(values.getEntry(i)->getRow()->resultItem);
        if (store.findItem(item))
            testValues.setResult(i, true, store.getFloat(item));
        else
            testValues.setResult(i, false, 0.0);
    }
    buildSystemInfo();
    counted = false;
    // Taking the stored name is not a change of the project.
    const bool wasModified = modified;
    setName(store.getString(ItemId::Name));
    setDescription(store.getString(ItemId::Description));
    modified = wasModified;
}

void CPolyraProject::buildSystemInfo()
{
    if (getSystemInfo())
        return;
    unsigned size = 0;
    const unsigned char *block = store.getData(ItemId::SystemInfo, size);
    if (size == 0) {
        blankInfo = version < 202 ? BlankInfo::Legacy : BlankInfo::Current;
        return;
    }
    // The tree keeps the block's layout for every later read and rendering.
    systemInfo = std::make_unique<CSystemInfo>(block, size, version < 202);
}

CBasicProject *CPolyraProject::copyToDatabase(CBasicDatabase *database_)
{
    auto copy = std::make_unique<CPolyraProject>();
    copy->copyFrom(*this);
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> image = buildProjectImage(*this, length, false);
    if (!image)
        throw Exception("Error on memory allocation");
    parseProjectImage(*copy, std::move(image), length);
    copy->loadImages();
    if (copy->secondImages)
        copy->secondImages->load(*copy);
    copy->refreshName();
    if (!database_ || database_->addProject(copy.get()) != 0)
        return nullptr;
    return copy.release();
}

void CPolyraProject::takeOver(CBasicProject *other_)
{
    auto *other = dynamic_cast<CPolyraProject *>(other_);
    // Only a project of the same class can hand over all its parts.
    if (!other || other == this)
        return;
    secondImages = std::move(other->secondImages);
    model = std::move(other->model);
    modelPending = other->modelPending;
    modelTextsBlank = other->modelTextsBlank;
    store = std::move(other->store);
    hasStore = other->hasStore;
    other->hasStore = false;
    raw = std::move(other->raw);
    seed = other->seed;
    CBasicProject::takeOver(other_);
}

bool CPolyraProject::exportText(std::vector<std::string> &lines_)
{
    // Rendered in memory: the same lines as the file export, without a
    // temporary file per project.
    lines_ = splitLines(projectExportText(*this));
    return true;
}

COutcome CPolyraProject::save(const std::string &fileName_, bool append_, bool noRecent_)
{
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> image = buildProjectImage(*this, length, append_);
    bool ok = false;
    if (image && length <= 0xFFFFFFFFu && append_) {
        std::vector<unsigned char> out(4 + length);
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<unsigned char>(length >> (8 * i));
        std::memcpy(out.data() + 4, image.get(), length);
        ok = appendToFile(fileName_, out.data(), out.size());
    } else if (image && length <= 0xFFFFFFFFu) {
        ok = writeFileAtomically(fileName_, image.get(), length);
    }
    if (!ok)
        return COutcome::refused("Error writing to file " + fileName_ + ".");
    if (!append_ && !noRecent_) {
        appWindows().addRecentFile(fileName_);
        if (!database) {
            fileName = fileName_;
            folder = folderOf(fileName_);
        }
    }
    return COutcome::doneWith();
}

bool CPolyraProject::saveToFile(const std::string &fileName_, bool append_, bool noRecent_)
{
    const COutcome outcome = save(fileName_, append_, noRecent_);
    if (!outcome.message.empty())
        AppMessage(outcome.message);
    return outcome.done();
}

COutcome CPolyraProject::load(const std::string &fileName_)
{
    if (!fileExists(fileName_))
        return COutcome::refused("File " + fileName_ + " couldn't be opened.");
    // Read straight into the buffer the project keeps.
    std::unique_ptr<unsigned char[]> buffer;
    std::size_t length = 0;
    if (!readWholeFile(fileName_, buffer, length))
        return COutcome::refused();
    if (!parseProjectRecord(*this, std::move(buffer), length))
        return COutcome::refused("File is not a Polyra2001 project file");
    return COutcome::doneWith();
}

bool CPolyraProject::loadFromFile(const std::string &fileName_)
{
    const COutcome outcome = load(fileName_);
    if (!outcome.message.empty())
        AppMessage(outcome.message);
    return outcome.done();
}

void CPolyraProject::afterLoad()
{
    if (secondImages)
        secondImages->load(*this);
    CBasicProject::afterLoad();
}

void CPolyraProject::print(bool preview_)
{
    appWindows().printProject(*this, preview_);
}

void CPolyraProject::openWindow()
{
    window = appWindows().openProjectWindow(*this);
}

void CPolyraProject::showSystemInfo()
{
    unsigned size = 0;
    const unsigned char *block = hasStore ? store.getData(ItemId::SystemInfo, size) : nullptr;
    if (!block || size == 0) {
        AppMessage("This project holds no system information.");
        return;
    }
    if (version >= 202)
        appLibraries().showSystemInfoDialog(block, size);
    else
        appLibraries().showOldSystemInfoDialog(block, size);
}

CBasicDatabase *CPolyraProject::createDatabase()
{
    return new CPolyraDatabase();
}

TTestValue *CPolyraProject::getTestValue(int testId_)
{
    return testValues.findByTestId(testId_);
}

std::string CPolyraProject::getTestName(const TTestValue *entry_, int mode_)
{
    return entry_ && entry_->getRow() ? getTestTitle(*entry_->getRow(), mode_) : std::string();
}

double CPolyraProject::getTestResult(const TTestValue *entry_)
{
    return entry_ ? entry_->getValue() : 0.0;
}

namespace {
const DisplaySettings &displayOf(const Project *model_)
{
    return model_ ? model_->getDisplay() : defaultDisplay();
}
} // namespace

std::string CPolyraProject::getRefreshRateText()
{
    const int rate = displayOf(getModel()).getRefreshRate();
    if (rate == 0)
        return "Not Measured";
    if (rate < 300)
        return std::to_string(rate) + "Hz Monitor Refresh";
    return "VSync Off";
}

std::string CPolyraProject::getTextureFormatText()
{
    switch (displayOf(getModel()).getTextureFormatCode()) {
    case 0:
        return "16 bit";
    case 1:
        return "32 bit";
    case 2:
        return "Compressed Textures";
    case 3:
        return "DXT1 only";
    default:
        return "<Unknown>";
    }
}

std::string CPolyraProject::getRenderingPlatform()
{
    return displayOf(getModel()).getPlatform();
}

std::string CPolyraProject::getResolutionText()
{
    const DisplaySettings &d = displayOf(getModel());
    return std::to_string(d.getWidth()) + "x" + std::to_string(d.getHeight());
}

std::string CPolyraProject::getDisplayModeText()
{
    const DisplaySettings &d = displayOf(getModel());
    return getResolutionText() + ", " + std::to_string(d.getColorBits()) + " bit color";
}

std::string CPolyraProject::getRenderingPipeline()
{
    return displayOf(getModel()).getRenderingPipeline();
}

std::string CPolyraProject::getColorDepthText(bool short_)
{
    return std::to_string(getColorDepth()) + (short_ ? " bit" : " bit color");
}

int CPolyraProject::getColorDepth()
{
    return displayOf(getModel()).getColorBits();
}

std::string CPolyraProject::getZBufferText()
{
    return std::to_string(getZBufferDepth()) + " bit";
}

std::string CPolyraProject::getFsaaText()
{
    const int samples = getFsaaSamples();
    return samples > 1 ? std::to_string(samples) + " samples" : "Not Enabled";
}

std::string CPolyraProject::getFrameBufferText(bool short_)
{
    std::string text;
    switch (getFrameBuffer()) {
    case 0:
        text = "Double";
        break;
    case 1:
        text = "Triple";
        break;
    default:
        text = "<Unknown>";
        break;
    }
    if (!short_ && text[0] != '<')
        text += " buffering";
    return text;
}

int CPolyraProject::getWidth()
{
    return displayOf(getModel()).getWidth();
}

int CPolyraProject::getHeight()
{
    return displayOf(getModel()).getHeight();
}

int CPolyraProject::getFrameBuffer()
{
    return displayOf(getModel()).getBufferingCode();
}

int CPolyraProject::getRefreshRate()
{
    return displayOf(getModel()).getRefreshRate();
}

int CPolyraProject::getZBufferDepth()
{
    return displayOf(getModel()).getZBufferBits();
}
