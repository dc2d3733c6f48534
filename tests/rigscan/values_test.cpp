#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "Bitfield.h"
#include "Bitmask.h"
#include "datatype.h"
#include "kvs_streammemory.h"
#include "resolution.h"
#include "units.h"

using namespace KV_Rigscan;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes streamed(const Datatype &value)
{
    KVS_streamOutputMemory out(256);
    value.write(out);
    return Bytes(out.getBuffer(), out.getBuffer() + out.getLength());
}

template <class V, class T>
std::unique_ptr<Datatype> holding(T v)
{
    auto p = std::make_unique<V>();
    p->set(v);
    return p;
}

struct TextCase {
    const char *name;
    std::function<std::unique_ptr<Datatype>()> make;
    std::string text;
};

TEST(ScalarValues, TextForms)
{
    auto version = [](int ma, int mi, const char *t) {
        return [=] { return std::make_unique<Version>(ma, mi, t); };
    };
    auto intUnit = [](int v, const char *unit) {
        return [=] {
            auto p = std::make_unique<IntUnit>();
            p->set(v);
            p->setUnit(unit);
            return p;
        };
    };
    const std::vector<TextCase> cases = {
        {"unsigned", [] { return holding<Value<unsigned>>(42u); }, "42 "},
        {"unsigned max", [] { return holding<Value<unsigned>>(4294967295u); }, "4294967295 "},
        {"int", [] { return holding<Value<int>>(-2147483647 - 1); }, "-2147483648 "},
        {"unsigned short", [] { return holding<Value<unsigned short>>(65535); }, "65535 "},
        {"short", [] { return holding<Value<short>>(-1); }, "-1 "},
        {"unsigned char is a number", [] { return holding<Value<unsigned char>>(65); }, "65 "},
        {"hex unsigned 0", [] { return holding<ValueHex<unsigned>>(0u); }, "0x00000000"},
        {"hex unsigned 65535", [] { return holding<ValueHex<unsigned>>(65535u); }, "0x0000ffff"},
        {"hex unsigned short", [] { return holding<ValueHex<unsigned short>>(0xABC); }, "0x0abc"},
        {"hex short -1", [] { return holding<ValueHex<short>>(-1); }, "0xffff"},
        {"hex unsigned char 10", [] { return holding<ValueHex<unsigned char>>(10); }, "0x0a"},
        {"string", [] { return holding<String>(std::string("Intel\xAE")); }, "Intel\xAE"},
        {"version N/A", version(0, 0, ""), "N/A"},
        {"version blanks only", version(4, 2, "  \t"), "4.2"},
        {"version high bytes do not count", version(4, 2, "\xA0\xAE"), "4.2"},
        {"version text wins", version(9, 9, " 5.1a "), " 5.1a "},
        {"version 0.5", version(0, 5, nullptr), "0.5"},
        {"version 6.1", version(6, 1, nullptr), "6.1"},
        {"version negative", version(-1, 3, nullptr), "-1.3"},
        {"int unit", intUnit(4400, "mAHr"), "4400mAHr"},
        {"int unit bare", intUnit(-5, ""), "-5"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.make()->toString(), c.text);
    }
}

TEST(ScalarValues, NamesAndStates)
{
    Value<unsigned> v;
    EXPECT_STREQ(v.getName(), "");
    v.setName("Clock");
    EXPECT_STREQ(v.getName(), "Clock");
    v.setName(nullptr);
    ASSERT_NE(v.getName(), nullptr);
    EXPECT_STREQ(v.getName(), "");
    EXPECT_EQ(v.getState(), 0u);
    EXPECT_EQ(v.setState(7), 7u);

    Version ver(1, 2, "x");
    EXPECT_STREQ(ver.getName(), "Version");
    ver.setName("DirectX");
    ver.reset();
    EXPECT_STREQ(ver.getName(), "Version");
    EXPECT_EQ(ver.toString(), "N/A");
}

