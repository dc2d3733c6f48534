#include "uTextExport.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

#include "FileUtil.h"
#include "FormatFloat.h"
#include "kvs_streammemory.h"
#include "kvs_streamsub.h"
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

} // namespace

const char *TextProjectFileImpl::itemLabel(unsigned id_)
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

bool TextProjectFileImpl::getBool(unsigned) const { return false; }
int TextProjectFileImpl::getInt(unsigned) const { return 0; }
float TextProjectFileImpl::getFloat(unsigned) const { return 0.0f; }
std::string TextProjectFileImpl::getString(unsigned) const { return std::string(); }
const unsigned char *TextProjectFileImpl::getData(unsigned, unsigned &) const { return nullptr; }

void TextProjectFileImpl::addEntry(unsigned id_, const Entry &entry_)
{
    switch (sectionOf(id_)) {
    case Section::Project: project.push_back(entry_); break;
    case Section::Display: display.push_back(entry_); break;
    case Section::Options: options.push_back(entry_); break;
    case Section::Results: results.push_back(entry_); break;
    case Section::None: break;
    }
}

void TextProjectFileImpl::setBool(unsigned id, bool value)
{
    if (*itemLabel(id))
        addEntry(id, {itemLabel(id), value ? "Yes" : "No"});
}

void TextProjectFileImpl::setInt(unsigned id, int v)
{
    if (!*itemLabel(id))
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
    addEntry(id, {itemLabel(id), text});
}

void TextProjectFileImpl::setFloat(unsigned id, float value)
{
    if (!*itemLabel(id))
        return;
    const double v = value;
    std::string text;
    const BenchmarkTest *test = exportedResult(id);
    if (test && test->isTest()) {
        if (v >= 0)
            text = formatFloat("0.0", shortestDecimal(value)) + " " + unitNames(test->unit).textExport;
        else if (v > -2)
            text = "N/A";
        else
            text = "Not supported by hardware";
    } else {
        text = fixed(v, 6);
    }
    addEntry(id, {itemLabel(id), text});
}

void TextProjectFileImpl::setString(unsigned id, const std::string &text)
{
    if (*itemLabel(id))
        addEntry(id, {itemLabel(id), text});
}

void TextProjectFileImpl::setData(unsigned id, const unsigned char *data, unsigned length)
{
    if (id != ItemId::SystemInfo)
        return;
    systemInfoText.clear();
    for (unsigned i = 0; data && i < length; ++i)
        if (data[i] != 0)
            systemInfoText.push_back(static_cast<char>(data[i]));
}

std::string TextProjectFileImpl::text() const
{
    std::string out = "POLYRA2001 PROJECT FILE";
    out += crlf;
    out += crlf;
    const std::pair<const char *, const std::vector<Entry> *> sections[] = {
        {"PROJECT", &project}, {"DISPLAY", &display}, {"OPTIONS", &options}, {"RESULTS", &results}};
    for (const auto &[title, entries] : sections) {
        out += title;
        out += crlf;
        for (const Entry &e : *entries)
            out += e.label + "\t" + e.value + crlf;
        out += crlf;
    }
    out += "SYSTEM INFO";
    out += crlf;
    out += crlf;
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
    const CSystemInfo *info = project_.getSystemInfo();
    if (!info)
        return std::string();
    // Only this rendering leaves the AGP record out; the guard puts the
    // switch back also when the rendering throws.
    SwitchGuard rendering(textExport, true);
    const std::unique_ptr<SystemInfoTree> tree = info->readTree();
    const BaseContainer &root = tree->root;
    unsigned char countState = 0;
    KVS_streamOutputCounter counter;
    {
        SystemInfoTextAdapter::StreamOutput sizing(&counter, &countState);
        sizing << root;
    }
    KVS_streamOutputMemory memory(counter.getSize());
    unsigned char writeState = 0;
    {
        SystemInfoTextAdapter::StreamOutput writing(&memory, &writeState);
        writing << root;
    }
    return std::string(reinterpret_cast<const char *>(memory.getBuffer()), memory.getLength());
}

std::string projectExportText(const CPolyraProject &project_)
{
    TextProjectFileImpl store;
    const std::string systemText = getSystemInfoText(project_);
    // A copy of the model takes the text as its block, so the project's own
    // model is never touched by an export.
    Project model = project_.getModel() ? *project_.getModel() : Project();
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
    std::string line;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}
