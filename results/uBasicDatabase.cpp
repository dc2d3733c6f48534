#include "uBasicDatabase.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>

#include "textutil.h"
#include "uBasicProject.h"
#include "uTestList.h"

namespace {

std::vector<CBasicDatabase *> &openList()
{
    static std::vector<CBasicDatabase *> databases;
    return databases;
}

} // namespace

const std::vector<CBasicDatabase *> &CBasicDatabase::openDatabases()
{
    return openList();
}

CBasicDatabase::CBasicDatabase()
{
    init();
}

CBasicDatabase::~CBasicDatabase()
{
    clear();
}

void CBasicDatabase::init()
{
    clear();
    initialised = true;
    openList().push_back(this);
    makeNameUnique();
}

void CBasicDatabase::clear()
{
    if (window) {
        TFDatabase *w = window;
        window = nullptr;
        appWindows().closeDatabaseWindow(w);
    }
    // The views of the database itself let go of it first; an empty
    // database has no project removals to tell them.
    if (initialised)
        notifyChanged({CChangeKind::Removed, this, nullptr, true});
    // Take the list first: a project's destructor would otherwise remove
    // itself from the list being walked.
    std::vector<CBasicProject *> doomed;
    doomed.swap(projects);
    shownProject = nullptr;
    currentIndex = -1;
    for (CBasicProject *p : doomed) {
        p->setDatabase(nullptr);
        delete p;
    }
    if (treeNode && !appResultTree().applicationClosing())
        appResultTree().removeTreeNode(treeNode);
    treeNode = nullptr;
    testRanges.reset();
    auto &list = openList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    initialised = false;
}

void CBasicDatabase::changed()
{
    updateStatistics();
    updateViews(nullptr);
    updateTree();
    notifyChanged({CChangeKind::Values, this, nullptr});
}

void CBasicDatabase::print(bool)
{
}

void CBasicDatabase::reset()
{
    std::vector<CBasicProject *> doomed;
    doomed.swap(projects);
    shownProject = nullptr;
    currentIndex = -1;
    for (CBasicProject *p : doomed) {
        p->setDatabase(nullptr);
        delete p;
    }
    version = 0;
    name = "Database1";
    makeNameUnique();
}

int CBasicDatabase::canAddProject(const CBasicProject *project_) const
{
    if ((!nameIndex || nameIndex->mayHold(project_)) &&
        std::find(projects.begin(), projects.end(), project_) != projects.end())
        return 1;
    if (project_->getKind() != kind)
        return 2;
    return 0;
}

namespace {

std::size_t tableSizeFor(std::size_t count_)
{
    // At most three quarters full: probes stay short.
    std::size_t size = 16;
    while (size - size / 4 < count_)
        size *= 2;
    return size;
}

std::size_t pointerHash(const CBasicProject *project_)
{
    // The high half folded in: a table uses the low bits.
    const std::uint64_t h = (std::uint64_t{reinterpret_cast<std::uintptr_t>(project_)} >> 4) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 32));
}

} // namespace

std::string_view CBulkNameIndex::nameAt(std::size_t k_) const
{
    const std::size_t begin = k_ == 0 ? 0 : ends[k_ - 1];
    return std::string_view(text).substr(begin, ends[k_] - begin);
}

std::size_t CBulkNameIndex::slotOf(std::string_view key_) const
{
    const std::size_t mask = nameSlots.size() - 1;
    std::size_t at = std::hash<std::string_view>()(key_) & mask;
    while (nameSlots[at] != 0 && nameAt(nameSlots[at] - 1) != key_)
        at = (at + 1) & mask;
    return at;
}

void CBulkNameIndex::growNames(std::size_t count_)
{
    const std::size_t size = tableSizeFor(count_);
    if (size <= nameSlots.size())
        return;
    nameSlots.assign(size, 0);
    for (std::size_t k = 0; k < ends.size(); ++k)
        nameSlots[slotOf(nameAt(k))] = static_cast<std::uint32_t>(k + 1);
}

void CBulkNameIndex::growMembers(std::size_t count_)
{
    const std::size_t size = tableSizeFor(count_);
    if (size <= memberSlots.size())
        return;
    std::vector<const CBasicProject *> old(size, nullptr);
    old.swap(memberSlots);
    const std::size_t mask = size - 1;
    for (const CBasicProject *p : old) {
        if (!p)
            continue;
        std::size_t at = pointerHash(p) & mask;
        while (memberSlots[at])
            at = (at + 1) & mask;
        memberSlots[at] = p;
    }
}

