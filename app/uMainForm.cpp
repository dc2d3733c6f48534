#include "uMainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShowEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "Cp1252.h"
#include "Menubar.h"
#include "MessageSink.h"
#include "Shell.h"
#include "Ucommoncalls.h"
#include "Uaskdatabase.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uDefaultFolder.h"
#include "uEntry.h"
#include "uFileTypes.h"
#include "uMDIForm.h"
#include "uPictures.h"
#include "uProjectLoad.h"
#include "uPlacement.h"
#include "uRecentFileList.h"
#include "uTreeNode.h"
#include "uexception.h"
#include "ufiles.h"

namespace {

TFMainForm *mainWindow = nullptr;
QString programDirectoryOverride;

// The result tree: drags of project nodes carry only a marker, and only
// those are taken here; dropped files go on to the main window.
class TResultTree : public QTreeWidget {
public:
    TResultTree(TFMainForm *owner_, QWidget *parent_) : QTreeWidget(parent_), owner(owner_) {}

protected:
    void startDrag(Qt::DropActions) override { owner->MainTreeStartDrag(); }
    void dragEnterEvent(QDragEnterEvent *event_) override
    {
        if (TProjectDrag::isOwnMimeData(event_->mimeData()))
            event_->acceptProposedAction();
        else
            event_->ignore();
    }
    void dragMoveEvent(QDragMoveEvent *event_) override
    {
        if (TProjectDrag::isOwnMimeData(event_->mimeData()) &&
            owner->MainTreeDragOver(event_->mimeData(), event_->position().toPoint()))
            event_->acceptProposedAction();
        else
            event_->ignore();
    }
    void dropEvent(QDropEvent *event_) override
    {
        if (owner->MainTreeDragDrop(event_->mimeData(), event_->position().toPoint()))
            event_->acceptProposedAction();
        else
            event_->ignore();
    }

private:
    TFMainForm *owner;
};

QStringList localFiles(const QMimeData *data_)
{
    QStringList files;
    if (!data_ || !data_->hasUrls())
        return files;
    for (const QUrl &url : data_->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << QDir::toNativeSeparators(url.toLocalFile());
    return files;
}

const char *const openFilter = "Scorvista2001 files (*.prp,*.prb)|*.prp;*.prb|Polyra2001 files (*.prp, *.prb)|*.prp;*.prb|"
                               "Project files (*.prp)|*.prp|Database files (*.prb)|*.prb|All files (*.*)|*.*";

} // namespace

TFMainForm *TFMainForm::instance()
{
    return mainWindow;
}

void TFMainForm::SetProgramDirectory(const QString &directory_)
{
    programDirectoryOverride = directory_;
}

TFMainForm::TFMainForm(QWidget *owner_) : TFBasicForm(owner_)
{
    mainWindow = this;
    SetProgramMainWindow(this);
    setObjectName("TFMainForm");
    setWindowFlags(Qt::Window);
    programDir = QDir::toNativeSeparators(programDirectoryOverride.isEmpty() ? QCoreApplication::applicationDirPath()
                                                                              : programDirectoryOverride);
    if (!programDir.endsWith(QDir::separator()))
        programDir += QDir::separator();
    resize(575, 524);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    layout->setMenuBar(MainMenu);
    Toolbar = new QToolBar(this);
    Toolbar->setObjectName("Toolbar");
    layout->addWidget(Toolbar);
    ToolMenu = new TMenuBar(this);
    ToolMenu->setObjectName("ToolMenu");
    ToolMenu->hide();
    layout->addWidget(ToolMenu);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    MainTree = new TResultTree(this, Splitter1);
    MainTree->setObjectName("MainTree");
    MainTree->setHeaderHidden(true);
    MainTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MainTree->setContextMenuPolicy(Qt::CustomContextMenu);
    MainTree->setDragEnabled(true);
    MainTree->setAcceptDrops(true);
    MainTree->viewport()->setAcceptDrops(true);
    MainTree->installEventFilter(this);
    mdi = new QMdiArea(Splitter1);
    mdi->setObjectName("MDIArea");
    mdi->setBackground(palette().brush(QPalette::Dark));
    Splitter1->addWidget(MainTree);
    Splitter1->addWidget(mdi);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({145, 430});
    layout->addWidget(Splitter1, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    auto *help = new QLabel("For Help, press F1", StatusBar);
    help->setMinimumWidth(100);
    StatusBar->addWidget(help, 1);
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(StatusBar);
        panel->setMinimumWidth(50);
        StatusBar->addPermanentWidget(panel);
    }
    layout->addWidget(StatusBar);

    buildActions();
    buildMenus();
    buildToolbar();
    buildPopup();
    ToolMenu->SetMenu(MainMenu);

    connect(MainTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item, int) { MainTreeClick(item); });
    connect(MainTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item, int) { MainTreeDblClick(item); });
    connect(MainTree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (QTreeWidgetItem *item = MainTree->itemAt(at))
            MainTree->setCurrentItem(item);
        TreePopupPopup();
        TreePopup->popup(MainTree->viewport()->mapToGlobal(at));
    });
    connect(MainTree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this](QWidget *, QAbstractItemDelegate::EndEditHint) {
        endRename(MainTree->currentItem());
    });

    ThumbPictures();
    referencesLoaded = LoadReferenceSets(programDir);
    FormCreate();
}

