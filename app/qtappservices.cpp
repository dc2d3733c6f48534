#include "qtappservices.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>

#include "Cp1252.h"
#include "MessageSink.h"
#include "Ucommoncalls.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uMainForm.h"
#include "databasewindow.h"
#include "projectwindow.h"
#include "projectimages.h"
#include "projectload.h"
#include "projectreport.h"
#include "recentfilelist.h"
#include "submission.h"
#include "treenode.h"

TQtAppServices::TQtAppServices()
{
    previous = setAppServices(this);
    subscribeChanges(this);
}

TQtAppServices::~TQtAppServices()
{
    setAppServices(previous);
}

void TQtAppServices::appMessage(const std::string &text_)
{
    AppMessage(fromCp1252(text_));
}

namespace {

CMessages::Answer answerOf(MessageAnswer answer_)
{
    switch (answer_) {
    case MessageAnswer::Yes:
        return CMessages::Answer::Yes;
    case MessageAnswer::No:
        return CMessages::Answer::No;
    default:
        return CMessages::Answer::Cancel;
    }
}

} // namespace

CMessages::Answer TQtAppServices::askYesNoCancel(const std::string &text_)
{
    return answerOf(::askYesNoCancel(fromCp1252(text_)));
}

CMessages::Answer TQtAppServices::askYesNoCancelCaptioned(const std::string &text_, const std::string &caption_)
{
    return answerOf(::askYesNoCancel(fromCp1252(text_), fromCp1252(caption_)));
}

void TQtAppServices::beginWorkMessage()
{
    BeginWorkMessage();
}

void TQtAppServices::endWorkMessage()
{
    EndWorkMessage();
}

TTreeNode *TQtAppServices::addProjectNode(CBasicProject &project_)
{
    TFMainForm *main = TFMainForm::instance();
    return main ? main->AddProjectNode(&project_, project_.getDatabase()) : nullptr;
}

TTreeNode *TQtAppServices::addDatabaseNode(CBasicDatabase &database_)
{
    TFMainForm *main = TFMainForm::instance();
    return main ? main->AddDatabaseNode(&database_) : nullptr;
}

void TQtAppServices::moveTreeNode(TTreeNode *node_, TTreeNode *newParent_)
{
    if (!node_)
        return;
    if (QTreeWidgetItem *parent = node_->parent())
        parent->removeChild(node_);
    if (newParent_) {
        newParent_->addChild(node_);
        newParent_->setExpanded(true);
    } else {
        delete node_;
    }
}

void TQtAppServices::removeTreeNode(TTreeNode *node_)
{
    delete node_;
}

void TQtAppServices::setTreeNodeText(TTreeNode *node_, const std::string &text_)
{
    if (node_)
        node_->setText(0, fromCp1252(text_));
}

void TQtAppServices::setTreeNodeState(TTreeNode *node_, int state_)
{
    if (node_)
        node_->setStateImage(state_);
}

void TQtAppServices::rebuildDatabaseNode(CBasicDatabase &database_)
{
    if (TFMainForm *main = TFMainForm::instance())
        main->RebuildDatabaseNode(&database_);
}

void TQtAppServices::showSystemInfoDialog(const void *data_, unsigned size_)
{
    ShowSystemInfoDialog(data_, size_);
}

void TQtAppServices::showOldSystemInfoDialog(const void *data_, unsigned size_)
{
    ShowOldSystemInfoDialog(data_, size_);
}

void TQtAppServices::showDetailsData(const std::string &text_)
{
    ShowDetailsData(text_);
}

void TQtAppServices::dataChanged(const CChange &change_)
{
    if (change_.kind != CChangeKind::Removed || !change_.project)
        return;
    if (change_.released)
        TProjectDrag::projectGone(change_.project);
    else
        TProjectDrag::projectLeftDatabase(change_.project);
    if (TFMainForm *main = TFMainForm::instance())
        main->ForgetProject(change_.project);
}

