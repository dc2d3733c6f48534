#include "samplemachine.h"

#include <cstdint>
#include <string>
#include <vector>

#include "kvs_streammemory.h"

using namespace KV_Rigscan;

namespace sample {

namespace {

String text(const char *s)
{
    String v;
    v.set(s);
    return v;
}

Resolution mode(unsigned w, unsigned h, unsigned bits, unsigned hz)
{
    Resolution r;
    r.width = w;
    r.height = h;
    r.bitCount = bits;
    r.flags = PixelFormat::RGB;
    const unsigned green = bits == 16 ? 6 : 8, other = bits == 16 ? 5 : 8;
    r.masks[PixelFormat::RedMask].set(green + other, other);
    r.masks[PixelFormat::GreenMask].set(other, green);
    r.masks[PixelFormat::BlueMask].set(0, other);
    r.refresh.set(hz, 0);
    return r;
}

PixelFormat textureFormat(unsigned bits, unsigned flags, unsigned alpha, unsigned colour, unsigned fourCC = 0)
{
    PixelFormat f;
    f.bitCount = bits;
    f.flags = flags;
    f.masks[PixelFormat::AlphaMask].set(3 * colour, alpha);
    f.masks[PixelFormat::RedMask].set(2 * colour, colour);
    f.masks[PixelFormat::GreenMask].set(colour, colour);
    f.masks[PixelFormat::BlueMask].set(0, colour);
    f.fourCC = fourCC;
    return f;
}

CpuCache cache(short level, unsigned kb, unsigned type, unsigned assoc)
{
    CpuCache c;
    c.setLevel(level);
    c.setCapacity(kb * 1024, 0);
    c.setType(type);
    c.setTypeDetails(1u << 7);
    c.setErrorCorrectionType(1u << 2);
    c.setAssociativity(assoc);
    return c;
}

// What the modules of one machine are.
struct MemoryKind {
    const char *manufacturer;
    unsigned type;        // 13 SDRAM, 15 RDRAM, 16 DDR
    unsigned typeDetails; // bit 6 RAMBUS, bit 7 synchronous
    unsigned mhz;
    unsigned formFactor;  // 7 DIMM, 10 RIMM
    unsigned bitWidth;
};

const MemoryKind pc133Sdram{"Kingmax", 13, 1u << 7, 133, 7, 64};

MemorySlot module(const char *slot, unsigned mb, const MemoryKind &kind = pc133Sdram)
{
    MemorySlot m;
    m.setSlot(slot);
    m.setManufacturer(kind.manufacturer);
    m.setType(kind.type);
    m.setTypeDetails(kind.typeDetails);
    Frequency f;
    f.set64(std::uint64_t(kind.mhz) << 20);
    m.setFrequency(f);
    m.setInstalledSize(mb << 20, 0);
    m.setEnabledSize(mb << 20, 0);
    m.setFormFactor(kind.formFactor);
    m.setTotalBitWidth(kind.bitWidth);
    m.setDataBitWidth(kind.bitWidth);
    return m;
}

// What sits in a card slot.
struct SlotDevice {
    unsigned deviceClass; // 5 display adapter, 14 sound, video or game controller
    const char *name;
    const char *manufacturer;
    const char *driverDate;
    unsigned short vendor;
    unsigned short id;
    unsigned subsystem;
    unsigned char revision;
    unsigned char irq;
};

const SlotDevice soundBlasterLive{14, "Sound Blaster Live!", "Creative Labs", "6-22-2001", 0x1102, 0x0002,
                                  0x80611102u, 0x07, 10};

CardSlot cardSlot(unsigned number, const char *designation, unsigned type, const SlotDevice *device)
{
    const bool agp = type >= 13 && type <= 15;
    CardSlot s;
    s.number.set(number);
    s.designation.set(designation);
    s.type.set(type);
    s.characteristics.set(agp ? 0x2 : 0x3); // AGP runs at 3.3 V, PCI offers 5 V and 3.3 V
    s.dataBusWidth.set(32);
    s.details.set(device ? 0x2 : 0x1);
    if (device) {
        s.deviceClass.set(device->deviceClass);
        s.deviceName.set(device->name);
        // The older layout's word: the device's PCI identifier, device above vendor.
        s.legacyWord.set(unsigned(device->id) << 16 | device->vendor);
        s.deviceManufacturer.set(device->manufacturer);
        s.deviceDriverDate.set(device->driverDate);
        s.deviceVendorID.set(device->vendor);
        s.deviceID.set(device->id);
        s.deviceSubSystemID.set(device->subsystem);
        s.deviceRevision.set(device->revision);
        s.irq.set(device->irq);
    }
    return s;
}

MotherboardDevice device(const char *description, unsigned short vendor, unsigned short id, unsigned char revision,
                         const char *manufacturer = "VIA Technologies, Inc.")
{
    MotherboardDevice d;
    d.description.set(description);
    d.manufacturer.set(manufacturer);
    d.vendorID.set(static_cast<short>(vendor));
    d.deviceID.set(static_cast<short>(id));
    d.subsystemID.set(0);
    d.revision.set(revision);
    d.revision2.set(revision);
    return d;
}

} // namespace

void fillMachine(SystemInfoTree &t)
{
    t.root.version.set(2, 1, nullptr);
    t.root.installationID.set(0x5A3C9F01u);
    t.root.oemID.set("Scorvista Lab Rig 7");

    CpuSlot cpu;
    cpu.manufacturer.set("GenuineIntel");
    cpu.family.set(15, "Intel\xAE Pentium\xAE III processor");
    cpu.internalClock.set64(1000ull << 20);
    cpu.internalClockMax.set64(1000ull << 20);
    cpu.externalClock.set64(133ull << 20);
    cpu.socketDesignation.set("Socket 370");
    cpu.type.set(1);
    cpu.upgrade.set(8);
    cpu.capabilities.set(0x27);          // MMX, CMov, RDTSC, SSE
    cpu.version.set(6, 8, "Model 8, Stepping 3");
    cpu.cpuid.set(0x00000683u);
    cpu.caches.append(cache(1, 32, 0x3, 3));
    cpu.caches.append(cache(2, 256, 0x3, 5));
    t.cpu.slots.append(cpu);

    t.directX.version.set(8, 1, "8.1");
    t.directDraw.version.set(8, 1, nullptr);
    DisplayDevice display;
    display.description.set("NVIDIA GeForce3");
    display.manufacturer.set("NVIDIA");
    display.name.set("GeForce3");
    display.videoMemory.set(64u << 20, 0);
    display.textureMemory.set(56u << 20, 0);
    display.agpMemory.set(64u << 20, 0); // the board's aperture
    display.driver.set("nv4_disp.dll");
    display.driverVersion.set("6.13.10.2311");
    display.whqlCertified.set("Yes");
    display.maxTextureWidth.set(4096);
    display.maxTextureHeight.set(4096);
    display.maxClippingPlanes.set(4);
    display.maxActiveLights.set(8);
    display.maxBlendStages.set(8);
    display.texturesPerPass.set(4);
    display.vertexShader.set(1, 1, nullptr);
    display.pixelShader.set(1, 1, nullptr);
    display.maxVertexBlendMatrices.set(4);
    display.maxTextureCoordinates.set(8);
    display.vendorID.set(0x10DE);
    display.deviceID.set(0x0200);
    display.subSystemID.set(0x00000000u);
    display.revision.set(0xA3);
    display.legacyByte.set(0x01);
    display.displayModes.append(mode(640, 480, 16, 85));
    display.displayModes.append(mode(1024, 768, 32, 85));
    display.displayModes.append(mode(1280, 1024, 32, 75));
    display.textureFormats.append(textureFormat(32, PixelFormat::Alpha | PixelFormat::RGB, 8, 8));
    display.textureFormats.append(textureFormat(16, PixelFormat::RGB, 0, 5));
    display.textureFormats.append(textureFormat(0, PixelFormat::FourCC, 0, 0, 0x31545844));
    for (unsigned bit : {0u, 3u, 13u, 14u, 17u, 19u, 24u, 33u, 35u, 50u, 51u})
        display.caps.setBit(bit);
    t.directDraw.displayDevices.append(display);
    t.directShow.version.set(6, 3, nullptr);
    t.directShow.filters.append(text("DV Splitter"));
    t.directShow.filters.append(text("MPEG-2 Demultiplexer"));

    t.memory.totalPhysical.set(512u << 20, 0);
    t.memory.freePhysical.set(301u << 20, 0);
    t.memory.totalPagefile.set(0, 1);
    t.memory.freePagefile.set(3000u << 20, 0);
    MemoryArray array;
    array.maxModuleCapacity.set(512u << 20, 0);
    array.location.set(1);
    array.use.set(1);
    array.errorCorrection.set(1);
    array.speeds.set(0); // the list knows only the access times of asynchronous memory
    array.types.set(1u << 19 | 1u << 20);
    array.voltages.set(0x2);
    array.slots.append(module("DIMM 1", 256));
    array.slots.append(module("DIMM 2", 256));
    array.slots.append(MemorySlot());
    t.memory.arrays.append(array);

    t.motherboard.manufacturer.set("ASUSTeK Computer Inc.");
    t.motherboard.model.set("CUV4X");
    t.motherboard.version.set(1, 4, nullptr);
    t.motherboard.biosVendor.set("Award Software, Inc.");
    t.motherboard.biosVersion.set(0, 0, "ASUS CUV4X ACPI BIOS Revision 1007");
    t.motherboard.biosReleaseDate.set("03/13/2001");
    t.motherboard.biosProperties.set(0x7);
    const SlotDevice card{5, "NVIDIA GeForce3", "NVIDIA", "11-5-2001", 0x10DE, 0x0200, 0, 0xA3, 11};
    t.motherboard.cardSlots.append(cardSlot(1, "AGP", 13, &card));
    t.motherboard.cardSlots.append(cardSlot(2, "PCI1", 4, &soundBlasterLive));
    t.motherboard.cardSlots.append(cardSlot(3, "", 4, nullptr));
    t.motherboard.devices.append(device("VT82C694X System Controller", 0x1106, 0x0691, 0xC4));
    t.motherboard.devices.append(device("VT82C686 PCI to ISA Bridge", 0x1106, 0x0686, 0x40));
    t.motherboard.agp.revision.set(2, 0, nullptr);
    t.motherboard.agp.rate.set(0x7, 4);
    t.motherboard.agp.apertureSize.set(64u << 20, 0);
    t.motherboard.agp.sidebandAddressing.set(3);
    t.motherboard.agp.fastWrite.set(1);

    Monitor monitor;
    monitor.name.set("Plug and Play Monitor");
    monitor.manufacturer.set("(Standard monitor types)");
    monitor.maxWidth.set(1600);
    monitor.maxHeight.set(1200);
    t.monitor.monitors.append(monitor);

    Battery battery;
    battery.name.set("Primary");
    battery.chemistry.set(4, "LION");
    battery.designCapacity.set(4400);
    battery.designVoltage.set(14800);
    t.battery.batteries.append(battery);

    t.windows.operatingSystem.set("Microsoft Windows XP Professional");
    t.windows.version.set(5, 1, nullptr);
    t.windows.servicePack.set("Service Pack 1");
    t.windows.locale.set("Finnish");
    t.windows.desktopWidth.set(1024);
    t.windows.desktopHeight.set(768);
    t.windows.desktopBPP.set(32);

    PhysicalHDD disk;
    disk.name.set("\\\\.\\PHYSICALDRIVE0");
    disk.manufacturer.set("IBM");
    disk.capacity.set64(41174138880ull);
    disk.model.set("IC35L040AVER07-0");
    disk.interfaceType.set("IDE");
    t.hdd.disks.append(disk);
}

namespace {

struct ProcessorKind {
    const char *manufacturer;
    unsigned familyCode;     // the decoders' list: 13 Celeron, 15 Pentium III, 23 Athlon, 42 Pentium 4
    const char *familyText;  // empty: the decoded code stands
    unsigned mhz;
    unsigned busMhz;
    const char *socket;
    unsigned upgrade;        // 5 ZIF socket, 8 370 pin socket, 12 Socket A
    unsigned capabilities;   // from bit 0: MMX, CMov, RDTSC, 3DNow!, Extended 3DNow!, SSE, SSE2
    int family;
    int model;
    const char *stepping;
    unsigned cpuid;
    unsigned l1KB;
    unsigned l1Type;         // bit 0 instruction, bit 1 data
    unsigned l1Associativity;
    unsigned l2KB;
    unsigned l2Associativity;
};

void setProcessor(CpuSlot &cpu, const ProcessorKind &p)
{
    cpu.manufacturer.set(p.manufacturer);
    cpu.family.set(p.familyCode, p.familyText);
    cpu.internalClock.set64(std::uint64_t(p.mhz) << 20);
    cpu.internalClockMax.set64(std::uint64_t(p.mhz) << 20);
    cpu.externalClock.set64(std::uint64_t(p.busMhz) << 20);
    cpu.socketDesignation.set(p.socket);
    cpu.upgrade.set(p.upgrade);
    cpu.capabilities.set(p.capabilities);
    cpu.version.set(p.family, p.model, p.stepping);
    cpu.cpuid.set(p.cpuid);
    cpu.caches.clear();
    cpu.caches.append(cache(1, p.l1KB, p.l1Type, p.l1Associativity));
    cpu.caches.append(cache(2, p.l2KB, 0x3, p.l2Associativity));
}

// A texture format of colour channels, blue lowest, and alpha above them.
PixelFormat rgbFormat(unsigned bits, unsigned alpha, unsigned red, unsigned green, unsigned blue)
{
    PixelFormat f;
    f.bitCount = bits;
    f.flags = PixelFormat::RGB | (alpha ? PixelFormat::Alpha : 0u);
    f.masks[PixelFormat::AlphaMask].set(red + green + blue, alpha);
    f.masks[PixelFormat::RedMask].set(green + blue, red);
    f.masks[PixelFormat::GreenMask].set(blue, green);
    f.masks[PixelFormat::BlueMask].set(0, blue);
    return f;
}

// The 3D capability bits of the capability list, by name.
enum Cap : unsigned {
    AgpTexturing = 0,
    HardwareTnL = 3,
    StencilBuffers = 6,
    Anisotropic = 13,
    Bilinear = 14,
    PointSampling = 16,
    Trilinear = 17,
    Dot3 = 19,
    BumpMapping = 22,
    BumpMappingLuminance = 23,
    CubeMapping = 24,
    Rendering16 = 33,
    Rendering32 = 35,
    ZBuffer16 = 37,
    ZBuffer24 = 38,
    WindowRendering = 41,
    RectTriPatches = 44,
    VolumeTextures = 48,
    PointSprites = 49,
    Fsaa = 50,
    Dxt = 51,
};

struct DriverKind {
    const char *file;
    const char *version;
    const char *date;
};

// Detonator drivers of the time, for Windows 2000 and XP and for Windows 98.
const DriverKind detonatorNT{"nv4_disp.dll", "6.13.10.2311", "11-5-2001"};
const DriverKind detonator9x{"nvdisp.drv", "4.12.01.1241", "2-13-2001"};

struct CardKind {
    const char *name; // also the rendering platform of the project
    unsigned videoMB;
    unsigned textureMB;
    unsigned short deviceID;
    unsigned char revision;
    unsigned maxTexture;
    unsigned texturesPerPass;
    int shaderMajor; // 0: fixed function only
    int shaderMinor;
    bool hardwareTnL; // else no hardware lights, clip planes or blend matrices
    unsigned blendMatrices;
    std::vector<unsigned> caps; // beyond those every card here has
    bool compressedTextures;
    DriverKind driver;
};

// What the cards of 2001 here all offer: 16 and 32-bit colour, 16 and 24-bit
// depth with stencil, and filtered AGP texturing.
const std::vector<unsigned> everyCardCaps = {AgpTexturing, StencilBuffers, Bilinear,   PointSampling,  Trilinear,
                                             Rendering16,  Rendering32,    ZBuffer16,  ZBuffer24,      WindowRendering};
const std::vector<unsigned> geforce2Caps = {HardwareTnL, Anisotropic, Dot3, CubeMapping, PointSprites, Fsaa, Dxt};
const std::vector<unsigned> geforce3Caps = {HardwareTnL,    Anisotropic, Dot3,         CubeMapping, BumpMapping,
                                            BumpMappingLuminance, RectTriPatches, VolumeTextures, PointSprites,
                                            Fsaa,           Dxt};

void setCard(DisplayDevice &d, const CardKind &c)
{
    d.description.set(std::string("NVIDIA ") + c.name);
    d.name.set(c.name);
    d.videoMemory.set(c.videoMB << 20, 0);
    d.textureMemory.set(c.textureMB << 20, 0);
    d.driver.set(c.driver.file);
    d.driverVersion.set(c.driver.version);
    d.maxTextureWidth.set(c.maxTexture);
    d.maxTextureHeight.set(c.maxTexture);
    d.maxClippingPlanes.set(c.hardwareTnL ? 4 : 0);
    d.maxActiveLights.set(c.hardwareTnL ? 8 : 0);
    d.texturesPerPass.set(c.texturesPerPass);
    d.vertexShader.set(c.shaderMajor, c.shaderMinor, nullptr);
    d.pixelShader.set(c.shaderMajor, c.shaderMinor, nullptr);
    d.maxVertexBlendMatrices.set(c.hardwareTnL ? c.blendMatrices : 0);
    d.maxTextureCoordinates.set(c.hardwareTnL ? 8 : c.texturesPerPass);
    d.deviceID.set(c.deviceID);
    d.revision.set(c.revision);

    d.displayModes.clear();
    const unsigned modes[][4] = {{640, 480, 16, 60},  {640, 480, 32, 60},  {800, 600, 16, 60},
                                 {800, 600, 32, 60},  {1024, 768, 16, 60}, {1024, 768, 32, 60},
                                 {1024, 768, 32, 85}, {1280, 1024, 32, 75}};
    for (const auto &m : modes)
        d.displayModes.append(mode(m[0], m[1], m[2], m[3]));

    d.textureFormats.clear();
    d.textureFormats.append(rgbFormat(32, 8, 8, 8, 8));
    d.textureFormats.append(rgbFormat(16, 0, 5, 6, 5));
    d.textureFormats.append(rgbFormat(16, 1, 5, 5, 5));
    d.textureFormats.append(rgbFormat(16, 4, 4, 4, 4));
    if (c.compressedTextures)
        for (unsigned fourCC : {0x31545844u, 0x33545844u, 0x35545844u}) // DXT1, DXT3, DXT5
            d.textureFormats.append(textureFormat(0, PixelFormat::FourCC, 0, 0, fourCC));

    d.caps.resize(Hardware3DCaps::namedBits);
    for (unsigned bit : everyCardCaps)
        d.caps.setBit(bit);
    for (unsigned bit : c.caps)
        d.caps.setBit(bit);
}

struct MemoryKit {
    MemoryKind kind;
    const char *slotName;
    std::vector<unsigned> modulesMB; // 0: an empty slot
    unsigned freeMB;
    unsigned supportedTypes;         // bit 6 RAMBUS, bit 19 DIMM, bit 20 SDRAM
    unsigned voltages;               // bit 1 3.3V; 0 for the 2.5 V of DDR and RDRAM, which the list lacks
    unsigned maxModuleMB;
};

void setMemory(MemoryComponent &memory, const MemoryKit &kit)
{
    MemoryArray &array = *memory.arrays.begin();
    array.slots.clear();
    unsigned totalMB = 0;
    for (std::size_t i = 0; i < kit.modulesMB.size(); ++i) {
        const std::string slot = std::string(kit.slotName) + " " + std::to_string(i + 1);
        MemorySlot empty;
        empty.setSlot(slot.c_str());
        array.slots.append(kit.modulesMB[i] ? module(slot.c_str(), kit.modulesMB[i], kit.kind) : empty);
        totalMB += kit.modulesMB[i];
    }
    array.types.set(kit.supportedTypes);
    array.voltages.set(kit.voltages);
    array.maxModuleCapacity.set(kit.maxModuleMB << 20, 0);
    memory.totalPhysical.set(totalMB << 20, 0);
    memory.freePhysical.set(kit.freeMB << 20, 0);
    // The commit limit: memory and a page file of one and a half times it,
    // less what the system holds; of it free what the programs left.
    const unsigned pagefileMB = totalMB * 5 / 2 - 24;
    memory.totalPagefile.set(pagefileMB << 20, 0);
    memory.freePagefile.set((pagefileMB - (totalMB - kit.freeMB) - 64) << 20, 0);
}

struct Chip {
    const char *description;
    const char *manufacturer;
    unsigned short vendor;
    unsigned short id;
    unsigned char revision;
};

struct BoardKind {
    const char *model;
    const char *bios;
    const char *biosDate;
    std::vector<Chip> chips;
    unsigned fastWrite; // of the chipset with this card: 1 not supported, 3 supported (disabled)
};

void setBoard(MotherboardComponent &board, const BoardKind &k)
{
    board.model.set(k.model);
    board.biosVersion.set(0, 0, k.bios);
    board.biosReleaseDate.set(k.biosDate);
    board.devices.clear();
    for (const Chip &c : k.chips)
        board.devices.append(device(c.description, c.vendor, c.id, c.revision, c.manufacturer));
    board.agp.fastWrite.set(k.fastWrite);
}

// The AGP slot holds the machine's card, the first PCI slot the sound card,
// and the other four are free.
void setSlots(MotherboardComponent &board, const DisplayDevice &card, const char *driverDate)
{
    board.cardSlots.clear();
    const SlotDevice agp{5,
                         card.description.get().c_str(),
                         card.manufacturer.get().c_str(),
                         driverDate,
                         card.vendorID.get(),
                         card.deviceID.get(),
                         card.subSystemID.get(),
                         card.revision.get(),
                         11};
    board.cardSlots.append(cardSlot(1, "AGP", 13, &agp));
    board.cardSlots.append(cardSlot(2, "PCI1", 4, &soundBlasterLive));
    for (unsigned n = 2; n <= 5; ++n)
        board.cardSlots.append(cardSlot(n + 1, ("PCI" + std::to_string(n)).c_str(), 4, nullptr));
}

struct SystemKind {
    const char *name;
    int major;
    int minor;
    const char *servicePack; // empty: the release itself
};

void setSystem(WindowsComponent &windows, const SystemKind &k)
{
    windows.operatingSystem.set(k.name);
    windows.version.set(k.major, k.minor, nullptr);
    windows.servicePack.set(k.servicePack);
}

const char amd[] = "Advanced Micro Devices, Inc.";
const char intel[] = "Intel Corporation";
const char via[] = "VIA Technologies, Inc.";

const MemoryKind pc100Sdram{"Kingmax", 13, 1u << 7, 100, 7, 64};
const MemoryKind pc2100Ddr{"Crucial Technology", 16, 1u << 7, 133, 7, 64};
const MemoryKind pc800Rdram{"Samsung", 15, 1u << 6, 400, 10, 16};

const SystemKind windowsXP{"Microsoft Windows XP Professional", 5, 1, ""};
const SystemKind windows2000{"Microsoft Windows 2000 Professional", 5, 0, "Service Pack 2"};

} // namespace

void fillSampleRig(SystemInfoTree &t, SampleRig rig_)
{
    fillMachine(t);
    CpuSlot &cpu = *t.cpu.slots.begin();
    DisplayDevice &card = *t.directDraw.displayDevices.begin();
    DriverKind driver = detonatorNT;
    switch (rig_) {
    case SampleRig::Athlon1400GeForce3:
        t.root.installationID.set(0x5A3C9F03u);
        t.root.oemID.set("Scorvista Lab Rig 3");
        setProcessor(cpu, {"AuthenticAMD", 23, "AMD Athlon(tm) Processor", 1400, 133, "Socket A", 12, 0x1F, 6, 4,
                           "Model 4, Stepping 4", 0x00000644u, 128, 0x3, 2, 256, 6});
        setCard(card, {"GeForce3", 64, 56, 0x0200, 0xA3, 4096, 4, 1, 1, true, 4, geforce3Caps, true, driver});
        setMemory(t.memory, {pc2100Ddr, "DIMM", {256, 256, 0}, 322, 1u << 19, 0, 1024});
        setBoard(t.motherboard, {"A7M266", "ASUS A7M266 ACPI BIOS Revision 1005", "07/24/2001",
                                 {{"AMD-761 System Controller", amd, 0x1022, 0x700E, 0x13},
                                  {"AMD-761 AGP Bridge", amd, 0x1022, 0x700F, 0x00},
                                  {"VT82C686B PCI to ISA Bridge", via, 0x1106, 0x0686, 0x40}},
                                 3});
        setSystem(t.windows, windowsXP);
        break;
    case SampleRig::PentiumIII1000GeForce2:
        // fillMachine's processor and board.
        setCard(card, {"GeForce2 GTS", 32, 26, 0x0150, 0xA4, 2048, 2, 0, 0, true, 2, geforce2Caps, true, driver});
        setMemory(t.memory, {pc133Sdram, "DIMM", {256, 256, 0}, 301, 1u << 19 | 1u << 20, 0x2, 512});
        setBoard(t.motherboard, {"CUV4X", "ASUS CUV4X ACPI BIOS Revision 1007", "03/13/2001",
                                 {{"VT82C694X System Controller", via, 0x1106, 0x0691, 0xC4},
                                  {"VT82C686B PCI to ISA Bridge", via, 0x1106, 0x0686, 0x40}},
                                 1});
        setSystem(t.windows, windows2000);
        break;
    case SampleRig::Pentium4_2000GeForce3Ti:
        t.root.installationID.set(0x5A3C9F04u);
        t.root.oemID.set("Scorvista Lab Rig 4");
        setProcessor(cpu, {"GenuineIntel", 42, "Intel\xAE Pentium\xAE 4 processor", 2000, 100, "Socket 478", 5, 0x67,
                           15, 1, "Model 1, Stepping 2", 0x00000F12u, 8, 0x2, 3, 256, 5});
        setCard(card, {"GeForce3 Ti 500", 64, 56, 0x0202, 0xA3, 4096, 4, 1, 1, true, 4, geforce3Caps, true,
                       driver});
        setMemory(t.memory, {pc800Rdram, "RIMM", {256, 256, 256, 256}, 790, 1u << 6, 0, 512});
        setBoard(t.motherboard, {"P4T-E", "ASUS P4T-E ACPI BIOS Revision 1004", "08/03/2001",
                                 {{"82850 Processor to I/O Controller", intel, 0x8086, 0x2530, 0x04},
                                  {"82801BA LPC Interface Controller", intel, 0x8086, 0x2440, 0x05}},
                                 3});
        setSystem(t.windows, windowsXP);
        break;
    case SampleRig::Celeron800RivaTnt2:
        driver = detonator9x;
        t.root.installationID.set(0x5A3C9F02u);
        t.root.oemID.set("Scorvista Lab Rig 2");
        setProcessor(cpu, {"GenuineIntel", 13, "", 800, 100, "Socket 370", 8, 0x27, 6, 8, "Model 8, Stepping 10",
                           0x0000068Au, 32, 0x3, 3, 128, 3});
        setCard(card, {"RIVA TNT2", 32, 28, 0x0028, 0x15, 2048, 2, 0, 0, false, 0, {}, false, driver});
        setMemory(t.memory, {pc100Sdram, "DIMM", {128, 0, 0}, 61, 1u << 19 | 1u << 20, 0x2, 512});
        setBoard(t.motherboard, {"CUSL2-C", "ASUS CUSL2-C ACPI BIOS Revision 1007", "04/20/2001",
                                 {{"82815 Processor to I/O Controller", intel, 0x8086, 0x1130, 0x04},
                                  {"82801BA LPC Interface Controller", intel, 0x8086, 0x2440, 0x05}},
                                 1});
        setSystem(t.windows, {"Microsoft Windows 98 Second Edition", 4, 10, ""});
        // Before DirectX 8.1 came out.
        t.directX.version.set(8, 0, "8.0a");
        t.directDraw.version.set(8, 0, nullptr);
        break;
    }
    setSlots(t.motherboard, card, driver.date);
    // Desktop boards: no battery.
    t.battery.batteries.clear();
}

std::vector<unsigned char> blockOf(const SystemInfoTree &tree_)
{
    KVS_streamOutputMemory memory(tree_.size());
    tree_.write(memory);
    return std::vector<unsigned char>(memory.getBuffer(), memory.getBuffer() + memory.getLength());
}

std::vector<unsigned char> machineBlock(bool legacy_)
{
    SystemInfoTree tree(legacy_);
    fillMachine(tree);
    return blockOf(tree);
}

} // namespace sample
