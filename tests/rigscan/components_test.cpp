#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "blockbuilder.h"
#include "components.h"
#include "kvs_streammemory.h"
#include "samplemachine.h"

using namespace KV_Rigscan;

namespace {

Block version(unsigned major = 0, unsigned minor = 0, const std::string &text = "")
{
    Block b;
    return b.u32(major).u32(minor).text(text);
}

Block capacity(unsigned long long v = 0)
{
    Block b;
    return b.u64(v);
}

// The members of the root and of every component of a freshly built tree.
Block defaultTree(bool legacy)
{
    Block b;
    b.append(version()).u32(0).text("");
    b.chunk(7, Block().u32(0));
    Block directX = version();
    directX.chunk(3, version().u32(0));
    directX.chunk(4, version().u32(0));
    b.chunk(2, directX);
    b.chunk(6, capacity().append(capacity()).append(capacity()).append(capacity()).u32(0));
    Block board;
    board.text("").text("").append(version()).text("").append(version()).text("").u32(0).u32(0).u32(0);
    if (!legacy)
        board.append(version()).u32(0).u32(0).append(capacity()).u32(0).u32(0);
    b.chunk(8, board);
    b.chunk(10, Block().u32(0));
    if (!legacy)
        b.chunk(11, Block().u32(0));
    Block windows;
    windows.text("").append(version());
    if (!legacy)
        windows.text("<unknown>").text("<unknown>");
    windows.u32(0).u32(0).u32(0);
    b.chunk(9, windows);
    if (!legacy)
        b.chunk(0, Block().u32(0));
    return b;
}

TEST(Components, DefaultTreeWritesTheImpliedBytes)
{
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy" : "current");
        SystemInfoTree tree(legacy);
        const Block expected = defaultTree(legacy);
        EXPECT_EQ(sample::blockOf(tree), expected.bytes);
        EXPECT_EQ(tree.size(), expected.size());
        // ... and reads them back.
        SystemInfoTree back(legacy);
        back.read(expected.data(), expected.size());
        EXPECT_EQ(sample::blockOf(back), expected.bytes);
    }
}

// Records what a tree shows: for every value, its owner's identifier, label,
// state and text; and the names of the containers in order.
class Dump : public BaseOutputStream {
public:
    BaseOutputStream &operator<<(const BaseContainer &c) override
    {
        containers.push_back(c.getName());
        owners.push_back(c.getID());
        c.writeToStream(*this);
        owners.pop_back();
        return *this;
    }
    BaseOutputStream &operator<<(const Datatype &v) override
    {
        const std::string key = std::to_string(owners.back()) + ":" + v.getName();
        values.push_back(key + "=" + v.toString());
        states.emplace(key, v.getState());
        return *this;
    }
    BaseOutputStream &operator<<(const ChunkHeader &) override { return *this; }
    BaseOutputStream &operator<<(const BaseList &l) override
    {
        owners.push_back(l.getID());
        l.writeToStream(*this);
        owners.pop_back();
        return *this;
    }
    BaseOutputStream &operator<<(const BaseList::Length &) override { return *this; }

    std::vector<std::string> containers;
    std::vector<std::string> values;
    std::multimap<std::string, unsigned> states;
    std::vector<int> owners;
};

Dump dump(const SystemInfoTree &tree)
{
    Dump d;
    d << static_cast<const BaseContainer &>(tree.root);
    return d;
}

TEST(Components, SampleMachineRoundTripsInBothLayouts)
{
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy" : "current");
        SystemInfoTree tree(legacy);
        sample::fillMachine(tree);
        const std::vector<unsigned char> block = sample::blockOf(tree);
        SystemInfoTree back(legacy);
        back.read(block.data(), static_cast<unsigned>(block.size()));
        EXPECT_EQ(sample::blockOf(back), block);
        if (!legacy) {
            EXPECT_EQ(dump(tree).values, dump(back).values);
        } else {
            // The older layout carries the family code alone, so its decoded text shows.
            EXPECT_STREQ(back.cpu.slots.front().getName(), "GenuineIntel Pentium\xAE III");
        }
    }
}

