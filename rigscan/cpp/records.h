#ifndef RIGSCAN_RECORDS_H
#define RIGSCAN_RECORDS_H

#include <string>

#include "Bitfield.h"
#include "List.h"
#include "decoders.h"
#include "members.h"
#include "resolution.h"
#include "units.h"

namespace KV_Rigscan {

// What every record shares: its members, listed once in members(), are
// written and read in place; most records reset before they read.
template <class R, int ID, bool ResetBeforeRead = true>
class Record : public BaseContainer {
public:
    void writeToStream(BaseOutputStream &out_) const override { writeMembers(static_cast<const R &>(*this), out_); }
    void readFromStream(BaseInputStream &in_) override
    {
        if constexpr (ResetBeforeRead)
            static_cast<R &>(*this).reset();
        readMembers(static_cast<R &>(*this), in_);
    }
    int getID() const override { return ID; }
};

// One processor cache.
class CpuCache : public Record<CpuCache, 14> {
public:
    CpuCache() { reset(); }
    ~CpuCache() override = default;
    CpuCache(const CpuCache &) = default;
    CpuCache &operator=(const CpuCache &) = default;
    CpuCache(CpuCache &&) noexcept = default;
    CpuCache &operator=(CpuCache &&) noexcept = default;

    const char *getName() const override;

    virtual Value<short> getLevel() const { return level; }
    virtual Capacity getCapacity() const { return capacity; }
    virtual void setCapacity(unsigned low_, unsigned high_) { capacity.set(low_, high_); }
    virtual void setLevel(short level_) { level.set(level_); }
    virtual void setType(unsigned code_) { type.assign(code_); }
    virtual void setTypeDetails(unsigned code_) { typeDetails.assign(code_); }
    virtual void setErrorCorrectionType(unsigned code_) { errorCorrection.assign(code_); }
    virtual void setAssociativity(unsigned code_) { associativity.assign(code_); }

    void reset();

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.level, "Level");
        v_(s_.capacity, "Capacity");
        v_(s_.type, "Type");
        v_(s_.typeDetails, "Type Details");
        v_(s_.errorCorrection, "Error Correction Type");
        v_(s_.associativity, "Associativity");
    }

    Value<short> level;
    Capacity capacity;
    ValueCacheType type;
    ValueMemoryTypeDetail typeDetails;
    ValueMemoryECT errorCorrection;
    ValueCacheAssociativity associativity;

private:
    mutable std::string name;
};

// One processor socket with its caches.
class CpuSlot : public Record<CpuSlot, 15> {
public:
    CpuSlot() { reset(); }
    ~CpuSlot() override = default;
    CpuSlot(const CpuSlot &) = default;
    CpuSlot &operator=(const CpuSlot &) = default;
    CpuSlot(CpuSlot &&) noexcept = default;
    CpuSlot &operator=(CpuSlot &&) noexcept = default;

    const char *getName() const override;
    void reset() { resetMembers(*this); }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.manufacturer, "Manufacturer", 3);
        v_(s_.family, "Family", 5);
        v_(s_.internalClock, "Internal Clock", 4);
        v_(s_.internalClockMax, "Internal Clock Maximum");
        v_(s_.externalClock, "External Clock");
        v_(s_.socketDesignation, "Socket Designation");
        v_(s_.type, "Type");
        v_(s_.upgrade, "Upgrade");
        v_(s_.capabilities, "Capabilities");
        v_(s_.version, "Version");
        v_(s_.cpuid, "CPUID");
        v_(s_.caches, "Caches");
    }

    String manufacturer;
    ValueProcessorFamily family;
    Frequency internalClock;
    Frequency internalClockMax;
    Frequency externalClock;
    String socketDesignation;
    ValueProcessorType type;
    ValueProcessorUpgrade upgrade;
    ValueProcessorCap capabilities;
    Version version;
    ValueHex<unsigned> cpuid;
    List<CpuCache, 30> caches;

private:
    mutable std::string name;
};

// One display adapter with its modes, texture formats and 3D capabilities.
class DisplayDevice : public Record<DisplayDevice, 16> {
public:
    DisplayDevice() { reset(); }
    ~DisplayDevice() override = default;
    DisplayDevice(const DisplayDevice &) = default;
    DisplayDevice &operator=(const DisplayDevice &) = default;
    DisplayDevice(DisplayDevice &&) noexcept = default;
    DisplayDevice &operator=(DisplayDevice &&) noexcept = default;

