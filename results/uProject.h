#pragma once

// Typed model of one benchmark result, read from and written to any
// ProjectFile by item id.

#include "uBatchRunSettings.h"
#include "uDisplaySettings.h"
#include "uItemMap.h"

#include <string>
#include <vector>

class ProjectFile;

class Project {
public:
    Project() = default;
    virtual ~Project() = default;

    // Calls on the store in a fixed order (the text export files its entries
    // in that order): name, description, score, version, block, flags 7 and 8
    // (9 and 10 from version 202), then display, batch, options and tests.
    void save(ProjectFile& store);
    // False when a coded value of a part is absent or out of range. What was
    // read up to that value keeps its new value; the later parts keep theirs.
    // The block is not copied: the model reads it where the store has it, so
    // the store's bytes must outlive the model (a project owns both).
    bool load(const ProjectFile& store);

    // Keeps its own copy of the bytes; null or size 0 leaves no block. The
    // data may point into the current block.
    void setSystemInfo(const unsigned char* data, unsigned size);
    void clearSystemInfo();

    std::string getName() const { return name; }
    std::string getDescription() const { return description; }
    int getScore() const { return score; }
    // -1 when the store had no version item.
    int getVersion() const { return version; }
    bool hasCurrentLayout() const { return version >= FirstCurrentLayoutVersion; }
    // Null when there is no block.
    const unsigned char* getSystemInfo() const { return ownBlock.empty() ? sharedBlock : ownBlock.data(); }
    unsigned getSystemInfoSize() const
    {
        return ownBlock.empty() ? sharedSize : static_cast<unsigned>(ownBlock.size());
    }
    bool getFlag7() const { return flag7; }
    bool getFlag8() const { return flag8; }
    bool getFlag9() const { return flag9; }
    bool getFlag10() const { return flag10; }

    DisplaySettings& getDisplay() { return display; }
    const DisplaySettings& getDisplay() const { return display; }
    BatchRunSettings& getBatch() { return batch; }
    const BatchRunSettings& getBatch() const { return batch; }
    Options& getOptions() { return options; }
    const Options& getOptions() const { return options; }
    TestRepository& getTests() { return tests; }
    const TestRepository& getTests() const { return tests; }

private:
    std::string name = "My Benchmark";
    std::string description;
    int score = 0;
    int version = 0;
    // Either bytes of the store it was loaded from or a copy of its own;
    // the shared pointer is null whenever the copy is in use.
    const unsigned char* sharedBlock = nullptr;
    unsigned sharedSize = 0;
    std::vector<unsigned char> ownBlock;
    bool flag7 = false;
    bool flag8 = false;
    bool flag9 = false;
    bool flag10 = false;
    DisplaySettings display;
    BatchRunSettings batch;
    Options options;
    TestRepository tests;
};
