#include "ufiles.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTreeWidget>
#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "Cp1252.h"
#include "Exception.h"
#include "FileUtil.h"
#include "MessageSink.h"
#include "Ucommoncalls.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uPolyraDatabase.h"
#include "defaultfolder.h"
#include "uMainForm.h"
#include "projectimages.h"
#include "projectload.h"
#include "recentfilelist.h"
#include "uexception.h"

namespace {

TFileDialogRunner dialogRunner;

// The list files being opened, outermost first: a list met again is a cycle.
QStringList listChain;

QStringList runQtDialog(const TFileDialogRequest &request_)
{
    QFileDialog dialog(TFMainForm::instance(), request_.title, request_.folder);
    dialog.setAcceptMode(request_.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request_.save ? QFileDialog::AnyFile
                                     : request_.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(request_.filters);
    if (request_.filterIndex >= 0 && request_.filterIndex < request_.filters.size())
        dialog.selectNameFilter(request_.filters.at(request_.filterIndex));
    if (!request_.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request_.defaultSuffix);
    if (!request_.fileName.isEmpty())
        dialog.selectFile(request_.fileName);
    // Overwrite prompt: the dialog asks before an existing file is replaced.
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString folderOfFile(const QString &file_)
{
    return QDir::toNativeSeparators(QFileInfo(file_).absolutePath());
}

// A list file's text: UTF-8 when it is valid UTF-8, else Windows-1252.
QStringList readListFile(const QByteArray &bytes_)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes_);
    if (utf8.hasError())
        text = fromCp1252(bytes_.toStdString());
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

bool openListFile(TFMainForm &main_, const QString &listFile_)
{
    QFileInfo info(listFile_);
    const QString key = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    // A list that names itself, or a cycle of lists, is opened once.
    if (listChain.contains(key))
        return true;
    QFile file(listFile_);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        AppMessage(QStringLiteral("File ") + listFile_ + QStringLiteral(" couldn't be opened."));
        return false;
    }
    const QStringList lines = readListFile(file.readAll());
    file.close();
    listChain.append(key);
    struct Leave {
        ~Leave() { listChain.removeLast(); }
    } leave;
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        bool stop = false;
        OpenFileReported(main_, line, stop);
        if (stop)
            break;
    }
    return true;
}

bool isDatabaseWindowActive(TFMainForm &main_)
{
    return main_.activeChild() && main_.activeChildDatabase();
}

bool writeTextLines(const QString &fileName_, const std::vector<std::string> &lines_)
{
    std::string text;
    for (const std::string &line : lines_)
        text += line + "\r\n";
    return writeFileAtomically(ToFilePath(fileName_), reinterpret_cast<const unsigned char *>(text.data()), text.size());
}

// The selected projects as a new transfer object; null when the selection
// holds no projects.
std::unique_ptr<TProjectDrag> transferOfSelection(TFMainForm &main_)
{
    const std::vector<void *> &selected = main_.selection();
    if (selected.empty() || main_.selectionKind() != TFMainForm::ProjectSelection)
        return nullptr;
    auto drag = std::make_unique<TProjectDrag>(static_cast<CBasicProject *>(selected.front()));
    for (void *p : selected)
        drag->addProject(static_cast<CBasicProject *>(p));
    return drag;
}

void putMarkerOnClipboard()
{
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(ProjectListMarker);
}

} // namespace

void SetFileDialogRunner(TFileDialogRunner runner_)
{
    dialogRunner = std::move(runner_);
}

QStringList RunFileDialog(const TFileDialogRequest &request_)
{
    return dialogRunner ? dialogRunner(request_) : runQtDialog(request_);
}

QStringList QtFileFilters(const QString &filter_)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    const QStringList parts = filter_.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts.at(i);
        text.remove(trailingPatterns);
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            // Names without a dot are files too.
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        filters << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

void OpenFiles(TFMainForm &main_)
{
    TFileDialogRequest request;
    request.multiple = true;
    request.folder = GetDefaultFolder();
    request.filters = QtFileFilters(main_.OpenDialogFilter);
    const QStringList files = RunFileDialog(request);
    const TThumbnailLoad load;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (i == 0)
            SetDefaultFolder(folderOfFile(files.at(i)));
        bool stop = false;
        const bool loaded = OpenFileReported(main_, files.at(i), stop);
        if (loaded && main_.recentFiles())
            main_.recentFiles()->AddFile(files.at(i));
        if (stop)
            break;
    }
}

