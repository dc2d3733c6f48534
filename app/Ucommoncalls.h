#ifndef APP_UCOMMONCALLS_H
#define APP_UCOMMONCALLS_H

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "MessageSink.h"

class QWidget;
class CBasicDatabase;
class CBasicProject;
class TFMessage;
class TFPictures;

// The main window: owner of the work form, its screen gives the display depth.
void SetProgramMainWindow(QWidget *window_);
QWidget *ProgramMainWindow();

// The program's message box. The format and its string arguments are
// Windows-1252 bytes; the formatted text is cut to 255 characters.
constexpr int AppMessageBufferSize = 256;
MessageAnswer AppMessage(const char *format_, ...) __attribute__((format(printf, 1, 2)));
MessageAnswer AppMessage(const QString &text_);

// Nested pairs share one work form; it exists while the count is above 0.
void BeginWorkMessage();
void EndWorkMessage();
TFMessage *WorkMessageForm();

// Once per run, and only when the display has fewer than 24 bits per pixel.
void WarnColorDepth();
// Tests: where the bits per pixel come from (empty: the main window's screen).
void SetColorDepthSource(std::function<int()> source_);
// Tests: as at the start of a run.
void ResetColorDepthWarning();

// The picture's large file (its name comes from a result file) is opened
// through the desktop only when it is an existing file with an image
// extension; an empty name does nothing.
void OpenPictureInShell(const QString &largeFileName_);
bool HasPictureExtension(const QString &fileName_);

// A picture viewer of the main window for picture test test_ (1 to 4) of
// project_ (null: the reference images), listing the projects of
// database_ (may be null); shown, and returned.
TFPictures *OpenPictureWindow(int test_, CBasicDatabase *database_, CBasicProject *project_);

// Web and mail addresses only.
void OpenUrl(const QString &address_);

struct PrinterState {
    bool hasPrinterList = true;
    QStringList printers;
    QString defaultPrinter;
};
// Tests: where the printers come from (empty: QPrinterInfo, with Qt's PDF output).
void SetPrinterStateSource(std::function<PrinterState()> source_);
// False, after telling the user why, when nothing can be printed.
bool CheckPrinters();

// What a report offers the common calls; the report forms implement it.
class CReport {
public:
    virtual ~CReport() = default;
    virtual void Print() = 0;
    virtual void Preview() = 0;
};
constexpr int ReportPrint = 0;
constexpr int ReportPreview = 1;
// Other modes do nothing; the report's own exceptions pass through.
void RunReport(CReport *report_, int mode_);

// Cuts lines longer than width_ at the last blank within the width (the blank
// stays at the end of the first part), else at the first blank after it;
// a line without such a blank stays whole. Nothing for a width below 5.
void WrapLines(std::vector<std::string> &lines_, int width_);
void WrapLines(QStringList &lines_, int width_);

// "abc" gives "a b c".
QString LetterSpaced(const QString &text_);
std::string LetterSpaced(const std::string &text_);

// The notice that goes with published results; short_ leaves out the
// request to attach the testing environment. One line per paragraph.
void AppendResultNotice(std::vector<std::string> &lines_, bool short_);
void AppendResultNotice(QStringList &lines_, bool short_);

// Brings the benchmark's window back after submission mode. Other programs'
// windows cannot be found or raised from Qt on Linux desktops, so there
// this does nothing.
void BringBenchmarkToFront();

// The viewer libraries: "RigscanGUIMFC" for the current layout of the
// system-information block, "RigscanGUIMFCO" for the older one, both from
// the program's directory.
void SetViewerLibraryDirectory(const QString &directory_); // empty: the program's
QString ViewerLibraryDirectory();
bool LoadSystemInfoLibrary();
bool LoadOldSystemInfoLibrary();
// Releases both; registered to run at the program's exit.
void FreeSystemInfoLibrary();
bool SystemInfoLibraryLoaded();
bool OldSystemInfoLibraryLoaded();
// Loads the library when needed, then shows the dialog; returns when the
// dialog is closed. The data stays the caller's.
void ShowSystemInfoDialog(const void *data_, unsigned size_);
void ShowOldSystemInfoDialog(const void *data_, unsigned size_);

#endif
