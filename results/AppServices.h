#ifndef RESULTS_APPSERVICES_H
#define RESULTS_APPSERVICES_H

#include <memory>
#include <string>

class CBasicProject;
class CBasicDatabase;

// Window-layer objects the data layer only points at.
class TTreeNode;
class TFProject;
class TFDatabase;

// The pictures of one project, shown by the picture lists of the windows.
class CProjectImages {
public:
    virtual ~CProjectImages() = default;
    // Loads the project's pictures; false when one of them did not load.
    virtual bool load(CBasicProject &project_) = 0;
};

// What projects and databases ask of the program around them: its message
// box and questions, the result tree, their windows, the recent-file list,
// pictures, reports, the viewer and submission libraries. The window layer
// implements it; without one installed every call does nothing (and asks
// answer Cancel), so the data layer also runs on its own.
class CAppServices {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~CAppServices() = default;

    // The program's message box, captioned with the program's title.
    virtual void appMessage(const std::string &text_) { (void)text_; }
    virtual Answer askYesNoCancel(const std::string &text_)
    {
        (void)text_;
        return Answer::Cancel;
    }
    // The same question under a caption of its own.
    virtual Answer askYesNoCancelCaptioned(const std::string &text_, const std::string &caption_)
    {
        (void)caption_;
        return askYesNoCancel(text_);
    }
    // The work message, shown while a long task runs; calls nest in pairs.
    virtual void beginWorkMessage() {}
    virtual void endWorkMessage() {}
    virtual bool applicationClosing() { return false; }

    // Result tree.
    virtual TTreeNode *addProjectNode(CBasicProject &project_) { (void)project_; return nullptr; }
    virtual TTreeNode *addDatabaseNode(CBasicDatabase &database_) { (void)database_; return nullptr; }
    virtual void moveTreeNode(TTreeNode *node_, TTreeNode *newParent_) { (void)node_; (void)newParent_; }
    virtual void removeTreeNode(TTreeNode *node_) { (void)node_; }
    virtual void setTreeNodeText(TTreeNode *node_, const std::string &text_) { (void)node_; (void)text_; }
    virtual void setTreeNodeState(TTreeNode *node_, int state_) { (void)node_; (void)state_; }
    // Rebuilds a database node's children from its projects.
    virtual void rebuildDatabaseNode(CBasicDatabase &database_) { (void)database_; }

    // Windows. Refreshes are posted: the window rebuilds its views later,
    // from the event loop, and a window that is gone by then is skipped.
    virtual void postRefresh(TFProject *window_) { (void)window_; }
    virtual void postRefresh(TFDatabase *window_) { (void)window_; }
    virtual TFProject *openProjectWindow(CBasicProject &project_) { (void)project_; return nullptr; }
    virtual void showProjectWindow(TFProject *window_) { (void)window_; }
    virtual void closeProjectWindow(TFProject *window_) { (void)window_; }
    virtual void setProjectWindowCaption(TFProject *window_, const std::string &text_) { (void)window_; (void)text_; }
    virtual TFDatabase *openDatabaseWindow(CBasicDatabase &database_) { (void)database_; return nullptr; }
    virtual void showDatabaseWindow(TFDatabase *window_) { (void)window_; }
    virtual void closeDatabaseWindow(TFDatabase *window_) { (void)window_; }
    virtual void setDatabaseWindowCaption(TFDatabase *window_, const std::string &text_) { (void)window_; (void)text_; }
    // Shows a project in the database window's one project window.
    virtual void showProjectInDatabase(CBasicDatabase &database_, CBasicProject &project_) { (void)database_; (void)project_; }
    // The open picture windows follow a change of a database's projects.
    virtual void picturesDatabaseChanged(CBasicDatabase &database_) { (void)database_; }

    // Holders of project pointers outside the databases (the clipboard's
    // transfer object, a drag, the selection) drop a project that goes away
    // or leaves its database.
    virtual void projectReleased(CBasicProject &project_) { (void)project_; }
    virtual void projectLeftDatabase(CBasicProject &project_, CBasicDatabase &database_)
    {
        (void)project_;
        (void)database_;
    }

    virtual void addRecentFile(const std::string &fileName_) { (void)fileName_; }
    virtual std::unique_ptr<CProjectImages> createProjectImages() { return nullptr; }
    virtual void printProject(CBasicProject &project_, bool preview_) { (void)project_; (void)preview_; }

    // The viewer library: the current layout's, or the older one's.
    virtual void showSystemInfoDialog(const void *data_, unsigned size_) { (void)data_; (void)size_; }
    virtual void showOldSystemInfoDialog(const void *data_, unsigned size_) { (void)data_; (void)size_; }
    // The submission library's details view of a project's text.
    virtual void showDetailsData(const std::string &text_) { (void)text_; }
};

// The services in use; never null.
CAppServices &appServices();
// Installs services (null puts back the silent ones); returns the previous.
CAppServices *setAppServices(CAppServices *services_);

// The message box of the program.
inline void AppMessage(const std::string &text_)
{
    appServices().appMessage(text_);
}

// Shows the work message for as long as it lives, also when the task raises.
class CWorkMessage {
public:
    CWorkMessage() { appServices().beginWorkMessage(); }
    ~CWorkMessage() { appServices().endWorkMessage(); }
    CWorkMessage(const CWorkMessage &) = delete;
    CWorkMessage &operator=(const CWorkMessage &) = delete;
};

#endif
