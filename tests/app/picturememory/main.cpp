// picture_memory_helper PROGRAM_FOLDER DATABASE SCENARIO [PROJECT]
// Starts the main window as the program does, from PROGRAM_FOLDER (which
// holds Quality/Reference), opens DATABASE, shows its Image Quality tab and
// opens the picture viewer by a double click on the reference picture of the
// first picture test, painting each step. Then, by SCENARIO:
//   view        nothing more
//   copy-xor    Ctrl+C, Paste Special > Xor with the copy, the viewer
//               closed, and a viewer opened on the third test's reference
//   project-xor the project file PROJECT opened into the database, a viewer
//               opened on its picture of the first test, and F6 (Xor to
//               reference)
//   hostile     the project file PROJECT opened into the database before
//               the tab is shown, and a viewer opened on its picture of the
//               fourth test instead of the reference's
//   alone       DATABASE is "-": the project file PROJECT opened as a
//               command line opens it, into a database of its own, and a
//               viewer opened on its picture of the first test that shows
//               one, if any does
// Prints, one a line:
//   tab-ms N       milliseconds from the start until the Image Quality tab
//                  was painted
//   tab-cpu-ms N   the process's processor time until then, in milliseconds
//   message TEXT   every message box, answered as if by OK or Cancel
//   viewer W H     the size of the picture each viewer opened shows
//   pixel RGB      the shown picture's first pixel after a combination (hex)
//   peak-kib N     the process's peak resident memory (VmHWM)
//   failed STEP    the step that could not be done; exit 1
// Exit 0 when every step was done.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QMenu>
#include <QFile>
#include <QMdiArea>
#include <QTabWidget>
#include <QTest>
#include <cstdio>
#include <ctime>

#include "MessageSink.h"
#include "Ucommoncalls.h"
#include "databasemodels.h"
#include "databasewindow.h"
#include "doubleclick.h"
#include "filetypes.h"
#include "impstringgrid.h"
#include "qtappservices.h"
#include "uBasicDatabase.h"
#include "uMainForm.h"
#include "ufiles.h"
#include "upictures.h"
#include "Advscrollbox.h"
#include "projectload.h"

namespace {

// Boxes would wait for a person; their texts go to the output instead.
class PrintingSink : public MessageSink {
public:
    PrintingSink() { setMessageSink(this); }
    ~PrintingSink() override { setMessageSink(nullptr); }
    MessageAnswer show(const MessageRequest &request_) override
    {
        std::printf("message %s\n", qPrintable(request_.text));
        std::fflush(stdout);
        return request_.kind == MessageRequest::Kind::AppMessage || request_.kind == MessageRequest::Kind::ShowMessage
                   ? MessageAnswer::Ok
                   : MessageAnswer::Cancel;
    }
};

long peakKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int failed(const char *step_)
{
    std::printf("failed %s\n", step_);
    return 1;
}

// Every window painted, as the screen would have it.
void paint(TFMainForm &main_)
{
    QApplication::processEvents();
    main_.grab();
}

// Double-clicks the image grid's cell of a picture test (its row among the
// grid's picture rows) in the column of the reference (0) or a project.
bool openFromGrid(TFMainForm &main_, TFDatabase *window_, int test_, int column_)
{
    int row = -1;
    int seen = 0;
    for (int r = 0; r < TImageGridModel::gridRowCount() && row < 0; ++r)
        if (TImageGridModel::pictureTableRow(r) >= 0 && seen++ == test_)
            row = r;
    if (row < 0 || !window_->pictureOfCell(column_ + 1, row))
        return false;
    TImpStringGrid *grid = window_->ImageGrid;
    const QModelIndex index = window_->imageModel()->index(row - 1, column_);
    grid->scrollTo(index);
    paint(main_);
    const QPoint cell = grid->visualRect(index).center();
    QTest::mouseMove(grid->viewport(), cell);
    doubleClick(grid->viewport(), cell);
    paint(main_);
    return true;
}

TFPictures *lastViewer()
{
    return TFPictures::Windows().empty() ? nullptr : TFPictures::Windows().back();
}

void printViewer(const TFPictures *viewer_)
{
    const QSize shown = viewer_->pictureSize();
    std::printf("viewer %d %d\n", shown.width(), shown.height());
    std::fflush(stdout);
}

void printPixel(const TFPictures *viewer_)
{
    std::printf("pixel %06x\n", viewer_->shownPicture().pixel(0, 0) & 0xFFFFFFu);
    std::fflush(stdout);
}

// A key as a user presses it, to the viewer's picture.
void press(TFPictures *viewer_, int key_, Qt::KeyboardModifiers modifiers_ = Qt::NoModifier)
{
    viewer_->Scroll1->setFocus();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key_), modifiers_);
    QApplication::processEvents();
}

