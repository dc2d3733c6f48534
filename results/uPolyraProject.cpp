#include "uPolyraProject.h"

#include <cstring>

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

} // namespace

std::unique_ptr<unsigned char[]> buildProjectImage(CPolyraProject &project_, std::size_t &length_, bool record_)
{
    length_ = 0;
    if (!project_.store)
        return nullptr;
    project_.storeNameAndDescription();
    const std::size_t offset = record_ ? 1 : 0;
    const std::size_t head = offset + headerFieldLength + 4 + 4;
    std::size_t length = 0;
    std::unique_ptr<unsigned char[]> image = project_.store->serialise(length, head, 4);
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
    if (flags & 1)
        project_.setHidden(true);
    // The store, the model and the system information point into the
    // buffer they were parsed from.
    project_.systemInfo.reset();
    project_.model.reset();
    project_.store.reset();
    project_.raw.reset();
    project_.rawLength = 0;

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
    project_.raw = std::move(buffer_);
    project_.rawLength = length_;
    body.skip(4);
    project_.store = std::make_unique<DataVector>();
    project_.store->parse(p + scrambled + body.offset(), body.remaining());
    project_.version = static_cast<unsigned>(project_.store->getInt(ItemId::Version));
    project_.model = std::make_unique<Project>();
    project_.model->load(*project_.store);
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
    polyraFolder.clear();
    testValues = std::make_unique<TTestValueList>(programCatalogue());
    catalogue = &programCatalogue();
    polyraInitialised = true;
}

CPolyraProject::~CPolyraProject()
{
    secondImages.reset();
    model.reset();
    store.reset();
    raw.reset();
    polyraInitialised = false;
}

void CPolyraProject::storeNameAndDescription()
{
    if (!store)
        return;
    store->storeString(ItemId::Name, name);
    store->storeString(ItemId::Description, description);
}

int CPolyraProject::getFsaaSamples() const
{
    if (!store)
        return -1;
    // A display text must not fail: an item 29 of another kind counts as absent.
    try {
        return store->getInt(ItemId::FsaaSamples);
    } catch (const Exception &) {
        return -1;
    }
}

void CPolyraProject::afterParse()
{
    for (int i = 1; i <= testValues->getCount(); ++i) {
        TTestValue *entry = testValues->getEntry(i);
        entry->setPresent(false);
        entry->setValue(0.0);
        const unsigned item = static_cast<unsigned>(entry->getRow()->resultItem);
        if (store->findItem(item)) {
            entry->setPresent(true);
            entry->setValue(store->getFloat(item));
        }
    }
    buildSystemInfo();
    counted = false;
    // Taking the stored name is not a change of the project.
    const bool wasModified = modified;
    setName(model->getName());
    setDescription(model->getDescription());
    modified = wasModified;
}

void CPolyraProject::buildSystemInfo()
{
    if (systemInfo)
        return;
    unsigned size = 0;
    const unsigned char *block = store->getData(ItemId::SystemInfo, size);
    // The tree keeps the block's layout for every later read and rendering.
    systemInfo = std::make_unique<CSystemInfo>(block, size, version < 202);
}

CBasicProject *CPolyraProject::copyToDatabase(CBasicDatabase *database_)
{
    auto copy = std::make_unique<CPolyraProject>();
    copy->copyFrom(*this);
    copy->polyraFolder = polyraFolder;
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
    polyraFolder = other->polyraFolder;
    model = std::move(other->model);
    store = std::move(other->store);
    raw = std::move(other->raw);
    rawLength = other->rawLength;
    other->rawLength = 0;
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
            folder = polyraFolder = folderOf(fileName_);
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
    polyraFolder = folderOf(fileName);
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
    const unsigned char *block = store ? store->getData(ItemId::SystemInfo, size) : nullptr;
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
    return testValues ? testValues->findByTestId(testId_) : nullptr;
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
    const int rate = displayOf(model.get()).getRefreshRate();
    if (rate == 0)
        return "Not Measured";
    if (rate < 300)
        return std::to_string(rate) + "Hz Monitor Refresh";
    return "VSync Off";
}

std::string CPolyraProject::getTextureFormatText()
{
    switch (displayOf(model.get()).getTextureFormatCode()) {
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
    return displayOf(model.get()).getPlatform();
}

std::string CPolyraProject::getResolutionText()
{
    const DisplaySettings &d = displayOf(model.get());
    return std::to_string(d.getWidth()) + "x" + std::to_string(d.getHeight());
}

std::string CPolyraProject::getDisplayModeText()
{
    const DisplaySettings &d = displayOf(model.get());
    return getResolutionText() + ", " + std::to_string(d.getColorBits()) + " bit color";
}

std::string CPolyraProject::getRenderingPipeline()
{
    return displayOf(model.get()).getRenderingPipeline();
}

std::string CPolyraProject::getColorDepthText(bool short_)
{
    return std::to_string(getColorDepth()) + (short_ ? " bit" : " bit color");
}

int CPolyraProject::getColorDepth()
{
    return displayOf(model.get()).getColorBits();
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
    return displayOf(model.get()).getWidth();
}

int CPolyraProject::getHeight()
{
    return displayOf(model.get()).getHeight();
}

int CPolyraProject::getFrameBuffer()
{
    return displayOf(model.get()).getBufferingCode();
}

int CPolyraProject::getRefreshRate()
{
    return displayOf(model.get()).getRefreshRate();
}

int CPolyraProject::getZBufferDepth()
{
    return displayOf(model.get()).getZBufferBits();
}
