#include "uMainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>
#include <QFontMetrics>
#include <QCloseEvent>
#include <QContextMenuEvent>
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
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "Cp1252.h"
#include "Menubar.h"
#include "MessageSink.h"
#include "Shell.h"
#include "Ucommoncalls.h"
#include "Uaskdatabase.h"
#include "impstringgrid.h"
#include "resulttable.h"
#include "databasewindow.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "defaultfolder.h"
#include "entry.h"
#include "filetypes.h"
#include "uMDIForm.h"
#include "projectimages.h"
#include "projectload.h"
#include "placement.h"
#include "recentfilelist.h"
#include "treenode.h"
#include "uexception.h"
#include "ufiles.h"
#include "printersetup.h"
#include "programprinter.h"
#include "submission.h"
#include "aboutbox.h"
#include "modalforms.h"
#include "toolbaricons.h"
#include "picturefile.h"
#include "pictureuse.h"

namespace {

TFMainForm *mainWindow = nullptr;
QString programDirectoryOverride;

// The result tree: drags of project nodes carry only a marker, and only
// those are taken here; dropped files go on to the main window.
class TResultTree : public QTreeWidget {
public:
    TResultTree(TFMainForm *owner_, QWidget *parent_) : QTreeWidget(parent_), owner(owner_) { showLook(); }

    // The commands see the tree's selection only while the tree is the
    // control they act from; otherwise it is drawn as an unfocused list
    // draws its selection, so what looks selected is what they use.
    void showCommandFocus(bool has_)
    {
        if (has_ == commandFocus)
            return;
        commandFocus = has_;
        showLook();
    }

protected:
    void changeEvent(QEvent *event_) override
    {
        if (event_->type() == QEvent::ApplicationPaletteChange && !commandFocus)
            showLook();
        QTreeWidget::changeEvent(event_);
    }
    // The view's own Copy would put the current node's label on the
    // clipboard; the tree copies what the Copy command copies, or nothing.
    void keyPressEvent(QKeyEvent *event_) override
    {
        if (event_->matches(QKeySequence::Copy)) {
            owner->MCopyClick();
            event_->accept();
            return;
        }
        QTreeWidget::keyPressEvent(event_);
    }
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
    void showLook()
    {
        if (commandFocus) {
            setPalette(QPalette());
            return;
        }
        const QPalette inherited = QApplication::palette(this);
        QColor background = inherited.color(QPalette::Inactive, QPalette::Highlight);
        QColor text = inherited.color(QPalette::Inactive, QPalette::HighlightedText);
        // Styles such as Fusion draw both alike; then the window's face, darkened.
        if (background == inherited.color(QPalette::Active, QPalette::Highlight)) {
            background = inherited.color(QPalette::Inactive, QPalette::Window).darker(115);
            text = inherited.color(QPalette::Inactive, QPalette::Text);
        }
        QPalette own;
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            own.setColor(group, QPalette::Highlight, background);
            own.setColor(group, QPalette::HighlightedText, text);
        }
        setPalette(own);
    }

    TFMainForm *owner;
    bool commandFocus = false;
};

// The editor of a rename stands out from the node it edits: framed, and as
// tall as a framed field needs, over the node's row.
class TLabelEditDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent_, const QStyleOptionViewItem &option_, const QModelIndex &index_) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent_, option_, index_);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setFrame(true);
        return editor;
    }
    void updateEditorGeometry(QWidget *editor_, const QStyleOptionViewItem &option_, const QModelIndex &index_) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor_, option_, index_);
        QRect place = editor_->geometry();
        const int height = editor_->sizeHint().height();
        if (place.height() < height) {
            place.setTop(place.center().y() - height / 2);
            place.setHeight(height);
            editor_->setGeometry(place);
        }
    }
};

