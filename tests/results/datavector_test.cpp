#include "Exception.h"
#include "item_bytes.h"
#include "uDataVector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

// A store parsed over its own exact-size buffer, which lives as long as it.
struct Parsed {
    explicit Parsed(const Bytes& b) : buffer(b) { store.parse(buffer.data.get(), buffer.size); }

    Bytes serialise(std::size_t head = 0, std::size_t tail = 0) const
    {
        std::size_t length = 0;
        auto out = store.serialise(length, head, tail);
        EXPECT_NE(out, nullptr);
        return Bytes(out.get(), out.get() + length + tail);
    }

    ExactBuffer buffer;
    DataVector store;
};

const Bytes kAllFive = cat({stringItem(0, "Project A"), intItem(4, 4321), floatItem(5, -1.5f),
                            boolItem(7, 1), blockItem(6, {0xDE, 0xAD, 0x00, 0xBE, 0xEF})});

TEST(DataVectorGetters, AbsentIdsGiveTheDefaults)
{
    Parsed p(kAllFive);
    for (unsigned id : {1u, 3u, 999u, 0xFFFFu, 0x10000u}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(p.store.getBool(id));
        EXPECT_EQ(p.store.getInt(id), -1);
        EXPECT_EQ(p.store.getFloat(id), -1.0f);
        EXPECT_EQ(p.store.getString(id), "");
        unsigned length = 77;
        EXPECT_EQ(p.store.getData(id, length), nullptr);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(p.store.findItem(id), nullptr);
    }
}

TEST(DataVectorGetters, ReadEachKind)
{
    Parsed p(kAllFive);
    ASSERT_EQ(p.store.getCount(), 5u);
    EXPECT_EQ(p.store.getString(0), "Project A");
    EXPECT_EQ(p.store.getInt(4), 4321);
    EXPECT_EQ(p.store.getFloat(4), 4321.0f);
    EXPECT_EQ(p.store.getFloat(5), -1.5f);
    EXPECT_EQ(p.store.getInt(5), -1);
    EXPECT_TRUE(p.store.getBool(7));
    EXPECT_EQ(p.store.getInt(7), 1);

    unsigned length = 0;
    const unsigned char* block = p.store.getData(6, length);
    ASSERT_EQ(length, 5u);
    // The block is not copied: it is the parsed buffer behind the length field.
    EXPECT_EQ(block, p.buffer.data.get() + p.buffer.size - 5);
    EXPECT_EQ(Bytes(block, block + length), (Bytes{0xDE, 0xAD, 0x00, 0xBE, 0xEF}));
}

TEST(DataVectorGetters, FirstOfRepeatedIdsWins)
{
    Parsed p(cat({intItem(9, 1), stringItem(9, "second"), intItem(9, 3), stringItem(2, "a"),
                  stringItem(2, "b"), boolItem(3, 0), boolItem(3, 1)}));
    ASSERT_EQ(p.store.getCount(), 7u);
    EXPECT_EQ(p.store.getInt(9), 1);
    EXPECT_EQ(p.store.getString(9), "");
    EXPECT_EQ(p.store.getString(2), "a");
    EXPECT_FALSE(p.store.getBool(3));
    EXPECT_EQ(p.store.findItem(9), p.store.getItem(0));
}

// Lookups go through an index by id; it must give the first in file order
// whatever order the ids come in.
// Small ids are indexed by a table, far-apart ones by sorted positions:
// both must give the first of each id.
TEST(DataVectorGetters, FindsTheFirstOfEachIdInAnyOrder)
{
    const std::vector<std::vector<unsigned>> idLists = {
        {40, 3, 17, 3, 0xFFFF, 0, 17, 40, 1},
        {40, 3, 17, 3, 255, 0, 17, 40, 1},
    };
    for (const std::vector<unsigned>& ids : idLists) {
        SCOPED_TRACE(ids[4]);
        Bytes region;
        for (std::size_t i = 0; i < ids.size(); ++i)
            region = cat({region, intItem(static_cast<std::uint16_t>(ids[i]), static_cast<std::int32_t>(i))});
        Parsed p(region);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const auto first = static_cast<std::size_t>(std::find(ids.begin(), ids.end(), ids[i]) - ids.begin());
            EXPECT_EQ(p.store.findItem(ids[i]), p.store.getItem(first)) << ids[i];
            EXPECT_EQ(p.store.getInt(ids[i]), static_cast<int>(first));
        }
        for (unsigned absent : {2u, 4u, 39u, 41u, 254u, 256u, 0xFFFEu, 0x10000u})
            EXPECT_EQ(p.store.findItem(absent), nullptr) << absent;
    }
}

