#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AppServices.h"
#include "Exception.h"
#include "layout.h"
#include "samplemachine.h"
#include "scratch_tmpdir.h"
#include "uSystemInfo.h"

using namespace KV_Rigscan;

namespace {

using Block = std::vector<unsigned char>;

// Keeps the messages the data layer shows.
class RecordingServices : public CAppServices {
public:
    RecordingServices() : previous(setAppServices(this)) {}
    ~RecordingServices() override { setAppServices(previous); }
    void appMessage(const std::string &text_) override { messages.push_back(text_); }

    std::vector<std::string> messages;

private:
    CAppServices *previous;
};

class SystemInfoTest : public ScratchTmpdir {
protected:
    static CSystemInfo build(const Block &block, bool legacy = false)
    {
        return CSystemInfo(block.data(), static_cast<unsigned>(block.size()), legacy);
    }
    // The sample machine, changed by edit, as a current block.
    static Block machineWith(const std::function<void(SystemInfoTree &)> &edit)
    {
        SystemInfoTree tree;
        sample::fillMachine(tree);
        edit(tree);
        return sample::blockOf(tree);
    }
};

// Everything a tree of reset values gives.
void expectDefaults(const CSystemInfo &info)
{
    EXPECT_EQ(info.getCpuSpeedMHz(), 0);
    EXPECT_EQ(info.getCpuSpeedText(), "Undetected");
    EXPECT_EQ(info.getProcessorName(), "Undetected");
    EXPECT_EQ(info.getL1CacheText(), "Undetected");
    EXPECT_EQ(info.getL2CacheText(), "Undetected");
    EXPECT_EQ(info.getTotalPhysicalMemoryText(), "0 MB");
    EXPECT_EQ(info.getFreePhysicalMemoryText(), "0 MB");
    EXPECT_EQ(info.getOperatingSystemText(), "");
    EXPECT_EQ(info.getMotherboardManufacturer(), "");
    EXPECT_EQ(info.getMotherboardModel(), "");
    EXPECT_EQ(info.getDesktopWidth(), 0u);
    EXPECT_EQ(info.getDesktopHeight(), 0u);
    EXPECT_EQ(info.getDesktopBitsPerPixel(), 0u);
    EXPECT_EQ(info.getDirectXVersionText(), "N/A");
    EXPECT_EQ(info.getVideoMemoryText("GeForce3"), "Undetected");
    EXPECT_EQ(info.getTextureMemoryText("GeForce3"), "Undetected");
    EXPECT_EQ(info.getDriverVersionText("GeForce3"), "Unknown");
    EXPECT_EQ(info.getVideoMemoryText(""), "Undetected");
}

// The sample machine's values that both layouts carry.
void expectSampleMachine(const CSystemInfo &info, const std::string &processorName)
{
    EXPECT_TRUE(info.hasData());
    EXPECT_TRUE(info.isRead());
    EXPECT_EQ(info.getCpuSpeedMHz(), 1000);
    EXPECT_EQ(info.getCpuSpeedText(), "1000 MHz");
    EXPECT_EQ(info.getProcessorName(), processorName);
    EXPECT_EQ(info.getL1CacheText(), "32 KB");
    EXPECT_EQ(info.getL2CacheText(), "256 KB");
    EXPECT_EQ(info.getTotalPhysicalMemoryText(), "512 MB");
    EXPECT_EQ(info.getFreePhysicalMemoryText(), "301 MB");
    EXPECT_EQ(info.getOperatingSystemText(), "Microsoft Windows XP Professional");
    EXPECT_EQ(info.getMotherboardManufacturer(), "ASUSTeK Computer Inc.");
    EXPECT_EQ(info.getMotherboardModel(), "CUV4X");
    EXPECT_EQ(info.getDesktopWidth(), 1024u);
    EXPECT_EQ(info.getDesktopHeight(), 768u);
    EXPECT_EQ(info.getDesktopBitsPerPixel(), 32u);
    EXPECT_EQ(info.getDirectXVersionText(), "8.1");
    EXPECT_EQ(info.getVideoMemoryText("GeForce3"), "64 MB");
    EXPECT_EQ(info.getTextureMemoryText("GeForce3"), "56 MB");
    EXPECT_EQ(info.getDriverVersionText("GeForce3"), "6.13.10.2311");
}

TEST_F(SystemInfoTest, CurrentBlockGivesEverySummaryOfTheMachine)
{
    // The tree is read from the caller's bytes, which outlive the object.
    const Block block = sample::machineBlock(false);
    const CSystemInfo info = build(block);
    expectSampleMachine(info, "GenuineIntel Intel\xAE Pentium\xAE III processor");
    EXPECT_FALSE(info.isLegacyLayout());
    EXPECT_EQ(info.tree().battery.batteries.count(), 1u);
    EXPECT_EQ(info.tree().hdd.disks.count(), 1u);
    EXPECT_EQ(info.tree().windows.servicePack.get(), "Service Pack 1");
    EXPECT_EQ(filesWithPrefix("scv"), 0);
}

TEST_F(SystemInfoTest, LegacyBlockIsReadInItsOwnLayoutAndKeepsIt)
{
    const Block legacyBlock = sample::machineBlock(true);
    const CSystemInfo legacy = build(legacyBlock, true);
    // The legacy block carries the family code alone: its decoded text shows.
    expectSampleMachine(legacy, "GenuineIntel Pentium\xAE III");
    EXPECT_TRUE(legacy.isLegacyLayout());
    EXPECT_EQ(legacy.tree().battery.batteries.count(), 0u);
    EXPECT_EQ(legacy.tree().hdd.disks.count(), 0u);
    EXPECT_EQ(legacy.tree().windows.servicePack.get(), "<unknown>");
    EXPECT_FALSE(KV_Rigscan::legacyLayout) << "the process-wide switch is left as it was";

    // A project loaded later does not change how the earlier tree is written.
    const Block currentBlock = sample::machineBlock(false);
    const CSystemInfo current = build(currentBlock);
    EXPECT_EQ(sample::blockOf(legacy.tree()), legacyBlock);
    EXPECT_EQ(sample::blockOf(current.tree()), currentBlock);
}

TEST_F(SystemInfoTest, NoBlockOrAnEmptyOneGivesDefaultsWithoutReading)
{
    // Even an unusable temporary folder stays unnoticed: nothing is written.
    setTmpdir((folder / "nowhere").string());
    RecordingServices services;
    const unsigned char byte = 0;
    const CSystemInfo none(nullptr, 0, false);
    const CSystemInfo empty(&byte, 0, true);
    for (const CSystemInfo *info : {&none, &empty}) {
        EXPECT_FALSE(info->hasData());
        EXPECT_FALSE(info->isRead());
        expectDefaults(*info);
    }
    EXPECT_TRUE(empty.isLegacyLayout());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_THROW(CSystemInfo(nullptr, 5, false), KVS_exceptionZeroPointer);
}

TEST_F(SystemInfoTest, BlocksThatCannotBeReadRaiseAndLeaveNoFile)
{
    const Block current = sample::machineBlock(false);
    const Block truncated(current.begin(), current.begin() + current.size() / 2);
    const Block garbage(64, 0xEE);
    struct Case {
        const char *name;
        Block block;
        bool legacy;
    };
    const Case cases[] = {
        {"truncated", truncated, false},
        {"garbage", garbage, false},
        {"one byte", Block{1}, false},
        {"current block read as legacy", current, true},
        {"legacy block read as current", sample::machineBlock(true), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(build(c.block, c.legacy), KVS_exceptionBase);
        EXPECT_EQ(filesWithPrefix("scv"), 0);
    }
    try {
        build(truncated);
        ADD_FAILURE() << "no exception";
    } catch (const KVS_exceptionStreamUnderflow &) {
    }
}

TEST_F(SystemInfoTest, AnUnusableTemporaryFolderDoesNotMatter)
{
    // The block is read from memory: neither a missing folder nor a file
    // size limit that no block fits under keeps the machine from showing.
    const Block block = sample::machineBlock(false);
    setTmpdir((folder / "nowhere").string());
    RecordingServices services;
    expectSampleMachine(build(block), "GenuineIntel Intel\xAE Pentium\xAE III processor");
    {
        FileSizeLimit limit(64);
        expectSampleMachine(build(block), "GenuineIntel Intel\xAE Pentium\xAE III processor");
    }
    EXPECT_TRUE(services.messages.empty());
}

struct GetterCase {
    const char *name;
    std::function<void(SystemInfoTree &)> edit;
    std::function<std::string(const CSystemInfo &)> get;
    std::string want;
};

TEST_F(SystemInfoTest, SummariesPickTheRightRecordAndFormatIt)
{
    auto cache = [](short level, unsigned bytes) {
        CpuCache c;
        c.setLevel(level);
        c.setCapacity(bytes, 0);
        return c;
    };
    auto display = [](const char *name, unsigned videoMB, const char *driver) {
        DisplayDevice d;
        d.name.set(name);
        d.videoMemory.set(videoMB << 20, 0);
        d.textureMemory.set(videoMB << 19, 0);
        d.driverVersion.set(driver);
        return d;
    };
    auto l1 = [](const CSystemInfo &i) { return i.getL1CacheText(); };
    auto l2 = [](const CSystemInfo &i) { return i.getL2CacheText(); };
    auto mhz = [](const CSystemInfo &i) { return std::to_string(i.getCpuSpeedMHz()) + "|" + i.getCpuSpeedText(); };

    const std::vector<GetterCase> cases = {
        {"second processor's caches are not looked at",
         [&](SystemInfoTree &t) {
             CpuSlot second;
             second.caches.append(cache(2, 512 * 1024));
             second.internalClock.set64(2000ull << 20);
             CpuSlot first;
             first.caches.append(cache(1, 16 * 1024));
             first.internalClock.set64(1000ull << 20);
             t.cpu.slots.clear();
             t.cpu.slots.append(first);
             t.cpu.slots.append(second);
         },
         [&](const CSystemInfo &i) { return l1(i) + "|" + l2(i) + "|" + mhz(i); },
         "16 KB|Undetected|1000|1000 MHz"},
        {"first of two level-1 caches",
         [&](SystemInfoTree &t) {
             CpuSlot slot;
             slot.caches.append(cache(2, 256 * 1024));
             slot.caches.append(cache(1, 8 * 1024));
             slot.caches.append(cache(1, 64 * 1024));
             t.cpu.slots.clear();
             t.cpu.slots.append(slot);
         },
         l1, "8 KB"},
        {"cache of 262,144 bytes", [&](SystemInfoTree &t) {
             CpuSlot slot;
             slot.caches.append(cache(2, 262144));
             t.cpu.slots.clear();
             t.cpu.slots.append(slot);
         }, l2, "256 KB"},
        {"3 GiB of memory", [](SystemInfoTree &t) { t.memory.totalPhysical.set(3221225472u, 0); },
         [](const CSystemInfo &i) { return i.getTotalPhysicalMemoryText(); }, "3,072 MB"},
        {"4 GiB of memory, high word only", [](SystemInfoTree &t) { t.memory.freePhysical.set(0, 1); },
         [](const CSystemInfo &i) { return i.getFreePhysicalMemoryText(); }, "4,096 MB"},
        {"clock beyond 32 bits of Hz", [](SystemInfoTree &t) {
             CpuSlot slot;
             slot.internalClock.set64(5000ull << 20);
             t.cpu.slots.clear();
             t.cpu.slots.append(slot);
         }, mhz, "5000|5000 MHz"},
        {"clock below one MHz", [](SystemInfoTree &t) {
             CpuSlot slot;
             slot.internalClock.set64((1ull << 20) - 1);
             t.cpu.slots.clear();
             t.cpu.slots.append(slot);
         }, mhz, "0|0 MHz"},
        {"first of two devices of one name", [&](SystemInfoTree &t) {
             t.directDraw.displayDevices.clear();
             t.directDraw.displayDevices.append(display("Voodoo", 16, "4.13"));
             t.directDraw.displayDevices.append(display("Voodoo", 32, "5.00"));
         },
         [](const CSystemInfo &i) {
             return i.getVideoMemoryText("Voodoo") + "|" + i.getTextureMemoryText("Voodoo") + "|" +
                    i.getDriverVersionText("Voodoo");
         },
         "16 MB|8 MB|4.13"},
        {"name differing in case only", [](SystemInfoTree &) {},
         [](const CSystemInfo &i) {
             return i.getVideoMemoryText("geforce3") + "|" + i.getTextureMemoryText("GEFORCE3") + "|" +
                    i.getDriverVersionText("GeForce3 ");
         },
         "Undetected|Undetected|Unknown"},
        {"empty name finds the unnamed device", [&](SystemInfoTree &t) {
             t.directDraw.displayDevices.append(display("", 128, "9.9"));
         },
         [](const CSystemInfo &i) { return i.getVideoMemoryText("") + "|" + i.getDriverVersionText(""); },
         "128 MB|9.9"},
        {"no processor", [](SystemInfoTree &t) { t.cpu.slots.clear(); },
         [&](const CSystemInfo &i) { return mhz(i) + "|" + i.getProcessorName() + "|" + l1(i); },
         "0|Undetected|Undetected|Undetected"},
    };
    for (const GetterCase &c : cases) {
        SCOPED_TRACE(c.name);
        const CSystemInfo info = build(machineWith(c.edit));
        EXPECT_EQ(c.get(info), c.want);
    }
}

} // namespace