TFMainForm::~TFMainForm()
{
    FormDestroy();
    if (mainWindow == this)
        mainWindow = nullptr;
}

QAction *TFMainForm::addAction(const char *name_, const QString &caption_, const QKeySequence &shortcut_)
{
    auto *a = new QAction(caption_, this);
    a->setObjectName(name_);
    if (!shortcut_.isEmpty())
        a->setShortcut(shortcut_);
    return a;
}

QAction *TFMainForm::action(const char *name_) const
{
    return findChild<QAction *>(name_);
}

QMenu *TFMainForm::menu(const char *name_) const
{
    return findChild<QMenu *>(name_);
}

void TFMainForm::buildActions()
{
    connect(addAction("MNewDatabase", "&New", QKeySequence("Ctrl+N")), &QAction::triggered, this, &TFMainForm::MNewDatabaseClick);
    connect(addAction("MOpen", "&Open..", QKeySequence("Ctrl+O")), &QAction::triggered, this, &TFMainForm::MOpenClick);
    connect(addAction("MSave", "&Save", QKeySequence("Ctrl+S")), &QAction::triggered, this, &TFMainForm::MSaveClick);
    connect(addAction("MSaveAs", "Save &As.."), &QAction::triggered, this, &TFMainForm::MSaveAsClick);
    connect(addAction("MSaveAll", "Sa&ve All"), &QAction::triggered, this, &TFMainForm::MSaveAllClick);
    connect(addAction("MClose", "&Close"), &QAction::triggered, this, &TFMainForm::MCloseClick);
    connect(addAction("MCloseAll", "C&lose All"), &QAction::triggered, this, &TFMainForm::MCloseAllClick);
    addAction("RefreshFileInfo1", "Refresh File Info")->setVisible(false);
    connect(addAction("MPrintsettings", "Page Setup"), &QAction::triggered, this, &TFMainForm::MPrintsettingsClick);
    connect(addAction("MPrintPreview", "Print Pre&view"), &QAction::triggered, this, &TFMainForm::MPrintPreviewClick);
    connect(addAction("MPrint", "&Print"), &QAction::triggered, this, &TFMainForm::MPrintClick);
    connect(addAction("Mexit", "E&xit", QKeySequence("Alt+X")), &QAction::triggered, this, &TFMainForm::MexitClick);
    connect(addAction("MCut", "Cu&t", QKeySequence("Ctrl+X")), &QAction::triggered, this, &TFMainForm::MCutClick);
    connect(addAction("MCopy", "&Copy", QKeySequence("Ctrl+C")), &QAction::triggered, this, &TFMainForm::MCopyClick);
    connect(addAction("MPaste", "&Paste", QKeySequence("Ctrl+V")), &QAction::triggered, this, &TFMainForm::MPasteClick);
    QAction *del = addAction("MDelete", "&Delete", QKeySequence(Qt::Key_Delete));
    connect(del, &QAction::triggered, this, &TFMainForm::MDeleteClick);
    addAction("MSelectAll", "Se&lect All")->setVisible(false);
    for (auto [name, caption, slot] : {std::tuple{"MToolbar", "&Toolbar", &TFMainForm::MToolbarClick},
                                       {"MStatusbar", "&Status bar", &TFMainForm::MStatusbarClick},
                                       {"MResultTree", "&Result tree", &TFMainForm::MResultTreeClick}}) {
        QAction *a = addAction(name, caption);
        a->setCheckable(true);
        a->setChecked(true);
        connect(a, &QAction::triggered, this, slot);
    }
    auto *views = new QActionGroup(this);
    for (auto [name, caption] : {std::pair{"MLargeIcons", "Lar&ge Icons"}, {"MDetails", "&Details"}}) {
        QAction *a = addAction(name, caption);
        a->setCheckable(true);
        views->addAction(a);
    }
    connect(addAction("MShow", "Open"), &QAction::triggered, this, &TFMainForm::MShowClick);
    addAction("MSubmit", "Submit");
    connect(addAction("MHidden", "Hidden"), &QAction::triggered, this, &TFMainForm::MHiddenClick);
    action("MHidden")->setCheckable(true);
    addAction("GlobalCompare1", "&Online Scorvista");
    addAction("CorvalincomSettings1", "CorvalinSoft Settings")->setVisible(false);
    connect(addAction("NPolyraResults1", "Go to &CorvalinSoft"), &QAction::triggered, this, &TFMainForm::NPolyraResults1Click);
    addAction("Cascade1", "&Cascade");
    addAction("Tile1", "&Tile");
    addAction("Next1", "&Next");
    addAction("Previous1", "&Previous");
    addAction("ArrangeIcons1", "&Arrange Icons");
    connect(action("Cascade1"), &QAction::triggered, mdi, &QMdiArea::cascadeSubWindows);
    connect(action("Tile1"), &QAction::triggered, mdi, &QMdiArea::tileSubWindows);
    connect(action("Next1"), &QAction::triggered, mdi, &QMdiArea::activateNextSubWindow);
    connect(action("Previous1"), &QAction::triggered, mdi, &QMdiArea::activatePreviousSubWindow);
    connect(action("ArrangeIcons1"), &QAction::triggered, mdi, &QMdiArea::tileSubWindows);
    connect(addAction("Content1", "&Help topics", QKeySequence(Qt::Key_F1)), &QAction::triggered, this, &TFMainForm::Content1Click);
    connect(addAction("About1", "&About Scorvista2001"), &QAction::triggered, this, &TFMainForm::About1Click);

    // The popup's own items.
    connect(addAction("PShow", "Open"), &QAction::triggered, this, &TFMainForm::MShowClick);
    connect(addAction("PRename", "Rename", QKeySequence(Qt::Key_F2)), &QAction::triggered, this, &TFMainForm::PRenameClick);
    connect(addAction("PCut", "Cut"), &QAction::triggered, this, &TFMainForm::MCutClick);
    connect(addAction("PCopy", "Copy"), &QAction::triggered, this, &TFMainForm::MCopyClick);
    connect(addAction("PPaste", "Paste"), &QAction::triggered, this, &TFMainForm::MPasteClick);
    connect(addAction("PDelete", "Delete"), &QAction::triggered, this, &TFMainForm::MDeleteClick);
    connect(addAction("PHidden", "Hidden"), &QAction::triggered, this, &TFMainForm::MHiddenClick);
    action("PHidden")->setCheckable(true);
    connect(addAction("PPrint", "Print"), &QAction::triggered, this, &TFMainForm::MPrintClick);
    connect(addAction("PrintPreview1", "Print Preview"), &QAction::triggered, this, &TFMainForm::MPrintPreviewClick);
    connect(addAction("PDetails", "Details"), &QAction::triggered, this, &TFMainForm::PDetailsClick);
    connect(addAction("PSystemInfo", "System Info"), &QAction::triggered, this, &TFMainForm::PSystemInfoClick);
    connect(addAction("PProperties", "Properties"), &QAction::triggered, this, &TFMainForm::PPropertiesClick);
    addAction("PSubmit", "Online Scorvista");
    // Shortcuts of the menu work while the window is active.
    for (QAction *a : findChildren<QAction *>())
        QWidget::addAction(a);
    deleteShortcut = del->shortcut();
}