// Stores of a few items are searched in file order, larger ones through a
// table by id or sorted positions (in 16-bit words, or pairs of them from
// 65,536 items on). Each way must find the first item of an id, and a store
// that grows past the few by appends must still find everything.
TEST(DataVectorGetters, EveryWayOfFindingGivesTheFirstOfAnId)
{
    struct Case {
        const char* name;
        std::vector<unsigned> ids;
    };
    std::vector<unsigned> many;
    for (unsigned i = 0; i < 70000; ++i)
        many.push_back((i * 40503u) % 0xFFFFu);
    const std::vector<Case> cases = {
        {"one", {5}},
        {"a few", {9, 3, 9, 0xFFFF, 0, 3, 7, 1}},
        {"a table", {9, 3, 9, 200, 0, 3, 7, 1, 40}},
        {"sorted", {9, 3, 9, 0xFFFF, 0, 3, 7, 1, 40000}},
        {"sorted in pairs of words", many},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes region;
        region.reserve(c.ids.size() * 7);
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            const Bytes one = intItem(static_cast<std::uint16_t>(c.ids[i]), static_cast<std::int32_t>(i));
            region.insert(region.end(), one.begin(), one.end());
        }
        Parsed p(region);
        ASSERT_EQ(p.store.getCount(), c.ids.size());
        std::vector<std::int64_t> first(0x10000, -1);
        for (std::size_t i = 0; i < c.ids.size(); ++i)
            if (first[c.ids[i]] < 0)
                first[c.ids[i]] = static_cast<std::int64_t>(i);
        for (unsigned id = 0; id <= 0xFFFF; ++id) {
            const BasicData* found = p.store.findItem(id);
            if (first[id] < 0)
                ASSERT_EQ(found, nullptr) << id;
            else
                ASSERT_EQ(found, p.store.getItem(static_cast<std::size_t>(first[id]))) << id;
        }
        EXPECT_EQ(p.store.findItem(0x10000), nullptr);
    }

    // Appended past the few that need no index: all of them still found,
    // the appended ones behind the items of the file.
    Parsed grown(cat({intItem(4, 1), intItem(9, 2)}));
    for (unsigned id = 20; id < 30; ++id)
        grown.store.storeString(id, "text " + std::to_string(id));
    grown.store.storeString(4, "behind the number");
    ASSERT_EQ(grown.store.getCount(), 13u);
    EXPECT_EQ(grown.store.getInt(4), 1);
    EXPECT_EQ(grown.store.getInt(9), 2);
    for (unsigned id = 20; id < 30; ++id)
        EXPECT_EQ(grown.store.getString(id), "text " + std::to_string(id));
    EXPECT_EQ(grown.store.findItem(4), grown.store.getItem(0));

    // A store moves whole and leaves an empty one behind.
    DataVector moved = std::move(grown.store);
    EXPECT_EQ(moved.getString(25), "text 25");
    EXPECT_EQ(grown.store.getCount(), 0u);
    EXPECT_EQ(grown.store.findItem(25), nullptr);
    grown.store = std::move(moved);
    EXPECT_EQ(grown.store.getInt(9), 2);
}