void TQtAppServices::addRecentFile(const std::string &fileName_)
{
    if (TFMainForm *main = TFMainForm::instance(); main && main->recentFiles())
        main->recentFiles()->AddFile(FromFilePath(fileName_));
}

std::unique_ptr<CProjectImages> TQtAppServices::createProjectImages()
{
    return std::make_unique<TProjectImages>();
}

TFProject *TQtAppServices::openProjectWindow(CBasicProject &project_)
{
    return new TFProject(TFMainForm::instance(), &project_);
}

void TQtAppServices::showProjectWindow(TFProject *window_)
{
    if (!window_)
        return;
    if (window_->isMinimized())
        window_->showNormal();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TQtAppServices::closeProjectWindow(TFProject *window_)
{
    if (!window_)
        return;
    // Closed for the data layer: the project stays, and no database window
    // keeps the window once it is going.
    window_->forgetProject();
    window_->hide();
    window_->deleteLater();
}

void TQtAppServices::setProjectWindowCaption(TFProject *window_, const std::string &)
{
    // The caption and the name edit follow the project itself.
    if (window_)
        window_->UpdateViews(nullptr);
}

TFDatabase *TQtAppServices::openDatabaseWindow(CBasicDatabase &database_)
{
    TFMainForm *main = TFMainForm::instance();
    auto *window = new TFDatabase(main, &database_);
    if (!main) {
        window->show();
        return window;
    }
    QMdiSubWindow *child = main->mdiArea()->addSubWindow(window);
    // A place to return to from the maximised state, inside the client area
    // as far as the window's smallest size allows.
    const QSize area = main->mdiArea()->viewport()->size();
    const QSize wanted = child->sizeHint().expandedTo(QSize(640, 480)).boundedTo(area);
    child->setGeometry(QRect(QPoint(0, 0), wanted.expandedTo(child->minimumSizeHint())));
    if (CBasicDatabase::openDatabases().size() == 1)
        child->showMaximized();
    else
        child->show();
    main->mdiArea()->setActiveSubWindow(child);
    return window;
}

namespace {

QMdiSubWindow *subWindowOf(QWidget *window_)
{
    return window_ ? qobject_cast<QMdiSubWindow *>(window_->parentWidget()) : nullptr;
}

} // namespace

void TQtAppServices::showDatabaseWindow(TFDatabase *window_)
{
    if (!window_)
        return;
    QMdiSubWindow *child = subWindowOf(window_);
    TFMainForm *main = TFMainForm::instance();
    if (!child || !main) {
        window_->show();
        window_->raise();
        return;
    }
    if (child->isMinimized())
        child->showNormal();
    else if (!child->isVisible())
        child->show();
    window_->show();
    main->mdiArea()->setActiveSubWindow(child);
}

void TQtAppServices::closeDatabaseWindow(TFDatabase *window_)
{
    if (!window_)
        return;
    // The database is going: the window goes at once, without its close
    // question, so nothing reads the database afterwards.
    QMdiSubWindow *child = subWindowOf(window_);
    if (!child) {
        delete window_;
        return;
    }
    if (TFMainForm *main = TFMainForm::instance())
        main->mdiArea()->removeSubWindow(child);
    delete child;
}

void TQtAppServices::setDatabaseWindowCaption(TFDatabase *window_, const std::string &)
{
    if (window_)
        window_->UpdateViews(nullptr);
}

void TQtAppServices::showProjectInDatabase(CBasicDatabase &database_, CBasicProject &project_)
{
    TFDatabase *window = database_.getWindow();
    if (!window)
        return;
    TFProject *shown = window->projectWindow();
    if (!shown) {
        project_.openWindow();
        shown = project_.getWindow();
        window->setProjectWindow(shown);
    } else {
        shown->SetProject(&project_);
    }
    showProjectWindow(shown);
}

void TQtAppServices::printProject(CBasicProject &project_, bool preview_)
{
    PrintProjectReport(project_, preview_);
}
