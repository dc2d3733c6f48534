#pragma once

// A test with a folder of its own for result files, a recording stand-in
// for the windows, and no database left open afterwards.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "item_bytes.h"
#include "recording_services.h"
#include "uBasicDatabase.h"

class ResultFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "scvfilesXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        CBasicDatabase::deleteAll();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // Writes the bytes to a file of the folder and returns its path.
    std::string write(const std::string &name, const Bytes &bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        return path;
    }

    RecordingServices services;
    std::filesystem::path dir;
};
