#pragma once

#include <memory>
#include <string>

class CBasicDatabase;
class CBasicProject;
class TFProject;
class TFDatabase;

// The pictures of one project, shown by the picture lists of the windows.
class CProjectImages {
public:
    virtual ~CProjectImages() = default;
    // Loads the project's pictures; false when one of them did not load.
    virtual bool load(CBasicProject &project_) = 0;
};

// The windows of projects and databases and what goes with them: the
// recent-file list, pictures and reports. Changes of the data reach the
// windows through the change notification (changes.h), not through here.
class CDataWindows {
public:
    virtual ~CDataWindows() = default;

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

    virtual void addRecentFile(const std::string &fileName_) { (void)fileName_; }
    virtual std::unique_ptr<CProjectImages> createProjectImages() { return nullptr; }
    virtual void printProject(CBasicProject &project_, bool preview_) { (void)project_; (void)preview_; }
};

CDataWindows &appWindows();
CDataWindows *setAppWindows(CDataWindows *windows_);
