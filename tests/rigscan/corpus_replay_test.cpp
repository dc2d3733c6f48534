#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "sysinfo_body.h"

// Every seed of the system-information fuzz target goes through the fuzz
// body here too, so the ordinary (sanitized) suite covers the broken blocks.
TEST(SystemInfoCorpus, EverySeedReadsOrFailsCleanly)
{
    const std::filesystem::path dir = std::filesystem::path(SCORVISTA_CORPUS) / "sysinfo";
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int seeds = 0;
    for (const auto &entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fuzzbody::readSystemInfo(bytes.data(), bytes.size());
        ++seeds;
    }
    EXPECT_GT(seeds, 0);
}