void CBulkNameIndex::reserve(std::size_t count_)
{
    // Room for a name and its number each, so the text seldom has to move.
    text.reserve(text.size() + 16 * count_);
    ends.reserve(ends.size() + count_);
    growNames(ends.size() + count_);
    growMembers(memberCount + count_);
}

void CBulkNameIndex::add(const std::string &name_)
{
    const std::string key = upperCaseAscii(name_);
    growNames(ends.size() + 1);
    const std::size_t at = slotOf(key);
    if (nameSlots[at] != 0)
        return;
    text += key;
    ends.push_back(text.size());
    nameSlots[at] = static_cast<std::uint32_t>(ends.size());
}

bool CBulkNameIndex::contains(const std::string &name_) const
{
    return !nameSlots.empty() && nameSlots[slotOf(upperCaseAscii(name_))] != 0;
}

void CBulkNameIndex::addMember(const CBasicProject *project_)
{
    growMembers(memberCount + 1);
    const std::size_t mask = memberSlots.size() - 1;
    std::size_t at = pointerHash(project_) & mask;
    while (memberSlots[at] && memberSlots[at] != project_)
        at = (at + 1) & mask;
    if (!memberSlots[at]) {
        memberSlots[at] = project_;
        ++memberCount;
    }
}

bool CBulkNameIndex::mayHold(const CBasicProject *project_) const
{
    if (memberSlots.empty())
        return false;
    const std::size_t mask = memberSlots.size() - 1;
    for (std::size_t at = pointerHash(project_) & mask; memberSlots[at]; at = (at + 1) & mask)
        if (memberSlots[at] == project_)
            return true;
    return false;
}

std::uint64_t CBulkNameIndex::firstFreeNumber(const std::string &base_, std::uint64_t number_) const
{
    const std::string key = upperCaseAscii(base_);
    Run &run = runs[key];
    const bool inRun = run.to > run.from && number_ >= run.from && number_ <= run.to;
    std::uint64_t n = inRun ? run.to + 1 : number_ + 1;
    while (!nameSlots.empty() && nameSlots[slotOf(key + "(" + std::to_string(n) + ")")] != 0)
        ++n;
    // Everything from above number_ up to n - 1 is taken now.
    if (inRun)
        run.to = n - 1;
    else if (n - 1 - number_ > run.to - run.from)
        run = {number_, n - 1};
    return n;
}

int CBasicDatabase::addProject(CBasicProject *project_)
{
    if (!project_)
        return 1;
    const int result = canAddProject(project_);
    if (result != 0)
        return result;
    // No project belongs to two databases.
    if (CBasicDatabase *previous = project_->getDatabase(); previous && previous != this)
        previous->removeProject(project_);
    if (currentIndex >= 0 && currentIndex < getProjectCount())
        projects[currentIndex]->setCurrent(false);
    project_->setCurrent(true);
    projects.push_back(project_);
    if (nameIndex)
        nameIndex->addMember(project_);
    currentIndex = getProjectCount() - 1;
    project_->setPosition(currentIndex);
    if (version == 0)
        version = project_->getVersion();
    if (nameIndex)
        bulkAdding = project_;
    project_->attachToDatabase(this);
    bulkAdding = nullptr;
    modified = true;
    if (nameIndex) {
        nameIndex->add(project_->getName());
        return 0;
    }
    changed();
    notifyChanged({CChangeKind::Added, this, project_});
    return 0;
}

void CBasicDatabase::beginBulkAdd(std::size_t expected_)
{
    nameIndex = std::make_unique<CBulkNameIndex>();
    nameIndex->reserve(projects.size() + expected_);
    projects.reserve(projects.size() + expected_);
    for (CBasicProject *p : projects) {
        nameIndex->add(p->getName());
        nameIndex->addMember(p);
    }
}

void CBasicDatabase::endBulkAdd()
{
    if (!nameIndex)
        return;
    nameIndex.reset();
    changed();
    notifyChanged({CChangeKind::Added, this, nullptr});
}

void CBasicDatabase::removeProject(CBasicProject *project_)
{
    if (shownProject == project_)
        shownProject = nullptr;
    auto it = std::find(projects.begin(), projects.end(), project_);
    if (it == projects.end())
        return;
    projects.erase(it);
    if (project_->getDatabase() == this)
        project_->setDatabase(nullptr);
    // Told before anything else, so no view reads the project here again.
    notifyChanged({CChangeKind::Removed, this, project_});
    if (projects.empty())
        version = 0;
    if (currentIndex >= getProjectCount())
        currentIndex = getProjectCount() - 1;
    if (updatesLocked)
        return;
    const int removed = project_->getPosition();
    for (CBasicProject *p : projects)
        if (p->getPosition() > removed)
            p->setPosition(p->getPosition() - 1);
    changed();
    modified = true;
}

