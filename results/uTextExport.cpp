#include "uTextExport.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <fcntl.h>
#include <unistd.h>

#include "FileUtil.h"
#include "FormatFloat.h"
#include "kvs_byteorder.h"
#include "layout.h"
#include "testcatalogue.h"
#include "textutil.h"
#include "uPolyraProject.h"
#include "uProject.h"
#include "uSystemInfo.h"

using namespace KV_Rigscan;

namespace {

const char crlf[] = "\r\n";

enum class Section { None, Project, Display, Options, Results };

// The score or test whose result line the export writes for that item.
const BenchmarkTest *exportedResult(unsigned id_)
{
    const BenchmarkTest *test = findTestByResultItem(id_);
    return test && test->exportLabel ? test : nullptr;
}

// A test's result line ends in its unit.
static_assert([] {
    for (const BenchmarkTest &test : benchmarkTests)
        if (test.isTest() && test.exportLabel && !unitNames(test.unit).textExport)
            return false;
    return true;
}());

Section sectionOf(unsigned id_)
{
    if (id_ == ItemId::Name || id_ == ItemId::Description || id_ == ItemId::Version)
        return Section::Project;
    if (id_ >= ItemId::Platform && id_ <= ItemId::FsaaSamples)
        return Section::Display;
    if (id_ >= ItemId::TitleScreens && id_ <= ItemId::DetailLevel)
        return Section::Options;
    if (exportedResult(id_))
        return Section::Results;
    return Section::None;
}

std::string fixed(double v_, int decimals_)
{
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, v_, std::chars_format::fixed, decimals_);
    return res.ec == std::errc() ? std::string(buf, res.ptr) : std::string();
}

// The decimal value a float stands for (123.45f is 123.45, not the
// 123.4499969 it holds), so results round as the user reads them.
double shortestDecimal(float v_)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v_);
    double d = v_;
    std::from_chars(buf, res.ptr, d);
    return d;
}

std::string codeText(int v_, std::initializer_list<const char *> texts_)
{
    if (v_ >= 0 && static_cast<std::size_t>(v_) < texts_.size())
        return texts_.begin()[v_];
    // The model never sends other codes; show the number rather than nothing.
    return std::to_string(v_);
}

const char *labelOf(unsigned id_)
{
    switch (id_) {
    case ItemId::Name: return "Name";
    case ItemId::Description: return "Description";
    case ItemId::Version: return "Polyra Version";
    case ItemId::Platform: return "Platform";
    case ItemId::RenderingPipeline: return "CPU Optimization";
    case ItemId::Width: return "Width";
    case ItemId::Height: return "Height";
    case ItemId::ColorDepth: return "Depth";
    case ItemId::ZBuffer: return "Z-Buffering";
    case ItemId::TextureFormat: return "Texture Format";
    case ItemId::Buffering: return "Buffering";
    case ItemId::RefreshRate: return "Refresh Rate";
    case ItemId::FsaaSamples: return "FSAA Mode";
    case ItemId::TitleScreens: return "Show Title Screens";
    case ItemId::ContinuousBenchmark: return "Continuous Benchmark";
    case ItemId::RunCount: return "Benchmark Run Count";
    case ItemId::DemoSounds: return "Demo Sounds Enabled";
    case ItemId::ContinuousDemo: return "Continuous Demo";
    case ItemId::GameSoundEffects: return "Game Sound Effects Enabled";
    case ItemId::GameMusic: return "Game Music Enabled";
    case ItemId::DetailLevel: return "Game Detail Level";
    default: break;
    }
    const BenchmarkTest *test = exportedResult(id_);
    return test ? test->exportLabel : "";
}

struct ItemText {
    const char *label;
    Section section;
};

// Label and section of an id, looked up in a table made once: a save asks
// for every item it writes, most of which have no label.
ItemText itemText(unsigned id_)
{
    static const auto table = [] {
        std::array<ItemText, 256> t{};
        for (unsigned id = 0; id < t.size(); ++id)
            t[id] = {labelOf(id), sectionOf(id)};
        return t;
    }();
    return id_ < table.size() ? table[id_] : ItemText{labelOf(id_), sectionOf(id_)};
}

