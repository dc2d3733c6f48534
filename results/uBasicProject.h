#ifndef RESULTS_UBASICPROJECT_H
#define RESULTS_UBASICPROJECT_H

#include <memory>
#include <string>
#include <vector>

#include "AppServices.h"
#include "outcome.h"
#include "sparsetext.h"
#include "uTestList.h"

class CBasicDatabase;
class CSystemInfo;

// The program's one test catalogue.
TTestList &programCatalogue();

// A result project as every window sees it: name, flags, test values, system
// information, pictures, its place in a database and in the result tree.
class CBasicProject {
public:
    CBasicProject();
    CBasicProject(const CBasicProject &) = delete;
    CBasicProject &operator=(const CBasicProject &) = delete;

    // A new project copied from this one and added to the database.
    virtual CBasicProject *copyToDatabase(CBasicDatabase *database_) = 0;
    virtual ~CBasicProject();
    // Takes the other project's model and parts, then deletes the other.
    virtual void takeOver(CBasicProject *other_);
    virtual void notifyChanged();
    // The project's text export, one line an entry; false when it failed.
    virtual bool exportText(std::vector<std::string> &lines_) = 0;
    // False, after "Error writing to file <name>.", when nothing was written.
    // The load and save with their outcome, for the window layer to show:
    // Refused carries the message ("File %s couldn't be opened.", "File is
    // not a Polyra2001 project file", "Error writing to file %s."), or none
    // when the file exists but cannot be read. A CRC or item-store failure
    // still raises.
    virtual COutcome load(const std::string &fileName_) = 0;
    virtual COutcome save(const std::string &fileName_, bool append_, bool noRecent_) = 0;
    // The same, with the message shown through the installed messages.
    virtual bool saveToFile(const std::string &fileName_, bool append_, bool noRecent_) = 0;
    virtual bool loadFromFile(const std::string &fileName_) = 0;
    virtual void afterLoad();
    virtual void print(bool preview_) = 0;
    virtual void openWindow() = 0;
    virtual void showSystemInfo() = 0;
    virtual void showDetailsOnline();
    virtual CBasicDatabase *createDatabase() = 0;
    virtual TTestValue *getTestValue(int testId_) = 0;
    virtual std::string getTestName(const TTestValue *entry_, int mode_) = 0;
    virtual double getTestResult(const TTestValue *entry_) = 0;
    virtual std::string getRefreshRateText() = 0;
    virtual std::string getTextureFormatText() = 0;
    virtual std::string getRenderingPlatform() = 0;
    virtual std::string getResolutionText() = 0;
    virtual std::string getDisplayModeText() = 0;
    virtual std::string getRenderingPipeline() = 0;
    virtual std::string getColorDepthText(bool short_) = 0;
    virtual int getColorDepth() = 0;
    virtual std::string getZBufferText() = 0;
    virtual std::string getFsaaText() = 0;
    virtual std::string getFrameBufferText(bool short_) = 0;
    virtual int getWidth() = 0;
    virtual int getHeight() = 0;
    virtual int getFrameBuffer() = 0;
    virtual int getRefreshRate() = 0;
    virtual int getZBufferDepth() = 0;
    virtual void updateTreeState();

    // Naming.
    std::string getName() const;
    void setName(const std::string &name_);
    const std::string &getDescription() const { return description.str(); }
    void setDescription(const std::string &description_);
    bool isUnnamed() const { return name.empty(); }
    void rename(const std::string &name_, const void *sender_);
    void updateViews(const void *sender_);
    void refreshName();
    void updateTreeText();
    // Makes the name differ (ignoring case) from the other projects of the
    // database, or of no database, by a number in parentheses.
    void makeNameUnique();

    void setHidden(bool hidden_);
    bool isHidden() const { return hidden; }
    bool isCurrent() const { return current; }
    void setCurrent(bool current_) { current = current_; }
    bool isCounted() const { return counted; }
    bool isModified() const { return modified; }
    void setModified(bool modified_) { modified = modified_; }

    TFProject *getWindow() const { return window; }
    void setWindow(TFProject *window_);
    void showWindow();

    CBasicDatabase *getDatabase() const { return database; }
    // Sets the back-pointer only; the database keeps its own list.
    void setDatabase(CBasicDatabase *database_) { database = database_; }
    void attachToDatabase(CBasicDatabase *database_);
    TTreeNode *getTreeNode() const { return treeNode; }
    void setTreeNode(TTreeNode *node_) { treeNode = node_; }

    int getPosition() const { return position; }
    void setPosition(int position_) { position = position_; }
    int getChartRow() const { return chartRow; }
    void setChartRow(int row_) { chartRow = row_; }
    int getKind() const { return kind; }
    unsigned getVersion() const { return version; }
    std::string getVersionText() const;

    const std::string &getFileName() const { return fileName.str(); }
    void setFileName(const std::string &fileName_) { fileName = fileName_; }
    const std::string &getFolder() const { return folder.str(); }
    void setFolder(const std::string &folder_) { folder = folder_; }

    TTestValueList *getTestValues() const { return &testValues; }
    // A project whose image holds no block shares one system information
    // of reset values with every other such project; it reads the same as
    // one of its own would.
    CSystemInfo *getSystemInfo() const;
    CProjectImages *getImages() const { return images.get(); }
    void loadImages();

    std::string getCpuSpeedText() const;
    int getCpuSpeed() const;
    std::string getCpuName() const;

    // Every live project, in the order they were made.
    static const std::vector<CBasicProject *> &liveProjects();
    // Room for that many more, made in one go (the records of a file).
    static void reserveLiveProjects(std::size_t count_);

protected:
    void init();
    void release();
    void copyFrom(const CBasicProject &other_);
    // The folder of a path: up to and including its last separator.
    static std::string folderOf(const std::string &path_);

    // Ordered so the pointers, numbers and flags pack without gaps: a
    // database holds thousands of projects. The file name and the
    // description, mostly empty there, cost one pointer while they are; the
    // folder is one copy for all projects of a folder; a name of up to 15
    // characters is held in place.
    std::unique_ptr<CProjectImages> images;
    // Handed out for change, as the owned list always was; blank until a
    // result is set, and taken whole by a take-over.
    mutable TTestValueList testValues;
    TFProject *window = nullptr;
    TTreeNode *treeNode = nullptr;
    CBasicDatabase *database = nullptr;
    std::unique_ptr<CSystemInfo> systemInfo;
    SharedText folder;
    SparseText description;
    SparseText fileName;
    ShortText name;
    int position = 0;
    int chartRow = 0;
    unsigned version = 0;
    unsigned char kind = 1;
    bool current : 1 = false;
    bool hidden : 1 = false;
    bool counted : 1 = false;
    bool modified : 1 = false;
    bool initialised : 1 = false;
    // Without systemInfo: the shared one of an empty block, in the current
    // (Current) or the older layout (Legacy), or none.
    enum class BlankInfo : unsigned char { None, Current, Legacy };
    BlankInfo blankInfo = BlankInfo::None;
};

// Creates the project that belongs to the path's extension and loads it;
// null when the type is unknown or the load failed.
CBasicProject *loadProjectFile(const std::string &path_);
// The factory with its outcome: null with the message to show (the unknown
// type, or the load's own) when no project was made.
CBasicProject *openProjectFile(const std::string &path_, COutcome &outcome_);

#endif
