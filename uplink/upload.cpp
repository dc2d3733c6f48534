#include "upload.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace {

// The service answers with a short confirmation; anything longer is not it.
constexpr qint64 answerLimit = 1024 * 1024;

QHttpPart formPart(const QString &disposition_, const QString &contentType_, const QByteArray &body_)
{
    QHttpPart part;
    if (!contentType_.isEmpty())
        part.setHeader(QNetworkRequest::ContentTypeHeader, contentType_);
    part.setHeader(QNetworkRequest::ContentDispositionHeader, disposition_);
    part.setBody(body_);
    return part;
}

QHttpPart filePart(const UploadFile &file_)
{
    return formPart(QStringLiteral("form-data; name=\"%1\"; filename=\"%2\"").arg(file_.field, file_.fileName),
                    file_.contentType, file_.bytes);
}

int progressValue(qint64 value_)
{
    return int(std::min<qint64>(value_, std::numeric_limits<int>::max()));
}

} // namespace

QString uploadFileName(const QString &path_)
{
    QString name = QFileInfo(path_).fileName();
    for (QChar &c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('.') && c != QLatin1Char('-')
            && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("file") : name;
}

UploadOutcome runUpload(const UploadRequest &request_, const UplinkSettings &settings_, int timeoutMs_)
{
    QNetworkAccessManager manager;
    // Only the proxy of the settings, never one from the environment.
    manager.setProxy(settings_.proxyHost.isEmpty()
                         ? QNetworkProxy(QNetworkProxy::NoProxy)
                         : QNetworkProxy(QNetworkProxy::HttpProxy, settings_.proxyHost, quint16(settings_.proxyPort)));

    QNetworkRequest request(request_.address);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Uplinkmfc/1.0"));
    // A form is posted to the address given, not wherever a redirect points.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);

    auto *form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    form->append(formPart(QStringLiteral("form-data; name=\"kind\""), QString(), QByteArray::number(request_.kind)));
    form->append(filePart(request_.project));
    if (request_.hasText)
        form->append(filePart(request_.text));
    QNetworkReply *reply = manager.post(request, form);
    form->setParent(reply);

    QProgressDialog progress(QStringLiteral("Submitting the project to %1...").arg(request_.address.host()),
                             QStringLiteral("Cancel"), 0, 0, uplinkHostWindow());
    progress.setObjectName(QStringLiteral("UplinkProgress"));
    progress.setWindowTitle(QStringLiteral("Submitting"));
    progress.setWindowModality(Qt::ApplicationModal);
    // Kept up until the answer is in, also once every byte is sent.
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    progress.show();

    bool timedOut = false;
    bool cancelled = false;
    bool tooLong = false;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(timeoutMs_);
    QEventLoop loop;
    QObject::connect(&idle, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(&progress, &QProgressDialog::canceled, reply, [&] {
        if (!reply->isFinished()) {
            cancelled = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::uploadProgress, &progress, [&](qint64 sent_, qint64 total_) {
        idle.start();
        if (total_ > 0) {
            progress.setMaximum(progressValue(total_));
            progress.setValue(progressValue(sent_));
        }
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &progress, [&](qint64 received_, qint64) {
        idle.start();
        if (received_ > answerLimit && !reply->isFinished()) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    idle.start();
    if (!reply->isFinished())
        loop.exec();
    idle.stop();
    progress.hide();

    UploadOutcome outcome;
    outcome.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    outcome.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (cancelled)
        outcome.result = UploadResult::Cancelled;
    else if (timedOut)
        outcome.result = UploadResult::TimedOut;
    else if (tooLong)
        outcome.result = UploadResult::AnswerTooLong;
    else if (outcome.status != 0 && (outcome.status < 200 || outcome.status > 299))
        outcome.result = UploadResult::ServerSaidNo;
    else if (reply->error() != QNetworkReply::NoError) {
        outcome.result = UploadResult::Failed;
        outcome.reason = reply->errorString();
    } else if (outcome.status == 0) {
        outcome.result = UploadResult::Failed;
        outcome.reason = QStringLiteral("no answer came");
    } else
        outcome.result = UploadResult::Submitted;
    // Gone before the dialog and the timer its connections reach.
    delete reply;
    return outcome;
}
