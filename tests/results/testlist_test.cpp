#include "uTestList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const TestTableRow& rowOf(int id)
{
    for (const TestTableRow& row : testTable)
        if (row.id == id)
            return row;
    throw std::out_of_range("no test " + std::to_string(id));
}

TestTableRow customRow(int id, int shown = 1)
{
    TestTableRow row = testTable[1];
    row.id = id;
    row.shown = shown;
    return row;
}

// The result items are read straight from result files and the grids show
// the rows in this order, so the whole table is pinned.
TEST(TestTableTest, RowsInDisplayOrder)
{
    struct Expected {
        int id, item;
        const char *name, *subname;
        int subnameFirst;
        double low, high;
        const char* unit;
        int mark, group;
    };
    const Expected expected[] = {
        {1, 4, "Polyra Result", "", 0, 1000, 5000, "Polyra Marks", 0, 1},
        {2, 180, "Game 1", "Road Rally - Low Detail", 1, 10, 100, "FPS", 0, 2},
        {3, 181, "Game 1", "Road Rally - High Detail", 1, 10, 100, "FPS", 1, 2},
        {4, 182, "Game 2", "Wyrmhold - Low Detail", 1, 10, 100, "FPS", 0, 2},
        {5, 183, "Game 2", "Wyrmhold - High Detail", 1, 10, 100, "FPS", 0, 2},
        {6, 184, "Game 3", "Atrium - Low Detail", 1, 10, 100, "FPS", 1, 2},
        {7, 185, "Game 3", "Atrium - High Detail", 1, 10, 100, "FPS", 0, 2},
        {9, 186, "Game 4", "Meadow", 1, 10, 100, "FPS", 0, 2},
        {17, 187, "Fill Rate", "(Single Texturing)", 0, 40e6, 100e6, "MTexels/s", 0, 3},
        {18, 188, "Fill Rate", "(Multi-Texturing)", 0, 40e6, 100e6, "MTexels/s", 0, 3},
        {23, 189, "High Polygon Count", "(1 Lights)", 0, 300000, 1000000, "MTriangles/s", 0, 3},
        {24, 190, "High Polygon Count", "(8 Lights)", 0, 300000, 1000000, "MTriangles/s", 0, 3},
        {19, 191, "Bump Mapping", "Environment", 1, 300000, 1000000, "FPS", 0, 3},
        {20, 192, "Bump Mapping", "DOT3", 1, 300000, 1000000, "FPS", 0, 3},
        {12, 193, "Vertex Shader", "Speed", 0, 10, 100, "FPS", 0, 4},
        {13, 194, "Pixel Shader", "Speed", 0, 10, 100, "FPS", 0, 4},
        {15, 200, "Advanced Pixel Shader", "Speed", 0, 10, 100, "FPS", 0, 4},
        {14, 195, "Point Sprites", "Speed", 0, 10, 100, "MSprites/s", 0, 4},
    };
    ASSERT_EQ(testTable.size(), std::size(expected) + 1);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        const TestTableRow& row = testTable[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(row.id, e.id);
        EXPECT_EQ(row.resultItem, e.item);
        EXPECT_EQ(row.shown, 1);
        EXPECT_EQ(row.name, e.name);
        EXPECT_EQ(row.extra, "");
        EXPECT_EQ(row.subname, e.subname);
        EXPECT_EQ(row.subnameFirst, e.subnameFirst);
        EXPECT_EQ(row.rangeLow, e.low);
        EXPECT_EQ(row.rangeHigh, e.high);
        EXPECT_EQ(row.unit, e.unit);
        EXPECT_EQ(row.secondUnit, "");
        EXPECT_EQ(row.scale, 1.0f);
        EXPECT_EQ(row.numberFormat, e.id == 1 ? "#,###,##0" : "#,###,##0.0");
        EXPECT_EQ(row.mark, e.mark);
        EXPECT_EQ(row.group, e.group);
    }
    EXPECT_EQ(testTable.back().id, -1);
}

