#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "FileUtil.h"
#include "imagebuilder.h"
#include "resultfiles_fixture.h"
#include "uDataVector.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"

// Databases of the smallest records a file can hold: the version item and
// nothing else. Such a project keeps little of its own, so every reading of
// it must still come out as it always has, however late its parts are made.

namespace {

Bytes le32(std::uint32_t v)
{
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

Bytes databaseFile(const std::string &name, const std::vector<Bytes> &records)
{
    Bytes out = text("Scorvista2001 Database\n");
    out.push_back(0);
    out = cat({out, le32(static_cast<std::uint32_t>(name.size())), text(name),
               le32(static_cast<std::uint32_t>(records.size()))});
    for (const Bytes &r : records)
        out = cat({out, le32(static_cast<std::uint32_t>(r.size())), r});
    return out;
}

Bytes minimalRecord(std::int32_t version, std::uint32_t seed, bool hidden = false, const Bytes &more = {})
{
    image::Options o;
    o.record = true;
    o.seed = seed;
    o.hidden = hidden;
    return image::build(cat({intItem(5, version), more}), o);
}

// Every getter of a project that the windows, reports and sorts read, one
// line each.
std::string describe(CBasicProject &p)
{
    std::string out;
    auto line = [&](const std::string &label, const std::string &value) { out += label + "=" + value + "\n"; };
    line("name", p.getName());
    line("description", p.getDescription());
    line("unnamed", p.isUnnamed() ? "yes" : "no");
    line("version", p.getVersionText());
    line("refresh", p.getRefreshRateText() + " " + std::to_string(p.getRefreshRate()));
    line("texture", p.getTextureFormatText());
    line("platform", p.getRenderingPlatform());
    line("pipeline", p.getRenderingPipeline());
    line("mode", p.getDisplayModeText() + " / " + p.getResolutionText() + " / " + std::to_string(p.getWidth()) + " " +
                     std::to_string(p.getHeight()));
    line("colour", p.getColorDepthText(true) + " / " + p.getColorDepthText(false) + " / " +
                       std::to_string(p.getColorDepth()));
    line("z", p.getZBufferText() + " " + std::to_string(p.getZBufferDepth()));
    line("fsaa", p.getFsaaText());
    line("buffer", p.getFrameBufferText(true) + " / " + p.getFrameBufferText(false) + " / " +
                       std::to_string(p.getFrameBuffer()));
    line("cpu", p.getCpuName() + " / " + p.getCpuSpeedText() + " / " + std::to_string(p.getCpuSpeed()));
    const CSystemInfo *info = p.getSystemInfo();
    if (info)
        line("system", std::string(info->hasData() ? "data" : "none") + (info->isLegacyLayout() ? " legacy" : "") +
                           " / " + info->getL1CacheText() + " / " + info->getL2CacheText() + " / " +
                           info->getTotalPhysicalMemoryText() + " / " + info->getFreePhysicalMemoryText() + " / " +
                           info->getOperatingSystemText() + " / " + info->getMotherboardManufacturer() + " / " +
                           info->getMotherboardModel() + " / " + std::to_string(info->getDesktopWidth()) + "x" +
                           std::to_string(info->getDesktopHeight()) + "x" +
                           std::to_string(info->getDesktopBitsPerPixel()) + " / " + info->getDirectXVersionText() +
                           " / " + info->getVideoMemoryText("") + " / " + info->getTextureMemoryText("") + " / " +
                           info->getDriverVersionText(""));
    else
        line("system", "null");
    std::string tests;
    const TTestValueList *values = p.getTestValues();
    for (int i = 1; values && i <= values->getCount(); ++i) {
        const TTestValue *v = values->getEntry(i);
        tests += std::to_string(v->getRow()->id) + (v->isPresent() ? "+" : "-") + (v->isLowest() ? "L" : "") +
                 (v->isHighest() ? "H" : "") + std::to_string(v->getRawValue()) + "[" + v->getText() + "] ";
    }
    line("tests", tests);
    if (TTestValue *v = p.getTestValue(3))
        line("test 3", std::to_string(p.getTestResult(v)) + " " + p.getTestName(v, 0));
    if (auto *polyra = dynamic_cast<CPolyraProject *>(&p)) {
        const Project *m = polyra->getModel();
        if (m)
            line("model", "'" + m->getName() + "' '" + m->getDescription() + "' " + std::to_string(m->getScore()) +
                              " " + std::to_string(m->getVersion()) + " " + std::to_string(m->getSystemInfoSize()) +
                              (m->getSystemInfo() ? " block" : " no block") + " " +
                              std::to_string(m->getDisplay().getWidth()) + " " +
                              std::to_string(m->getOptions().getRunCount()) + " " +
                              std::to_string(m->getTests().size()));
        else
            line("model", "null");
        line("fsaa samples", std::to_string(polyra->getFsaaSamples()));
        line("items", std::to_string(polyra->getStore() ? polyra->getStore()->getCount() : 0));
    }
    return out;
}

// What every minimal project reads, whatever its number and hidden flag;
// "items" is left out, as a save adds the name and description items.
std::string minimalReading(const std::string &name_, bool unnamed_, int version_, const std::string &modelName_ = "")
{
    const bool legacy = version_ < 202;
    std::string tests;
    for (int id : {1, 2, 3, 4, 5, 6, 7, 9, 17, 18, 23, 24, 19, 20, 12, 13, 15, 14})
        tests += std::to_string(id) + "-0.000000[N/A] ";
    return "name=" + name_ + "\ndescription=\nunnamed=" + (unnamed_ ? "yes" : "no") + "\nversion=Version: " +
           std::to_string(version_) +
           "\nrefresh=60Hz Monitor Refresh 60\ntexture=Compressed Textures\nplatform=\npipeline=\n"
           "mode=-1x-1, 32 bit color / -1x-1 / -1 -1\ncolour=32 bit / 32 bit color / 32\nz=32 bit 32\n"
           "fsaa=Not Enabled\nbuffer=Double / Double buffering / 0\ncpu=Undetected / Undetected / 0\n"
           "system=none" +
           (legacy ? " legacy" : "") +
           " / Undetected / Undetected / 0 MB / 0 MB /  /  /  / 0x0x0 / N/A / Undetected / Undetected / Unknown\n"
           "tests=" +
           tests + "\ntest 3=0.000000 Game 1 Road Rally - High Detail\nmodel='" + modelName_ + "' '' -1 " +
           std::to_string(version_) + " 0 no block -1 1 0\nfsaa samples=-1\n";
}

std::string withoutItemCount(const std::string &reading_)
{
    return reading_.substr(0, reading_.rfind("items="));
}

// The text export of a minimal project: its name and description, the
// model's defaults behind a display that failed to load, and the tree of an
// empty block.
std::vector<std::string> minimalExport(int version_, const std::string &name_ = "", const std::string &description_ = "")
{
    std::vector<std::string> lines = {
    "POLYRA2001 PROJECT FILE", "", "PROJECT", "Name\t", "Description\t", "Polyra Version\t202", "", "DISPLAY",
    "Platform\t", "CPU Optimization\t", "Width\t-1", "Height\t-1", "Depth\t32 bit", "Z-Buffering\t32 bit",
    "Texture Format\tCompressed", "Buffering\tDouble", "Refresh Rate\t60 Hz", "FSAA Mode\tNone", "", "OPTIONS",
    "Show Title Screens\tYes", "Continuous Benchmark\tNo", "Benchmark Run Count\t1", "Demo Sounds Enabled\tYes",
    "Continuous Demo\tNo", "Game Sound Effects Enabled\tYes", "Game Music Enabled\tYes", "Game Detail Level\tLow", "",
    "RESULTS", "Polyra Score\tN/A", "Game 1 - Road Rally - Low Detail\tN/A", "Game 1 - Road Rally - High Detail\tN/A",
    "Game 2 - Wyrmhold - Low Detail\tN/A", "Game 2 - Wyrmhold - High Detail\tN/A",
    "Game 3 - Atrium - Low Detail\tN/A", "Game 3 - Atrium - High Detail\tN/A", "Game 4 - Meadow\tN/A",
    "Fill Rate (Single-Texturing)\tN/A", "Fill Rate (Multi-Texturing)\tN/A", "High Polygon Count (1 Light)\tN/A",
    "High Polygon Count (8 Lights)\tN/A", "Environment Bump Mapping\tN/A", "DOT3 Bump Mapping\tN/A",
    "Vertex Shader\tN/A", "Pixel Shader\tN/A", "Advanced Pixel Shader\tN/A", "Point Sprites\tN/A", "", "SYSTEM INFO",
    "", "System Info Version\tN/A", "Installation ID\t0x00000000", "OEM ID\t", "", "CPU INFO",
    "CENTRAL PROCESSING UNITS", "", "DIRECTX INFO", "DirectX Version\tN/A", "", "DIRECTDRAW INFO",
    "DirectDraw Version \tN/A", "", "DISPLAY DEVICES", "", "DIRECTSHOW INFO", "DirectShow Version\tN/A", "",
    "REGISTERED DIRECTSHOW FILTERS", "", "MEMORY INFO", "Total Physical Memory\t0  bytes",
    "Free Physical Memory\t0  bytes", "Total Pagefile Memory\t0  bytes", "Free Pagefile Memory\t0  bytes", "",
    "MEMORY ARRAYS", "", "MOTHERBOARD INFO", "Manufacturer\t", "Model\t", "Version\tN/A", "BIOS Vendor\t",
    "BIOS Version\tN/A", "BIOS Release Date\t", "BIOS Properties\t", "", "CARD SLOTS", "SYSTEM DEVICES", "",
    "MONITOR INFO", "MONITORS", "", "POWER SUPPLY INFO", "BATTERIES", "", "OPERATING SYSTEM INFO",
    "Operating System\t", "Version\tN/A", "Service Pack\t<unknown>", "Locale\t<unknown>", "Desktop Width\t0 ",
    "Desktop Height\t0 ", "Desktop BPP\t0 ", "", "HARD DISK INFO", "HARD DISKS",
    };
    lines[3] += name_;
    lines[4] += description_;
    if (version_ >= 202)
        return lines;
    // The older layout has no battery or hard-disk component and fewer
    // operating-system values.
    lines[5] = "Polyra Version\t" + std::to_string(version_);
    std::vector<std::string> legacy;
    for (const std::string &line : lines)
        if (line != "POWER SUPPLY INFO" && line != "BATTERIES" && line != "HARD DISK INFO" && line != "HARD DISKS" &&
            line.rfind("Service Pack\t", 0) != 0 && line.rfind("Locale\t", 0) != 0)
            legacy.push_back(line);
    // One blank line went with each removed component.
    for (int removed = 0; removed < 2; ++removed)
        for (std::size_t i = 1; i < legacy.size(); ++i)
            if (legacy[i].empty() && legacy[i - 1].empty()) {
                legacy.erase(legacy.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
    if (legacy.back().empty())
        legacy.pop_back();
    return legacy;
}

std::vector<std::string> exportOf(CBasicProject &p_)
{
    std::vector<std::string> lines;
    EXPECT_TRUE(p_.exportText(lines));
    return lines;
}

class MinimalRecords : public ResultFilesTest {
protected:
    std::unique_ptr<CPolyraDatabase> load(const std::vector<Bytes> &records)
    {
        auto db = std::make_unique<CPolyraDatabase>();
        EXPECT_TRUE(db->loadFromFile(write("minimal.prb", databaseFile("Minimal", records))));
        return db;
    }

    Bytes fileBytes(const std::string &path)
    {
        std::vector<unsigned char> b;
        EXPECT_TRUE(readWholeFile(path, b));
        return b;
    }
};

// A file of thousands of nameless records: every project is there with its
// number, and reads the same whether its export, its getters or a save of
// the database came first.
TEST_F(MinimalRecords, EveryProjectReadsAsItAlwaysHas)
{
    std::vector<Bytes> records;
    for (int i = 0; i < 2000; ++i)
        records.push_back(minimalRecord(i % 3 == 2 ? 201 : 202, 0x9E3779B9u * static_cast<std::uint32_t>(i + 1), i % 7 == 3));
    const auto db = load(records);
    ASSERT_EQ(db->getProjectCount(), 2000);
    auto expected = [](int i_) {
        return minimalReading(i_ == 0 ? "Unnamed" : "Unnamed(" + std::to_string(i_) + ")", i_ == 0,
                              i_ % 3 == 2 ? 201 : 202);
    };
    // The export names a project as a save would: the first keeps its empty
    // name, the others the numbers they were given.
    auto expectedExport = [](int i_) {
        return minimalExport(i_ % 3 == 2 ? 201 : 202, i_ == 0 ? "" : "Unnamed(" + std::to_string(i_) + ")");
    };
    for (int i = 0; i < 2000; ++i) {
        CBasicProject &p = *db->getProject(i);
        SCOPED_TRACE(i);
        ASSERT_EQ(p.isHidden(), i % 7 == 3);
        // Export first, getters first, or both twice.
        if (i % 2 == 0) {
            ASSERT_EQ(exportOf(p), expectedExport(i));
        }
        ASSERT_EQ(withoutItemCount(describe(p)), expected(i));
        ASSERT_EQ(exportOf(p), expectedExport(i));
        ASSERT_EQ(withoutItemCount(describe(p)), expected(i));
    }

    // A save writes the names the projects were given; the projects read
    // on as before, their model keeping the names their records had.
    db->getProject(5)->rename("Renamed", nullptr);
    db->getProject(6)->setDescription("notes");
    const std::string path = (dir / "saved.prb").string();
    ASSERT_TRUE(db->saveToFile(path));
    std::vector<Bytes> saved;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = i == 0 ? "" : i == 5 ? "Renamed" : "Unnamed(" + std::to_string(i) + ")";
        saved.push_back(minimalRecord(i % 3 == 2 ? 201 : 202, 0x9E3779B9u * static_cast<std::uint32_t>(i + 1), i % 7 == 3,
                                      cat({stringItem(0, name), stringItem(1, i == 6 ? "notes" : "")})));
    }
    EXPECT_EQ(fileBytes(path), databaseFile("Minimal", saved));
    for (int i : {0, 1, 2, 1999}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(withoutItemCount(describe(*db->getProject(i))), expected(i));
        EXPECT_EQ(exportOf(*db->getProject(i)), expectedExport(i));
    }
    EXPECT_EQ(withoutItemCount(describe(*db->getProject(5))), minimalReading("Renamed", false, 201));
    EXPECT_EQ(exportOf(*db->getProject(5)), minimalExport(201, "Renamed"));
    EXPECT_EQ(exportOf(*db->getProject(6)), minimalExport(202, "Unnamed(6)", "notes"));

    // Loaded again, the saved names are the records' own.
    CPolyraDatabase back;
    services.answers.push_back(CMessages::Answer::No);
    ASSERT_TRUE(back.loadFromFile(path));
    ASSERT_EQ(back.getProjectCount(), 2000);
    EXPECT_EQ(withoutItemCount(describe(*back.getProject(7))), minimalReading("Unnamed(7)", false, 202, "Unnamed(7)"));
}

// Projects made late are still the projects they were: statistics over a
// database that mixes minimal projects with real results, a copy and a
// take-over.
TEST_F(MinimalRecords, StatisticsCopiesAndTakeOversKeepTheReadings)
{
    const auto db = load({minimalRecord(202, 1), minimalRecord(202, 2, false, floatItem(181, 10.0f)),
                          minimalRecord(202, 3), minimalRecord(202, 4, false, floatItem(181, 30.0f))});
    ASSERT_EQ(db->getProjectCount(), 4);
    const std::vector<std::pair<bool, bool>> marks = {{false, false}, {true, false}, {false, false}, {false, true}};
    for (int i = 0; i < 4; ++i) {
        const TTestValue *v = db->getProject(i)->getTestValue(3);
        EXPECT_EQ(std::make_pair(v->isLowest(), v->isHighest()), marks[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_DOUBLE_EQ(db->getTestRanges()->findByTestId(3)->getObservedMaximum(), 30.0);
    EXPECT_EQ(withoutItemCount(describe(*db->getProject(2))), minimalReading("Unnamed(2)", false, 202));

    // The copy is parsed from an image that carries the name.
    CPolyraDatabase other;
    CBasicProject *copy = db->getProject(2)->copyToDatabase(&other);
    ASSERT_TRUE(copy);
    EXPECT_EQ(withoutItemCount(describe(*copy)), minimalReading("Unnamed(2)", false, 202, "Unnamed(2)"));
    EXPECT_EQ(withoutItemCount(describe(*db->getProject(2))), minimalReading("Unnamed(2)", false, 202));

    // The survivor of a take-over reads as the donor did.
    CBasicProject *donor = db->getProject(0);
    const std::string donorReading = describe(*donor);
    copy->takeOver(donor);
    EXPECT_EQ(describe(*copy), donorReading);
    EXPECT_EQ(exportOf(*copy), minimalExport(202));
    EXPECT_EQ(db->getProjectCount(), 3);
}

// A model read late is the model of the image: also when the project was
// renamed and saved before anyone asked for it. The export names the
// project as it is now.
TEST_F(MinimalRecords, ALateModelKeepsTheTextsOfTheImage)
{
    const auto db = load({minimalRecord(202, 1, false, cat({stringItem(0, "Original"), stringItem(1, "notes")})),
                          minimalRecord(202, 2, false, stringItem(1, "only notes"))});
    ASSERT_EQ(db->getProjectCount(), 2);
    db->getProject(0)->rename("Renamed", nullptr);
    db->getProject(0)->setDescription("");
    db->getProject(1)->setDescription("");
    ASSERT_TRUE(db->saveToFile((dir / "renamed.prb").string()));
    ASSERT_TRUE(db->saveToFile((dir / "again.prb").string()));
    const std::vector<std::string> texts = {exportOf(*db->getProject(0))[3], exportOf(*db->getProject(0))[4],
                                            exportOf(*db->getProject(1))[3], exportOf(*db->getProject(1))[4]};
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Name\tRenamed", "Description\t", "Name\t", "Description\t"}));
    auto *first = dynamic_cast<CPolyraProject *>(db->getProject(0));
    EXPECT_EQ(first->getModel()->getName(), "Original");
    EXPECT_EQ(first->getModel()->getDescription(), "notes");
    EXPECT_EQ(first->getStore()->getString(0), "Renamed");
    EXPECT_EQ(first->getStore()->getString(1), "");
    EXPECT_EQ(dynamic_cast<CPolyraProject *>(db->getProject(1))->getModel()->getDescription(), "only notes");
}

// Results that read like a blank entry are results all the same: present,
// and their value kept to the bit.
TEST_F(MinimalRecords, ResultsOfZeroAndOddValuesAreKept)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const auto db = load({minimalRecord(202, 1, false,
                                        cat({floatItem(181, 0.0f), floatItem(182, -0.0f), floatItem(183, nan)}))});
    ASSERT_EQ(db->getProjectCount(), 1);
    const TTestValueList &values = *db->getProject(0)->getTestValues();
    const TTestValue *zero = values.findByTestId(3);
    const TTestValue *negativeZero = values.findByTestId(4);
    const TTestValue *notANumber = values.findByTestId(5);
    EXPECT_TRUE(zero->isPresent());
    EXPECT_TRUE(negativeZero->isPresent());
    EXPECT_TRUE(std::signbit(negativeZero->getRawValue()));
    EXPECT_TRUE(notANumber->isPresent());
    EXPECT_TRUE(std::isnan(notANumber->getRawValue()));
    EXPECT_FALSE(values.findByTestId(6)->isPresent());
    EXPECT_EQ(db->getProject(0)->getTestValue(4), negativeZero) << "the list's own entry, read or changed";
}

// An item the model cannot read fails the load of its record, and with it
// the load of the file, though the model itself is kept only when asked for.
TEST_F(MinimalRecords, AModelThatCannotBeReadFailsTheLoad)
{
    const Bytes broken = minimalRecord(202, 2, false, stringItem(24, "not a number"));
    CPolyraDatabase db;
    const std::string path = write("broken.prb", databaseFile("Broken", {minimalRecord(202, 1), broken}));
    EXPECT_THROW(db.loadFromFile(path), Exception);
    EXPECT_EQ(db.getProjectCount(), 0);
    CPolyraProject project;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[broken.size()]);
    std::copy(broken.begin(), broken.end(), buffer.get());
    EXPECT_THROW(parseProjectRecord(project, std::move(buffer), broken.size()), Exception);
}

// A bulk add without a count given grows its index as it goes and names the
// projects as adding them one at a time does.
TEST_F(MinimalRecords, ABulkAddGrowsItsIndex)
{
    auto projectOf = [](const Bytes &record_) {
        auto *p = new CPolyraProject;
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[record_.size()]);
        std::copy(record_.begin(), record_.end(), buffer.get());
        EXPECT_TRUE(parseProjectRecord(*p, std::move(buffer), record_.size()));
        return p;
    };
    CPolyraDatabase bulk, single;
    std::vector<CBasicProject *> added;
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(bulk.addProject(projectOf(minimalRecord(202, 1, false, stringItem(0, "Rig")))), 0);
    bulk.beginBulkAdd();
    for (int i = 0; i < 300; ++i) {
        const Bytes r = minimalRecord(202, 1, false, stringItem(0, i % 3 ? "Rig" : "rig(4)"));
        CPolyraProject *p = projectOf(r);
        ASSERT_EQ(bulk.addProject(p), 0);
        added.push_back(p);
        ASSERT_EQ(bulk.addProject(p), 1);
    }
    for (CBasicProject *p : added)
        ASSERT_EQ(bulk.addProject(p), 1);
    bulk.endBulkAdd();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(single.addProject(projectOf(minimalRecord(202, 1, false, stringItem(0, "Rig")))), 0);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(single.addProject(projectOf(minimalRecord(202, 1, false, stringItem(0, i % 3 ? "Rig" : "rig(4)")))), 0);
    ASSERT_EQ(bulk.getProjectCount(), 305);
    for (int i = 0; i < 305; ++i)
        ASSERT_EQ(bulk.getProject(i)->getName(), single.getProject(i)->getName()) << i;
}

} // namespace
