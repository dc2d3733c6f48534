#ifndef RESULTS_UBASICDATABASE_H
#define RESULTS_UBASICDATABASE_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "AppServices.h"
#include "outcome.h"

class CBasicProject;
class TTestList;
class TDatabaseTestList;

// The names of a database being filled in bulk, compared ignoring case. For
// each base name it remembers a run of numbers already found taken, so the
// k-th project of one name costs a few look-ups, not k.
//
// It lives only while a file loads, but it is there at the load's peak: the
// names lie back to back in one buffer and both sets are open-addressing
// tables of small numbers and pointers, not a node per name.
class CBulkNameIndex {
public:
    // Room for that many more names and members without growing.
    void reserve(std::size_t count_);
    void add(const std::string &name_);
    bool contains(const std::string &name_) const;
    // The first n above number_ for which base_ + "(" + n + ")" is not taken.
    std::uint64_t firstFreeNumber(const std::string &base_, std::uint64_t number_) const;
    // Every project the database held while the index lived, and perhaps
    // some it no longer holds: one that was never added need not be looked
    // for in the database's list.
    void addMember(const CBasicProject *project_);
    bool mayHold(const CBasicProject *project_) const;

private:
    // The upper-cased names back to back; name k ends at ends[k].
    std::string text;
    std::vector<std::size_t> ends;
    // Name number + 1 by hash, 0 where free; a power of two in size.
    std::vector<std::uint32_t> nameSlots;
    std::vector<const CBasicProject *> memberSlots;
    std::size_t memberCount = 0;
    // base(from + 1) up to base(to) are all taken; names are only ever added
    // while the index lives, so what was taken stays taken.
    struct Run {
        std::uint64_t from = 0;
        std::uint64_t to = 0;
    };
    mutable std::unordered_map<std::string, Run> runs;

    std::string_view nameAt(std::size_t k_) const;
    // The slot of the upper-cased key: the one that holds it, or the free
    // one where it would go.
    std::size_t slotOf(std::string_view key_) const;
    void growNames(std::size_t count_);
    void growMembers(std::size_t count_);
};

// What a save dialog is given: its filter ("text|pattern|text|pattern"),
// default extension and proposed file name.
struct CSaveDialogSetup {
    std::string filter;
    std::string defaultExt;
    std::string fileName;
};

// An ordered collection of projects of one kind, with a name unique among the
// open databases, a node in the result tree and at most one window.
class CBasicDatabase {
public:
    CBasicDatabase();
    CBasicDatabase(const CBasicDatabase &) = delete;
    CBasicDatabase &operator=(const CBasicDatabase &) = delete;

    virtual ~CBasicDatabase();
    virtual void changed();
    virtual void print(bool preview_);
    // Deletes all projects: an empty database named "Database1".
    virtual void reset();
    virtual bool loadFromFile(const std::string &fileName_) = 0;
    virtual bool saveToFile(const std::string &fileName_) = 0;
    // The save with its outcome, for the window layer to show.
    virtual COutcome save(const std::string &fileName_) = 0;
    virtual void createWindow() = 0;
    virtual void setupSaveDialog(CSaveDialogSetup &dialog_) = 0;
    virtual double getTestMaximum(int testId_) = 0;

    // 0 added, 1 already in the list, 2 of another kind.
    int canAddProject(const CBasicProject *project_) const;
    int addProject(CBasicProject *project_);
    void removeProject(CBasicProject *project_);
    CBasicProject *getProject(int index_) const;
    int getProjectCount() const { return static_cast<int>(projects.size()); }
    int getVisibleProjectCount() const;
    int containsProject(const CBasicProject *project_) const;
    CBasicProject *getCurrentProject();
    CBasicProject *findProjectById(int position_);
    void numberVisibleProjects();
    void normaliseOrder();
    void reverseOrder();
    // After a window gave the projects new positions (a column or a list
    // moved or sorted): the list, which the file keeps, takes their order,
    // and the views and the tree follow. False when the order stayed.
    bool takeOrderOfPositions();

