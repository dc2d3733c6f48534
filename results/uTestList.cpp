#include "uTestList.h"

#include "FormatFloat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr std::array<TestTableRow, testTableRows + 1> buildTestTable()
{
    std::array<TestTableRow, testTableRows + 1> rows{};
    std::size_t i = 0;
    for (const BenchmarkTest &test : benchmarkTests) {
        if (!test.inCatalogue())
            continue;
        const CatalogueColumns &c = test.catalogue;
        rows[i++] = TestTableRow{.id = c.id,
                                 .resultItem = static_cast<int>(test.items.result),
                                 .shown = 1,
                                 .name = c.name,
                                 .extra = "",
                                 .subname = c.subname,
                                 .rangeLow = c.rangeLow,
                                 .rangeHigh = c.rangeHigh,
                                 .unit = unitNames(test.unit).catalogue,
                                 .secondUnit = "",
                                 .subnameFirst = c.subnameFirst,
                                 .scale = 1.0f,
                                 .numberFormat = c.numberFormat,
                                 .mark = c.mark,
                                 .group = c.group};
    }
    rows[i] = TestTableRow{-1, 0, 0, "", "", "", 0, 0, "", "", 0, 1.0f, "", 0, 0};
    return rows;
}

// Settings shown in front of the tests, in grid order.
constexpr int settingKinds[] = {
    tkRenderingPlatform, tkResolution,        tkColorDepth, tkTextureFormat, tkZBuffer,
    tkFrameBuffer,       tkRenderingPipeline, tkFsaa,       tkCpu,           tkCpuSpeed,
};

} // namespace

constinit const std::array<TestTableRow, testTableRows + 1> testTable = buildTestTable();

std::string formatTestValue(const TestTableRow &row, double value)
{
    if (value == -1)
        return "N/A";
    if (value == -2)
        return "Not supported";
    if (value == -3)
        return "Not enough system memory";
    if (value == -4)
        return "512x512 textures not supported";
    if (value == -5)
        return "Not enough AGP memory";
    if (value == -6)
        return "Display settings not 16 bit";
    if (value == 0)
        return "N/A";
    std::string text = formatFloat(std::string(row.numberFormat), value / static_cast<double>(row.scale));
    text += ' ';
    text += row.unit;
    return text;
}

void appendTestUnit(const TestTableRow &row, std::string &text, int mode)
{
    if (row.unit.empty())
        return;
    text += " (";
    text += row.unit;
    if ((mode & 0x100) != 0 && !row.secondUnit.empty()) {
        text += ' ';
        text += row.secondUnit;
    }
    text += ')';
}

std::string getTestTitle(const TestTableRow &row, int mode)
{
    std::string text;
    const auto fullTitle = [&] {
        text = row.name;
        text += ' ';
        text += row.subname;
    };
    switch (mode & 0xFF) {
    case 0:
        fullTitle();
        break;
    case 1:
        text = row.subnameFirst != 0 ? row.subname : row.name;
        break;
    case 2:
        text = row.subnameFirst != 0 ? row.name : row.subname;
        appendTestUnit(row, text, mode);
        break;
    case 3:
        if (row.resultItem == 0)
            fullTitle();
        appendTestUnit(row, text, mode);
        break;
    default:
        break;
    }
    return text;
}

double niceMaximum(double x)
{
    // NaN falls through both tests and never gets below 20 either.
    if (!(x > 0) || std::isinf(x))
        return 1.0;
    if (x <= 10)
        return 15.0;
    int n = 0;
    double scaled = x;
    do {
        scaled *= 0.1;
        ++n;
    } while (scaled >= 20);
    const double step = std::pow(10.0, n);
    const double result = std::ceil(x * 1.3 / step) * step;
    // Values near the top of the double range overflow on the way up.
    return std::isfinite(result) ? result : std::numeric_limits<double>::max();
}

TTestList::TTestList(std::span<const TestTableRow> table_)
{
    const TestTableRow unused = table_.empty() ? testTable.back() : table_.front();
    for (int kind : settingKinds)
        items.push_back(TTestListItem{-1, kind, unused});
    int number = 0;
    for (const TestTableRow &row : table_) {
        if (row.id < 1)
            break;
        items.push_back(TTestListItem{++number, tkTest, row});
    }
    // The items are complete: the blanks point at their rows for good.
    for (const TTestListItem &item : items)
        if (item.kind == tkTest)
            blanks.emplace_back(&item.row);
}

const TTestListItem *TTestList::getItem(int position) const
{
    if (position < 1 || position > getCount())
        return nullptr;
    return &items[static_cast<std::size_t>(position - 1)];
}

const TestTableRow *TTestList::getRow(int position) const
{
    const TTestListItem *item = getItem(position);
    return item != nullptr ? &item->row : nullptr;
}

int TTestList::indexOfTest(int id) const
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].kind == tkTest && items[i].row.id == id)
            return static_cast<int>(i) + 1;
    return 0;
}

const TestTableRow *TTestList::findTestRow(int id) const
{
    return getRow(indexOfTest(id));
}

int TTestList::countShownTests(int n) const
{
    int seen = 0;
    int shown = 0;
    for (const TTestListItem &item : items) {
        if (item.kind != tkTest)
            continue;
        if (seen++ >= n)
            break;
        if (item.row.shown != 0)
            ++shown;
    }
    return shown;
}

bool TTestList::isItemShown(const TTestListItem *item)
{
    if (item == nullptr)
        return false;
    return item->kind != tkTest || item->row.shown != 0;
}

