// Runs the committed project and database seeds through the fuzz bodies, so
// the ordinary (sanitizer) build checks the same invariants as the fuzzers.

#include "database_body.h"
#include "project_body.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

template <typename Body>
void replayFiles(const char *folder, Body body)
{
    const fs::path dir = fs::path(SCORVISTA_CORPUS) / folder;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    // An open database of the same name would make a reload ask, and fail.
    ASSERT_TRUE(CBasicDatabase::openDatabases().empty());
    int files = 0;
    for (const auto &entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        body(reinterpret_cast<const std::uint8_t *>(raw.data()), raw.size());
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(FileCorpusReplay, Projects) { replayFiles("project", fuzzbody::readProject); }

TEST(FileCorpusReplay, Databases) { replayFiles("database", fuzzbody::readDatabase); }

} // namespace
