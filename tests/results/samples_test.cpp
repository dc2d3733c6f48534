#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "recording_services.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"
#include "uTextExport.h"

// The sample files shipped with the program open as a user would open them.
TEST(SampleFiles, ProjectsAndTheDatabaseOpen)
{
    RecordingServices services;
    const std::string dir = SCORVISTA_SAMPLES;
    struct Case {
        const char *file;
        const char *name;
        int mhz;
        bool legacy;
    };
    for (const Case &c : {Case{"athlon-gf3.prp", "Athlon 1400 GeForce3", 1400, false},
                          Case{"p3-gf2.prp", "Pentium III 1000 GeForce2", 1000, false},
                          Case{"p4-gf3ti.prp", "Pentium 4 2000 GeForce3 Ti", 2000, false},
                          Case{"old-layout.prp", "Celeron 800 (older benchmark)", 800, true}}) {
        SCOPED_TRACE(c.file);
        std::unique_ptr<CBasicProject> p(loadProjectFile(dir + "/" + c.file));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->getName(), c.name);
        EXPECT_EQ(p->getCpuSpeed(), c.mhz);
        EXPECT_EQ(p->getSystemInfo()->isLegacyLayout(), c.legacy);
        EXPECT_TRUE(p->getTestValue(2)->isPresent());
    }
    std::unique_ptr<CBasicDatabase> db(openDatabaseFile(dir + "/sample-machines.prb"));
    ASSERT_TRUE(db);
    EXPECT_EQ(db->getName(), "Sample Machines");
    ASSERT_EQ(db->getProjectCount(), 4);
    EXPECT_TRUE(db->getProject(1)->isHidden());
    EXPECT_TRUE(services.messages.empty());
    db.reset();
    CBasicDatabase::deleteAll();
}

// Each sample's system information is the machine its name tells, read back
// as the program reads it: processor, card, memory and the board that takes
// that processor.
TEST(SampleFiles, EachCarriesTheMachineItsNameTells)
{
    RecordingServices services;
    struct Case {
        const char *file;
        const char *name;
        const char *processor;
        const char *socket;
        const char *card;
        const char *videoMemory;
        const char *memory;
        const char *board;
        const char *chipset;
    };
    for (const Case &c : {
             Case{"athlon-gf3.prp", "Athlon 1400 GeForce3", "AuthenticAMD AMD Athlon(tm) Processor", "Socket A",
                  "NVIDIA GeForce3", "64 MB", "512 MB", "A7M266", "AMD-761 System Controller"},
             Case{"p3-gf2.prp", "Pentium III 1000 GeForce2", "GenuineIntel Intel\xAE Pentium\xAE III processor",
                  "Socket 370", "NVIDIA GeForce2 GTS", "32 MB", "512 MB", "CUV4X", "VT82C694X System Controller"},
             Case{"p4-gf3ti.prp", "Pentium 4 2000 GeForce3 Ti", "GenuineIntel Intel\xAE Pentium\xAE 4 processor",
                  "Socket 478", "NVIDIA GeForce3 Ti 500", "64 MB", "1,024 MB", "P4T-E",
                  "82850 Processor to I/O Controller"},
             // The older layout stores no family text: the decoded code stands.
             Case{"old-layout.prp", "Celeron 800 (older benchmark)", "GenuineIntel Celeron(tm)", "Socket 370",
                  "NVIDIA RIVA TNT2", "32 MB", "128 MB", "CUSL2-C", "82815 Processor to I/O Controller"},
         }) {
        SCOPED_TRACE(c.file);
        std::unique_ptr<CBasicProject> p(loadProjectFile(SCORVISTA_SAMPLES "/" + std::string(c.file)));
        ASSERT_TRUE(p);
        ASSERT_EQ(p->getName(), c.name);
        const CSystemInfo &info = *p->getSystemInfo();
        EXPECT_EQ(info.getProcessorName(), c.processor);
        EXPECT_EQ(info.getTotalPhysicalMemoryText(), c.memory);
        EXPECT_EQ(info.getMotherboardManufacturer(), "ASUSTeK Computer Inc.");
        EXPECT_EQ(info.getMotherboardModel(), c.board);
        // The card the project names as its platform is the one the block holds.
        const std::string platform = p->getRenderingPlatform();
        EXPECT_EQ(info.getVideoMemoryText(platform), c.videoMemory);
        const KV_Rigscan::SystemInfoTree &tree = info.tree();
        ASSERT_EQ(tree.directDraw.displayDevices.count(), 1u);
        EXPECT_EQ(tree.directDraw.displayDevices.begin()->description.get(), c.card);
        EXPECT_EQ("NVIDIA " + platform, c.card);
        ASSERT_EQ(tree.cpu.slots.count(), 1u);
        EXPECT_EQ(tree.cpu.slots.begin()->socketDesignation.get(), c.socket);
        ASSERT_FALSE(tree.motherboard.devices.empty());
        EXPECT_EQ(tree.motherboard.devices.begin()->description.get(), c.chipset);
    }
    EXPECT_TRUE(services.messages.empty());
}

namespace {

// The lines of the paragraph (lines between blank ones) of a text export
// that holds the line record_; none when no paragraph does.
std::vector<std::string> paragraphWith(const std::vector<std::string> &lines_, const std::string &record_)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].empty())
            start = i + 1;
        else if (lines_[i] == record_) {
            std::size_t end = i;
            while (end < lines_.size() && !lines_[end].empty())
                ++end;
            return std::vector<std::string>(lines_.begin() + start, lines_.begin() + end);
        }
    }
    return {};
}

} // namespace

