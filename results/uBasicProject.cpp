#include "uBasicProject.h"

#include <algorithm>
#include <cstdint>

#include "textutil.h"
#include "uBasicDatabase.h"
#include "uPolyraProject.h"
#include "uSystemInfo.h"
#include "uTestList.h"

namespace {

std::vector<CBasicProject *> &liveList()
{
    static std::vector<CBasicProject *> projects;
    return projects;
}

void leaveLiveList(CBasicProject *project_)
{
    auto &list = liveList();
    list.erase(std::remove(list.begin(), list.end(), project_), list.end());
}

// Splits "Result(12)" into "Result" and 12. Longer digit runs than nine are
// plain text, so the number can never overflow.
void splitNumberedName(const std::string &name_, std::string &base_, std::uint64_t &number_)
{
    base_ = name_;
    number_ = 0;
    if (name_.empty() || name_.back() != ')')
        return;
    const std::size_t open = name_.rfind('(');
    if (open == std::string::npos)
        return;
    const std::string digits = name_.substr(open + 1, name_.size() - open - 2);
    if (digits.empty() || digits.size() > 9)
        return;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    base_ = name_.substr(0, open);
    number_ = value;
}

} // namespace

TTestList &programCatalogue()
{
    static TTestList catalogue;
    return catalogue;
}

const std::vector<CBasicProject *> &CBasicProject::liveProjects()
{
    return liveList();
}

void CBasicProject::reserveLiveProjects(std::size_t count_)
{
    liveList().reserve(liveList().size() + count_);
}

CBasicProject::CBasicProject() : testValues(programCatalogue())
{
    init();
}

CBasicProject::~CBasicProject()
{
    release();
}

void CBasicProject::init()
{
    release();
    liveList().push_back(this);
    images = appWindows().createProjectImages();
    folder.clear();
    initialised = true;
}

void CBasicProject::release()
{
    if (!initialised)
        return;
    initialised = false;
    // Every view lets go of the project before anything of it is freed.
    ::notifyChanged({CChangeKind::Removed, database, this, true});
    images.reset();
    if (treeNode && !appResultTree().applicationClosing())
        appResultTree().removeTreeNode(treeNode);
    treeNode = nullptr;
    if (window) {
        TFProject *w = window;
        window = nullptr;
        appWindows().closeProjectWindow(w);
    }
    if (database)
        database->removeProject(this);
    database = nullptr;
    testValues.clear();
    leaveLiveList(this);
    systemInfo.reset();
    blankInfo = BlankInfo::None;
    name.clear();
    description.clear();
    fileName.clear();
    folder.clear();
    position = chartRow = 0;
    version = 0;
    current = hidden = counted = modified = false;
}

void CBasicProject::copyFrom(const CBasicProject &other_)
{
    hidden = other_.hidden;
    counted = other_.counted;
    kind = other_.kind;
    version = other_.version;
    name = other_.getName();
    fileName.clear();
    images = appWindows().createProjectImages();
    folder = other_.folder;
    description = other_.description;
    modified = true;
    window = nullptr;
}

std::string CBasicProject::folderOf(const std::string &path_)
{
    const std::size_t at = path_.find_last_of("\\:/");
    return at == std::string::npos ? std::string() : path_.substr(0, at + 1);
}

std::string CBasicProject::getName() const
{
    return name.empty() ? "Unnamed" : name.str();
}

// Exact comparisons: a change of letter case alone is a change too.
void CBasicProject::setName(const std::string &name_)
{
    if (name_ != name) {
        name = name_;
        modified = true;
    }
}

void CBasicProject::setDescription(const std::string &description_)
{
    if (description_ != description) {
        description = description_;
        modified = true;
    }
}

void CBasicProject::rename(const std::string &name_, const void *sender_)
{
    setName(name_);
    updateViews(sender_);
    ::notifyChanged({CChangeKind::Renamed, database, this});
}

void CBasicProject::updateViews(const void *sender_)
{
    if (treeNode && sender_ != treeNode)
        appResultTree().setTreeNodeText(treeNode, getName());
    if (window)
        appWindows().setProjectWindowCaption(window, getName());
    if (database)
        database->updateViews(sender_);
}

void CBasicProject::refreshName()
{
    const std::string before = name.str();
    makeNameUnique();
    if (name != before)
        updateTreeText();
}

void CBasicProject::updateTreeText()
{
    if (!treeNode)
        return;
    appResultTree().setTreeNodeText(treeNode, getName());
    updateTreeState();
}

void CBasicProject::updateTreeState()
{
    if (treeNode)
        appResultTree().setTreeNodeState(treeNode, hidden ? 3 : 1);
}

