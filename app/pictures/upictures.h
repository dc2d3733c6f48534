#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <vector>

#include "uMDIForm.h"

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QMenu;
class QMenuBar;
class CBasicDatabase;
class CBasicProject;
class TAdvImage;
class TAdvScrollBox;
class TThumbPicture;

// The picture viewer: one screenshot of a picture test, of a project of its
// database or of a reference set, zoomed in fixed steps. Viewers of the same
// test keep the same zoom and position.
class TFPictures : public TFMDIChildForm {
    Q_OBJECT
public:
    // test_: the number of the picture test (1 to 4); project_ null shows
    // the reference images.
    TFPictures(QWidget *owner_, int test_, CBasicDatabase *database_, CBasicProject *project_);
    ~TFPictures() override;

    // The open viewers, in the order they were made; a viewer leaves when it
    // closes.
    static const std::vector<TFPictures *> &Windows();
    // The database's projects changed: its viewers fill their project lists
    // again, last first; when the database itself goes they close.
    static void DatabaseChanged(CBasicDatabase *database_, bool destroyed_ = false);
    // A project goes away: no viewer lists or shows it any more.
    static void ProjectGone(const CBasicProject *project_);
    // All viewers over the main window's client area.
    static void Tile();
    static void Cascade();

    int test() const { return testNumber; }
    CBasicDatabase *database() const { return shownDatabase; }
    CBasicProject *project() const { return shownProject; }
    int zoomRow() const;
    int swapState() const { return swap; }
    // The picture's own size in pixels; empty without a picture.
    QSize pictureSize() const { return ownSize; }
    // The picture as shown, combinations included.
    const QImage &shownPicture() const { return shown; }
    QString largeFileName() const { return largeFile; }

    void SetZoom(int row_);
    void ZoomIn();
    void ZoomOut();
    void SelectTest(int row_);
    void SelectProject(int index_);
    void Swap();
    void Combine(const QImage &other_, int operation_);
    void LoadPicture();
    // gone_: a project that is being freed and must not be listed.
    void FillProjects(const CBasicProject *gone_ = nullptr);
    // The centre of the view relative to the shown picture.
    QPointF viewPoint() const;
    void Follow(int row_, const QPointF &point_);

    // Handlers of the menus, by their items.
    void MSaveAsClick();
    void MOpenClick();
    void MCloseAllClick();
    void MCopyClick();
    void MPasteXorClick() { pasteSpecial(0); }
    void MPasteAndClick() { pasteSpecial(1); }
    void MThumbnailClick();
    void MFullScreenClick();
    void MRestoreClick() { LoadPicture(); }
    void MXorReferenceClick() { combineWithReference(0); }
    void MAndReferenceClick() { combineWithReference(1); }
    // What the menus enable and check when they open.
    void EditMenuOpen();
    void ViewMenuOpen();
    void CompareMenuOpen();
    void ProjectMenuOpen();
    void TestMenuOpen();
    void ZoomMenuOpen();
    void WindowMenuOpen();
    void PopupMenuOpen();

    TAdvScrollBox *Scroll1 = nullptr;
    TAdvImage *Image1 = nullptr;
    QWidget *Panel = nullptr;
    QGroupBox *Settings = nullptr;
    QComboBox *CbTest = nullptr;
    QComboBox *CbProject = nullptr;
    QComboBox *CbSize = nullptr;
    QGroupBox *Thumbnail = nullptr;
    TAdvImage *RefImage = nullptr;
    QFrame *STFrame = nullptr;
    QMenuBar *MainMenu = nullptr;
    QMenu *MFile = nullptr, *MEdit = nullptr, *MPasteSpecial = nullptr, *MView = nullptr, *MCompare = nullptr,
          *MProject = nullptr, *MTest = nullptr, *MZoom = nullptr, *MWindow = nullptr, *PopupMenu = nullptr;
    QAction *MSaveAs = nullptr, *MOpenViewer = nullptr, *MClose = nullptr, *MCloseAll = nullptr, *MCopy = nullptr,
            *MXor = nullptr, *MAnd = nullptr, *MThumbnail = nullptr, *MSwap = nullptr, *MFullScreen = nullptr,
            *MRestore = nullptr, *MXorReference = nullptr, *MAndReference = nullptr, *MZoomIn = nullptr,
            *MZoomOut = nullptr, *MCascade = nullptr, *MTile = nullptr, *POpen = nullptr, *PCopy = nullptr;
    std::vector<QAction *> testItems;
    std::vector<QAction *> zoomItems;

protected:
    void showEvent(QShowEvent *event_) override;
    void closeEvent(QCloseEvent *event_) override;
    bool event(QEvent *event_) override;
    bool eventFilter(QObject *watched_, QEvent *event_) override;

private:
    void buildControls();
    void buildMenus();
    QAction *menuItem(QMenu *menu_, const QString &caption_, void (TFPictures::*handler_)(),
                      const QKeySequence &shortcut_ = QKeySequence());
    void FormShow();
    void leaveWindows();
    void applyTest(int row_);
    TThumbPicture *pictureEntry() const;
    void showNoPicture();
    void updateCaption();
    void updateFrame();
    void setScroll(const QPoint &scroll_);
    QPoint scroll() const;
    void passPosition();
    void centreOnThumbnail(const QPoint &at_);
    // The shown picture made the viewer's alone, so it can be changed; false
    // (with the message) when the budget has no room for a copy.
    bool ownShownPicture();
    void pasteSpecial(int operation_);
    void combineWithReference(int operation_);
    QAction *keyCommand(const QKeyEvent *event_) const;
    bool runKeyCommand(QAction *action_);
    bool lists(const CBasicProject *project_) const;

    int testNumber = 1;
    CBasicDatabase *shownDatabase = nullptr;
    CBasicProject *shownProject = nullptr;
    // The full-size picture is held once, as shown: combining changes it
    // where it lies and Restore reads the file again, so only its own size
    // is kept beside it.
    QSize ownSize;
    QImage shown;
    QString largeFile;
    bool following = false;
    int swap = 0;
    int swapIndex = 0;
    bool shownOnce = false;
    bool dragging = false;
    QPoint dragFrom;
    std::vector<QAction *> projectItems;
    std::vector<QAction *> windowItems;
    QAction *windowSeparator = nullptr;
};