    const char *getName() const override { return name.get().c_str(); }
    void reset();

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.description, "Description");
        v_(s_.manufacturer, "Manufacturer");
        v_(s_.name, "Name", 6);
        v_(s_.videoMemory, "Total Local Video Memory");
        v_(s_.textureMemory, "Total Local Texture Memory");
        v_(s_.agpMemory, "Total AGP Memory");
        v_(s_.driver, "Display Driver");
        v_(s_.driverVersion, "Display Driver Version");
        v_.current(s_.whqlCertified, "Driver WHQL Certified");
        v_(s_.maxTextureWidth, "Max Texture Width ");
        v_(s_.maxTextureHeight, "Max Texture Height");
        v_(s_.maxClippingPlanes, "Max User Clipping Planes");
        v_(s_.maxActiveLights, "Max Active Hardware Lights");
        v_(s_.maxBlendStages, "Max Texture Blending Stages");
        v_(s_.texturesPerPass, "Textures In Single Pass");
        v_(s_.vertexShader, "Vertex Shader Version");
        v_(s_.pixelShader, "Pixel Shader Version");
        v_(s_.maxVertexBlendMatrices, "Max Vertex Blend Matrices");
        v_(s_.maxTextureCoordinates, "Max Texture Coordinates");
        v_(s_.vendorID, "Vendor ID");
        v_(s_.deviceID, "Device ID");
        v_(s_.subSystemID, "Sub-System ID");
        v_(s_.revision, "Revision");
        v_.legacy(s_.legacyByte, "");
        v_(s_.displayModes, "Display Modes");
        v_(s_.textureFormats, "Texture Formats");
        v_(s_.caps, "3D Capabilities");
    }

    String description;
    String manufacturer;
    String name;
    Capacity videoMemory;
    Capacity textureMemory;
    Capacity agpMemory;
    String driver;
    String driverVersion;
    String whqlCertified;
    Value<unsigned> maxTextureWidth;
    Value<unsigned> maxTextureHeight;
    Value<unsigned> maxClippingPlanes;
    Value<unsigned> maxActiveLights;
    Value<unsigned> maxBlendStages;
    Value<unsigned> texturesPerPass;
    Version vertexShader;
    Version pixelShader;
    Value<unsigned> maxVertexBlendMatrices;
    Value<unsigned> maxTextureCoordinates;
    ValueHex<unsigned short> vendorID;
    ValueHex<unsigned short> deviceID;
    ValueHex<unsigned> subSystemID;
    ValueHex<unsigned char> revision;
    ValueHex<unsigned char> legacyByte;
    List<Resolution, 17> displayModes;
    List<PixelFormat, 17> textureFormats;
    Hardware3DCaps caps;
};

// One memory module socket.
class MemorySlot : public Record<MemorySlot, 19, false> {
public:
    MemorySlot() { reset(); }
    ~MemorySlot() override = default;
    MemorySlot(const MemorySlot &) = default;
    MemorySlot &operator=(const MemorySlot &) = default;
    MemorySlot(MemorySlot &&) noexcept = default;
    MemorySlot &operator=(MemorySlot &&) noexcept = default;

    const char *getName() const override;

    virtual void clear() { reset(); }
    virtual void reset();
    virtual void setSlot(const char *slot_) { slot.set(slot_ ? slot_ : ""); }
    virtual void setManufacturer(const char *manufacturer_) { manufacturer.set(manufacturer_ ? manufacturer_ : ""); }
    virtual void setType(unsigned code_) { type.assign(code_); }
    virtual void setTypeDetails(unsigned code_) { typeDetails.assign(code_); }
    virtual void setFrequency(const Frequency &frequency_) { frequency.set64(frequency_.get64()); }
    virtual void setInstalledSize(unsigned low_, unsigned high_) { installedSize.set(low_, high_); }
    virtual void setEnabledSize(unsigned low_, unsigned high_) { enabledSize.set(low_, high_); }
    virtual void setFormFactor(unsigned code_) { formFactor.assign(code_); }
    virtual void setTotalBitWidth(unsigned bits_) { totalBitWidth.set(bits_); }
    virtual void setDataBitWidth(unsigned bits_) { dataBitWidth.set(bits_); }
    virtual ValueMemoryType getType() const { return type; }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.installedSize, "Installed & Enabled Size", 18);
        v_(s_.formFactor, "Form Factor");
        v_(s_.frequency, "Frequency");
        v_(s_.slot, "Slot");
        v_(s_.manufacturer, "Manufacturer", 22);
        v_(s_.type, "Type", 16);
        v_(s_.typeDetails, "Type Details", 17);
        v_(s_.enabledSize, "Enabled Size", 19);
        v_(s_.totalBitWidth, "Total Bit Width", 20);
        v_(s_.dataBitWidth, "Data Bit Width", 21);
    }

    Capacity installedSize;
    ValueMemoryFormFactor formFactor;
    Frequency frequency;
    String slot;
    String manufacturer;
    ValueMemoryType type;
    ValueMemoryTypeDetail typeDetails;
    Capacity enabledSize;
    Value<unsigned> totalBitWidth;
    Value<unsigned> dataBitWidth;

