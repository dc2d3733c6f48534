#include "Exception.h"
#include "item_bytes.h"
#include "recording_projectfile.h"
#include "uDataVector.h"
#include "uProject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Value = RecordingProjectFile::Value;
using Block = std::vector<unsigned char>;

// A valid current-layout store in which nearly every value differs from the
// model's defaults, so a field that is not carried shows up.
RecordingProjectFile richStore()
{
    RecordingProjectFile s;
    auto& m = s.items;
    m[0] = std::string("Rig \xE4 fast");
    m[1] = std::string("two\tparts");
    m[4] = 5321;
    m[5] = 202;
    m[6] = Block{0x01, 0x00, 0xFE, 0x7F};
    m[7] = true;
    m[8] = false;
    m[9] = true;
    m[10] = true;

    m[20] = std::string("Radeon 8500");
    m[21] = std::string("D3D Pure Hardware T&L");
    m[22] = 1600;
    m[23] = 1200;
    m[24] = 0;
    m[25] = 1;
    m[26] = 3;
    m[27] = 1;
    m[28] = 85;
    m[29] = 4;

    m[40] = std::string("batch.txt");
    m[41] = true;
    m[42] = std::string("out");
    m[43] = 1;
    m[44] = 0;
    m[45] = true;
    m[46] = std::string("x");
    m[47] = false;
    const bool a[] = {true, false, false, true, false, true};
    const bool c[] = {true, true, true, true, false, false};
    for (unsigned i = 0; i < 6; ++i) {
        m[62 + i] = a[i];
        m[68 + i] = c[i];
    }
    m[74] = true;
    m[75] = false;
    m[77] = false;
    m[78] = true;
    for (unsigned i = 80; i <= 82; ++i)
        m[i] = false;
    m[83] = true;
    m[84] = false;
    m[85] = true;
    m[86] = 20;
    for (unsigned id = 100; id <= 120; ++id)
        m[id] = id % 3 == 0;

    m[130] = false;
    m[131] = true;
    m[132] = 3;
    m[133] = false;
    m[134] = true;
    m[135] = false;
    m[136] = false;
    m[137] = 1;

    for (unsigned id = 150; id <= 170; ++id)
        m[id] = id % 2 == 0;
    for (unsigned id = 180; id <= 200; ++id)
        m[id] = static_cast<float>(id) * 1.5f - 200.0f;
    for (unsigned n = 0; n < 4; ++n) {
        m[240 + n] = "small" + std::to_string(n) + ".png";
        m[244 + n] = "full" + std::to_string(n) + ".png";
    }
    return s;
}