std::string TTestList::getItemCaption(const TTestListItem *item, int mode)
{
    if (item == nullptr)
        return {};
    switch (item->kind) {
    case tkTest:
        return getTestTitle(item->row, mode);
    case tkResolution:
        return "Resolution";
    case tkColorDepth:
        return "Color Depth";
    case tkRenderingPipeline:
        return "Rendering Pipeline";
    case tkRenderingPlatform:
        return "Rendering Platform";
    case tkRefreshRate:
        return "Refresh Rate";
    case tkFrameBuffer:
        return "Frame Buffer";
    case tkTextureFormat:
        return "Texture Format";
    case tkZBuffer:
        return "Z-Buffer Depth";
    case tkResolutionColorDepth:
        return "Resolution & Color Depth";
    case tkFsaa:
        return "FSAA";
    case tkCpu:
        return "CPU";
    case tkCpuSpeed:
        return "CPU Speed";
    default:
        return {};
    }
}

void TTestValue::clear()
{
    value = 0.0;
    present = false;
    lowest = false;
    highest = false;
}

std::string TTestValue::getText() const
{
    return row != nullptr ? formatTestValue(*row, value) : std::string();
}

TTestValue *TTestValueList::ownEntries()
{
    const std::size_t count = tests->testCount();
    if (!own && count != 0) {
        // Sized once, without spare room.
        own = std::make_unique<TTestValue[]>(count);
        std::copy(tests->blankValues(), tests->blankValues() + count, own.get());
    }
    return own.get();
}

const TTestValue *TTestValueList::getEntry(int position) const
{
    if (position < 1 || position > getCount())
        return nullptr;
    return &entries()[position - 1];
}

TTestValue *TTestValueList::getEntry(int position)
{
    if (position < 1 || position > getCount())
        return nullptr;
    return &ownEntries()[position - 1];
}

const TTestValue *TTestValueList::findByRow(const TestTableRow *row) const
{
    if (row == nullptr)
        return nullptr;
    const TTestValue *all = entries();
    for (std::size_t i = 0, count = tests->testCount(); i < count; ++i)
        if (all[i].getRow() == row)
            return &all[i];
    return nullptr;
}

TTestValue *TTestValueList::findByRow(const TestTableRow *row)
{
    const TTestValue *found = std::as_const(*this).findByRow(row);
    if (!found)
        return nullptr;
    const std::ptrdiff_t at = found - entries();
    return &ownEntries()[at];
}

const TTestValue *TTestValueList::findByTestId(int id) const
{
    const TTestValue *all = entries();
    for (std::size_t i = 0, count = tests->testCount(); i < count; ++i)
        if (all[i].getRow() != nullptr && all[i].getRow()->id == id)
            return &all[i];
    return nullptr;
}

TTestValue *TTestValueList::findByTestId(int id)
{
    const TTestValue *found = std::as_const(*this).findByTestId(id);
    if (!found)
        return nullptr;
    const std::ptrdiff_t at = found - entries();
    return &ownEntries()[at];
}

bool TTestValueList::sameTests(const TTestValueList &other) const
{
    const std::size_t count = tests->testCount();
    if (count != other.tests->testCount())
        return false;
    const TTestValue *mine = entries();
    const TTestValue *theirs = other.entries();
    for (std::size_t i = 0; i < count; ++i)
        if (mine[i].getRow() != theirs[i].getRow())
            return false;
    return true;
}

void TTestValueList::setResult(int position, bool present, double value)
{
    const TTestValue *entry = std::as_const(*this).getEntry(position);
    // The same bits, so even a NaN or a negative zero is kept as given.
    if (!entry || (entry->isPresent() == present &&
                   std::bit_cast<std::uint64_t>(entry->getRawValue()) == std::bit_cast<std::uint64_t>(value)))
        return;
    TTestValue *mine = getEntry(position);
    mine->setPresent(present);
    mine->setValue(value);
}

void TTestValueList::clearMarks(int position)
{
    const TTestValue *entry = std::as_const(*this).getEntry(position);
    if (!entry || (!entry->isLowest() && !entry->isHighest()))
        return;
    TTestValue *mine = getEntry(position);
    mine->setLowest(false);
    mine->setHighest(false);
}

void TDatabaseTestObject::clear()
{
    observedMaximum = 0.0;
    fixedMaximum = 1.0;
}

double TDatabaseTestObject::getMaximum() const
{
    return fixedMaximum > 1.0 ? fixedMaximum : getNiceMaximum();
}

TDatabaseTestList::TDatabaseTestList(const TTestList &tests_) : tests(tests_)
{
    for (int position = 1; position <= tests.getCount(); ++position)
        entries.emplace_back(tests.getRow(position));
}

const TDatabaseTestObject *TDatabaseTestList::getEntry(int position) const
{
    if (position < 1 || position > getCount())
        return nullptr;
    return &entries[static_cast<std::size_t>(position - 1)];
}

TDatabaseTestObject *TDatabaseTestList::getEntry(int position)
{
    return const_cast<TDatabaseTestObject *>(std::as_const(*this).getEntry(position));
}

const TDatabaseTestObject *TDatabaseTestList::findByTestId(int id) const
{
    return getEntry(indexOfTest(id));
}

TDatabaseTestObject *TDatabaseTestList::findByTestId(int id)
{
    return getEntry(indexOfTest(id));
}

void TDatabaseTestList::clearRanges()
{
    for (TDatabaseTestObject &entry : entries)
        entry.clear();
}

void TDatabaseTestList::alignGroups()
{
    for (std::span<const int> group : testGroups) {
        double shared = 1.0;
        for (int id : group)
            if (const TDatabaseTestObject *entry = findByTestId(id))
                shared = std::max(shared, entry->getNiceMaximum());
        for (int id : group)
            if (TDatabaseTestObject *entry = findByTestId(id))
                entry->setFixedMaximum(shared);
    }
}