CBasicProject *CBasicDatabase::getProject(int index_) const
{
    return index_ >= 0 && index_ < getProjectCount() ? projects[index_] : nullptr;
}

int CBasicDatabase::getVisibleProjectCount() const
{
    return static_cast<int>(std::count_if(projects.begin(), projects.end(), [](const CBasicProject *p) { return !p->isHidden(); }));
}

int CBasicDatabase::containsProject(const CBasicProject *project_) const
{
    auto it = std::find(projects.begin(), projects.end(), project_);
    return it == projects.end() ? 0 : static_cast<int>(it - projects.begin()) + 1;
}

CBasicProject *CBasicDatabase::getCurrentProject()
{
    if (projects.empty())
        return nullptr;
    if (currentIndex >= getProjectCount())
        currentIndex = getProjectCount() - 1;
    return currentIndex >= 0 ? projects[currentIndex] : nullptr;
}

CBasicProject *CBasicDatabase::findProjectById(int position_)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (CBasicProject *p : projects)
            if (p->getPosition() == position_)
                return p;
        if (attempt == 0) {
            // Positions that repeat are made distinct, each later one raised.
            for (std::size_t i = 0; i < projects.size(); ++i)
                for (std::size_t j = i + 1; j < projects.size(); ++j)
                    if (projects[j]->getPosition() == projects[i]->getPosition())
                        projects[j]->setPosition(projects[j]->getPosition() + 1);
        }
    }
    AppMessage("No project id found.");
    return nullptr;
}

void CBasicDatabase::numberVisibleProjects()
{
    int row = 0;
    for (int position = 0; position < getProjectCount(); ++position) {
        CBasicProject *p = findProjectById(position);
        if (p && !p->isHidden())
            p->setChartRow(row++);
    }
}

void CBasicDatabase::normaliseOrder()
{
    const int n = getProjectCount();
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    bool valid = true;
    for (CBasicProject *p : projects) {
        const int pos = p->getPosition();
        if (pos < 0 || pos >= n || seen[static_cast<std::size_t>(pos)]) {
            valid = false;
            break;
        }
        seen[static_cast<std::size_t>(pos)] = true;
    }
    if (!valid)
        for (int i = 0; i < n; ++i)
            projects[i]->setPosition(i);
    // Positions are now a permutation: put every project at its own.
    std::stable_sort(projects.begin(), projects.end(),
                     [](const CBasicProject *a, const CBasicProject *b) { return a->getPosition() < b->getPosition(); });
    currentIndex = n > 0 ? 0 : -1;
}

void CBasicDatabase::reverseOrder()
{
    std::reverse(projects.begin(), projects.end());
    for (int i = 0; i < getProjectCount(); ++i)
        projects[i]->setPosition(i);
}

bool CBasicDatabase::takeOrderOfPositions()
{
    std::vector<CBasicProject *> ordered = projects;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const CBasicProject *a, const CBasicProject *b) { return a->getPosition() < b->getPosition(); });
    for (int i = 0; i < getProjectCount(); ++i)
        ordered[static_cast<std::size_t>(i)]->setPosition(i);
    if (ordered == projects)
        return false;
    // The current project stays the current one at its new place.
    const CBasicProject *current = getCurrentProject();
    projects = std::move(ordered);
    if (current)
        currentIndex = containsProject(current) - 1;
    modified = true;
    changed();
    notifyChanged({CChangeKind::Order, this, nullptr});
    return true;
}

std::string CBasicDatabase::getName() const
{
    return name.empty() ? "Unnamed" : name;
}

void CBasicDatabase::rename(const std::string &name_, const void *sender_)
{
    // The file keeps the name.
    if (name_ != name) {
        name = name_;
        modified = true;
    }
    updateViews(sender_);
    notifyChanged({CChangeKind::Renamed, this, nullptr});
}

void CBasicDatabase::updateViews(const void *sender_)
{
    if (treeNode && sender_ != treeNode)
        appResultTree().setTreeNodeText(treeNode, getName());
    if (window)
        appWindows().setDatabaseWindowCaption(window, getName());
}

std::string CBasicDatabase::getVersionText() const
{
    return kind == 0 ? std::string() : "Version: " + std::to_string(version);
}

