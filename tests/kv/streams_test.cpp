#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "kvs_streammemory.h"
#include "kvs_streamsub.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes written(const std::function<void(KVS_streamOutputBase &)> &write)
{
    KVS_streamOutputMemory out(64);
    write(out);
    return Bytes(out.getBuffer(), out.getBuffer() + out.getLength());
}

struct ScalarCase {
    const char *name;
    std::function<void(KVS_streamOutputBase &)> write;
    Bytes bytes;
    // Reads one value back and tells whether it is the one written.
    std::function<bool(KVS_streamInputBase &)> readsBack;
};

template <class T>
ScalarCase scalar(const char *name, T value, Bytes bytes)
{
    return {name, [value](KVS_streamOutputBase &out) { out << value; }, std::move(bytes),
            [value](KVS_streamInputBase &in) {
                T got{};
                in >> got;
                return std::memcmp(&got, &value, sizeof(T)) == 0;
            }};
}

TEST(StreamBytes, EveryScalarIsLittleEndianWithItsWireWidth)
{
    const std::vector<ScalarCase> cases = {
        scalar<char>("char", 'A', {0x41}),
        scalar<unsigned char>("unsigned char", 0xFE, {0xFE}),
        scalar<short>("short", -2, {0xFE, 0xFF}),
        scalar<unsigned short>("unsigned short", 0x1234, {0x34, 0x12}),
        scalar<int>("int", -2, {0xFE, 0xFF, 0xFF, 0xFF}),
        scalar<unsigned>("unsigned", 0x01020304u, {0x04, 0x03, 0x02, 0x01}),
        scalar<long>("long", -2L, {0xFE, 0xFF, 0xFF, 0xFF}),
        scalar<long>("long max32", 0x7FFFFFFFL, {0xFF, 0xFF, 0xFF, 0x7F}),
        scalar<unsigned long>("unsigned long", 0xFFFFFFFFul, {0xFF, 0xFF, 0xFF, 0xFF}),
        scalar<float>("float", 1.0f, {0x00, 0x00, 0x80, 0x3F}),
        scalar<double>("double", 1.0, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}),
        scalar<double>("double -0.5", -0.5, {0, 0, 0, 0, 0, 0, 0xE0, 0xBF}),
    };
    for (const ScalarCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes got = written(c.write);
        EXPECT_EQ(got, c.bytes);
        KVS_streamInputMemory in(got.data(), static_cast<unsigned>(got.size()));
        EXPECT_TRUE(c.readsBack(in));
        EXPECT_EQ(in.getRemaining(), 0u);
    }
}

TEST(StreamBytes, TextsEndInOneZeroByteAndReadBackUpToIt)
{
    EXPECT_EQ(written([](auto &out) { out << "abc"; }), (Bytes{0x61, 0x62, 0x63, 0x00}));
    EXPECT_EQ(written([](auto &out) { out << ""; }), (Bytes{0x00}));

    const Bytes two = {'a', 'b', 'c', 0, 0, 'x'};
    KVS_streamInputMemory in(two.data(), static_cast<unsigned>(two.size()));
    std::string s = "old";
    in >> s;
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(in.getRemaining(), 2u);
    in >> s;
    EXPECT_EQ(s, "");
    // No terminator before the end: the underflow of the char read, and the
    // characters taken so far stay.
    try {
        in >> s;
        FAIL() << "expected an underflow";
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_EQ(s, "x");
    }
}

TEST(StreamBytes, ArraysAreTheirElementsBackToBack)
{
    const short values[3] = {1, -1, 256};
    EXPECT_EQ(written([&](auto &out) { out.writeStr(values, 3); }),
              (Bytes{0x01, 0x00, 0xFF, 0xFF, 0x00, 0x01}));
    const long longs[2] = {1, -1};
    const Bytes b = written([&](auto &out) { out.writeStr(longs, 2); });
    EXPECT_EQ(b.size(), 8u);
    long back[2] = {};
    KVS_streamInputMemory in(b.data(), 8);
    in.readStr(back, 2);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[1], -1);
}