// A text replaced by an empty one reads and writes as a parsed empty string.
TEST(StringItems, AnEmptyReplacementIsAnEmptyString)
{
    Parsed p(cat({stringItem(0, "old"), stringItem(1, "kept")}));
    p.store.setString(0, "");
    p.store.storeString(2, "");
    EXPECT_EQ(p.store.getString(0), "");
    EXPECT_EQ(p.store.getString(2), "");
    unsigned length = 7;
    EXPECT_EQ(p.store.getData(0, length), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(p.store.getItem(0)->size(), 7u);
    EXPECT_EQ(p.serialise(), cat({stringItem(0, ""), stringItem(1, "kept"), stringItem(2, "")}));
    p.store.setString(0, "again");
    EXPECT_EQ(p.store.getString(0), "again");
}

TEST(DataVectorGetters, BooleanIsTrueOnlyForOne)
{
    for (unsigned char b : {0, 1, 2, 0xFF}) {
        Parsed p(boolItem(1, b));
        EXPECT_EQ(p.store.getBool(1), b == 1) << int(b);
        EXPECT_EQ(p.store.getInt(1), b) << "the byte is unsigned";
    }
}

TEST(DataVectorGetters, IntegersAreBigEndianAndSigned)
{
    struct Case {
        Bytes payload;
        int expected;
    } cases[] = {
        {{0x00, 0x00, 0x00, 0x01}, 1},
        {{0x01, 0x02, 0x03, 0x04}, 0x01020304},
        {{0xFF, 0xFF, 0xFF, 0xFE}, -2},
        {{0x80, 0x00, 0x00, 0x00}, std::numeric_limits<int>::min()},
        {{0x7F, 0xFF, 0xFF, 0xFF}, std::numeric_limits<int>::max()},
    };
    for (const Case& c : cases) {
        Parsed p(item(4, 1, c.payload));
        EXPECT_EQ(p.store.getInt(4), c.expected);
        EXPECT_EQ(p.store.getFloat(4), static_cast<float>(c.expected));
        // Decoding leaves the payload in machine order in the kept buffer.
        int inPlace = 0;
        std::memcpy(&inPlace, p.buffer.data.get() + 3, 4);
        EXPECT_EQ(inPlace, c.expected);
    }
}

struct FloatToInt {
    float value;
    int expected;
};

class FloatGetInt : public testing::TestWithParam<FloatToInt> {};

TEST_P(FloatGetInt, TruncatesTowardZeroAndSaturates)
{
    Parsed p(floatItem(5, GetParam().value));
    EXPECT_EQ(p.store.getInt(5), GetParam().expected);
}

constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();
constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, FloatGetInt,
    testing::Values(FloatToInt{2.9f, 2}, FloatToInt{-2.9f, -2}, FloatToInt{0.5f, 0},
                    FloatToInt{-0.0f, 0}, FloatToInt{std::nanf(""), 0},
                    FloatToInt{-std::nanf(""), 0}, FloatToInt{1e20f, kMax},
                    FloatToInt{-1e20f, kMin}, FloatToInt{kInf, kMax}, FloatToInt{-kInf, kMin},
                    FloatToInt{2147483648.0f, kMax}, FloatToInt{2147483520.0f, 2147483520},
                    FloatToInt{-2147483648.0f, kMin}));

TEST(BasicDataErrors, UnreadItemIsNotAllocated)
{
    BooleanData b;
    IntegerData i;
    FloatData f;
    for (const BasicData* d : {static_cast<const BasicData*>(&b), static_cast<const BasicData*>(&i)}) {
        EXPECT_THROW(d->getBool(), Exception);
        try {
            d->getInt();
            FAIL() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message, "Data not allocated");
        }
    }
    EXPECT_THROW(f.getFloat(), Exception);
    EXPECT_THROW(f.getInt(), Exception);
}

TEST(BasicDataErrors, IntegerOfOddLengthIsRefused)
{
    Parsed p(blockItem(6, {1, 2, 3}));
    try {
        p.store.getInt(6);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Data length not of any integer type");
    }
}

struct Region {
    const char* name;
    Bytes bytes;
    std::size_t items;
};

class HarmlessRegion : public testing::TestWithParam<Region> {};

