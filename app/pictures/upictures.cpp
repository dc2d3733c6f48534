#include "upictures.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "Advscrollbox.h"
#include "Cp1252.h"
#include "MessageSink.h"
#include "Ucommoncalls.h"
#include "advimage.h"
#include "changes.h"
#include "defaultfolder.h"
#include "picturefile.h"
#include "pictureops.h"
#include "pictureuse.h"
#include "projectimages.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uMainForm.h"
#include "ufiles.h"

namespace {

std::vector<TFPictures *> viewers;

// The viewers hear of the data's changes while any is open.
class ViewerChanges : public CChangeObserver {
public:
    void dataChanged(const CChange &change_) override
    {
        switch (change_.kind) {
        case CChangeKind::Added:
            if (change_.database)
                TFPictures::DatabaseChanged(change_.database);
            break;
        case CChangeKind::Removed:
            if (!change_.project) {
                if (change_.database && change_.released)
                    TFPictures::DatabaseChanged(change_.database, true);
            } else if (change_.released) {
                // Still in its database's list: it must not be listed again.
                TFPictures::ProjectGone(change_.project);
            } else if (change_.database) {
                TFPictures::DatabaseChanged(change_.database);
            }
            break;
        default:
            break;
        }
    }
};

ViewerChanges &viewerChanges()
{
    static ViewerChanges observer;
    return observer;
}

bool isViewer(const TFPictures *window_)
{
    return std::find(viewers.begin(), viewers.end(), window_) != viewers.end();
}

QMdiSubWindow *subWindowOf(QWidget *window_)
{
    return window_ ? qobject_cast<QMdiSubWindow *>(window_->parentWidget()) : nullptr;
}

void closeViewer(TFPictures *window_)
{
    if (QMdiSubWindow *child = subWindowOf(window_))
        child->close();
    else
        window_->close();
}

void bringToFront(TFPictures *window_)
{
    QMdiSubWindow *child = subWindowOf(window_);
    TFMainForm *main = TFMainForm::instance();
    if (child && main && child->mdiArea() == main->mdiArea()) {
        if (child->isMinimized())
            child->showNormal();
        main->mdiArea()->setActiveSubWindow(child);
        child->raise();
        return;
    }
    window_->raise();
    window_->activateWindow();
}

QSize clientArea()
{
    TFMainForm *main = TFMainForm::instance();
    return main ? main->mdiArea()->viewport()->size() : QSize();
}

QString menuCaption(QString text_)
{
    return text_.replace(QLatin1Char('&'), QLatin1String("&&"));
}

bool hasPictures(const CBasicProject *project_)
{
    const auto *images = dynamic_cast<const TProjectImages *>(project_->getImages());
    return images && !images->isEmpty();
}

// The thumbnail fits into this box, never enlarged.
constexpr QSize thumbnailBox(100, 75);
constexpr QPoint thumbnailAt(8, 20);

QSize thumbnailSize(const QSize &picture_)
{
    if (picture_.isEmpty())
        return QSize(0, 0);
    if (picture_.width() <= thumbnailBox.width() && picture_.height() <= thumbnailBox.height())
        return picture_;
    return picture_.scaled(thumbnailBox, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

void showLoadFailure(const QString &fileName_, const QString &reason_)
{
    ShowPictureFailure("loaded", fileName_, reason_);
}

} // namespace

const std::vector<TFPictures *> &TFPictures::Windows()
{
    return viewers;
}

TFPictures::TFPictures(QWidget *owner_, int test_, CBasicDatabase *database_, CBasicProject *project_)
    : TFMDIChildForm(owner_)
{
    setObjectName(QStringLiteral("FPictures"));
    setWindowTitle(QStringLiteral("Image Viewer"));
    if (viewers.empty())
        subscribeChanges(&viewerChanges());
    viewers.push_back(this);

    buildControls();
    buildMenus();
    // Keys of the window come first, whichever of its controls has the focus.
    for (QWidget *child : findChildren<QWidget *>())
        if (!child->isWindow())
            child->installEventFilter(this);

    {
        const QSignalBlocker blocker(CbSize);
        CbSize->setCurrentIndex(actualSizeZoomRow);
    }
    const int row = testImageRow(test_);
    testNumber = testImageTable[static_cast<std::size_t>(row)].n;
    shownDatabase = database_;
    shownProject = project_;
    {
        const QSignalBlocker blocker(CbTest);
        CbTest->setCurrentIndex(row);
    }
    // The list may already have loaded the picture, when the project was not in it.
    CBasicProject *asked = shownProject;
    FillProjects();
    if (shownProject == asked)
        LoadPicture();
}

TFPictures::~TFPictures()
{
    leaveWindows();
}

void TFPictures::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    layout->setMenuBar(MainMenu);

    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    auto *panelLayout = new QHBoxLayout(Panel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    Settings = new QGroupBox(QStringLiteral("Settings"), Panel);
    Settings->setObjectName(QStringLiteral("Settings"));
    auto *form = new QFormLayout(Settings);
    CbTest = new QComboBox(Settings);
    CbTest->setObjectName(QStringLiteral("CbTest"));
    CbProject = new QComboBox(Settings);
    CbProject->setObjectName(QStringLiteral("CbProject"));
    CbSize = new QComboBox(Settings);
    CbSize->setObjectName(QStringLiteral("CbSize"));
    // The lists take the room there is, up to their longest entry (a long
    // project name only so far), and give it back down to a few letters.
    const int letter = CbProject->fontMetrics().averageCharWidth();
    for (QComboBox *box : {CbTest, CbProject, CbSize}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        box->setMinimumWidth(10 * letter);
    }
    CbProject->setMaximumWidth(40 * letter);
    Settings->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    form->addRow(QStringLiteral("Test:"), CbTest);
    form->addRow(QStringLiteral("Project:"), CbProject);
    form->addRow(QStringLiteral("Zoom:"), CbSize);
    Thumbnail = new QGroupBox(QStringLiteral("Thumbnail"), Panel);
    Thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    Thumbnail->setFixedSize(thumbnailBox.width() + 2 * thumbnailAt.x(), thumbnailBox.height() + thumbnailAt.y() + 8);
    RefImage = new TAdvImage(Thumbnail);
    RefImage->setObjectName(QStringLiteral("RefImage"));
    RefImage->setToolTip(QStringLiteral("Click To Set Position"));
    RefImage->setGeometry(QRect(thumbnailAt, QSize(0, 0)));
    STFrame = new QFrame(Thumbnail);
    STFrame->setObjectName(QStringLiteral("STFrame"));
    STFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    STFrame->setStyleSheet(QStringLiteral("QFrame#STFrame { border: 1px solid red; background: transparent; }"));
    // Clicks on the frame belong to the thumbnail under it.
    STFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    STFrame->hide();
    panelLayout->addWidget(Settings);
    panelLayout->addWidget(Thumbnail, 0, Qt::AlignTop);
    panelLayout->addStretch(1);
    // The settings keep their height, with a picture or without; the
    // picture's box takes what is left.
    Panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(Panel);

    Scroll1 = new TAdvScrollBox(this);
    Scroll1->setObjectName(QStringLiteral("Scroll1"));
    Scroll1->setWidgetResizable(false);
    // As small as the picture it shows (its frame around it), or as an
    // empty frame: the window is sized to the picture, and the settings
    // above must never be squeezed to make room for scroll bars.
    Scroll1->setMinimumSize(4, 4);
    Image1 = new TAdvImage;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->resize(0, 0);
    Scroll1->setWidget(Image1);
    layout->addWidget(Scroll1, 1);

    for (int i = 0; testImageTable[static_cast<std::size_t>(i)].n != 0; ++i)
        CbTest->addItem(QString::fromLatin1(testImageTable[static_cast<std::size_t>(i)].title));
    for (const ZoomRow &row : zoomTable)
        CbSize->addItem(QString::fromLatin1(row.text));

    connect(CbTest, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            SelectTest(row);
    });
    connect(CbProject, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            SelectProject(index);
    });
    connect(CbSize, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            SetZoom(row);
    });
    connect(Scroll1->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { updateFrame(); });
    connect(Scroll1->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updateFrame(); });
}

