#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <memory>

#include "imagebuilder.h"
#include "itemrecorder.h"
#include "layout.h"
#include "recording_services.h"
#include "samplemachine.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uTextExport.h"

namespace fs = std::filesystem;

namespace {

// Lines joined with CR LF, each one ended by it.
std::string crlfLines(std::initializer_list<const char *> lines)
{
    std::string out;
    for (const char *l : lines)
        out += std::string(l) + "\r\n";
    return out;
}

const std::string defaultSettingsText = crlfLines({
    "DISPLAY",
    "Platform\t",
    "CPU Optimization\t",
    "Width\t1024",
    "Height\t768",
    "Depth\t32 bit",
    "Z-Buffering\t32 bit",
    "Texture Format\tCompressed",
    "Buffering\tDouble",
    "Refresh Rate\t60 Hz",
    "FSAA Mode\tNone",
    "",
    "OPTIONS",
    "Show Title Screens\tYes",
    "Continuous Benchmark\tNo",
    "Benchmark Run Count\t1",
    "Demo Sounds Enabled\tYes",
    "Continuous Demo\tNo",
    "Game Sound Effects Enabled\tYes",
    "Game Music Enabled\tYes",
    "Game Detail Level\tLow",
    "",
});

// The default tree as text; the AGP record is left out of renderings.
std::string defaultTreeText(const char *monitorLines)
{
    return crlfLines({"System Info Version\tN/A", "Installation ID\t0x00000000", "OEM ID\t", "", "CPU INFO",
                      "CENTRAL PROCESSING UNITS", "", "DIRECTX INFO", "DirectX Version\tN/A", "", "DIRECTDRAW INFO",
                      "DirectDraw Version \tN/A", "", "DISPLAY DEVICES", "", "DIRECTSHOW INFO",
                      "DirectShow Version\tN/A", "", "REGISTERED DIRECTSHOW FILTERS", "", "MEMORY INFO",
                      "Total Physical Memory\t0  bytes", "Free Physical Memory\t0  bytes",
                      "Total Pagefile Memory\t0  bytes", "Free Pagefile Memory\t0  bytes", "", "MEMORY ARRAYS", "",
                      "MOTHERBOARD INFO", "Manufacturer\t", "Model\t", "Version\tN/A", "BIOS Vendor\t",
                      "BIOS Version\tN/A", "BIOS Release Date\t", "BIOS Properties\t", "", "CARD SLOTS",
                      "SYSTEM DEVICES", "", "MONITOR INFO", "MONITORS"}) +
           monitorLines +
           crlfLines({"", "POWER SUPPLY INFO", "BATTERIES", "", "OPERATING SYSTEM INFO", "Operating System\t",
                      "Version\tN/A", "Service Pack\t<unknown>", "Locale\t<unknown>", "Desktop Width\t0 ",
                      "Desktop Height\t0 ", "Desktop BPP\t0 ", "", "HARD DISK INFO"}) +
           "HARD DISKS\r\n";
}

TEST(TextExport, EmptyStoreWritesOnlyTheTitles)
{
    TextProjectFileImpl store;
    EXPECT_EQ(store.text(), "POLYRA2001 PROJECT FILE\r\n\r\nPROJECT\r\n\r\nDISPLAY\r\n\r\nOPTIONS\r\n\r\nRESULTS\r\n\r\n"
                            "SYSTEM INFO\r\n\r\n");
}

TEST(TextExport, EntryTexts)
{
    struct Case {
        std::function<void(TextProjectFileImpl &)> set;
        std::string label, value; // empty label: nothing added
    };
    using S = TextProjectFileImpl;
    const std::vector<Case> cases = {
        {[](S &s) { s.setBool(130, true); }, "Show Title Screens", "Yes"},
        {[](S &s) { s.setBool(131, false); }, "Continuous Benchmark", "No"},
        {[](S &s) { s.setBool(41, true); }, "", ""},
        {[](S &s) { s.setInt(4, 0); }, "Polyra Score", "N/A"},
        {[](S &s) { s.setInt(4, 5321); }, "Polyra Score", "5321"},
        // The score has a result line but is no test: a float is no result there.
        {[](S &s) { s.setFloat(4, 12.5f); }, "Polyra Score", "12.500000"},
        {[](S &s) { s.setInt(28, 0); }, "Refresh Rate", "Default"},
        {[](S &s) { s.setInt(28, 85); }, "Refresh Rate", "85 Hz"},
        {[](S &s) { s.setInt(29, 1); }, "FSAA Mode", "None"},
        {[](S &s) { s.setInt(29, 4); }, "FSAA Mode", "4 samples"},
        {[](S &s) { s.setInt(26, 3); }, "Texture Format", "Compressed (DXT1 only)"},
        {[](S &s) { s.setInt(25, 1); }, "Z-Buffering", "24 bit"},
        {[](S &s) { s.setInt(137, 1); }, "Game Detail Level", "High"},
        {[](S &s) { s.setInt(22, -640); }, "Width", "-640"},
        {[](S &s) { s.setFloat(180, 0.0f); }, "Game 1 - Road Rally - Low Detail", "0.0 fps"},
        {[](S &s) { s.setFloat(187, 123.45f); }, "Fill Rate (Single-Texturing)", "123.5 MTexels/s"},
        {[](S &s) { s.setFloat(190, 2.25f); }, "High Polygon Count (8 Lights)", "2.3 MTriangles/s"},
        {[](S &s) { s.setFloat(195, 7.0f); }, "Point Sprites", "7.0 MSprites/s"},
        {[](S &s) { s.setFloat(200, -1.0f); }, "Advanced Pixel Shader", "N/A"},
        {[](S &s) { s.setFloat(181, -1.99f); }, "Game 1 - Road Rally - High Detail", "N/A"},
        {[](S &s) { s.setFloat(182, -2.0f); }, "Game 2 - Wyrmhold - Low Detail", "Not supported by hardware"},
        {[](S &s) { s.setFloat(183, std::nanf("")); }, "Game 2 - Wyrmhold - High Detail", "Not supported by hardware"},
        {[](S &s) { s.setFloat(196, 12.0f); }, "", ""},
        {[](S &s) { s.setString(0, "Rig"); }, "Name", "Rig"},
        {[](S &s) { s.setString(240, "shot.png"); }, "", ""},
    };
    for (const Case &c : cases) {
        TextProjectFileImpl store;
        c.set(store);
        std::vector<TextProjectFileImpl::Entry> all;
        for (const auto *list : {&store.projectEntries(), &store.displayEntries(), &store.optionsEntries(),
                                 &store.resultsEntries()})
            all.insert(all.end(), list->begin(), list->end());
        if (c.label.empty()) {
            EXPECT_TRUE(all.empty());
            continue;
        }
        ASSERT_EQ(all.size(), 1u) << c.label;
        EXPECT_EQ(all[0].label, c.label);
        EXPECT_EQ(all[0].value, c.value);
    }
}

TEST(TextExport, SystemInformationTextLeavesZeroBytesOut)
{
    TextProjectFileImpl store;
    const unsigned char ab[] = {'a', 0, 'b', 0};
    store.setData(6, ab, 4);
    const unsigned char cd[] = {'c', 'd'};
    store.setData(7, cd, 2);
    EXPECT_EQ(store.text().substr(store.text().size() - 2), "ab");
    store.setData(6, cd, 2);
    EXPECT_EQ(store.text().substr(store.text().size() - 2), "cd");
    const unsigned char runs[] = {0, 0, 'x', 0, 0, 0, 'y', 'z', 0};
    store.setData(6, runs, sizeof runs);
    EXPECT_EQ(store.text(), TextProjectFileImpl().text() + "xyz");
}

TEST(TextExport, SplitLinesEndsALineAtCrLfLfOrCr)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc\r\n", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"\n", {""}},
        {"a\r", {"a"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n\nb\r", {"a", "", "b"}},
        {std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(splitLines(c.text), c.lines) << testing::PrintToString(c.text);
}

class ProjectExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "scvexpXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        if (const char *t = std::getenv("TMPDIR"))
            savedTmp = t;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    void TearDown() override
    {
        CBasicDatabase::deleteAll();
        if (savedTmp.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", savedTmp.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    CBasicProject *load(const Bytes &items)
    {
        const std::string path = (dir / "p.prp").string();
        const Bytes bytes = image::build(items);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        CBasicProject *p = loadProjectFile(path);
        fs::remove(path);
        return p;
    }
    int filesLeft()
    {
        int n = 0;
        for ([[maybe_unused]] const auto &e : fs::directory_iterator(dir))
            ++n;
        return n;
    }

    RecordingServices services;
    fs::path dir;
    std::string savedTmp;
};

TEST_F(ProjectExport, FreshProjectIsByteExact)
{
    CPolyraProject fresh;
    const std::string expected = crlfLines({"POLYRA2001 PROJECT FILE", "", "PROJECT", "Name\tMy Benchmark",
                                            "Description\t", "Polyra Version\t0", ""}) +
                                 defaultSettingsText +
                                 crlfLines({"RESULTS", "Polyra Score\tN/A", "Game 1 - Road Rally - Low Detail\tN/A",
                                            "Game 1 - Road Rally - High Detail\tN/A",
                                            "Game 2 - Wyrmhold - Low Detail\tN/A",
                                            "Game 2 - Wyrmhold - High Detail\tN/A", "Game 3 - Atrium - Low Detail\tN/A",
                                            "Game 3 - Atrium - High Detail\tN/A", "Game 4 - Meadow\tN/A",
                                            "Fill Rate (Single-Texturing)\tN/A", "Fill Rate (Multi-Texturing)\tN/A",
                                            "High Polygon Count (1 Light)\tN/A", "High Polygon Count (8 Lights)\tN/A",
                                            "Environment Bump Mapping\tN/A", "DOT3 Bump Mapping\tN/A",
                                            "Vertex Shader\tN/A", "Pixel Shader\tN/A", "Advanced Pixel Shader\tN/A",
                                            "Point Sprites\tN/A", "", "SYSTEM INFO", ""});
    EXPECT_EQ(projectExportText(fresh), expected);
}

TEST_F(ProjectExport, PopulatedProjectIsByteExact)
{
    KV_Rigscan::SystemInfoTree tree;
    KV_Rigscan::Monitor monitor;
    monitor.name.set("Panel \xC4");
    monitor.maxWidth.set(1600);
    tree.monitor.monitors.append(monitor);
    tree.motherboard.agp.rate.set(0x7, 4);
    std::vector<float> results(17, -1.0f);
    results[0] = 123.45f; // test 1
    results[7] = 1.0f;    // test 8, fill rate
    results[8] = -2.0f;
    results[15] = 33.0f;  // test 16, item 200
    const Bytes items = image::completeItems("Rig \xE9", "notes", 5321, 202, sample::blockOf(tree), results, [](Project &m) {
        DisplaySettings &d = m.getDisplay();
        d.setPlatform("GeForce3");
        d.setRenderingPipeline("D3D Pure Hardware T&L");
        d.setWidth(1280);
        d.setHeight(1024);
        d.setColorDepthCode(DisplaySettings::Depth16);
        d.setZBufferCode(DisplaySettings::Depth24);
        d.setTextureFormatCode(DisplaySettings::TextureDxt1Only);
        d.setBufferingCode(DisplaySettings::TripleBuffering);
        d.setRefreshRate(0);
        d.setFsaaSamples(4);
        Options &o = m.getOptions();
        o.setTitleScreens(false);
        o.setRunCount(3);
        o.setDemoSounds(false);
        o.setGameSoundEffects(false);
        o.setGameMusic(false);
        o.setDetailLevelCode(Options::DetailHigh);
    });
    std::unique_ptr<CBasicProject> p(load(items));
    ASSERT_TRUE(p);
    const std::string expected =
        crlfLines({"POLYRA2001 PROJECT FILE", "", "PROJECT", "Name\tRig \xE9", "Description\tnotes",
                   "Polyra Version\t202", "", "DISPLAY", "Platform\tGeForce3", "CPU Optimization\tD3D Pure Hardware T&L",
                   "Width\t1280", "Height\t1024", "Depth\t16 bit", "Z-Buffering\t24 bit",
                   "Texture Format\tCompressed (DXT1 only)", "Buffering\tTriple", "Refresh Rate\tDefault",
                   "FSAA Mode\t4 samples", "", "OPTIONS", "Show Title Screens\tNo", "Continuous Benchmark\tNo",
                   "Benchmark Run Count\t3", "Demo Sounds Enabled\tNo", "Continuous Demo\tNo",
                   "Game Sound Effects Enabled\tNo", "Game Music Enabled\tNo", "Game Detail Level\tHigh", "", "RESULTS",
                   "Polyra Score\t5321", "Game 1 - Road Rally - Low Detail\t123.5 fps",
                   "Game 1 - Road Rally - High Detail\tN/A", "Game 2 - Wyrmhold - Low Detail\tN/A",
                   "Game 2 - Wyrmhold - High Detail\tN/A", "Game 3 - Atrium - Low Detail\tN/A",
                   "Game 3 - Atrium - High Detail\tN/A", "Game 4 - Meadow\tN/A",
                   "Fill Rate (Single-Texturing)\t1.0 MTexels/s",
                   "Fill Rate (Multi-Texturing)\tNot supported by hardware", "High Polygon Count (1 Light)\tN/A",
                   "High Polygon Count (8 Lights)\tN/A", "Environment Bump Mapping\tN/A", "DOT3 Bump Mapping\tN/A",
                   "Vertex Shader\tN/A", "Pixel Shader\tN/A", "Advanced Pixel Shader\t33.0 fps", "Point Sprites\tN/A",
                   "", "SYSTEM INFO", ""}) +
        defaultTreeText("Name\tPanel \xC4\r\nManufacturer\t\r\nMax Width\t1600 \r\nMax Height\t0 \r\n");
    EXPECT_EQ(projectExportText(dynamic_cast<CPolyraProject &>(*p)), expected);

    // Through the temporary file and the string list.
    std::vector<std::string> lines;
    ASSERT_TRUE(p->exportText(lines));
    EXPECT_EQ(lines.front(), "POLYRA2001 PROJECT FILE");
    EXPECT_EQ(lines[3], "Name\tRig \xE9");
    EXPECT_EQ(lines.back(), "HARD DISKS");
    EXPECT_EQ(filesLeft(), 0) << "the temporary file is gone";
    EXPECT_FALSE(KV_Rigscan::textExport);
    // The project's stored block is untouched by the export.
    std::size_t length = 0;
    auto image = buildProjectImage(dynamic_cast<CPolyraProject &>(*p), length, false);
    EXPECT_EQ(Bytes(image.get(), image.get() + length), image::build(items));
}

TEST_F(ProjectExport, SystemInformationTextEndsEveryPieceWithAZeroByte)
{
    KV_Rigscan::SystemInfoTree tree;
    KV_Rigscan::Monitor monitor;
    monitor.name.set("Panel");
    tree.monitor.monitors.append(monitor);
    std::unique_ptr<CBasicProject> p(load(image::completeItems("Rig", "", 1, 202, sample::blockOf(tree))));
    ASSERT_TRUE(p);
    auto &project = dynamic_cast<CPolyraProject &>(*p);
    const std::string text = getSystemInfoText(project);
    using namespace std::string_literals;
    EXPECT_EQ(text.substr(0, 29), "System Info Version\0\t\0N/A\0\r\n\0"s);
    EXPECT_EQ(text.substr(text.size() - 14), "HARD DISKS\0\r\n\0"s);
    std::string stripped = text;
    std::erase(stripped, '\0');
    EXPECT_EQ(stripped, defaultTreeText("Name\tPanel\r\nManufacturer\t\r\nMax Width\t0 \r\nMax Height\t0 \r\n"));
    EXPECT_FALSE(KV_Rigscan::textExport);
}

TEST_F(ProjectExport, AMissingTemporaryFolderDoesNotStopTheExport)
{
    std::unique_ptr<CBasicProject> p(load(image::basicItems()));
    ASSERT_TRUE(p);
    ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
    std::vector<std::string> lines = {"kept"};
    EXPECT_TRUE(p->exportText(lines));
    EXPECT_EQ(lines, splitLines(projectExportText(dynamic_cast<CPolyraProject &>(*p))));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ProjectExport, DatabaseTableKeepsEachProjectInItsColumn)
{
    CPolyraDatabase db;
    db.rename("Table", nullptr);
    db.addProject(load(image::completeItems("A", "x", 100, 202, {}, {10.0f})));
    db.addProject(load(image::completeItems("B", "y", 200, 202, {}, {20.0f})));
    std::vector<std::string> lines;
    ASSERT_TRUE(exportDatabaseText(db, lines));
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Polyra Database");
    EXPECT_EQ(lines[1], "File Name:\t");
    EXPECT_EQ(lines[2], "Database Name:\tTable");
    EXPECT_EQ(lines[3], "Number of Projects in Database:\t2");
    EXPECT_EQ(lines[4], "\t\t\t");
    EXPECT_EQ(lines[5], "PROJECT\t\t\t");
    EXPECT_EQ(lines[6], "Name\tA\tB\t");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Game 1 - Road Rally - Low Detail\t10.0 fps\t20.0 fps\t"), lines.end());
    // Repeated labels ("Version", "Manufacturer") stay in their own rows.
    std::size_t versionRows = 0;
    for (const std::string &l : lines)
        if (l.rfind("Version\t", 0) == 0) {
            EXPECT_EQ(l, "Version\tN/A\tN/A\t");
            ++versionRows;
        }
    EXPECT_EQ(versionRows, 2u);
}

// The export names every project as the database shows it and as a save
// would write it: a copy made unique, a rename and a new description, also
// before any save.
TEST_F(ProjectExport, ExportsCarryTheNamesTheProjectsHaveNow)
{
    CPolyraDatabase db;
    db.addProject(load(image::completeItems("Rig", "first", 100, 202, {}, {10.0f})));
    CBasicProject *second = load(image::completeItems("Rig", "second", 200, 202, {}, {20.0f}));
    db.addProject(second);
    CPolyraDatabase other;
    CBasicProject *copy = db.getProject(0)->copyToDatabase(&other);
    ASSERT_TRUE(copy);
    other.addProject(load(image::completeItems("Rig", "other", 300, 202, {}, {30.0f})));
    ASSERT_EQ(second->getName(), "Rig(1)");
    ASSERT_EQ(other.getProject(1)->getName(), "Rig(1)");
    copy->rename("Renamed", nullptr);
    copy->setDescription("new notes");

    std::vector<std::string> lines;
    ASSERT_TRUE(exportDatabaseText(db, lines));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Name\tRig\tRig(1)\t"), lines.end());
    ASSERT_TRUE(exportDatabaseText(other, lines));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Name\tRenamed\tRig(1)\t"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Description\tnew notes\tother\t"), lines.end());

    ASSERT_TRUE(copy->exportText(lines));
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[3], "Name\tRenamed");
    EXPECT_EQ(lines[4], "Description\tnew notes");
}

} // namespace
