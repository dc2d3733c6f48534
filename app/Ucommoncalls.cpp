#include "Ucommoncalls.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinterInfo>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <cstdarg>
#include <cstdio>

#include "Cp1252.h"
#include "Shell.h"
#include "ViewerLibrary.h"
#include "kvs_exception.h"
#include "uMainForm.h"
#include "uMessage.h"
#include "upictures.h"

namespace {

QPointer<QWidget> mainWindow;
QPointer<TFMessage> workForm;

bool colorDepthWarned = false;
std::function<int()> colorDepthSource;
std::function<PrinterState()> printerStateSource;

QString viewerDirectory;
bool exitReleaseRegistered = false;

ViewerLibrary &currentViewer()
{
    static ViewerLibrary library(QStringLiteral("RigscanGUIMFC"));
    return library;
}

ViewerLibrary &oldViewer()
{
    static ViewerLibrary library(QStringLiteral("RigscanGUIMFCO"));
    return library;
}

int displayDepth()
{
    if (colorDepthSource)
        return colorDepthSource();
    if (mainWindow)
        return mainWindow->depth();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

// Qt's PDF output, one of the system's printers.
const QString pdfPrinterName = QStringLiteral("PDF");

PrinterState systemPrinters()
{
    PrinterState state;
    state.printers = QPrinterInfo::availablePrinterNames();
    state.defaultPrinter = QPrinterInfo::defaultPrinterName();
    // Qt's PDF output is always there, so reports preview and print to a
    // file also on a system without printers or without a default one.
    state.printers << pdfPrinterName;
    if (state.defaultPrinter.isEmpty())
        state.defaultPrinter = pdfPrinterName;
    return state;
}

bool loadViewer(ViewerLibrary &library_, const char *missingText_, bool freeBoth_)
{
    switch (library_.load(ViewerLibraryDirectory())) {
    case ViewerLibrary::LoadResult::Loaded:
        return true;
    case ViewerLibrary::LoadResult::LoadFailed:
        ShowMessage(library_.errorString().left(254));
        return false;
    case ViewerLibrary::LoadResult::FunctionMissing:
        if (freeBoth_)
            FreeSystemInfoLibrary();
        else
            library_.unload();
        ShowMessage(QString::fromLatin1(missingText_));
        return false;
    }
    return false;
}

// Whatever escapes the library is reported, never passed on.
void guardedShow(ViewerLibrary::ShowDialogFunction show_, const void *data_, unsigned size_)
{
    try {
        show_(data_, size_);
    } catch (const KVS_exceptionBase &e) {
        ShowMessage(fromCp1252(e.getContext()) + QStringLiteral("::") + fromCp1252(e.getFunction())
                    + QStringLiteral("\n\n") + fromCp1252(e.getMessage()));
    } catch (...) {
        ShowMessage(QStringLiteral("Fatal error on .dll call"));
    }
}

template <class Str>
int length(const Str &s_)
{
    return static_cast<int>(s_.size());
}

// p_ counts from 1.
template <class Str>
bool blankAt(const Str &s_, int p_)
{
    return s_[p_ - 1] == ' ';
}

inline std::string left(const std::string &s_, int n_) { return s_.substr(0, static_cast<std::size_t>(n_)); }
inline QString left(const QString &s_, int n_) { return s_.left(n_); }
inline std::string from(const std::string &s_, int n_) { return s_.substr(static_cast<std::size_t>(n_)); }
inline QString from(const QString &s_, int n_) { return s_.mid(n_); }

template <class List>
void wrapLines(List &lines_, int width_)
{
    if (width_ < 5)
        return;
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        const auto line = lines_[i];
        const int len = length(line);
        // A line that fits stays as it is (cutting it would only move its
        // last word, or add an empty line after a trailing blank).
        if (len <= width_)
            continue;
        int p = width_;
        while (!blankAt(line, p) && p > 1)
            --p;
        if (p < 3) {
            p = width_;
            while (!blankAt(line, p) && p < len)
                ++p;
            if (p >= len)
                continue;
        }
        lines_[i] = left(line, p);
        lines_.insert(lines_.begin() + i + 1, from(line, p));
    }
}

const char *const environmentNotice =
    "Please attach the description of the testing environment to all published results, charts and "
    "figures. The description is available for all projects; the program's help explains how to "
    "export it, and the Polyra2001 license agreement states the requirements for publishing results.";

const char *const resultNotice =
    "These results were created with Polyra2001. The tests were performed without independent "
    "verification by CorvalinSoft Corporation, and CorvalinSoft Corporation makes no representations "
    "or warranties as to the result of the test. All products used in the test were shipping versions "
    "available to the general public.";

} // namespace