TEST_P(HarmlessRegion, ParsesAndIgnoresOneOrTwoStrayBytes)
{
    Parsed p(GetParam().bytes);
    EXPECT_EQ(p.store.getCount(), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Regions, HarmlessRegion,
    testing::Values(Region{"empty", {}, 0}, Region{"one_byte", {0x00}, 0},
                    Region{"two_bytes", {0x00, 0x05}, 0},
                    Region{"two_bytes_unknown_type", {0x00, 0x09}, 0},
                    Region{"one_stray", cat({intItem(1, 5), {0x07}}), 1},
                    Region{"two_stray", cat({stringItem(1, "x"), {0x00, 0x03}}), 1},
                    Region{"exact", cat({boolItem(1, 1), boolItem(2, 0)}), 2}),
    [](const testing::TestParamInfo<Region>& info) { return info.param.name; });

struct Broken {
    const char* name;
    Bytes bytes;
    const char* message;
    std::size_t itemsKept;
    std::size_t brokenAt; // offset of the item that fails
};

class BrokenRegion : public testing::TestWithParam<Broken> {};

TEST_P(BrokenRegion, RaisesKeepsEarlierItemsAndLeavesTheRestAlone)
{
    const Broken& c = GetParam();
    ExactBuffer buffer(c.bytes);
    DataVector store;
    try {
        store.parse(buffer.data.get(), buffer.size);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, c.message);
    }
    EXPECT_EQ(store.getCount(), c.itemsKept);
    const Bytes after = buffer.bytes();
    EXPECT_TRUE(std::equal(after.begin() + c.brokenAt, after.end(), c.bytes.begin() + c.brokenAt))
        << "the failing item must not be swapped in place";
}

const char* const kPast = "Item runs past the end of the data.";
const Bytes kOk = intItem(3, 0x11223344);

INSTANTIATE_TEST_SUITE_P(
    Regions, BrokenRegion,
    testing::Values(
        Broken{"type5", item(2, 5, {0}), "Unknown type.", 0, 0},
        Broken{"type255_after_item", cat({kOk, item(2, 0xFF, {0})}), "Unknown type.", 1, 7},
        Broken{"bool_no_payload", item(1, 0), kPast, 0, 0},
        Broken{"int_short", item(4, 1, {0x12, 0x34}), kPast, 0, 0},
        Broken{"int_one_short", cat({kOk, item(4, 1, {0x12, 0x34, 0x56})}), kPast, 1, 7},
        Broken{"float_short", item(5, 2, {0x40}), kPast, 0, 0},
        Broken{"string_length_field_short", item(0, 3, {0, 0}), kPast, 0, 0},
        Broken{"string_one_short", item(0, 3, cat({be32(4), text("abc")})), kPast, 0, 0},
        Broken{"string_n_ffffffff", item(0, 3, cat({be32(0xFFFFFFFF), text("ab")})), kPast, 0, 0},
        Broken{"string_n_fffffff9", cat({kOk, item(0, 3, cat({be32(0xFFFFFFF9), text("ab")}))}),
               kPast, 1, 7},
        Broken{"block_length_field_short", item(6, 4, {0, 0, 1}), kPast, 0, 0},
        Broken{"block_one_short", item(6, 4, cat({be32(3), {1, 2}})), kPast, 0, 0},
        Broken{"block_n_ffffffff", item(6, 4, cat({be32(0xFFFFFFFF), {1, 2}})), kPast, 0, 0},
        Broken{"block_n_fffffff9", item(6, 4, cat({be32(0xFFFFFFF9), {1, 2}})), kPast, 0, 0}),
    [](const testing::TestParamInfo<Broken>& info) { return info.param.name; });

TEST(DataVectorParse, StopsAtTheGivenLengthNotAtTheBufferEnd)
{
    // The project hands in its buffer up to the CRC; an item may not run into it.
    const Bytes region = cat({kOk, intItem(4, 7)});
    ExactBuffer buffer(region);
    DataVector store;
    EXPECT_THROW(store.parse(buffer.data.get(), region.size() - 1), Exception);
    EXPECT_EQ(store.getCount(), 1u);
    EXPECT_EQ(buffer.data[7 + 3], region[7 + 3]);
}