TEST(Components, SampleMachineShowsItsNamesAndTexts)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    const std::vector<unsigned char> block = sample::blockOf(tree);
    SystemInfoTree back;
    back.read(block.data(), static_cast<unsigned>(block.size()));
    const Dump d = dump(back);
    const std::vector<std::string> containers = {
        "System Info", "CPU Info", "GenuineIntel Intel\xAE Pentium\xAE III processor", "L1 Cache", "L2 Cache",
        "DirectX Info", "DirectDraw Info", "GeForce3", "DirectShow Info", "Memory Info", "Memory Array",
        "256 MB DIMM", "256 MB DIMM", "<free>", "Motherboard Info", "AGP [AGP]", "PCI [PCI1]", "PCI",
        "VT82C694X System Controller", "VT82C686 PCI to ISA Bridge", "AGP Capabilities", "Monitor Info",
        "Plug and Play Monitor", "Power Supply Info", "Battery", "Operating System Info", "Hard Disk Info",
        "\\\\.\\PHYSICALDRIVE0",
    };
    EXPECT_EQ(d.containers, containers);
    const std::vector<std::string> someValues = {
        "1:System Info Version=2.1",
        "1:Installation ID=0x5a3c9f01",
        "15:Internal Clock=1000 MHz",
        "14:Capacity=256 KB",
        "16:Driver WHQL Certified=Yes",
        "17:=1024x768x32-bit RGB [888] @ 85 Hz",
        "17:=FourCC [DXT1]",
        "6:Total Pagefile Memory=4 GB",
        "19:Installed & Enabled Size=256 MB",
        "13:Device Vendor ID=0x1102",
        "13:IRQ=11 ",
        "9:Service Pack=Service Pack 1",
        "22:Design capacity=4400mAHr",
        "12:Capacity=38.35 GB",
    };
    for (const std::string &v : someValues)
        EXPECT_NE(std::find(d.values.begin(), d.values.end(), v), d.values.end()) << v;
}

TEST(Components, ResetGivesEveryRoleItsState)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    const Dump d = dump(tree);
    const std::vector<std::pair<std::string, unsigned>> roles = {
        {"21:Name", 1},
        {"9:Operating System", 2},
        {"15:Manufacturer", 3},
        {"15:Internal Clock", 4},
        {"15:Family", 5},
        {"16:Name", 6},
        {"6:Total Physical Memory", 7},
        {"6:Free Physical Memory", 8},
        {"8:Manufacturer", 9},
        {"8:Model", 10},
        {"1:OEM ID", 11},
        {"1:Installation ID", 12},
        {"16:3D Capabilities", 13},
        {"19:Type", 16},
        {"19:Type Details", 17},
        {"19:Installed & Enabled Size", 18},
        {"19:Enabled Size", 19},
        {"19:Total Bit Width", 20},
        {"19:Data Bit Width", 21},
        {"19:Manufacturer", 22},
        {"3:DirectDraw Version ", 23},
        {"4:DirectShow Version", 24},
        {"21:Max Width", 25},
        {"21:Max Height", 26},
        {"16:Manufacturer", 0},
        {"8:BIOS Vendor", 0},
        {"9:Version", 0},
    };
    for (const auto &[key, state] : roles) {
        auto range = d.states.equal_range(key);
        ASSERT_NE(range.first, range.second) << key;
        for (auto it = range.first; it != range.second; ++it)
            EXPECT_EQ(it->second, state) << key;
    }
}

TEST(Components, FreshTreeShowsResetTexts)
{
    SystemInfoTree tree;
    const Dump d = dump(tree);
    for (const char *v : {"9:Service Pack=<unknown>", "9:Locale=<unknown>", "9:Operating System=", "8:Version=N/A",
                          "23:Rate=<unknown>", "23:Aperture Size=0  bytes"})
        EXPECT_NE(std::find(d.values.begin(), d.values.end(), v), d.values.end()) << v;
    EXPECT_EQ(DisplayDevice().whqlCertified.toString(), "N/A");
    PhysicalHDD disk;
    EXPECT_STREQ(disk.getName(), "<unknown>");
    for (const String *s : {&disk.manufacturer, &disk.model, &disk.interfaceType})
        EXPECT_EQ(s->get(), "<unknown>");
    EXPECT_EQ(disk.capacity.get64(), 0u);
}

