#ifndef APP_UFILES_H
#define APP_UFILES_H

#include <QString>
#include <QStringList>
#include <functional>

class CBasicDatabase;
class TFMainForm;

// What an open or save dialog is set up with.
struct TFileDialogRequest {
    bool save = false;
    bool multiple = false;
    QString title;
    QString folder;      // initial folder
    QString fileName;    // proposed name
    QStringList filters; // Qt name filters, "text (*.a *.b)"
    int filterIndex = 0; // the filter selected at first
    QString defaultSuffix;
};

// Runs the dialog; the chosen files in order, empty when cancelled. Tests
// replace the runner (an empty one puts back QFileDialog).
using TFileDialogRunner = std::function<QStringList(const TFileDialogRequest &request_)>;
void SetFileDialogRunner(TFileDialogRunner runner_);
QStringList RunFileDialog(const TFileDialogRequest &request_);

// "text|pattern;pattern|..." as Qt name filters.
QStringList QtFileFilters(const QString &filter_);

// The clipboard text that says the main window holds projects to paste.
inline const QString ProjectListMarker = QStringLiteral("ProjectList");

// The open dialog: every file chosen is opened; those that loaded join the
// recent-file list.
void OpenFiles(TFMainForm &main_);

// Opens a project (".prp") or database (".prb"), or every path of a list
// file when the path is "&" and its name. True when loaded.
bool OpenFileByPath(TFMainForm &main_, const QString &path_);

// Opens a ".prb" file as a database and shows its window, asking what a
// name clash needs and showing what went wrong; null otherwise.
CBasicDatabase *OpenDatabaseFile(const QString &path_);

// OpenFileByPath for one of several files: an exception is reported in the
// exception dialog and false returned, so the files behind it still open.
// stop_ is set when the user chose to end the program.
bool OpenFileReported(TFMainForm &main_, const QString &path_, bool &stop_);

// Saves database_ (null: the active database window's) in its own format,
// or writes its text export or the selected project, by the extension.
// True only when the database itself was saved, or when the active child
// is no database window (nothing to do).
bool SaveDatabase(TFMainForm &main_, bool saveAs_, CBasicDatabase *database_);
// Every open database, in the order they were opened.
void SaveAllDatabases(TFMainForm &main_);

// A proposed name with a folder opens the dialog in that folder with the
// bare name; otherwise the dialog opens in the default folder.
void SaveDialogShow(TFileDialogRequest &dialog_);

// The project clipboard: Copy and Cut keep a transfer object of the
// selected projects in the main window and put the marker on the
// clipboard; Paste drops it on the active database window or the tree's
// selected database.
void MCopyClick(TFMainForm &main_);
void MCutClick(TFMainForm &main_);
void MPasteClick(TFMainForm &main_);
bool ClipboardHoldsProjects();

#endif
