#pragma once

// The overall score and the benchmark's tests, one row each: the items a
// result file keeps for them and how the grids, charts, reports, the text
// export and the picture views name and measure them. The lists of tests
// elsewhere are built from this table; where two views differ (a test one of
// them leaves out, a label that reads differently), the difference is a
// column here.

#include <array>
#include <cstddef>

#include "itemids.h"

// What a result counts. The grids and the text export spell units apart.
enum class TestUnit { None, Marks, Fps, MTexels, MTriangles, MSprites };

struct TestUnitNames {
    const char *catalogue;  // grids, charts, reports
    const char *textExport; // result lines of the text export; null: no unit there
};

constexpr TestUnitNames unitNames(TestUnit unit)
{
    switch (unit) {
    case TestUnit::Marks: return {"Polyra Marks", nullptr}; // the export's score is a bare count
    case TestUnit::Fps: return {"FPS", "fps"};
    case TestUnit::MTexels: return {"MTexels/s", "MTexels/s"};
    case TestUnit::MTriangles: return {"MTriangles/s", "MTriangles/s"};
    case TestUnit::MSprites: return {"MSprites/s", "MSprites/s"};
    case TestUnit::None: break;
    }
    return {"", nullptr};
}

inline constexpr const char *scoreNumberFormat = "#,###,##0";
inline constexpr const char *resultNumberFormat = "#,###,##0.0";

// The items of a test in a result file; 0 where the row has none.
struct TestItemIds {
    unsigned flag = 0;   // the test's own flag
    unsigned result = 0; // its result
    unsigned batch = 0;  // chosen for a batch run
};

// The test as the grids, charts and reports show it; id 0: not shown there.
struct CatalogueColumns {
    int id = 0;
    const char *name = "";
    const char *subname = "";
    int subnameFirst = 0; // 1: the subname is the short title, the name its qualifier
    double rangeLow = 0;
    double rangeHigh = 0;
    const char *numberFormat = "";
    int mark = 0;
    int group = 0; // 1 score, 2 game tests, 3 feature tests, 4 shader and sprite tests
};

// The image-quality picture pair of a test; n 0: none.
struct PictureColumns {
    int n = 0; // reference-image row 1-4
    const char *title = "";
};

struct BenchmarkTest {
    int number = 0; // test number in the result file, 1-21; 0 for the overall score
    TestItemIds items;
    TestUnit unit = TestUnit::None;
    CatalogueColumns catalogue;
    const char *exportLabel = nullptr; // label of its text-export result line; null: no line
    PictureColumns picture;

    constexpr bool isTest() const { return number >= 1; }
    constexpr bool inCatalogue() const { return catalogue.id != 0; }
    constexpr bool hasPictures() const { return picture.n != 0; }
    // Picture names: small ones from SmallPicture, full-size from FullPicture.
    constexpr unsigned smallPictureItem() const { return ItemId::SmallPicture + unsigned(picture.n - 1); }
    constexpr unsigned fullPictureItem() const { return ItemId::FullPicture + unsigned(picture.n - 1); }
};