constexpr int defaultTreeWidth = 145;

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
    Toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar->setIconSize(QSize(20, 20));
    layout->addWidget(Toolbar);
    ToolMenu = new TMenuBar(this);
    ToolMenu->setObjectName("ToolMenu");
    ToolMenu->hide();
    layout->addWidget(ToolMenu);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    MainTree = new TResultTree(this, Splitter1);
    MainTree->setObjectName("MainTree");
    MainTree->setItemDelegate(new TLabelEditDelegate(MainTree));
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
    // A child larger than the area (a maximised database window is as wide
    // as its Results tab's buttons) is reached by scrolling, and never
    // widens the main window.
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A window that comes to the front keeps its own size; a maximised one
    // behind it stays maximised.
    mdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    Splitter1->addWidget(MainTree);
    Splitter1->addWidget(mdi);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({defaultTreeWidth, 430});
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
        MainTree->setFocus(Qt::PopupFocusReason);
        lastFocus = MainTree;
        TreePopupPopup();
        TreePopup->popup(MainTree->viewport()->mapToGlobal(at));
    });
    connect(MainTree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this](QWidget *, QAbstractItemDelegate::EndEditHint) {
        endRename(MainTree->currentItem());
    });

    // Shortcuts and toolbar buttons act at once: the states are kept as a
    // command given now would find them, not only when a menu opens.
    stateSources << connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && !qobject_cast<QMenu *>(now) && !qobject_cast<QMenuBar *>(now))
            lastFocus = now;
        // The tree's own label editor shows its selection as a focused field does.
        QWidget *control = activeControl();
        static_cast<TResultTree *>(MainTree)->showCommandFocus(control == MainTree || MainTree->isAncestorOf(control));
        RefreshCommandStates();
    });
    stateSources << connect(MainTree, &QTreeWidget::currentItemChanged, this, [this] { RefreshCommandStates(); });
    stateSources << connect(MainTree->model(), &QAbstractItemModel::rowsInserted, this, [this] { scheduleStateRefresh(); });
    stateSources << connect(MainTree->model(), &QAbstractItemModel::rowsRemoved, this, [this] { scheduleStateRefresh(); });
    stateSources << connect(mdi, &QMdiArea::subWindowActivated, this, [this] { RefreshCommandStates(); });
    stateSources << connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        clipboardMarker = ClipboardHoldsProjects();
        RefreshCommandStates();
    });
    clipboardMarker = ClipboardHoldsProjects();

    ThumbPictures();
    SetPictureHolders(&PictureHolders);
    referencesLoaded = LoadReferenceSets(programDir);
    FormCreate();
}