void TFMainForm::buildMenus()
{
    auto addMenu = [this](const char *name, const QString &caption, std::initializer_list<const char *> items) {
        QMenu *m = MainMenu->addMenu(caption);
        m->setObjectName(name);
        for (const char *item : items) {
            if (item[0] == '-') {
                QAction *separator = m->addSeparator();
                separator->setObjectName(item + 1);
            } else {
                m->addAction(action(item));
            }
        }
        return m;
    };
    QMenu *file = addMenu("File1", "&File",
                          {"MNewDatabase", "MOpen", "MSave", "MSaveAs", "MSaveAll", "MClose", "MCloseAll", "-N1",
                           "RefreshFileInfo1", "MPrintsettings", "MPrintPreview", "MPrint", "-N2", "-N4", "Mexit"});
    connect(file, &QMenu::aboutToShow, this, &TFMainForm::File1Click);
    for (auto [name, caption, items] :
         {std::tuple{"Edit1", "&Edit", std::vector<const char *>{"MCut", "MCopy", "MPaste", "MDelete", "MSelectAll"}},
          {"View1", "&View", std::vector<const char *>{"MToolbar", "MStatusbar", "MResultTree", "-N5", "MLargeIcons", "MDetails"}},
          {"Project1", "&Project", std::vector<const char *>{"MShow", "MSubmit", "MHidden"}}}) {
        QMenu *m = MainMenu->addMenu(caption);
        m->setObjectName(name);
        for (const char *item : items) {
            if (item[0] == '-')
                m->addSeparator()->setObjectName(item + 1);
            else
                m->addAction(action(item));
        }
        connect(m, &QMenu::aboutToShow, this, &TFMainForm::MViewClick);
    }
    menu("Project1")->menuAction()->setVisible(false);
    addMenu("CorvalinSoft1", "&CorvalinSoft", {"GlobalCompare1", "CorvalincomSettings1", "NPolyraResults1"});
    QMenu *window = addMenu("MWindow", "&Window", {"Cascade1", "Tile1", "Next1", "Previous1", "ArrangeIcons1"});
    (void)window;
    addMenu("Help1", "&Help", {"Content1", "About1"});
}

