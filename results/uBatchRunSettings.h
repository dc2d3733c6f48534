#pragma once

// Per-test record of a run (items 150-247) and the batch-run settings
// (items 40-120).

#include <array>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "sparsetext.h"

class ProjectFile;

class TestRepository {
public:
    struct Result {
        float value = -1.0f;
        // Image-quality tests 18-21 only: the picture file names.
        SparseText smallPicture;
        SparseText fullPicture;
    };

    struct Test {
        // In the project: the test's own flag; in a batch: chosen for the run.
        bool flag = true;
        int number = 0;
        SparseText name;
        Result result;
    };

    TestRepository() = default;
    TestRepository(const TestRepository& other);
    TestRepository& operator=(const TestRepository& other);
    TestRepository(TestRepository&& other) noexcept;
    TestRepository& operator=(TestRepository&& other) noexcept;
    virtual ~TestRepository() = default;

    std::size_t size() const { return count; }
    // 0-based; an Exception when index >= size().
    Test& at(std::size_t index);
    const Test& at(std::size_t index) const;

    // The record of the test number, appended (flag true, result -1) when
    // there is none yet. Records are never moved, so the reference stays
    // valid while the repository lives, whatever is appended later.
    Test& find(int number);
    // The record when there is one; never appends.
    const Test* lookup(int number) const;

    // Saving and loading give every test 1-21 its record.
    void save(ProjectFile& store);
    // Never fails: absent items give false, -1 and empty names.
    bool load(const ProjectFile& store);
    void saveResult(ProjectFile& store, unsigned item, int number);

private:
    // Records live in blocks of one catalogue's worth: a loaded repository
    // takes one allocation, and a block never moves once made.
    static constexpr std::size_t BlockSize = 21;

    Test& slot(std::size_t index) const;
    Test* search(int number) const;
    Test& append();

    std::unique_ptr<Test[]> first;
    std::vector<std::unique_ptr<Test[]>> more;
    std::size_t count = 0;
};

// What the batch texts, flags, codes and lists stand for is the benchmark's
// business: they are only carried from the store into the model and back,
// hence the neutral names after their item ids.
class BatchRunSettings {
public:
    BatchRunSettings();
    virtual ~BatchRunSettings() = default;

    // Texts empty, flags and codes to their resting values, every list entry false.
    void clear();
    // Every list entry false, then the default entries true.
    void setDefaults();

    void save(ProjectFile& store);
    // False at item 43 or 44 when it is absent or not 0 or 1; what was read
    // before stays, the rest keeps its previous value.
    bool load(const ProjectFile& store);

    // The tests chosen for the batch are the flags of this repository.
    TestRepository& getTests() { return tests; }
    const TestRepository& getTests() const { return tests; }

    std::array<bool, 6>& listA() { return a; }
    std::array<bool, 3>& listB() { return b; }
    std::array<bool, 6>& listC() { return c; }
    std::array<bool, 2>& listD() { return d; }
    std::array<bool, 2>& listE() { return e; }
    std::array<bool, 3>& listF() { return f; }
    const std::array<bool, 6>& listA() const { return a; }
    const std::array<bool, 3>& listB() const { return b; }
    const std::array<bool, 6>& listC() const { return c; }
    const std::array<bool, 2>& listD() const { return d; }
    const std::array<bool, 2>& listE() const { return e; }
    const std::array<bool, 3>& listF() const { return f; }

    std::string getText40() const { return text40; }
    bool getFlag41() const { return flag41; }
    std::string getText42() const { return text42; }
    int getCode43() const { return code43; }
    int getCode44() const { return code44; }
    bool getFlag45() const { return flag45; }
    std::string getText46() const { return text46; }
    bool getFlag47() const { return flag47; }

    void setText40(const std::string& text) { text40 = text; }
    void setFlag41(bool value) { flag41 = value; }
    void setText42(const std::string& text) { text42 = text; }
    // 0 or 1; any other code is not saved.
    void setCode43(int code) { code43 = code; }
    void setCode44(int code) { code44 = code; }
    void setFlag45(bool value) { flag45 = value; }
    void setText46(const std::string& text) { text46 = text; }
    void setFlag47(bool value) { flag47 = value; }

private:
    TestRepository tests;
    // Fixed sizes: a list can never be shorter than the items it maps to.
    std::array<bool, 6> a{};
    std::array<bool, 3> b{};  // on file as the bit mask of item 86
    std::array<bool, 6> c{};
    std::array<bool, 2> d{};
    std::array<bool, 2> e{};
    std::array<bool, 3> f{};
    std::string text40;
    bool flag41 = false;
    std::string text42;
    int code43 = 0;
    int code44 = 1;
    bool flag45 = false;
    std::string text46;
    bool flag47 = true;
};
