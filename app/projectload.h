#pragma once

#include <QPoint>
#include <QString>
#include <string>
#include <vector>

class CBasicDatabase;
class CBasicProject;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class TTreeNode;

// Paths between the windows and the data layer, whose file names are the
// bytes the file system takes.
std::string ToFilePath(const QString &path_);
QString FromFilePath(const std::string &path_);

// The last open project other than exclude_ named name_ (case ignored; an
// empty name reads "Unnamed"), in database_ unless that is null.
CBasicProject *findOpenProject(const std::string &name_, const CBasicProject *exclude_,
                               const CBasicDatabase *database_);

// Loads a project file into database_, or into the database chosen for it
// when that is null. 1 when the project was added, 0 otherwise. Ends the
// submission mode. Exceptions of the load pass through.
int OpenProjectIntoDatabase(const QString &path_, CBasicDatabase *database_);

// Program end: every open project, last first.
void deleteAllProjects();

// The database a tree node stands for: a database node's own, a project
// node's parent database node's; null for any other node.
CBasicDatabase *databaseOfTreeNode(QTreeWidgetItem *node_);

// The cut mark of a project's node (drawn dimmed).
void SetCutMark(TTreeNode *node_, bool cut_);
bool HasCutMark(const QTreeWidgetItem *node_);

// Carries projects through a drag or the clipboard commands. The projects
// stay their databases'; one that is destroyed or leaves its database (other
// than by this object's own drop) drops out of every transfer object.
class TProjectDrag {
public:
    explicit TProjectDrag(CBasicProject *first_);
    ~TProjectDrag();
    TProjectDrag(const TProjectDrag &) = delete;
    TProjectDrag &operator=(const TProjectDrag &) = delete;

    // Keeps only projects of the first one's version, each once.
    void addProject(CBasicProject *project_);
    CBasicProject *firstProject() const { return list.empty() ? nullptr : list.front(); }
    const std::vector<CBasicProject *> &projects() const { return list; }

    // The end of a drop on the result tree (at_ in the tree's viewport), or
    // a paste into the tree with the target database set.
    void Finished(QTreeWidget *tree_, const QPoint &at_, bool accepted_);
    // A drop on a database window's project list: listDatabase_ is the
    // database the window shows.
    void Finished(CBasicDatabase *listDatabase_, bool accepted_);

    bool fromDatabase = false;
    int copyFlag = 0; // 1: copy, 0: move
    unsigned groupVersion = 0;
    CBasicDatabase *targetDatabase = nullptr;

    // Every transfer object drops the project.
    static void projectGone(CBasicProject *project_);
    static void projectLeftDatabase(CBasicProject *project_);

    // Project drags carry this private type, with nothing but a marker of
    // this process; the transfer object itself stays with the main window.
    static const char *mimeType();
    static QMimeData *createMimeData();
    static bool isOwnMimeData(const QMimeData *data_);

    // The prefix of the temporary file a copy goes through.
    static const char *tempPrefix(int kind_) { return kind_ == 2 ? "QZJ" : "PRP"; }

private:
    void forget(CBasicProject *project_);
    void copyTo(CBasicDatabase *target_);
    void moveTo(CBasicDatabase *target_);

    std::vector<CBasicProject *> list;
    // Set while this object's own drop moves its projects.
    bool moving = false;
};

