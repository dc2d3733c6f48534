#pragma once

#include <string>

class CBasicDatabase;
class CBasicProject;
// The window layer's node; the data layer only points at it.
class TTreeNode;

// The result tree: databases and their projects keep their own node.
class CResultTree {
public:
    virtual ~CResultTree() = default;

    virtual TTreeNode *addProjectNode(CBasicProject &project_) { (void)project_; return nullptr; }
    virtual TTreeNode *addDatabaseNode(CBasicDatabase &database_) { (void)database_; return nullptr; }
    virtual void moveTreeNode(TTreeNode *node_, TTreeNode *newParent_) { (void)node_; (void)newParent_; }
    virtual void removeTreeNode(TTreeNode *node_) { (void)node_; }
    virtual void setTreeNodeText(TTreeNode *node_, const std::string &text_) { (void)node_; (void)text_; }
    virtual void setTreeNodeState(TTreeNode *node_, int state_) { (void)node_; (void)state_; }
    // Rebuilds a database node's children from its projects.
    virtual void rebuildDatabaseNode(CBasicDatabase &database_) { (void)database_; }
    // The program is ending: the tree goes as a whole, nodes are not removed.
    virtual bool applicationClosing() { return false; }
};

CResultTree &appResultTree();
CResultTree *setAppResultTree(CResultTree *tree_);
