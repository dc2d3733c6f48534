#include "uSystemInfo.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "AppServices.h"
#include "Exception.h"
#include "FormatFloat.h"
#include "TempFile.h"
#include "kvs_w32_streamfile.h"

using namespace KV_Rigscan;

namespace {

const char *const undetected = "Undetected";

double bytesOf(const Capacity &capacity_)
{
    return capacity_.getHigh() * 4294967296.0 + capacity_.getLow();
}

std::string kilobytes(const Capacity &capacity_)
{
    return formatFloat("#,##0 KB", bytesOf(capacity_) / 1024.0);
}

std::string megabytes(const Capacity &capacity_)
{
    return formatFloat("#,##0 MB", bytesOf(capacity_) / 1048576.0);
}

} // namespace

CSystemInfo::CSystemInfo(const void *block_, unsigned size_, bool legacy_) : systemTree(legacy_)
{
    if (!block_) {
        if (size_ != 0)
            throw KVS_exceptionZeroPointer("CSystemInfo", "CSystemInfo(const void *block_, unsigned size_, bool legacy_)");
        return;
    }
    if (size_ == 0)
        return;
    data = true;

    // The block goes through a file so it is read by the same file stream on
    // every platform; the file is removed whatever happens below.
    std::optional<TempFile> file;
    try {
        file.emplace("scv");
    } catch (const TempFileError &error) {
        AppMessage(error.Message);
        return;
    }
    if (!file->writeAll(block_, size_))
        throw Exception("Unable to write a temporary file");
    {
        KVS_W32streamInputFile in(file->path().c_str());
        systemTree.read(in);
    }
    read = true;
}

const CpuSlot *CSystemInfo::firstCpu() const
{
    const auto &slots = systemTree.cpu.slots;
    return slots.empty() ? nullptr : &slots.front();
}

int CSystemInfo::getCpuSpeedMHz() const
{
    const CpuSlot *cpu = firstCpu();
    if (!cpu)
        return 0;
    // Whole MHz of the 64-bit clock in Hz, kept in 32 bits.
    return static_cast<int>(static_cast<std::uint32_t>(cpu->internalClock.get64() >> 20));
}

std::string CSystemInfo::getCpuSpeedText() const
{
    if (!firstCpu())
        return undetected;
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, getCpuSpeedMHz()).ptr;
    return std::string(digits, end) + " MHz";
}

std::string CSystemInfo::getProcessorName() const
{
    const CpuSlot *cpu = firstCpu();
    if (!cpu)
        return undetected;
    return cpu->manufacturer.get() + " " + cpu->family.toString();
}

std::string CSystemInfo::cacheText(short level_) const
{
    const CpuSlot *cpu = firstCpu();
    if (cpu)
        for (const CpuCache &cache : cpu->caches)
            if (cache.level.get() == level_)
                return kilobytes(cache.capacity);
    return undetected;
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
    return megabytes(systemTree.memory.totalPhysical);
}

std::string CSystemInfo::getFreePhysicalMemoryText() const
{
    return megabytes(systemTree.memory.freePhysical);
}

std::string CSystemInfo::getOperatingSystemText() const
{
    return systemTree.windows.operatingSystem.get();
}

std::string CSystemInfo::getMotherboardManufacturer() const
{
    return systemTree.motherboard.manufacturer.get();
}

std::string CSystemInfo::getMotherboardModel() const
{
    return systemTree.motherboard.model.get();
}

unsigned CSystemInfo::getDesktopWidth() const
{
    return systemTree.windows.desktopWidth.get();
}

unsigned CSystemInfo::getDesktopHeight() const
{
    return systemTree.windows.desktopHeight.get();
}

unsigned CSystemInfo::getDesktopBitsPerPixel() const
{
    return systemTree.windows.desktopBPP.get();
}

std::string CSystemInfo::getDirectXVersionText() const
{
    return systemTree.directX.version.toString();
}

const DisplayDevice *CSystemInfo::device(const std::string &name_) const
{
    for (const DisplayDevice &candidate : systemTree.directDraw.displayDevices)
        if (candidate.name.get() == name_)
            return &candidate;
    return nullptr;
}

std::string CSystemInfo::getVideoMemoryText(const std::string &deviceName_) const
{
    const DisplayDevice *found = device(deviceName_);
    return found ? megabytes(found->videoMemory) : undetected;
}

std::string CSystemInfo::getTextureMemoryText(const std::string &deviceName_) const
{
    const DisplayDevice *found = device(deviceName_);
    return found ? megabytes(found->textureMemory) : undetected;
}

std::string CSystemInfo::getDriverVersionText(const std::string &deviceName_) const
{
    const DisplayDevice *found = device(deviceName_);
    return found ? found->driverVersion.get() : "Unknown";
}