QAction *TFPictures::menuItem(QMenu *menu_, const QString &caption_, void (TFPictures::*handler_)(),
                              const QKeySequence &shortcut_)
{
    QAction *item = menu_->addAction(caption_);
    if (!shortcut_.isEmpty()) {
        item->setShortcut(shortcut_);
        // The main window has shortcuts of its own; these work inside the viewer only.
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(item);
    }
    if (handler_)
        connect(item, &QAction::triggered, this, handler_);
    return item;
}

void TFPictures::buildMenus()
{
    MFile = MainMenu->addMenu(QStringLiteral("&File"));
    MSaveAs = menuItem(MFile, QStringLiteral("Save &As.."), &TFPictures::MSaveAsClick);
    MOpenViewer = menuItem(MFile, QStringLiteral("&Open in default viewer"), &TFPictures::MOpenClick);
    MClose = menuItem(MFile, QStringLiteral("&Close"), nullptr);
    connect(MClose, &QAction::triggered, this, [this] { closeViewer(this); });
    MCloseAll = menuItem(MFile, QStringLiteral("Close All"), &TFPictures::MCloseAllClick);

    MEdit = MainMenu->addMenu(QStringLiteral("&Edit"));
    MCopy = menuItem(MEdit, QStringLiteral("&Copy"), &TFPictures::MCopyClick, QKeySequence(Qt::CTRL | Qt::Key_C));
    MPasteSpecial = MEdit->addMenu(QStringLiteral("Paste Special .."));
    MXor = menuItem(MPasteSpecial, QStringLiteral("Xor"), &TFPictures::MPasteXorClick);
    MAnd = menuItem(MPasteSpecial, QStringLiteral("And"), &TFPictures::MPasteAndClick);
    connect(MEdit, &QMenu::aboutToShow, this, &TFPictures::EditMenuOpen);

    MView = MainMenu->addMenu(QStringLiteral("&View"));
    MThumbnail = menuItem(MView, QStringLiteral("Thumbnail"), &TFPictures::MThumbnailClick);
    MThumbnail->setCheckable(true);
    MThumbnail->setChecked(true);
    MSwap = menuItem(MView, QStringLiteral("Swap"), &TFPictures::Swap, QKeySequence(Qt::Key_Space));
    MFullScreen = menuItem(MView, QStringLiteral("F&ull screen"), &TFPictures::MFullScreenClick,
                           QKeySequence(Qt::CTRL | Qt::Key_U));
    connect(MView, &QMenu::aboutToShow, this, &TFPictures::ViewMenuOpen);

    MCompare = MainMenu->addMenu(QStringLiteral("&Compare"));
    MRestore = menuItem(MCompare, QStringLiteral("&Restore Image"), &TFPictures::MRestoreClick, QKeySequence(Qt::Key_F5));
    MXorReference = menuItem(MCompare, QStringLiteral("&Xor to reference"), &TFPictures::MXorReferenceClick,
                             QKeySequence(Qt::Key_F6));
    MAndReference = menuItem(MCompare, QStringLiteral("&And to reference"), &TFPictures::MAndReferenceClick,
                             QKeySequence(Qt::Key_F7));
    connect(MCompare, &QMenu::aboutToShow, this, &TFPictures::CompareMenuOpen);

    MProject = MainMenu->addMenu(QStringLiteral("&Project"));
    connect(MProject, &QMenu::aboutToShow, this, &TFPictures::ProjectMenuOpen);

    MTest = MainMenu->addMenu(QStringLiteral("&Test"));
    for (int i = 0; testImageTable[static_cast<std::size_t>(i)].n != 0; ++i) {
        QAction *item = MTest->addAction(QString::fromLatin1(testImageTable[static_cast<std::size_t>(i)].title));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { SelectTest(i); });
        testItems.push_back(item);
    }
    connect(MTest, &QMenu::aboutToShow, this, &TFPictures::TestMenuOpen);

    MZoom = MainMenu->addMenu(QStringLiteral("&Zoom"));
    for (int i = 0; i < zoomRowCount; ++i) {
        QAction *item = MZoom->addAction(QString::fromLatin1(zoomTable[static_cast<std::size_t>(i)].text));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { SetZoom(i); });
        zoomItems.push_back(item);
    }
    MZoomIn = menuItem(MZoom, QStringLiteral("Zoom In"), &TFPictures::ZoomIn, QKeySequence(Qt::Key_Plus));
    MZoomOut = menuItem(MZoom, QStringLiteral("Zoom Out"), &TFPictures::ZoomOut, QKeySequence(Qt::Key_Minus));
    connect(MZoom, &QMenu::aboutToShow, this, &TFPictures::ZoomMenuOpen);

    MWindow = MainMenu->addMenu(QStringLiteral("&Window"));
    windowSeparator = MWindow->addSeparator();
    MCascade = menuItem(MWindow, QStringLiteral("&Cascade"), nullptr);
    connect(MCascade, &QAction::triggered, this, [] { Cascade(); });
    MTile = menuItem(MWindow, QStringLiteral("&Tile"), nullptr);
    connect(MTile, &QAction::triggered, this, [] { Tile(); });
    connect(MWindow, &QMenu::aboutToShow, this, &TFPictures::WindowMenuOpen);

    PopupMenu = new QMenu(this);
    POpen = menuItem(PopupMenu, QStringLiteral("Open"), &TFPictures::MOpenClick);
    PCopy = menuItem(PopupMenu, QStringLiteral("Copy"), &TFPictures::MCopyClick);
    connect(PopupMenu, &QMenu::aboutToShow, this, &TFPictures::PopupMenuOpen);
    // The scroll box takes the context menus of its viewport, and of the
    // picture on it, under its own policy, with the point in the viewport's
    // coordinates: a policy on the viewport is never asked.
    Scroll1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Scroll1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu->popup(Scroll1->viewport()->mapToGlobal(at)); });
}