// What each sample's text export says of its machine is what that hardware
// is and can do; the file "*" stands for every sample.
TEST(SampleFiles, TextExportClaimsOnlyWhatTheMachineHas)
{
    RecordingServices services;
    const std::vector<const char *> files = {"athlon-gf3.prp", "p3-gf2.prp", "p4-gf3ti.prp", "old-layout.prp"};
    struct Claim {
        const char *file;
        const char *record; // a line of the paragraph the claim is about
        std::vector<std::string> lines;
        std::vector<std::string> never; // in no line of that paragraph
    };
    const std::vector<Claim> claims = {
        // Memory: system memory; the speeds listed are those of asynchronous memory.
        {"*", "Location\tSystem Board", {"Use\tSystem"}, {"Flash", "70ns", "60ns", "50ns"}},
        {"athlon-gf3.prp", "Type\tDDR", {"Form Factor\tDIMM", "Frequency\t133 MHz"}, {}},
        {"p4-gf3ti.prp", "Type\tRDRAM", {"Form Factor\tRIMM", "Data Bit Width\t16 "}, {}},
        // The card sits in the AGP slot, the sound card is no display adapter.
        {"*", "Designation\tAGP", {"Details\tIn Use", "Device Class\tDisplay Adapter", "Characteristics\t3.3V"},
         {"Available", "5.0V"}},
        {"athlon-gf3.prp", "Designation\tAGP", {"Device Name\tNVIDIA GeForce3"}, {}},
        {"old-layout.prp", "Designation\tAGP", {"Device Name\tNVIDIA RIVA TNT2"}, {}},
        {"*", "Device Name\tSound Blaster Live!", {"Device Class\tSound, Video or Game Controller"}, {}},
        // Desktop boards.
        {"*", "", {}, {"Lithium", "mAHr", "Chemistry"}},
        // These cards have 24 bits of depth.
        {"*", "DISPLAY", {"Z-Buffering\t24 bit"}, {}},
        // Hardware transform and lighting, shaders and compressed textures as each card has them.
        {"athlon-gf3.prp", "DISPLAY", {"CPU Optimization\tD3D Pure Hardware T&L", "Texture Format\tCompressed"}, {}},
        {"athlon-gf3.prp", "TEXTURE FORMATS", {"\tFourCC [DXT1]"}, {}},
        {"athlon-gf3.prp", "TEXTURE FORMATS", {}, {"Cubic Filtering", "N Patches"}},
        {"athlon-gf3.prp", "Name\tGeForce3", {"Pixel Shader Version\t1.1", "Max Active Hardware Lights\t8 "}, {}},
        {"p3-gf2.prp", "Name\tGeForce2 GTS", {"Pixel Shader Version\tN/A", "Max Vertex Blend Matrices\t2 "}, {}},
        {"p3-gf2.prp", "TEXTURE FORMATS", {}, {"Environmental Bump Mapping", "Volume Textures"}},
        {"old-layout.prp", "DISPLAY", {"CPU Optimization\tD3D Software T&L", "Texture Format\t32 bit"},
         {"Hardware T&L", "Compressed"}},
        {"old-layout.prp", "Name\tRIVA TNT2",
         {"Max Active Hardware Lights\t0 ", "Max Vertex Blend Matrices\t0 ", "Max User Clipping Planes\t0 ",
          "Pixel Shader Version\tN/A"},
         {}},
        {"old-layout.prp", "TEXTURE FORMATS", {"\t32-bit ARGB [8888]"},
         {"Hardware Transform and Lighting", "Cube Mapping", "Dot3", "DXT", "Full-Screen Anti-Aliasing", "Anisotropic"}},
        // What was out in 2001.
        {"athlon-gf3.prp", "Operating System\tMicrosoft Windows XP Professional", {"Service Pack\t"}, {}},
        {"p4-gf3ti.prp", "Operating System\tMicrosoft Windows XP Professional", {"Service Pack\t"}, {}},
        {"old-layout.prp", "DIRECTX INFO", {"DirectX Version\t8.0a"}, {}},
    };
    for (const char *file : files) {
        std::unique_ptr<CBasicProject> p(loadProjectFile(SCORVISTA_SAMPLES "/" + std::string(file)));
        ASSERT_TRUE(p) << file;
        const std::vector<std::string> lines = splitLines(projectExportText(dynamic_cast<CPolyraProject &>(*p)));
        for (const Claim &c : claims) {
            if (std::string(c.file) != "*" && c.file != std::string(file))
                continue;
            SCOPED_TRACE(std::string(file) + ", " + c.record);
            const std::vector<std::string> paragraph = *c.record ? paragraphWith(lines, c.record) : lines;
            ASSERT_FALSE(paragraph.empty());
            for (const std::string &line : c.lines)
                EXPECT_NE(std::find(paragraph.begin(), paragraph.end(), line), paragraph.end()) << line;
            for (const std::string &word : c.never)
                for (const std::string &line : paragraph)
                    EXPECT_EQ(line.find(word), std::string::npos) << line;
        }
    }
    EXPECT_TRUE(services.messages.empty());
}
