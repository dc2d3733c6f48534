#include "uSystemInfo.h"

#include <charconv>
#include <cstdint>

#include "FormatFloat.h"
#include "kvs_exception.h"

using namespace KV_Rigscan;

namespace {

const char *const undetected = "Undetected";

double bytesOf(std::uint64_t bytes_)
{
    return static_cast<double>(bytes_);
}

std::string kilobytes(std::uint64_t bytes_)
{
    return formatFloat("#,##0 KB", bytesOf(bytes_) / 1024.0);
}

std::string megabytes(std::uint64_t bytes_)
{
    return formatFloat("#,##0 MB", bytesOf(bytes_) / 1048576.0);
}

} // namespace

CSystemInfo::CSystemInfo(const void *block_, unsigned size_, bool legacy_) : legacy(legacy_)
{
    if (!block_ && size_ != 0)
        throw KVS_exceptionZeroPointer("CSystemInfo", "CSystemInfo(const void *block_, unsigned size_, bool legacy_)");
    SystemInfoTree tree(legacy_);
    if (block_ && size_ != 0) {
        // Straight from the project's bytes: no temporary file, so a missing
        // or full temporary folder cannot cost a project its system information.
        tree.read(block_, size_);
        block = static_cast<const unsigned char *>(block_);
        blockSize = size_;
    }
    summarise(tree);
}

CSystemInfo::~CSystemInfo() = default;

void CSystemInfo::summarise(const SystemInfoTree &tree_)
{
    Summary &s = summary;
    if (!tree_.cpu.slots.empty()) {
        const CpuSlot &cpu = tree_.cpu.slots.front();
        s.cpu = true;
        s.clock = cpu.internalClock.get64();
        s.processorName = cpu.manufacturer.get() + " " + cpu.family.toString();
        for (const CpuCache &cache : cpu.caches)
            for (int level = 1; level <= 2; ++level)
                if (cache.level.get() == level && !s.hasCache[level - 1]) {
                    s.hasCache[level - 1] = true;
                    s.cacheBytes[level - 1] = cache.capacity.get64();
                }
    }
    s.totalPhysical = tree_.memory.totalPhysical.get64();
    s.freePhysical = tree_.memory.freePhysical.get64();
    s.operatingSystem = tree_.windows.operatingSystem.get();
    s.motherboardManufacturer = tree_.motherboard.manufacturer.get();
    s.motherboardModel = tree_.motherboard.model.get();
    s.desktopWidth = tree_.windows.desktopWidth.get();
    s.desktopHeight = tree_.windows.desktopHeight.get();
    s.desktopBPP = tree_.windows.desktopBPP.get();
    s.directXVersion = tree_.directX.version.toString();
    s.devices.reserve(tree_.directDraw.displayDevices.count());
    for (const DisplayDevice &d : tree_.directDraw.displayDevices)
        s.devices.push_back({d.name.get(), d.videoMemory.get64(), d.textureMemory.get64(), d.driverVersion.get()});
}

std::unique_ptr<SystemInfoTree> CSystemInfo::readTree() const
{
    auto tree = std::make_unique<SystemInfoTree>(legacy);
    if (blockSize != 0)
        tree->read(block, blockSize);
    return tree;
}

const SystemInfoTree &CSystemInfo::tree() const
{
    if (!cached)
        cached = readTree();
    return *cached;
}

int CSystemInfo::getCpuSpeedMHz() const
{
    if (!summary.cpu)
        return 0;
    // Whole MHz of the 64-bit clock in Hz, kept in 32 bits.
    return static_cast<int>(static_cast<std::uint32_t>(summary.clock >> 20));
}

std::string CSystemInfo::getCpuSpeedText() const
{
    if (!summary.cpu)
        return undetected;
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, getCpuSpeedMHz()).ptr;
    return std::string(digits, end) + " MHz";
}

std::string CSystemInfo::getProcessorName() const
{
    return summary.cpu ? summary.processorName : undetected;
}

std::string CSystemInfo::cacheText(int level_) const
{
    return summary.hasCache[level_ - 1] ? kilobytes(summary.cacheBytes[level_ - 1]) : undetected;
}

std::string CSystemInfo::getL1CacheText() const
{
    return cacheText(1);
}

std::string CSystemInfo::getL2CacheText() const
{
    return cacheText(2);
}

std::string CSystemInfo::getTotalPhysicalMemoryText() const
{
    return megabytes(summary.totalPhysical);
}

std::string CSystemInfo::getFreePhysicalMemoryText() const
{
    return megabytes(summary.freePhysical);
}

std::string CSystemInfo::getOperatingSystemText() const
{
    return summary.operatingSystem;
}

std::string CSystemInfo::getMotherboardManufacturer() const
{
    return summary.motherboardManufacturer;
}

std::string CSystemInfo::getMotherboardModel() const
{
    return summary.motherboardModel;
}

unsigned CSystemInfo::getDesktopWidth() const
{
    return summary.desktopWidth;
}

unsigned CSystemInfo::getDesktopHeight() const
{
    return summary.desktopHeight;
}

unsigned CSystemInfo::getDesktopBitsPerPixel() const
{
    return summary.desktopBPP;
}

std::string CSystemInfo::getDirectXVersionText() const
{
    return summary.directXVersion;
}

const CSystemInfo::Device *CSystemInfo::device(const std::string &name_) const
{
    for (const Device &candidate : summary.devices)
        if (candidate.name == name_)
            return &candidate;
    return nullptr;
}

std::string CSystemInfo::getVideoMemoryText(const std::string &deviceName_) const
{
    const Device *found = device(deviceName_);
    return found ? megabytes(found->videoMemory) : undetected;
}

std::string CSystemInfo::getTextureMemoryText(const std::string &deviceName_) const
{
    const Device *found = device(deviceName_);
    return found ? megabytes(found->textureMemory) : undetected;
}

std::string CSystemInfo::getDriverVersionText(const std::string &deviceName_) const
{
    const Device *found = device(deviceName_);
    return found ? found->driverVersion : "Unknown";
}
