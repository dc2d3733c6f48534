#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "components.h"
#include "imagebuilder.h"
#include "kvs_exception.h"
#include "readbudget.h"
#include "resultfiles_fixture.h"
#include "samplemachine.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uSystemInfo.h"

namespace {

using Block = std::vector<unsigned char>;

Bytes le32(std::uint32_t v)
{
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

Bytes databaseFile(const std::vector<Bytes> &records)
{
    Bytes out = text("Scorvista2001 Database\n");
    out.push_back(0);
    out = cat({out, le32(4), text("Load"), le32(static_cast<std::uint32_t>(records.size()))});
    for (const Bytes &r : records)
        out = cat({out, le32(static_cast<std::uint32_t>(r.size())), r});
    return out;
}

// A record whose name item is left out when name is null.
Bytes record(const char *name, const Block &systemBlock = {})
{
    Bytes items = cat({name ? stringItem(0, name) : Bytes{}, intItem(5, 202)});
    if (!systemBlock.empty())
        items = cat({items, blockItem(6, systemBlock)});
    image::Options o;
    o.record = true;
    return image::build(items, o);
}

std::vector<std::string> namesOf(const CBasicDatabase &db)
{
    std::vector<std::string> out;
    for (int i = 0; i < db.getProjectCount(); ++i)
        out.push_back(db.getProject(i)->getName());
    return out;
}

class LoadFloor : public ResultFilesTest {
protected:
    std::unique_ptr<CPolyraDatabase> load(const std::vector<Bytes> &records)
    {
        auto db = std::make_unique<CPolyraDatabase>();
        EXPECT_TRUE(db->loadFromFile(write("load.prb", databaseFile(records))));
        return db;
    }
};

// A file's names made unique in bulk come out as adding the projects one at
// a time does, also where numbered names of the file stand in the way.
TEST_F(LoadFloor, BulkNamesEqualThoseOfAddingOneByOne)
{
    const std::vector<const char *> names = {nullptr, nullptr,      "Unnamed(3)", nullptr, "Rig",   "rig",
                                             "RIG(1)", nullptr,     "Rig",        "Rig(7)", "Rig",  "unnamed(2)",
                                             nullptr,  "Rig(0)",    "Rig(2)",     nullptr,  "Rig",  "Rig(3)"};
    std::vector<Bytes> records;
    for (const char *n : names)
        records.push_back(record(n));
    const auto bulk = load(records);

    CPolyraDatabase single;
    for (const Bytes &r : records) {
        auto *p = new CPolyraProject;
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[r.size()]);
        std::copy(r.begin(), r.end(), buffer.get());
        ASSERT_TRUE(parseProjectRecord(*p, std::move(buffer), r.size()));
        ASSERT_EQ(single.addProject(p), 0);
    }
    EXPECT_EQ(namesOf(*bulk), namesOf(single));
    EXPECT_EQ(namesOf(*bulk)[1], "Unnamed(1)");
}

// Thousands of nameless records: each gets the next number, none twice.
TEST_F(LoadFloor, ManyNamelessRecordsAreNumberedInOrder)
{
    const std::vector<Bytes> records(3000, record(nullptr));
    const auto db = load(records);
    const std::vector<std::string> names = namesOf(*db);
    ASSERT_EQ(names.size(), 3000u);
    EXPECT_EQ(names[0], "Unnamed");
    for (std::size_t i = 1; i < names.size(); ++i)
        ASSERT_EQ(names[i], "Unnamed(" + std::to_string(i) + ")");
}

// The system information is read from memory: a temporary folder that is
// missing or may not be written changes nothing and says nothing.
TEST_F(LoadFloor, AnUnusableTemporaryFolderLoadsFullSystemInformation)
{
    const Block machine = sample::machineBlock(false);
    const std::vector<Bytes> records = {record("A", machine), record("B", machine)};
    const std::filesystem::path locked = dir / "locked";
    std::filesystem::create_directory(locked);
    ::chmod(locked.c_str(), 0500);
    for (const std::filesystem::path &folder : {locked, dir / "missing"}) {
        SCOPED_TRACE(folder.string());
        ::setenv("TMPDIR", folder.c_str(), 1);
        const auto db = load(records);
        ASSERT_EQ(db->getProjectCount(), 2);
        for (int i = 0; i < 2; ++i) {
            CBasicProject *p = db->getProject(i);
            EXPECT_EQ(p->getCpuSpeedText(), "1000 MHz");
            EXPECT_EQ(p->getCpuName(), "GenuineIntel Intel\xAE Pentium\xAE III processor");
            std::vector<std::string> lines;
            ASSERT_TRUE(p->exportText(lines));
            EXPECT_NE(std::find(lines.begin(), lines.end(), "CPU INFO"), lines.end());
        }
    }
    ::unsetenv("TMPDIR");
    EXPECT_TRUE(services.messages.empty());
}

// A block whose lists would take far more memory than its bytes is refused as
// a truncated one is; a real machine with a long list of modes is not.
TEST(ReadBudgetTest, ListsPastTheBudgetRaiseTheUnderflow)
{
    using namespace KV_Rigscan;
    SystemInfoTree filters;
    sample::fillMachine(filters);
    String empty;
    // Each entry is one byte on the block and several dozen in the tree.
    for (int i = 0; i < 200000; ++i)
        filters.directShow.filters.append(empty);
    const Block hostile = sample::blockOf(filters);
    ASSERT_LT(hostile.size() * ReadBudget::perBlockByte + ReadBudget::allowance,
              200000 * sizeof(String));

    SystemInfoTree modes;
    sample::fillMachine(modes);
    DisplayDevice &device = *modes.directDraw.displayDevices.begin();
    const Resolution mode = *device.displayModes.begin();
    for (int i = 0; i < 2000; ++i)
        device.displayModes.append(mode);
    const Block manyModes = sample::blockOf(modes);

    EXPECT_THROW(CSystemInfo(hostile.data(), static_cast<unsigned>(hostile.size()), false),
                 KVS_exceptionStreamUnderflow);
    SystemInfoTree back;
    EXPECT_THROW(back.read(hostile.data(), static_cast<unsigned>(hostile.size())), KVS_exceptionStreamUnderflow);

    const CSystemInfo info(manyModes.data(), static_cast<unsigned>(manyModes.size()), false);
    EXPECT_EQ(info.tree().directDraw.displayDevices.begin()->displayModes.count(), device.displayModes.count());
    EXPECT_EQ(info.getCpuSpeedText(), "1000 MHz");
}

// Without a budget in scope nothing is counted; budgets nest and the inner
// one ends with its scope.
TEST(ReadBudgetTest, BudgetsApplyOnlyInTheirScope)
{
    using KV_Rigscan::ReadBudget;
    EXPECT_NO_THROW(ReadBudget::charge(std::size_t(1) << 40));
    ReadBudget outer(100);
    {
        ReadBudget inner(10);
        EXPECT_NO_THROW(ReadBudget::charge(10));
        EXPECT_THROW(ReadBudget::charge(1), KVS_exceptionStreamUnderflow);
    }
    EXPECT_NO_THROW(ReadBudget::charge(100));
    EXPECT_THROW(ReadBudget::charge(1), KVS_exceptionStreamUnderflow);
}

} // namespace