void TFMainForm::buildToolbar()
{
    auto button = [this](const char *name, const QString &caption, const char *command) {
        auto *a = new QAction(caption, this);
        a->setObjectName(name);
        QAction *target = action(command);
        connect(a, &QAction::triggered, this, [this, target] {
            // The toolbar runs the selection rule itself before the command.
            BuildSelection(true);
            target->trigger();
        });
        Toolbar->addAction(a);
    };
    button("ToolButton1", "New Database", "MNewDatabase");
    button("ToolButton2", "Open", "MOpen");
    button("ToolButton5", "Save", "MSave");
    Toolbar->addSeparator();
    button("ToolButton7", "Cut", "MCut");
    button("ToolButton8", "Copy", "MCopy");
    button("ToolButton9", "Paste", "MPaste");
    button("ToolButton4", "Delete", "MDelete");
    Toolbar->addSeparator();
    button("ToolButton11", "Print Preview", "MPrintPreview");
    button("ToolButton12", "Print", "MPrint");
    Toolbar->addSeparator();
    button("Bonline", "Online Scorvista", "GlobalCompare1");
    findChild<QAction *>("Bonline")->setToolTip("Compare selected project globally");
}

void TFMainForm::buildPopup()
{
    TreePopup = new QMenu(this);
    TreePopup->setObjectName("TreePopup");
    for (const char *name : {"PShow", "PRename", "-", "PCut", "PCopy", "PPaste", "PDelete", "-", "PHidden", "-",
                             "PPrint", "PrintPreview1", "-", "PDetails", "PSystemInfo", "PProperties", "-", "PSubmit"}) {
        if (name[0] == '-')
            TreePopup->addSeparator();
        else
            TreePopup->addAction(action(name));
    }
}

void TFMainForm::FormCreate()
{
    LoadSystemInfoLibrary();
    RegisterFileTypes();
    LoadFormPlacement(this, "MainWindow");
    if (!openByPath)
        openByPath = [this](const QString &path) { OpenFileByPath(*this, path); };
    recent = std::make_unique<TRecentFileList>([this](const QString &path) {
        if (openByPath)
            openByPath(path);
    });
    programCatalogue();
    pending = std::make_unique<TPendingFiles>(this, [this](const QString &path_, bool, bool) {
        return OpenFileByPath(*this, path_);
    });
    OpenDialogFilter = openFilter;

    MainTree->clear();
    root = new TTreeNode("Scorvista2001 SE");
    MainTree->addTopLevelItem(root);
    databases = new TTreeNode("Polyra2001 Databases");
    root->addChild(databases);
    setWindowTitle("Scorvista2001 SE");
    MainTree->expandAll();

    recent->AttachMenu(findChild<QAction *>("N2"));
    bool ok = false;
    const int width = extraPlacement().toInt(&ok);
    if (ok)
        Splitter1->setSizes({width, std::max(1, this->width() - width)});
    if (!referencesLoaded)
        AppMessage(QStringLiteral("Some of the Quality Tests Reference Images Didn't Load"));
    setAcceptDrops(true);
}

void TFMainForm::FormDestroy()
{
    if (destroyed)
        return;
    destroyed = true;
    CBasicDatabase::deleteAll();
    deleteAllProjects();
    pending.reset();
    recent.reset();
    selected.clear();
    held.reset();
    dragging.reset();
    dropped.clear();
    if (MainTree->isVisible() || MainTree->isVisibleTo(this))
        setExtraPlacement(QString::number(Splitter1->sizes().value(0)));
    SaveFormPlacement(this, "MainWindow");
    FreeReferenceSets();
}

void TFMainForm::showEvent(QShowEvent *event_)
{
    TFBasicForm::showEvent(event_);
    if (!event_->spontaneous())
        FormShow();
}

void TFMainForm::FormShow()
{
    if (pending)
        pending->openStartupFile(!mdi->subWindowList().isEmpty());
}

void TFMainForm::closeEvent(QCloseEvent *event_)
{
    // Every child is asked first; one that refuses keeps the program open.
    for (QMdiSubWindow *child : mdi->subWindowList())
        if (!child->close()) {
            event_->ignore();
            return;
        }
    event_->accept();
}