void TFPictures::leaveWindows()
{
    auto it = std::find(viewers.begin(), viewers.end(), this);
    if (it == viewers.end())
        return;
    viewers.erase(it);
    if (viewers.empty())
        unsubscribeChanges(&viewerChanges());
    // Nothing of the data is read again once the window is going.
    shownDatabase = nullptr;
    shownProject = nullptr;
    const QSignalBlocker blocker(CbProject);
    CbProject->clear();
}

void TFPictures::closeEvent(QCloseEvent *event_)
{
    TFMDIChildForm::closeEvent(event_);
    if (event_->isAccepted())
        leaveWindows();
}

void TFPictures::DatabaseChanged(CBasicDatabase *database_, bool destroyed_)
{
    if (!database_)
        return;
    const std::vector<TFPictures *> windows = viewers;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        TFPictures *window = *it;
        if (!isViewer(window) || window->shownDatabase != database_)
            continue;
        if (destroyed_) {
            window->leaveWindows();
            closeViewer(window);
        } else {
            window->FillProjects();
        }
    }
}

void TFPictures::ProjectGone(const CBasicProject *project_)
{
    const std::vector<TFPictures *> windows = viewers;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        TFPictures *window = *it;
        if (isViewer(window) && (window->shownProject == project_ || window->lists(project_)))
            window->FillProjects(project_);
    }
}

