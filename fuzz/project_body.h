#pragma once

// Body of the project fuzz target, shared with the corpus replay of the unit
// tests. The input (4 seed bytes, then an item region) is wrapped into an
// image with a correct CRC, so the bytes reach the item store, the model,
// the test values and the system information; the raw input also goes to
// the image parser as it is. A project that opens must show, export, and
// rebuild into an image that opens to the same items.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "U2001crypt.h"
#include "fuzz_bodies.h"
#include "kvs_bytereader.h"
#include "kvs_exception.h"
#include "layout.h"
#include "scratch_folder.h"
#include "uDataVector.h"
#include "uPolyraProject.h"
#include "uProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"

namespace fuzzbody {

// Header field, plain seed, then version word, items and CRC-32 over both,
// scrambled from the version word on.
inline std::unique_ptr<unsigned char[]> projectImageOf(const unsigned char *items, std::size_t n, std::uint32_t seed,
                                                       std::size_t &length)
{
    static const char header[] = "Polyra2001 Project File\n\x1a";
    KVS_byteWriter w(KVS_byteOrder::big);
    w.writeBytes(header, 26); // with the terminating zero
    w.writeU32(seed);
    w.writeU32(59);
    w.writeBytes(items, n);
    w.writeU32(crc32Buffer(w.bytes().data() + 30, static_cast<unsigned>(4 + n)));
    length = w.size();
    auto image = copyOf(w.bytes().data(), length);
    scrambleBuffer(image.get() + 30, static_cast<int>(length - 30), seed);
    return image;
}

// False for an image that is refused or raises one of the errors a broken
// file may raise.
inline bool openProject(CPolyraProject &project, std::unique_ptr<unsigned char[]> image, std::size_t length)
{
    try {
        return parseProjectImage(project, std::move(image), length);
    } catch (const Exception &) {
    } catch (const KVS_exceptionBase &) {
    }
    return false;
}

inline std::vector<unsigned char> itemsOf(const CPolyraProject &project)
{
    SCORVISTA_FUZZ_CHECK(project.getStore());
    std::size_t length = 0;
    const auto region = project.getStore()->serialise(length, 0, 0);
    SCORVISTA_FUZZ_CHECK(region);
    return std::vector<unsigned char>(region.get(), region.get() + length);
}

inline void touchSystemInfo(CPolyraProject &project)
{
    const CSystemInfo *info = project.getSystemInfo();
    SCORVISTA_FUZZ_CHECK(info);
    // A stored block is always read: it is read from memory.
    SCORVISTA_FUZZ_CHECK(!info->hasData() || info->isRead());
    std::string sink = info->getCpuSpeedText() + info->getProcessorName() + info->getL1CacheText() +
                       info->getL2CacheText() + info->getTotalPhysicalMemoryText() +
                       info->getFreePhysicalMemoryText() + info->getOperatingSystemText() +
                       info->getMotherboardManufacturer() + info->getMotherboardModel() +
                       info->getDirectXVersionText();
    (void)info->getCpuSpeedMHz();
    (void)info->getDesktopWidth();
    (void)info->getDesktopHeight();
    (void)info->getDesktopBitsPerPixel();
    std::vector<std::string> devices{std::string(), project.getRenderingPlatform()};
    for (const auto &device : info->tree().directDraw.displayDevices)
        devices.push_back(device.name.get());
    for (const std::string &device : devices)
        sink += info->getVideoMemoryText(device) + info->getTextureMemoryText(device) +
                info->getDriverVersionText(device);
    sink += project.getCpuSpeedText() + project.getCpuName();
    (void)project.getCpuSpeed();
}

// Everything a project window and the result grid ask of a project.
inline void touchProject(CPolyraProject &project)
{
    std::string sink = project.getRefreshRateText() + project.getTextureFormatText() +
                       project.getRenderingPlatform() + project.getResolutionText() +
                       project.getDisplayModeText() + project.getRenderingPipeline() +
                       project.getColorDepthText(true) + project.getColorDepthText(false) +
                       project.getZBufferText() + project.getFsaaText() + project.getFrameBufferText(true) +
                       project.getFrameBufferText(false) + project.getVersionText() + project.getDescription();
    (void)project.getColorDepth();
    (void)project.getWidth();
    (void)project.getHeight();
    (void)project.getFrameBuffer();
    (void)project.getRefreshRate();
    (void)project.getZBufferDepth();
    (void)project.getFsaaSamples();
    SCORVISTA_FUZZ_CHECK(!project.getName().empty());

    for (int id = 0; id <= 26; ++id) {
        TTestValue *value = project.getTestValue(id);
        if (!value)
            continue;
        SCORVISTA_FUZZ_CHECK(value->getRow() && value->getRow()->id == id);
        for (int mode : {0, 1, 2, 3, 4, 0x102, 0x103})
            sink += project.getTestName(value, mode);
        sink += value->getText();
        // Status codes read as 0 for sorting and charts.
        SCORVISTA_FUZZ_CHECK(!(project.getTestResult(value) < 0));
    }
    SCORVISTA_FUZZ_CHECK(project.getTestName(nullptr, 0).empty());
    SCORVISTA_FUZZ_CHECK(project.getTestResult(nullptr) == 0.0);
    touchSystemInfo(project);
}

inline void checkExport(CPolyraProject &project)
{
    const std::vector<unsigned char> before = itemsOf(project);
    const unsigned blockBefore = project.getModel()->getSystemInfoSize();
    std::vector<std::string> lines;
    SCORVISTA_FUZZ_CHECK(project.exportText(lines));
    SCORVISTA_FUZZ_CHECK(!lines.empty() && lines.front() == "POLYRA2001 PROJECT FILE");
    // An export works on a copy of the model.
    SCORVISTA_FUZZ_CHECK(itemsOf(project) == before);
    SCORVISTA_FUZZ_CHECK(project.getModel()->getSystemInfoSize() == blockBefore);
    SCORVISTA_FUZZ_CHECK(!KV_Rigscan::textExport && !KV_Rigscan::legacyLayout);
}

// The image the project saves (as a file, or as a database record) opens
// to the same items, seed, version, texts and hidden flag.
inline void checkRebuild(CPolyraProject &project, bool record)
{
    std::size_t length = 0;
    auto image = buildProjectImage(project, length, record);
    SCORVISTA_FUZZ_CHECK(image && length >= 38 + (record ? 1u : 0u));
    const std::vector<unsigned char> items = itemsOf(project);
    CPolyraProject again;
    bool opened = false;
    try {
        opened = parseProjectImage(again, std::move(image), length);
    } catch (const Exception &e) {
        checkFailed(__FILE__, __LINE__, std::string("rebuilt image raised: ") + e.what());
    } catch (const KVS_exceptionBase &e) {
        checkFailed(__FILE__, __LINE__,
                    std::string("rebuilt image raised: ") + e.getFunction() + " " + e.getMessage());
    }
    SCORVISTA_FUZZ_CHECK(opened);
    SCORVISTA_FUZZ_CHECK(itemsOf(again) == items);
    SCORVISTA_FUZZ_CHECK(again.getSeed() == project.getSeed());
    SCORVISTA_FUZZ_CHECK(again.getVersion() == project.getVersion());
    SCORVISTA_FUZZ_CHECK(again.getName() == project.getName());
    SCORVISTA_FUZZ_CHECK(again.getDescription() == project.getDescription());
    SCORVISTA_FUZZ_CHECK(again.getDisplayModeText() == project.getDisplayModeText());
    if (record)
        SCORVISTA_FUZZ_CHECK(again.isHidden() == project.isHidden());
    for (int id = 1; id <= 25; ++id) {
        const TTestValue *a = project.getTestValue(id);
        const TTestValue *b = again.getTestValue(id);
        SCORVISTA_FUZZ_CHECK((a == nullptr) == (b == nullptr));
        if (a)
            SCORVISTA_FUZZ_CHECK(a->isPresent() == b->isPresent() && a->getText() == b->getText());
    }
}

inline void exerciseProject(CPolyraProject &project)
{
    SCORVISTA_FUZZ_CHECK(project.getStore() && project.getModel());
    SCORVISTA_FUZZ_CHECK(!KV_Rigscan::legacyLayout);
    touchProject(project);
    checkExport(project);
    checkRebuild(project, false);
    project.setHidden(!project.isHidden());
    checkRebuild(project, true);
}

inline void readProject(const std::uint8_t *data, std::size_t size)
{
    if (size > (1u << 20))
        return;
    ScratchTmpdirScope tmpdir;
    const std::size_t liveBefore = CBasicProject::liveProjects().size();
    {
        // The input as a file or record image: headers and short inputs.
        CPolyraProject project;
        if (openProject(project, copyOf(data, size), size))
            exerciseProject(project);
    }
    {
        std::uint32_t seed = 0;
        for (std::size_t i = 0; i < 4 && i < size; ++i)
            seed = (seed << 8) | data[i];
        const std::size_t skip = size < 4 ? size : 4;
        std::size_t length = 0;
        auto image = projectImageOf(data + skip, size - skip, seed, length);
        CPolyraProject project;
        if (openProject(project, std::move(image), length))
            exerciseProject(project);
    }
    SCORVISTA_FUZZ_CHECK(CBasicProject::liveProjects().size() == liveBefore);
    SCORVISTA_FUZZ_CHECK(!KV_Rigscan::textExport && !KV_Rigscan::legacyLayout);
    // No temporary file outlives a read or an export.
    SCORVISTA_FUZZ_CHECK(scratchEntries() == 0);
}

} // namespace fuzzbody