TEST(Components, LayoutMismatchIsAHierarchyError)
{
    for (bool blockLegacy : {false, true}) {
        const std::vector<unsigned char> block = sample::machineBlock(blockLegacy);
        SystemInfoTree tree(!blockLegacy);
        try {
            tree.read(block.data(), static_cast<unsigned>(block.size()));
            FAIL() << "a block read in the other layout must fail";
        } catch (const SIException &e) {
            EXPECT_STREQ(e.getMessage(), "Mismatching stream and container hierarchies");
        } catch (const KVS_exceptionStreamUnderflow &) {
            // members read in the wrong sequence may run out first
        }
        EXPECT_FALSE(legacyLayout) << "the switch is put back when the read fails";
    }
}

TEST(Components, BlocksInAnotherChildOrderAreRejected)
{
    Block b;
    b.append(version()).u32(0).text("");
    Block directX = version();
    directX.chunk(3, version().u32(0));
    directX.chunk(4, version().u32(0));
    b.chunk(2, directX);
    b.chunk(7, Block().u32(0));
    SystemInfoTree tree;
    EXPECT_THROW(tree.read(b.data(), b.size()), SIException);
}

TEST(Components, EachTreeKeepsItsOwnLayout)
{
    SystemInfoTree legacyTree(true), currentTree(false);
    sample::fillMachine(legacyTree);
    sample::fillMachine(currentTree);
    {
        // Whatever the switch says, a tree writes in its own layout.
        SwitchGuard wrong(legacyLayout, true);
        EXPECT_EQ(sample::blockOf(currentTree), sample::machineBlock(false));
    }
    EXPECT_EQ(sample::blockOf(legacyTree), sample::machineBlock(true));
    EXPECT_FALSE(legacyLayout);
}

TEST(Components, TextRenderingLeavesOutAGPButBlocksKeepIt)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    const std::vector<unsigned char> plain = sample::blockOf(tree);
    auto hasAGP = [](const Dump &d) {
        return std::find(d.containers.begin(), d.containers.end(), "AGP Capabilities") != d.containers.end();
    };
    EXPECT_TRUE(hasAGP(dump(tree)));
    {
        SwitchGuard rendering(textExport, true);
        EXPECT_FALSE(hasAGP(dump(tree)));
        EXPECT_EQ(sample::blockOf(tree), plain);
    }
    EXPECT_FALSE(textExport);
}

template <class R>
R readRecord(const Block &b, bool legacy)
{
    SwitchGuard layout(legacyLayout, legacy);
    R record;
    KVS_streamInputMemory memory(b.data(), b.size());
    auto adapter = memory.applyFilter(FeedthroughAdapter());
    adapter >> static_cast<BaseContainer &>(record);
    EXPECT_EQ(memory.getRemaining(), 0u) << "the record reads exactly its members";
    return record;
}

template <class R>
std::vector<unsigned char> writeRecord(const R &r, bool legacy)
{
    SwitchGuard layout(legacyLayout, legacy);
    KVS_streamOutputMemory memory(4096);
    auto adapter = memory.applyFilter(FeedthroughAdapter());
    adapter << static_cast<const BaseContainer &>(r);
    return std::vector<unsigned char>(memory.getBuffer(), memory.getBuffer() + memory.getLength());
}

Block cardSlotBlock(bool legacy)
{
    Block b;
    b.u32(3).text("J1").u32(4).u32(0x3).u32(32).u32(0x2).u32(5).text("Sound card");
    if (legacy)
        b.u32(0xCAFE);
    b.text("Creative").text("2001-06-22");
    if (!legacy)
        b.u16(0x1102).u16(0x0002).u32(0x80611102u).u8(7).u8(11);
    return b;
}