void CBasicProject::makeNameUnique()
{
    std::string base;
    std::uint64_t number;
    splitNumberedName(getName(), base, number);
    auto numbered = [&] { name = base + "(" + std::to_string(number) + ")"; };
    // A database being filled in bulk keeps an index of its names: the same
    // result as the scan below without a pass over the database per project.
    if (const CBulkNameIndex *index = database ? database->bulkNameIndex(this) : nullptr) {
        if (index->contains(getName())) {
            number = index->firstFreeNumber(base, number);
            numbered();
        }
        return;
    }
    std::vector<CBasicProject *> others;
    if (database) {
        for (int i = 0; i < database->getProjectCount(); ++i)
            others.push_back(database->getProject(i));
    } else {
        for (CBasicProject *p : liveList())
            if (!p->database)
                others.push_back(p);
    }
    bool clash = true;
    while (clash) {
        clash = false;
        const std::string mine = getName();
        for (CBasicProject *other : others) {
            if (other == this || !sameTextIgnoringCase(other->getName(), mine))
                continue;
            ++number;
            numbered();
            clash = true;
            break;
        }
    }
}

void CBasicProject::setHidden(bool hidden_)
{
    if (hidden_ == hidden)
        return;
    // The database file keeps the flag: hiding is a change to be saved.
    hidden = hidden_;
    modified = true;
    if (treeNode)
        updateTreeState();
    if (database)
        database->updateCounts();
    ::notifyChanged({CChangeKind::Hidden, database, this});
}

void CBasicProject::setWindow(TFProject *window_)
{
    if (!window_ && database && database->getShownProject() == this)
        database->setShownProject(nullptr);
    window = window_;
}

void CBasicProject::showWindow()
{
    if (database) {
        database->showProject(this);
        return;
    }
    if (!window)
        openWindow();
    if (window)
        appWindows().showProjectWindow(window);
}

void CBasicProject::attachToDatabase(CBasicDatabase *database_)
{
    if (database_ != database) {
        if (treeNode)
            appResultTree().moveTreeNode(treeNode, database_ ? database_->getTreeNode() : nullptr);
        if (window) {
            TFProject *w = window;
            window = nullptr;
            appWindows().closeProjectWindow(w);
        }
        database = database_;
    }
    if (!treeNode)
        treeNode = appResultTree().addProjectNode(*this);
    makeNameUnique();
    updateTreeText();
}

void CBasicProject::takeOver(CBasicProject *other_)
{
    if (!other_ || other_ == this)
        return;
    std::swap(images, other_->images);
    fileName = other_->fileName;
    other_->fileName.clear();
    folder = other_->folder;
    current = other_->current;
    hidden = other_->hidden;
    counted = other_->counted;
    kind = other_->kind;
    version = other_->version;
    name = other_->name;
    description = other_->description;
    modified = false;
    testValues = std::move(other_->testValues);
    systemInfo = std::move(other_->systemInfo);
    blankInfo = other_->blankInfo;
    delete other_;
    notifyChanged();
}

void CBasicProject::notifyChanged()
{
    updateTreeText();
    ::notifyChanged({CChangeKind::Values, database, this});
    if (database)
        database->changed();
}

void CBasicProject::afterLoad()
{
    folder = folderOf(fileName);
    loadImages();
    updateTreeText();
}

void CBasicProject::showDetailsOnline()
{
    std::vector<std::string> lines;
    exportText(lines);
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    appLibraries().showDetailsData(text);
}

void CBasicProject::loadImages()
{
    if (images)
        images->load(*this);
}

std::string CBasicProject::getVersionText() const
{
    return version == 0 ? std::string() : "Version: " + std::to_string(version);
}

CSystemInfo *CBasicProject::getSystemInfo() const
{
    if (systemInfo)
        return systemInfo.get();
    if (blankInfo == BlankInfo::None)
        return nullptr;
    // Nothing of these changes once made: the tree of reset values they
    // build on first use reads the same for every project.
    static CSystemInfo currentLayout(nullptr, 0, false);
    static CSystemInfo legacyLayout(nullptr, 0, true);
    return blankInfo == BlankInfo::Legacy ? &legacyLayout : &currentLayout;
}

std::string CBasicProject::getCpuSpeedText() const
{
    const CSystemInfo *info = getSystemInfo();
    return info ? info->getCpuSpeedText() : std::string();
}

int CBasicProject::getCpuSpeed() const
{
    const CSystemInfo *info = getSystemInfo();
    return info ? info->getCpuSpeedMHz() : 0;
}

std::string CBasicProject::getCpuName() const
{
    const CSystemInfo *info = getSystemInfo();
    return info ? info->getProcessorName() : std::string();
}

CBasicProject *openProjectFile(const std::string &path_, COutcome &outcome_)
{
    std::string ext = extractFileExt(path_);
    if (sameTextIgnoringCase(ext, ".TMP"))
        ext = ("." + extractFileName(path_)).substr(0, 4);
    if (!sameTextIgnoringCase(ext, ".PRP")) {
        outcome_ = COutcome::refused("File cannot be loaded. Unknown type " + ext);
        return nullptr;
    }
    // A load that raises leaves no half-built project behind.
    std::unique_ptr<CPolyraProject> project = std::make_unique<CPolyraProject>();
    outcome_ = project->load(path_);
    if (!outcome_.done())
        return nullptr;
    project->setFileName(path_);
    return project.release();
}

CBasicProject *loadProjectFile(const std::string &path_)
{
    COutcome outcome;
    CBasicProject *project = openProjectFile(path_, outcome);
    if (!outcome.message.empty())
        AppMessage(outcome.message);
    return project;
}
