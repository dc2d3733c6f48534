#ifndef APP_UMAINFORM_H
#define APP_UMAINFORM_H

#include <QKeySequence>
#include <QPointer>
#include <functional>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "Advform.h"

class QAction;
class QMimeData;
class QLabel;
class QMdiArea;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class CBasicDatabase;
class CBasicProject;
class TImpStringGrid;
class TMenuBar;
class TPendingFiles;
class TProjectDrag;
class TRecentFileList;
class TTreeNode;

// The program's MDI main window: the result tree, menus, toolbar and the
// commands that act on what is selected in the tree.
class TFMainForm : public TFBasicForm {
    Q_OBJECT
public:
    enum SelectionKind { NoSelection = 0, ProjectSelection = 1, DatabaseSelection = 2 };

    explicit TFMainForm(QWidget *owner_ = nullptr);
    ~TFMainForm() override;

    // The one main window, or null.
    static TFMainForm *instance();
    // Tests: the program directory the next main windows take (empty: the
    // folder of the program file).
    static void SetProgramDirectory(const QString &directory_);

    TTreeNode *AddDatabaseNode(CBasicDatabase *database_);
    TTreeNode *AddProjectNode(CBasicProject *project_, CBasicDatabase *database_);
    // Rebuilds a database node's children from its projects.
    void RebuildDatabaseNode(CBasicDatabase *database_);

    QTreeWidget *tree() const { return MainTree; }
    QMdiArea *mdiArea() const { return mdi; }
    TTreeNode *rootNode() const { return root; }
    TTreeNode *databasesNode() const { return databases; }
    QString programDirectory() const { return programDir; }
    TRecentFileList *recentFiles() const { return recent.get(); }

    // How a command was given: the menu and its shortcuts and the popup run
    // the selection rule, the toolbar runs it forced.
    enum class CommandRoad { Menu, Toolbar, Popup };

    // The selection rule: what a command acts on.
    void BuildSelection(bool forced_ = false);
    // The window's active control: the widget that had the focus last, a
    // menu or the menu bar never counting.
    QWidget *activeControl() const;
    // The database window's grid that has the focus, if any.
    TImpStringGrid *activeGrid() const;
    // The selection and every command's state, as a command given now would
    // find them (run on every change of focus, tree node, clipboard, child
    // window or label edit, and after every command).
    void RefreshCommandStates();
    // The program became active again.
    void ApplicationActivated();
    // The second form: only the tree's selected node, no focus test.
    void BuildSelectionFromTree();
    const std::vector<void *> &selection() const { return selected; }
    int selectionKind() const { return kind; }

    // The application-wide handler: true when the program is to end.
    bool HandleException(const QString &message_, bool accessViolation_);

    // Every action of the menus, toolbar and popup, by its name.
    QAction *action(const char *name_) const;
    QMenu *menu(const char *name_) const;
    QMenu *treePopup() const { return TreePopup; }

    // Opens a path from the recent list, the command line or a drop; the
    // opening of files itself comes with the file commands.
    std::function<void(const QString &)> openByPath;
    // The open dialog's filters, "text|pattern|..." with the first selected.
    QString OpenDialogFilter;

    // The active MDI child's form (the last active one while the program is
    // in the background), or null; the database it shows when it is a
    // database window (TFDataViewForm::GetDatabase), else null.
    QWidget *activeChild() const;
    CBasicDatabase *activeChildDatabase() const;

    // Both reference-image sets loaded completely at construction.
    bool referenceImagesLoaded() const { return referencesLoaded; }

    // The transfer object of Copy and Cut; replacing it takes the cut marks
    // of the old one's projects away.
    TProjectDrag *heldTransfer() const { return held.get(); }
    void setHeldTransfer(std::unique_ptr<TProjectDrag> drag_);

    // A drag of a project node: the transfer object lives here while the
    // drag carries only a marker of it.
    void MainTreeStartDrag();
    QMimeData *BeginTreeDrag(CBasicProject *project_);
    void EndTreeDrag();
    TProjectDrag *treeDrag() const { return dragging.get(); }
    // at_ in the tree's viewport; true when the drop would be accepted.
    bool MainTreeDragOver(const QMimeData *data_, const QPoint &at_) const;
    bool MainTreeDragDrop(const QMimeData *data_, const QPoint &at_);