TEST(Records, CardSlotInBothLayouts)
{
    const CardSlot current = readRecord<CardSlot>(cardSlotBlock(false), false);
    EXPECT_STREQ(current.getName(), "PCI [J1]");
    EXPECT_EQ(current.deviceManufacturer.get(), "Creative");
    EXPECT_EQ(current.deviceSubSystemID.toString(), "0x80611102");
    EXPECT_EQ(current.irq.get(), 11);
    EXPECT_EQ(current.legacyWord.get(), 0u);
    EXPECT_EQ(writeRecord(current, false), cardSlotBlock(false).bytes);

    CardSlot legacy = readRecord<CardSlot>(cardSlotBlock(true), true);
    EXPECT_EQ(legacy.legacyWord.get(), 0xCAFEu);
    EXPECT_EQ(legacy.deviceDriverDate.get(), "2001-06-22");
    for (unsigned v : {unsigned(legacy.deviceVendorID.get()), unsigned(legacy.deviceID.get()),
                       legacy.deviceSubSystemID.get(), unsigned(legacy.deviceRevision.get()), unsigned(legacy.irq.get())})
        EXPECT_EQ(v, 0u);
    EXPECT_EQ(writeRecord(legacy, true), cardSlotBlock(true).bytes);
    // A reused record never carries the legacy word over.
    legacy.reset();
    EXPECT_EQ(legacy.legacyWord.get(), 0u);
}

Block displayDeviceBlock(bool legacy)
{
    Block b;
    b.text("desc").text("maker").text("Card").append(capacity(64ull << 20)).append(capacity()).append(capacity())
        .text("drv.dll").text("1.2.3");
    if (!legacy)
        b.text("Yes");
    b.u32(2048).u32(2048).u32(6).u32(8).u32(4).u32(2).append(version(1, 1)).append(version(0, 0, "none"))
        .u32(4).u32(8).u16(0x10DE).u16(0x0200).u32(0x12345678).u8(0xA3);
    if (legacy)
        b.u8(0x5C);
    b.u32(1).u32(800).u32(600).u64(60).u32(16).u32(PixelFormat::RGB).u32(11).u32(5).u32(5).u32(6).u32(0).u32(5);
    b.u32(0);
    b.u32(52).raw({0x01, 0, 0, 0, 0, 0, 0x08});
    return b;
}

TEST(Records, DisplayDeviceInBothLayouts)
{
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy" : "current");
        const Block b = displayDeviceBlock(legacy);
        const DisplayDevice d = readRecord<DisplayDevice>(b, legacy);
        EXPECT_STREQ(d.getName(), "Card");
        EXPECT_EQ(d.whqlCertified.get(), legacy ? "N/A" : "Yes");
        EXPECT_EQ(d.legacyByte.get(), legacy ? 0x5C : 0);
        EXPECT_STREQ(d.legacyByte.getName(), "");
        EXPECT_EQ(d.pixelShader.toString(), "none");
        EXPECT_EQ(d.revision.toString(), "0xa3");
        ASSERT_EQ(d.displayModes.count(), 1u);
        EXPECT_EQ(d.displayModes.front().toString(), "800x600x16-bit RGB [565] @ 60 Hz");
        EXPECT_TRUE(d.textureFormats.empty());
        EXPECT_EQ(d.caps.toString(), "AGP Texturing, DXT Compressed Textures");
        EXPECT_EQ(writeRecord(d, legacy), b.bytes);
    }
}

