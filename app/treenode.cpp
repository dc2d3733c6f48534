#include "treenode.h"

#include <QApplication>
#include <QStyle>

#include "uBasicDatabase.h"
#include "uBasicProject.h"

TTreeNode::TTreeNode(const QString &text_)
{
    setText(0, text_);
}

TTreeNode::~TTreeNode()
{
    // An object whose node goes keeps no reference to it.
    if (databaseData && databaseData->getTreeNode() == this)
        databaseData->setTreeNode(nullptr);
    if (projectData && projectData->getTreeNode() == this)
        projectData->setTreeNode(nullptr);
}

void TTreeNode::setStateImage(int state_)
{
    state = state_;
    QStyle *style = QApplication::style();
    switch (state_) {
    case ProjectImage:
        setIcon(0, style->standardIcon(QStyle::SP_FileIcon));
        break;
    case DatabaseImage:
        setIcon(0, style->standardIcon(QStyle::SP_DirIcon));
        break;
    case HiddenImage:
        setIcon(0, style->standardIcon(QStyle::SP_FileDialogDetailedView));
        break;
    default:
        setIcon(0, QIcon());
        break;
    }
}