bool TFPictures::lists(const CBasicProject *project_) const
{
    for (int i = 2; i < CbProject->count(); ++i)
        if (CbProject->itemData(i).value<void *>() == project_)
            return true;
    return false;
}

void TFPictures::FillProjects(const CBasicProject *gone_)
{
    const int previous = CbProject->currentIndex();
    CBasicProject *before = shownProject;
    if (shownProject == gone_)
        shownProject = nullptr;
    {
        const QSignalBlocker blocker(CbProject);
        CbProject->clear();
        CbProject->addItem(QStringLiteral("Reference Images"));
        CbProject->addItem(QStringLiteral("FSAA Reference Images"));
        if (shownDatabase)
            for (int i = 0; i < shownDatabase->getProjectCount(); ++i) {
                CBasicProject *p = shownDatabase->getProject(i);
                if (p && p != gone_ && hasPictures(p))
                    CbProject->addItem(fromCp1252(p->getName()), QVariant::fromValue(static_cast<void *>(p)));
            }
        int selected = -1;
        if (shownProject) {
            for (int i = 2; i < CbProject->count(); ++i)
                if (CbProject->itemData(i).value<void *>() == shownProject)
                    selected = i;
        } else {
            // The reference set shown stays.
            selected = previous == 1 ? 1 : 0;
        }
        if (selected < 0) {
            shownProject = nullptr;
            selected = 0;
        }
        CbProject->setCurrentIndex(selected);
    }
    if (shownProject != before)
        LoadPicture();
}

TThumbPicture *TFPictures::pictureEntry() const
{
    if (shownProject) {
        const auto *images = dynamic_cast<const TProjectImages *>(shownProject->getImages());
        return images ? images->findByTag(testNumber) : nullptr;
    }
    const TProjectImages *set = ReferenceImages(CbProject->currentIndex() == 1 ? 1 : 0);
    return set ? set->findByTag(testNumber) : nullptr;
}

void TFPictures::LoadPicture()
{
    // The picture shown before goes first, so two are never held at once.
    ownSize = QSize();
    shown = QImage();
    Image1->clear();
    largeFile.clear();
    QImage thumbnail;
    if (const TThumbPicture *entry = pictureEntry()) {
        const QString fileName = TThumbPictureList::largeFileName(entry);
        PictureRead read = ReadPictureFile(fileName, {QSize(), true});
        if (read.ok()) {
            shown = std::move(read.image);
            ownSize = shown.size();
            thumbnail = entry->picture;
            largeFile = fileName;
        } else {
            showLoadFailure(fileName, read.error);
        }
    }
    if (shown.isNull()) {
        showNoPicture();
    } else {
        RefImage->setPicture(thumbnail);
        RefImage->setGeometry(QRect(thumbnailAt, thumbnailSize(thumbnail.size())));
        Image1->setPicture(shown);
        SetZoom(zoomRow());
    }
    updateCaption();
}

void TFPictures::showNoPicture()
{
    RefImage->clear();
    RefImage->setGeometry(QRect(thumbnailAt, QSize(0, 0)));
    Image1->clear();
    Image1->resize(0, 0);
    STFrame->hide();
}

void TFPictures::updateCaption()
{
    QString caption = shownProject ? fromCp1252(shownProject->getName()) : QStringLiteral("Reference Image");
    caption += QLatin1Char(':') + QString::fromLatin1(testImageTable[static_cast<std::size_t>(testImageRow(testNumber))].title);
    if (shownProject)
        caption += QLatin1Char('[') + fromCp1252(shownProject->getResolutionText()) + QLatin1Char(',') +
                   fromCp1252(shownProject->getColorDepthText(true)) + QLatin1Char(']');
    setWindowTitle(caption);
}

