#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Exception.h"
#include "FileUtil.h"
#include "U2001crypt.h"
#include "imagebuilder.h"
#include "recording_services.h"
#include "resultfiles_fixture.h"
#include "samplemachine.h"
#include "uDataVector.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"

namespace fs = std::filesystem;

namespace {

class ProjectFiles : public ResultFilesTest {
protected:
    Bytes read(const std::string &path)
    {
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(readWholeFile(path, bytes));
        return bytes;
    }

};

// The plain items of an image: version 202 and up keeps the current layout.
Bytes displayItems(int width, int height, int depthCode, int zCode, int textureCode, int bufferingCode, int refresh,
                   int fsaa)
{
    return cat({stringItem(20, "GeForce3"), stringItem(21, "D3D Pure Hardware T&L"), intItem(22, width),
                intItem(23, height), intItem(24, depthCode), intItem(25, zCode), intItem(26, textureCode),
                intItem(27, bufferingCode), intItem(28, refresh), intItem(29, fsaa)});
}

TEST_F(ProjectFiles, OpensAProjectFileEndToEnd)
{
    const Bytes block = sample::machineBlock(false);
    const Bytes items = cat({image::basicItems("Rig A", "first run", 4321.5f, 202), blockItem(6, block),
                             displayItems(1280, 1024, 1, 2, 2, 1, 85, 4), floatItem(180, 123.25f)});
    const std::string path = write("rig.prp", image::build(items));
    std::unique_ptr<CBasicProject> project(loadProjectFile(path));
    ASSERT_TRUE(project) << (services.messages.empty() ? "" : services.messages.front());
    auto *polyra = dynamic_cast<CPolyraProject *>(project.get());
    ASSERT_TRUE(polyra);
    EXPECT_EQ(project->getName(), "Rig A");
    EXPECT_EQ(project->getDescription(), "first run");
    EXPECT_EQ(project->getVersion(), 202u);
    EXPECT_EQ(project->getFileName(), path);
    EXPECT_FALSE(project->isModified());
    EXPECT_EQ(polyra->getSeed(), 0x12345678u);
    EXPECT_DOUBLE_EQ(project->getTestValue(1)->getValue(), 4321.5);
    EXPECT_EQ(project->getTestValue(1)->getText(), "4,322 Polyra Marks");
    EXPECT_TRUE(project->getTestValue(2)->isPresent());
    EXPECT_DOUBLE_EQ(project->getTestResult(project->getTestValue(2)), 123.25);
    EXPECT_FALSE(project->getTestValue(3)->isPresent());
    EXPECT_EQ(project->getCpuSpeed(), 1000);
    EXPECT_FALSE(project->getSystemInfo()->isLegacyLayout());
    EXPECT_EQ(project->getDisplayModeText(), "1280x1024, 32 bit color");
    EXPECT_EQ(project->getFsaaText(), "4 samples");
    EXPECT_EQ(project->getFrameBufferText(false), "Triple buffering");
    EXPECT_EQ(project->getRefreshRateText(), "85Hz Monitor Refresh");
    project->showSystemInfo();
    EXPECT_EQ(services.viewerCalls, (std::vector<std::string>{"current " + std::to_string(block.size())}));
}

TEST_F(ProjectFiles, DisplayTexts)
{
    struct Case {
        Bytes items;
        std::string refresh, texture, colour, colourShort, zbuffer, fsaa, frame, frameShort, mode;
    };
    const std::vector<Case> cases = {
        {displayItems(640, 480, 0, 0, 0, 0, 60, 1), "60Hz Monitor Refresh", "16 bit", "16 bit color", "16 bit",
         "16 bit", "Not Enabled", "Double buffering", "Double", "640x480, 16 bit color"},
        {displayItems(1024, 768, 1, 1, 3, 1, 300, 2), "VSync Off", "DXT1 only", "32 bit color", "32 bit", "24 bit",
         "2 samples", "Triple buffering", "Triple", "1024x768, 32 bit color"},
        {displayItems(800, 600, 1, 2, 1, 0, 0, 0), "Not Measured", "32 bit", "32 bit color", "32 bit", "32 bit",
         "Not Enabled", "Double buffering", "Double", "800x600, 32 bit color"},
    };
    for (const Case &c : cases) {
        const std::string path = write("d.prp", image::build(cat({image::basicItems(), c.items})));
        std::unique_ptr<CBasicProject> p(loadProjectFile(path));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->getRefreshRateText(), c.refresh);
        EXPECT_EQ(p->getTextureFormatText(), c.texture);
        EXPECT_EQ(p->getColorDepthText(false), c.colour);
        EXPECT_EQ(p->getColorDepthText(true), c.colourShort);
        EXPECT_EQ(p->getZBufferText(), c.zbuffer);
        EXPECT_EQ(p->getFsaaText(), c.fsaa);
        EXPECT_EQ(p->getFrameBufferText(false), c.frame);
        EXPECT_EQ(p->getFrameBufferText(true), c.frameShort);
        EXPECT_EQ(p->getDisplayModeText(), c.mode);
        EXPECT_EQ(p->getRenderingPlatform(), "GeForce3");
        EXPECT_EQ(p->getRenderingPipeline(), "D3D Pure Hardware T&L");
    }
    // No FSAA item, or one of another kind, reads as not enabled.
    for (const Bytes &items : {image::basicItems(), cat({image::basicItems(), stringItem(29, "four")})}) {
        std::unique_ptr<CBasicProject> p(loadProjectFile(write("n.prp", image::build(items))));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->getFsaaText(), "Not Enabled");
    }
}

