#include "submission.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <climits>

#include "MessageSink.h"
#include "RegistryStore.h"
#include "projectload.h"
#include "settingskeys.h"
#include "uBasicProject.h"
#include "uplinkmfc.h"
#include "uploadhost.h"

QString UploadAddress()
{
    const RegistryStore store(programKey());
    QString host = trimmedUploadHost(store.readString(uplinkSettingsSection, uplinkHostValue));
    if (!host.isEmpty() && uploadHostSchemeLength(host) == 0)
        host.prepend(QStringLiteral("http://"));
    return host + QLatin1String(uploadServicePath);
}

TSubmissionFiles::~TSubmissionFiles()
{
    remove();
}

bool TSubmissionFiles::create(QString &message_)
{
    remove();
    // The text file's name is known from the project file's: in a shared
    // folder another user could put something of their own there first.
    // An unusable TMPDIR gives no folder at all, never the working folder.
    const QString temporary = QDir::tempPath();
    if (temporary.isEmpty() || !QFileInfo(temporary).isDir()) {
        message_ = QStringLiteral("Unable to get tmp-directory");
        return false;
    }
    auto made = std::make_unique<QTemporaryDir>(QDir(temporary).filePath(QStringLiteral("scv-XXXXXX")));
    if (!made->isValid()) {
        message_ = QStringLiteral("Unable to get tmp-directory");
        return false;
    }
    QTemporaryFile file(QDir(made->path()).filePath(QStringLiteral("scvXXXXXX.tmp")));
    file.setAutoRemove(false);
    if (!file.open()) {
        message_ = QStringLiteral("Unable to get temporary file");
        return false;
    }
    project = file.fileName();
    file.close();
    folder = std::move(made);
    return true;
}

bool TSubmissionFiles::writeText(const std::vector<std::string> &lines_)
{
    if (project.isEmpty())
        return false;
    QByteArray bytes;
    for (const std::string &line : lines_) {
        bytes.append(line.data(), qsizetype(line.size()));
        bytes.append("\r\n");
    }
    QFile file(textPath());
    // Only a file of its own: nothing that is there already is written through.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (ok) {
        ok = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
        if (!ok)
            file.remove();
    }
    return ok;
}

void TSubmissionFiles::remove()
{
    if (!project.isEmpty()) {
        QFile::remove(textPath());
        QFile::remove(project);
        project.clear();
    }
    folder.reset();
}

bool SubmitProject(CBasicProject &project_)
{
    TSubmissionFiles files;
    QString message;
    if (!files.create(message)) {
        ShowMessage(message);
        return false;
    }
    if (!project_.saveToFile(ToFilePath(files.projectPath()), false, true)) {
        files.remove();
        ShowMessage(QStringLiteral("Unable to save project data"));
        return false;
    }
    std::vector<std::string> lines;
    project_.exportText(lines);
    const bool withText = lines.size() >= 3;
    // A text that cannot be written sends nothing: the upload would go
    // without the text it is meant to carry.
    if (withText && !files.writeText(lines)) {
        files.remove();
        ShowMessage(QStringLiteral("Unable to save project data"));
        return false;
    }
    const QByteArray address = UploadAddress().toUtf8();
    const std::string projectPath = ToFilePath(files.projectPath());
    const std::string textPath = ToFilePath(files.textPath());
    IC_submitFile(address.constData(), projectPath.c_str(), submissionKind, withText ? textPath.c_str() : nullptr);
    files.remove();
    return true;
}

void ShowNetSettings()
{
    IC_showNetSettings();
}

void ShowDetailsData(const std::string &text_)
{
    IC_showDetailsData(text_.data(), int(std::min<std::size_t>(text_.size(), INT_MAX)));
}