TFMainForm::~TFMainForm()
{
    // The children go after this destructor, moving the focus and the
    // tree's current node: nothing may reach this half-destroyed window.
    for (const QMetaObject::Connection &c : stateSources)
        disconnect(c);
    disconnect(activationHandler);
    disconnect(MainTree->itemDelegate(), nullptr, this, nullptr);
    disconnect(MainTree, nullptr, this, nullptr);
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

void TFMainForm::connectCommand(const char *name_, void (TFMainForm::*command_)(), CommandRoad road_)
{
    connect(action(name_), &QAction::triggered, this, [this, command_, road_] { runCommand(road_, command_); });
}

void TFMainForm::buildActions()
{
    using R = CommandRoad;
    addAction("MNewDatabase", "&New", QKeySequence("Ctrl+N"));
    addAction("MOpen", "&Open..", QKeySequence("Ctrl+O"));
    addAction("MSave", "&Save", QKeySequence("Ctrl+S"));
    addAction("MSaveAs", "Save &As..");
    addAction("MSaveAll", "Sa&ve All");
    addAction("MClose", "&Close");
    addAction("MCloseAll", "C&lose All");
    addAction("RefreshFileInfo1", "Refresh File Info")->setVisible(false);
    addAction("MPrintsettings", "Page Setup");
    addAction("MPrintPreview", "Print Pre&view");
    addAction("MPrint", "&Print");
    addAction("Mexit", "E&xit", QKeySequence("Alt+X"));
    addAction("MCut", "Cu&t", QKeySequence("Ctrl+X"));
    addAction("MCopy", "&Copy", QKeySequence("Ctrl+C"));
    addAction("MPaste", "&Paste", QKeySequence("Ctrl+V"));
    QAction *del = addAction("MDelete", "&Delete", QKeySequence(Qt::Key_Delete));
    addAction("MSelectAll", "Se&lect All")->setVisible(false);
    for (auto [name, caption] : {std::pair{"MToolbar", "&Toolbar"}, {"MStatusbar", "&Status bar"}, {"MResultTree", "&Result tree"}}) {
        QAction *a = addAction(name, caption);
        a->setCheckable(true);
        a->setChecked(true);
    }
    auto *views = new QActionGroup(this);
    for (auto [name, caption] : {std::pair{"MLargeIcons", "Lar&ge Icons"}, {"MDetails", "&Details"}}) {
        QAction *a = addAction(name, caption);
        a->setCheckable(true);
        views->addAction(a);
    }
    addAction("MShow", "Open");
    addAction("MSubmit", "Submit");
    addAction("MHidden", "Hidden")->setCheckable(true);
    addAction("GlobalCompare1", "&Online Scorvista");
    addAction("CorvalincomSettings1", "CorvalinSoft Settings")->setVisible(false);
    addAction("NPolyraResults1", "Go to &CorvalinSoft");
    addAction("Cascade1", "&Cascade");
    addAction("Tile1", "&Tile");
    addAction("Next1", "&Next");
    addAction("Previous1", "&Previous");
    addAction("ArrangeIcons1", "&Arrange Icons");
    connect(action("Cascade1"), &QAction::triggered, this, &TFMainForm::Cascade1Click);
    connect(action("Tile1"), &QAction::triggered, mdi, &QMdiArea::tileSubWindows);
    connect(action("Next1"), &QAction::triggered, mdi, &QMdiArea::activateNextSubWindow);
    connect(action("Previous1"), &QAction::triggered, mdi, &QMdiArea::activatePreviousSubWindow);
    connect(action("ArrangeIcons1"), &QAction::triggered, mdi, &QMdiArea::tileSubWindows);
    addAction("Content1", "&Help topics", QKeySequence(Qt::Key_F1));
    addAction("About1", "&About Scorvista2001");

    for (auto [name, command] : {std::pair{"MNewDatabase", &TFMainForm::MNewDatabaseClick},
                                 {"MOpen", &TFMainForm::MOpenClick},
                                 {"MSave", &TFMainForm::MSaveClick},
                                 {"MSaveAs", &TFMainForm::MSaveAsClick},
                                 {"MSaveAll", &TFMainForm::MSaveAllClick},
                                 {"MClose", &TFMainForm::MCloseClick},
                                 {"MCloseAll", &TFMainForm::MCloseAllClick},
                                 {"MPrintsettings", &TFMainForm::MPrintsettingsClick},
                                 {"MPrintPreview", &TFMainForm::MPrintPreviewClick},
                                 {"MPrint", &TFMainForm::MPrintClick},
                                 {"Mexit", &TFMainForm::MexitClick},
                                 {"MCut", &TFMainForm::MCutClick},
                                 {"MCopy", &TFMainForm::MCopyClick},
                                 {"MPaste", &TFMainForm::MPasteClick},
                                 {"MDelete", &TFMainForm::MDeleteClick},
                                 {"MToolbar", &TFMainForm::MToolbarClick},
                                 {"MStatusbar", &TFMainForm::MStatusbarClick},
                                 {"MResultTree", &TFMainForm::MResultTreeClick},
                                 {"MShow", &TFMainForm::MShowClick},
                                 {"MLargeIcons", &TFMainForm::MLargeIconsClick},
                                 {"MDetails", &TFMainForm::MDetailsClick},
                                 {"MHidden", &TFMainForm::MHiddenClick},
                                 {"MSubmit", &TFMainForm::MSubmitClick},
                                 {"GlobalCompare1", &TFMainForm::MSubmitClick},
                                 {"CorvalincomSettings1", &TFMainForm::CorvalincomSettings1Click},
                                 {"NPolyraResults1", &TFMainForm::NPolyraResults1Click},
                                 {"Content1", &TFMainForm::Content1Click},
                                 {"About1", &TFMainForm::About1Click}})
        connectCommand(name, command);

    // The popup's own items.
    addAction("PShow", "Open");
    addAction("PRename", "Rename", QKeySequence(Qt::Key_F2));
    addAction("PCut", "Cut");
    addAction("PCopy", "Copy");
    addAction("PPaste", "Paste");
    addAction("PDelete", "Delete");
    addAction("PHidden", "Hidden")->setCheckable(true);
    addAction("PPrint", "Print");
    addAction("PrintPreview1", "Print Preview");
    addAction("PDetails", "Details");
    addAction("PSystemInfo", "System Info");
    addAction("PProperties", "Properties");
    addAction("PSubmit", "Online Scorvista");
    for (auto [name, command] : {std::pair{"PShow", &TFMainForm::MShowClick},
                                 {"PRename", &TFMainForm::PRenameClick},
                                 {"PCut", &TFMainForm::MCutClick},
                                 {"PCopy", &TFMainForm::MCopyClick},
                                 {"PPaste", &TFMainForm::MPasteClick},
                                 {"PDelete", &TFMainForm::MDeleteClick},
                                 {"PHidden", &TFMainForm::MHiddenClick},
                                 {"PPrint", &TFMainForm::MPrintClick},
                                 {"PrintPreview1", &TFMainForm::MPrintPreviewClick},
                                 {"PDetails", &TFMainForm::PDetailsClick},
                                 {"PSystemInfo", &TFMainForm::PSystemInfoClick},
                                 {"PProperties", &TFMainForm::PPropertiesClick},
                                 {"PSubmit", &TFMainForm::MSubmitClick}})
        connectCommand(name, command, R::Popup);
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
    connect(window, &QMenu::aboutToShow, this, &TFMainForm::MWindowClick);
    addMenu("Help1", "&Help", {"Content1", "About1"});
}

void TFMainForm::buildToolbar()
{
    auto button = [this](const char *name, const QString &caption, void (TFMainForm::*command)()) {
        auto *a = new QAction(toolbarIcon(QString::fromLatin1(name)), caption, this);
        a->setObjectName(name);
        a->setToolTip(caption);
        // The toolbar runs the selection rule itself, forced, before the command.
        connect(a, &QAction::triggered, this, [this, command] { runCommand(CommandRoad::Toolbar, command); });
        Toolbar->addAction(a);
    };
    button("ToolButton1", "New Database", &TFMainForm::MNewDatabaseClick);
    button("ToolButton2", "Open", &TFMainForm::MOpenClick);
    button("ToolButton5", "Save", &TFMainForm::MSaveClick);
    Toolbar->addSeparator();
    button("ToolButton7", "Cut", &TFMainForm::MCutClick);
    button("ToolButton8", "Copy", &TFMainForm::MCopyClick);
    button("ToolButton9", "Paste", &TFMainForm::MPasteClick);
    button("ToolButton4", "Delete", &TFMainForm::MDeleteClick);
    Toolbar->addSeparator();
    button("ToolButton11", "Print Preview", &TFMainForm::MPrintPreviewClick);
    button("ToolButton12", "Print", &TFMainForm::MPrintClick);
    Toolbar->addSeparator();
    button("Bonline", "Online Scorvista", &TFMainForm::MSubmitClick);
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
    FreeProgramPrinter();
}

void TFMainForm::showEvent(QShowEvent *event_)
{
    TFBasicForm::showEvent(event_);
    if (!event_->spontaneous())
        FormShow();
}

void TFMainForm::FormShow()
{
    if (!activationHandler)
        activationHandler = connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                ApplicationActivated();
        });
    if (pending)
        pending->openStartupFile(!mdi->subWindowList().isEmpty());
}

