#pragma once

#include "AppServices.h"

// What the data layer asks of the windows, answered by the main window, its
// tree, the message boxes and the viewer library.
class TQtAppServices : public CAppServices, public CChangeObserver {
public:
    TQtAppServices();
    ~TQtAppServices() override;

    void appMessage(const std::string &text_) override;
    Answer askYesNoCancel(const std::string &text_) override;
    Answer askYesNoCancelCaptioned(const std::string &text_, const std::string &caption_) override;
    void beginWorkMessage() override;
    void endWorkMessage() override;
    bool applicationClosing() override { return closing; }
    void setClosing(bool closing_) { closing = closing_; }

    TTreeNode *addProjectNode(CBasicProject &project_) override;
    TTreeNode *addDatabaseNode(CBasicDatabase &database_) override;
    void moveTreeNode(TTreeNode *node_, TTreeNode *newParent_) override;
    void removeTreeNode(TTreeNode *node_) override;
    void setTreeNodeText(TTreeNode *node_, const std::string &text_) override;
    void setTreeNodeState(TTreeNode *node_, int state_) override;
    void rebuildDatabaseNode(CBasicDatabase &database_) override;

    // Holders of project pointers outside the databases (the clipboard's
    // transfer object, a drag, the selection) let go of a project that
    // leaves its database or goes away.
    void dataChanged(const CChange &change_) override;
    void addRecentFile(const std::string &fileName_) override;
    std::unique_ptr<CProjectImages> createProjectImages() override;

    // The windows of projects and databases.
    TFProject *openProjectWindow(CBasicProject &project_) override;
    void showProjectWindow(TFProject *window_) override;
    void closeProjectWindow(TFProject *window_) override;
    void setProjectWindowCaption(TFProject *window_, const std::string &text_) override;
    TFDatabase *openDatabaseWindow(CBasicDatabase &database_) override;
    void showDatabaseWindow(TFDatabase *window_) override;
    void closeDatabaseWindow(TFDatabase *window_) override;
    void setDatabaseWindowCaption(TFDatabase *window_, const std::string &text_) override;
    void showProjectInDatabase(CBasicDatabase &database_, CBasicProject &project_) override;
    // The project's report, printed or previewed.
    void printProject(CBasicProject &project_, bool preview_) override;

    void showSystemInfoDialog(const void *data_, unsigned size_) override;
    void showOldSystemInfoDialog(const void *data_, unsigned size_) override;
    void showDetailsData(const std::string &text_) override;

private:
    CAppServices *previous = nullptr;
    bool closing = false;
};