bool CBasicDatabase::isModified()
{
    for (CBasicProject *p : projects)
        if (p->isModified())
            modified = true;
    return modified;
}

void CBasicDatabase::setModified(bool modified_)
{
    modified = modified_;
    if (!modified_)
        for (CBasicProject *p : projects)
            p->setModified(false);
}

void CBasicDatabase::updateCounts()
{
    countedCount = visibleCount = hiddenCount = 0;
    for (CBasicProject *p : projects) {
        if (p->isCounted())
            ++countedCount;
        if (p->isHidden())
            ++hiddenCount;
        else
            ++visibleCount;
    }
}

void CBasicDatabase::makeNameUnique()
{
    std::uint64_t number = 1;
    std::string base;
    std::size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9')
        --end;
    if (end > 0) {
        base = name.substr(0, end);
        number = 0;
        // Up to ten digits are the number; more are not parsed.
        for (std::size_t i = end; i < name.size() && i < end + 10; ++i)
            number = number * 10 + static_cast<unsigned>(name[i] - '0');
    }
    bool clash = true;
    while (clash) {
        clash = false;
        for (CBasicDatabase *other : openList()) {
            if (other == this || !sameTextIgnoringCase(other->name, name))
                continue;
            ++number;
            name = base + std::to_string(number);
            clash = true;
            break;
        }
    }
}

void CBasicDatabase::showWindow()
{
    if (!window)
        createWindow();
    if (window)
        appWindows().showDatabaseWindow(window);
}

void CBasicDatabase::showProject(CBasicProject *project_)
{
    showWindow();
    shownProject = project_;
    if (project_)
        appWindows().showProjectInDatabase(*this, *project_);
}

void CBasicDatabase::updateTree()
{
    if (!treeNode)
        return;
    const bool wasLocked = updatesLocked;
    updatesLocked = true;
    appResultTree().rebuildDatabaseNode(*this);
    updatesLocked = wasLocked;
}

void CBasicDatabase::updateStatistics()
{
    if (!testRanges)
        return;
    testRanges->clearRanges();
    if (projects.empty())
        return;
    // Read through const lists: a project whose values are all blank and
    // stay so keeps no entries of its own.
    TTestValueList *firstValues = projects.front()->getTestValues();
    if (!firstValues)
        return;
    const TTestValueList &first = *firstValues;
    if (projects.size() == 1) {
        for (int i = 1; i <= first.getCount(); ++i) {
            firstValues->clearMarks(i);
            const TTestValue *v = first.getEntry(i);
            if (TDatabaseTestObject *range = testRanges->findByTestId(v->getRow()->id))
                range->setObservedMaximum(v->getValue());
        }
    } else {
        // One pass over the projects for all tests at once: each project's
        // values are touched twice, not twice per test. Nearly every project
        // lists the tests as the first does; its entry of a test is then
        // taken by position instead of searched for.
        struct Range {
            int testId = 0;
            int position = 1;
            double lowest = DBL_MAX, highest = -DBL_MAX;
            CBasicProject *lowestProject = nullptr, *highestProject = nullptr;
        };
        std::vector<Range> ranges(static_cast<std::size_t>(first.getCount()));
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            Range &r = ranges[i];
            r.testId = first.getEntry(static_cast<int>(i) + 1)->getRow()->id;
            const TTestValue *found = first.findByTestId(r.testId);
            while (first.getEntry(r.position) != found)
                ++r.position;
        }
        // The position of the range's test in the list; 0 when it has none.
        auto positionOf = [](const TTestValueList &values_, bool likeFirst_, const Range &r_) {
            if (likeFirst_)
                return r_.position;
            const TTestValue *found = values_.findByTestId(r_.testId);
            return found ? static_cast<int>(found - values_.getEntry(1)) + 1 : 0;
        };
        std::vector<char> likeFirst(projects.size());
        for (std::size_t k = 0; k < projects.size(); ++k) {
            CBasicProject *p = projects[k];
            TTestValueList *values = p->getTestValues();
            if (!values)
                continue;
            const TTestValueList &read = *values;
            likeFirst[k] = read.sameTests(first);
            for (Range &r : ranges) {
                const int position = positionOf(read, likeFirst[k], r);
                if (position == 0)
                    continue;
                const double value = read.getEntry(position)->getValue();
                if (value > 0) {
                    if (value < r.lowest) {
                        r.lowest = value;
                        r.lowestProject = p;
                    }
                    if (value > r.highest) {
                        r.highest = value;
                        r.highestProject = p;
                    }
                }
                values->clearMarks(position);
            }
        }
        bool marks = false;
        for (const Range &r : ranges) {
            if (r.highestProject)
                if (TDatabaseTestObject *range = testRanges->findByTestId(r.testId))
                    range->setObservedMaximum(r.highest);
            marks = marks || (r.lowestProject && r.highestProject && r.lowestProject != r.highestProject);
        }
        for (std::size_t k = 0; marks && k < projects.size(); ++k) {
            TTestValueList *values = projects[k]->getTestValues();
            if (!values)
                continue;
            for (const Range &r : ranges) {
                if (!r.lowestProject || !r.highestProject || r.lowestProject == r.highestProject)
                    continue;
                const int position = positionOf(*values, likeFirst[k], r);
                if (position == 0)
                    continue;
                const double value = std::as_const(*values).getEntry(position)->getValue();
                // A blank entry (value 0) is never the lowest or highest of
                // positive values: only entries with results are marked.
                if (value == r.lowest)
                    values->getEntry(position)->setLowest(true);
                if (value == r.highest)
                    values->getEntry(position)->setHighest(true);
            }
        }
    }
    testRanges->alignGroups();
}

