#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

#include "TempFile.h"
#include "scratch_tmpdir.h"

namespace {

namespace fs = std::filesystem;

std::string contentOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using TempFileTest = ScratchTmpdir;

TEST_F(TempFileTest, LivesInTmpdirWithItsPrefixExactlyAsLongAsTheObject)
{
    std::string kept;
    {
        TempFile a("scv");
        TempFile b("scv");
        kept = a.path();
        EXPECT_NE(a.path(), b.path());
        EXPECT_EQ(fs::path(a.path()).parent_path(), folder);
        EXPECT_EQ(fs::path(a.path()).filename().string().rfind("scv", 0), 0u);
        EXPECT_EQ(fs::path(a.path()).extension(), ".tmp");
        EXPECT_TRUE(fs::is_regular_file(a.path()));
        EXPECT_EQ(fs::file_size(a.path()), 0u);
        struct stat st;
        ASSERT_EQ(::stat(a.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0077, 0u) << "others may not read it";
        EXPECT_EQ(filesWithPrefix("scv"), 2);
    }
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_EQ(filesWithPrefix("scv"), 0);
}

TEST_F(TempFileTest, IsRemovedWhileAnExceptionUnwinds)
{
    try {
        TempFile file("scv");
        ASSERT_TRUE(file.writeAll("x", 1));
        throw std::runtime_error("boom");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(filesWithPrefix("scv"), 0);
}

TEST_F(TempFileTest, WriteAllReplacesTheContent)
{
    TempFile file("scv");
    ASSERT_TRUE(file.writeAll("hello world", 11));
    EXPECT_EQ(contentOf(file.path()), "hello world");
    ASSERT_TRUE(file.writeAll("ab", 2));
    EXPECT_EQ(contentOf(file.path()), "ab") << "nothing of the longer text stays behind";
    ASSERT_TRUE(file.writeAll(nullptr, 0));
    EXPECT_EQ(contentOf(file.path()), "");
    EXPECT_FALSE(file.writeAll(nullptr, 3));
}

TEST_F(TempFileTest, AShortWriteIsAFailure)
{
    TempFile file("scv");
    const std::string text(200, 'z');
    bool written;
    {
        FileSizeLimit limit(100);
        if (!limit.active)
            GTEST_SKIP() << "file size limit not available";
        written = file.writeAll(text.data(), text.size());
    }
    EXPECT_FALSE(written);
}

TEST_F(TempFileTest, RemoveAndMoveLeaveOneOwner)
{
    TempFile first("scv");
    const std::string path = first.path();
    TempFile second(std::move(first));
    EXPECT_TRUE(first.path().empty());
    EXPECT_FALSE(first.writeAll("x", 1));
    EXPECT_EQ(second.path(), path);

    TempFile third("scv");
    const std::string replaced = third.path();
    third = std::move(second);
    EXPECT_FALSE(fs::exists(replaced)) << "the file a move replaces is removed";
    EXPECT_EQ(third.path(), path);

    EXPECT_TRUE(third.remove());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(third.path().empty());
    EXPECT_TRUE(third.remove());
    EXPECT_EQ(filesWithPrefix("scv"), 0);
}

struct FailureCase {
    const char *name;
    // Sets up the failing situation; returns the prefix to use.
    std::string (*arrange)(const fs::path &folder);
    TempFileError::Step step;
    const char *message;
};

TEST_F(TempFileTest, UnusableFoldersAndPrefixesAreReported)
{
    const FailureCase cases[] = {
        {"missing folder",
         [](const fs::path &f) {
             setTmpdir((f / "nowhere").string());
             return std::string("scv");
         },
         TempFileError::Step::Folder, "Unable to get tmp-directory"},
        {"folder is a file",
         [](const fs::path &f) {
             std::ofstream((f / "plain").string()) << "x";
             setTmpdir((f / "plain").string());
             return std::string("scv");
         },
         TempFileError::Step::Folder, "Unable to get tmp-directory"},
        {"prefix with a separator",
         [](const fs::path &f) {
             setTmpdir(f.string());
             return std::string("../scv");
         },
         TempFileError::Step::File, "Unable to get temporary file"},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string prefix = c.arrange(folder);
        try {
            TempFile file(prefix);
            ADD_FAILURE() << "created " << file.path();
        } catch (const TempFileError &e) {
            EXPECT_EQ(e.step, c.step);
            EXPECT_EQ(e.Message, c.message);
        }
    }
    EXPECT_FALSE(fs::exists(folder.parent_path() / "scv")) << "no file outside the folder";
}

TEST_F(TempFileTest, AFolderWithoutWriteAccessGivesNoFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "access rights do not bind root";
    const fs::path locked = folder / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    setTmpdir(locked.string());
    try {
        TempFile file("scv");
        ADD_FAILURE() << "created " << file.path();
    } catch (const TempFileError &e) {
        EXPECT_EQ(e.step, TempFileError::Step::File);
        EXPECT_EQ(e.Message, "Unable to get temporary file");
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(TempFileTest, WithoutTmpdirTheSystemFolderIsUsed)
{
    ::unsetenv("TMPDIR");
    EXPECT_EQ(TempFile::folder(), "/tmp");
    setTmpdir("");
    EXPECT_EQ(TempFile::folder(), "/tmp");
    setTmpdir(folder.string() + "//");
    EXPECT_EQ(TempFile::folder(), folder.string());
}

} // namespace
