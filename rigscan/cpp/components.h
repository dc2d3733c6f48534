#ifndef RIGSCAN_COMPONENTS_H
#define RIGSCAN_COMPONENTS_H

#include "basecomponent.h"
#include "records.h"

namespace KV_Rigscan {

// The common shape of a component: own members listed once (see members.h),
// written and read before the children, reset before every read.
template <class C, int ID>
class Component : public BaseComponent {
public:
    int getID() const override { return ID; }
    void reset() override { resetMembers(static_cast<C &>(*this)); }
    void writeToStream(BaseOutputStream &out_) const override
    {
        writeMembers(static_cast<const C &>(*this), out_);
        BaseComponent::writeToStream(out_);
    }
    void readFromStream(BaseInputStream &in_) override
    {
        reset();
        readMembers(static_cast<C &>(*this), in_);
        BaseComponent::readFromStream(in_);
    }
};

// The root of a tree. It keeps the layout the tree was built for and applies
// it to every write and read of the tree.
class RootComponent : public Component<RootComponent, 1> {
public:
    explicit RootComponent(bool legacy_ = false) : legacy(legacy_) { reset(); }
    ~RootComponent() override = default;

    const char *getName() const override { return "System Info"; }
    void writeToStream(BaseOutputStream &out_) const override;
    void readFromStream(BaseInputStream &in_) override;

    bool isLegacyLayout() const { return legacy; }
    void setLegacyLayout(bool legacy_) { legacy = legacy_; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.version, "System Info Version");
        v_(s_.installationID, "Installation ID", 12);
        v_(s_.oemID, "OEM ID", 11);
    }

    Version version;
    ValueHex<unsigned> installationID;
    String oemID;

private:
    bool legacy;
};

class DirectXComponent : public Component<DirectXComponent, 2> {
public:
    DirectXComponent() { reset(); }
    ~DirectXComponent() override = default;
    const char *getName() const override { return "DirectX Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.version, "DirectX Version");
    }

    Version version;
};

class DirectDrawComponent : public Component<DirectDrawComponent, 3> {
public:
    DirectDrawComponent() { reset(); }
    ~DirectDrawComponent() override = default;
    const char *getName() const override { return "DirectDraw Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.version, "DirectDraw Version ", 23);
        v_(s_.displayDevices, "Display Devices");
    }

    Version version;
    List<DisplayDevice, 28> displayDevices;
};

class DirectShowComponent : public Component<DirectShowComponent, 4> {
public:
    DirectShowComponent() { reset(); }
    ~DirectShowComponent() override = default;
    const char *getName() const override { return "DirectShow Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.version, "DirectShow Version", 24);
        v_(s_.filters, "Registered DirectShow Filters");
    }

    Version version;
    List<String, 31> filters;
};

class MemoryComponent : public Component<MemoryComponent, 6> {
public:
    MemoryComponent() { reset(); }
    ~MemoryComponent() override = default;
    const char *getName() const override { return "Memory Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.totalPhysical, "Total Physical Memory", 7);
        v_(s_.freePhysical, "Free Physical Memory", 8);
        v_(s_.totalPagefile, "Total Pagefile Memory");
        v_(s_.freePagefile, "Free Pagefile Memory");
        v_(s_.arrays, "Memory Arrays");
    }

    Capacity totalPhysical;
    Capacity freePhysical;
    Capacity totalPagefile;
    Capacity freePagefile;
    List<MemoryArray, 27> arrays;
};

class CpuComponent : public Component<CpuComponent, 7> {
public:
    CpuComponent() { reset(); }
    ~CpuComponent() override = default;
    const char *getName() const override { return "CPU Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.slots, "Central Processing Units");
    }

    List<CpuSlot, 25> slots;
};

class MotherboardComponent : public Component<MotherboardComponent, 8> {
public:
    MotherboardComponent() { reset(); }
    ~MotherboardComponent() override = default;
    const char *getName() const override { return "Motherboard Info"; }
    void writeToStream(BaseOutputStream &out_) const override;
    void readFromStream(BaseInputStream &in_) override;
    void reset() override;