// Since the process started, as near as its first line.
QElapsedTimer sinceStart;

long long cpuMs()
{
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<long long>(used.tv_sec) * 1000 + used.tv_nsec / 1000000;
}

int run(const QString &programFolder_, const QString &database_, const QString &scenario_, const QString &project_)
{
    TQtAppServices services;
    TFMainForm::SetProgramDirectory(programFolder_);
    SetViewerLibraryDirectory(QStringLiteral(SCORVISTA_VIEWER_FOLDER));
    TFMainForm main;
    main.resize(1024, 768);
    main.show();
    paint(main);

    const bool alone = scenario_ == QLatin1String("alone");
    CBasicDatabase *database = nullptr;
    if (alone) {
        if (!OpenFileByPath(main, project_) || CBasicDatabase::openDatabases().size() != 1)
            return failed("open the project into a database of its own");
        database = CBasicDatabase::openDatabases().front();
    } else {
        database = OpenDatabaseFile(database_);
    }
    if (!database)
        return failed("open the database");
    const bool withProject = scenario_ == QLatin1String("project-xor") || scenario_ == QLatin1String("hostile");
    if (withProject && OpenProjectIntoDatabase(project_, database) != 1)
        return failed("open the project into the database");
    if (!database->getWindow())
        database->showWindow();
    TFDatabase *window = database->getWindow();
    if (!window)
        return failed("show the database window");
    window->PageControl1->setCurrentWidget(window->TabImages);
    paint(main);
    std::printf("tab-ms %lld\n", static_cast<long long>(sinceStart.elapsed()));
    std::printf("tab-cpu-ms %lld\n", cpuMs());
    std::fflush(stdout);

    if (alone) {
        // The project is the database's only column.
        for (int test = 0; test < 4; ++test)
            if (openFromGrid(main, window, test, 1)) {
                if (!lastViewer() || !lastViewer()->project())
                    return failed("open the project's picture");
                printViewer(lastViewer());
                break;
            }
    } else if (withProject) {
        // The project is the database's last column.
        const bool hostile = scenario_ == QLatin1String("hostile");
        if (!openFromGrid(main, window, hostile ? 3 : 0, database->getProjectCount()))
            return failed("find the project's picture in the Image Quality grid");
        TFPictures *viewer = lastViewer();
        if (!viewer || !viewer->project())
            return failed("open the project's picture");
        printViewer(viewer);
        if (!hostile) {
            press(viewer, Qt::Key_F6);
            paint(main);
            printPixel(viewer);
        }
    } else {
        if (!openFromGrid(main, window, 0, 0))
            return failed("find a reference picture in the Image Quality grid");
        TFPictures *viewer = lastViewer();
        if (!viewer)
            return failed("open the picture viewer");
        printViewer(viewer);
        if (scenario_ == QLatin1String("copy-xor")) {
            press(viewer, Qt::Key_C, Qt::ControlModifier);
            if (QApplication::clipboard()->image().isNull())
                return failed("copy the picture");
            // Edit > Paste Special > Xor, as the menu gives it.
            viewer->EditMenuOpen();
            if (!viewer->MPasteSpecial->isEnabled())
                return failed("find Paste Special enabled");
            viewer->MXor->trigger();
            paint(main);
            printPixel(viewer);
            viewer->parentWidget()->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            paint(main);
            if (!TFPictures::Windows().empty())
                return failed("close the viewer");
            if (!openFromGrid(main, window, 2, 0))
                return failed("find the third test's reference picture");
            if (!lastViewer())
                return failed("open the second viewer");
            printViewer(lastViewer());
        }
    }
    paint(main);
    std::printf("peak-kib %ld\n", peakKib());
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    sinceStart.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scorvista2001 SE"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 4)
        return 2;
    // The desktop's update tools are not started for the private folders.
    SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    PrintingSink sink;
    const int result = run(arguments.at(1), arguments.at(2), arguments.at(3), arguments.value(4));
    std::fflush(stdout);
    return result;
}