TEST(Records, EmptyDisplayDeviceWritesTwoZeroCountsBeforeItsCapabilities)
{
    const std::vector<unsigned char> bytes = writeRecord(DisplayDevice(), false);
    const std::vector<unsigned char> tail(bytes.end() - (8 + 4 + 7), bytes.end());
    EXPECT_EQ(tail, (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0, 52, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

Block cpuSlotBlock(bool legacy, unsigned long long clock)
{
    Block b;
    b.text("AuthenticAMD").u32(23);
    if (!legacy)
        b.text("");
    b.u64(clock).u64(clock).u64(100ull << 20).text("Socket A").u32(1).u32(12).u32(0x19)
        .append(version(6, 4)).u32(0x642);
    b.u32(1).u16(2).append(capacity(256 * 1024)).u32(0x3).u32(0x80).u32(0x4).u32(6);
    return b;
}

TEST(Records, CpuSlotNamesAndTheLegacyFamily)
{
    struct Case {
        bool legacy;
        unsigned long long clock;
        const char *name;
    };
    for (const Case &c : {Case{false, 0, "<free>"}, Case{false, 1048575, "<free>"},
                          Case{false, 1048576, "AuthenticAMD Athlon(tm)"}, Case{true, 1400ull << 20, "AuthenticAMD Athlon(tm)"},
                          Case{false, 1ull << 52, "<free>"}}) {
        SCOPED_TRACE(c.name);
        const Block b = cpuSlotBlock(c.legacy, c.clock);
        const CpuSlot slot = readRecord<CpuSlot>(b, c.legacy);
        EXPECT_STREQ(slot.getName(), c.name);
        EXPECT_EQ(slot.socketDesignation.get(), "Socket A");
        EXPECT_EQ(slot.capabilities.toString(), "MMX, 3DNow!, Extended 3DNow!");
        ASSERT_EQ(slot.caches.count(), 1u);
        EXPECT_STREQ(slot.caches.front().getName(), "L2 Cache");
        EXPECT_EQ(slot.caches.front().getCapacity().toString(), "256 KB");
        EXPECT_EQ(slot.caches.front().getLevel().get(), 2);
        EXPECT_EQ(writeRecord(slot, c.legacy), b.bytes);
    }
}

TEST(Records, MemorySlotAndArray)
{
    Block slotBytes;
    slotBytes.append(capacity(128ull << 20)).u32(11).u64(100ull << 20).text("SO-DIMM 0").text("Micron").u32(13)
        .u32(0x80).append(capacity(128ull << 20)).u32(64).u32(64);
    Block arrayBytes;
    arrayBytes.append(capacity(1ull << 30)).u32(1).u32(3).u32(1).u32(0x3).u32(0x80000).u32(0x2).u32(2)
        .append(slotBytes).append(capacity()).u32(0).u64(0).text("").text("").u32(0).u32(0).append(capacity())
        .u32(0).u32(0);
    const MemoryArray array = readRecord<MemoryArray>(arrayBytes, false);
    ASSERT_EQ(array.slots.count(), 2u);
    EXPECT_STREQ(array.slots.front().getName(), "128 MB SODIMM");
    EXPECT_STREQ(array.slots.back().getName(), "<free>");
    EXPECT_EQ(array.slots.front().getType().toString(), "SDRAM");
    EXPECT_STREQ(array.getName(), "Memory Array");
    EXPECT_EQ(writeRecord(array, false), arrayBytes.bytes);

    MemorySlot freeSlot;
    freeSlot.setManufacturer("Micron");
    freeSlot.setFormFactor(7);
    EXPECT_STREQ(freeSlot.getName(), "<free>");
}

TEST(Records, MotherboardDeviceLegacyRevision2)
{
    for (bool legacy : {false, true}) {
        Block b;
        b.text("Host bridge").text("VIA").u16(0x1106).u16(0xFFFF).u32(0).u8(0xC4);
        if (legacy)
            b.u8(0xC5);
        const MotherboardDevice d = readRecord<MotherboardDevice>(b, legacy);
        EXPECT_STREQ(d.getName(), "Host bridge");
        EXPECT_EQ(d.deviceID.toString(), "0xffff");
        EXPECT_EQ(d.revision2.get(), legacy ? 0xC5 : 0);
        EXPECT_EQ(writeRecord(d, legacy), b.bytes);
    }
}

TEST(Records, MonitorDiskAndBattery)
{
    Block monitorBytes;
    monitorBytes.text("Panel").text("Maker").u32(1600).u32(1200);
    const Monitor m = readRecord<Monitor>(monitorBytes, false);
    EXPECT_STREQ(m.getName(), "Panel");
    EXPECT_EQ(m.maxHeight.get(), 1200u);

    Block diskBytes;
    diskBytes.text("Disk0").text("IBM").append(capacity(40ull << 30)).text("DTLA").text("IDE");
    const PhysicalHDD disk = readRecord<PhysicalHDD>(diskBytes, false);
    EXPECT_STREQ(disk.getName(), "Disk0");
    EXPECT_EQ(disk.interfaceType.get(), "IDE");
    EXPECT_EQ(writeRecord(disk, false), diskBytes.bytes);

    Block batteryBytes;
    batteryBytes.text("Main").u32(4).text("LION").i32(4400).i32(14800);
    const Battery battery = readRecord<Battery>(batteryBytes, false);
    EXPECT_STREQ(battery.getName(), "Battery");
    EXPECT_EQ(battery.designCapacity.toString(), "4400mAHr");
    EXPECT_EQ(battery.designVoltage.toString(), "14800mV");
    EXPECT_EQ(writeRecord(battery, false), batteryBytes.bytes);
}

TEST(Records, LegacyOperatingSystemAndMotherboardChunks)
{
    Block b;
    b.append(version()).u32(0).text("");
    b.chunk(7, Block().u32(0));
    Block directX = version();
    directX.chunk(3, version().u32(0));
    directX.chunk(4, version().u32(0));
    b.chunk(2, directX);
    b.chunk(6, capacity().append(capacity()).append(capacity()).append(capacity()).u32(0));
    Block board;
    board.text("Board maker").text("").append(version()).text("").append(version()).text("").u32(0).u32(0).u32(0);
    b.chunk(8, board);
    b.chunk(10, Block().u32(0));
    b.chunk(9, Block().text("Windows 98").append(version(4, 10)).u32(1024).u32(768).u32(16));
    SystemInfoTree tree(true);
    tree.read(b.data(), b.size());
    EXPECT_EQ(tree.windows.servicePack.get(), "<unknown>");
    EXPECT_EQ(tree.windows.locale.get(), "<unknown>");
    EXPECT_EQ(tree.windows.desktopWidth.get(), 1024u);
    EXPECT_EQ(tree.windows.desktopBPP.get(), 16u);
    EXPECT_EQ(tree.motherboard.manufacturer.get(), "Board maker");
    EXPECT_EQ(tree.motherboard.agp.rate.toString(), "<unknown>");
    EXPECT_EQ(tree.battery.getParent(), nullptr);
    EXPECT_EQ(tree.hdd.getParent(), nullptr);
}

TEST(Records, CopiesShareNothing)
{
    CpuSlot original = readRecord<CpuSlot>(cpuSlotBlock(false, 1ull << 30), false);
    CpuSlot copy = original;
    original.caches.clear();
    original.manufacturer.set("changed");
    EXPECT_EQ(copy.caches.count(), 1u);
    EXPECT_STREQ(copy.getName(), "AuthenticAMD Athlon(tm)");
    EXPECT_STREQ(original.getName(), "changed Athlon(tm)");
}

TEST(Records, IdentifiersAndLabels)
{
    EXPECT_EQ(PhysicalHDD().getID(), 12);
    EXPECT_EQ(CardSlot().getID(), 13);
    EXPECT_EQ(CpuCache().getID(), 14);
    EXPECT_EQ(CpuSlot().getID(), 15);
    EXPECT_EQ(DisplayDevice().getID(), 16);
    EXPECT_EQ(MemoryArray().getID(), 18);
    EXPECT_EQ(MemorySlot().getID(), 19);
    EXPECT_EQ(MotherboardDevice().getID(), 20);
    EXPECT_EQ(Monitor().getID(), 21);
    EXPECT_EQ(Battery().getID(), 22);
    EXPECT_EQ(AGPCap().getID(), 23);
    SystemInfoTree t;
    const std::vector<std::pair<const BaseComponent *, int>> ids = {
        {&t.root, 1}, {&t.directX, 2}, {&t.directDraw, 3}, {&t.directShow, 4}, {&t.memory, 6}, {&t.cpu, 7},
        {&t.motherboard, 8}, {&t.windows, 9}, {&t.monitor, 10}, {&t.battery, 11}, {&t.hdd, 0}};
    for (auto [c, id] : ids)
        EXPECT_EQ(c->getID(), id) << c->getName();
    EXPECT_STREQ(t.directDraw.version.getName(), "DirectDraw Version ");
    EXPECT_STREQ(t.directShow.filters.getName(), "Registered DirectShow Filters");
    EXPECT_STREQ(t.motherboard.agp.getName(), "AGP Capabilities");
    EXPECT_STREQ(t.hdd.disks.getName(), "Hard disks");
}

} // namespace