TTreeNode *TFMainForm::AddDatabaseNode(CBasicDatabase *database_)
{
    auto *node = new TTreeNode(fromCp1252(database_->getName()));
    node->setDatabase(database_);
    node->setStateImage(TTreeNode::DatabaseImage);
    if (database_->getKind() == 1) {
        databases->addChild(node);
        databases->setExpanded(true);
    } else {
        MainTree->addTopLevelItem(node);
    }
    return node;
}

TTreeNode *TFMainForm::AddProjectNode(CBasicProject *project_, CBasicDatabase *database_)
{
    if (!database_ || !database_->getTreeNode())
        return nullptr;
    auto *parent = static_cast<TTreeNode *>(database_->getTreeNode());
    auto *node = new TTreeNode(fromCp1252(project_->getName()));
    node->setProject(project_);
    node->setStateImage(project_->isHidden() ? TTreeNode::HiddenImage : TTreeNode::ProjectImage);
    parent->addChild(node);
    parent->setExpanded(true);
    MainTree->setCurrentItem(node);
    return node;
}

void TFMainForm::RebuildDatabaseNode(CBasicDatabase *database_)
{
    auto *parent = static_cast<TTreeNode *>(database_->getTreeNode());
    if (!parent)
        return;
    // Take the project nodes out and put them back in the database's order.
    std::vector<TTreeNode *> nodes;
    while (parent->childCount() > 0)
        nodes.push_back(static_cast<TTreeNode *>(parent->takeChild(0)));
    for (int i = 0; i < database_->getProjectCount(); ++i) {
        CBasicProject *p = database_->getProject(i);
        auto it = std::find_if(nodes.begin(), nodes.end(), [p](TTreeNode *n) { return n->project() == p; });
        TTreeNode *node = it != nodes.end() ? *it : nullptr;
        if (node)
            nodes.erase(it);
        else {
            node = new TTreeNode(fromCp1252(p->getName()));
            node->setProject(p);
            p->setTreeNode(node);
        }
        node->setText(0, fromCp1252(p->getName()));
        node->setStateImage(p->isHidden() ? TTreeNode::HiddenImage : TTreeNode::ProjectImage);
        parent->addChild(node);
    }
    for (TTreeNode *stale : nodes)
        delete stale;
}

TTreeNode *TFMainForm::selectedNode() const
{
    return static_cast<TTreeNode *>(MainTree->currentItem());
}

void TFMainForm::BuildSelectionFromTree()
{
    selected.clear();
    if (editingLabel)
        return;
    TTreeNode *node = selectedNode();
    if (!node || !node->hasData())
        return;
    if (node->database()) {
        kind = DatabaseSelection;
        selected.push_back(node->database());
    } else {
        kind = ProjectSelection;
        selected.push_back(node->project());
    }
}

void TFMainForm::BuildSelection(bool forced_)
{
    selected.clear();
    QWidget *focus = QApplication::focusWidget();
    if (!forced_ && focus != MainTree)
        return;
    BuildSelectionFromTree();
}

bool TFMainForm::clipboardHoldsProjects() const
{
    return ClipboardHoldsProjects();
}

void TFMainForm::File1Click()
{
    BuildSelection();
    QMenu *file = menu("File1");
    const QList<QAction *> items = file->actions();
    const qsizetype n2 = items.indexOf(findChild<QAction *>("N2"));
    const qsizetype n4 = items.indexOf(findChild<QAction *>("N4"));
    findChild<QAction *>("N4")->setVisible(n4 - n2 > 1);
    const bool children = !mdi->subWindowList().isEmpty();
    for (const char *name : {"MSave", "MSaveAs", "MSaveAll", "MClose", "MCloseAll"})
        action(name)->setEnabled(children);
    const bool projects = !selected.empty() && kind == ProjectSelection;
    action("MPrint")->setEnabled(projects);
    action("MPrintPreview")->setEnabled(projects);
}

void TFMainForm::MViewClick()
{
    action("MToolbar")->setChecked(Toolbar->isVisibleTo(this));
    action("MStatusbar")->setChecked(StatusBar->isVisibleTo(this));
    action("MResultTree")->setChecked(MainTree->isVisibleTo(this));
    action("MDelete")->setShortcut(QApplication::focusWidget() == MainTree ? deleteShortcut : QKeySequence());
    for (const char *name : {"MShow", "MCut", "MCopy", "MPaste", "MDelete", "MSubmit", "MLargeIcons", "MDetails"})
        action(name)->setEnabled(false);
    BuildSelection();
    if (clipboardHoldsProjects())
        action("MPaste")->setEnabled(true);
    if (editingLabel && lastTreeKey == 0)
        for (const char *name : {"MCut", "MCopy", "MPaste", "MDelete"})
            action(name)->setEnabled(true);
    if (!selected.empty()) {
        action("MCopy")->setEnabled(true);
        action("MDelete")->setEnabled(kind == ProjectSelection || kind == DatabaseSelection);
        for (const char *name : {"MCut", "MSubmit", "MShow"})
            action(name)->setEnabled(kind == ProjectSelection);
    }
    bool anyHidden = false;
    if (kind == ProjectSelection)
        for (void *p : selected)
            anyHidden = anyHidden || static_cast<CBasicProject *>(p)->isHidden();
    action("MHidden")->setEnabled(!selected.empty() && kind == ProjectSelection);
    action("MHidden")->setChecked(anyHidden);
}