void SetProgramMainWindow(QWidget *window_)
{
    mainWindow = window_;
}

QWidget *ProgramMainWindow()
{
    return mainWindow;
}

MessageAnswer AppMessage(const char *format_, ...)
{
    char buffer[AppMessageBufferSize];
    va_list args;
    va_start(args, format_);
    // vsnprintf cuts at 255 characters and always ends the text.
    const int n = std::vsnprintf(buffer, sizeof buffer, format_, args);
    va_end(args);
    if (n < 0)
        buffer[0] = '\0';
    return showAppMessage(fromCp1252(buffer));
}

MessageAnswer AppMessage(const QString &text_)
{
    return showAppMessage(text_.left(AppMessageBufferSize - 1));
}

void BeginWorkMessage()
{
    if (!workForm)
        workForm = new TFMessage(mainWindow);
    workForm->setNestingCount(workForm->nestingCount() + 1);
}

void EndWorkMessage()
{
    if (!workForm)
        return;
    workForm->setNestingCount(workForm->nestingCount() - 1);
    if (workForm->nestingCount() <= 0)
        delete workForm.data();
}

TFMessage *WorkMessageForm()
{
    return workForm;
}

void WarnColorDepth()
{
    if (colorDepthWarned)
        return;
    const int bits = displayDepth();
    if (bits < 24) {
        AppMessage("Current display color depth is only %d-bits. Image colors can be inaccurate.", bits);
        colorDepthWarned = true;
    }
}

void SetColorDepthSource(std::function<int()> source_)
{
    colorDepthSource = std::move(source_);
}

void ResetColorDepthWarning()
{
    colorDepthWarned = false;
}

bool HasPictureExtension(const QString &fileName_)
{
    static const QStringList extensions = {"png", "bmp", "jpg", "jpeg", "gif", "tif", "tiff"};
    return extensions.contains(QFileInfo(fileName_).suffix(), Qt::CaseInsensitive);
}

void OpenPictureInShell(const QString &largeFileName_)
{
    if (largeFileName_.isEmpty())
        return;
    WarnColorDepth();
    const QFileInfo info(largeFileName_);
    ShellResult result;
    if (!info.exists())
        result.errorText = shellErrorText(ShellErrorFileNotFound);
    else if (!info.isFile() || !HasPictureExtension(largeFileName_))
        result.errorText = shellErrorText(ShellErrorAccessDenied);
    else
        result = shellOpenFile(largeFileName_);
    // What the desktop said, not a Windows code number, which means nothing
    // here. One arg() call: a name holding "%2" must not take the reason's place.
    if (!result.ok)
        ShowMessage(QStringLiteral("Error Opening File %1. (%2)").arg(largeFileName_, result.errorText));
}

TFPictures *OpenPictureWindow(int test_, CBasicDatabase *database_, CBasicProject *project_)
{
    TFMainForm *main = TFMainForm::instance();
    auto *window = new TFPictures(main, test_, database_, project_);
    if (!main) {
        window->show();
        return window;
    }
    QMdiSubWindow *child = main->mdiArea()->addSubWindow(window);
    child->show();
    main->mdiArea()->setActiveSubWindow(child);
    return window;
}