TEST_F(ProjectFiles, MalformedImagesFailCleanly)
{
    const Bytes good = image::build(image::basicItems());
    struct Case {
        const char *name;
        Bytes bytes;
        const char *message;   // shown, with a false result
        const char *exception; // raised instead
    };
    Bytes badHeader = good;
    badHeader[3] = 'X';
    image::Options crc;
    crc.breakCrc = true;
    image::Options asRecord;
    asRecord.record = true;
    const Bytes record = image::build(image::basicItems(), asRecord);
    Bytes trailerGarbage = good;
    trailerGarbage[24] = 0x55; // the bytes behind the header text are not checked
    const std::vector<Case> cases = {
        {"empty", {}, "File is not a Polyra2001 project file", nullptr},
        {"header only", Bytes(good.begin(), good.begin() + 26), "File is not a Polyra2001 project file", nullptr},
        {"37 bytes", Bytes(good.begin(), good.begin() + 37), "File is not a Polyra2001 project file", nullptr},
        // The flag byte comes on top of the fixed parts.
        {"record of 38 bytes", Bytes(record.begin(), record.begin() + 38), "File is not a Polyra2001 project file",
         nullptr},
        {"bad header", badHeader, "File is not a Polyra2001 project file", nullptr},
        {"bad crc", image::build(image::basicItems(), crc), nullptr, "CRC Check failed."},
        {"cut", Bytes(good.begin(), good.end() - 5), nullptr, "CRC Check failed."},
        {"unknown type", image::build(cat({image::basicItems(), item(50, 5, {1, 2, 3, 4})})), nullptr, "Unknown type."},
        {"overrunning string", image::build(cat({image::basicItems(), item(51, 3, be32(0xFFFFFFF0u))})), nullptr, ""},
        {"overrunning block", image::build(cat({image::basicItems(), item(6, 4, be32(100))})), nullptr, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        const std::string path = write("bad.prp", c.bytes);
        if (c.exception) {
            try {
                std::unique_ptr<CBasicProject> p(loadProjectFile(path));
                FAIL() << "expected an exception";
            } catch (const Exception &e) {
                if (*c.exception) {
                    EXPECT_EQ(e.Message, c.exception);
                }
            }
        } else {
            EXPECT_EQ(loadProjectFile(path), nullptr);
            EXPECT_EQ(services.messages, (std::vector<std::string>{c.message}));
        }
    }
    std::unique_ptr<CBasicProject> p(loadProjectFile(write("ok.prp", trailerGarbage)));
    EXPECT_TRUE(p);
    EXPECT_EQ(CBasicProject::liveProjects().size(), 1u) << "failed loads leave no project behind";
}

TEST_F(ProjectFiles, FactoryChoosesByExtension)
{
    const Bytes good = image::build(image::basicItems());
    struct Case {
        const char *file;
        bool loads;
        const char *message;
    };
    const std::vector<Case> cases = {
        {"a.prp", true, nullptr},
        {"b.PrP", true, nullptr},
        {"PRP4F2A.TMP", true, nullptr},
        {"prp4f2a.tmp", true, nullptr},
        {"ABC.TMP", false, "File cannot be loaded. Unknown type .ABC"},
        {"c.prb", false, "File cannot be loaded. Unknown type .prb"},
        {"noext", false, "File cannot be loaded. Unknown type "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        services.messages.clear();
        std::unique_ptr<CBasicProject> p(loadProjectFile(write(c.file, good)));
        EXPECT_EQ(bool(p), c.loads);
        if (c.message) {
            EXPECT_EQ(services.messages, (std::vector<std::string>{c.message}));
        }
    }
    services.messages.clear();
    EXPECT_EQ(loadProjectFile((dir / "missing.prp").string()), nullptr);
    EXPECT_EQ(services.messages, (std::vector<std::string>{"File " + (dir / "missing.prp").string() + " couldn't be opened."}));
}

TEST_F(ProjectFiles, RenameSaveAndReopenKeepSeedItemsAndName)
{
    const Bytes items = cat({image::basicItems("Test Rig"), floatItem(181, 55.5f), stringItem(240, "shot.png")});
    image::Options o;
    o.seed = 0x80000001u;
    const std::string path = write("r.prp", image::build(items, o));
    std::unique_ptr<CBasicProject> p(loadProjectFile(path));
    ASSERT_TRUE(p);
    p->setName("test rig"); // a change of case alone is a rename
    EXPECT_TRUE(p->isModified());
    p->setDescription("second thoughts");
    const std::string saved = (dir / "saved.prp").string();
    ASSERT_TRUE(p->saveToFile(saved, false, false));
    EXPECT_EQ(services.recentFiles, (std::vector<std::string>{saved}));
    EXPECT_EQ(p->getFileName(), saved);
    EXPECT_EQ(p->getFolder(), dir.string() + "/");

    std::unique_ptr<CBasicProject> back(loadProjectFile(saved));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getName(), "test rig");
    EXPECT_EQ(back->getDescription(), "second thoughts");
    EXPECT_EQ(dynamic_cast<CPolyraProject &>(*back).getSeed(), 0x80000001u);
    EXPECT_DOUBLE_EQ(back->getTestValue(3)->getValue(), 55.5);
    EXPECT_EQ(dynamic_cast<CPolyraProject &>(*back).getStore()->getString(240), "shot.png");
    // The same image as one built by hand with the new texts.
    const Bytes expected = image::build(
        cat({stringItem(0, "test rig"), stringItem(1, "second thoughts"), floatItem(4, 4321.5f), intItem(5, 202),
             floatItem(181, 55.5f), stringItem(240, "shot.png")}),
        o);
    EXPECT_EQ(read(saved), expected);
}

TEST_F(ProjectFiles, NameAndDescriptionItemsAreAddedWhenMissing)
{
    const std::string path = write("n.prp", image::build(cat({floatItem(4, 10.0f), intItem(5, 202)})));
    std::unique_ptr<CBasicProject> p(loadProjectFile(path));
    ASSERT_TRUE(p);
    p->setName("Named later");
    ASSERT_TRUE(p->saveToFile(path, false, true));
    EXPECT_TRUE(services.recentFiles.empty());
    std::unique_ptr<CBasicProject> back(loadProjectFile(path));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getName(), "Named later");
}

