#ifndef RESULTS_USYSTEMINFO_H
#define RESULTS_USYSTEMINFO_H

#include <string>

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
    // Reads the size_ bytes at block_ (the caller keeps the block). A null
    // or empty block gives a tree of reset values without reading; ask
    // hasData(). When no temporary file can be made, the program's message
    // box says so and the tree keeps its reset values (isRead() is false).
    // Throws: the stream and model exceptions (KVS_exceptionBase family) when
    // the block cannot be read; Exception "Unable to write a temporary file"
    // when the block could not be written out whole; KVS_exceptionZeroPointer
    // for a null block with a size. No temporary file outlives the call.
    CSystemInfo(const void *block_, unsigned size_, bool legacy_);
    CSystemInfo(const CSystemInfo &) = delete;
    CSystemInfo &operator=(const CSystemInfo &) = delete;

    // The project stored a non-empty block.
    bool hasData() const { return data; }
    // The block was read into the tree.
    bool isRead() const { return read; }
    bool isLegacyLayout() const { return systemTree.isLegacyLayout(); }
    // The whole tree, e.g. for the text export.
    const KV_Rigscan::SystemInfoTree &tree() const { return systemTree; }

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
    const KV_Rigscan::CpuSlot *firstCpu() const;
    const KV_Rigscan::DisplayDevice *device(const std::string &name_) const;
    std::string cacheText(short level_) const;

    KV_Rigscan::SystemInfoTree systemTree;
    bool data = false;
    bool read = false;
};

#endif