private:
    mutable std::string name;
};

// One memory array with its module sockets.
class MemoryArray : public Record<MemoryArray, 18> {
public:
    MemoryArray() { reset(); }
    ~MemoryArray() override = default;
    MemoryArray(const MemoryArray &) = default;
    MemoryArray &operator=(const MemoryArray &) = default;
    MemoryArray(MemoryArray &&) noexcept = default;
    MemoryArray &operator=(MemoryArray &&) noexcept = default;

    const char *getName() const override { return "Memory Array"; }
    void reset() { resetMembers(*this); }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.maxModuleCapacity, "Max Module Capacity");
        v_(s_.location, "Location");
        v_(s_.use, "Use");
        v_(s_.errorCorrection, "Supported Error D&C");
        v_(s_.speeds, "Supported Speeds");
        v_(s_.types, "Supported Types");
        v_(s_.voltages, "Supported Voltages");
        v_(s_.slots, "Memory Slots");
    }

    Capacity maxModuleCapacity;
    ValueMemoryLocation location;
    ValueMemoryUse use;
    ValueMemoryECT errorCorrection;
    ValueMemorySpeed speeds;
    ValueMemoryTypeDetail types;
    ValueMemoryVoltage voltages;
    List<MemorySlot, 26> slots;
};

// One expansion slot and the card in it.
class CardSlot : public Record<CardSlot, 13> {
public:
    CardSlot() { reset(); }
    ~CardSlot() override = default;
    CardSlot(const CardSlot &) = default;
    CardSlot &operator=(const CardSlot &) = default;
    CardSlot(CardSlot &&) noexcept = default;
    CardSlot &operator=(CardSlot &&) noexcept = default;

    const char *getName() const override;
    void reset() { resetMembers(*this); }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.number, "Number");
        v_(s_.designation, "Designation");
        v_(s_.type, "Type");
        v_(s_.characteristics, "Characteristics");
        v_(s_.dataBusWidth, "Data Bus Width");
        v_(s_.details, "Details");
        v_(s_.deviceClass, "Device Class");
        v_(s_.deviceName, "Device Name");
        v_.legacy(s_.legacyWord, "");
        v_(s_.deviceManufacturer, "Device Manufacturer");
        v_(s_.deviceDriverDate, "Device Driver Date");
        v_.current(s_.deviceVendorID, "Device Vendor ID");
        v_.current(s_.deviceID, "Device ID");
        v_.current(s_.deviceSubSystemID, "Device Sub-System ID");
        v_.current(s_.deviceRevision, "Device Revision");
        v_.current(s_.irq, "IRQ");
    }

    Value<unsigned> number;
    String designation;
    ValueCardSlotType type;
    ValueCardSlotChars characteristics;
    Value<unsigned> dataBusWidth;
    ValueCardSlotDetail details;
    ValueDeviceClass deviceClass;
    String deviceName;
    ValueHex<unsigned> legacyWord;
    String deviceManufacturer;
    String deviceDriverDate;
    ValueHex<unsigned short> deviceVendorID;
    ValueHex<unsigned short> deviceID;
    ValueHex<unsigned> deviceSubSystemID;
    ValueHex<unsigned char> deviceRevision;
    Value<unsigned char> irq;

private:
    mutable std::string name;
};