TEST(DataVectorReadItem, RespectsEndAndPositionOnFailure)
{
    ExactBuffer buffer(cat({kOk, stringItem(8, "hello")}));
    std::size_t position = 7;
    auto good = DataVector::readItem(buffer.data.get(), position, buffer.size);
    EXPECT_EQ(position, buffer.size);
    EXPECT_EQ(good->getString(), "hello");

    position = 7;
    EXPECT_THROW(DataVector::readItem(buffer.data.get(), position, buffer.size - 1), Exception);
    EXPECT_EQ(position, 7u);
    position = buffer.size - 2;
    EXPECT_THROW(DataVector::readItem(buffer.data.get(), position, buffer.size), Exception);
}

TEST(StringItems, ZeroByteEndsTheTextButTheStoredBytesStay)
{
    const Bytes region = cat({item(1, 3, counted({'a', 'b', 0, 'c', 'd'})), boolItem(2, 1)});
    Parsed p(region);
    EXPECT_EQ(p.store.getString(1), "ab");
    EXPECT_EQ(p.store.findItem(1)->size(), 5u + 7u);
    EXPECT_EQ(p.serialise(), region);
}

TEST(StringItems, SetStringReplacesLengthAndCharacters)
{
    struct Case {
        const char* name;
        Bytes before;
        std::string replacement;
    } cases[] = {
        {"longer", stringItem(0, "old"), "a new name"},
        {"shorter", stringItem(0, "a long description"), "d"},
        {"to_empty", stringItem(0, "x"), ""},
        {"from_empty", stringItem(0, ""), "filled"},
        {"over_zero_byte", item(0, 3, counted({'a', 0, 'b'})), "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes tail = cat({intItem(4, -9), stringItem(1, "desc")});
        Parsed p(cat({c.before, tail}));
        p.store.setString(0, c.replacement);
        EXPECT_EQ(p.store.getString(0), c.replacement);
        EXPECT_EQ(p.store.findItem(0)->size(), c.replacement.size() + 7);
        const Bytes image = p.serialise();
        EXPECT_EQ(image, cat({stringItem(0, c.replacement), tail}));

        Parsed again(image);
        EXPECT_EQ(again.store.getString(0), c.replacement);
        EXPECT_EQ(again.store.getInt(4), -9);
    }
}

// A replaced text is the item's own: it keeps its zero bytes until saved,
// and it survives the store moving its items to make room for another.
TEST(StringItems, ReplacedTextIsKeptWholeAndMovesWithTheStore)
{
    Parsed p(cat({stringItem(0, "old"), intItem(4, 1)}));
    const std::string zeros("a\0b", 3);
    p.store.setString(0, zeros);
    EXPECT_EQ(p.store.getString(0), zeros);
    p.store.storeString(1, "added");
    p.store.storeString(2, "again");
    EXPECT_EQ(p.store.getString(0), zeros);
    EXPECT_EQ(p.store.getString(1), "added");
    const Bytes image = p.serialise();
    EXPECT_EQ(image, cat({stringItem(0, zeros), intItem(4, 1), stringItem(1, "added"), stringItem(2, "again")}));
    Parsed again(image);
    EXPECT_EQ(again.store.getString(0), "a") << "a text read from file stops at its zero byte";
}

TEST(StringItems, StoreStringIgnoresIdsBeyondSixteenBits)
{
    Parsed p(kAllFive);
    p.store.storeString(0x10000, "never on file");
    EXPECT_EQ(p.store.getCount(), 5u);
    EXPECT_EQ(p.store.getString(0), "Project A");
    EXPECT_EQ(p.serialise(), kAllFive);
}

TEST(StringItems, SetStringLeavesOtherItemsAndAbsentIdsAlone)
{
    Parsed p(kAllFive);
    for (unsigned id : {4u, 5u, 6u, 7u, 42u})
        p.store.setString(id, "ignored");
    EXPECT_EQ(p.store.getCount(), 5u);
    EXPECT_EQ(p.serialise(), kAllFive);
}

TEST(StringItems, StoreStringSetsOrAppends)
{
    struct Case {
        const char* name;
        Bytes before;
        Bytes after; // the region once id 0 is stored as "new"
        std::string text; // what id 0 then reads
        std::size_t found; // the item findItem(0) then gives
    } cases[] = {
        {"sets_the_string", cat({stringItem(0, "old"), intItem(4, 1)}),
         cat({stringItem(0, "new"), intItem(4, 1)}), "new", 0},
        {"appends_when_absent", intItem(4, 1), cat({intItem(4, 1), stringItem(0, "new")}), "new", 1},
        // The first item of the id is no string: a string is appended behind
        // it, and reads of the id still see the first.
        {"appends_behind_another_kind", cat({intItem(0, 7), intItem(4, 1)}),
         cat({intItem(0, 7), intItem(4, 1), stringItem(0, "new")}), "", 0},
        {"sets_a_later_string", cat({intItem(0, 7), stringItem(0, "old")}),
         cat({intItem(0, 7), stringItem(0, "new")}), "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p(c.before);
        p.store.storeString(0, "new");
        p.store.storeString(0, "new");
        EXPECT_EQ(p.serialise(), c.after);
        EXPECT_EQ(p.store.getString(0), c.text);
        EXPECT_EQ(p.store.findItem(0), p.store.getItem(c.found));
    }
    // An empty store gains the item and finds it.
    DataVector store;
    store.storeString(3, "named");
    ASSERT_EQ(store.getCount(), 1u);
    EXPECT_EQ(store.getString(3), "named");
    EXPECT_EQ(store.findItem(3), store.getItem(0));
}

TEST(StringItems, OtherSettersChangeNothing)
{
    Parsed p(kAllFive);
    ProjectFile& file = p.store;
    const unsigned char bytes[] = {1, 2};
    file.setBool(7, false);
    file.setInt(4, 1);
    file.setFloat(5, 3.0f);
    file.setData(6, bytes, 2);
    file.setBool(100, true);
    EXPECT_EQ(p.store.getCount(), 5u);
    EXPECT_EQ(p.serialise(), kAllFive);
}

TEST(DataVectorSerialise, ReproducesTheRegionEveryTime)
{
    Parsed p(kAllFive);
    EXPECT_EQ(p.serialise(), kAllFive);
    EXPECT_EQ(p.serialise(), kAllFive) << "payloads must not be swapped again";
    EXPECT_EQ(p.store.getInt(4), 4321);
    EXPECT_EQ(p.store.getFloat(5), -1.5f);
}

TEST(DataVectorSerialise, KeepsFloatBitPatterns)
{
    const Bytes region = cat({item(1, 2, {0x7F, 0xC0, 0x12, 0x34}), item(2, 2, {0xFF, 0x80, 0, 0}),
                              item(3, 2, {0x00, 0x00, 0x00, 0x01})});
    Parsed p(region);
    EXPECT_TRUE(std::isnan(p.store.getFloat(1)));
    EXPECT_EQ(p.serialise(), region);
}

TEST(DataVectorSerialise, HeadAndTailRoom)
{
    struct Case {
        std::size_t head, tail;
    } cases[] = {{0, 0}, {34, 4}, {35, 4}, {1, 0}, {0, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.head << "/" << c.tail);
        Parsed p(kAllFive);
        std::size_t length = 0;
        auto out = p.store.serialise(length, c.head, c.tail);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(length, c.head + kAllFive.size());
        EXPECT_EQ(Bytes(out.get() + c.head, out.get() + length), kAllFive);
        EXPECT_EQ(Bytes(out.get(), out.get() + c.head), Bytes(c.head, 0));
        EXPECT_EQ(Bytes(out.get() + length, out.get() + length + c.tail), Bytes(c.tail, 0));
    }
}

TEST(DataVectorSerialise, EmptyStoreGivesOnlyTheRoom)
{
    DataVector store;
    std::size_t length = 99;
    auto out = store.serialise(length, 3, 4);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(length, 3u);
}

} // namespace

// A string or block item of four bytes is not a number: its payload begins
// with the length field.
TEST(BasicDataErrors, TextAndBlockItemsAreNoNumbers)
{
    for (const Bytes &region : {stringItem(7, "four"), blockItem(7, {1, 2, 3, 4})}) {
        ExactBuffer buffer(region);
        DataVector store;
        store.parse(buffer.data.get(), buffer.size);
        EXPECT_THROW(store.getInt(7), Exception);
        EXPECT_THROW(store.getFloat(7), Exception);
    }
}