void OpenUrl(const QString &address_)
{
    static const QStringList schemes = {"http", "https", "mailto", "ftp"};
    const QUrl url(address_, QUrl::StrictMode);
    const bool web = url.isValid() && schemes.contains(url.scheme(), Qt::CaseInsensitive);
    ShellResult result;
    if (!web)
        result.errorText = QStringLiteral("Only web and mail addresses are opened.");
    else
        result = shellOpenUrl(url);
    if (result.ok)
        return;
    // The address and what the desktop said, so the user can open it by hand.
    QString text = QStringLiteral("Unable to open given URL.");
    if (!address_.isEmpty())
        text += QLatin1Char(' ') + address_;
    if (!result.errorText.isEmpty())
        text += QStringLiteral(" (") + result.errorText + QLatin1Char(')');
    ShowMessage(text);
}

void SetPrinterStateSource(std::function<PrinterState()> source_)
{
    printerStateSource = std::move(source_);
}

bool CheckPrinters()
{
    const PrinterState state = printerStateSource ? printerStateSource() : systemPrinters();
    if (!state.hasPrinterList)
        return false;
    if (state.printers.isEmpty()) {
        AppMessage("No Printers Detected - Printing capabilities not available.");
        return false;
    }
    if (state.defaultPrinter.isEmpty() || !state.printers.contains(state.defaultPrinter)) {
        AppMessage("You have not selected a Default Printer - Printing capabilities not available.");
        return false;
    }
    return true;
}

void RunReport(CReport *report_, int mode_)
{
    if (!report_)
        return;
    if (mode_ == ReportPrint)
        report_->Print();
    else if (mode_ == ReportPreview)
        report_->Preview();
}

void WrapLines(std::vector<std::string> &lines_, int width_)
{
    wrapLines(lines_, width_);
}

void WrapLines(QStringList &lines_, int width_)
{
    wrapLines(lines_, width_);
}

QString LetterSpaced(const QString &text_)
{
    QString out;
    out.reserve(text_.size() * 2);
    for (qsizetype i = 0; i < text_.size(); ++i) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += text_[i];
        // A character outside the basic plane stays in one piece.
        if (text_[i].isHighSurrogate() && i + 1 < text_.size() && text_[i + 1].isLowSurrogate())
            out += text_[++i];
    }
    return out;
}

std::string LetterSpaced(const std::string &text_)
{
    std::string out;
    out.reserve(text_.size() * 2);
    for (char c : text_) {
        if (!out.empty())
            out += ' ';
        out += c;
    }
    return out;
}

void AppendResultNotice(std::vector<std::string> &lines_, bool short_)
{
    if (!short_) {
        lines_.emplace_back(environmentNotice);
        lines_.emplace_back();
    }
    lines_.emplace_back(resultNotice);
}

void AppendResultNotice(QStringList &lines_, bool short_)
{
    if (!short_) {
        lines_ << QString::fromLatin1(environmentNotice);
        lines_ << QString();
    }
    lines_ << QString::fromLatin1(resultNotice);
}

void BringBenchmarkToFront() {}

void SetViewerLibraryDirectory(const QString &directory_)
{
    viewerDirectory = directory_;
}

QString ViewerLibraryDirectory()
{
    return viewerDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : viewerDirectory;
}

bool LoadSystemInfoLibrary()
{
    if (!loadViewer(currentViewer(), "Function not found in Systeminfo - library.", true))
        return false;
    if (!exitReleaseRegistered) {
        qAddPostRoutine(FreeSystemInfoLibrary);
        exitReleaseRegistered = true;
    }
    return true;
}

bool LoadOldSystemInfoLibrary()
{
    return loadViewer(oldViewer(), "Function not found in Old Systeminfo - library.", false);
}

void FreeSystemInfoLibrary()
{
    currentViewer().unload();
    oldViewer().unload();
}

bool SystemInfoLibraryLoaded()
{
    return currentViewer().function() != nullptr;
}

bool OldSystemInfoLibraryLoaded()
{
    return oldViewer().function() != nullptr;
}

void ShowSystemInfoDialog(const void *data_, unsigned size_)
{
    if (!SystemInfoLibraryLoaded() && !LoadSystemInfoLibrary())
        return;
    guardedShow(currentViewer().function(), data_, size_);
}

void ShowOldSystemInfoDialog(const void *data_, unsigned size_)
{
    if (!OldSystemInfoLibraryLoaded() && !LoadOldSystemInfoLibrary())
        return;
    guardedShow(oldViewer().function(), data_, size_);
}