int TFPictures::zoomRow() const
{
    return std::clamp(CbSize->currentIndex(), 0, zoomRowCount - 1);
}

QPoint TFPictures::scroll() const
{
    return QPoint(Scroll1->horizontalScrollBar()->value(), Scroll1->verticalScrollBar()->value());
}

void TFPictures::setScroll(const QPoint &scroll_)
{
    Scroll1->horizontalScrollBar()->setValue(scroll_.x());
    Scroll1->verticalScrollBar()->setValue(scroll_.y());
}

QPointF TFPictures::viewPoint() const
{
    return RelativeViewPoint(scroll(), Scroll1->viewport()->size(), Image1->size());
}

void TFPictures::SetZoom(int row_)
{
    const QPointF keep = viewPoint();
    const ZoomChoice zoom = LimitZoom(ownSize.width(), row_);
    {
        const QSignalBlocker blocker(CbSize);
        CbSize->setCurrentIndex(zoom.row);
    }
    setScroll(QPoint(0, 0));
    Image1->move(0, 0);
    Image1->resize(ZoomedSize(ownSize, zoom.row));
    if (!following) {
        setScroll(ScrollForViewPoint(keep, Scroll1->viewport()->size(), Image1->size()));
        const QPointF now = viewPoint();
        const std::vector<TFPictures *> windows = viewers;
        for (TFPictures *other : windows)
            if (other != this && isViewer(other) && other->testNumber == testNumber)
                other->Follow(zoom.row, now);
        if (zoom.limited)
            AppMessage("Maximum zoom for this picture size is %s", zoomTable[static_cast<std::size_t>(zoom.row)].text);
    }
    updateFrame();
}

void TFPictures::ZoomIn()
{
    if (zoomRow() + 1 < zoomRowCount)
        SetZoom(zoomRow() + 1);
}

void TFPictures::ZoomOut()
{
    if (zoomRow() > 0)
        SetZoom(zoomRow() - 1);
}

void TFPictures::Follow(int row_, const QPointF &point_)
{
    if (row_ != zoomRow()) {
        following = true;
        SetZoom(row_);
        following = false;
    }
    setScroll(ScrollForViewPoint(point_, Scroll1->viewport()->size(), Image1->size()));
    updateFrame();
}

void TFPictures::passPosition()
{
    const QPointF point = viewPoint();
    const std::vector<TFPictures *> windows = viewers;
    for (TFPictures *other : windows)
        if (other != this && isViewer(other) && other->testNumber == testNumber)
            other->Follow(zoomRow(), point);
}

void TFPictures::updateFrame()
{
    const QRect frame = ThumbnailFrame(RefImage->geometry(), scroll(), Scroll1->viewport()->size(), Image1->size());
    if (frame.isEmpty() || RefImage->picture().isNull()) {
        STFrame->hide();
        return;
    }
    STFrame->setGeometry(frame);
    STFrame->show();
    STFrame->raise();
}

void TFPictures::applyTest(int row_)
{
    testNumber = testImageTable[static_cast<std::size_t>(row_)].n;
    {
        const QSignalBlocker blocker(CbTest);
        CbTest->setCurrentIndex(row_);
    }
    LoadPicture();
}

void TFPictures::SelectTest(int row_)
{
    if (row_ < 0 || testImageTable[static_cast<std::size_t>(std::min<int>(row_, testImageRows))].n == 0)
        return;
    const int old = testNumber;
    applyTest(row_);
    if (testNumber == old)
        return;
    const std::vector<TFPictures *> windows = viewers;
    for (TFPictures *other : windows)
        if (other != this && isViewer(other) && other->testNumber == old)
            other->applyTest(row_);
}

void TFPictures::SelectProject(int index_)
{
    if (index_ < 0 || index_ >= CbProject->count())
        return;
    if (CbProject->currentIndex() != index_) {
        const QSignalBlocker blocker(CbProject);
        CbProject->setCurrentIndex(index_);
    }
    shownProject = index_ >= 2 ? static_cast<CBasicProject *>(CbProject->itemData(index_).value<void *>()) : nullptr;
    LoadPicture();
}

void TFPictures::Swap()
{
    swap = (swap + 1) % 3;
    int index = CbProject->currentIndex();
    if (swap != 0) {
        if (index >= 2) {
            swapIndex = index;
            index = 0;
        } else {
            index = swap - 1;
        }
    } else if (swapIndex < CbProject->count()) {
        index = swapIndex;
    }
    SelectProject(index);
}

