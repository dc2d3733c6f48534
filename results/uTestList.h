#pragma once

// The catalogue of the benchmark's tests: the fixed table of tests, the list
// of grid rows built from it (display settings first, then the tests), the
// test values of one project and the value ranges of one database.
//
// Positions in every list here count from 1; 0 and null mean "none".
// Rows handed out point into the TTestList, which must outlive the value and
// range lists built over it.

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "testcatalogue.h"

// One test of the table. Texts point at literals, so copies are cheap and
// stay valid for the program's lifetime.
struct TestTableRow {
    int id;           // catalogue test id; below 1 ends the table
    int resultItem;   // item id of the test's float result in a result file
    int shown;
    std::string_view name;
    std::string_view extra;  // unused, empty in every row
    std::string_view subname;
    double rangeLow;
    double rangeHigh;
    std::string_view unit;
    std::string_view secondUnit;
    int subnameFirst;  // 1: the subname is the short title, the name its qualifier
    float scale;       // divisor applied before formatting
    std::string_view numberFormat;
    int mark;
    int group;  // 1 score, 2 game tests, 3 feature tests, 4 shader and sprite tests
};

inline constexpr std::size_t testTableRows =
    countBenchmarkTests([](const BenchmarkTest &test) { return test.inCatalogue(); });

// The catalogue's rows of benchmarkTests (18) followed by the end row
// (id -1), in display order.
extern const std::array<TestTableRow, testTableRows + 1> testTable;

// Tests whose charts share one axis maximum in a database. Ids without a row
// (25) are skipped.
namespace testgroups_detail {
inline constexpr int fillRate[] = {17, 18};
inline constexpr int game1[] = {2, 3};
inline constexpr int game2[] = {4, 5};
inline constexpr int shaders[] = {12, 13, 15, 14};
inline constexpr int score[] = {1};
inline constexpr int bumpMapping[] = {19, 20};
inline constexpr int polygons[] = {23, 24, 25};
} // namespace testgroups_detail

inline constexpr std::array<std::span<const int>, 7> testGroups = {
    testgroups_detail::fillRate, testgroups_detail::game1,   testgroups_detail::game2,
    testgroups_detail::shaders,  testgroups_detail::score,   testgroups_detail::bumpMapping,
    testgroups_detail::polygons,
};

// Kinds of the catalogue's items: a test, or a display setting shown beside
// the tests.
enum TestItemKind : int {
    tkTest = 0,
    tkResolution = 1,
    tkColorDepth = 2,
    tkRenderingPipeline = 3,
    tkRenderingPlatform = 4,
    tkRefreshRate = 5,
    tkFrameBuffer = 6,
    tkTextureFormat = 7,
    tkZBuffer = 8,
    tkResolutionColorDepth = 9,
    tkFsaa = 10,
    tkCpu = 11,
    tkCpuSpeed = 12,
};

// The value text of a test: the status codes -1 to -6 and 0 as words, any
// other value divided by the row's scale, formatted by its number format,
// a blank and the unit.
std::string formatTestValue(const TestTableRow &row, double value);

// Title of a test; the low byte of mode selects:
//   0 name, blank, subname
//   1 the short title (subname when the subname comes first, else the name)
//   2 the qualifier (the other one of the two), then the unit
//   3 nothing for a test with a result item, else as 0; then the unit
// other low bytes give an empty text. See appendTestUnit for bit 0x100.
std::string getTestTitle(const TestTableRow &row, int mode);

// Appends " (unit)" when the row has a unit; with bit 0x100 of mode the
// second unit, when there is one, follows the unit after a blank.
void appendTestUnit(const TestTableRow &row, std::string &text, int mode);

// Chart axis maximum for a largest value x: a round number about 30 % above.
double niceMaximum(double x);

// One row of the result grid: a display setting or a test.
struct TTestListItem {
    int index;  // -1 for a setting, else the 1-based number of the test's row
    int kind;   // TestItemKind
    TestTableRow row;  // for settings a copy of the first row, unused
};

// A project's result of one test. A negative value is a status code.
class TTestValue {
public:
    explicit TTestValue(const TestTableRow *row_ = nullptr) : row(row_) {}

    // Resets value and marks; the entry stays bound to its test.
    void clear();
    void setValue(double value_) { value = value_; }
    // The value for sorting, charts and statistics: status codes read as 0.
    double getValue() const { return value < 0 ? 0.0 : value; }
    // The value as stored, status codes included.
    double getRawValue() const { return value; }
    std::string getText() const;

    bool isPresent() const { return present; }
    void setPresent(bool present_) { present = present_; }
    const TestTableRow *getRow() const { return row; }
    bool isLowest() const { return lowest; }
    void setLowest(bool lowest_) { lowest = lowest_; }
    bool isHighest() const { return highest; }
    void setHighest(bool highest_) { highest = highest_; }

private:
    double value = 0.0;
    const TestTableRow *row;
    bool present = false;
    bool lowest = false;
    bool highest = false;
};

class TTestList {
public:
    // Ten setting items, then one item per row up to the first row whose id
    // is below 1 (or the end of the table).
    explicit TTestList(std::span<const TestTableRow> table_ = testTable);

    TTestList(const TTestList &) = delete;
    TTestList &operator=(const TTestList &) = delete;

    int getCount() const { return static_cast<int>(items.size()); }
    const TTestListItem *getItem(int position) const;
    const TestTableRow *getRow(int position) const;
    // Position of the test item of that id; 0 when there is none.
    int indexOfTest(int id) const;
    const TestTableRow *findTestRow(int id) const;
    // Among the first n test items, how many are shown.
    int countShownTests(int n) const;

