#include "U2001crypt.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// The generator written out from its formula, kept apart from the library.
struct ReferenceGenerator {
    explicit ReferenceGenerator(std::uint32_t seed) : x(seed == 0 ? 1 : static_cast<std::int32_t>(seed)) {}
    std::int32_t next()
    {
        const std::int64_t q = x / 177; // truncates toward zero
        const std::int64_t r = x - 177 * q;
        x = static_cast<std::int32_t>(171 * r - 2 * q);
        return x;
    }
    std::int32_t x;
};

unsigned char mask(std::size_t i) { return static_cast<unsigned char>((i + 3) * 6); }

unsigned char rotr(unsigned char b, unsigned k)
{
    return static_cast<unsigned char>(((b >> k) | (b << ((8 - k) & 7))) & 0xFF);
}

Bytes referenceScramble(Bytes b, std::uint32_t seed)
{
    ReferenceGenerator g(seed);
    for (std::size_t i = 0; i < b.size(); ++i) {
        unsigned char v = static_cast<unsigned char>(b[i] - (g.next() & 0xFF));
        v ^= mask(i);
        b[i] = rotr(v, static_cast<unsigned>(i % 5));
    }
    return b;
}

Bytes scrambled(Bytes b, unsigned seed)
{
    scrambleBuffer(b.data(), static_cast<int>(b.size()), seed);
    return b;
}

Bytes randomBytes(std::mt19937& rng, std::size_t n)
{
    Bytes b(n);
    for (auto& v : b)
        v = static_cast<unsigned char>(rng());
    return b;
}

TEST(Generator, ReferenceFollowsHandComputedSteps)
{
    struct Case {
        std::uint32_t seed;
        std::vector<std::int32_t> states;
    } cases[] = {
        // 171*1 - 0; 171*171 - 0; 29241 = 177*165 + 36 -> 171*36 - 330; 5826 = 177*32 + 162 -> 27702 - 64
        {1, {171, 29241, 5826, 27638}},
        {0xFFFFFFFFu, {-171, -29241, -5826, -27638}},
        // -2^31 = 177 * -12132675 - 173 -> 171*-173 + 24265350
        {0x80000000u, {24235767, -266668}},
        // 30269 = 177*171 + 2: the state falls to 0 and stays there
        {30269, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        ReferenceGenerator g(c.seed);
        for (std::int32_t expected : c.states)
            EXPECT_EQ(g.next(), expected) << "seed " << c.seed;
    }
}

TEST(Scramble, KeystreamOfZerosMatchesTheGenerator)
{
    // Scrambling zeros exposes -x at every position once the mask and rotation are undone.
    for (std::uint32_t seed : {1u, 0xFFFFFFFFu, 0x80000000u, 30269u, 0u, 123456789u}) {
        const Bytes out = scrambled(Bytes(64, 0), seed);
        ReferenceGenerator g(seed);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const unsigned k = static_cast<unsigned>(i % 5);
            const unsigned char unrotated = static_cast<unsigned char>((out[i] << k) | (out[i] >> ((8 - k) & 7)));
            const unsigned char minusX = static_cast<unsigned char>(unrotated ^ mask(i));
            ASSERT_EQ(static_cast<unsigned char>(-minusX), static_cast<unsigned char>(g.next()))
                << "seed " << seed << " position " << i;
        }
    }
}

TEST(Scramble, MaskAndRotationByPosition)
{
    // Feed each position the generator's byte so only the mask and rotation remain.
    const std::uint32_t seed = 0xC0FFEE;
    ReferenceGenerator g(seed);
    Bytes b(45);
    for (auto& v : b)
        v = static_cast<unsigned char>(g.next());
    const Bytes out = scrambled(b, seed);

    EXPECT_EQ(out[0], 18);
    EXPECT_EQ(out[1], rotr(24, 1));
    EXPECT_EQ(out[39], rotr(252, 4));
    EXPECT_EQ(out[40], 2);
    for (std::size_t i = 0; i < out.size(); i += 5)
        EXPECT_EQ(out[i], mask(i)) << "position " << i << " is not rotated";
    for (std::size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(out[i], rotr(mask(i), static_cast<unsigned>(i % 5))) << i;
}

TEST(Scramble, MatchesTheReferenceForAnySeed)
{
    std::mt19937 rng(2001);
    const Bytes data = randomBytes(rng, 300);
    for (std::uint32_t seed : {0u, 1u, 2u, 30269u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu,
                               static_cast<std::uint32_t>(rng()), static_cast<std::uint32_t>(rng())})
        EXPECT_EQ(scrambled(data, seed), referenceScramble(data, seed)) << "seed " << seed;
}

TEST(Scramble, SeedZeroActsAsSeedOne)
{
    std::mt19937 rng(7);
    for (std::size_t n : {1u, 5u, 64u, 1000u}) {
        const Bytes data = randomBytes(rng, n);
        EXPECT_EQ(scrambled(data, 0), scrambled(data, 1)) << n;
    }
}

TEST(Scramble, UnscrambleRestoresEveryByte)
{
    std::mt19937 rng(42);
    std::vector<std::uint32_t> seeds = {0, 1, 0x80000000u, 0xFFFFFFFFu, 30269, 0x80000001u};
    for (int i = 0; i < 4; ++i)
        seeds.push_back(static_cast<std::uint32_t>(rng()));
    std::vector<std::size_t> lengths = {1, 4, 5, 6, 39, 40, 41, 256, 4099};
    for (int i = 0; i < 4; ++i)
        lengths.push_back(rng() % 2000);

    for (std::uint32_t seed : seeds)
        for (std::size_t n : lengths) {
            const Bytes data = randomBytes(rng, n);
            Bytes b = scrambled(data, seed);
            if (n >= 8) {
                EXPECT_NE(b, data);
            }
            unscrambleBuffer(b.data(), static_cast<int>(b.size()), seed);
            ASSERT_EQ(b, data) << "seed " << seed << " length " << n;
        }
}

TEST(Scramble, NonPositiveLengthChangesNothing)
{
    const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int length : {0, -1, -8, INT_MIN}) {
        Bytes b = data;
        scrambleBuffer(b.data(), length, 5);
        EXPECT_EQ(b, data) << length;
        unscrambleBuffer(b.data(), length, 5);
        EXPECT_EQ(b, data) << length;
    }
}

TEST(Crc32, KnownValues)
{
    struct Case {
        std::string data;
        std::uint32_t crc;
    } cases[] = {
        {"123456789", 0xCBF43926u},
        {"", 0},
        {"a", 0xE8B7BE43u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {std::string(4, '\0'), 0x2144DF1Cu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(crc32Buffer(reinterpret_cast<const unsigned char*>(c.data.data()),
                              static_cast<unsigned>(c.data.size())),
                  c.crc)
            << c.data;
    EXPECT_EQ(crc32Buffer(nullptr, 0), 0u);
}

TEST(Crc32, CoversExactlyTheGivenLength)
{
    const std::string s = "123456789XYZ";
    EXPECT_EQ(crc32Buffer(reinterpret_cast<const unsigned char*>(s.data()), 9), 0xCBF43926u);
}

} // namespace