    // The AGP capabilities are not in this list: they follow it in the current
    // layout and are left out of text renderings.
    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.manufacturer, "Manufacturer", 9);
        v_(s_.model, "Model", 10);
        v_(s_.version, "Version");
        v_(s_.biosVendor, "BIOS Vendor");
        v_(s_.biosVersion, "BIOS Version");
        v_(s_.biosReleaseDate, "BIOS Release Date");
        v_(s_.biosProperties, "BIOS Properties");
        v_(s_.cardSlots, "Card Slots");
        v_(s_.devices, "System Devices");
    }

    String manufacturer;
    String model;
    Version version;
    String biosVendor;
    Version biosVersion;
    String biosReleaseDate;
    ValueBIOSChar biosProperties;
    List<CardSlot, 29> cardSlots;
    List<MotherboardDevice, 17> devices;
    AGPCap agp;
};

class WindowsComponent : public Component<WindowsComponent, 9> {
public:
    WindowsComponent() { reset(); }
    ~WindowsComponent() override = default;
    const char *getName() const override { return "Operating System Info"; }
    void reset() override;

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.operatingSystem, "Operating System", 2);
        v_(s_.version, "Version");
        v_.current(s_.servicePack, "Service Pack");
        v_.current(s_.locale, "Locale");
        v_(s_.desktopWidth, "Desktop Width");
        v_(s_.desktopHeight, "Desktop Height");
        v_(s_.desktopBPP, "Desktop BPP");
    }

    String operatingSystem;
    Version version;
    String servicePack;
    String locale;
    Value<unsigned> desktopWidth;
    Value<unsigned> desktopHeight;
    Value<unsigned> desktopBPP;
};

class MonitorComponent : public Component<MonitorComponent, 10> {
public:
    MonitorComponent() { reset(); }
    ~MonitorComponent() override = default;
    const char *getName() const override { return "Monitor Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.monitors, "Monitors");
    }

    List<Monitor, 24> monitors;
};

class BatteryComponent : public Component<BatteryComponent, 11> {
public:
    BatteryComponent() { reset(); }
    ~BatteryComponent() override = default;
    const char *getName() const override { return "Power Supply Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.batteries, "Batteries");
    }

    List<Battery, 32> batteries;
};

// Keeps the base identifier 0 on the block.
class HDDComponent : public Component<HDDComponent, 0> {
public:
    HDDComponent() { reset(); }
    ~HDDComponent() override = default;
    const char *getName() const override { return "Hard Disk Info"; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.disks, "Hard disks");
    }

    List<PhysicalHDD, 33> disks;
};

// The whole tree of one machine, linked in block order. The older layout has
// neither the power-supply nor the hard-disk component.
class SystemInfoTree {
public:
    explicit SystemInfoTree(bool legacy_ = false);
    SystemInfoTree(const SystemInfoTree &) = delete;
    SystemInfoTree &operator=(const SystemInfoTree &) = delete;

    bool isLegacyLayout() const { return root.isLegacyLayout(); }

    // Reads a block into the tree; stream and model exceptions pass through.
    // A block whose lists would take more memory than ReadBudget::forBlock
    // allows is refused with the stream's underflow, as a truncated one is.
    void read(const void *data_, unsigned size_);
    void read(KVS_streamInputBase &in_);
    // Writes the tree as a block.
    void write(KVS_streamOutputBase &out_) const;
    // The block's size in bytes.
    unsigned size() const;

    RootComponent root;
    CpuComponent cpu;
    DirectXComponent directX;
    DirectDrawComponent directDraw;
    DirectShowComponent directShow;
    MemoryComponent memory;
    MotherboardComponent motherboard;
    MonitorComponent monitor;
    BatteryComponent battery;
    WindowsComponent windows;
    HDDComponent hdd;
};

} // namespace KV_Rigscan

#endif
