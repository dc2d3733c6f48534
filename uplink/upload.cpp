#include "upload.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The service answers with a short confirmation; anything longer is not it.
constexpr qint64 answerLimit = 1024 * 1024;
// What Qt may hold of the answer before it is read here.
constexpr qint64 readBufferSize = 64 * 1024;

QByteArray formPart(const QByteArray &disposition_, const QString &contentType_, const QByteArray &body_)
{
    QByteArray part = "Content-Disposition: " + disposition_ + "\r\n";
    if (!contentType_.isEmpty())
        part += "Content-Type: " + contentType_.toLatin1() + "\r\n";
    return part + "\r\n" + body_;
}

QByteArray filePart(const UploadFile &file_)
{
    return formPart("form-data; name=\"" + file_.field.toLatin1() + "\"; filename=\"" + file_.fileName.toLatin1() + '"',
                    file_.contentType, file_.bytes);
}

// A random boundary, as the odds of it turning up inside a file are nil.
QByteArray newBoundary()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return "uplink" + QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
}

QByteArray formBody(const QList<QByteArray> &parts_, const QByteArray &boundary_)
{
    QByteArray body;
    for (const QByteArray &part : parts_)
        body += "--" + boundary_ + "\r\n" + part + "\r\n";
    return body + "--" + boundary_ + "--\r\n";
}

// The form's bytes, readable once. On a closed or unreadable answer Qt's
// HTTP code rewinds the body and posts it again by itself; this body cannot
// be rewound, so the failure of the one post is reported instead.
class OneShotBody : public QIODevice {
public:
    explicit OneShotBody(QByteArray bytes_, QObject *parent_) : QIODevice(parent_), bytes(std::move(bytes_))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return bytes.size() - at + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data_, qint64 max_) override
    {
        const qint64 n = std::min<qint64>(max_, bytes.size() - at);
        std::memcpy(data_, bytes.constData() + at, size_t(n));
        at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray bytes;
    qint64 at = 0;
};

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

UploadOutcome runUpload(const UploadRequest &request_, const UplinkSettings &settings_, int idleMs_, int deadlineMs_)
{
    QNetworkAccessManager manager;
    // Only the proxy of the settings, never one from the environment.
    manager.setProxy(settings_.proxyHost.isEmpty()
                         ? QNetworkProxy(QNetworkProxy::NoProxy)
                         : QNetworkProxy(QNetworkProxy::HttpProxy, settings_.proxyHost, quint16(settings_.proxyPort)));

    // Qt sends a user name and password only in answer to the server's
    // challenge, and that answer would post the form a second time. So they
    // go nowhere, and a 401 is told as the server's answer.
    QUrl target = request_.address;
    target.setUserInfo(QString());
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Uplinkmfc/1.0"));
    // A form is posted to the address given, not wherever a redirect points.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // The answer is only counted, never unpacked: a small packed answer
    // could unpack to any size.
    request.setRawHeader("Accept-Encoding", "identity");

    const QByteArray boundary = newBoundary();
    QList<QByteArray> parts{formPart("form-data; name=\"kind\"", QString(), QByteArray::number(request_.kind)),
                            filePart(request_.project)};
    if (request_.hasText)
        parts << filePart(request_.text);
    const QByteArray body = formBody(parts, boundary);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "multipart/form-data; boundary=" + boundary);
    // Sent as it is read, so Qt keeps no copy it could post again.
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    auto *form = new OneShotBody(body, nullptr);
    QNetworkReply *reply = manager.post(request, form);
    form->setParent(reply);
    reply->setReadBufferSize(readBufferSize);
    // Qt hands the limit on to its HTTP thread only once the request runs
    // there; set before, the answer would pile up there without bound.
    QObject::connect(reply, &QNetworkReply::socketStartedConnecting, reply,
                     [reply] { reply->setReadBufferSize(readBufferSize); });

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

    // The first reason to stop is the one told; anything after the answer
    // is in changes nothing.
    enum class Stop { No, Idle, Deadline, TooLong, Cancelled } stopped = Stop::No;
    auto stop = [&](Stop why_) {
        if (stopped == Stop::No && !reply->isFinished()) {
            stopped = why_;
            reply->abort();
        }
    };
    // Precise, so that a box saying how long it waited tells the truth.
    QTimer idle;
    idle.setSingleShot(true);
    idle.setTimerType(Qt::PreciseTimer);
    idle.setInterval(idleMs_);
    // Each byte restarts the idle time, so an answer that trickles in is
    // ended only by the deadline of the whole transfer.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setInterval(deadlineMs_);
    QEventLoop loop;
    QObject::connect(&idle, &QTimer::timeout, reply, [&] { stop(Stop::Idle); });
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] { stop(Stop::Deadline); });
    QObject::connect(&progress, &QProgressDialog::canceled, reply, [&] { stop(Stop::Cancelled); });
    // Qt knows no total of a body it reads once; the form's size is known here.
    QObject::connect(reply, &QNetworkReply::uploadProgress, &progress, [&](qint64 sent_, qint64) {
        idle.start();
        progress.setMaximum(progressValue(body.size()));
        progress.setValue(progressValue(std::min<qint64>(sent_, body.size())));
    });
    // The answer is counted as it comes and dropped, so no more of it is
    // ever held than the read buffer.
    qint64 received = 0;
    QObject::connect(reply, &QNetworkReply::readyRead, &progress, [&] {
        idle.start();
        const qint64 skipped = reply->skip(reply->bytesAvailable());
        received += std::max<qint64>(skipped, 0);
        if (received > answerLimit)
            stop(Stop::TooLong);
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    idle.start();
    deadline.start();
    if (!reply->isFinished())
        loop.exec();
    idle.stop();
    deadline.stop();
    progress.hide();

    UploadOutcome outcome;
    outcome.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    outcome.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (stopped == Stop::Cancelled)
        outcome.result = UploadResult::Cancelled;
    else if (stopped == Stop::Idle)
        outcome.result = UploadResult::TimedOut;
    else if (stopped == Stop::Deadline)
        outcome.result = UploadResult::TookTooLong;
    else if (stopped == Stop::TooLong)
        outcome.result = UploadResult::AnswerTooLong;
    else if (outcome.status != 0 && (outcome.status < 200 || outcome.status > 299))
        outcome.result = UploadResult::ServerSaidNo;
    else if (reply->error() == QNetworkReply::ContentReSendError) {
        // Qt wanted to post the form again after the answer failed.
        outcome.result = UploadResult::Failed;
        outcome.reason = QStringLiteral("the connection ended without a readable answer");
    } else if (reply->error() != QNetworkReply::NoError) {
        outcome.result = UploadResult::Failed;
        outcome.reason = reply->errorString();
    } else if (outcome.status == 0) {
        outcome.result = UploadResult::Failed;
        outcome.reason = QStringLiteral("no answer came");
    } else
        outcome.result = UploadResult::Submitted;
    // Gone before the dialog and the timers its connections reach.
    delete reply;
    return outcome;
}