// Collects a rendering in a string that grows as it goes, so the tree is
// rendered once instead of once to size it and once to write it. Zero bytes
// are dropped unless kept.
class StringOutput : public KVS_streamOutputBase {
public:
    StringOutput(std::string &out_, bool keepZeros_) : out(out_), keepZeros(keepZeros_) {}

    bool close() override
    {
        KVS_closeCount(openCount);
        return openCount != 0;
    }
    bool open() override { return KVS_openCount(openCount); }

    // Every piece of the rendering comes this way; the length is taken once.
    KVS_streamOutputBase &operator<<(const char *string_) override
    {
        if (!string_)
            throw KVS_exceptionZeroPointer("StringOutput", "operator<<(const char *string_)");
        out.append(string_);
        if (keepZeros)
            out.push_back('\0');
        return *this;
    }
    using KVS_streamOutputBase::operator<<;

    void writeStr(const char *string_, unsigned units_) override
    {
        if (!string_)
            throw KVS_exceptionZeroPointer("StringOutput", "writeStr(const char *string_, unsigned units_)");
        append(string_, units_);
    }
#define KVS_X(T)                                                                                   \
    void writeStr(const T *string_, unsigned units_) override { writeTyped(string_, units_); }
    KVS_X(unsigned char)
    KVS_X(short)
    KVS_X(unsigned short)
    KVS_X(int)
    KVS_X(unsigned)
    KVS_X(long)
    KVS_X(unsigned long)
    KVS_X(float)
    KVS_X(double)
#undef KVS_X

private:
    void append(const char *p_, std::size_t n_)
    {
        if (keepZeros) {
            out.append(p_, n_);
            return;
        }
        const char *end = p_ + n_;
        while (p_ < end) {
            const void *zero = std::memchr(p_, 0, static_cast<std::size_t>(end - p_));
            const char *stop = zero ? static_cast<const char *>(zero) : end;
            out.append(p_, static_cast<std::size_t>(stop - p_));
            p_ = stop + (zero ? 1 : 0);
        }
    }

    template <class T>
    void writeTyped(const T *values_, unsigned units_)
    {
        if (!values_)
            throw KVS_exceptionZeroPointer("StringOutput", "writeStr(const T *string_, unsigned units_)");
        unsigned char bytes[8];
        for (unsigned i = 0; i < units_; ++i) {
            KVS_encodeLE<T>(values_[i], bytes);
            append(reinterpret_cast<const char *>(bytes), KVS_wireSize<T>());
        }
    }

    std::string &out;
    bool keepZeros;
    unsigned openCount = 1;
};

// The tree of the project's system information as text, or nothing without one.
std::string renderSystemInfo(const CPolyraProject &project_, bool keepZeros_)
{
    std::string text;
    const CSystemInfo *info = project_.getSystemInfo();
    if (!info)
        return text;
    // Only this rendering leaves the AGP record out; the guard puts the
    // switch back also when the rendering throws.
    SwitchGuard rendering(textExport, true);
    const std::unique_ptr<SystemInfoTree> tree = info->readTree();
    // A machine's text is a few kilobytes: start there rather than grow to it.
    text.reserve(8192);
    StringOutput out(text, keepZeros_);
    unsigned char state = 0;
    SystemInfoTextAdapter::StreamOutput writing(&out, &state);
    writing << static_cast<const BaseContainer &>(tree->root);
    return text;
}

} // namespace

const char *TextProjectFileImpl::itemLabel(unsigned id_)
{
    return itemText(id_).label;
}

bool TextProjectFileImpl::getBool(unsigned) const { return false; }
int TextProjectFileImpl::getInt(unsigned) const { return 0; }
float TextProjectFileImpl::getFloat(unsigned) const { return 0.0f; }
std::string TextProjectFileImpl::getString(unsigned) const { return std::string(); }
const unsigned char *TextProjectFileImpl::getData(unsigned, unsigned &) const { return nullptr; }