namespace {

using SortResult = CBasicDatabase::SortResult;

// The exchange sort shared by every sort of the database. When nothing moved
// (the list already descended) and the ends differ, the list is reversed,
// so sorting twice gives ascending order.
template <class Key, class Greater, class Differ>
SortResult exchangeSort(std::vector<CBasicProject *> &projects_, Key key_, Greater greater_, Differ differ_)
{
    bool moved = false;
    const std::size_t n = projects_.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto current = key_(projects_[i]);
        for (std::size_t j = i + 1; j < n; ++j) {
            auto candidate = key_(projects_[j]);
            if (greater_(candidate, current)) {
                std::swap(projects_[i], projects_[j]);
                current = std::move(candidate);
                moved = true;
            }
        }
        projects_[i]->setPosition(static_cast<int>(i));
    }
    return {moved, !moved && n > 0 && differ_(key_(projects_.front()), key_(projects_.back()))};
}

template <class Key>
SortResult sortNumbers(std::vector<CBasicProject *> &projects_, Key key_)
{
    return exchangeSort(projects_, key_, [](auto a, auto b) { return a > b; }, [](auto a, auto b) { return a != b; });
}

SortResult sortTexts(std::vector<CBasicProject *> &projects_, std::string (CBasicProject::*text_)())
{
    return exchangeSort(
        projects_, [text_](CBasicProject *p) { return (p->*text_)(); },
        [](const std::string &a, const std::string &b) { return compareTextIgnoringCase(a, b) > 0; },
        [](const std::string &a, const std::string &b) { return !sameTextIgnoringCase(a, b); });
}

} // namespace

// Every sort ends the same way: turned round when nothing moved, then the
// views follow. The file keeps the order, so a new one is a change to save;
// an exchange always leaves another order (each place takes a greater key).
void CBasicDatabase::finishSort(SortResult result_)
{
    if (result_.reverse)
        reverseOrder();
    if (result_.moved || result_.reverse)
        modified = true;
    changed();
    notifyChanged({CChangeKind::Order, this, nullptr});
}

void CBasicDatabase::sortByTestResult(int testId_)
{
    const SortResult sorted = exchangeSort(
        projects,
        [testId_](CBasicProject *p) {
            const TTestValue *v = p->getTestValue(testId_);
            return v ? v->getValue() : 0.0;
        },
        [](double a, double b) { return a > b; }, [](double a, double b) { return std::fabs(a - b) > 0.001; });
    finishSort(sorted);
}

void CBasicDatabase::sortByRenderingPlatform()
{
    finishSort(sortTexts(projects, &CBasicProject::getRenderingPlatform));
}

void CBasicDatabase::sortByTextureFormat()
{
    finishSort(sortTexts(projects, &CBasicProject::getTextureFormatText));
}

void CBasicDatabase::sortByCpu()
{
    using Key = std::pair<std::string, int>;
    const SortResult sorted = exchangeSort(
        projects, [](CBasicProject *p) { return Key(p->getCpuName(), p->getCpuSpeed()); },
        [](const Key &a, const Key &b) {
            const int c = compareTextIgnoringCase(a.first, b.first);
            return c != 0 ? c > 0 : a.second > b.second;
        },
        // Either part differing makes a second sort turn the order round.
        [](const Key &a, const Key &b) { return !sameTextIgnoringCase(a.first, b.first) || a.second != b.second; });
    finishSort(sorted);
}

