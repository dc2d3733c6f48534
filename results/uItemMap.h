#pragma once

// Item ids of a result file and which part of the project model owns them.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ItemId {

// Project
inline constexpr unsigned Name = 0;
inline constexpr unsigned Description = 1;
inline constexpr unsigned Score = 4;
inline constexpr unsigned Version = 5;
inline constexpr unsigned SystemInfo = 6;
inline constexpr unsigned Flag7 = 7;
inline constexpr unsigned Flag8 = 8;
inline constexpr unsigned Flag9 = 9;    // only from version 202
inline constexpr unsigned Flag10 = 10;  // only from version 202

// Display settings
inline constexpr unsigned Platform = 20;
inline constexpr unsigned RenderingPipeline = 21;
inline constexpr unsigned Width = 22;
inline constexpr unsigned Height = 23;
inline constexpr unsigned ColorDepth = 24;
inline constexpr unsigned ZBuffer = 25;
inline constexpr unsigned TextureFormat = 26;
inline constexpr unsigned Buffering = 27;
inline constexpr unsigned RefreshRate = 28;
inline constexpr unsigned FsaaSamples = 29;

// Batch-run settings
inline constexpr unsigned BatchText40 = 40;
inline constexpr unsigned BatchFlag41 = 41;
inline constexpr unsigned BatchText42 = 42;
inline constexpr unsigned BatchCode43 = 43;
inline constexpr unsigned BatchCode44 = 44;
inline constexpr unsigned BatchFlag45 = 45;
inline constexpr unsigned BatchText46 = 46;
inline constexpr unsigned BatchFlag47 = 47;
inline constexpr unsigned BatchListA = 62;       // 62-67
inline constexpr unsigned BatchListC = 68;       // 68-73
inline constexpr unsigned BatchListD = 74;       // 74, 75
inline constexpr unsigned BatchListE = 77;       // 77, 78
inline constexpr unsigned BatchAlwaysFalse = 80; // 80-82, written false, never read
inline constexpr unsigned BatchListF = 83;       // 83-85
inline constexpr unsigned BatchListBMask = 86;

// Options
inline constexpr unsigned TitleScreens = 130;
inline constexpr unsigned ContinuousBenchmark = 131;
inline constexpr unsigned RunCount = 132;
inline constexpr unsigned DemoSounds = 133;
inline constexpr unsigned ContinuousDemo = 134;
inline constexpr unsigned GameSoundEffects = 135;
inline constexpr unsigned GameMusic = 136;
inline constexpr unsigned DetailLevel = 137;

// Picture names of the image-quality tests 18-21: base + (test - 18).
inline constexpr unsigned SmallPicture = 240;
inline constexpr unsigned FullPicture = 244;

} // namespace ItemId

// From this version on flags 9 and 10 exist and the system-information block
// is in the current layout.
inline constexpr int FirstCurrentLayoutVersion = 202;

inline constexpr int TestCount = 21;
inline constexpr int FirstPictureTest = 18;

// The items of one benchmark test. Test 16 was added after 17-21 had their
// ids, hence its items sit behind theirs.
struct TestItems {
    int number;
    unsigned flagItem;    // the test's own flag
    unsigned resultItem;  // float result
    unsigned batchItem;   // chosen for a batch run
    const char* label;    // label of the result in the text export; null for 18-21
    const char* unit;     // null for 18-21
};

inline constexpr std::array<TestItems, TestCount> TestItemMap{{
    {1, 150, 180, 100, "Game 1 - Road Rally - Low Detail", "fps"},
    {2, 151, 181, 101, "Game 1 - Road Rally - High Detail", "fps"},
    {3, 152, 182, 102, "Game 2 - Wyrmhold - Low Detail", "fps"},
    {4, 153, 183, 103, "Game 2 - Wyrmhold - High Detail", "fps"},
    {5, 154, 184, 104, "Game 3 - Atrium - Low Detail", "fps"},
    {6, 155, 185, 105, "Game 3 - Atrium - High Detail", "fps"},
    {7, 156, 186, 106, "Game 4 - Meadow", "fps"},
    {8, 157, 187, 107, "Fill Rate (Single-Texturing)", "MTexels/s"},
    {9, 158, 188, 108, "Fill Rate (Multi-Texturing)", "MTexels/s"},
    {10, 159, 189, 109, "High Polygon Count (1 Light)", "MTriangles/s"},
    {11, 160, 190, 110, "High Polygon Count (8 Lights)", "MTriangles/s"},
    {12, 161, 191, 111, "Environment Bump Mapping", "fps"},
    {13, 162, 192, 112, "DOT3 Bump Mapping", "fps"},
    {14, 163, 193, 113, "Vertex Shader", "fps"},
    {15, 164, 194, 114, "Pixel Shader", "fps"},
    {16, 170, 200, 120, "Advanced Pixel Shader", "fps"},
    {17, 165, 195, 115, "Point Sprites", "MSprites/s"},
    {18, 166, 196, 116, nullptr, nullptr},
    {19, 167, 197, 117, nullptr, nullptr},
    {20, 168, 198, 118, nullptr, nullptr},
    {21, 169, 199, 119, nullptr, nullptr},
}};

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
    auto in = [id](unsigned first, unsigned last) { return id >= first && id <= last; };

    if (in(0, 1)) return {O::Project, K::String};
    if (in(4, 5)) return {O::Project, K::Int};
    if (id == 6) return {O::Project, K::Data};
    if (in(7, 10)) return {O::Project, K::Bool};

    if (in(20, 21)) return {O::Display, K::String};
    if (in(22, 29)) return {O::Display, K::Int};

    if (id == 40 || id == 42 || id == 46) return {O::Batch, K::String};
    if (id == 43 || id == 44 || id == 86) return {O::Batch, K::Int};
    if (id == 41 || id == 45 || id == 47) return {O::Batch, K::Bool};
    if (in(62, 75) || in(77, 78) || in(80, 85) || in(100, 120)) return {O::Batch, K::Bool};

    if (id == 132 || id == 137) return {O::Options, K::Int};
    if (in(130, 136)) return {O::Options, K::Bool};

    if (in(150, 170)) return {O::Tests, K::Bool};
    if (in(180, 200)) return {O::Tests, K::Float};
    if (in(240, 247)) return {O::Tests, K::String};

    return {O::None, K::Bool};
}