bool TFPictures::ownShownPicture()
{
    // Changed where it lies; a copy only when someone else (the clipboard)
    // still shares it, and that copy is held against the picture budget.
    Image1->clear();
    if (shown.isDetached())
        return true;
    PictureRead copy = CopyPicture(shown);
    if (!copy.ok()) {
        Image1->setPicture(shown);
        ShowPictureFailure("combined", largeFile, copy.error);
        return false;
    }
    shown = std::move(copy.image);
    return true;
}

void TFPictures::Combine(const QImage &other_, int operation_)
{
    if (other_.isNull() || shown.isNull())
        return;
    if (other_.size() != shown.size())
        ShowMessage(QStringLiteral("Warning!Images are of different size."));
    if (!ownShownPicture())
        return;
    CombinePictures(shown, other_, operation_);
    Image1->setPicture(shown);
}

void TFPictures::pasteSpecial(int operation_)
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    Combine(QApplication::clipboard()->image(), operation_);
}

void TFPictures::combineWithReference(int operation_)
{
    const TProjectImages *set = ReferenceImages(0);
    const TThumbPicture *entry = set ? set->findByTag(testNumber) : nullptr;
    if (!entry || shown.isNull())
        return;
    // The reference is combined in as its rows are read, never held whole.
    const QString fileName = TThumbPictureList::largeFileName(entry);
    const PictureHeader header = ReadPictureHeader(fileName);
    if (!header.error.isEmpty()) {
        showLoadFailure(fileName, header.error);
        return;
    }
    if (header.size != shown.size())
        ShowMessage(QStringLiteral("Warning!Images are of different size."));
    if (!ownShownPicture())
        return;
    const QString why = CombinePictureFile(shown, fileName, operation_);
    if (!why.isEmpty()) {
        ShowPictureFailure("combined", fileName, why);
        // Half combined is no picture to compare by.
        LoadPicture();
        return;
    }
    Image1->setPicture(shown);
}

void TFPictures::MSaveAsClick()
{
    const bool projectShown = CbProject->currentIndex() >= 2;
    TFileDialogRequest request;
    request.save = true;
    request.folder = GetDefaultFolder();
    request.filters = QtFileFilters(projectShown ? QStringLiteral("Bitmaps (*.bmp)|*.bmp")
                                                 : QStringLiteral("Portable Network Graphics (*.png)|*.png"));
    request.defaultSuffix = projectShown ? QStringLiteral("bmp") : QStringLiteral("png");
    const QStringList chosen = RunFileDialog(request);
    if (chosen.isEmpty())
        return;
    const QString fileName = chosen.first();
    // A name that says which of the two it is gets that; any other the dialog's.
    const QString suffix = QFileInfo(fileName).suffix();
    PictureFormat format = projectShown ? PictureFormat::Bmp : PictureFormat::Png;
    if (suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
        format = PictureFormat::Png;
    else if (suffix.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        format = PictureFormat::Bmp;
    const QString error = WritePictureFile(shown, fileName, format);
    if (!error.isEmpty())
        AppMessage("An error occured while trying to save the image. [%s]", toCp1252(error).c_str());
}

void TFPictures::MOpenClick()
{
    OpenPictureInShell(largeFile);
}

void TFPictures::MCloseAllClick()
{
    const std::vector<TFPictures *> windows = viewers;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (*it != this && isViewer(*it))
            closeViewer(*it);
    closeViewer(this);
}

void TFPictures::MCopyClick()
{
    if (!shown.isNull())
        PutPictureOnClipboard(shown);
}

void TFPictures::MThumbnailClick()
{
    Panel->setVisible(!Panel->isVisible());
    MThumbnail->setChecked(Panel->isVisible());
    updateFrame();
}

void TFPictures::MFullScreenClick()
{
    Panel->hide();
    MThumbnail->setChecked(false);
    if (QMdiSubWindow *child = subWindowOf(this))
        child->showMaximized();
    else
        showMaximized();
    updateFrame();
}

void TFPictures::Tile()
{
    const QSize client = clientArea();
    if (client.isEmpty())
        return;
    const std::vector<QRect> places = TileRects(static_cast<int>(viewers.size()), client);
    for (std::size_t i = 0; i < viewers.size() && i < places.size(); ++i) {
        QMdiSubWindow *child = subWindowOf(viewers[i]);
        if (!child)
            continue;
        if (child->isMaximized() || child->isMinimized())
            child->showNormal();
        child->setGeometry(places[i]);
    }
}

void TFPictures::Cascade()
{
    const QSize client = clientArea();
    if (client.isEmpty())
        return;
    // In list order with the current viewer last: each is brought over the
    // one before, so every title bar shows and the current one stays in front.
    QMdiSubWindow *current = nullptr;
    if (TFMainForm *main = TFMainForm::instance())
        current = main->mdiArea()->activeSubWindow();
    std::vector<QMdiSubWindow *> children;
    for (TFPictures *window : viewers)
        if (QMdiSubWindow *child = subWindowOf(window))
            children.push_back(child);
    std::stable_partition(children.begin(), children.end(), [current](QMdiSubWindow *c_) { return c_ != current; });
    std::vector<QSize> sizes;
    for (QMdiSubWindow *child : children) {
        if (child->isMaximized() || child->isMinimized())
            child->showNormal();
        sizes.push_back(child->size());
    }
    const std::vector<QPoint> places = CascadePositions(sizes, client);
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->move(places[i]);
        children[i]->raise();
    }
    if (current && current->mdiArea() && current->mdiArea()->activeSubWindow() != current)
        current->mdiArea()->setActiveSubWindow(current);
}

void TFPictures::EditMenuOpen()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    MPasteSpecial->setEnabled(data && data->hasImage());
}