    std::string getName() const;
    const std::string &getRawName() const { return name; }
    bool isUnnamed() const { return name.empty(); }
    void rename(const std::string &name_, const void *sender_);
    void updateViews(const void *sender_);
    bool isUntitled() const { return fileName.empty(); }
    std::string getVersionText() const;
    bool isModified();
    void setModified(bool modified_);
    void updateCounts();
    void makeNameUnique();
    const std::string &getTypeName() const { return typeName; }
    const std::string &getFileName() const { return fileName; }
    void setFileName(const std::string &fileName_) { fileName = fileName_; }
    int getKind() const { return kind; }
    unsigned getVersion() const { return version; }
    int getCountedCount() const { return countedCount; }
    int getHiddenCount() const { return hiddenCount; }

    TFDatabase *getWindow() const { return window; }
    void setWindow(TFDatabase *window_) { window = window_; }
    void showWindow();
    void showProject(CBasicProject *project_);
    CBasicProject *getShownProject() const { return shownProject; }
    void setShownProject(CBasicProject *project_) { shownProject = project_; }
    TTreeNode *getTreeNode() const { return treeNode; }
    void setTreeNode(TTreeNode *node_) { treeNode = node_; }
    void updateTree();
    void updateStatistics();
    TDatabaseTestList *getTestRanges() const { return testRanges.get(); }

    // Adding many projects at once (a database file): names are made unique
    // through an index instead of a scan per project, and the statistics,
    // views and tree are brought up to date once at the end.
    void beginBulkAdd(std::size_t expected_ = 0);
    void endBulkAdd();
    // While a bulk add attaches project_: the names of the projects already
    // in. Null otherwise.
    const CBulkNameIndex *bulkNameIndex(const CBasicProject *project_) const
    {
        return project_ == bulkAdding ? nameIndex.get() : nullptr;
    }

    // What a sort did: exchanged projects, or found them descending and
    // turns them round.
    struct SortResult {
        bool moved = false;
        bool reverse = false;
    };
    // Sorts; each one run twice gives ascending order.
    void sortByTestResult(int testId_);
    void sortByRenderingPlatform();
    void sortByTextureFormat();
    void sortByCpu();
    void sortByCpuSpeed();
    void sortByZBuffer();
    void sortByFrameBuffer();
    void sortByRefreshRate();
    void sortByResolution();
    void sortByColorDepth();
    void sortByRenderingPipeline();

    // The last open database other than except_ named text_ (ignoring case).
    static CBasicDatabase *findOpenDatabase(const std::string &text_, const CBasicDatabase *except_);
    static const std::vector<CBasicDatabase *> &openDatabases();
    // Program shut-down: deletes every open database, last first.
    static void deleteAll();

protected:
    void init();
    void clear();
    void finishSort(SortResult result_);

    int kind = 1;
    unsigned version = 0;
    std::vector<CBasicProject *> projects;
    bool updatesLocked = false;
    int countedCount = 0;
    int visibleCount = 0;
    int hiddenCount = 0;
    TTestList *catalogue = nullptr;
    std::unique_ptr<TDatabaseTestList> testRanges;
    CBasicProject *shownProject = nullptr;
    TTreeNode *treeNode = nullptr;
    int currentIndex = -1;
    std::string typeName;
    std::string fileName;
    std::string name;
    bool initialised = false;
    bool modified = false;
    TFDatabase *window = nullptr;
    std::unique_ptr<CBulkNameIndex> nameIndex;
    const CBasicProject *bulkAdding = nullptr;
};

// Opens a ".PRB" file as a database and shows it; null otherwise.
CBasicDatabase *openDatabaseFile(const std::string &path_);

// The database's tab-separated table; false when a project's export failed.
bool exportDatabaseText(CBasicDatabase &database_, std::vector<std::string> &lines_);

int renderingPipelineRank(const std::string &text_);

#endif