void TFMainForm::closeEvent(QCloseEvent *event_)
{
    // Every child is asked before any goes, so a later Cancel keeps all of
    // them; a question may run the event loop and lose a child meanwhile.
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow *child : mdi->subWindowList())
        children << child;
    // A window answers once per close; after a Cancel every one asks anew.
    auto askAgainLater = [&children] {
        for (const QPointer<QMdiSubWindow> &child : children)
            if (auto *database = child ? qobject_cast<TFDatabase *>(child->widget()) : nullptr)
                database->closeAsked = false;
    };
    askAgainLater();
    for (const QPointer<QMdiSubWindow> &child : children) {
        if (!child)
            continue;
        auto *database = qobject_cast<TFDatabase *>(child->widget());
        if (database && !database->askToClose()) {
            askAgainLater();
            event_->ignore();
            return;
        }
    }
    // Asked already: they go without a second question.
    for (const QPointer<QMdiSubWindow> &child : children)
        delete child.data();
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
    // A database file adds its projects in one go: the last one's node is
    // selected once they are all in, not each on its way (every selection
    // lays the tree out again).
    if (database_->bulkNameIndex(project_)) {
        const bool posted = pendingCurrentProject != nullptr;
        pendingCurrentProject = project_;
        if (!posted)
            QTimer::singleShot(0, this, [this] {
                CBasicProject *project = std::exchange(pendingCurrentProject, nullptr);
                const auto &live = CBasicProject::liveProjects();
                if (project && std::find(live.begin(), live.end(), project) != live.end())
                    if (auto *current = static_cast<TTreeNode *>(project->getTreeNode()))
                        MainTree->setCurrentItem(current);
            });
    } else {
        MainTree->setCurrentItem(node);
    }
    return node;
}