TEST_F(ProjectFiles, VersionWordFollowsTheBenchmarkVersion)
{
    for (auto [version, word] : {std::pair{200, 58u}, {201, 59u}, {150, 58u}, {-1, 59u}}) {
        SCOPED_TRACE(version);
        const std::string path = write("v.prp", image::build(image::basicItems("v", "", 1.0f, version)));
        std::unique_ptr<CBasicProject> p(loadProjectFile(path));
        ASSERT_TRUE(p);
        std::size_t length = 0;
        auto image = buildProjectImage(dynamic_cast<CPolyraProject &>(*p), length, false);
        ASSERT_TRUE(image);
        unscrambleBuffer(image.get() + 30, static_cast<int>(length - 30), dynamic_cast<CPolyraProject &>(*p).getSeed());
        EXPECT_EQ(image[33], word);
    }
}

TEST_F(ProjectFiles, RecordsCarryTheHiddenFlag)
{
    for (bool hidden : {false, true}) {
        image::Options o;
        o.record = true;
        o.hidden = hidden;
        const Bytes record = image::build(image::basicItems(), o);
        CPolyraProject p;
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[record.size()]);
        std::copy(record.begin(), record.end(), buffer.get());
        ASSERT_TRUE(parseProjectImage(p, std::move(buffer), record.size()));
        EXPECT_EQ(p.isHidden(), hidden);
        std::size_t length = 0;
        auto rebuilt = buildProjectImage(p, length, true);
        EXPECT_EQ(Bytes(rebuilt.get(), rebuilt.get() + length), record);
    }
    // "PP": a project file whose first byte is the header's own.
    Bytes pp = image::build(image::basicItems());
    CPolyraProject p;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[pp.size()]);
    std::copy(pp.begin(), pp.end(), buffer.get());
    EXPECT_TRUE(parseProjectImage(p, std::move(buffer), pp.size()));
    EXPECT_FALSE(p.isHidden());
}

TEST_F(ProjectFiles, LegacyProjectsReadTheOlderLayout)
{
    const Bytes items = cat({image::basicItems("Old", "", 2000.0f, 201), blockItem(6, sample::machineBlock(true))});
    std::unique_ptr<CBasicProject> p(loadProjectFile(write("old.prp", image::build(items))));
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->getSystemInfo()->isLegacyLayout());
    EXPECT_EQ(p->getCpuSpeed(), 1000);
    p->showSystemInfo();
    ASSERT_EQ(services.viewerCalls.size(), 1u);
    EXPECT_EQ(services.viewerCalls[0].substr(0, 3), "old");
}