TEST(MemoryInput, ShortReadsThrowAndConsumeNothing)
{
    const unsigned char three[3] = {1, 2, 3};
    KVS_streamInputMemory in(three, 3);
    int v = 0;
    try {
        in >> v;
        FAIL();
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_EQ(e.getCount(), 0u);
        EXPECT_STREQ(e.getMessage(), "Stream underflow");
        EXPECT_STREQ(e.getContext(), "KVS_streamInputMemory");
        EXPECT_STREQ(e.getFunction(), "readStr(void*, unsigned chars_)");
    }
    EXPECT_EQ(in.getRemaining(), 3u);
    unsigned char c = 0;
    in >> c;
    EXPECT_EQ(c, 1);
}

TEST(MemoryInput, UnitCountsThatWouldWrapIn32BitsStillUnderflow)
{
    const unsigned char four[4] = {1, 2, 3, 4};
    KVS_streamInputMemory in(four, 4);
    int target[1] = {};
    // 0x40000001 ints are 0x100000004 bytes: 4 when wrapped to 32 bits.
    EXPECT_THROW(in.readStr(target, 0x40000001u), KVS_exceptionStreamUnderflow);
    double d[1] = {};
    EXPECT_THROW(in.readStr(d, 0x20000001u), KVS_exceptionStreamUnderflow);
    EXPECT_EQ(in.getRemaining(), 4u);
}

TEST(MemoryInput, SkipPastTheEndTakesWhatIsLeft)
{
    const unsigned char four[4] = {};
    KVS_streamInputMemory in(four, 4);
    try {
        in.skip(10);
        FAIL();
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_EQ(e.getCount(), 4u);
        EXPECT_STREQ(e.getFunction(), "skip(unsigned bytes_)");
    }
    EXPECT_EQ(in.getRemaining(), 0u);
}

TEST(MemoryInput, NullPointersThrowZeroPointer)
{
    EXPECT_THROW(KVS_streamInputMemory(nullptr, 5), KVS_exceptionZeroPointer);
    KVS_streamInputMemory empty(nullptr, 0);
    char c;
    EXPECT_THROW(empty >> c, KVS_exceptionStreamUnderflow);

    const unsigned char data[4] = {};
    KVS_streamInputMemory in(data, 4);
    try {
        in.readStr(static_cast<int *>(nullptr), 1);
        FAIL();
    } catch (const KVS_exceptionZeroPointer &e) {
        EXPECT_STREQ(e.getMessage(), "0-pointer assignment");
    }
    EXPECT_EQ(in.getRemaining(), 4u);
}

TEST(MemoryOutput, FullBufferThrowsOverflowAndWritesNothing)
{
    KVS_streamOutputMemory out(32);
    const char fill[30] = {};
    out.writeStr(fill, 30);
    try {
        out << 7;
        FAIL();
    } catch (const KVS_exceptionStreamOverflow &e) {
        EXPECT_EQ(e.getCount(), 0u);
        EXPECT_STREQ(e.getMessage(), "Stream overflow");
        EXPECT_STREQ(e.getFunction(), "writeStr(const void*, unsigned chars_)");
    }
    EXPECT_EQ(out.getLength(), 30u);
    out << static_cast<short>(1);
    EXPECT_EQ(out.getLength(), 32u);
    EXPECT_THROW(out << 'x', KVS_exceptionStreamOverflow);
}