void TFMainForm::TreePopupPopup()
{
    BuildSelectionFromTree();
    for (QAction *a : TreePopup->actions())
        if (!a->isSeparator())
            a->setEnabled(a == action("PrintPreview1"));
    action("PHidden")->setChecked(false);
    TTreeNode *node = selectedNode();
    if (selected.empty() || !node || !node->hasData())
        return;
    if (node->database()) {
        for (const char *name : {"PDelete", "PShow", "PRename"})
            action(name)->setEnabled(true);
        action("PPaste")->setEnabled(clipboardHoldsProjects());
        return;
    }
    bool anyHidden = false;
    for (void *p : selected)
        anyHidden = anyHidden || static_cast<CBasicProject *>(p)->isHidden();
    action("PHidden")->setEnabled(true);
    action("PHidden")->setChecked(anyHidden);
    for (const char *name : {"PRename", "PCut", "PCopy", "PPaste", "PDelete", "PPrint", "PShow", "PDetails",
                             "PSystemInfo", "PProperties"})
        action(name)->setEnabled(true);
    action("PSubmit")->setEnabled(selected.size() == 1);
}

void TFMainForm::MNewDatabaseClick()
{
    NewDatabase();
}

void TFMainForm::MCloseClick()
{
    if (QMdiSubWindow *child = mdi->activeSubWindow())
        child->close();
}

void TFMainForm::MCloseAllClick()
{
    const QList<QMdiSubWindow *> children = mdi->subWindowList();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        (*it)->close();
}

void TFMainForm::MPrintsettingsClick()
{
    if (!CheckPrinters())
        return;
    // The printer set-up: the print dialog's own choice of printer and paper.
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.exec();
}

void TFMainForm::MPrintPreviewClick()
{
    printDispatch(1);
}

void TFMainForm::MPrintClick()
{
    printDispatch(0);
}

void TFMainForm::printDispatch(int mode_)
{
    QWidget *focus = QApplication::focusWidget();
    if (!CheckPrinters())
        return;
    BuildSelection(true);
    // A database has no report: refuse it here rather than after a dialog.
    if (selected.empty() || kind != ProjectSelection) {
        ShowMessage("No Project or Database selected.\nPlease select a Project or Database from the Result Tree on the left.");
        MainTree->setVisible(true);
        return;
    }
    if (mode_ == 0) {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    const std::vector<void *> targets = selected;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        static_cast<CBasicProject *>(targets[i])->print(mode_ == 1);
        if (mode_ == 1)
            break;
    }
    if (focus)
        focus->setFocus();
}

void TFMainForm::MexitClick()
{
    close();
}

void TFMainForm::MDeleteClick()
{
    if (editingLabel)
        return;
    BuildSelection(true);
    const std::vector<void *> targets = selected;
    const int targetKind = kind;
    bool all = false;
    for (void *target : targets) {
        const bool isProject = targetKind == ProjectSelection;
        const std::string name = isProject ? static_cast<CBasicProject *>(target)->getName()
                                           : static_cast<CBasicDatabase *>(target)->getName();
        if (!all) {
            const QString question = QString(isProject ? "Delete Project : " : "Delete Database : ") + "\"" +
                                     fromCp1252(name) + "\" ?";
            const MessageAnswer answer = askYesNoCancelAll(question);
            if (answer == MessageAnswer::Cancel)
                break;
            if (answer == MessageAnswer::No)
                continue;
            all = answer == MessageAnswer::All;
        }
        if (isProject)
            delete static_cast<CBasicProject *>(target);
        else
            delete static_cast<CBasicDatabase *>(target);
    }
    MainTree->setFocus();
    selected.clear();
}

void TFMainForm::MToolbarClick()
{
    Toolbar->setVisible(!Toolbar->isVisibleTo(this));
}

void TFMainForm::MStatusbarClick()
{
    StatusBar->setVisible(!StatusBar->isVisibleTo(this));
}

void TFMainForm::MResultTreeClick()
{
    MainTree->setVisible(!MainTree->isVisibleTo(this));
}