void TFPictures::ViewMenuOpen()
{
    MSwap->setEnabled(swap > 0 || CbProject->currentIndex() >= 1);
}

void TFPictures::CompareMenuOpen()
{
    const bool projectPicture = shownProject && !shown.isNull();
    MXorReference->setEnabled(projectPicture);
    MAndReference->setEnabled(projectPicture);
}

void TFPictures::ProjectMenuOpen()
{
    for (QAction *item : projectItems) {
        MProject->removeAction(item);
        delete item;
    }
    projectItems.clear();
    for (int i = 2; i < CbProject->count(); ++i) {
        QAction *item = MProject->addAction(menuCaption(CbProject->itemText(i)));
        item->setCheckable(true);
        item->setChecked(CbProject->itemData(i).value<void *>() == shownProject);
        auto *project = static_cast<CBasicProject *>(CbProject->itemData(i).value<void *>());
        connect(item, &QAction::triggered, this, [this, project] {
            for (int j = 2; j < CbProject->count(); ++j)
                if (CbProject->itemData(j).value<void *>() == project)
                    SelectProject(j);
        });
        projectItems.push_back(item);
    }
}

void TFPictures::TestMenuOpen()
{
    const int row = testImageRow(testNumber);
    for (std::size_t i = 0; i < testItems.size(); ++i)
        testItems[i]->setChecked(static_cast<int>(i) == row);
}

void TFPictures::ZoomMenuOpen()
{
    for (std::size_t i = 0; i < zoomItems.size(); ++i)
        zoomItems[i]->setChecked(static_cast<int>(i) == zoomRow());
}

void TFPictures::WindowMenuOpen()
{
    for (QAction *item : windowItems) {
        MWindow->removeAction(item);
        delete item;
    }
    windowItems.clear();
    for (TFPictures *window : viewers) {
        auto *item = new QAction(menuCaption(window->windowTitle()), MWindow);
        item->setCheckable(true);
        item->setChecked(window == this);
        QPointer<TFPictures> target(window);
        connect(item, &QAction::triggered, this, [target] {
            if (target && isViewer(target))
                bringToFront(target);
        });
        MWindow->insertAction(windowSeparator, item);
        windowItems.push_back(item);
    }
}

void TFPictures::PopupMenuOpen()
{
    POpen->setEnabled(!shown.isNull());
    PCopy->setEnabled(!shown.isNull());
}

void TFPictures::showEvent(QShowEvent *event_)
{
    TFMDIChildForm::showEvent(event_);
    if (!shownOnce) {
        shownOnce = true;
        FormShow();
    }
}

void TFPictures::FormShow()
{
    if (QLayout *own = layout())
        own->activate();
    Image1->move(0, 0);
    setScroll(QPoint(0, 0));
    QMdiSubWindow *child = subWindowOf(this);
    const QSize frame = child ? child->size() - child->contentsRect().size() : QSize(0, 0);
    // What the window's own area may take of the main window's client area.
    QSize client = clientArea();
    if (!client.isEmpty())
        client = (client - frame).expandedTo(QSize(1, 1));
    const int thumbnailRight = Thumbnail->mapTo(this, QPoint(Thumbnail->width(), 0)).x();
    int width = std::max(Image1->width() + 4, thumbnailRight + 8);
    if (!client.isEmpty())
        width = std::min(width, client.width());
    width = std::min(width, 361);
    // Room for every menu of the bar and the whole names of the lists,
    // where the client area has it.
    int needed = std::max(MainMenu->sizeHint().width(), Panel->sizeHint().width());
    if (!client.isEmpty())
        needed = std::min(needed, client.width());
    width = std::max(width, needed);
    // A picture wider than the window shares its box with a scroll bar,
    // which must not cover its rows.
    const int bar = Image1->width() + 4 > width ? Scroll1->horizontalScrollBar()->sizeHint().height() : 0;
    int height = std::max(Panel->sizeHint().height() + Image1->height() + 4 + bar, 105);
    if (!client.isEmpty())
        height = std::min(height, client.height());
    height = std::min(height, 429);
    // The menu bar sits inside the window here, not above its client area.
    height += MainMenu->sizeHint().height();
    if (child) {
        QSize outer = QSize(width, height) + frame;
        if (!client.isEmpty())
            outer = outer.boundedTo(client + frame);
        child->resize(outer);
    } else {
        resize(width, height);
    }
    updateFrame();
}