// The items of a fake store as the bytes of a result file's item region.
Bytes fileBytes(const RecordingProjectFile& s)
{
    Bytes out;
    for (const auto& [id, v] : s.items) {
        const auto id16 = static_cast<std::uint16_t>(id);
        Bytes one;
        switch (v.index()) {
        case 0: one = boolItem(id16, std::get<bool>(v) ? 1 : 0); break;
        case 1: one = intItem(id16, std::get<int>(v)); break;
        case 2: one = floatItem(id16, std::get<float>(v)); break;
        case 3: one = stringItem(id16, std::get<std::string>(v)); break;
        default: one = blockItem(id16, std::get<Block>(v));
        }
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

std::vector<std::string> savedTrace(Project& p)
{
    RecordingProjectFile out;
    p.save(out);
    return out.trace();
}

bool saved(const std::vector<std::string>& trace, const std::string& call)
{
    return std::find(trace.begin(), trace.end(), call) != trace.end();
}

bool anyCallFor(const RecordingProjectFile& s, unsigned id)
{
    return std::any_of(s.calls.begin(), s.calls.end(),
                       [id](const RecordingProjectFile::Call& c) { return c.id == id; });
}

// ---- Project: saving ---------------------------------------------------------

TEST(ProjectSave, FreshModelWritesEveryDefaultInOrder)
{
    Project p;
    const std::vector<std::string> expected = {
        // project; version 0 writes no flags 9 and 10
        "s0=My Benchmark", "s1=", "i4=0", "i5=0", "d6=null", "b7=0", "b8=0",
        // display: colour code 2 goes to file as 1
        "s20=", "s21=", "i22=1024", "i23=768", "i24=1", "i25=2", "i26=2", "i27=0", "i28=60", "i29=1",
        // batch
        "s40=", "b41=0", "s42=", "i43=0", "i44=1", "b45=0", "s46=", "b47=1",
        "b62=0", "b63=1", "b64=1", "b65=0", "b66=1", "b67=0",
        "b68=0", "b69=0", "b70=0", "b71=0", "b72=1", "b73=1",
        "b74=0", "b75=1", "b77=1", "b78=0",
        "b80=0", "b81=0", "b82=0",
        "b83=0", "b84=1", "b85=0",
        "i86=2",
        "b100=1", "b101=1", "b102=1", "b103=1", "b104=1", "b105=1", "b106=1", "b107=1",
        "b108=1", "b109=1", "b110=1", "b111=1", "b112=1", "b113=1", "b114=1",
        "b120=1", "b115=1", "b116=1", "b117=1", "b118=1", "b119=1",
        // options
        "b130=1", "b131=0", "i132=1", "b133=1", "b134=0", "b135=1", "b136=1", "i137=0",
        // tests: flags, results, picture names
        "b150=1", "b151=1", "b152=1", "b153=1", "b154=1", "b155=1", "b156=1", "b157=1",
        "b158=1", "b159=1", "b160=1", "b161=1", "b162=1", "b163=1", "b164=1",
        "b170=1", "b165=1", "b166=1", "b167=1", "b168=1", "b169=1",
        "f180=-1", "f181=-1", "f182=-1", "f183=-1", "f184=-1", "f185=-1", "f186=-1", "f187=-1",
        "f188=-1", "f189=-1", "f190=-1", "f191=-1", "f192=-1", "f193=-1", "f194=-1",
        "f200=-1", "f195=-1", "f196=-1", "f197=-1", "f198=-1", "f199=-1",
        "s240=", "s241=", "s242=", "s243=", "s244=", "s245=", "s246=", "s247=",
    };
    EXPECT_EQ(savedTrace(p), expected);
}

TEST(ProjectSave, FlagsNineAndTenOnlyFromVersion202)
{
    struct Case {
        std::optional<int> version;
        bool current;
    };
    const Case cases[] = {{std::nullopt, false}, {0, false},  {201, false},     {202, true},
                          {203, true},           {INT_MAX, true}, {INT_MIN, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? std::to_string(*c.version) : "absent");
        RecordingProjectFile store = richStore();
        if (c.version)
            store.items[5] = *c.version;
        else
            store.items.erase(5);
        Project p;
        ASSERT_TRUE(p.load(store));
        EXPECT_EQ(p.getVersion(), c.version.value_or(-1));
        EXPECT_EQ(p.getFlag9(), c.current);
        EXPECT_EQ(p.getFlag10(), c.current);

        const auto trace = savedTrace(p);
        const auto flag8 = std::find(trace.begin(), trace.end(), "b8=0");
        ASSERT_NE(flag8, trace.end());
        if (c.current) {
            ASSERT_LT(flag8 + 2, trace.end());
            EXPECT_EQ(flag8[1], "b9=1");
            EXPECT_EQ(flag8[2], "b10=1");
        } else {
            EXPECT_FALSE(saved(trace, "b9=1") || saved(trace, "b9=0"));
            EXPECT_FALSE(saved(trace, "b10=1") || saved(trace, "b10=0"));
        }
    }
}

TEST(ProjectLoad, OldVersionKeepsFlagsNineAndTen)
{
    Project p;
    ASSERT_TRUE(p.load(richStore()));
    RecordingProjectFile old = richStore();
    old.items[5] = 201;
    old.items[9] = false;
    old.items[10] = false;
    ASSERT_TRUE(p.load(old));
    EXPECT_TRUE(p.getFlag9());
    EXPECT_TRUE(p.getFlag10());
}

// ---- Project: loading ----------------------------------------------------------

TEST(ProjectLoad, CodedItemsAreRangeChecked)
{
    struct Case {
        unsigned id;
        std::optional<int> value;  // nullopt: item absent
        bool ok;
        int (*code)(const Project&);
        int expected;  // the code after a successful load
    };
    auto colorBits = [](const Project& p) { return p.getDisplay().getColorBits(); };
    auto zBits = [](const Project& p) { return p.getDisplay().getZBufferBits(); };
    auto texture = [](const Project& p) { return p.getDisplay().getTextureFormatCode(); };
    auto buffering = [](const Project& p) { return p.getDisplay().getBufferingCode(); };
    auto code43 = [](const Project& p) { return p.getBatch().getCode43(); };
    auto code44 = [](const Project& p) { return p.getBatch().getCode44(); };
    auto detail = [](const Project& p) { return p.getOptions().getDetailLevelCode(); };
    const Case cases[] = {
        {24, 0, true, colorBits, 16},    {24, 1, true, colorBits, 32},
        {24, 2, false, colorBits, 0},    {24, -1, false, colorBits, 0},
        {24, std::nullopt, false, colorBits, 0},
        {24, INT_MAX, false, colorBits, 0}, {24, INT_MIN, false, colorBits, 0},
        {25, 0, true, zBits, 16},        {25, 1, true, zBits, 24},
        {25, 2, true, zBits, 32},        {25, 3, false, zBits, 0},
        {25, -1, false, zBits, 0},       {25, INT_MIN, false, zBits, 0},
        {26, 0, true, texture, 0},       {26, 3, true, texture, 3},
        {26, 4, false, texture, 0},      {26, -1, false, texture, 0},
        {26, std::nullopt, false, texture, 0},
        {27, 0, true, buffering, 0},     {27, 1, true, buffering, 1},
        {27, 2, false, buffering, 0},    {27, std::nullopt, false, buffering, 0},
        {43, 0, true, code43, 0},        {43, 1, true, code43, 1},
        {43, 2, false, code43, 0},       {43, -1, false, code43, 0},
        {44, 0, true, code44, 0},        {44, 1, true, code44, 1},
        {44, std::nullopt, false, code44, 0}, {44, INT_MAX, false, code44, 0},
        {137, 0, true, detail, 0},       {137, 1, true, detail, 1},
        {137, 2, false, detail, 0},      {137, std::nullopt, false, detail, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("item " + std::to_string(c.id) + " = " +
                     (c.value ? std::to_string(*c.value) : "absent"));
        RecordingProjectFile store = richStore();
        if (c.value)
            store.items[c.id] = *c.value;
        else
            store.items.erase(c.id);
        Project p;
        EXPECT_EQ(p.load(store), c.ok);
        if (c.ok) {
            EXPECT_EQ(c.code(p), c.expected);
        }
    }
}

TEST(ProjectLoad, UncheckedNumbersAreTakenAsTheyAre)
{
    struct Getter {
        unsigned id;
        int (*get)(const Project&);
    };
    const Getter getters[] = {
        {4, [](const Project& p) { return p.getScore(); }},
        {22, [](const Project& p) { return p.getDisplay().getWidth(); }},
        {23, [](const Project& p) { return p.getDisplay().getHeight(); }},
        {28, [](const Project& p) { return p.getDisplay().getRefreshRate(); }},
        {29, [](const Project& p) { return p.getDisplay().getFsaaSamples(); }},
        {132, [](const Project& p) { return p.getOptions().getRunCount(); }},
    };
    for (const Getter& g : getters) {
        for (std::optional<int> v : {std::optional<int>(0), std::optional<int>(1),
                                     std::optional<int>(INT_MAX), std::optional<int>(INT_MIN),
                                     std::optional<int>()}) {
            SCOPED_TRACE("item " + std::to_string(g.id) + " = " + (v ? std::to_string(*v) : "absent"));
            RecordingProjectFile store = richStore();
            if (v)
                store.items[g.id] = *v;
            else
                store.items.erase(g.id);
            Project p;
            ASSERT_TRUE(p.load(store));
            EXPECT_EQ(g.get(p), v.value_or(-1));
        }
    }
}

TEST(ProjectLoad, StoreWithOnlyTheCodedItems)
{
    RecordingProjectFile store;
    for (unsigned id : {24u, 25u, 26u, 27u, 43u, 44u, 137u})
        store.items[id] = 0;
    Project p;
    ASSERT_TRUE(p.load(store));

    EXPECT_EQ(p.getName(), "");
    EXPECT_EQ(p.getDescription(), "");
    EXPECT_EQ(p.getScore(), -1);
    EXPECT_EQ(p.getVersion(), -1);
    EXPECT_EQ(p.getSystemInfo(), nullptr);
    EXPECT_EQ(p.getSystemInfoSize(), 0u);
    EXPECT_EQ(p.getDisplay().getPlatform(), "");
    EXPECT_EQ(p.getDisplay().getWidth(), -1);
    EXPECT_EQ(p.getDisplay().getRefreshRate(), -1);
    EXPECT_FALSE(p.getOptions().getTitleScreens());
    EXPECT_EQ(p.getOptions().getRunCount(), -1);
    EXPECT_FALSE(p.getBatch().getFlag47());
    for (bool entry : p.getBatch().listA())
        EXPECT_FALSE(entry);
    // Item 86 absent reads as -1: every bit set.
    for (bool entry : p.getBatch().listB())
        EXPECT_TRUE(entry);

    ASSERT_EQ(p.getTests().size(), 21u);
    for (int n = 1; n <= 21; ++n) {
        SCOPED_TRACE(n);
        const TestRepository::Test* t = p.getTests().lookup(n);
        ASSERT_NE(t, nullptr);
        EXPECT_FALSE(t->flag);
        EXPECT_EQ(t->result.value, -1.0f);
        EXPECT_EQ(t->result.smallPicture, "");
        EXPECT_EQ(t->result.fullPicture, "");
        EXPECT_FALSE(p.getBatch().getTests().lookup(n)->flag);
    }

    // Saved again: no block, flag false and -1 for every test.
    RecordingProjectFile out;
    p.save(out);
    const auto trace = out.trace();
    EXPECT_TRUE(saved(trace, "d6=null"));
    for (const TestItems& t : TestItemMap) {
        EXPECT_TRUE(saved(trace, "b" + std::to_string(t.flagItem) + "=0"));
        EXPECT_TRUE(saved(trace, "f" + std::to_string(t.resultItem) + "=-1"));
    }
}

TEST(ProjectLoad, EmptyStoreFailsAtTheColourDepth)
{
    RecordingProjectFile empty;
    Project p;
    EXPECT_FALSE(p.load(empty));
    EXPECT_EQ(p.getName(), "");
    EXPECT_EQ(p.getDisplay().getWidth(), -1);
    EXPECT_EQ(p.getDisplay().getColorBits(), 32);  // not reached: default
}

TEST(ProjectLoad, BadColourDepthStopsAfterTheProjectItems)
{
    RecordingProjectFile store = richStore();
    store.items[24] = 2;
    Project p;
    EXPECT_FALSE(p.load(store));

    // Taken before the failure.
    EXPECT_EQ(p.getName(), "Rig \xE4 fast");
    EXPECT_EQ(p.getDescription(), "two\tparts");
    EXPECT_EQ(p.getScore(), 5321);
    EXPECT_EQ(p.getVersion(), 202);
    ASSERT_EQ(p.getSystemInfoSize(), 4u);
    EXPECT_TRUE(p.getFlag7());
    EXPECT_TRUE(p.getFlag9());
    EXPECT_TRUE(p.getFlag10());
    EXPECT_EQ(p.getDisplay().getPlatform(), "Radeon 8500");
    EXPECT_EQ(p.getDisplay().getHeight(), 1200);

    // Not reached: defaults.
    const DisplaySettings& d = p.getDisplay();
    EXPECT_EQ(d.getColorBits(), 32);
    EXPECT_EQ(d.getZBufferBits(), 32);
    EXPECT_EQ(d.getTextureFormatCode(), DisplaySettings::TextureCompressed);
    EXPECT_EQ(d.getBufferingCode(), DisplaySettings::DoubleBuffering);
    EXPECT_EQ(d.getRefreshRate(), 60);
    EXPECT_EQ(d.getFsaaSamples(), 1);
    EXPECT_EQ(p.getBatch().getText40(), "");
    EXPECT_EQ(p.getBatch().getTests().size(), 0u);
    EXPECT_TRUE(p.getOptions().getTitleScreens());
    EXPECT_EQ(p.getOptions().getRunCount(), 1);
    EXPECT_EQ(p.getTests().size(), 0u);
}

TEST(ProjectLoad, FailureInLaterPartsKeepsWhatCameBefore)
{
    {
        SCOPED_TRACE("item 44 absent");
        RecordingProjectFile store = richStore();
        store.items.erase(44);
        Project p;
        EXPECT_FALSE(p.load(store));
        EXPECT_EQ(p.getDisplay().getFsaaSamples(), 4);  // display loaded fully
        const BatchRunSettings& b = p.getBatch();
        EXPECT_EQ(b.getText40(), "batch.txt");
        EXPECT_TRUE(b.getFlag41());
        EXPECT_EQ(b.getText42(), "out");
        EXPECT_EQ(b.getCode43(), 1);
        EXPECT_EQ(b.getCode44(), 1);   // default
        EXPECT_FALSE(b.getFlag45());  // default
        EXPECT_TRUE(b.getFlag47());   // default
        EXPECT_TRUE(b.listA()[1]);    // default
        EXPECT_EQ(p.getOptions().getRunCount(), 1);
    }
    {
        SCOPED_TRACE("item 137 = 2");
        RecordingProjectFile store = richStore();
        store.items[137] = 2;
        Project p;
        EXPECT_FALSE(p.load(store));
        const Options& o = p.getOptions();
        EXPECT_FALSE(o.getTitleScreens());
        EXPECT_TRUE(o.getContinuousBenchmark());
        EXPECT_EQ(o.getRunCount(), 3);
        EXPECT_FALSE(o.getDemoSounds());
        EXPECT_TRUE(o.getContinuousDemo());
        EXPECT_FALSE(o.getGameSoundEffects());
        EXPECT_FALSE(o.getGameMusic());
        EXPECT_EQ(o.getDetailLevelCode(), Options::DetailLow);
        EXPECT_EQ(p.getTests().size(), 0u);
    }
}

TEST(ProjectLoad, FailedReloadKeepsTheEarlierValuesBehindTheFailure)
{
    Project p;
    ASSERT_TRUE(p.load(richStore()));
    RecordingProjectFile second = richStore();
    second.items[22] = 640;
    second.items[26] = 0;
    second.items[27] = 7;
    second.items[28] = 100;
    EXPECT_FALSE(p.load(second));
    EXPECT_EQ(p.getDisplay().getWidth(), 640);
    EXPECT_EQ(p.getDisplay().getTextureFormatCode(), 0);
    EXPECT_EQ(p.getDisplay().getBufferingCode(), 1);  // from the first load
    EXPECT_EQ(p.getDisplay().getRefreshRate(), 85);   // from the first load
}

// ---- Project: system-information block -----------------------------------------

TEST(ProjectSystemInfo, LoadReadsTheStoresBytesAndSetKeepsACopy)
{
    RecordingProjectFile store = richStore();
    const Block original = std::get<Block>(store.items[6]);
    Project p;
    ASSERT_TRUE(p.load(store));
    // No second copy of the block per project: the store's bytes are read.
    unsigned length = 0;
    EXPECT_EQ(p.getSystemInfo(), store.getData(6, length));
    EXPECT_EQ(p.getSystemInfoSize(), length);

    RecordingProjectFile out;
    p.save(out);
    EXPECT_EQ(std::get<Block>(out.items[6]), original);

    // A block that is set is the model's own, whatever the store does later.
    p.setSystemInfo(store.getData(6, length), length);
    EXPECT_NE(p.getSystemInfo(), store.getData(6, length));
    std::get<Block>(store.items[6])[0] = 0x55;
    EXPECT_EQ(Block(p.getSystemInfo(), p.getSystemInfo() + p.getSystemInfoSize()), original);

    // A copy of a loaded model reads the same bytes; one with a block set
    // keeps its own.
    ASSERT_TRUE(p.load(store));
    Project copy = p;
    EXPECT_EQ(copy.getSystemInfo(), p.getSystemInfo());
    copy.setSystemInfo(original.data(), static_cast<unsigned>(original.size()));
    Project second = copy;
    EXPECT_NE(second.getSystemInfo(), copy.getSystemInfo());
    EXPECT_EQ(Block(second.getSystemInfo(), second.getSystemInfo() + second.getSystemInfoSize()), original);
    EXPECT_EQ(p.getSystemInfo()[0], 0x55);
}

TEST(ProjectSystemInfo, SetAndClear)
{
    const unsigned char bytes[] = {9, 8, 7, 6, 5};
    Project p;
    p.setSystemInfo(bytes, 5);
    ASSERT_EQ(p.getSystemInfoSize(), 5u);
    EXPECT_EQ(std::memcmp(p.getSystemInfo(), bytes, 5), 0);

    // From a pointer into its own block: must not read freed memory.
    p.setSystemInfo(p.getSystemInfo() + 1, 3);
    ASSERT_EQ(p.getSystemInfoSize(), 3u);
    EXPECT_EQ(Block(p.getSystemInfo(), p.getSystemInfo() + 3), (Block{8, 7, 6}));

    p.setSystemInfo(bytes, 0);
    EXPECT_EQ(p.getSystemInfo(), nullptr);
    EXPECT_EQ(p.getSystemInfoSize(), 0u);

    p.setSystemInfo(bytes, 2);
    p.setSystemInfo(nullptr, 5);
    EXPECT_EQ(p.getSystemInfo(), nullptr);
    EXPECT_EQ(p.getSystemInfoSize(), 0u);

    p.setSystemInfo(bytes, 2);
    p.clearSystemInfo();
    EXPECT_EQ(p.getSystemInfo(), nullptr);
    EXPECT_EQ(p.getSystemInfoSize(), 0u);
    EXPECT_TRUE(saved(savedTrace(p), "d6=null"));
}

TEST(ProjectSystemInfo, AbsentOrEmptyItemLeavesNoBlock)
{
    for (bool emptyBlock : {false, true}) {
        SCOPED_TRACE(emptyBlock ? "empty block" : "absent");
        RecordingProjectFile store = richStore();
        if (emptyBlock)
            store.items[6] = Block{};
        else
            store.items.erase(6);
        Project p;
        p.setSystemInfo(reinterpret_cast<const unsigned char*>("old"), 3);
        ASSERT_TRUE(p.load(store));
        EXPECT_EQ(p.getSystemInfo(), nullptr);
        EXPECT_EQ(p.getSystemInfoSize(), 0u);
    }
}

// ---- Project: round trip -----------------------------------------------------------

TEST(ProjectRoundTrip, BinaryStoreToModelAndBack)
{
    const RecordingProjectFile rich = richStore();
    Project p;
    // The buffer lives as long as the model, as a project's raw file does.
    ExactBuffer buffer(fileBytes(rich));
    {
        DataVector store;
        store.parse(buffer.data.get(), buffer.size);
        ASSERT_TRUE(p.load(store));
    }
    // The item store is gone; the model holds everything but the block,
    // which it reads in the buffer.
    EXPECT_EQ(p.getName(), "Rig \xE4 fast");
    EXPECT_EQ(p.getDescription(), "two\tparts");
    EXPECT_EQ(p.getScore(), 5321);
    EXPECT_EQ(p.getVersion(), 202);
    EXPECT_EQ(Block(p.getSystemInfo(), p.getSystemInfo() + p.getSystemInfoSize()),
              (Block{0x01, 0x00, 0xFE, 0x7F}));
    const DisplaySettings& d = p.getDisplay();
    EXPECT_EQ(d.getPlatform(), "Radeon 8500");
    EXPECT_EQ(d.getRenderingPipeline(), "D3D Pure Hardware T&L");
    EXPECT_EQ(d.getWidth(), 1600);
    EXPECT_EQ(d.getHeight(), 1200);
    EXPECT_EQ(d.getColorBits(), 16);
    EXPECT_EQ(d.getZBufferBits(), 24);
    EXPECT_EQ(d.getTextureFormatCode(), DisplaySettings::TextureDxt1Only);
    EXPECT_EQ(d.getBufferingCode(), DisplaySettings::TripleBuffering);
    EXPECT_EQ(d.getRefreshRate(), 85);
    EXPECT_EQ(d.getFsaaSamples(), 4);
    EXPECT_EQ(p.getTests().lookup(8)->result.value, 187.0f * 1.5f - 200.0f);
    EXPECT_EQ(p.getTests().lookup(19)->result.fullPicture, "full1.png");

    // Saved: exactly the items the file had, with the same values.
    RecordingProjectFile out;
    p.save(out);
    EXPECT_EQ(out.items, rich.items);
    EXPECT_EQ(out.calls.size(), rich.items.size());

    // And once more through the model.
    Project q;
    ASSERT_TRUE(q.load(out));
    RecordingProjectFile again;
    q.save(again);
    EXPECT_EQ(again.trace(), out.trace());
}

TEST(ProjectRoundTrip, NonFiniteResultsAreCarriedUnchanged)
{
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min(), -0.0f};
    RecordingProjectFile store = richStore();
    for (unsigned i = 0; i < std::size(values); ++i)
        store.items[180 + i] = values[i];
    ExactBuffer buffer(fileBytes(store));
    DataVector binary;
    binary.parse(buffer.data.get(), buffer.size);

    Project p;
    ASSERT_TRUE(p.load(binary));
    RecordingProjectFile out;
    p.save(out);
    for (unsigned i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        const float got = std::get<float>(out.items.at(180 + i));
        EXPECT_EQ(std::memcmp(&got, &values[i], sizeof got), 0);
    }
}

// ---- Display settings and options ------------------------------------------------------

TEST(DisplaySettings, FreshValues)
{
    const DisplaySettings d;
    EXPECT_EQ(d.getPlatform(), "");
    EXPECT_EQ(d.getRenderingPipeline(), "");
    EXPECT_EQ(d.getWidth(), 1024);
    EXPECT_EQ(d.getHeight(), 768);
    EXPECT_EQ(d.getColorBits(), 32);
    EXPECT_EQ(d.getZBufferBits(), 32);
    EXPECT_EQ(d.getTextureFormatCode(), DisplaySettings::TextureCompressed);
    EXPECT_EQ(d.getBufferingCode(), DisplaySettings::DoubleBuffering);
    EXPECT_EQ(d.getRefreshRate(), 60);
    EXPECT_EQ(d.getFsaaSamples(), 1);
}

TEST(DisplaySettings, DepthCodesToBits)
{
    const std::pair<int, int> cases[] = {{0, 16}, {1, 24}, {2, 32}, {3, 0}, {-1, 0}, {INT_MAX, 0}};
    for (auto [code, bits] : cases) {
        SCOPED_TRACE(code);
        DisplaySettings d;
        d.setColorDepthCode(code);
        d.setZBufferCode(code);
        EXPECT_EQ(d.getColorBits(), bits);
        EXPECT_EQ(d.getZBufferBits(), bits);
    }
}

TEST(DisplaySettings, CodesOutsideTheirListAreNotSaved)
{
    struct Case {
        void (DisplaySettings::*set)(int);
        int code;
        unsigned id;
    };
    const Case cases[] = {
        {&DisplaySettings::setColorDepthCode, DisplaySettings::Depth24, 24},
        {&DisplaySettings::setColorDepthCode, 3, 24},
        {&DisplaySettings::setColorDepthCode, -1, 24},
        {&DisplaySettings::setZBufferCode, 3, 25},
        {&DisplaySettings::setTextureFormatCode, 4, 26},
        {&DisplaySettings::setTextureFormatCode, -1, 26},
        {&DisplaySettings::setBufferingCode, 2, 27},
        // 257 must not wrap into a valid code.
        {&DisplaySettings::setBufferingCode, 257, 27},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("item " + std::to_string(c.id) + " code " + std::to_string(c.code));
        DisplaySettings d;
        (d.*c.set)(c.code);
        RecordingProjectFile out;
        d.save(out);
        EXPECT_FALSE(anyCallFor(out, c.id));
        EXPECT_EQ(out.calls.size(), 9u);

        DisplaySettings back;
        EXPECT_FALSE(back.load(out));
    }
}

TEST(DisplaySettings, ThirtyTwoBitColourIsStoredAsOne)
{
    RecordingProjectFile store = richStore();
    store.items[24] = 1;
    DisplaySettings d;
    ASSERT_TRUE(d.load(store));
    EXPECT_EQ(d.getColorDepthCode(), DisplaySettings::Depth32);
    EXPECT_EQ(d.getColorBits(), 32);
    RecordingProjectFile out;
    d.save(out);
    EXPECT_EQ(std::get<int>(out.items.at(24)), 1);
}

TEST(DisplaySettings, DefaultRefreshAndNoAntiAliasingLoadUnchanged)
{
    RecordingProjectFile store = richStore();
    store.items[28] = 0;
    store.items[29] = 1;
    DisplaySettings d;
    d.setRefreshRate(75);
    d.setFsaaSamples(8);
    ASSERT_TRUE(d.load(store));
    EXPECT_EQ(d.getRefreshRate(), 0);
    EXPECT_EQ(d.getFsaaSamples(), 1);
}

TEST(Options, FreshValuesAndDetailLevelOutsideItsList)
{
    const Options fresh;
    EXPECT_TRUE(fresh.getTitleScreens());
    EXPECT_FALSE(fresh.getContinuousBenchmark());
    EXPECT_EQ(fresh.getRunCount(), 1);
    EXPECT_TRUE(fresh.getDemoSounds());
    EXPECT_FALSE(fresh.getContinuousDemo());
    EXPECT_TRUE(fresh.getGameSoundEffects());
    EXPECT_TRUE(fresh.getGameMusic());
    EXPECT_EQ(fresh.getDetailLevelCode(), Options::DetailLow);

    Options o;
    o.setDetailLevelCode(2);
    RecordingProjectFile out;
    o.save(out);
    EXPECT_EQ(out.trace(), (std::vector<std::string>{"b130=1", "b131=0", "i132=1", "b133=1",
                                                     "b134=0", "b135=1", "b136=1"}));
}

// ---- Batch-run settings ----------------------------------------------------------

TEST(BatchRunSettings, ListBBitMask)
{
    struct Case {
        std::optional<int> mask;
        std::array<bool, 3> entries;
    };
    const Case cases[] = {
        {0, {false, false, false}},  {2, {true, false, false}},   {4, {false, true, false}},
        {16, {false, false, true}},  {22, {true, true, true}},    {8, {false, false, false}},
        {1 | 8 | 32, {false, false, false}}, {INT_MIN, {false, false, false}},
        {-1, {true, true, true}},    {std::nullopt, {true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask ? std::to_string(*c.mask) : "absent");
        RecordingProjectFile store = richStore();
        if (c.mask)
            store.items[86] = *c.mask;
        else
            store.items.erase(86);
        BatchRunSettings b;
        ASSERT_TRUE(b.load(store));
        EXPECT_EQ(b.listB(), c.entries);

        // Saved back: only the three known bits.
        RecordingProjectFile out;
        b.save(out);
        const int expected = (c.entries[0] ? 2 : 0) + (c.entries[1] ? 4 : 0) + (c.entries[2] ? 16 : 0);
        EXPECT_EQ(std::get<int>(out.items.at(86)), expected);
    }
}

TEST(BatchRunSettings, TestSixteenIsItem120)
{
    BatchRunSettings b;
    for (int n = 1; n <= 21; ++n)
        b.getTests().find(n).flag = n == 16;
    RecordingProjectFile out;
    b.save(out);
    for (unsigned id = 100; id <= 120; ++id) {
        SCOPED_TRACE(id);
        EXPECT_EQ(std::get<bool>(out.items.at(id)), id == 120);
    }

    RecordingProjectFile store = richStore();
    for (unsigned id = 100; id <= 120; ++id)
        store.items[id] = id == 115;
    ASSERT_TRUE(b.load(store));
    for (int n = 1; n <= 21; ++n)
        EXPECT_EQ(b.getTests().lookup(n)->flag, n == 17) << n;
}

TEST(BatchRunSettings, ItemsEightyToEightyTwoAreNeverRead)
{
    RecordingProjectFile store = richStore();
    for (unsigned id = 80; id <= 82; ++id)
        store.items[id] = true;
    BatchRunSettings b;
    ASSERT_TRUE(b.load(store));
    RecordingProjectFile out;
    b.save(out);
    for (unsigned id = 80; id <= 82; ++id)
        EXPECT_FALSE(std::get<bool>(out.items.at(id))) << id;
}

TEST(BatchRunSettings, CodesOutsideTheirListAreNotSaved)
{
    BatchRunSettings b;
    b.setCode43(2);
    b.setCode44(-1);
    RecordingProjectFile out;
    b.save(out);
    EXPECT_FALSE(anyCallFor(out, 43));
    EXPECT_FALSE(anyCallFor(out, 44));
    BatchRunSettings back;
    EXPECT_FALSE(back.load(out));
}

TEST(BatchRunSettings, ClearAndDefaults)
{
    BatchRunSettings b;
    ASSERT_TRUE(b.load(richStore()));
    b.clear();
    EXPECT_EQ(b.getText40(), "");
    EXPECT_FALSE(b.getFlag41());
    EXPECT_EQ(b.getCode43(), 0);
    EXPECT_EQ(b.getCode44(), 1);
    EXPECT_TRUE(b.getFlag47());
    for (bool entry : b.listC())
        EXPECT_FALSE(entry);
    // The lists keep their sizes, so a save after clear() stays in bounds.
    RecordingProjectFile out;
    b.save(out);
    EXPECT_EQ(std::get<int>(out.items.at(86)), 0);
    EXPECT_EQ(std::get<bool>(out.items.at(85)), false);

    b.setDefaults();
    EXPECT_EQ(b.listA(), (std::array<bool, 6>{false, true, true, false, true, false}));
    EXPECT_EQ(b.listF(), (std::array<bool, 3>{false, true, false}));
}

// ---- Test repository ------------------------------------------------------------

TEST(TestRepository, FindAppendsOnceAndReferencesStayValid)
{
    TestRepository r;
    TestRepository::Test& first = r.find(5);
    EXPECT_EQ(r.size(), 1u);
    EXPECT_TRUE(first.flag);
    EXPECT_EQ(first.number, 5);
    EXPECT_EQ(first.result.value, -1.0f);
    first.result.value = 42.0f;

    // Enough insertions to regrow any contiguous storage several times.
    for (int n = 100; n < 400; ++n)
        r.find(n);
    EXPECT_EQ(r.size(), 301u);
    EXPECT_EQ(&r.find(5), &first);
    EXPECT_EQ(first.number, 5);
    EXPECT_EQ(first.result.value, 42.0f);
    EXPECT_EQ(r.size(), 301u);
    EXPECT_EQ(&r.at(0), &first);
}

TEST(TestRepository, ALoadedRepositoryKeepsItsRecordsTogether)
{
    TestRepository r;
    ASSERT_TRUE(r.load(richStore()));
    ASSERT_EQ(r.size(), 21u);
    // One block for the whole catalogue instead of an allocation per record.
    for (std::size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(&r.at(i), &r.at(0) + i) << i;
    for (std::size_t i = 0; i < r.size(); ++i) {
        const TestRepository::Test& t = r.at(i);
        EXPECT_TRUE(t.name.empty());
        // Only the image-quality tests carry picture names.
        EXPECT_EQ(t.result.smallPicture.empty(), t.number < FirstPictureTest) << t.number;
    }

    // Copies and moves carry every record; a moved-from repository is empty.
    TestRepository copy(r);
    TestRepository moved(std::move(r));
    EXPECT_EQ(r.size(), 0u);
    EXPECT_EQ(r.lookup(1), nullptr);
    ASSERT_EQ(moved.size(), 21u);
    for (int n = 1; n <= 21; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(moved.lookup(n)->flag, copy.lookup(n)->flag);
        EXPECT_EQ(moved.lookup(n)->result.value, copy.lookup(n)->result.value);
        EXPECT_EQ(moved.lookup(n)->result.fullPicture, copy.lookup(n)->result.fullPicture);
    }
    r = copy;
    EXPECT_EQ(r.size(), 21u);
    EXPECT_EQ(r.lookup(21)->result.smallPicture, "small3.png");
}

TEST(SparseText, ReadsLikeAStringAndHoldsNothingWhileEmpty)
{
    struct Case {
        const char* name;
        std::string value;
    };
    const Case cases[] = {
        {"empty", ""},
        {"short", "a.png"},
        {"long", "Quality\\Reference\\Game 4 - Meadow full size.png"},
        {"zero byte inside", std::string("a\0b", 3)},
        {"Windows-1252", "R\xE4" "der \x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SparseText t = c.value;
        EXPECT_EQ(t.empty(), c.value.empty());
        EXPECT_EQ(t.str(), c.value);
        EXPECT_EQ(t.size(), c.value.size());
        EXPECT_TRUE(t == c.value);
        const std::string& asString = t;
        EXPECT_EQ(asString, c.value);

        SparseText copy = t;
        copy = "other";
        EXPECT_EQ(t.str(), c.value);
        EXPECT_EQ(copy, "other");
        copy = t;
        EXPECT_EQ(copy, t);
        t = std::string();
        EXPECT_TRUE(t.empty());
        EXPECT_EQ(t, "");
        EXPECT_EQ(copy.str(), c.value);
    }
}

TEST(TestRepository, LookupNeverAppendsAndAtChecksItsIndex)
{
    TestRepository r;
    EXPECT_EQ(r.lookup(1), nullptr);
    EXPECT_EQ(r.size(), 0u);
    EXPECT_THROW(r.at(0), Exception);
    r.find(3);
    EXPECT_NO_THROW(r.at(0));
    EXPECT_THROW(r.at(1), Exception);
    EXPECT_THROW(std::as_const(r).at(static_cast<std::size_t>(-1)), Exception);
}

TEST(TestRepository, OneResultIsCarriedOnItsOwn)
{
    RecordingProjectFile store;
    store.items[187] = 123.5f;
    TestRepository r;
    ASSERT_TRUE(r.load(store));
    RecordingProjectFile out;
    r.save(out);
    const auto trace = out.trace();
    EXPECT_TRUE(saved(trace, "f187=123.5"));
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const std::string& s) { return s[0] == 'f' && s != "f187=123.5"; }),
              20);
}

TEST(TestRepository, CopyIsIndependent)
{
    TestRepository r;
    ASSERT_TRUE(r.load(richStore()));
    TestRepository copy(r);
    copy.find(1).result.value = 7.0f;
    copy.find(22);
    EXPECT_NE(r.lookup(1)->result.value, 7.0f);
    EXPECT_EQ(r.size(), 21u);
    EXPECT_EQ(copy.size(), 22u);

    r = copy;
    EXPECT_EQ(r.lookup(1)->result.value, 7.0f);
    EXPECT_NE(&r.find(1), &copy.find(1));
}

// ---- Item map -------------------------------------------------------------------

TEST(ProjectItemMap, OwnersAndKinds)
{
    using K = ItemKind;
    using O = ItemOwner;
    struct Case {
        unsigned id;
        O owner;
        K kind;
    };
    const Case cases[] = {
        {0, O::Project, K::String},   {1, O::Project, K::String},  {2, O::None, K::Bool},
        {4, O::Project, K::Int},      {5, O::Project, K::Int},     {6, O::Project, K::Data},
        {10, O::Project, K::Bool},    {11, O::None, K::Bool},      {19, O::None, K::Bool},
        {20, O::Display, K::String},  {21, O::Display, K::String}, {24, O::Display, K::Int},
        {29, O::Display, K::Int},     {30, O::None, K::Bool},      {40, O::Batch, K::String},
        {41, O::Batch, K::Bool},      {43, O::Batch, K::Int},      {47, O::Batch, K::Bool},
        {48, O::None, K::Bool},       {62, O::Batch, K::Bool},     {76, O::None, K::Bool},
        {79, O::None, K::Bool},       {82, O::Batch, K::Bool},     {86, O::Batch, K::Int},
        {87, O::None, K::Bool},       {120, O::Batch, K::Bool},    {121, O::None, K::Bool},
        {130, O::Options, K::Bool},   {132, O::Options, K::Int},   {136, O::Options, K::Bool},
        {137, O::Options, K::Int},    {138, O::None, K::Bool},     {150, O::Tests, K::Bool},
        {170, O::Tests, K::Bool},     {171, O::None, K::Bool},     {180, O::Tests, K::Float},
        {200, O::Tests, K::Float},    {201, O::None, K::Bool},     {239, O::None, K::Bool},
        {240, O::Tests, K::String},   {247, O::Tests, K::String},  {248, O::None, K::Bool},
        {0xFFFF, O::None, K::Bool},   {0xFFFFFFFF, O::None, K::Bool},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const ItemInfo info = describeItem(c.id);
        EXPECT_EQ(info.owner, c.owner);
        if (c.owner != O::None) {
            EXPECT_EQ(info.kind, c.kind);
        }
    }
}

// The map and the save path must agree: every mapped id is written exactly
// once with its kind, and nothing else is written.
TEST(ProjectItemMap, MatchesWhatTheModelSaves)
{
    RecordingProjectFile current = richStore();
    Project p;
    ASSERT_TRUE(p.load(current));
    RecordingProjectFile out;
    p.save(out);

    std::set<unsigned> written;
    for (const auto& call : out.calls) {
        SCOPED_TRACE(call.id);
        EXPECT_TRUE(written.insert(call.id).second) << "written twice";
        const ItemInfo info = describeItem(call.id);
        EXPECT_NE(info.owner, ItemOwner::None);
        EXPECT_EQ(static_cast<std::size_t>(info.kind), call.value.index());
    }
    for (unsigned id = 0; id < 300; ++id)
        EXPECT_EQ(describeItem(id).owner != ItemOwner::None, written.count(id) == 1) << id;
}

TEST(ProjectItemMap, TestNumbers)
{
    EXPECT_EQ(testItems(0), nullptr);
    EXPECT_EQ(testItems(22), nullptr);
    EXPECT_EQ(testItems(-1), nullptr);
    struct Case {
        int number;
        unsigned flag, result, batch;
        const char* label;
    };
    const Case cases[] = {
        {1, 150, 180, 100, "Game 1 - Road Rally - Low Detail"},
        {8, 157, 187, 107, "Fill Rate (Single-Texturing)"},
        {15, 164, 194, 114, "Pixel Shader"},
        {16, 170, 200, 120, "Advanced Pixel Shader"},
        {17, 165, 195, 115, "Point Sprites"},
        {18, 166, 196, 116, nullptr},
        {21, 169, 199, 119, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const TestItems* t = testItems(c.number);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->number, c.number);
        EXPECT_EQ(t->flagItem, c.flag);
        EXPECT_EQ(t->resultItem, c.result);
        EXPECT_EQ(t->batchItem, c.batch);
        if (c.label) {
            EXPECT_STREQ(t->label, c.label);
        } else {
            EXPECT_EQ(t->label, nullptr);
        }
    }
}

} // namespace