// The score, then the tests by number, which is also the order of the grids.
// Test 16 was added after 17-21 had their ids, hence its items sit behind
// theirs.
inline constexpr std::array<BenchmarkTest, 22> benchmarkTests{{
    {0, {0, ItemId::Score, 0}, TestUnit::Marks,
     {1, "Polyra Result", "", 0, 1000, 5000, scoreNumberFormat, 0, 1},
     "Polyra Score", {}},
    {1, {150, 180, 100}, TestUnit::Fps,
     {2, "Game 1", "Road Rally - Low Detail", 1, 10, 100, resultNumberFormat, 0, 2},
     "Game 1 - Road Rally - Low Detail", {}},
    {2, {151, 181, 101}, TestUnit::Fps,
     {3, "Game 1", "Road Rally - High Detail", 1, 10, 100, resultNumberFormat, 1, 2},
     "Game 1 - Road Rally - High Detail", {}},
    {3, {152, 182, 102}, TestUnit::Fps,
     {4, "Game 2", "Wyrmhold - Low Detail", 1, 10, 100, resultNumberFormat, 0, 2},
     "Game 2 - Wyrmhold - Low Detail", {}},
    {4, {153, 183, 103}, TestUnit::Fps,
     {5, "Game 2", "Wyrmhold - High Detail", 1, 10, 100, resultNumberFormat, 0, 2},
     "Game 2 - Wyrmhold - High Detail", {}},
    {5, {154, 184, 104}, TestUnit::Fps,
     {6, "Game 3", "Atrium - Low Detail", 1, 10, 100, resultNumberFormat, 1, 2},
     "Game 3 - Atrium - Low Detail", {}},
    {6, {155, 185, 105}, TestUnit::Fps,
     {7, "Game 3", "Atrium - High Detail", 1, 10, 100, resultNumberFormat, 0, 2},
     "Game 3 - Atrium - High Detail", {}},
    {7, {156, 186, 106}, TestUnit::Fps,
     {9, "Game 4", "Meadow", 1, 10, 100, resultNumberFormat, 0, 2},
     "Game 4 - Meadow", {}},
    {8, {157, 187, 107}, TestUnit::MTexels,
     {17, "Fill Rate", "(Single Texturing)", 0, 40000000, 100000000, resultNumberFormat, 0, 3},
     "Fill Rate (Single-Texturing)", {}},
    {9, {158, 188, 108}, TestUnit::MTexels,
     {18, "Fill Rate", "(Multi-Texturing)", 0, 40000000, 100000000, resultNumberFormat, 0, 3},
     "Fill Rate (Multi-Texturing)", {}},
    {10, {159, 189, 109}, TestUnit::MTriangles,
     {23, "High Polygon Count", "(1 Lights)", 0, 300000, 1000000, resultNumberFormat, 0, 3},
     "High Polygon Count (1 Light)", {}},
    {11, {160, 190, 110}, TestUnit::MTriangles,
     {24, "High Polygon Count", "(8 Lights)", 0, 300000, 1000000, resultNumberFormat, 0, 3},
     "High Polygon Count (8 Lights)", {}},
    {12, {161, 191, 111}, TestUnit::Fps,
     {19, "Bump Mapping", "Environment", 1, 300000, 1000000, resultNumberFormat, 0, 3},
     "Environment Bump Mapping", {}},
    {13, {162, 192, 112}, TestUnit::Fps,
     {20, "Bump Mapping", "DOT3", 1, 300000, 1000000, resultNumberFormat, 0, 3},
     "DOT3 Bump Mapping", {}},
    {14, {163, 193, 113}, TestUnit::Fps,
     {12, "Vertex Shader", "Speed", 0, 10, 100, resultNumberFormat, 0, 4},
     "Vertex Shader", {}},
    {15, {164, 194, 114}, TestUnit::Fps,
     {13, "Pixel Shader", "Speed", 0, 10, 100, resultNumberFormat, 0, 4},
     "Pixel Shader", {}},
    {16, {170, 200, 120}, TestUnit::Fps,
     {15, "Advanced Pixel Shader", "Speed", 0, 10, 100, resultNumberFormat, 0, 4},
     "Advanced Pixel Shader", {}},
    {17, {165, 195, 115}, TestUnit::MSprites,
     {14, "Point Sprites", "Speed", 0, 10, 100, resultNumberFormat, 0, 4},
     "Point Sprites", {}},
    // The image-quality tests: pictures only, no grid row and no result line.
    {18, {166, 196, 116}, TestUnit::None, {}, nullptr, {1, "Game 1 - Road Rally"}},
    {19, {167, 197, 117}, TestUnit::None, {}, nullptr, {2, "Game 2 - Wyrmhold"}},
    {20, {168, 198, 118}, TestUnit::None, {}, nullptr, {3, "Game 3 - Atrium"}},
    {21, {169, 199, 119}, TestUnit::None, {}, nullptr, {4, "Game 4 - Meadow"}},
}};

template <class Pred>
constexpr std::size_t countBenchmarkTests(Pred pred)
{
    std::size_t n = 0;
    for (const BenchmarkTest &test : benchmarkTests)
        if (pred(test))
            ++n;
    return n;
}

// The row whose result is that item (the score's included); null for any other id.
constexpr const BenchmarkTest *findTestByResultItem(unsigned item)
{
    for (const BenchmarkTest &test : benchmarkTests)
        if (test.items.result == item)
            return &test;
    return nullptr;
}

// Test numbers index the item map, and the picture pairs belong to
// consecutive tests and fill the picture item ranges: both rely on the order
// of the rows.
static_assert([] {
    int number = 0;
    int picture = 0;
    int lastPictureTest = 0;
    for (const BenchmarkTest &test : benchmarkTests) {
        if (test.number != number++)
            return false;
        if (!test.hasPictures())
            continue;
        if (test.picture.n != ++picture || (lastPictureTest != 0 && test.number != lastPictureTest + 1))
            return false;
        lastPictureTest = test.number;
    }
    return picture == int(ItemId::FullPicture - ItemId::SmallPicture);
}());