bool OpenFileByPath(TFMainForm &main_, const QString &path_)
{
    if (path_.isEmpty())
        return false;
    const TThumbnailLoad load;
    if (path_.startsWith(QLatin1Char('&')))
        return openListFile(main_, path_.mid(1));
    // The extension, dot included, has four characters; the fourth decides.
    const QString name = QFileInfo(path_).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QChar kind = dot >= 0 && name.size() - dot == 4 ? name.at(dot + 3).toUpper() : QChar();
    bool loaded;
    if (kind == QLatin1Char('P')) {
        loaded = OpenProjectIntoDatabase(path_, nullptr) == 1;
    } else if (kind == QLatin1Char('B')) {
        loaded = OpenDatabaseFile(path_) != nullptr;
    } else {
        ShowMessage(QStringLiteral("Unsupported file type"));
        return false;
    }
    QTreeWidget *tree = main_.tree();
    if (tree->isVisible() && tree->isEnabled())
        tree->setFocus();
    return loaded;
}

CBasicDatabase *OpenDatabaseFile(const QString &path_)
{
    const std::string file = ToFilePath(path_);
    if (QFileInfo(path_).suffix().compare(QLatin1String("prb"), Qt::CaseInsensitive) != 0)
        return nullptr;
    auto database = std::make_unique<CPolyraDatabase>();
    COutcome outcome = database->beginLoad(file);
    while (outcome.asks()) {
        const QString text = fromCp1252(outcome.message);
        const MessageAnswer answer =
            outcome.caption.empty() ? askYesNoCancel(text) : askYesNoCancel(text, fromCp1252(outcome.caption));
        outcome = database->answer(answer == MessageAnswer::Yes  ? CMessages::Answer::Yes
                                   : answer == MessageAnswer::No ? CMessages::Answer::No
                                                                 : CMessages::Answer::Cancel);
    }
    if (!outcome.done()) {
        if (!outcome.message.empty())
            AppMessage(fromCp1252(outcome.message));
        else if (!database->wasCancelled())
            AppMessage(QStringLiteral("File ") + fromCp1252(file) +
                       QStringLiteral(" couldn't be opened or is not a valid database file."));
        return nullptr;
    }
    if (!outcome.message.empty())
        AppMessage(fromCp1252(outcome.message));
    database->showWindow();
    return database.release();
}

bool OpenFileReported(TFMainForm &main_, const QString &path_, bool &stop_)
{
    try {
        return OpenFileByPath(main_, path_);
    } catch (...) {
        if (ShowExceptionDialog(std::current_exception())) {
            stop_ = true;
            QCoreApplication::exit(1);
        }
        return false;
    }
}

void SaveDialogShow(TFileDialogRequest &dialog_)
{
    const qsizetype at = std::max(dialog_.fileName.lastIndexOf(QLatin1Char('/')),
                                  dialog_.fileName.lastIndexOf(QLatin1Char('\\')));
    if (at >= 0) {
        dialog_.folder = at == 0 ? dialog_.fileName.left(1) : dialog_.fileName.left(at);
        dialog_.fileName = dialog_.fileName.mid(at + 1);
    } else {
        dialog_.folder = GetDefaultFolder();
    }
}