TEST_F(ProjectFiles, AProjectWithoutSystemInformationStillOpens)
{
    for (const Bytes &items : {image::basicItems(), cat({image::basicItems(), blockItem(6, {})})}) {
        services.messages.clear();
        std::unique_ptr<CBasicProject> p(loadProjectFile(write("nosys.prp", image::build(items))));
        ASSERT_TRUE(p);
        ASSERT_TRUE(p->getSystemInfo());
        EXPECT_FALSE(p->getSystemInfo()->hasData());
        p->showSystemInfo();
        EXPECT_TRUE(services.viewerCalls.empty());
        EXPECT_EQ(services.messages.size(), 1u);
    }
}

TEST_F(ProjectFiles, AFailedSaveLeavesTheOldFile)
{
    const std::string path = write("keep.prp", image::build(image::basicItems()));
    std::unique_ptr<CBasicProject> p(loadProjectFile(path));
    ASSERT_TRUE(p);
    // A folder where the file should be: the rename cannot replace it.
    const fs::path blocked = dir / "blocked.prp";
    fs::create_directory(blocked);
    EXPECT_FALSE(p->saveToFile(blocked.string(), false, false));
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_FALSE(p->saveToFile((dir / "no" / "such" / "folder.prp").string(), false, false));
    EXPECT_TRUE(services.recentFiles.empty());
    int leftovers = 0;
    for (const auto &entry : fs::directory_iterator(dir))
        leftovers += entry.path().filename().string().rfind(".scv", 0) == 0;
    EXPECT_EQ(leftovers, 0);
}

TEST_F(ProjectFiles, NamesAreMadeUnique)
{
    struct Case {
        std::vector<std::string> present;
        std::string joining;
        std::string result;
    };
    const std::vector<Case> cases = {
        {{"Result(2)"}, "Result(2)", "Result(3)"},
        {{"Result", "Result(1)"}, "Result", "Result(2)"},
        {{"RESULT"}, "result", "result(1)"},
        {{"Other"}, "Result(7)", "Result(7)"},
        {{"Run(1234567890)"}, "Run(1234567890)", "Run(1234567890)(1)"},
        {{"Run(999999999)"}, "Run(999999999)", "Run(1000000000)"},
        {{"Unnamed"}, "", "Unnamed(1)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.joining);
        CPolyraDatabase database;
        for (const std::string &name : c.present) {
            auto *p = new CPolyraProject;
            p->setName(name);
            ASSERT_EQ(database.addProject(p), 0);
        }
        auto *joining = new CPolyraProject;
        joining->setName(c.joining);
        ASSERT_EQ(database.addProject(joining), 0);
        EXPECT_EQ(joining->getName(), c.result);
    }
}

TEST_F(ProjectFiles, CopiesAreIndependentAndTakeOverMovesEverything)
{
    const Bytes items = cat({image::basicItems("Source"), blockItem(6, sample::machineBlock(false)), floatItem(182, 7.5f)});
    CBasicProject *source = loadProjectFile(write("s.prp", image::build(items)));
    ASSERT_TRUE(source);
    CPolyraDatabase first, second;
    ASSERT_EQ(first.addProject(source), 0);
    CBasicProject *copy = source->copyToDatabase(&second);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->getDatabase(), &second);
    EXPECT_EQ(dynamic_cast<CPolyraProject *>(copy)->getSeed(), dynamic_cast<CPolyraProject *>(source)->getSeed());
    EXPECT_DOUBLE_EQ(copy->getTestValue(4)->getValue(), 7.5);
    EXPECT_NE(copy->getSystemInfo(), source->getSystemInfo());
    delete source;
    EXPECT_EQ(first.getProjectCount(), 0);
    EXPECT_EQ(copy->getName(), "Source");
    EXPECT_EQ(copy->getCpuSpeed(), 1000);

    // Take-over: the survivor gets the other's model, store, values and system information.
    CBasicProject *donor = loadProjectFile(write("d.prp", image::build(cat({image::basicItems("Donor"), floatItem(182, 9.0f)}))));
    ASSERT_TRUE(donor);
    copy->takeOver(donor);
    EXPECT_EQ(copy->getName(), "Donor");
    EXPECT_DOUBLE_EQ(copy->getTestValue(4)->getValue(), 9.0);
    EXPECT_FALSE(copy->getSystemInfo()->hasData());
    EXPECT_EQ(dynamic_cast<CPolyraProject *>(copy)->getStore()->getString(0), "Donor");
    EXPECT_EQ(second.getProjectCount(), 1);
    EXPECT_EQ(CBasicProject::liveProjects().size(), 1u);
}

} // namespace
