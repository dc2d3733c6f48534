#pragma once

// Item ids of a result file and which part of the project model owns them.

#include <array>
#include <cstddef>
#include <cstdint>

#include "itemids.h"
#include "testcatalogue.h"

// From this version on flags 9 and 10 exist and the system-information block
// is in the current layout.
inline constexpr int FirstCurrentLayoutVersion = 202;

inline constexpr int TestCount =
    static_cast<int>(countBenchmarkTests([](const BenchmarkTest &test) { return test.isTest(); }));
inline constexpr int FirstPictureTest = [] {
    for (const BenchmarkTest &test : benchmarkTests)
        if (test.hasPictures())
            return test.number;
    return 0;
}();

// The items of one benchmark test.
struct TestItems {
    int number;
    unsigned flagItem;    // the test's own flag
    unsigned resultItem;  // float result
    unsigned batchItem;   // chosen for a batch run
    const char* label;    // label of the result in the text export; null for 18-21
    const char* unit;     // null for 18-21
};

// By test number, which is also the order in which the model saves them.
inline constexpr std::array<TestItems, TestCount> TestItemMap = [] {
    std::array<TestItems, TestCount> map{};
    std::size_t i = 0;
    for (const BenchmarkTest &test : benchmarkTests)
        if (test.isTest())
            map[i++] = {test.number,      test.items.flag, test.items.result, test.items.batch,
                        test.exportLabel, test.exportLabel ? unitNames(test.unit).textExport : nullptr};
    return map;
}();

// The entry of a test number 1-21; null for any other number.
inline constexpr const TestItems* testItems(int number)
{
    return number >= 1 && number <= TestCount ? &TestItemMap[static_cast<std::size_t>(number - 1)]
                                               : nullptr;
}

enum class ItemOwner { None, Project, Display, Batch, Options, Tests };

// Same numbering as the type byte of an item on file.
enum class ItemKind : std::uint8_t { Bool = 0, Int = 1, Float = 2, String = 3, Data = 4 };

struct ItemInfo {
    ItemOwner owner;
    ItemKind kind;  // meaningless when owner is None
};

// Owner and kind of an item id; ItemOwner::None for ids no part writes or reads.
constexpr ItemInfo describeItem(unsigned id)
{
    using K = ItemKind;
    using O = ItemOwner;
    using namespace ItemId;
    auto in = [id](unsigned first, unsigned last) { return id >= first && id <= last; };

    if (in(Name, Description)) return {O::Project, K::String};
    if (in(Score, Version)) return {O::Project, K::Int};
    if (id == SystemInfo) return {O::Project, K::Data};
    if (in(Flag7, Flag10)) return {O::Project, K::Bool};

    if (in(Platform, RenderingPipeline)) return {O::Display, K::String};
    if (in(Width, FsaaSamples)) return {O::Display, K::Int};

    if (id == BatchText40 || id == BatchText42 || id == BatchText46) return {O::Batch, K::String};
    if (id == BatchCode43 || id == BatchCode44 || id == BatchListBMask) return {O::Batch, K::Int};
    if (id == BatchFlag41 || id == BatchFlag45 || id == BatchFlag47) return {O::Batch, K::Bool};
    // Lists A, C and D follow each other; E has two entries, F three behind
    // the three always-false items.
    if (in(BatchListA, BatchListD + 1) || in(BatchListE, BatchListE + 1) || in(BatchAlwaysFalse, BatchListF + 2))
        return {O::Batch, K::Bool};

    if (id == RunCount || id == DetailLevel) return {O::Options, K::Int};
    if (in(TitleScreens, GameMusic)) return {O::Options, K::Bool};

    for (const BenchmarkTest &test : benchmarkTests) {
        if (!test.isTest())
            continue;
        if (id == test.items.flag) return {O::Tests, K::Bool};
        if (id == test.items.result) return {O::Tests, K::Float};
        if (id == test.items.batch) return {O::Batch, K::Bool};
        if (test.hasPictures() && (id == test.smallPictureItem() || id == test.fullPictureItem()))
            return {O::Tests, K::String};
    }

    return {O::None, K::Bool};
}