    // Dropped files waiting to be opened after their drop event.
    QStringList droppedFiles() const { return dropped; }

    // A project that went away or left its database leaves the selection.
    void ForgetProject(CBasicProject *project_);

    TPendingFiles *pendingFiles() const { return pending.get(); }

public slots:
    void FormCreate();
    void FormShow();
    void MOpenClick();
    void MSaveClick();
    void MSaveAsClick();
    void MSaveAllClick();
    void MCutClick();
    void MCopyClick();
    void MPasteClick();
    void OpenDroppedFiles();
    void File1Click();
    void MViewClick();
    void TreePopupPopup();
    void MNewDatabaseClick();
    void MCloseClick();
    void MCloseAllClick();
    void MPrintsettingsClick();
    void MPrintPreviewClick();
    void MPrintClick();
    void MexitClick();
    void MDeleteClick();
    void MToolbarClick();
    void MStatusbarClick();
    void MResultTreeClick();
    void MShowClick();
    void MLargeIconsClick();
    void MDetailsClick();
    void MHiddenClick();
    void NPolyraResults1Click();
    void Cascade1Click();
    void Content1Click();
    void About1Click();
    void MSubmitClick();
    void CorvalincomSettings1Click();
    void PDetailsClick();
    void PSystemInfoClick();
    void PPropertiesClick();
    void PRenameClick();
    void MainTreeClick(QTreeWidgetItem *item_);
    void MainTreeDblClick(QTreeWidgetItem *item_);
    void MWindowClick();

protected:
    void showEvent(QShowEvent *event_) override;
    void closeEvent(QCloseEvent *event_) override;
    void dragEnterEvent(QDragEnterEvent *event_) override;
    void dragMoveEvent(QDragMoveEvent *event_) override;
    void dropEvent(QDropEvent *event_) override;
    bool eventFilter(QObject *watched_, QEvent *event_) override;
    bool closesOnEscape() const override { return false; }

private:
    void buildActions();
    void buildMenus();
    void buildToolbar();
    void buildPopup();
    QAction *addAction(const char *name_, const QString &caption_, const QKeySequence &shortcut_ = QKeySequence());
    void printDispatch(int mode_);
    void runCommand(CommandRoad road_, void (TFMainForm::*command_)());
    void connectCommand(const char *name_, void (TFMainForm::*command_)(), CommandRoad road_ = CommandRoad::Menu);
    void updateCommandStates();
    void updatePopupStates();
    void scheduleStateRefresh();
    void endRename(QTreeWidgetItem *item_);
public:
    // The end of a label edit in the tree: renames the node's object.
    void MainTreeEdited(QTreeWidgetItem *item_) { endRename(item_); }

private:
    bool clipboardHoldsProjects() const;
    void FormDestroy();
    TTreeNode *selectedNode() const;

    QString programDir;
    QMenuBar *MainMenu = nullptr;
    QToolBar *Toolbar = nullptr;
    TMenuBar *ToolMenu = nullptr;
    QTreeWidget *MainTree = nullptr;
    QSplitter *Splitter1 = nullptr;
    QMdiArea *mdi = nullptr;
    QStatusBar *StatusBar = nullptr;
    QMenu *TreePopup = nullptr;
    TTreeNode *root = nullptr;
    TTreeNode *databases = nullptr;
    std::unique_ptr<TRecentFileList> recent;
    std::unique_ptr<TPendingFiles> pending;
    std::vector<void *> selected;
    int kind = NoSelection;
    int lastTreeKey = 0;
    QKeySequence deleteShortcut;
    bool editingLabel = false;
    bool destroyed = false;
    bool referencesLoaded = false;
    std::unique_ptr<TProjectDrag> held;
    std::unique_ptr<TProjectDrag> dragging;
    QStringList dropped;
    bool openingDropped = false;
    QPointer<QWidget> lastFocus;
    bool clipboardMarker = false;
    // The project whose node a database load selects when it is done.
    CBasicProject *pendingCurrentProject = nullptr;
    int runningCommands = 0;
    bool refreshScheduled = false;
    QList<QAction *> windowItems;
    QMetaObject::Connection activationHandler;
    QList<QMetaObject::Connection> stateSources;
};

#endif
