// Runs the committed fuzz corpus through the fuzz bodies, so the ordinary
// (sanitizer) build checks the same invariants as the fuzzers.

#include "fuzz_bodies.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

template <typename Body>
void replay(const char* folder, Body body)
{
    const fs::path dir = fs::path(SCORVISTA_CORPUS) / folder;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        body(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(CorpusReplay, DataVector) { replay("datavector", fuzzbody::dataVector); }

TEST(CorpusReplay, Crypt) { replay("crypt", fuzzbody::crypt); }

} // namespace
