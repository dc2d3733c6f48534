#ifndef TESTS_RESULTS_SCRATCH_TMPDIR_H
#define TESTS_RESULTS_SCRATCH_TMPDIR_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "filesizelimit.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

// Points TMPDIR at a fresh, empty folder for one test, so the temporary files
// a test leaves behind can be counted; puts TMPDIR back afterwards.
class ScratchTmpdir : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char *old = std::getenv("TMPDIR"))
            saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "scvtestXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        setTmpdir(folder.string());
    }
    void TearDown() override
    {
        if (saved)
            ::setenv("TMPDIR", saved->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static void setTmpdir(const std::string &path) { ::setenv("TMPDIR", path.c_str(), 1); }

    // Entries of the scratch folder whose names begin with the prefix.
    int filesWithPrefix(const std::string &prefix) const
    {
        int count = 0;
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                ++count;
        return count;
    }

    std::filesystem::path folder;

private:
    std::optional<std::string> saved;
};

#endif
