#include <gtest/gtest.h>

#include <memory>

#include "imagebuilder.h"
#include "itemrecorder.h"
#include "openimage.h"
#include "resultfiles_fixture.h"
#include "samplemachine.h"
#include "uDataVector.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uProject.h"
#include "uSystemInfo.h"
#include "uTextExport.h"

// A project keeps its system-information block once, in its raw file
// buffer: the model and the system information read it there. These cases
// follow the block through everything that moves or copies a project.

namespace {

class ProjectBlock : public ResultFilesTest {
protected:
    static Bytes imageWithBlock(const std::string &name, const Bytes &block)
    {
        return image::build(image::completeItems(name, "run", 3000, 202, block, {12.5f}));
    }
};

// The model's block is the store's own bytes, and the system information
// reads the same bytes back into a whole tree.
void expectOneBlock(CPolyraProject &project, const Bytes &block)
{
    unsigned size = 0;
    const unsigned char *stored = project.getStore()->getData(6, size);
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(size, block.size());
    EXPECT_EQ(project.getModel()->getSystemInfo(), stored);
    EXPECT_EQ(project.getModel()->getSystemInfoSize(), size);
    ASSERT_TRUE(project.getSystemInfo()->hasData());
    EXPECT_EQ(sample::blockOf(*project.getSystemInfo()->readTree()), block);
    EXPECT_EQ(sample::blockOf(project.getSystemInfo()->tree()), block);
}

TEST_F(ProjectBlock, TheModelAndTheSystemInformationReadTheRawFile)
{
    const Bytes block = sample::machineBlock(false);
    std::unique_ptr<CPolyraProject> project(projectOfImage(imageWithBlock("Rig", block)));
    expectOneBlock(*project, block);
    EXPECT_EQ(project->getCpuSpeed(), 1000);
}

TEST_F(ProjectBlock, AnExportLeavesTheProjectsBlockAlone)
{
    const Bytes block = sample::machineBlock(false);
    std::unique_ptr<CPolyraProject> project(projectOfImage(imageWithBlock("Rig", block)));
    const std::string first = projectExportText(*project);
    // The machine is written from the tree read out of the shared bytes.
    EXPECT_NE(first.find("GenuineIntel"), std::string::npos);
    expectOneBlock(*project, block);
    EXPECT_EQ(projectExportText(*project), first);
}

TEST_F(ProjectBlock, CopiesAndTakeOversKeepTheirBlockReadable)
{
    const Bytes block = sample::machineBlock(false);
    CBasicProject *source = projectOfImage(imageWithBlock("Source", block));
    CPolyraDatabase first, second;
    ASSERT_EQ(first.addProject(source), 0);
    auto *copy = dynamic_cast<CPolyraProject *>(source->copyToDatabase(&second));
    ASSERT_TRUE(copy);
    // The copy reads its own buffer, which outlives the source.
    delete source;
    expectOneBlock(*copy, block);

    {
        KV_Rigscan::SystemInfoTree tree;
        sample::fillMachine(tree);
        tree.cpu.slots.begin()->internalClock.set64(std::uint64_t(1400) << 20);
        const Bytes donorBlock = sample::blockOf(tree);
        CBasicProject *donor = projectOfImage(imageWithBlock("Donor", donorBlock));
        copy->takeOver(donor);
        expectOneBlock(*copy, donorBlock);
        EXPECT_EQ(copy->getCpuSpeed(), 1400);
    }
}

} // namespace