void TFMainForm::RebuildDatabaseNode(CBasicDatabase *database_)
{
    auto *parent = static_cast<TTreeNode *>(database_->getTreeNode());
    if (!parent)
        return;
    // Taking the nodes out moves the tree's current node to the database:
    // the node that was current stays so.
    QTreeWidgetItem *current = MainTree->currentItem();
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
    const bool currentGoes = std::find(nodes.begin(), nodes.end(), current) != nodes.end();
    for (TTreeNode *stale : nodes)
        delete stale;
    if (current && !currentGoes && MainTree->currentItem() != current)
        MainTree->setCurrentItem(current);
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
    if (!forced_ && activeControl() != MainTree)
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
    updateCommandStates();
}

void TFMainForm::MViewClick()
{
    action("MToolbar")->setChecked(Toolbar->isVisibleTo(this));
    action("MStatusbar")->setChecked(StatusBar->isVisibleTo(this));
    action("MResultTree")->setChecked(MainTree->isVisibleTo(this));
    BuildSelection();
    updateCommandStates();
}

void TFMainForm::TreePopupPopup()
{
    BuildSelection();
    updatePopupStates();
}

void TFMainForm::RefreshCommandStates()
{
    // A command that runs a dialog is not pulled from under itself; it
    // refreshes when it is done.
    if (destroyed || !pending || runningCommands > 0)
        return;
    BuildSelection();
    updateCommandStates();
}

void TFMainForm::scheduleStateRefresh()
{
    if (refreshScheduled)
        return;
    refreshScheduled = true;
    QTimer::singleShot(0, this, [this] {
        refreshScheduled = false;
        RefreshCommandStates();
    });
}

void TFMainForm::updateCommandStates()
{
    const bool treeActive = activeControl() == MainTree;
    // File menu.
    const bool children = !mdi->subWindowList().isEmpty();
    for (const char *name : {"MSave", "MSaveAs", "MSaveAll", "MClose", "MCloseAll"})
        action(name)->setEnabled(children);
    const bool projects = !selected.empty() && kind == ProjectSelection;
    action("MPrint")->setEnabled(projects);
    action("MPrintPreview")->setEnabled(projects);

    // Edit, View and Project menus. Del and F2 belong to the tree alone.
    action("MDelete")->setShortcut(treeActive && !editingLabel ? deleteShortcut : QKeySequence());
    action("PRename")->setShortcut(treeActive && !editingLabel ? QKeySequence(Qt::Key_F2) : QKeySequence());
    for (const char *name : {"MShow", "MCut", "MCopy", "MPaste", "MDelete", "MSubmit", "MLargeIcons", "MDetails"})
        action(name)->setEnabled(false);
    // The view items follow the active database window's own.
    if (auto *window = qobject_cast<TFDatabase *>(activeChild())) {
        const bool icons = window->isIconView();
        action("MLargeIcons")->setEnabled(true);
        action("MDetails")->setEnabled(true);
        action("MLargeIcons")->setChecked(icons);
        action("MDetails")->setChecked(!icons);
    }
    if (clipboardMarker)
        action("MPaste")->setEnabled(true);
    if (activeGrid())
        action("MCopy")->setEnabled(true);
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

    updatePopupStates();
}