TEST(FormatTestValueTest, StatusCodesAndZeroHaveWords)
{
    const std::pair<double, const char*> cases[] = {
        {-1, "N/A"},
        {-2, "Not supported"},
        {-3, "Not enough system memory"},
        {-4, "512x512 textures not supported"},
        {-5, "Not enough AGP memory"},
        {-6, "Display settings not 16 bit"},
        {0, "N/A"},
        {-0.0, "N/A"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(formatTestValue(rowOf(2), value), text);
        EXPECT_EQ(formatTestValue(rowOf(1), value), text);
    }
}

TEST(FormatTestValueTest, OtherValuesAreFormattedWithTheUnit)
{
    struct Case {
        int id;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1, 1234.56, "1,235 Polyra Marks"},
        {1, 4999.5, "5,000 Polyra Marks"},
        {2, 57.25, "57.3 FPS"},
        {2, -7, "-7.0 FPS"},
        {2, -1.5, "-1.5 FPS"},
        {2, -6.5, "-6.5 FPS"},
        {17, 1234.56, "1,234.6 MTexels/s"},
        {23, 12.0, "12.0 MTriangles/s"},
        {14, 3.45, "3.5 MSprites/s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(formatTestValue(rowOf(c.id), c.value), c.text);
    }
}

TEST(FormatTestValueTest, DividesByTheScale)
{
    TestTableRow row = rowOf(2);
    row.scale = 1000.0f;
    EXPECT_EQ(formatTestValue(row, 45600), "45.6 FPS");
    row.scale = 0.0f;
    EXPECT_EQ(formatTestValue(row, 5), "INF FPS");
}

TEST(GetTestTitleTest, FourModes)
{
    struct Case {
        int id, mode;
        const char* title;
    };
    const Case cases[] = {
        // Subname is the short title.
        {3, 0, "Game 1 Road Rally - High Detail"},
        {3, 1, "Road Rally - High Detail"},
        {3, 2, "Game 1 (FPS)"},
        {3, 3, " (FPS)"},
        // Name is the short title.
        {17, 0, "Fill Rate (Single Texturing)"},
        {17, 1, "Fill Rate"},
        {17, 2, "(Single Texturing) (MTexels/s)"},
        {17, 3, " (MTexels/s)"},
        // The score has no subname; the blank stays.
        {1, 0, "Polyra Result "},
        {1, 1, "Polyra Result"},
        {1, 2, " (Polyra Marks)"},
        // Only the low byte selects.
        {3, 0x100, "Game 1 Road Rally - High Detail"},
        {3, 0x103, " (FPS)"},
        {3, 0x102, "Game 1 (FPS)"},
        {3, 4, ""},
        {3, 0xFF, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(getTestTitle(rowOf(c.id), c.mode), c.title);
    }
}

TEST(GetTestTitleTest, UnitsAndRowsWithoutResultItem)
{
    TestTableRow row = rowOf(3);
    row.secondUnit = "avg";
    EXPECT_EQ(getTestTitle(row, 2), "Game 1 (FPS)");
    EXPECT_EQ(getTestTitle(row, 0x102), "Game 1 (FPS avg)");

    row.resultItem = 0;
    EXPECT_EQ(getTestTitle(row, 3), "Game 1 Road Rally - High Detail (FPS)");

    row.unit = "";
    EXPECT_EQ(getTestTitle(row, 0x102), "Game 1");
    EXPECT_EQ(getTestTitle(row, 3), "Game 1 Road Rally - High Detail");
}

TEST(NiceMaximumTest, RoundsAboveTheLargestValue)
{
    const std::pair<double, double> cases[] = {
        {0, 1.0},     {-5, 1.0},    {7, 15.0},     {10, 15.0},  {10.5, 20},  {19.9, 30},
        {20, 30},     {57.3, 80},   {150, 200},    {199, 260},  {200, 300},  {5000, 7000},
        {0.001, 15.0}, {1e6, 1.3e6}, {98765, 130000},
    };
    for (const auto& [x, expected] : cases) {
        SCOPED_TRACE(x);
        EXPECT_DOUBLE_EQ(niceMaximum(x), expected);
    }
}

TEST(NiceMaximumTest, NonFiniteAndHugeValuesEnd)
{
    EXPECT_EQ(niceMaximum(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_EQ(niceMaximum(std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_EQ(niceMaximum(-std::numeric_limits<double>::infinity()), 1.0);
    const double huge = niceMaximum(std::numeric_limits<double>::max());
    EXPECT_TRUE(std::isfinite(huge));
    EXPECT_GE(huge, 1e308);
}

TEST(TTestListTest, SettingsFirstThenTests)
{
    const TTestList list;
    ASSERT_EQ(list.getCount(), 28);
    const int kinds[] = {4, 1, 2, 7, 8, 6, 3, 10, 11, 12};
    for (int i = 0; i < 10; ++i) {
        const TTestListItem* item = list.getItem(i + 1);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->kind, kinds[i]);
        EXPECT_EQ(item->index, -1);
    }
    for (int i = 0; i < 18; ++i) {
        const TTestListItem* item = list.getItem(11 + i);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->kind, tkTest);
        EXPECT_EQ(item->index, i + 1);
        EXPECT_EQ(item->row.id, testTable[static_cast<std::size_t>(i)].id);
        EXPECT_EQ(list.getRow(11 + i), &item->row);
    }
    for (int outside : {0, -1, 29, 1000}) {
        EXPECT_EQ(list.getItem(outside), nullptr);
        EXPECT_EQ(list.getRow(outside), nullptr);
    }
}

TEST(TTestListTest, IndexOfTestAndFindTestRow)
{
    const TTestList list;
    const std::pair<int, int> cases[] = {
        {1, 11}, {2, 12}, {9, 18}, {17, 19}, {15, 27}, {14, 28},
        {8, 0},  {25, 0}, {0, 0},  {-1, 0},  {10, 0},
    };
    for (const auto& [id, position] : cases) {
        SCOPED_TRACE(id);
        EXPECT_EQ(list.indexOfTest(id), position);
        const TestTableRow* row = list.findTestRow(id);
        if (position == 0) {
            EXPECT_EQ(row, nullptr);
        } else {
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->id, id);
            EXPECT_EQ(row, list.getRow(position));
        }
    }
}

TEST(TTestListTest, BuildsUpToTheEndRowOrTheTableEnd)
{
    const TestTableRow rows[] = {customRow(1), customRow(2), customRow(0), customRow(3)};
    EXPECT_EQ(TTestList(rows).getCount(), 12);

    const TestTableRow unterminated[] = {customRow(5), customRow(6)};
    const TTestList list(unterminated);
    EXPECT_EQ(list.getCount(), 12);
    EXPECT_EQ(list.indexOfTest(6), 12);

    EXPECT_EQ(TTestList(std::span<const TestTableRow>()).getCount(), 10);
}

TEST(TTestListTest, ShownTests)
{
    const TestTableRow rows[] = {customRow(1), customRow(2, 0), customRow(3), customRow(-1)};
    const TTestList list(rows);
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {100, 2}, {-1, 0}};
    for (const auto& [n, shown] : cases) {
        SCOPED_TRACE(n);
        EXPECT_EQ(list.countShownTests(n), shown);
    }
    EXPECT_EQ(TTestList().countShownTests(100), 18);

    EXPECT_TRUE(TTestList::isItemShown(list.getItem(1)));
    EXPECT_TRUE(TTestList::isItemShown(list.getItem(11)));
    EXPECT_FALSE(TTestList::isItemShown(list.getItem(12)));
    EXPECT_FALSE(TTestList::isItemShown(nullptr));

    TTestListItem hiddenSetting{-1, tkCpu, customRow(1, 0)};
    EXPECT_TRUE(TTestList::isItemShown(&hiddenSetting));
}

TEST(TTestListTest, Captions)
{
    const TTestList list;
    const char* settings[] = {"Rendering Platform", "Resolution",   "Color Depth", "Texture Format",
                              "Z-Buffer Depth",     "Frame Buffer", "Rendering Pipeline", "FSAA",
                              "CPU",                "CPU Speed"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(TTestList::getItemCaption(list.getItem(i + 1)), settings[i]);
        EXPECT_EQ(TTestList::getItemCaption(list.getItem(i + 1), 2), settings[i]);
    }
    const TTestListItem* game = list.getItem(list.indexOfTest(3));
    EXPECT_EQ(TTestList::getItemCaption(game), "Game 1 Road Rally - High Detail");
    EXPECT_EQ(TTestList::getItemCaption(game, 0x100), "Game 1 Road Rally - High Detail");
    EXPECT_EQ(TTestList::getItemCaption(game, 2), "Game 1 (FPS)");

    const std::pair<int, const char*> others[] = {
        {5, "Refresh Rate"}, {9, "Resolution & Color Depth"}, {13, ""}, {-1, ""}};
    for (const auto& [kind, caption] : others) {
        const TTestListItem item{-1, kind, testTable[0]};
        EXPECT_EQ(TTestList::getItemCaption(&item), caption);
    }
    EXPECT_EQ(TTestList::getItemCaption(nullptr), "");
}

// Answers every getter with its own name, so a mix-up shows.
struct FakeProject {
    TTestValueList* values = nullptr;
    std::vector<bool> shortFlags;

    TTestValue* getTestValue(int id) { return values != nullptr ? values->findByTestId(id) : nullptr; }
    std::string getResolutionText() { return "resolution"; }
    std::string getColorDepthText(bool short_)
    {
        shortFlags.push_back(short_);
        return "color depth";
    }
    std::string getRenderingPipeline() { return "pipeline"; }
    std::string getRenderingPlatform() { return "platform"; }
    std::string getRefreshRateText() { return "refresh"; }
    std::string getFrameBufferText(bool short_)
    {
        shortFlags.push_back(short_);
        return "frame buffer";
    }
    std::string getTextureFormatText() { return "texture"; }
    std::string getZBufferText() { return "z-buffer"; }
    std::string getDisplayModeText() { return "display mode"; }
    std::string getFsaaText() { return "fsaa"; }
    std::string getCpuName() { return "cpu"; }
    std::string getCpuSpeedText() { return "cpu speed"; }
};

TEST(TTestListTest, ValueTexts)
{
    const TTestList list;
    TTestValueList values(list);
    values.findByTestId(2)->setValue(57.25);
    values.findByTestId(1)->setValue(-2);
    FakeProject project{&values, {}};

    const char* settings[] = {"platform", "resolution", "color depth", "texture",  "z-buffer",
                              "frame buffer", "pipeline", "fsaa",     "cpu", "cpu speed"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(TTestList::getItemValueText(list.getItem(i + 1), &project), settings[i]);
    EXPECT_EQ(project.shortFlags, std::vector<bool>({false, false}));

    EXPECT_EQ(TTestList::getItemValueText(list.getItem(list.indexOfTest(2)), &project), "57.3 FPS");
    EXPECT_EQ(TTestList::getItemValueText(list.getItem(list.indexOfTest(1)), &project), "Not supported");
    EXPECT_EQ(TTestList::getItemValueText(list.getItem(list.indexOfTest(3)), &project), "N/A");

    const std::pair<int, const char*> others[] = {{5, "refresh"}, {9, "display mode"}, {13, ""}};
    for (const auto& [kind, text] : others) {
        const TTestListItem item{-1, kind, testTable[0]};
        EXPECT_EQ(TTestList::getItemValueText(&item, &project), text);
    }

    FakeProject noValues;
    EXPECT_EQ(TTestList::getItemValueText(list.getItem(11), &noValues), "");
    EXPECT_EQ(TTestList::getItemValueText(list.getItem(11), static_cast<FakeProject*>(nullptr)), "");
    EXPECT_EQ(TTestList::getItemValueText(nullptr, &project), "");
}

TEST(TTestValueTest, StatusCodesReadAsZero)
{
    TTestValue value(&rowOf(5));
    value.setValue(-3);
    EXPECT_EQ(value.getValue(), 0.0);
    EXPECT_EQ(value.getRawValue(), -3);
    EXPECT_EQ(value.getText(), "Not enough system memory");

    value.setValue(42.25);
    EXPECT_EQ(value.getValue(), 42.25);
    EXPECT_EQ(value.getText(), "42.3 FPS");
}

TEST(TTestValueTest, ClearKeepsTheTest)
{
    TTestValue value(&rowOf(5));
    value.setValue(12);
    value.setPresent(true);
    value.setLowest(true);
    value.setHighest(true);
    value.clear();
    EXPECT_EQ(value.getRawValue(), 0.0);
    EXPECT_FALSE(value.isPresent());
    EXPECT_FALSE(value.isLowest());
    EXPECT_FALSE(value.isHighest());
    EXPECT_EQ(value.getRow(), &rowOf(5));
    EXPECT_EQ(value.getText(), "N/A");

    EXPECT_EQ(TTestValue().getText(), "");
}

TEST(TTestValueListTest, OneEntryPerTestInCatalogueOrder)
{
    const TTestList list;
    TTestValueList values(list);
    ASSERT_EQ(values.getCount(), 18);
    for (int position = 1; position <= 18; ++position) {
        const TTestValue* entry = values.getEntry(position);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->getRow(), list.getRow(10 + position));
        EXPECT_EQ(entry->getRawValue(), 0.0);
        EXPECT_FALSE(entry->isPresent());
    }
    EXPECT_EQ(values.getEntry(0), nullptr);
    EXPECT_EQ(values.getEntry(19), nullptr);

    EXPECT_EQ(values.findByTestId(1), values.getEntry(1));
    EXPECT_EQ(values.findByTestId(14), values.getEntry(18));
    EXPECT_EQ(values.findByTestId(8), nullptr);
    EXPECT_EQ(values.findByTestId(-1), nullptr);

    EXPECT_EQ(values.findByRow(list.findTestRow(17)), values.findByTestId(17));
    EXPECT_EQ(values.findByRow(&rowOf(17)), nullptr);  // the table's row, not the catalogue's copy
    EXPECT_EQ(values.findByRow(nullptr), nullptr);

    const TTestValueList& constValues = values;
    EXPECT_EQ(constValues.findByTestId(3), values.findByTestId(3));
}

TEST(TDatabaseTestListTest, PositionsMatchTheCatalogue)
{
    const TTestList list;
    TDatabaseTestList ranges(list);
    ASSERT_EQ(ranges.getCount(), list.getCount());
    EXPECT_EQ(&ranges.getTestList(), &list);
    for (int position = 1; position <= list.getCount(); ++position)
        EXPECT_EQ(ranges.getEntry(position)->getRow(), list.getRow(position));
    EXPECT_EQ(ranges.getEntry(0), nullptr);
    EXPECT_EQ(ranges.getEntry(29), nullptr);

    EXPECT_EQ(ranges.indexOfTest(1), 11);
    EXPECT_EQ(ranges.findByTestId(1), ranges.getEntry(11));
    EXPECT_EQ(ranges.findByTestId(14), ranges.getEntry(28));
    EXPECT_EQ(ranges.findByTestId(8), nullptr);
    EXPECT_EQ(ranges.findByTestId(25), nullptr);
}

TEST(TDatabaseTestObjectTest, MaximumPrefersAFixedMaximumAboveOne)
{
    TDatabaseTestObject range(&rowOf(2));
    EXPECT_EQ(range.getFixedMaximum(), 1.0);
    EXPECT_EQ(range.getMaximum(), 1.0);

    range.setObservedMaximum(57.3);
    EXPECT_DOUBLE_EQ(range.getNiceMaximum(), 80);
    EXPECT_DOUBLE_EQ(range.getMaximum(), 80);
    range.setFixedMaximum(200);
    EXPECT_EQ(range.getMaximum(), 200);
    range.setFixedMaximum(1.0);
    EXPECT_DOUBLE_EQ(range.getMaximum(), 80);

    range.setFixedMaximum(500);
    range.clear();
    EXPECT_EQ(range.getObservedMaximum(), 0.0);
    EXPECT_EQ(range.getFixedMaximum(), 1.0);
    EXPECT_EQ(range.getRow(), &rowOf(2));
}

TEST(TDatabaseTestListTest, GroupsShareTheLargestNiceMaximum)
{
    const TTestList list;
    TDatabaseTestList ranges(list);
    ranges.findByTestId(2)->setObservedMaximum(57.3);    // 80
    ranges.findByTestId(3)->setObservedMaximum(150);     // 200
    ranges.findByTestId(12)->setObservedMaximum(5000);   // 7000, shaders
    ranges.findByTestId(15)->setObservedMaximum(7);      // 15
    ranges.findByTestId(23)->setObservedMaximum(10.5);   // 20, group lists id 25 too
    ranges.findByTestId(6)->setObservedMaximum(57.3);    // in no group
    ranges.alignGroups();

    const std::pair<int, double> cases[] = {
        {2, 200}, {3, 200}, {12, 7000}, {13, 7000}, {15, 7000}, {14, 7000},
        {23, 20}, {24, 20}, {6, 80},    {7, 1.0},
        // Nothing observed: the group's maximum stays 1.0, each axis its own.
        {17, 1.0}, {18, 1.0}, {1, 1.0},
    };
    for (const auto& [id, maximum] : cases) {
        SCOPED_TRACE(id);
        EXPECT_DOUBLE_EQ(ranges.findByTestId(id)->getMaximum(), maximum);
    }
    EXPECT_EQ(ranges.findByTestId(17)->getFixedMaximum(), 1.0);
    EXPECT_EQ(ranges.findByTestId(6)->getFixedMaximum(), 1.0);

    ranges.clearRanges();
    for (int position = 1; position <= ranges.getCount(); ++position) {
        EXPECT_EQ(ranges.getEntry(position)->getObservedMaximum(), 0.0);
        EXPECT_EQ(ranges.getEntry(position)->getFixedMaximum(), 1.0);
    }
}

} // namespace
