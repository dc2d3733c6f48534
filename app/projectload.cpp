#include "projectload.h"

#include <QApplication>
#include <QBrush>
#include <QFile>
#include <QMimeData>
#include <QPalette>
#include <QPointer>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "Cp1252.h"
#include "MessageSink.h"
#include "TempFile.h"
#include "Ucommoncalls.h"
#include "textutil.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "entry.h"
#include "uMainForm.h"
#include "modes.h"
#include "modalforms.h"
#include "projectimages.h"
#include "submitform.h"
#include "treenode.h"

namespace {

constexpr int cutRole = Qt::UserRole + 1;

std::vector<TProjectDrag *> &liveDrags()
{
    static std::vector<TProjectDrag *> drags;
    return drags;
}

void bringMainWindowToFront()
{
    TFMainForm *main = TFMainForm::instance();
    if (!main)
        return;
    if (main->isMinimized())
        main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
    main->raise();
    main->activateWindow();
}

void warnNoDatabase()
{
    MessageRequest request;
    request.kind = MessageRequest::Kind::ShowMessage;
    request.caption = QStringLiteral("Warning");
    request.text = QStringLiteral("There was no database for the project.");
    request.icon = MessageIcon::Warning;
    messageSink().show(request);
}

CBasicDatabase *newDatabaseFor(CBasicProject &project_)
{
    CBasicDatabase *database = project_.createDatabase();
    if (database)
        database->createWindow();
    return database;
}

// The road of OpenProjectIntoDatabase; folder_, when given, replaces the
// folder the project takes from its file (a copy through a temporary file
// keeps the folder of its source, so its pictures are found).
CBasicProject *loadIntoDatabase(const QString &path_, CBasicDatabase *database_, const std::string *folder_)
{
    bringMainWindowToFront();
    // Submission mode ends with the first project file, whether it loads or
    // not; a copy between databases is no such file.
    const bool submit = !folder_ && gSubmitMode;
    const bool hwUpgrade = !folder_ && gHwUpgradeMode;
    if (!folder_)
        gSubmitMode = gHwUpgradeMode = false;

    COutcome outcome;
    std::unique_ptr<CBasicProject> project(openProjectFile(ToFilePath(path_), outcome));
    if (!project) {
        if (!outcome.message.empty())
            AppMessage(fromCp1252(outcome.message));
        return nullptr;
    }

    if (!database_ && CBasicDatabase::openDatabases().empty() && !submit)
        database_ = newDatabaseFor(*project);

    if (submit) {
        // The project goes to the submission dialog and never joins a
        // database; a dialog that is up already is only raised.
        if (SubmitDialogOpen()) {
            project.reset();
            if (TFSubmit *shown = OpenSubmitDialog()) {
                shown->show();
                shown->raise();
                shown->activateWindow();
            }
            return nullptr;
        }
        QPointer<TFSubmit> dialog = new TFSubmit(TFMainForm::instance(), project.get(), hwUpgrade ? 1 : 0);
        ShowModalForm(*dialog);
        delete dialog.data();
        // Whatever ended the program meanwhile took the project with it.
        const auto &live = CBasicProject::liveProjects();
        if (std::find(live.begin(), live.end(), project.get()) == live.end())
            (void)project.release();
        project.reset();
        BringBenchmarkToFront();
        if (CBasicProject::liveProjects().empty())
            EndSubmissionRun(TFMainForm::instance());
        return nullptr;
    }

    if (!database_) {
        // A child window that shows no database (a project window, the
        // picture viewer, a preview) gets a new database, not the bin.
        if (TFMainForm *main = TFMainForm::instance(); main && main->activeChild()) {
            database_ = main->activeChildDatabase();
            if (!database_)
                database_ = newDatabaseFor(*project);
        } else if (main) {
            // No window to ask: the database chosen in the tree, else the one
            // opened last, so a project is never turned away while one is open.
            database_ = databaseOfTreeNode(main->tree()->currentItem());
            if (!database_ && !CBasicDatabase::openDatabases().empty())
                database_ = CBasicDatabase::openDatabases().back();
        }
    }
    if (database_ && database_->getKind() != project->getKind())
        database_ = newDatabaseFor(*project);
    if (!database_) {
        project.reset();
        warnNoDatabase();
        return nullptr;
    }
    if (database_->canAddProject(project.get()) != 0)
        return nullptr;

    if (findOpenProject(project->getName(), project.get(), database_)) {
        // Made unique among the database's projects, where it is going.
        project->setDatabase(database_);
        project->makeNameUnique();
        project->setDatabase(nullptr);
    }
    project->afterLoad();
    if (folder_) {
        project->setFileName(std::string());
        project->setFolder(*folder_);
        project->loadImages();
    }
    if (database_->addProject(project.get()) != 0)
        return nullptr;
    return project.release();
}

} // namespace

std::string ToFilePath(const QString &path_)
{
    return QFile::encodeName(path_).toStdString();
}

QString FromFilePath(const std::string &path_)
{
    return QFile::decodeName(QByteArray::fromStdString(path_));
}

CBasicProject *findOpenProject(const std::string &name_, const CBasicProject *exclude_,
                               const CBasicDatabase *database_)
{
    const auto &projects = CBasicProject::liveProjects();
    for (auto it = projects.rbegin(); it != projects.rend(); ++it) {
        CBasicProject *p = *it;
        if (p == exclude_ || (database_ && p->getDatabase() != database_))
            continue;
        if (sameTextIgnoringCase(p->getName(), name_))
            return p;
    }
    return nullptr;
}