void TFMainForm::updatePopupStates()
{
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
        action("PPaste")->setEnabled(clipboardMarker);
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

void TFMainForm::runCommand(CommandRoad road_, void (TFMainForm::*command_)())
{
    QPointer<TFMainForm> self(this);
    BuildSelection(road_ == CommandRoad::Toolbar);
    if (command_) {
        ++runningCommands;
        struct Leave {
            QPointer<TFMainForm> &form;
            ~Leave()
            {
                if (form)
                    --form->runningCommands;
            }
        } leave{self};
        (this->*command_)();
    }
    if (self)
        RefreshCommandStates();
}

QWidget *TFMainForm::activeControl() const
{
    QWidget *w = lastFocus;
    return w && (w == this || isAncestorOf(w)) ? w : nullptr;
}

void TFMainForm::MWindowClick()
{
    QMenu *window = menu("MWindow");
    for (QAction *a : windowItems) {
        window->removeAction(a);
        delete a;
    }
    windowItems.clear();
    const QList<QMdiSubWindow *> children = mdi->subWindowList();
    if (children.isEmpty())
        return;
    windowItems << window->addSeparator();
    int number = 1;
    for (QMdiSubWindow *child : children) {
        QString caption = child->windowTitle();
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *item = window->addAction(number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(caption)
                                                      : QStringLiteral("%1 %2").arg(number).arg(caption));
        item->setCheckable(true);
        item->setChecked(child == mdi->currentSubWindow());
        QPointer<QMdiSubWindow> target(child);
        connect(item, &QAction::triggered, this, [this, target] {
            if (target)
                mdi->setActiveSubWindow(target);
        });
        windowItems << item;
        ++number;
    }
}

void TFMainForm::ApplicationActivated()
{
    ReleaseProgramPrinter();
    if (isMinimized()) {
        raise();
        activateWindow();
    }
}

void TFMainForm::MNewDatabaseClick()
{
    NewDatabase();
}

void TFMainForm::MCloseClick()
{
    // The current child, also while the program is in the background.
    if (QMdiSubWindow *child = mdi->currentSubWindow())
        child->close();
}

void TFMainForm::MCloseAllClick()
{
    const QList<QMdiSubWindow *> children = mdi->subWindowList();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        (*it)->close();
}

void TFMainForm::Cascade1Click()
{
    // Down the diagonal in the order the windows were opened, the current
    // one last: each lies over the one before it, below that one's title
    // bar, so every title bar shows and the current window stays in front.
    QMdiSubWindow *current = mdi->activeSubWindow();
    std::vector<QMdiSubWindow *> order;
    for (QMdiSubWindow *child : mdi->subWindowList(QMdiArea::CreationOrder))
        if (child != current && child->isVisible() && !child->isMinimized())
            order.push_back(child);
    if (current && current->isVisible() && !current->isMinimized())
        order.push_back(current);
    if (order.empty())
        return;
    int step = 0;
    for (QMdiSubWindow *child : order) {
        if (child->isMaximized())
            child->showNormal();
        // The title bar and the frame above the window's content.
        step = std::max(step, child->widget() ? child->widget()->y() : 0);
    }
    if (step <= 0)
        step = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize area = mdi->viewport()->size();
    const int rows = std::max(1, area.height() / step);
    const int columns = (static_cast<int>(order.size()) + rows - 1) / rows;
    const int columnWidth = area.width() / std::max(1, columns);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int row = static_cast<int>(i) % rows;
        const int column = static_cast<int>(i) / rows;
        order[i]->move(column * columnWidth + row * step, row * step);
        order[i]->raise();
    }
    if (current && mdi->activeSubWindow() != current)
        mdi->setActiveSubWindow(current);
}

