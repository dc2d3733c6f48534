#pragma once

#include <QTreeWidgetItem>

class CBasicDatabase;
class CBasicProject;

// A node of the result tree. Database and project nodes carry their object;
// the root and the databases node carry nothing.
class TTreeNode : public QTreeWidgetItem {
public:
    enum StateImage { NoImage = 0, ProjectImage = 1, DatabaseImage = 2, HiddenImage = 3 };

    explicit TTreeNode(const QString &text_);
    ~TTreeNode() override;

    CBasicDatabase *database() const { return databaseData; }
    CBasicProject *project() const { return projectData; }
    void setDatabase(CBasicDatabase *database_) { databaseData = database_; }
    void setProject(CBasicProject *project_) { projectData = project_; }
    bool hasData() const { return databaseData || projectData; }

    int stateImage() const { return state; }
    void setStateImage(int state_);

private:
    CBasicDatabase *databaseData = nullptr;
    CBasicProject *projectData = nullptr;
    int state = NoImage;
    bool stateShown = false;
};

