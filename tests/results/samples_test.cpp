#include <gtest/gtest.h>

#include <memory>

#include "recording_services.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"

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