void CBasicDatabase::sortByCpuSpeed()
{
    finishSort(sortNumbers(projects, [](CBasicProject *p) { return p->getCpuSpeed(); }));
}

void CBasicDatabase::sortByZBuffer()
{
    finishSort(sortNumbers(projects, [](CBasicProject *p) { return p->getZBufferDepth(); }));
}

void CBasicDatabase::sortByFrameBuffer()
{
    finishSort(sortNumbers(projects, [](CBasicProject *p) { return p->getFrameBuffer(); }));
}

void CBasicDatabase::sortByRefreshRate()
{
    finishSort(sortNumbers(projects, [](CBasicProject *p) { return p->getRefreshRate(); }));
}

void CBasicDatabase::sortByResolution()
{
    finishSort(sortNumbers(projects, [](CBasicProject *p) { return p->getWidth(); }));
}

void CBasicDatabase::sortByColorDepth()
{
    finishSort(sortNumbers(projects, [](CBasicProject *p) { return p->getColorDepth(); }));
}

void CBasicDatabase::sortByRenderingPipeline()
{
    finishSort(
        sortNumbers(projects, [](CBasicProject *p) { return renderingPipelineRank(p->getRenderingPipeline()); }));
}

int renderingPipelineRank(const std::string &text_)
{
    if (text_ == "D3D Pure Hardware T&L")
        return 300;
    if (text_ == "D3D Hardware T&L")
        return 200;
    if (text_ == "D3D Software T&L")
        return 100;
    return static_cast<int>(text_.size());
}

CBasicDatabase *CBasicDatabase::findOpenDatabase(const std::string &text_, const CBasicDatabase *except_)
{
    const auto &list = openList();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (*it != except_ && sameTextIgnoringCase((*it)->name, text_))
            return *it;
    return nullptr;
}

void CBasicDatabase::deleteAll()
{
    while (!openList().empty())
        delete openList().back();
}

namespace {

struct ExportRow {
    std::string label;
    std::string third;
    std::vector<std::string> values;
    std::vector<bool> filled;
};

void splitExportLine(const std::string &line_, std::string &label_, std::string &value_, std::string &third_)
{
    third_.clear();
    value_.clear();
    const std::size_t tab = line_.find('\t');
    if (tab == std::string::npos) {
        label_ = line_;
        return;
    }
    label_ = line_.substr(0, tab);
    value_ = line_.substr(tab + 1);
    const std::size_t second = value_.find('\t');
    if (second != std::string::npos) {
        third_ = value_.substr(second + 1);
        value_.erase(second);
    }
}

} // namespace

bool exportDatabaseText(CBasicDatabase &database_, std::vector<std::string> &lines_)
{
    const int count = database_.getProjectCount();
    std::vector<ExportRow> rows;
    for (int k = 0; k < count; ++k) {
        std::vector<std::string> text;
        database_.getProject(k)->exportText(text);
        if (text.size() < 2) {
            AppMessage("Unable to save project data");
            return false;
        }
        std::size_t place = 0;
        for (const std::string &line : text) {
            std::string label, value, third;
            splitExportLine(line, label, value, third);
            // Look for the label from the current place on, in a row this
            // project has not filled yet; else a new row goes in here. One
            // project's value never lands in another project's cell.
            std::size_t at = place;
            while (at < rows.size() && !(sameTextIgnoringCase(rows[at].label, label) && !rows[at].filled[k]))
                ++at;
            if (at == rows.size() && k > 0) {
                at = place;
                rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at),
                            ExportRow{label, third, std::vector<std::string>(count), std::vector<bool>(count, false)});
            } else if (at == rows.size()) {
                rows.push_back(ExportRow{label, third, std::vector<std::string>(count), std::vector<bool>(count, false)});
            }
            rows[at].values[k] = value;
            rows[at].filled[k] = true;
            place = at + 1;
        }
    }
    lines_.clear();
    lines_.push_back(database_.getTypeName());
    lines_.push_back("File Name:\t" + database_.getFileName());
    lines_.push_back("Database Name:\t" + database_.getRawName());
    lines_.push_back("Number of Projects in Database:\t" + std::to_string(count));
    // The first row is the first project's title line.
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::string line = rows[r].label;
        for (const std::string &v : rows[r].values)
            line += "\t" + v;
        line += "\t" + rows[r].third;
        lines_.push_back(line);
    }
    return true;
}