std::vector<TextProjectFileImpl::Entry> *TextProjectFileImpl::sectionEntries(unsigned id_)
{
    switch (itemText(id_).section) {
    case Section::Project: return &project;
    case Section::Display: return &display;
    case Section::Options: return &options;
    case Section::Results: return &results;
    case Section::None: break;
    }
    return nullptr;
}

void TextProjectFileImpl::addEntry(unsigned id_, const Entry &entry_)
{
    if (std::vector<Entry> *entries = sectionEntries(id_))
        entries->push_back(entry_);
}

void TextProjectFileImpl::add(unsigned id_, const char *label_, std::string &&value_)
{
    if (std::vector<Entry> *entries = sectionEntries(id_))
        entries->push_back({label_, std::move(value_)});
}

void TextProjectFileImpl::setBool(unsigned id, bool value)
{
    if (const char *label = itemLabel(id); *label)
        add(id, label, value ? "Yes" : "No");
}

void TextProjectFileImpl::setInt(unsigned id, int v)
{
    const char *label = itemLabel(id);
    if (!*label)
        return;
    std::string text;
    switch (id) {
    case ItemId::Score: text = v < 1 ? "N/A" : std::to_string(v); break;
    case ItemId::ColorDepth: text = codeText(v, {"16 bit", "32 bit"}); break;
    case ItemId::ZBuffer: text = codeText(v, {"16 bit", "24 bit", "32 bit"}); break;
    case ItemId::TextureFormat:
        text = codeText(v, {"16 bit", "32 bit", "Compressed", "Compressed (DXT1 only)"});
        break;
    case ItemId::Buffering: text = codeText(v, {"Double", "Triple"}); break;
    case ItemId::RefreshRate: text = v == 0 ? "Default" : std::to_string(v) + " Hz"; break;
    case ItemId::FsaaSamples: text = v == 1 ? "None" : std::to_string(v) + " samples"; break;
    case ItemId::DetailLevel: text = codeText(v, {"Low", "High"}); break;
    default: text = std::to_string(v); break;
    }
    add(id, label, std::move(text));
}

void TextProjectFileImpl::setFloat(unsigned id, float value)
{
    const char *label = itemLabel(id);
    if (!*label)
        return;
    const double v = value;
    std::string text;
    const BenchmarkTest *test = exportedResult(id);
    if (test && test->isTest()) {
        if (v >= 0) {
            text = formatFloat("0.0", shortestDecimal(value));
            text += ' ';
            text += unitNames(test->unit).textExport;
        } else if (v > -2) {
            text = "N/A";
        } else {
            text = "Not supported by hardware";
        }
    } else {
        text = fixed(v, 6);
    }
    add(id, label, std::move(text));
}

void TextProjectFileImpl::setString(unsigned id, const std::string &text)
{
    if (const char *label = itemLabel(id); *label)
        add(id, label, std::string(text));
}

void TextProjectFileImpl::setData(unsigned id, const unsigned char *data, unsigned length)
{
    if (id != ItemId::SystemInfo)
        return;
    systemInfoText.clear();
    if (!data)
        return;
    const char *p = reinterpret_cast<const char *>(data);
    const char *end = p + length;
    systemInfoText.reserve(length);
    while (p < end) {
        const void *zero = std::memchr(p, 0, static_cast<std::size_t>(end - p));
        const char *stop = zero ? static_cast<const char *>(zero) : end;
        systemInfoText.append(p, static_cast<std::size_t>(stop - p));
        p = stop + (zero ? 1 : 0);
    }
}

std::string TextProjectFileImpl::text() const
{
    const std::pair<std::string_view, const std::vector<Entry> *> sections[] = {
        {"PROJECT", &project}, {"DISPLAY", &display}, {"OPTIONS", &options}, {"RESULTS", &results}};
    const std::string_view title = "POLYRA2001 PROJECT FILE\r\n\r\n";
    const std::string_view systemTitle = "SYSTEM INFO\r\n\r\n";
    // Sized first: the export is built in one allocation.
    std::size_t size = title.size() + systemTitle.size() + systemInfoText.size();
    for (const auto &[name, entries] : sections) {
        size += name.size() + 4;
        for (const Entry &e : *entries)
            size += e.label.size() + e.value.size() + 3;
    }
    std::string out;
    out.reserve(size);
    out += title;
    for (const auto &[name, entries] : sections) {
        out += name;
        out += crlf;
        for (const Entry &e : *entries) {
            out += e.label;
            out += '\t';
            out += e.value;
            out += crlf;
        }
        out += crlf;
    }
    out += systemTitle;
    out += systemInfoText;
    return out;
}

