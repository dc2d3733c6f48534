#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "kvs_w32_streamfile.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A fresh folder per test, removed with everything in it.
class FileStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kvfileXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string file(const std::string &name, const Bytes &bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // The edge-case file of ten bytes 0..9.
    std::string tenBytes() { return file("ten.bin", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}); }

    fs::path dir;
};

// Runs f and returns the underflow count it threw, or -1 when it threw none.
long long underflowOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_STREQ(e.getContext(), "KVS_W32streamInputFile");
        return e.getCount();
    }
    return -1;
}

TEST_F(FileStream, ReadsEveryScalarLittleEndianWithItsWireWidth)
{
    const std::string path = file("scalars.bin", {
        'A',                          // char
        0xFE,                         // unsigned char
        0xFE, 0xFF,                   // short -2
        0x34, 0x12,                   // unsigned short
        0xFE, 0xFF, 0xFF, 0xFF,       // int -2
        0x04, 0x03, 0x02, 0x01,       // unsigned
        0xFE, 0xFF, 0xFF, 0xFF,       // long -2, 4 bytes on the file
        0xFF, 0xFF, 0xFF, 0xFF,       // unsigned long
        0x00, 0x00, 0x80, 0x3F,       // float 1
        0, 0, 0, 0, 0, 0, 0xE0, 0xBF, // double -0.5
    });
    KVS_W32streamInputFile in(path.c_str());
    char c = 0;
    unsigned char uc = 0;
    short s = 0;
    unsigned short us = 0;
    int i = 0;
    unsigned u = 0;
    long l = 0;
    unsigned long ul = 0;
    float f = 0;
    double d = 0;
    in >> c >> uc >> s >> us >> i >> u >> l >> ul >> f >> d;
    EXPECT_EQ(c, 'A');
    EXPECT_EQ(uc, 0xFE);
    EXPECT_EQ(s, -2);
    EXPECT_EQ(us, 0x1234);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(u, 0x01020304u);
    EXPECT_EQ(l, -2L);
    EXPECT_EQ(ul, 0xFFFFFFFFul);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(d, -0.5);
    EXPECT_EQ(underflowOf([&] { in >> c; }), 0);
}

TEST_F(FileStream, ArraysLongerThanOneReadBufferArriveWhole)
{
    // 3000 longs are 12000 bytes on the file: several rounds of decoding.
    Bytes bytes;
    for (std::uint32_t v = 0; v < 3000; ++v)
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<unsigned char>((v * 2654435761u) >> (8 * b)));
    const std::string path = file("longs.bin", bytes);
    KVS_W32streamInputFile in(path.c_str());
    std::vector<unsigned long> got(3000);
    in.readStr(got.data(), 3000);
    for (std::uint32_t v = 0; v < 3000; ++v)
        ASSERT_EQ(got[v], static_cast<std::uint32_t>(v * 2654435761u)) << v;
}

TEST_F(FileStream, ShortReadsCountTheBytesObtainedAndKeepThem)
{
    {
        KVS_W32streamInputFile in(tenBytes().c_str());
        int i = 0;
        double d = 0;
        in >> i;
        EXPECT_EQ(i, 0x03020100);
        EXPECT_EQ(underflowOf([&] { in >> d; }), 6);
        // The file is used up: the next read gets nothing.
        EXPECT_EQ(underflowOf([&] { in >> i; }), 0);
    }
    {
        // An array cut off inside its third element keeps the two before it.
        KVS_W32streamInputFile in(tenBytes().c_str());
        unsigned long values[3] = {7, 7, 7};
        EXPECT_EQ(underflowOf([&] { in.readStr(values, 3); }), 10);
        EXPECT_EQ(values[0], 0x03020100ul);
        EXPECT_EQ(values[1], 0x07060504ul);
    }
    {
        KVS_W32streamInputFile in(tenBytes().c_str());
        unsigned char raw[12] = {};
        EXPECT_EQ(underflowOf([&] { in.readStr(static_cast<void *>(raw), 12); }), 10);
        EXPECT_EQ(raw[9], 9);
    }
}

TEST_F(FileStream, SkipMayReachTheEndButNotPassIt)
{
    {
        KVS_W32streamInputFile in(tenBytes().c_str());
        EXPECT_EQ(underflowOf([&] { in.skip(10); }), -1);
        EXPECT_EQ(underflowOf([&] { in.skip(1); }), 0);
    }
    {
        KVS_W32streamInputFile in(tenBytes().c_str());
        EXPECT_EQ(underflowOf([&] { in.skip(11); }), 10);
        char c;
        EXPECT_EQ(underflowOf([&] { in >> c; }), 0) << "a failed skip leaves the position at the end";
    }
    {
        KVS_W32streamInputFile in(tenBytes().c_str());
        in.skip(3);
        unsigned char b = 0;
        in >> b;
        EXPECT_EQ(b, 3);
        EXPECT_EQ(underflowOf([&] { in.skip(0xFFFFFFFFu); }), 6);
    }
}

TEST_F(FileStream, TextsStopAtTheirZeroByte)
{
    KVS_W32streamInputFile in(file("text.bin", {'a', 'b', 0, 'c'}).c_str());
    std::string s = "old";
    in >> s;
    EXPECT_EQ(s, "ab");
    char c = 0;
    in >> c;
    EXPECT_EQ(c, 'c');
    EXPECT_EQ(underflowOf([&] { in >> s; }), 0) << "a text without its 0 byte runs into the end";
}