int OpenProjectIntoDatabase(const QString &path_, CBasicDatabase *database_)
{
    return loadIntoDatabase(path_, database_, nullptr) ? 1 : 0;
}

void deleteAllProjects()
{
    while (!CBasicProject::liveProjects().empty())
        delete CBasicProject::liveProjects().back();
}

CBasicDatabase *databaseOfTreeNode(QTreeWidgetItem *node_)
{
    auto *node = static_cast<TTreeNode *>(node_);
    if (!node)
        return nullptr;
    if (node->database())
        return node->database();
    if (node->project())
        if (auto *parent = static_cast<TTreeNode *>(node->parent()))
            return parent->database();
    return nullptr;
}

void SetCutMark(TTreeNode *node_, bool cut_)
{
    if (!node_)
        return;
    if (cut_) {
        node_->setData(0, cutRole, true);
        node_->setForeground(0, QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
    } else {
        node_->setData(0, cutRole, QVariant());
        node_->setData(0, Qt::ForegroundRole, QVariant());
    }
}

bool HasCutMark(const QTreeWidgetItem *node_)
{
    return node_ && node_->data(0, cutRole).toBool();
}

TProjectDrag::TProjectDrag(CBasicProject *first_)
{
    liveDrags().push_back(this);
    addProject(first_);
    fromDatabase = first_ && first_->getDatabase();
}

TProjectDrag::~TProjectDrag()
{
    auto &drags = liveDrags();
    drags.erase(std::remove(drags.begin(), drags.end(), this), drags.end());
}

void TProjectDrag::addProject(CBasicProject *project_)
{
    if (!project_ || std::find(list.begin(), list.end(), project_) != list.end())
        return;
    if (groupVersion == 0)
        groupVersion = project_->getVersion();
    if (project_->getVersion() != groupVersion)
        return;
    list.push_back(project_);
}

void TProjectDrag::forget(CBasicProject *project_)
{
    list.erase(std::remove(list.begin(), list.end(), project_), list.end());
}

void TProjectDrag::projectGone(CBasicProject *project_)
{
    for (TProjectDrag *drag : liveDrags())
        drag->forget(project_);
}

void TProjectDrag::projectLeftDatabase(CBasicProject *project_)
{
    for (TProjectDrag *drag : liveDrags())
        if (!drag->moving)
            drag->forget(project_);
}

const char *TProjectDrag::mimeType()
{
    return "application/x-scorvista2001-project-drag";
}

QMimeData *TProjectDrag::createMimeData()
{
    auto *data = new QMimeData;
    data->setData(mimeType(), QByteArray::number(QCoreApplication::applicationPid()));
    return data;
}

bool TProjectDrag::isOwnMimeData(const QMimeData *data_)
{
    return data_ && data_->hasFormat(mimeType()) &&
           data_->data(mimeType()) == QByteArray::number(QCoreApplication::applicationPid());
}

void TProjectDrag::Finished(QTreeWidget *tree_, const QPoint &at_, bool accepted_)
{
    if (!accepted_ || list.empty())
        return;
    CBasicDatabase *target = targetDatabase;
    if (!target && tree_)
        target = databaseOfTreeNode(tree_->itemAt(at_));
    if (copyFlag == 1) {
        copyTo(target);
        return;
    }
    if (target)
        moveTo(target);
}

void TProjectDrag::Finished(CBasicDatabase *listDatabase_, bool accepted_)
{
    if (!accepted_ || list.empty())
        return;
    if (copyFlag == 1) {
        copyTo(targetDatabase ? targetDatabase : listDatabase_);
        return;
    }
    if (listDatabase_)
        moveTo(listDatabase_);
}

void TProjectDrag::copyTo(CBasicDatabase *target_)
{
    std::unique_ptr<TempFile> file;
    try {
        file = std::make_unique<TempFile>(tempPrefix(firstProject()->getKind()));
    } catch (const TempFileError &) {
        return;
    }
    // The list may lose projects while the copies load (a message box runs
    // the event loop); copies never join it.
    const std::vector<CBasicProject *> sources = list;
    const TThumbnailLoad load;
    for (CBasicProject *source : sources) {
        if (std::find(list.begin(), list.end(), source) == list.end())
            continue;
        const COutcome saved = source->save(file->path(), false, true);
        if (!saved.done()) {
            if (!saved.message.empty())
                AppMessage(fromCp1252(saved.message));
            continue;
        }
        const std::string folder = source->getFolder();
        loadIntoDatabase(FromFilePath(file->path()), target_, &folder);
    }
}

void TProjectDrag::moveTo(CBasicDatabase *target_)
{
    if (firstProject()->getDatabase() == target_)
        return;
    struct Moving {
        bool &flag;
        explicit Moving(bool &flag_) : flag(flag_) { flag = true; }
        ~Moving() { flag = false; }
    } guard(moving);
    const std::vector<CBasicProject *> projects = list;
    for (CBasicProject *project : projects) {
        if (std::find(list.begin(), list.end(), project) == list.end())
            continue;
        // Another kind would be taken out of its database and then refused.
        if (target_->canAddProject(project) != 0)
            continue;
        if (CBasicDatabase *from = project->getDatabase())
            from->removeProject(project);
        target_->addProject(project);
        SetCutMark(project->getTreeNode(), false);
    }
}