BaseOutputStream &SystemInfoTextAdapter::StreamOutput::operator<<(const BaseContainer &container_)
{
    if (*state == 1)
        *target << crlf;
    container_.writeToStream(*this);
    *state = 1;
    return *this;
}

BaseOutputStream &SystemInfoTextAdapter::StreamOutput::operator<<(const Datatype &value_)
{
    *target << value_.getName() << "\t" << value_.toString().c_str() << crlf;
    *state = 2;
    return *this;
}

BaseOutputStream &SystemInfoTextAdapter::StreamOutput::operator<<(const ChunkHeader &header_)
{
    if (*state == 1 || *state == 2)
        *target << crlf;
    *target << upperCaseAscii(header_.name).c_str() << crlf;
    *state = 3;
    return *this;
}

BaseOutputStream &SystemInfoTextAdapter::StreamOutput::operator<<(const BaseList &list_)
{
    if (*state == 1 || *state == 2)
        *target << crlf;
    *target << upperCaseAscii(list_.getName()).c_str() << crlf;
    *state = 4;
    list_.writeToStream(*this);
    return *this;
}

BaseOutputStream &SystemInfoTextAdapter::StreamOutput::operator<<(const BaseList::Length &)
{
    return *this;
}

std::string getSystemInfoText(const CPolyraProject &project_)
{
    return renderSystemInfo(project_, true);
}

namespace {

// The export's store, given the project's name and description as a save
// writes them: the file's own may differ (a name made unique in its
// database, a rename not yet saved). A project without an image writes
// nothing, so its model's texts stand.
class ExportStore : public TextProjectFileImpl {
public:
    explicit ExportStore(const CPolyraProject &project_) : own(project_.getStore() != nullptr)
    {
        if (own) {
            name = project_.isUnnamed() ? std::string() : project_.getName();
            description = project_.getDescription();
        }
    }

    void setString(unsigned id_, const std::string &text_) override
    {
        const bool mine = own && (id_ == ItemId::Name || id_ == ItemId::Description);
        TextProjectFileImpl::setString(id_, !mine ? text_ : id_ == ItemId::Name ? name : description);
    }

private:
    bool own;
    std::string name;
    std::string description;
};

} // namespace

std::string projectExportText(const CPolyraProject &project_)
{
    ExportStore store(project_);
    // Rendered without the zero bytes the store would only drop again.
    const std::string systemText = renderSystemInfo(project_, false);
    // A copy of the model takes the text as its block, so the project's own
    // model is never touched by an export.
    Project model = project_.modelCopy();
    model.setSystemInfo(reinterpret_cast<const unsigned char *>(systemText.data()),
                        static_cast<unsigned>(systemText.size()));
    model.save(store);
    return store.text();
}

bool exportTextFile(const CPolyraProject &project_, const std::string &path_)
{
    const std::string text = projectExportText(project_);
    const int fd = ::open(nativePath(path_).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text.data());
    std::size_t left = text.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && ok;
}

std::vector<std::string> splitLines(const std::string &text_)
{
    std::vector<std::string> lines;
    // About one line in every twenty bytes; a guess saves most regrowth.
    lines.reserve(text_.size() / 20 + 1);
    const char *p = text_.data();
    const char *const end = p + text_.size();
    while (p < end) {
        const char *q = p;
        while (q < end && *q != '\r' && *q != '\n')
            ++q;
        lines.emplace_back(p, q);
        if (q == end)
            break;
        p = q + 1;
        if (*q == '\r' && p < end && *p == '\n')
            ++p;
    }
    return lines;
}