// One device on the system board.
class MotherboardDevice : public Record<MotherboardDevice, 20> {
public:
    MotherboardDevice() { reset(); }
    ~MotherboardDevice() override = default;
    MotherboardDevice(const MotherboardDevice &) = default;
    MotherboardDevice &operator=(const MotherboardDevice &) = default;
    MotherboardDevice(MotherboardDevice &&) noexcept = default;
    MotherboardDevice &operator=(MotherboardDevice &&) noexcept = default;

    const char *getName() const override { return description.get().c_str(); }
    void reset() { resetMembers(*this); }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.description, "Description");
        v_(s_.manufacturer, "Manufacturer");
        v_(s_.vendorID, "Vendor ID");
        v_(s_.deviceID, "Device ID");
        v_(s_.subsystemID, "Subsystem ID");
        v_(s_.revision, "Revision");
        v_.legacy(s_.revision2, "Revision2");
    }

    String description;
    String manufacturer;
    ValueHex<short> vendorID;
    ValueHex<short> deviceID;
    ValueHex<unsigned> subsystemID;
    ValueHex<unsigned char> revision;
    ValueHex<unsigned char> revision2;
};

class Monitor : public Record<Monitor, 21> {
public:
    Monitor() { reset(); }
    ~Monitor() override = default;
    Monitor(const Monitor &) = default;
    Monitor &operator=(const Monitor &) = default;
    Monitor(Monitor &&) noexcept = default;
    Monitor &operator=(Monitor &&) noexcept = default;

    const char *getName() const override { return name.get().c_str(); }
    void reset() { resetMembers(*this); }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.name, "Name", 1);
        v_(s_.manufacturer, "Manufacturer");
        v_(s_.maxWidth, "Max Width", 25);
        v_(s_.maxHeight, "Max Height", 26);
    }

    String name;
    String manufacturer;
    Value<unsigned> maxWidth;
    Value<unsigned> maxHeight;
};

class PhysicalHDD : public Record<PhysicalHDD, 12, false> {
public:
    PhysicalHDD() { reset(); }
    ~PhysicalHDD() override = default;
    PhysicalHDD(const PhysicalHDD &) = default;
    PhysicalHDD &operator=(const PhysicalHDD &) = default;
    PhysicalHDD(PhysicalHDD &&) noexcept = default;
    PhysicalHDD &operator=(PhysicalHDD &&) noexcept = default;

    const char *getName() const override { return name.get().c_str(); }
    void reset();

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.name, "Name");
        v_(s_.manufacturer, "Manufacturer");
        v_(s_.capacity, "Capacity");
        v_(s_.model, "Model");
        v_(s_.interfaceType, "Interface Type");
    }

    String name;
    String manufacturer;
    Capacity capacity;
    String model;
    String interfaceType;
};

class Battery : public Record<Battery, 22, false> {
public:
    Battery() { reset(); }
    ~Battery() override = default;
    Battery(const Battery &) = default;
    Battery &operator=(const Battery &) = default;
    Battery(Battery &&) noexcept = default;
    Battery &operator=(Battery &&) noexcept = default;

    const char *getName() const override { return "Battery"; }
    void reset();

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.name, "Name");
        v_(s_.chemistry, "Chemistry");
        v_(s_.designCapacity, "Design capacity");
        v_(s_.designVoltage, "Design voltage");
    }

    String name;
    ValueBatteryChemistry chemistry;
    IntUnit designCapacity;
    IntUnit designVoltage;
};

// The motherboard's AGP capabilities, held by the motherboard component itself.
class AGPCap : public Record<AGPCap, 23> {
public:
    AGPCap() { reset(); }
    ~AGPCap() override = default;
    AGPCap(const AGPCap &) = default;
    AGPCap &operator=(const AGPCap &) = default;
    AGPCap(AGPCap &&) noexcept = default;
    AGPCap &operator=(AGPCap &&) noexcept = default;

    const char *getName() const override { return "AGP Capabilities"; }
    void reset() { resetMembers(*this); }

    template <class Self, class V>
    static void members(Self &s_, V &v_)
    {
        v_(s_.revision, "Revision");
        v_(s_.rate, "Rate");
        v_(s_.apertureSize, "Aperture Size");
        v_(s_.sidebandAddressing, "Sideband Addressing");
        v_(s_.fastWrite, "Fast Write");
    }

    Version revision;
    ValueAGPRate rate;
    Capacity apertureSize;
    ValueEnumAvailability sidebandAddressing;
    ValueEnumAvailability fastWrite;
};

} // namespace KV_Rigscan

#endif