TEST(SubStream, BoundedReadTakesWholeUnitsThenUnderflows)
{
    const unsigned char data[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    KVS_streamInputMemory base(data, 12);
    KVS_streamInputSub sub(&base, 6);
    int two[2] = {};
    try {
        sub.readStr(two, 2);
        FAIL();
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_EQ(e.getCount(), 1u);
        EXPECT_STREQ(e.getContext(), "KVS_streamInputSub");
        EXPECT_STREQ(e.getFunction(), "readStr(T *string_, unsigned units_=1)");
    }
    EXPECT_EQ(two[0], 1);
    EXPECT_EQ(sub.getRemaining(), 2u);
    EXPECT_EQ(base.getRemaining(), 8u);
}

// Hands a memory stream on one read at a time, so a text is read through
// it char by char: the reference for the streams that find the 0 in one go.
class CharByChar : public KVS_streamInputBase {
public:
    explicit CharByChar(KVS_streamInputMemory &memory_) : memory(memory_) {}
    bool close() override { return memory.close(); }
    bool open() override { return memory.open(); }
#define KVS_X(T)                                                                                   \
    void readStr(T *string_, unsigned units_) override { memory.readStr(string_, units_); }
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X
    void skip(unsigned bytes_) override { memory.skip(bytes_); }

private:
    KVS_streamInputMemory &memory;
};

// What one text read through two nested chunks gives and leaves behind.
struct TextRead {
    std::string text;
    std::string underflowOf; // the stream that ran out; empty when none did
    unsigned inner, outer, base;

    bool operator==(const TextRead &) const = default;
};

std::ostream &operator<<(std::ostream &out, const TextRead &r)
{
    return out << '"' << r.text << "\" underflow of '" << r.underflowOf << "' left " << r.inner << '/' << r.outer
               << '/' << r.base;
}

TextRead readText(const Bytes &data, unsigned outerBound, unsigned innerBound, bool charByChar)
{
    KVS_streamInputMemory memory(data.data(), static_cast<unsigned>(data.size()));
    CharByChar slow(memory);
    KVS_streamInputSub outer(charByChar ? static_cast<KVS_streamInputBase *>(&slow) : &memory, outerBound);
    KVS_streamInputSub inner(&outer, innerBound);
    TextRead r;
    r.text = "old";
    try {
        inner >> r.text;
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_EQ(e.getCount(), 0u);
        r.underflowOf = e.getContext();
    }
    r.inner = inner.getRemaining();
    r.outer = outer.getRemaining();
    r.base = memory.getRemaining();
    return r;
}

TEST(SubStream, TextsStopAtTheZeroTheBoundOrTheEndAsCharByChar)
{
    const Bytes abc = {'a', 'b', 'c', 0, 'x'};
    const Bytes open = {'a', 'b', 'c', 'd'};
    struct Case {
        const char *name;
        Bytes data;
        unsigned outer, inner;
        TextRead expected;
    } cases[] = {
        {"zero inside both bounds", abc, 5, 5, {"abc", "", 1, 1, 1}},
        {"zero is the chunk's last byte", abc, 5, 4, {"abc", "", 0, 1, 1}},
        {"empty text", {0, 'a'}, 2, 2, {"", "", 1, 1, 1}},
        {"inner bound before the zero", abc, 5, 2, {"ab", "KVS_streamInputSub", 0, 3, 3}},
        {"outer bound before the zero", abc, 3, 5, {"abc", "KVS_streamInputSub", 1, 0, 2}},
        {"data ends before the zero", open, 9, 9, {"abcd", "KVS_streamInputMemory", 4, 4, 0}},
        {"empty chunk", abc, 0, 0, {"", "KVS_streamInputSub", 0, 0, 5}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TextRead reference = readText(c.data, c.outer, c.inner, true);
        EXPECT_EQ(reference, c.expected);
        EXPECT_EQ(readText(c.data, c.outer, c.inner, false), reference);
    }
}

TEST(SubStream, SkipBeyondTheBoundAndCloseLeaveTheBaseAtTheChunkEnd)
{
    const unsigned char data[10] = {};
    KVS_streamInputMemory base(data, 10);
    {
        KVS_streamInputSub sub(&base, 4);
        try {
            sub.skip(6);
            FAIL();
        } catch (const KVS_exceptionStreamUnderflow &e) {
            EXPECT_EQ(e.getCount(), 4u);
        }
        EXPECT_EQ(base.getRemaining(), 6u);
    }
    {
        KVS_streamInputSub sub(&base, 3);
        char c;
        sub >> c;
    } // destructor skips the two bytes left of the bound
    EXPECT_EQ(base.getRemaining(), 3u);
    {
        // A bound longer than the base: closing swallows the base's underflow.
        KVS_streamInputSub sub(&base, 100);
        EXPECT_FALSE(sub.close());
        EXPECT_EQ(sub.getRemaining(), 0u);
    }
    EXPECT_EQ(base.getRemaining(), 0u);
    EXPECT_THROW(KVS_streamInputSub(nullptr, 1), KVS_exceptionZeroPointer);
}

TEST(Counter, CountsWireBytesAndStoresNothing)
{
    KVS_streamOutputCounter counter;
    counter << 'c' << 1 << 1.0 << "ab";
    EXPECT_EQ(counter.getSize(), 16u);
    const long longs[3] = {};
    counter.writeStr(longs, 3);
    EXPECT_EQ(counter.getSize(), 28u);
    // Starts closed, so open() does not open it and close() does not reset.
    EXPECT_FALSE(counter.open());
    EXPECT_FALSE(counter.close());
    EXPECT_EQ(counter.getSize(), 28u);
    // A size past 32 bits cannot be a chunk length.
    EXPECT_THROW(counter.writeStr(static_cast<const double *>(nullptr), 0x20000000u), KVS_exceptionStreamOverflow);
}

TEST(OpenCount, BuiltStreamsFollowOneRule)
{
    const unsigned char data[8] = {};
    KVS_streamInputMemory memIn(data, 8);
    KVS_streamOutputMemory memOut(8);
    KVS_streamInputMemory subBase(data, 8);
    KVS_streamInputSub sub(&subBase, 8);
    std::vector<std::pair<const char *, std::pair<std::function<bool()>, std::function<bool()>>>> streams = {
        {"memory input", {[&] { return memIn.open(); }, [&] { return memIn.close(); }}},
        {"memory output", {[&] { return memOut.open(); }, [&] { return memOut.close(); }}},
        {"sub-stream", {[&] { return sub.open(); }, [&] { return sub.close(); }}},
    };
    for (auto &[name, ops] : streams) {
        SCOPED_TRACE(name);
        auto &[open, close] = ops;
        EXPECT_TRUE(open());   // 1 -> 3
        EXPECT_TRUE(open());   // 3 -> 4
        EXPECT_TRUE(close());  // 4 -> 3
        EXPECT_TRUE(close());  // 3 -> 2
        EXPECT_FALSE(close()); // 2 -> 1: released
        EXPECT_FALSE(close()); // closed: nothing
        EXPECT_FALSE(open());  // a closed stream stays closed
    }
    // Released streams have nothing left to read or room to write.
    char c;
    EXPECT_THROW(memIn >> c, KVS_exceptionStreamUnderflow);
    EXPECT_THROW(memOut << c, KVS_exceptionStreamOverflow);
    EXPECT_EQ(memOut.getBuffer(), nullptr);
    // The sub-stream's release skipped its whole bound in the base.
    EXPECT_EQ(subBase.getRemaining(), 0u);
}

TEST(OpenCount, NeverOpenedStreamIsReleasedByItsFirstClose)
{
    KVS_streamOutputMemory out(4);
    EXPECT_FALSE(out.close());
    EXPECT_EQ(out.getRemaining(), 0u);
}

TEST(Exceptions, CarryContextFunctionMessageAndDetail)
{
    const KVS_exceptionMemAllocation alloc(100, "KVS_streamOutputMemory", "KVS_streamOutputMemory(unsigned size_)");
    EXPECT_STREQ(alloc.getMessage(), "Unable to allocate memory");
    EXPECT_EQ(alloc.getDetail(), "100 bytes");
    const KVS_exceptionMemAllocation copy = alloc;
    EXPECT_EQ(copy.getDetail(), "100 bytes");
    EXPECT_STREQ(copy.getContext(), "KVS_streamOutputMemory");

    // One handler for the base catches the whole family.
    try {
        throw KVS_exceptionStreamOverflow(0, "c", "f");
    } catch (const KVS_exceptionBase &e) {
        EXPECT_STREQ(e.getMessage(), "Stream overflow");
    }
    EXPECT_STREQ(KVS_messageText(KVS_msgMultipleReferences), "Unable to reconstruct object due to multiple references");
    EXPECT_STREQ(KVS_messageText(KVS_msgFileOpenRead), "Unable to open file for reading");
    EXPECT_STREQ(KVS_messageText(KVS_msgFileNotOpen), "File not open");
    EXPECT_STREQ(KVS_messageText(999), "");
}

} // namespace
