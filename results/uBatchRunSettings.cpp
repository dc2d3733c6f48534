#include "uBatchRunSettings.h"

#include "Exception.h"
#include "uDataVector.h"
#include "uItemMap.h"

#include <algorithm>
#include <ostream>
#include <utility>

// ---- TestRepository ------------------------------------------------------

TestRepository::TestRepository(const TestRepository& other)
{
    for (std::size_t i = 0; i < other.count; ++i)
        append() = other.slot(i);
}

TestRepository& TestRepository::operator=(const TestRepository& other)
{
    if (this != &other) {
        TestRepository copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TestRepository::TestRepository(TestRepository&& other) noexcept
    : first(std::move(other.first)), more(std::move(other.more)), count(std::exchange(other.count, 0))
{
}

TestRepository& TestRepository::operator=(TestRepository&& other) noexcept
{
    if (this != &other) {
        first = std::move(other.first);
        more = std::move(other.more);
        count = std::exchange(other.count, 0);
    }
    return *this;
}

TestRepository::Test& TestRepository::slot(std::size_t index) const
{
    const std::size_t block = index / BlockSize;
    return (block == 0 ? first : more[block - 1])[index % BlockSize];
}

TestRepository::Test& TestRepository::append()
{
    const std::size_t block = count / BlockSize;
    if (count % BlockSize == 0) {
        auto fresh = std::make_unique<Test[]>(BlockSize);
        if (block == 0)
            first = std::move(fresh);
        else
            more.push_back(std::move(fresh));
    }
    return slot(count++);
}

TestRepository::Test& TestRepository::at(std::size_t index)
{
    if (index >= count)
        throw Exception("Test index out of range.");
    return slot(index);
}

const TestRepository::Test& TestRepository::at(std::size_t index) const
{
    if (index >= count)
        throw Exception("Test index out of range.");
    return slot(index);
}

TestRepository::Test* TestRepository::search(int number) const
{
    // Block by block: every load asks for each test several times.
    for (std::size_t block = 0, start = 0; start < count; ++block, start += BlockSize) {
        Test* records = block == 0 ? first.get() : more[block - 1].get();
        const std::size_t n = std::min(BlockSize, count - start);
        for (std::size_t i = 0; i < n; ++i)
            if (records[i].number == number)
                return &records[i];
    }
    return nullptr;
}

TestRepository::Test& TestRepository::find(int number)
{
    if (Test* found = search(number))
        return *found;
    Test& record = append();
    record.number = number;
    return record;
}

const TestRepository::Test* TestRepository::lookup(int number) const
{
    return search(number);
}

void TestRepository::saveResult(ProjectFile& store, unsigned item, int number)
{
    store.setFloat(item, find(number).result.value);
}

// The table runs in test-number order, which is also the order of the
// calls: test 16 between 15 and 17 although its items come last.
void TestRepository::save(ProjectFile& store)
{
    for (const TestItems& t : TestItemMap)
        store.setBool(t.flagItem, find(t.number).flag);
    for (const TestItems& t : TestItemMap)
        saveResult(store, t.resultItem, t.number);
    for (int n = 0; n < 4; ++n)
        store.setString(ItemId::SmallPicture + n, find(FirstPictureTest + n).result.smallPicture);
    for (int n = 0; n < 4; ++n)
        store.setString(ItemId::FullPicture + n, find(FirstPictureTest + n).result.fullPicture);
}

bool TestRepository::load(const ProjectFile& store)
{
    for (const TestItems& t : TestItemMap)
        find(t.number).flag = store.getBool(t.flagItem);
    // Any float is kept as it is, NaN included: the value is only carried.
    for (const TestItems& t : TestItemMap)
        find(t.number).result.value = store.getFloat(t.resultItem);
    for (int n = 0; n < 4; ++n)
        find(FirstPictureTest + n).result.smallPicture = store.getString(ItemId::SmallPicture + n);
    for (int n = 0; n < 4; ++n)
        find(FirstPictureTest + n).result.fullPicture = store.getString(ItemId::FullPicture + n);
    return true;
}

// ---- BatchRunSettings ----------------------------------------------------

namespace {

// List B on file: entry 0 is bit value 2, entry 1 is 4, entry 2 is 16.
constexpr int kListBBits[3] = {2, 4, 16};

template <std::size_t N>
void saveList(ProjectFile& store, unsigned firstItem, const std::array<bool, N>& list)
{
    for (std::size_t i = 0; i < N; ++i)
        store.setBool(firstItem + static_cast<unsigned>(i), list[i]);
}

template <std::size_t N>
void loadList(const ProjectFile& store, unsigned firstItem, std::array<bool, N>& list)
{
    for (std::size_t i = 0; i < N; ++i)
        list[i] = store.getBool(firstItem + static_cast<unsigned>(i));
}

bool isBatchCode(int v) { return v == 0 || v == 1; }

} // namespace

BatchRunSettings::BatchRunSettings()
{
    clear();
    setDefaults();
}

void BatchRunSettings::clear()
{
    a.fill(false);
    b.fill(false);
    c.fill(false);
    d.fill(false);
    e.fill(false);
    f.fill(false);
    text40.clear();
    text42.clear();
    text46.clear();
    flag41 = false;
    code43 = 0;
    code44 = 1;
    flag45 = false;
    flag47 = true;
}

void BatchRunSettings::setDefaults()
{
    a = {false, true, true, false, true, false};
    b = {true, false, false};
    c = {false, false, false, false, true, true};
    d = {false, true};
    e = {true, false};
    f = {false, true, false};
}

void BatchRunSettings::save(ProjectFile& store)
{
    using namespace ItemId;
    store.setString(BatchText40, text40);
    store.setBool(BatchFlag41, flag41);
    store.setString(BatchText42, text42);
    if (isBatchCode(code43))
        store.setInt(BatchCode43, code43);
    if (isBatchCode(code44))
        store.setInt(BatchCode44, code44);
    store.setBool(BatchFlag45, flag45);
    store.setString(BatchText46, text46);
    store.setBool(BatchFlag47, flag47);

    saveList(store, BatchListA, a);
    saveList(store, BatchListC, c);
    saveList(store, BatchListD, d);
    saveList(store, BatchListE, e);
    for (unsigned i = 0; i < 3; ++i)
        store.setBool(BatchAlwaysFalse + i, false);
    saveList(store, BatchListF, f);

    int mask = 0;
    for (std::size_t i = 0; i < b.size(); ++i)
        if (b[i])
            mask += kListBBits[i];
    store.setInt(BatchListBMask, mask);

    for (const TestItems& t : TestItemMap)
        store.setBool(t.batchItem, tests.find(t.number).flag);
}

bool BatchRunSettings::load(const ProjectFile& store)
{
    using namespace ItemId;
    text40 = store.getString(BatchText40);
    flag41 = store.getBool(BatchFlag41);
    text42 = store.getString(BatchText42);

    int v = store.getInt(BatchCode43);
    if (!isBatchCode(v))
        return false;
    code43 = v;
    v = store.getInt(BatchCode44);
    if (!isBatchCode(v))
        return false;
    code44 = v;

    flag45 = store.getBool(BatchFlag45);
    text46 = store.getString(BatchText46);
    flag47 = store.getBool(BatchFlag47);

    loadList(store, BatchListA, a);
    loadList(store, BatchListC, c);
    loadList(store, BatchListD, d);
    loadList(store, BatchListE, e);
    loadList(store, BatchListF, f);

    // An absent item reads as -1, all bits set: every entry true.
    const int mask = store.getInt(BatchListBMask);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = (mask & kListBBits[i]) != 0;

    for (const TestItems& t : TestItemMap)
        tests.find(t.number).flag = store.getBool(t.batchItem);
    return true;
}
