// The library's three exports.
#include "uplinkmfc.h"

#include <QApplication>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <exception>

#include "Cp1252.h"
#include "upload.h"
#include "uplinkui.h"

#define UPLINK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

bool submitting = false;

// The calls need the host's widgets application and its GUI thread.
bool haveApplication(const char *call_)
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (app && QThread::currentThread() == app->thread())
        return true;
    std::fprintf(stderr, "%s: %s\n", call_, app ? "not called on the GUI thread" : "the host has no QApplication");
    return false;
}

QString where(const QUrl &address_)
{
    return address_.port() > 0 ? address_.host() + QLatin1Char(':') + QString::number(address_.port())
                               : address_.host();
}

QString seconds(int ms_)
{
    return QString::number(ms_ / 1000.0, 'g', 3);
}

bool readFile(const char *path_, QByteArray &bytes_)
{
    QFile file(QFile::decodeName(path_));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes_ = file.readAll();
    return file.error() == QFileDevice::NoError;
}

int submit(const char *address_, const char *projectFile_, int kind_, const char *textFile_)
{
    const QUrl address(QString::fromUtf8(address_ ? address_ : ""), QUrl::StrictMode);
    if (address.host().isEmpty()) {
        uplinkMessage(QStringLiteral("No upload host is set, so nothing was uploaded.\n\nSet the upload host in the "
                                     "network settings (the \"Settings\" button of the \"Submit Project\" dialog), "
                                     "or as the value \"%1\" in %2.")
                          .arg(QString::fromLatin1(uplinkHostValue), uplinkSettingsLocation()),
                      true);
        return UplinkNoHost;
    }
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        uplinkMessage(QStringLiteral("The upload address \"%1\" is not an http or https address, so nothing was "
                                     "uploaded.")
                          .arg(address.toDisplayString(QUrl::RemoveUserInfo)),
                      true);
        return UplinkRefused;
    }

    UploadRequest request;
    request.address = address;
    request.kind = kind_;
    request.project = {QStringLiteral("project"), QString(), QStringLiteral("application/octet-stream"), {}};
    request.text = {QStringLiteral("text"), QString(), QStringLiteral("text/plain; charset=windows-1252"), {}};
    request.hasText = textFile_ != nullptr;
    for (auto [path, file] : {std::pair{projectFile_, &request.project}, {textFile_, &request.text}}) {
        if (file == &request.text && !request.hasText)
            continue;
        if (!path || !readFile(path, file->bytes)) {
            uplinkMessage(QStringLiteral("The file \"%1\" cannot be read, so nothing was uploaded.")
                              .arg(path ? QFile::decodeName(path) : QString()),
                          true);
            return UplinkRefused;
        }
        file->fileName = uploadFileName(QFile::decodeName(path));
    }

    const int timeoutMs = uplinkTimeoutMs();
    const UploadOutcome outcome = runUpload(request, readUplinkSettings(), timeoutMs);
    const QString failed = QStringLiteral("The upload to %1 failed: ").arg(where(address));
    switch (outcome.result) {
    case UploadResult::Submitted:
        uplinkMessage(QStringLiteral("The project was submitted to %1.").arg(where(address)), false);
        return UplinkSubmitted;
    case UploadResult::Cancelled:
        uplinkMessage(QStringLiteral("The upload was cancelled; the project was not submitted."), false);
        return UplinkCancelled;
    case UploadResult::TimedOut:
        uplinkMessage(failed + QStringLiteral("nothing moved for %1 seconds.").arg(seconds(timeoutMs)), true);
        break;
    case UploadResult::ServerSaidNo:
        uplinkMessage(failed + QStringLiteral("the server answered %1 %2.").arg(outcome.status).arg(outcome.reason),
                      true);
        break;
    case UploadResult::AnswerTooLong:
        uplinkMessage(failed + QStringLiteral("the server's answer is too long."), true);
        break;
    case UploadResult::Failed:
        uplinkMessage(failed + outcome.reason + QLatin1Char('.'), true);
        break;
    }
    return UplinkFailed;
}

int showNetSettings()
{
    if (uplinkNoWait()) {
        auto *dialog = new TNetSettingsDialog(uplinkHostWindow());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        return 0;
    }
    TNetSettingsDialog dialog(uplinkHostWindow());
    dialog.exec();
    return dialog.saved() ? 1 : 0;
}

int showDetails(const char *text_, int length_)
{
    if (length_ < 0 || (!text_ && length_ > 0))
        return 1;
    const QString text = fromCp1252(std::string(text_ ? text_ : "", std::size_t(length_)));
    if (uplinkNoWait()) {
        auto *dialog = new TDetailsDialog(text, uplinkHostWindow());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        return 0;
    }
    TDetailsDialog dialog(text, uplinkHostWindow());
    dialog.exec();
    return 0;
}

void reportEscaped(const char *call_)
{
    try {
        throw;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", call_, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: unknown error\n", call_);
    }
}

} // namespace

// Nothing may leave for the host, whatever its language.

UPLINK_EXPORT int IC_submitFile(const char *address_, const char *projectFile_, int kind_, const char *textFile_)
{
    try {
        if (!haveApplication("IC_submitFile") || submitting)
            return UplinkNotRunning;
        struct Running {
            Running() { submitting = true; }
            ~Running() { submitting = false; }
        } running;
        return submit(address_, projectFile_, kind_, textFile_);
    } catch (...) {
        reportEscaped("IC_submitFile");
        return UplinkNotRunning;
    }
}

UPLINK_EXPORT int IC_showNetSettings(void)
{
    try {
        return haveApplication("IC_showNetSettings") ? showNetSettings() : 0;
    } catch (...) {
        reportEscaped("IC_showNetSettings");
        return 0;
    }
}

UPLINK_EXPORT int IC_showDetailsData(const char *text_, int length_)
{
    try {
        return haveApplication("IC_showDetailsData") ? showDetails(text_, length_) : 1;
    } catch (...) {
        reportEscaped("IC_showDetailsData");
        return 1;
    }
}