void TFMainForm::MShowClick()
{
    BuildSelectionFromTree();
    if (selected.empty())
        return;
    if (kind == DatabaseSelection)
        static_cast<CBasicDatabase *>(selected.front())->showWindow();
    else
        static_cast<CBasicProject *>(selected.front())->showWindow();
}

void TFMainForm::MHiddenClick()
{
    BuildSelectionFromTree();
    if (selected.empty() || kind != ProjectSelection)
        return;
    QAction *item = qobject_cast<QAction *>(sender());
    bool hide = true;
    for (void *p : selected)
        if (static_cast<CBasicProject *>(p)->isHidden())
            hide = false;
    if (item && item->isCheckable())
        hide = item->isChecked();
    // Every database whose projects changed is told, not only the first.
    std::vector<CBasicDatabase *> touched;
    for (void *p : selected) {
        auto *project = static_cast<CBasicProject *>(p);
        project->setHidden(hide);
        if (CBasicDatabase *db = project->getDatabase(); db && std::find(touched.begin(), touched.end(), db) == touched.end())
            touched.push_back(db);
    }
    for (CBasicDatabase *db : touched)
        db->changed();
}

void TFMainForm::NPolyraResults1Click()
{
    OpenUrl("https://www.corvalinsoft.example/");
}

void TFMainForm::Content1Click()
{
    const QString file = programDir + "Help" + QDir::separator() + "Scorvista2001.htm";
    const ShellResult result = shellOpenFile(file);
    if (!result.ok)
        ShowMessage(QString("Error opening Help-file. (%1)").arg(result.errorCode));
}

void TFMainForm::About1Click()
{
}

void TFMainForm::PDetailsClick()
{
    BuildSelectionFromTree();
    if (!selected.empty() && kind == ProjectSelection)
        static_cast<CBasicProject *>(selected.front())->showDetailsOnline();
}

void TFMainForm::PSystemInfoClick()
{
    BuildSelectionFromTree();
    if (!selected.empty() && kind == ProjectSelection)
        static_cast<CBasicProject *>(selected.front())->showSystemInfo();
}

void TFMainForm::PPropertiesClick()
{
    BuildSelectionFromTree();
    if (!selected.empty() && kind == ProjectSelection)
        static_cast<CBasicProject *>(selected.front())->showWindow();
}

void TFMainForm::PRenameClick()
{
    TTreeNode *node = selectedNode();
    if (!node || !node->hasData())
        return;
    editingLabel = true;
    action("MDelete")->setShortcut(QKeySequence());
    action("PDelete")->setEnabled(false);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    MainTree->editItem(node, 0);
}

void TFMainForm::endRename(QTreeWidgetItem *item_)
{
    if (!editingLabel)
        return;
    editingLabel = false;
    auto *node = static_cast<TTreeNode *>(item_);
    if (node) {
        node->setFlags(node->flags() & ~Qt::ItemIsEditable);
        const QString text = node->text(0).trimmed();
        if (CBasicProject *p = node->project()) {
            if (text.isEmpty())
                node->setText(0, fromCp1252(p->getName()));
            else
                p->rename(toCp1252(text), node);
        } else if (CBasicDatabase *db = node->database()) {
            // An empty name cancels; a name another open database has is made unique.
            if (!text.isEmpty()) {
                db->rename(toCp1252(text), nullptr);
                db->makeNameUnique();
                db->updateViews(nullptr);
            }
            node->setText(0, fromCp1252(db->getName()));
        }
    }
    action("PDelete")->setEnabled(true);
    action("MDelete")->setEnabled(false);
    action("MDelete")->setShortcut(deleteShortcut);
}

void TFMainForm::MainTreeClick(QTreeWidgetItem *item_)
{
    auto *node = static_cast<TTreeNode *>(item_);
    if (!node)
        return;
    if (CBasicDatabase *db = node->database())
        db->showWindow();
    else if (CBasicProject *p = node->project(); p && p->getDatabase())
        p->getDatabase()->showWindow();
    MainTree->setFocus();
}

void TFMainForm::MainTreeDblClick(QTreeWidgetItem *item_)
{
    auto *node = static_cast<TTreeNode *>(item_);
    if (!node)
        return;
    if (CBasicDatabase *db = node->database())
        db->showWindow();
    else if (CBasicProject *p = node->project())
        p->showWindow();
}

bool TFMainForm::eventFilter(QObject *watched_, QEvent *event_)
{
    if (watched_ == MainTree) {
        if (event_->type() == QEvent::KeyPress) {
            lastTreeKey = static_cast<QKeyEvent *>(event_)->key();
        } else if (event_->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent *>(event_)->key();
            if (key == Qt::Key_F2 && !editingLabel) {
                PRenameClick();
                return true;
            }
            if (key == Qt::Key_Delete && !editingLabel && action("MDelete")->isEnabled()) {
                MDeleteClick();
                return true;
            }
        }
    }
    return TFBasicForm::eventFilter(watched_, event_);
}