struct StreamCase {
    const char *name;
    std::function<std::unique_ptr<Datatype>()> make;
    Bytes bytes;
};

TEST(ScalarValues, StreamFormsAndRoundTrips)
{
    const std::vector<StreamCase> cases = {
        {"unsigned", [] { return holding<Value<unsigned>>(0x01020304u); }, {4, 3, 2, 1}},
        {"int", [] { return holding<Value<int>>(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"unsigned short", [] { return holding<Value<unsigned short>>(0x0102); }, {2, 1}},
        {"short", [] { return holding<Value<short>>(-2); }, {0xFE, 0xFF}},
        {"unsigned char", [] { return holding<Value<unsigned char>>(7); }, {7}},
        {"hex", [] { return holding<ValueHex<unsigned short>>(0xBEEF); }, {0xEF, 0xBE}},
        {"string", [] { return holding<String>(std::string("ab")); }, {'a', 'b', 0}},
        {"empty string", [] { return holding<String>(std::string()); }, {0}},
        {"version empty text", [] { return std::make_unique<Version>(6, 1, nullptr); }, {6, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"version text", [] { return std::make_unique<Version>(-1, 0, "v"); },
         {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 'v', 0}},
        {"int unit leaves the unit out", [] {
             auto p = std::make_unique<IntUnit>();
             p->set(4400);
             p->setUnit("mV");
             return p;
         },
         {0x30, 0x11, 0, 0}},
    };
    for (const StreamCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto value = c.make();
        const Bytes bytes = streamed(*value);
        EXPECT_EQ(bytes, c.bytes);
        auto back = c.make();
        // Read over a fresh object of the same kind given other contents first.
        KVS_streamInputMemory in(bytes.data(), static_cast<unsigned>(bytes.size()));
        back->read(in);
        EXPECT_EQ(in.getRemaining(), 0u);
        EXPECT_EQ(back->toString(), value->toString());
    }
}

TEST(ScalarValues, ReadKeepsTheStateAndAShortReadKeepsWhatWasRead)
{
    Value<unsigned> v;
    v.setState(18);
    const unsigned char data[4] = {9, 0, 0, 0};
    KVS_streamInputMemory in(data, 4);
    v.read(in);
    EXPECT_EQ(v.get(), 9u);
    EXPECT_EQ(v.getState(), 18u);

    Version ver;
    const unsigned char shortData[6] = {3, 0, 0, 0, 1, 0};
    KVS_streamInputMemory shortIn(shortData, 6);
    EXPECT_THROW(ver.read(shortIn), KVS_exceptionStreamUnderflow);
    EXPECT_EQ(ver.getMajor(), 3);
    EXPECT_EQ(ver.getMinor(), 0);
}

TEST(UnitValues, LadderTexts)
{
    auto capacity = [](unsigned lo, unsigned hi) { return Capacity(lo, hi).toString(); };
    auto frequency = [](unsigned long long v) {
        Frequency f;
        f.set64(v);
        return f.toString();
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {capacity(0, 0), "0  bytes"},
        {capacity(512, 0), "512  bytes"},
        {capacity(1023, 0), "1023  bytes"},
        {capacity(1024, 0), "1 KB"},
        {capacity(1536, 0), "1.50 KB"},
        {capacity(0, 1), "4 GB"},
        {capacity(0xFFFFFFFFu, 0xFFFFFFFFu), "16 HB"},
        {capacity(256u << 20, 0), "256 MB"},
        {capacity(1048575, 0), "1024 KB"},
        {frequency(0), "0 Hz"},
        {frequency(60), "60 Hz"},
        {frequency(2047), "2 KHz"},
        {frequency(1000ull * 1048576), "1000 MHz"},
        {frequency(1126ull * 1024), "1.10 MHz"},
        {frequency(1ull << 40), "1 THz"},
    };
    for (const auto &[got, want] : cases)
        EXPECT_EQ(got, want);
}

TEST(UnitValues, StreamForms)
{
    Capacity c(0x11223344u, 0x55667788u);
    EXPECT_STREQ(c.getName(), "Capacity");
    EXPECT_EQ(streamed(c), (Bytes{0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55}));
    Frequency f;
    const Bytes b = streamed(c);
    KVS_streamInputMemory in(b.data(), 8);
    f.read(in);
    EXPECT_EQ(f.get64(), 0x5566778811223344ull);

    BitMask m;
    EXPECT_STREQ(m.getName(), "Bit mask");
    m.set(16, 8);
    EXPECT_EQ(streamed(m), (Bytes{16, 0, 0, 0, 8, 0, 0, 0}));
    EXPECT_EQ(m.toString(), "");
}

TEST(BitFields, StreamFormAndCopies)
{
    BitField field;
    field.resize(12);
    field.setBit(0);
    field.setBit(9);
    field.setBit(12); // beyond the count: ignored
    EXPECT_EQ(streamed(field), (Bytes{12, 0, 0, 0, 0x01, 0x02}));
    EXPECT_EQ(field.toString(), "");

    BitField copy;
    copy = field;
    EXPECT_TRUE(copy.getBit(9));
    EXPECT_EQ(copy.getCount(), 12u);

    Hardware3DCaps caps;
    EXPECT_EQ(caps.getCount(), 52u);
    EXPECT_EQ(streamed(caps).size(), 4u + 7u);
}

TEST(BitFields, CapabilitiesAreNamedBelowBothTheCountAnd52)
{
    struct Case {
        Bytes stream;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{52, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, ""},
        {{52, 0, 0, 0, 0x03, 0, 0, 0, 0, 0, 0x08}, "AGP Texturing, Edge Antialiasing, DXT Compressed Textures"},
        // Count 8: bit 9's byte is not part of the field.
        {{8, 0, 0, 0, 0x81}, "AGP Texturing, Range Fog"},
        // Count 60: bits 52 to 59 are kept without names.
        {{60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF6, 0xFF}, "Point Primitive Support, Full-Screen Anti-Aliasing"},
    };
    for (const Case &c : cases) {
        Hardware3DCaps caps;
        KVS_streamInputMemory in(c.stream.data(), static_cast<unsigned>(c.stream.size()));
        caps.read(in);
        EXPECT_EQ(in.getRemaining(), 0u);
        EXPECT_EQ(caps.toString(), c.text);
        EXPECT_EQ(streamed(caps), c.stream);
    }
}

TEST(BitFields, NameAndStateAreFixed)
{
    Hardware3DCaps caps;
    caps.setName("Other");
    caps.setState(3);
    EXPECT_STREQ(caps.getName(), "3D Capabilities");
    EXPECT_EQ(caps.getState(), 13u);
    EXPECT_STREQ(caps.getBitName(0), "");
}

TEST(BitFields, HugeOrShortCountsFailWithoutLosingTheOldBits)
{
    const std::vector<Bytes> broken = {
        {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3},   // claims 512 MiB
        {0xF9, 0xFF, 0xFF, 0xFF},            // wraps to 0 bytes in 32-bit arithmetic
        {16, 0, 0, 0, 1},                    // one of two bytes present
        {1, 0},                              // the count itself cut
    };
    for (const Bytes &b : broken) {
        Hardware3DCaps caps;
        caps.setBit(3);
        KVS_streamInputMemory in(b.data(), static_cast<unsigned>(b.size()));
        EXPECT_THROW(caps.read(in), KVS_exceptionStreamUnderflow);
        EXPECT_EQ(caps.getCount(), 52u);
        EXPECT_EQ(caps.toString(), "Hardware Transform and Lighting");
    }
}

PixelFormat format(unsigned bitCount, unsigned flags, std::vector<std::pair<PixelFormat::Channel, unsigned>> bits,
                   unsigned fourCC = 0)
{
    PixelFormat f;
    f.bitCount = bitCount;
    f.flags = flags;
    for (auto [channel, n] : bits)
        f.masks[channel].set(0, n);
    f.fourCC = fourCC;
    return f;
}

TEST(PixelFormats, Texts)
{
    using P = PixelFormat;
    const std::vector<std::pair<PixelFormat, std::string>> cases = {
        {format(0, 0, {}), ""},
        {format(32, P::Alpha | P::RGB, {{P::AlphaMask, 8}, {P::RedMask, 8}, {P::GreenMask, 8}, {P::BlueMask, 8}}),
         "32-bit ARGB [8888]"},
        {format(16, P::Depth, {{P::ZMask, 16}}), "16-bit Z [16]"},
        {format(8, P::Indexed, {}), "8-bit Indexed()"},
        {format(16, P::RGB, {}), "16-bit RGB"},
        {format(32, P::Depth | P::Stencil, {{P::ZMask, 24}, {P::StencilMask, 8}}), "32-bit SZ [824]"},
        {format(0, P::FourCC, {}, 0x31545844), "FourCC [DXT1]"},
        // The code's characters end at its first zero byte; no NUL reaches the text.
        {format(0, P::FourCC, {}, 0), "FourCC"},
        {format(0, P::FourCC, {}, 0x00315844), "FourCC [DX1]"},
        {format(0, P::FourCC, {}, 0x31005844), "FourCC [DX]"},
        {format(16, P::FourCC | P::Alpha, {{P::AlphaMask, 8}}, 0x32590055), "16-bit FourCCA [U8]"},
        {format(0, P::FourCC | P::Alpha, {{P::AlphaMask, 8}}, 0x00000000), "FourCCA [8]"},
        {format(16, P::YUV, {{P::YMask, 8}, {P::UMask, 4}, {P::VMask, 4}}), "16-bit YUV [844]"},
    };
    for (const auto &[f, text] : cases)
        EXPECT_EQ(f.toString(), text);
}

TEST(PixelFormats, StreamCarriesOnlyTheFlaggedMasks)
{
    using P = PixelFormat;
    PixelFormat f = format(32, P::Stencil | P::Depth | P::FourCC, {{P::ZMask, 24}, {P::StencilMask, 8}}, 0x11223344);
    f.masks[P::RedMask].set(1, 1); // not flagged: not streamed
    const Bytes b = streamed(f);
    EXPECT_EQ(b, (Bytes{32, 0, 0, 0, 36 + 64, 0, 0, 0, 0, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0,
                        0x44, 0x33, 0x22, 0x11}));
    PixelFormat back = format(8, P::RGB, {{P::RedMask, 5}});
    KVS_streamInputMemory in(b.data(), static_cast<unsigned>(b.size()));
    back.read(in);
    EXPECT_EQ(back.toString(), f.toString());
    EXPECT_EQ(back.masks[P::RedMask].getBits(), 0u);
}

TEST(Resolutions, TextAndRoundTrip)
{
    Resolution r;
    EXPECT_STREQ(r.refresh.getName(), "Refresh Rate");
    r.width = 1024;
    r.height = 768;
    r.bitCount = 32;
    r.flags = PixelFormat::RGB;
    for (auto c : {PixelFormat::RedMask, PixelFormat::GreenMask, PixelFormat::BlueMask})
        r.masks[c].set(0, 8);
    r.refresh.set(60, 0);
    EXPECT_EQ(r.toString(), "1024x768x32-bit RGB [888] @ 60 Hz");

    const Bytes b = streamed(r);
    EXPECT_EQ(b.size(), 4u + 4 + 8 + 4 + 4 + 3 * 8);
    Resolution back;
    back.width = 5;
    KVS_streamInputMemory in(b.data(), static_cast<unsigned>(b.size()));
    back.read(in);
    EXPECT_EQ(back.toString(), r.toString());

    r.refresh.set(0, 1);
    EXPECT_EQ(r.toString(), "1024x768x32-bit RGB [888]");
    r.clear();
    EXPECT_EQ(r.toString(), "0x0x");
}

} // namespace
