// picture_memory_helper PROGRAM_FOLDER DATABASE
// Starts the main window as the program does, from PROGRAM_FOLDER (which
// holds Quality/Reference), opens DATABASE, shows its Image Quality tab and
// opens the picture viewer by a double click on the reference picture of the
// first picture test, painting each step. Prints, one a line:
//   message TEXT   every message box, answered as if by OK or Cancel
//   viewer W H     the size of the picture the viewer shows
//   peak-kib N     the process's peak resident memory (VmHWM)
//   failed STEP    the step that could not be done; exit 1
// Exit 0 when every step was done.
#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

#include "MessageSink.h"
#include "Ucommoncalls.h"
#include "databasemodels.h"
#include "databasewindow.h"
#include "filetypes.h"
#include "impstringgrid.h"
#include "qtappservices.h"
#include "uBasicDatabase.h"
#include "uMainForm.h"
#include "ufiles.h"
#include "upictures.h"

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

int run(const QString &programFolder_, const QString &database_)
{
    TQtAppServices services;
    TFMainForm::SetProgramDirectory(programFolder_);
    SetViewerLibraryDirectory(QStringLiteral(SCORVISTA_VIEWER_FOLDER));
    TFMainForm main;
    main.resize(1024, 768);
    main.show();
    paint(main);

    CBasicDatabase *database = OpenDatabaseFile(database_);
    if (!database)
        return failed("open the database");
    if (!database->getWindow())
        database->showWindow();
    TFDatabase *window = database->getWindow();
    if (!window)
        return failed("show the database window");
    window->PageControl1->setCurrentWidget(window->TabImages);
    paint(main);

    // The reference column's cell of the first picture test: grid row and
    // column count from 1, the model's from 0.
    int row = -1;
    for (int r = 0; r < TImageGridModel::gridRowCount() && row < 0; ++r)
        if (TImageGridModel::pictureTableRow(r) >= 0)
            row = r;
    if (row < 0 || !window->pictureOfCell(1, row))
        return failed("find a reference picture in the Image Quality grid");
    TImpStringGrid *grid = window->ImageGrid;
    grid->scrollTo(window->imageModel()->index(row - 1, 0));
    paint(main);
    const QPoint cell = grid->visualRect(window->imageModel()->index(row - 1, 0)).center();
    QTest::mouseMove(grid->viewport(), cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    paint(main);
    if (TFPictures::Windows().size() != 1)
        return failed("open the picture viewer");
    const QSize shown = TFPictures::Windows().front()->pictureSize();
    std::printf("viewer %d %d\n", shown.width(), shown.height());
    paint(main);
    std::printf("peak-kib %ld\n", peakKib());
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scorvista2001 SE"));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3)
        return 2;
    // The desktop's update tools are not started for the private folders.
    SetDesktopToolRunner([](const QString &, const QStringList &) { return true; });
    PrintingSink sink;
    const int result = run(arguments.at(1), arguments.at(2));
    std::fflush(stdout);
    return result;
}