QAction *TFPictures::keyCommand(const QKeyEvent *event_) const
{
    const Qt::KeyboardModifiers mods = event_->modifiers();
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        switch (event_->key()) {
        case Qt::Key_Plus:
            return MZoomIn;
        case Qt::Key_Equal:
            return mods & Qt::KeypadModifier ? nullptr : MZoomIn;
        case Qt::Key_Minus:
            return MZoomOut;
        case Qt::Key_Space:
            return MSwap;
        default:
            break;
        }
    }
    const QKeySequence pressed(QKeyCombination(mods & ~Qt::KeypadModifier, static_cast<Qt::Key>(event_->key())));
    for (QAction *item : {MCopy, MFullScreen, MRestore, MXorReference, MAndReference})
        if (item->shortcut() == pressed)
            return item;
    // The main window's menu bar has letters of these menus too (File,
    // Edit, View, Window) and would take every other press.
    if ((mods & ~Qt::KeypadModifier) == Qt::AltModifier)
        for (QAction *item : MainMenu->actions())
            if (item->menu() && item->isVisible() && item->isEnabled() && QKeySequence::mnemonic(item->text()) == pressed)
                return item;
    return nullptr;
}

bool TFPictures::runKeyCommand(QAction *action_)
{
    if (action_->menu()) {
        MainMenu->setActiveAction(action_);
        return true;
    }
    // As from the menu: its states first.
    EditMenuOpen();
    ViewMenuOpen();
    CompareMenuOpen();
    if (action_->isEnabled())
        action_->trigger();
    return true;
}

bool TFPictures::event(QEvent *event_)
{
    if (event_->type() == QEvent::ShortcutOverride || event_->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event_);
        if (QAction *command = keyCommand(key)) {
            key->accept();
            if (event_->type() == QEvent::KeyPress)
                runKeyCommand(command);
            return true;
        }
    }
    return TFMDIChildForm::event(event_);
}

void TFPictures::centreOnThumbnail(const QPoint &at_)
{
    const QSize thumb = RefImage->size();
    if (thumb.isEmpty())
        return;
    const QPointF point(std::clamp(double(at_.x()) / thumb.width(), 0.0, 1.0),
                        std::clamp(double(at_.y()) / thumb.height(), 0.0, 1.0));
    setScroll(ScrollForViewPoint(point, Scroll1->viewport()->size(), Image1->size()));
    updateFrame();
}

bool TFPictures::eventFilter(QObject *watched_, QEvent *event_)
{
    const QEvent::Type type = event_->type();
    if (type == QEvent::ShortcutOverride || type == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched_);
        if (widget && widget->window() == window()) {
            auto *key = static_cast<QKeyEvent *>(event_);
            if (QAction *command = keyCommand(key)) {
                key->accept();
                if (type == QEvent::KeyPress)
                    runKeyCommand(command);
                return true;
            }
        }
        return false;
    }
    const bool mouseEvent = type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                            type == QEvent::MouseButtonRelease;
    if (mouseEvent && watched_ == Image1) {
        auto *mouse = static_cast<QMouseEvent *>(event_);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            dragging = true;
            dragFrom = mouse->globalPosition().toPoint();
            Image1->setCursor(Qt::ClosedHandCursor);
            return true;
        }
        if (type == QEvent::MouseMove && dragging && (mouse->buttons() & Qt::LeftButton)) {
            const QPoint now = mouse->globalPosition().toPoint();
            setScroll(scroll() - (now - dragFrom));
            dragFrom = now;
            updateFrame();
            return true;
        }
        if (type == QEvent::MouseButtonRelease && dragging && mouse->button() == Qt::LeftButton) {
            dragging = false;
            Image1->unsetCursor();
            passPosition();
            Image1->update();
            return true;
        }
    } else if (mouseEvent && watched_ == RefImage) {
        auto *mouse = static_cast<QMouseEvent *>(event_);
        if ((type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) ||
            (type == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton))) {
            centreOnThumbnail(mouse->position().toPoint());
            return true;
        }
    } else if (type == QEvent::Resize && watched_ == Scroll1->viewport()) {
        updateFrame();
    }
    return TFMDIChildForm::eventFilter(watched_, event_);
}
