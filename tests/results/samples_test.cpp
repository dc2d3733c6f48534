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
