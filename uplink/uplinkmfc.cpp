// The library's three exports.
#include "uplinkmfc.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "Cp1252.h"
#include "upload.h"
#include "uplinkui.h"
#include "uploadhost.h"

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
    return shownHost(address_.host(), address_.port());
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

// Where the address's host, port and user name stand: from just after
// "://" up to the path. from == end when there is no "://".
struct Authority {
    qsizetype from = 0;
    qsizetype end = 0;
};

Authority authorityOf(const QString &address_)
{
    const qsizetype scheme = address_.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return {};
    Authority authority{scheme + 3, scheme + 3};
    while (authority.end < address_.size() && !QStringView(u"/?#").contains(address_[authority.end]))
        ++authority.end;
    return authority;
}

// The address as the user is shown it: as written, but for a password.
QString shownAddress(const QString &address_)
{
    const Authority authority = authorityOf(address_);
    const qsizetype at = address_.left(authority.end).lastIndexOf(QLatin1Char('@'));
    return at >= authority.from && authority.end > authority.from ? address_.left(authority.from) + address_.mid(at + 1)
                                                                  : address_;
}

// Longer than DNS allows: 63 characters between dots, 253 in all. Qt lets
// the second pass, and fails the first as if the name held a wrong character.
bool hostTooLong(const QString &address_)
{
    const Authority authority = authorityOf(address_);
    QString host = address_.mid(authority.from, authority.end - authority.from);
    host = host.mid(host.lastIndexOf(QLatin1Char('@')) + 1);
    if (host.startsWith(QLatin1Char('[')))
        return false;
    if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0)
        host.truncate(colon);
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    qsizetype total = 0;
    const QStringList labels = host.split(QLatin1Char('.'));
    for (const QString &label : labels) {
        // A name of other letters goes out in its ASCII form, which is longer.
        const qsizetype length = std::max(label.size(), QUrl::toAce(label).size());
        if (length > 63)
            return true;
        total += length;
    }
    return total + labels.size() - 1 > 253;
}

// Why the address cannot be used for an upload; empty when it can.
QString unusableBecause(const QString &text_, const QUrl &address_)
{
    const QString scheme = address_.scheme().toLower();
    if (scheme.isEmpty())
        return QStringLiteral("it does not begin with http:// or https://");
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QStringLiteral("it is not an http or https address");
    if (hostTooLong(text_))
        return QStringLiteral("its host name is longer than a host name can be (63 characters between dots, 253 in "
                              "all)");
    if (!address_.isValid()) {
        // Qt's first clause is the reason; the rest repeats the address, password and all.
        QString reason = address_.errorString().section(QLatin1Char(';'), 0, 0).trimmed();
        if (!reason.isEmpty())
            reason[0] = reason[0].toLower();
        return reason.isEmpty() ? QStringLiteral("it is not a valid address") : reason;
    }
    if (address_.host().isEmpty())
        return QStringLiteral("it names no host");
    if (address_.port() == 0)
        return QStringLiteral("invalid port or port number out of range");
    return {};
}

QString whereToSetTheHost(const QString &verb_)
{
    return QStringLiteral("%1 the upload host in the network settings (the \"Settings\" button of the \"Submit "
                          "Project\" dialog), or as the value \"%2\" in %3.")
        .arg(verb_, QString::fromLatin1(uplinkHostValue), uplinkSettingsLocation());
}

QString whereToSetTheProxy()
{
    return QStringLiteral("Correct the proxy host in the network settings (the \"Settings\" button of the \"Submit "
                          "Project\" dialog), or as the value \"%1\" in %2.")
        .arg(QString::fromLatin1(uplinkProxyHostValue), uplinkSettingsLocation());
}

int submit(const char *address_, const char *projectFile_, int kind_, const char *textFile_)
{
    // From the Submit on: reading the files is part of the time it takes.
    const int deadlineMs = uplinkDeadlineMs();
    const QDeadlineTimer deadline(deadlineMs, Qt::PreciseTimer);
    const QString text = QString::fromUtf8(address_ ? address_ : "").trimmed();
    // The program hands over the service's path alone when no host is set.
    if (text.isEmpty() || (text.startsWith(QLatin1Char('/')) && !text.startsWith(QLatin1String("//")))) {
        uplinkMessage(QStringLiteral("No upload host is set, so nothing was uploaded.\n\n")
                          + whereToSetTheHost(QStringLiteral("Set")),
                      true);
        return UplinkNoHost;
    }
    if (text.size() > uploadAddressLimit) {
        // Its beginning is enough to know it by.
        uplinkMessage(QStringLiteral("The upload address \"%1\" cannot be used: it is longer than an upload address "
                                     "can be (%2 characters). Nothing was uploaded.\n\n")
                              .arg(shownSetting(shownAddress(text)))
                              .arg(uploadAddressLimit)
                          + whereToSetTheHost(QStringLiteral("Correct")),
                      true);
        return UplinkRefused;
    }
    const QUrl address(text, QUrl::StrictMode);
    if (const QString why = unusableBecause(text, address); !why.isEmpty()) {
        uplinkMessage(QStringLiteral("The upload address \"%1\" cannot be used: %2. Nothing was uploaded.\n\n")
                              .arg(shownAddress(text), why)
                          + whereToSetTheHost(QStringLiteral("Correct")),
                      true);
        return UplinkRefused;
    }

    // The settings file may have been written by hand.
    const UplinkSettings settings = readUplinkSettings();
    if (const QString why = proxyHostProblem(settings.proxyHost); !why.isEmpty()) {
        uplinkMessage(QStringLiteral("The proxy host \"%1\" cannot be used: %2. Nothing was uploaded.\n\n")
                              .arg(shownSetting(settings.proxyHost), why)
                          + whereToSetTheProxy(),
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
    const UploadOutcome outcome = runUpload(request, settings, timeoutMs, deadline);
    const QString failed = QStringLiteral("The upload to %1 failed: ").arg(where(address));
    switch (outcome.result) {
    case UploadResult::Submitted:
        uplinkMessage(QStringLiteral("The project was submitted to %1.").arg(where(address)), false);
        return UplinkSubmitted;
    case UploadResult::Cancelled:
        // The form may be all out and the answer on its way: only the
        // waiting for it has stopped.
        uplinkMessage(QStringLiteral("The submission to %1 was cancelled. The server may have received the project "
                                     "all the same.")
                          .arg(where(address)),
                      false);
        return UplinkCancelled;
    case UploadResult::TimedOut:
        uplinkMessage(failed + QStringLiteral("nothing moved for %1 seconds.").arg(seconds(timeoutMs)), true);
        break;
    case UploadResult::TookTooLong:
        uplinkMessage(failed + QStringLiteral("it did not end within %1 seconds.").arg(seconds(deadlineMs)), true);
        break;
    case UploadResult::ServerSaidNo: {
        QString answer = QStringLiteral("the server answered %1").arg(outcome.status);
        if (!outcome.reason.isEmpty())
            answer += QLatin1Char(' ') + outcome.reason;
        // Not followed: the form is not posted a second time.
        if (!outcome.location.isEmpty())
            answer += QStringLiteral(" and points to ") + outcome.location;
        uplinkMessage(failed + answer + QLatin1Char('.'), true);
        break;
    }
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
