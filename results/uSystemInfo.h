#ifndef RESULTS_USYSTEMINFO_H
#define RESULTS_USYSTEMINFO_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components.h"

// The system information of one project: the model tree read from the
// project's stored block, with the summary values the program shows.
//
// The tree is built in the layout the project's block has (legacy for format
// versions below 202) and keeps it: every later read or rendering of this
// object's tree uses that layout, whatever other projects were loaded since.
//
// Texts are Windows-1252; numbers in them never depend on the process locale.
class CSystemInfo {
public:
    // Reads the size_ bytes at block_ from memory. The block stays the
    // caller's and is not copied: readTree() and tree() read it again, so it
    // must outlive this object (a project owns both). A null or empty block
    // gives a tree of reset values without reading; ask hasData().
    // Throws: the stream and model exceptions (KVS_exceptionBase family) when
    // the block cannot be read, also KVS_exceptionStreamUnderflow for a block
    // whose lists would take far more memory than any real machine's do;
    // KVS_exceptionZeroPointer for a null block with a size.
    CSystemInfo(const void *block_, unsigned size_, bool legacy_);
    ~CSystemInfo();
    CSystemInfo(const CSystemInfo &) = delete;
    CSystemInfo &operator=(const CSystemInfo &) = delete;

    // The project stored a non-empty block.
    bool hasData() const { return blockSize != 0; }
    // The block was read into the tree.
    bool isRead() const { return hasData(); }
    bool isLegacyLayout() const { return legacy; }
    // The whole tree, e.g. for a view; built from the kept block on first use
    // and kept from then on.
    const KV_Rigscan::SystemInfoTree &tree() const;
    // A fresh tree of the block that the caller owns, so rendering every
    // project of a database leaves none of them larger.
    std::unique_ptr<KV_Rigscan::SystemInfoTree> readTree() const;

    // First processor's clock in whole MHz; 0 without a processor.
    int getCpuSpeedMHz() const;
    // "1000 MHz" (no grouping); "Undetected" without a processor.
    std::string getCpuSpeedText() const;
    // Manufacturer, a blank and the family; "Undetected" without a processor.
    std::string getProcessorName() const;
    // First processor's first cache of that level as "#,##0 KB"; else "Undetected".
    std::string getL1CacheText() const;
    std::string getL2CacheText() const;
    // "#,##0 MB".
    std::string getTotalPhysicalMemoryText() const;
    std::string getFreePhysicalMemoryText() const;
    std::string getOperatingSystemText() const;
    std::string getMotherboardManufacturer() const;
    std::string getMotherboardModel() const;
    unsigned getDesktopWidth() const;
    unsigned getDesktopHeight() const;
    unsigned getDesktopBitsPerPixel() const;
    std::string getDirectXVersionText() const;

    // Of the first display device whose name equals deviceName_ exactly
    // (case counts): memories as "#,##0 MB" or "Undetected", the driver
    // version or "Unknown".
    std::string getVideoMemoryText(const std::string &deviceName_) const;
    std::string getTextureMemoryText(const std::string &deviceName_) const;
    std::string getDriverVersionText(const std::string &deviceName_) const;

private:
    // What the getters need, taken from the tree once; the tree itself is
    // many times the block's size and is not kept per project.
    struct Device {
        std::string name;
        std::uint64_t videoMemory = 0;
        std::uint64_t textureMemory = 0;
        std::string driverVersion;
    };
    struct Summary {
        bool cpu = false;
        std::uint64_t clock = 0;
        std::string processorName;
        // The first processor's first cache of level 1 and of level 2.
        bool hasCache[2] = {false, false};
        std::uint64_t cacheBytes[2] = {0, 0};
        std::uint64_t totalPhysical = 0;
        std::uint64_t freePhysical = 0;
        std::string operatingSystem;
        std::string motherboardManufacturer;
        std::string motherboardModel;
        unsigned desktopWidth = 0;
        unsigned desktopHeight = 0;
        unsigned desktopBPP = 0;
        std::string directXVersion;
        std::vector<Device> devices;
    };

    void summarise(const KV_Rigscan::SystemInfoTree &tree_);
    const Device *device(const std::string &name_) const;
    std::string cacheText(int level_) const;

    bool legacy;
    const unsigned char *block = nullptr;
    unsigned blockSize = 0;
    Summary summary;
    mutable std::unique_ptr<KV_Rigscan::SystemInfoTree> cached;
};

#endif