bool SaveDatabase(TFMainForm &main_, bool saveAs_, CBasicDatabase *database_)
{
    if (!database_) {
        if (!main_.activeChild())
            return false;
        if (!isDatabaseWindowActive(main_))
            return true;
        database_ = main_.activeChildDatabase();
    }
    if (!database_)
        return false;

    // The dialog's set-up proposes a file name to the database; every road
    // but a saved database file gives it back its own.
    const std::string ownFileName = database_->getFileName();
    bool asked = false;
    auto keepOwnName = [&] {
        if (asked)
            database_->setFileName(ownFileName);
    };
    QString file;
    if (database_->isUntitled() || saveAs_) {
        asked = true;
        CSaveDialogSetup setup;
        database_->setupSaveDialog(setup);
        TFileDialogRequest request;
        request.save = true;
        request.filters = QtFileFilters(fromCp1252(setup.filter));
        request.defaultSuffix = fromCp1252(setup.defaultExt);
        request.fileName = FromFilePath(database_->getFileName());
        SaveDialogShow(request);
        request.title = QStringLiteral("Saving Database:") + fromCp1252(database_->getName());
        const QStringList chosen = RunFileDialog(request);
        if (chosen.isEmpty()) {
            keepOwnName();
            return false;
        }
        file = chosen.front();
        SetDefaultFolder(folderOfFile(file));
        if (QFileInfo(file).suffix().isEmpty()) {
            ShowMessage(QStringLiteral("No file-format specified"));
            keepOwnName();
            return false;
        }
    } else {
        file = FromFilePath(database_->getFileName());
    }

    const QString suffix = QFileInfo(file).suffix();
    auto is = [&](const char *ext) { return suffix.compare(QLatin1String(ext), Qt::CaseInsensitive) == 0; };
    if (is("prb")) {
        const COutcome outcome = database_->save(ToFilePath(file));
        if (!outcome.message.empty())
            AppMessage(fromCp1252(outcome.message));
        const bool saved = outcome.done();
        if (!saved)
            keepOwnName();
        return saved;
    }
    keepOwnName();
    if (is("prp")) {
        main_.BuildSelectionFromTree();
        if (main_.selection().size() == 1 && main_.selectionKind() == TFMainForm::ProjectSelection)
            static_cast<CBasicProject *>(main_.selection().front())->saveToFile(ToFilePath(file), false, false);
        return false;
    }
    if (is("txt")) {
        std::vector<std::string> lines;
        if (!exportDatabaseText(*database_, lines))
            return false;
        lines.emplace_back();
        AppendResultNotice(lines, false);
        if (!writeTextLines(file, lines))
            AppMessage(QStringLiteral("Error writing to file ") + file + QLatin1Char('.'));
        return false;
    }
    ShowMessage(QStringLiteral("Unknown file-format : ") + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix));
    return false;
}

void SaveAllDatabases(TFMainForm &main_)
{
    const std::vector<CBasicDatabase *> databases = CBasicDatabase::openDatabases();
    for (CBasicDatabase *database : databases) {
        // One closed by an earlier save's questions is skipped.
        const auto &open = CBasicDatabase::openDatabases();
        if (std::find(open.begin(), open.end(), database) != open.end())
            SaveDatabase(main_, false, database);
    }
}

bool ClipboardHoldsProjects()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    return data && data->hasText() && data->text().compare(ProjectListMarker, Qt::CaseInsensitive) == 0;
}

void MCopyClick(TFMainForm &main_)
{
    if (main_.selection().empty())
        main_.BuildSelection();
    std::unique_ptr<TProjectDrag> drag = transferOfSelection(main_);
    if (!drag)
        return;
    drag->copyFlag = 1;
    main_.setHeldTransfer(std::move(drag));
    putMarkerOnClipboard();
}

void MCutClick(TFMainForm &main_)
{
    // The road the command came by has run the selection rule its way.
    if (main_.selection().empty())
        main_.BuildSelection();
    std::unique_ptr<TProjectDrag> drag = transferOfSelection(main_);
    if (!drag)
        return;
    drag->copyFlag = 0;
    const std::vector<CBasicProject *> projects = drag->projects();
    main_.setHeldTransfer(std::move(drag));
    for (CBasicProject *p : projects)
        SetCutMark(p->getTreeNode(), true);
    putMarkerOnClipboard();
}

void MPasteClick(TFMainForm &main_)
{
    if (main_.selection().empty())
        main_.BuildSelection();
    TProjectDrag *held = main_.heldTransfer();
    if (!held || !ClipboardHoldsProjects())
        return;
    if (isDatabaseWindowActive(main_)) {
        CBasicDatabase *target = main_.activeChildDatabase();
        held->targetDatabase = target;
        held->Finished(target, true);
    } else if (main_.activeControl() == main_.tree()) {
        CBasicDatabase *target = databaseOfTreeNode(main_.tree()->currentItem());
        if (!target)
            return;
        held->targetDatabase = target;
        held->Finished(main_.tree(), QPoint(-1, -1), true);
    } else {
        return;
    }
    // A message box during the paste may have let a new Copy or Cut replace it.
    if (main_.heldTransfer() == held && held->copyFlag == 0) {
        main_.setHeldTransfer(nullptr);
        QApplication::clipboard()->clear();
    }
}
