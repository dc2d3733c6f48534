#include "samplemachine.h"

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

MemorySlot module(const char *slot, unsigned mb)
{
    MemorySlot m;
    m.setSlot(slot);
    m.setManufacturer("Kingmax");
    m.setType(13);                       // SDRAM
    m.setTypeDetails(1u << 7);           // synchronous
    Frequency f;
    f.set64(133ull << 20);
    m.setFrequency(f);
    m.setInstalledSize(mb << 20, 0);
    m.setEnabledSize(mb << 20, 0);
    m.setFormFactor(7);                  // DIMM
    m.setTotalBitWidth(64);
    m.setDataBitWidth(64);
    return m;
}

CardSlot cardSlot(unsigned number, const char *designation, unsigned type, const char *device)
{
    CardSlot s;
    s.number.set(number);
    s.designation.set(designation);
    s.type.set(type);
    s.characteristics.set(0x3);
    s.dataBusWidth.set(32);
    s.details.set(device ? 0x2 : 0x1);
    s.deviceClass.set(device ? 5 : 0);
    s.deviceName.set(device ? device : "");
    s.legacyWord.set(device ? 0x1234 : 0);
    s.deviceManufacturer.set(device ? "Creative Labs" : "");
    s.deviceDriverDate.set(device ? "6-22-2001" : "");
    s.deviceVendorID.set(device ? 0x1102 : 0);
    s.deviceID.set(device ? 0x0002 : 0);
    s.deviceSubSystemID.set(device ? 0x80611102u : 0);
    s.deviceRevision.set(device ? 0x07 : 0);
    s.irq.set(device ? 11 : 0);
    return s;
}

MotherboardDevice device(const char *description, short vendor, short id, unsigned char revision)
{
    MotherboardDevice d;
    d.description.set(description);
    d.manufacturer.set("VIA Technologies, Inc.");
    d.vendorID.set(vendor);
    d.deviceID.set(id);
    d.subsystemID.set(0);
    d.revision.set(revision);
    d.revision2.set(static_cast<unsigned char>(revision + 1));
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
    display.agpMemory.set(128u << 20, 0);
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
    array.use.set(3);
    array.errorCorrection.set(1);
    array.speeds.set(0x3);
    array.types.set(1u << 19);
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
    t.motherboard.cardSlots.append(cardSlot(1, "AGP", 13, nullptr));
    t.motherboard.cardSlots.append(cardSlot(2, "PCI1", 4, "Sound Blaster Live!"));
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