TEST_F(FileStream, FilesBeyond4GiBArePositionedIn64Bits)
{
    const std::string path = (dir / "huge.bin").string();
    const std::uint64_t marker = std::uint64_t(1) << 32;
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const unsigned char tail[6] = {'D', 'E', 'E', 'P', 0xAA, 0xBB};
        const bool made = ::pwrite(fd, tail, sizeof tail, static_cast<off_t>(marker)) == sizeof tail;
        ::close(fd);
        if (!made)
            GTEST_SKIP() << "the file system holds no sparse file of 4 GiB";
    }
    KVS_W32streamInputFile in(path.c_str());
    in.skip(0xFFFFFFFFu);
    in.skip(1);
    char word[4];
    in.readStr(word, 4);
    EXPECT_EQ(std::string(word, 4), "DEEP");
    // Two bytes are left; a 32-bit size would see none, or gigabytes.
    EXPECT_EQ(underflowOf([&] { in.skip(3); }), 2);
}

struct FileError {
    const char *function;
    const char *message;
};

void expectFileError(const std::function<void()> &f, const FileError &want)
{
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const KVS_exceptionStreamFile &e) {
        EXPECT_STREQ(e.getContext(), "KVS_W32streamInputFile");
        EXPECT_STREQ(e.getFunction(), want.function);
        EXPECT_STREQ(e.getMessage(), want.message);
    }
}

TEST_F(FileStream, NamesThatAreNoReadableFileCannotBeOpened)
{
    const FileError unable = {"open(const char *fileName_)", "Unable to open file for reading"};
    const std::string missing = (dir / "missing.bin").string();
    const std::string folder = dir.string();
    for (const char *name : {missing.c_str(), folder.c_str(), static_cast<const char *>(nullptr)}) {
        SCOPED_TRACE(name ? name : "(null)");
        expectFileError([&] { KVS_W32streamInputFile in(name); }, unable);
    }

    // A failed reopen leaves the stream closed, not half open.
    KVS_W32streamInputFile in(tenBytes().c_str());
    expectFileError([&] { in.open(missing.c_str()); }, unable);
    EXPECT_EQ(in.getOpenCount(), 0u);
    EXPECT_FALSE(in.isFileOpen());
}

TEST_F(FileStream, ReleasedStreamsNeitherReadNorSkip)
{
    KVS_W32streamInputFile in(tenBytes().c_str());
    EXPECT_EQ(in.getOpenCount(), 1u);
    EXPECT_FALSE(in.close());
    EXPECT_FALSE(in.isFileOpen());
    char c;
    int i;
    expectFileError([&] { in.readStr(&c, 1); }, {"readStr(void*, unsigned chars_)", "File not open"});
    expectFileError([&] { in >> i; }, {"readStr(void*, unsigned chars_)", "File not open"});
    expectFileError([&] { in.skip(1); }, {"skip(unsigned chars_)", "File not open"});
    EXPECT_FALSE(in.open()) << "a released stream stays closed";
}

TEST_F(FileStream, OpenCountDecidesWhenTheFileCloses)
{
    KVS_W32streamInputFile in(tenBytes().c_str());
    EXPECT_TRUE(in.open());
    EXPECT_EQ(in.getOpenCount(), 3u);
    EXPECT_TRUE(in.close());
    EXPECT_TRUE(in.isFileOpen());
    in.closeFile();
    EXPECT_FALSE(in.isFileOpen());
    EXPECT_EQ(in.getOpenCount(), 0u);
}

TEST_F(FileStream, AnotherFileOnlyWithASingleReference)
{
    const std::string first = tenBytes();
    const std::string second = file("second.bin", {0x55});

    KVS_W32streamInputFile shared(first.c_str());
    shared.open();
    try {
        shared.open(second.c_str());
        ADD_FAILURE() << "no exception";
    } catch (const KVS_exceptionReconstruct &e) {
        EXPECT_STREQ(e.getContext(), "KVS_W32streamInputFile");
        EXPECT_STREQ(e.getFunction(), "open(const char *fileName_)");
        EXPECT_STREQ(e.getMessage(), "Unable to reconstruct object due to multiple references");
    }
    EXPECT_EQ(shared.getOpenCount(), 3u);
    unsigned char b = 0xFF;
    shared >> b;
    EXPECT_EQ(b, 0) << "still reads the first file";

    KVS_W32streamInputFile single(first.c_str());
    single.skip(4);
    single.open(second.c_str());
    single >> b;
    EXPECT_EQ(b, 0x55) << "reads the new file from its start";
    EXPECT_FALSE(single.close());
    EXPECT_FALSE(single.isFileOpen());
}

TEST_F(FileStream, DestroyingAStreamWithReferencesLeftFreesItsDescriptor)
{
    if (!fs::exists("/proc/self/fd"))
        GTEST_SKIP() << "no descriptor listing on this system";
    auto descriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const std::string path = tenBytes();
    const auto before = descriptors();
    {
        KVS_W32streamInputFile in(path.c_str());
        in.open();
        in.open();
    }
    EXPECT_EQ(descriptors(), before);
}

} // namespace