    static bool isItemShown(const TTestListItem *item);
    // Setting caption, or the test's title by mode.
    static std::string getItemCaption(const TTestListItem *item, int mode = 0);
    // The project's text for the item. ProjectT needs getTestValue(int id)
    // giving a TTestValue pointer (null when none) and the display text
    // getters named in the switch; each may return anything a std::string is
    // built from.
    template <class ProjectT>
    static std::string getItemValueText(const TTestListItem *item, ProjectT *project);

    // One entry of reset values per test item, in catalogue order: what a
    // project's test values read until one of them is set.
    const TTestValue *blankValues() const { return blanks.data(); }
    std::size_t testCount() const { return blanks.size(); }

private:
    std::vector<TTestListItem> items;
    std::vector<TTestValue> blanks;
};

// The test values of one project, one per test item in catalogue order.
//
// A project without results reads the catalogue's blank entries and keeps
// none of its own; the first non-const access gives the list entries of its
// own (a copy of what it read), which every access returns from then on. So
// a pointer from a const access is only the list's entry once a non-const
// access has been made.
class TTestValueList {
public:
    explicit TTestValueList(const TTestList &tests_) : tests(&tests_) {}

    TTestValueList(const TTestValueList &) = delete;
    TTestValueList &operator=(const TTestValueList &) = delete;
    // Taking another's values leaves that one with blank entries.
    TTestValueList(TTestValueList &&) noexcept = default;
    TTestValueList &operator=(TTestValueList &&) noexcept = default;

    int getCount() const { return static_cast<int>(tests->testCount()); }
    TTestValue *getEntry(int position);
    const TTestValue *getEntry(int position) const;
    TTestValue *findByRow(const TestTableRow *row);
    const TTestValue *findByRow(const TestTableRow *row) const;
    TTestValue *findByTestId(int id);
    const TTestValue *findByTestId(int id) const;
    // Both lists hold the same tests in the same order: a search finds its
    // entry at the same position in either.
    bool sameTests(const TTestValueList &other) const;
    // Sets presence and value of an entry, its marks untouched; a list of
    // blank entries stays without entries of its own when the entry stays
    // blank.
    void setResult(int position, bool present, double value);
    // Clears both marks of an entry, the same way.
    void clearMarks(int position);
    // Every entry blank again, and none of its own.
    void clear() { own.reset(); }

private:
    const TTestValue *entries() const { return own ? own.get() : tests->blankValues(); }
    TTestValue *ownEntries();

    const TTestList *tests;
    std::unique_ptr<TTestValue[]> own;
};

// Value range of one catalogue item across a database's projects.
class TDatabaseTestObject {
public:
    explicit TDatabaseTestObject(const TestTableRow *row_) : row(row_) {}

    // Observed maximum 0, fixed maximum 1.0.
    void clear();
    // The fixed maximum when above 1.0, else the nice maximum.
    double getMaximum() const;
    double getNiceMaximum() const { return niceMaximum(observedMaximum); }

    double getObservedMaximum() const { return observedMaximum; }
    void setObservedMaximum(double value) { observedMaximum = value; }
    double getFixedMaximum() const { return fixedMaximum; }
    void setFixedMaximum(double value) { fixedMaximum = value; }
    const TestTableRow *getRow() const { return row; }

private:
    double observedMaximum = 0.0;
    const TestTableRow *row;
    double fixedMaximum = 1.0;
};

// The ranges of one database: one entry per catalogue item, settings
// included, so positions match those of the TTestList.
class TDatabaseTestList {
public:
    explicit TDatabaseTestList(const TTestList &tests_);

    TDatabaseTestList(const TDatabaseTestList &) = delete;
    TDatabaseTestList &operator=(const TDatabaseTestList &) = delete;

    const TTestList &getTestList() const { return tests; }
    int getCount() const { return static_cast<int>(entries.size()); }
    TDatabaseTestObject *getEntry(int position);
    const TDatabaseTestObject *getEntry(int position) const;
    TDatabaseTestObject *findByTestId(int id);
    const TDatabaseTestObject *findByTestId(int id) const;
    int indexOfTest(int id) const { return tests.indexOfTest(id); }

    // Clears every entry.
    void clearRanges();
    // Gives every test of a testGroups list the same fixed maximum: the
    // largest nice maximum in the list, at least 1.0.
    void alignGroups();

private:
    const TTestList &tests;
    std::vector<TDatabaseTestObject> entries;
};

template <class ProjectT>
std::string TTestList::getItemValueText(const TTestListItem *item, ProjectT *project)
{
    if (item == nullptr || project == nullptr)
        return {};
    switch (item->kind) {
    case tkTest: {
        const auto *entry = project->getTestValue(item->row.id);
        return entry != nullptr ? entry->getText() : std::string();
    }
    case tkResolution:
        return std::string(project->getResolutionText());
    case tkColorDepth:
        return std::string(project->getColorDepthText(false));
    case tkRenderingPipeline:
        return std::string(project->getRenderingPipeline());
    case tkRenderingPlatform:
        return std::string(project->getRenderingPlatform());
    case tkRefreshRate:
        return std::string(project->getRefreshRateText());
    case tkFrameBuffer:
        return std::string(project->getFrameBufferText(false));
    case tkTextureFormat:
        return std::string(project->getTextureFormatText());
    case tkZBuffer:
        return std::string(project->getZBufferText());
    case tkResolutionColorDepth:
        return std::string(project->getDisplayModeText());
    case tkFsaa:
        return std::string(project->getFsaaText());
    case tkCpu:
        return std::string(project->getCpuName());
    case tkCpuSpeed:
        return std::string(project->getCpuSpeedText());
    default:
        return {};
    }
}