void TFMainForm::MPrintsettingsClick()
{
    if (!CheckPrinters())
        return;
    if (RunPrinterSetup(ProgramPrinter(), this))
        KeepChosenPrinter();
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
    const QPointer<QWidget> focus = QApplication::focusWidget();
    if (!CheckPrinters())
        return;
    BuildSelection();
    if (selected.empty() || (kind != ProjectSelection && kind != DatabaseSelection)) {
        ShowMessage("No Project or Database selected.\nPlease select a Project or Database from the Result Tree on the left.");
        MainTree->setVisible(true);
        return;
    }
    if (mode_ == 0) {
        if (!RunPrintDialog(ProgramPrinter(), this))
            return;
        KeepChosenPrinter();
    }
    const std::vector<void *> targets = selected;
    const int targetKind = kind;
    for (void *target : targets) {
        if (targetKind == ProjectSelection)
            static_cast<CBasicProject *>(target)->print(mode_ == 1);
        else
            static_cast<CBasicDatabase *>(target)->print(mode_ == 1);
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

void TFMainForm::MLargeIconsClick()
{
    if (auto *window = qobject_cast<TFDatabase *>(activeChild()))
        window->MLargeIconsClick();
}

void TFMainForm::MDetailsClick()
{
    if (auto *window = qobject_cast<TFDatabase *>(activeChild()))
        window->MDetailsClick();
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
        ShowMessage(QString("Error opening Help-file. (%1)").arg(result.errorText));
}

void TFMainForm::About1Click()
{
    ShowAboutBox(this);
}

void TFMainForm::MSubmitClick()
{
    BuildSelection(true);
    if (selected.empty() || kind != ProjectSelection)
        BuildSelectionFromTree();
    if (selected.empty() || kind != ProjectSelection) {
        if (!MainTree->isVisibleTo(this))
            MainTree->setVisible(true);
        ShowMessage("Please select the project you want to use\nfrom the Result tree on the left.");
        return;
    }
    SubmitProject(*static_cast<CBasicProject *>(selected.front()));
}

void TFMainForm::CorvalincomSettings1Click()
{
    ShowNetSettings();
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
    RefreshCommandStates();
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
    // After a rename Del and Ctrl+C work on the node again.
    RefreshCommandStates();
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
        // Del and F2 reach the tree as the shortcuts of Delete and Rename,
        // which exist only while the tree has the focus.
        if (event_->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event_);
            lastTreeKey = key->key();
            // Shift+F10 opens the popup as the Menu key does: at the
            // current node.
            if (key->key() == Qt::Key_F10 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
                const QPoint at = MainTree->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
                QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, MainTree->mapToGlobal(at), key->modifiers());
                QCoreApplication::sendEvent(MainTree, &menu);
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
    // A child being destroyed stays current until it is gone; what it
    // destroys (its project window) moves the focus and asks here.
    auto *child = qobject_cast<QMdiSubWindow *>(mdi->currentSubWindow());
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
    // A grid of a database window copies its own contents.
    if (TImpStringGrid *grid = activeGrid()) {
        copyGridToClipboard(grid);
        return;
    }
    ::MCopyClick(*this);
}

TImpStringGrid *TFMainForm::activeGrid() const
{
    for (QWidget *w = activeControl(); w; w = w->parentWidget())
        if (auto *grid = qobject_cast<TImpStringGrid *>(w))
            return grid;
    return nullptr;
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
    const TThumbnailLoad load;
    while (!dropped.isEmpty()) {
        const QString file = dropped.takeFirst();
        bool stop = false;
        OpenFileReported(*this, file, stop);
        if (stop)
            dropped.clear();
    }
    openingDropped = false;
}
