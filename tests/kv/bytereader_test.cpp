#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kvs_bytereader.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(ByteReader, ReadsNumbersInEitherOrder)
{
    const Bytes bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    struct Case {
        KVS_byteOrder order;
        std::uint8_t u8;
        std::uint16_t u16;
        std::uint32_t u32;
    };
    for (const Case &c : {Case{KVS_byteOrder::little, 0x01, 0x0302, 0x07060504u},
                          Case{KVS_byteOrder::big, 0x01, 0x0203, 0x04050607u}}) {
        KVS_byteReader r(bytes.data(), bytes.size(), c.order);
        std::uint8_t a;
        std::uint16_t b;
        std::uint32_t d;
        ASSERT_TRUE(r.readU8(a) && r.readU16(b) && r.readU32(d));
        EXPECT_EQ(a, c.u8);
        EXPECT_EQ(b, c.u16);
        EXPECT_EQ(d, c.u32);
        EXPECT_TRUE(r.empty());
    }
    const Bytes negative{0xFF, 0xFF, 0xFF, 0xFE};
    KVS_byteReader r(negative.data(), negative.size(), KVS_byteOrder::big);
    std::int32_t v;
    ASSERT_TRUE(r.readI32(v));
    EXPECT_EQ(v, -2);
}

// Every read that does not fit fails and leaves the cursor where it was.
TEST(ByteReader, AReadThatDoesNotFitMovesNothing)
{
    const Bytes bytes{1, 2, 3};
    using Read = std::function<bool(KVS_byteReader &)>;
    struct Case {
        const char *what;
        Read read;
    };
    const Case cases[] = {
        {"u32", [](KVS_byteReader &r) { std::uint32_t v; return r.readU32(v); }},
        {"f32", [](KVS_byteReader &r) { float v; return r.readF32(v); }},
        {"bytes 3", [](KVS_byteReader &r) { const unsigned char *p; return r.readBytes(3, p); }},
        {"string 5", [](KVS_byteReader &r) { std::string s; return r.readString(5, s); }},
        {"skip 3", [](KVS_byteReader &r) { return r.skip(3); }},
        {"a size that wraps", [](KVS_byteReader &r) { return r.skip(std::numeric_limits<std::size_t>::max()); }},
        {"sub 3", [](KVS_byteReader &r) { KVS_byteReader s; return r.readSubReader(3, s); }},
        {"expected text", [](KVS_byteReader &r) { return r.readExpected("\x02\x04", 2); }},
        {"peek past the end", [](KVS_byteReader &r) { std::uint8_t v; return r.peekU8(v, 2); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KVS_byteReader r(bytes.data(), bytes.size());
        ASSERT_TRUE(r.skip(1));
        EXPECT_FALSE(c.read(r));
        EXPECT_EQ(r.offset(), 1u);
        EXPECT_EQ(r.remaining(), 2u);
    }
}

TEST(ByteReader, SubReadersAreBoundedToTheirRange)
{
    const Bytes bytes{0, 0, 0, 2, 0xAA, 0xBB, 0xCC};
    KVS_byteReader r(bytes.data(), bytes.size(), KVS_byteOrder::big);
    std::uint32_t n;
    KVS_byteReader sub;
    ASSERT_TRUE(r.readU32(n) && r.readSubReader(n, sub));
    EXPECT_EQ(sub.size(), 2u);
    EXPECT_EQ(sub.byteOrder(), KVS_byteOrder::big);
    std::uint16_t inside;
    ASSERT_TRUE(sub.readU16(inside));
    EXPECT_EQ(inside, 0xAABB);
    std::uint8_t more;
    EXPECT_FALSE(sub.readU8(more));
    ASSERT_TRUE(r.readU8(more));
    EXPECT_EQ(more, 0xCC);

    // A null range holds nothing, whatever size it claims.
    KVS_byteReader none(nullptr, 10);
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(none.skip(1));
}

TEST(ByteReader, TextsAndExpectedBytes)
{
    const std::string text = "Header\n";
    const Bytes bytes(text.begin(), text.end());
    KVS_byteReader r(bytes.data(), bytes.size());
    EXPECT_FALSE(r.readExpected("Heads", 5));
    EXPECT_EQ(r.offset(), 0u);
    EXPECT_TRUE(r.readExpected("Head", 4));
    std::string rest;
    ASSERT_TRUE(r.readString(3, rest));
    EXPECT_EQ(rest, "er\n");
    EXPECT_TRUE(r.seek(0));
    EXPECT_FALSE(r.seek(8));
    std::uint32_t peeked;
    ASSERT_TRUE(r.peekU32(peeked));
    EXPECT_EQ(r.offset(), 0u);
}

TEST(ByteWriter, WritesWhatTheReaderReadsBack)
{
    for (KVS_byteOrder order : {KVS_byteOrder::little, KVS_byteOrder::big}) {
        KVS_byteWriter w(order);
        w.writeU8(7);
        w.writeU32(0); // a length known later
        w.writeU16(0xBEEF);
        w.writeF32(1.5f);
        w.writeString("ab");
        EXPECT_TRUE(w.patchU32(1, 0xDEADBEEFu));
        EXPECT_FALSE(w.patchU32(w.size() - 3, 1));
        const Bytes out = w.bytes();
        KVS_byteReader r(out.data(), out.size(), order);
        std::uint8_t a;
        std::uint32_t b;
        std::uint16_t c;
        float f;
        std::string s;
        ASSERT_TRUE(r.readU8(a) && r.readU32(b) && r.readU16(c) && r.readF32(f) && r.readString(2, s));
        EXPECT_EQ(a, 7);
        EXPECT_EQ(b, 0xDEADBEEFu);
        EXPECT_EQ(c, 0xBEEF);
        EXPECT_EQ(f, 1.5f);
        EXPECT_EQ(s, "ab");
        EXPECT_TRUE(r.empty());
    }
}

// The in-place form writes the same bytes as appending, and only its own.
TEST(ByteWriter, PutsNumbersIntoAGivenBuffer)
{
    for (KVS_byteOrder order : {KVS_byteOrder::little, KVS_byteOrder::big}) {
        KVS_byteWriter w(order);
        w.writeU16(0xA1B2);
        w.writeU32(0xC3D4E5F6u);
        Bytes out(8, 0x55);
        KVS_byteWriter::putU16(out.data() + 1, 0xA1B2, order);
        KVS_byteWriter::putU32(out.data() + 3, 0xC3D4E5F6u, order);
        EXPECT_EQ(Bytes(out.begin() + 1, out.begin() + 7), w.bytes());
        EXPECT_EQ(out[0], 0x55);
        EXPECT_EQ(out[7], 0x55);
    }
}

} // namespace
