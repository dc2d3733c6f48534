#include "treenode.h"

#include <QApplication>
#include <QHash>
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

namespace {

// The style's icons, looked up once: each lookup searches the icon theme on
// disk, and a database adds thousands of nodes. Copies share one icon.
const QIcon &stateIcon(QStyle::StandardPixmap pixmap_)
{
    static QHash<int, QIcon> icons;
    auto it = icons.find(pixmap_);
    if (it == icons.end())
        it = icons.insert(pixmap_, QApplication::style()->standardIcon(pixmap_));
    return *it;
}

} // namespace

void TTreeNode::setStateImage(int state_)
{
    if (stateShown && state == state_)
        return;
    state = state_;
    stateShown = true;
    switch (state_) {
    case ProjectImage:
        setIcon(0, stateIcon(QStyle::SP_FileIcon));
        break;
    case DatabaseImage:
        setIcon(0, stateIcon(QStyle::SP_DirIcon));
        break;
    case HiddenImage:
        setIcon(0, stateIcon(QStyle::SP_FileDialogDetailedView));
        break;
    default:
        setIcon(0, QIcon());
        break;
    }
}