bool TFMainForm::HandleException(const QString &message_, bool accessViolation_)
{
    return ShowExceptionDialog(message_, accessViolation_);
}

QWidget *TFMainForm::activeChild() const
{
    QMdiSubWindow *child = mdi->currentSubWindow();
    return child ? child->widget() : nullptr;
}

CBasicDatabase *TFMainForm::activeChildDatabase() const
{
    auto *form = qobject_cast<TFDataViewForm *>(activeChild());
    return form ? form->GetDatabase() : nullptr;
}

void TFMainForm::setHeldTransfer(std::unique_ptr<TProjectDrag> drag_)
{
    if (held)
        for (CBasicProject *p : held->projects())
            SetCutMark(p->getTreeNode(), false);
    held = std::move(drag_);
}

void TFMainForm::ForgetProject(CBasicProject *project_)
{
    selected.erase(std::remove(selected.begin(), selected.end(), static_cast<void *>(project_)), selected.end());
}

void TFMainForm::MOpenClick()
{
    OpenFiles(*this);
}

void TFMainForm::MSaveClick()
{
    SaveDatabase(*this, false, nullptr);
}

void TFMainForm::MSaveAsClick()
{
    SaveDatabase(*this, true, nullptr);
}

void TFMainForm::MSaveAllClick()
{
    SaveAllDatabases(*this);
}

void TFMainForm::MCutClick()
{
    ::MCutClick(*this);
}

void TFMainForm::MCopyClick()
{
    ::MCopyClick(*this);
}

void TFMainForm::MPasteClick()
{
    ::MPasteClick(*this);
}

QMimeData *TFMainForm::BeginTreeDrag(CBasicProject *project_)
{
    dragging = std::make_unique<TProjectDrag>(project_);
    return TProjectDrag::createMimeData();
}

void TFMainForm::EndTreeDrag()
{
    dragging.reset();
}

void TFMainForm::MainTreeStartDrag()
{
    TTreeNode *node = selectedNode();
    if (!node || !node->project() || editingLabel)
        return;
    auto *drag = new QDrag(MainTree);
    drag->setMimeData(BeginTreeDrag(node->project()));
    drag->exec(Qt::MoveAction);
    EndTreeDrag();
}

bool TFMainForm::MainTreeDragOver(const QMimeData *data_, const QPoint &at_) const
{
    if (!dragging || !dragging->firstProject() || !TProjectDrag::isOwnMimeData(data_))
        return false;
    auto *node = static_cast<TTreeNode *>(MainTree->itemAt(at_));
    if (!node || !node->hasData())
        return false;
    CBasicDatabase *database = databaseOfTreeNode(node);
    if (!database)
        return false;
    const int answer = database->canAddProject(dragging->firstProject());
    return answer == 0 || answer == 1;
}

bool TFMainForm::MainTreeDragDrop(const QMimeData *data_, const QPoint &at_)
{
    if (!dragging || !TProjectDrag::isOwnMimeData(data_))
        return false;
    const bool accepted = MainTreeDragOver(data_, at_);
    dragging->Finished(MainTree, at_, accepted);
    return accepted;
}

void TFMainForm::dragEnterEvent(QDragEnterEvent *event_)
{
    // Dropped files only: a project drag over the window itself is refused.
    if (!localFiles(event_->mimeData()).isEmpty())
        event_->acceptProposedAction();
    else
        event_->ignore();
}

void TFMainForm::dragMoveEvent(QDragMoveEvent *event_)
{
    if (!localFiles(event_->mimeData()).isEmpty())
        event_->acceptProposedAction();
    else
        event_->ignore();
}

void TFMainForm::dropEvent(QDropEvent *event_)
{
    const QStringList files = localFiles(event_->mimeData());
    if (files.isEmpty()) {
        event_->ignore();
        return;
    }
    event_->acceptProposedAction();
    // Opened after the drop returns, so the dragging program is not kept
    // waiting on message boxes.
    dropped << files;
    QMetaObject::invokeMethod(this, &TFMainForm::OpenDroppedFiles, Qt::QueuedConnection);
}

void TFMainForm::OpenDroppedFiles()
{
    // A message box of one file may let further drops in: this loop takes them.
    if (openingDropped)
        return;
    openingDropped = true;
    while (!dropped.isEmpty()) {
        const QString file = dropped.takeFirst();
        bool stop = false;
        OpenFileReported(*this, file, stop);
        if (stop)
            dropped.clear();
    }
    openingDropped = false;
}
