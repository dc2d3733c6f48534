#include "upload.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>
#include <QProgressBar>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace {

// The service answers with a short confirmation; anything longer is not it.
// The limit holds for the body and, apart, for the heads with the trailers.
constexpr qint64 answerLimit = 1024 * 1024;
// How often the transfer's thread looks at the clock and for a Cancel while
// nothing happens.
constexpr int pollMs = 50;
// The dialog's bar counts tenths of a percent of the form.
constexpr int barSteps = 1000;
// The most of a reason phrase or a redirect's target that a box shows.
constexpr qsizetype shownLimit = 200;

// A random boundary, as the odds of it turning up inside a file are nil.
QByteArray newBoundary()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return "uplink" + QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
}

// The multipart form as libcurl reads it: the parts' heads and ends, and
// between them the files' bytes as they were read, shared, not copied.
class Form {
public:
    Form(const UploadRequest &request_, const QByteArray &boundary_) : boundary(boundary_)
    {
        part("form-data; name=\"kind\"", QString(), QByteArray::number(request_.kind));
        file(request_.project);
        if (request_.hasText)
            file(request_.text);
        pieces << "--" + boundary + "--\r\n";
        for (const QByteArray &piece : pieces)
            total += piece.size();
    }

    qint64 size() const { return total; }

    // On the transfer's thread.
    static size_t onRead(char *buffer_, size_t size_, size_t count_, void *self_)
    {
        auto &self = *static_cast<Form *>(self_);
        const size_t room = size_ * count_;
        size_t filled = 0;
        while (filled < room && self.piece < self.pieces.size()) {
            const QByteArray &piece = self.pieces[self.piece];
            const size_t take = std::min(room - filled, size_t(piece.size() - self.offset));
            std::memcpy(buffer_ + filled, piece.constData() + self.offset, take);
            filled += take;
            self.offset += qsizetype(take);
            if (self.offset == piece.size()) {
                ++self.piece;
                self.offset = 0;
            }
        }
        return filled;
    }
    // libcurl rewinds when it has to send the form again from the start.
    static int onSeek(void *self_, curl_off_t offset_, int origin_)
    {
        auto &self = *static_cast<Form *>(self_);
        if (origin_ != SEEK_SET || offset_ < 0 || offset_ > self.total)
            return CURL_SEEKFUNC_CANTSEEK;
        self.piece = 0;
        self.offset = 0;
        for (curl_off_t left = offset_; left > 0;) {
            const qsizetype size = self.pieces[self.piece].size();
            if (left < size) {
                self.offset = qsizetype(left);
                break;
            }
            left -= size;
            ++self.piece;
        }
        return CURL_SEEKFUNC_OK;
    }

private:
    void part(const QByteArray &disposition_, const QString &contentType_, const QByteArray &body_)
    {
        QByteArray head = "--" + boundary + "\r\nContent-Disposition: " + disposition_ + "\r\n";
        if (!contentType_.isEmpty())
            head += "Content-Type: " + contentType_.toLatin1() + "\r\n";
        pieces << head + "\r\n" << body_ << QByteArray("\r\n");
    }
    void file(const UploadFile &file_)
    {
        part("form-data; name=\"" + file_.field.toLatin1() + "\"; filename=\"" + file_.fileName.toLatin1() + '"',
             file_.contentType, file_.bytes);
    }

    const QByteArray boundary;
    QList<QByteArray> pieces;
    qint64 total = 0;
    qsizetype piece = 0;
    qsizetype offset = 0;
};

using Clock = std::chrono::steady_clock;

// The bytes a socket took from the other end and got through to it, as the
// system counts them: also those of a status or header line that libcurl
// holds until it is whole.
struct SocketBytes {
    quint64 received = 0;
    quint64 sent = 0;
};

SocketBytes socketBytes(curl_socket_t socket_)
{
#if defined(__linux__) && defined(TCP_INFO)
    tcp_info info{};
    socklen_t size = sizeof info;
    if (getsockopt(socket_, IPPROTO_TCP, TCP_INFO, &info, &size) == 0)
        return {info.tcpi_bytes_received, info.tcpi_bytes_acked};
#else
    (void)socket_;
#endif
    return {};
}

// The reason phrase of a status line: what follows the version and the
// code, each after any number of blanks ("HTTP/1.1  404  Not Found").
QByteArray reasonPhrase(QByteArrayView line_)
{
    QByteArrayView rest = line_.trimmed();
    const auto skip = [&rest](auto part_) {
        qsizetype end = 0;
        while (end < rest.size() && part_(rest[end]))
            ++end;
        rest = rest.sliced(end);
    };
    const auto blank = [](char c_) { return c_ == ' ' || c_ == '\t'; };
    skip([&](char c_) { return !blank(c_); });
    skip(blank);
    skip([](char c_) { return c_ >= '0' && c_ <= '9'; });
    skip(blank);
    return rest.toByteArray();
}

// What the other end wrote, as a box shows it: a control character as a
// stand-in, so no bell or terminal colour goes on, and white space as one
// blank.
QString shortened(QString text_)
{
    for (QChar &c : text_)
        if (c.category() == QChar::Other_Control && !QStringView(u"\t\n\v\f\r").contains(c))
            c = QChar::ReplacementCharacter;
    text_ = text_.simplified();
    if (text_.size() > shownLimit)
        text_ = text_.left(shownLimit) + QStringLiteral("...");
    return text_;
}

// libcurl's handles are all void in C++.
struct EasyFree {
    void operator()(CURL *easy_) const { curl_easy_cleanup(easy_); }
};
struct MultiFree {
    void operator()(CURLM *multi_) const { curl_multi_cleanup(multi_); }
};
struct ListFree {
    void operator()(curl_slist *list_) const { curl_slist_free_all(list_); }
};

enum class Stop { No, Idle, TooLong, Cancelled };

// One post, run by libcurl on a thread of its own. The window thread sets
// it up, may ask it to stop and reads the rest once the thread has ended;
// the thread shows its progress on the bar by queued calls only. Its end
// stops and joins the thread and frees libcurl's handles, which close the
// connection.
class Transfer {
public:
    Transfer(int idleMs_, qint64 formSize_, QProgressBar *bar_)
        : idle(std::chrono::milliseconds(idleMs_)), formSize(formSize_), bar(bar_), multi(curl_multi_init()),
          easy(curl_easy_init())
    {
        if (!ready())
            return;
        curl_easy_setopt(handle(), CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(handle(), CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle(), CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
        curl_easy_setopt(handle(), CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(handle(), CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
        curl_easy_setopt(handle(), CURLOPT_HEADERDATA, this);
        curl_easy_setopt(handle(), CURLOPT_WRITEFUNCTION, &Transfer::onBody);
        curl_easy_setopt(handle(), CURLOPT_WRITEDATA, this);
        curl_easy_setopt(handle(), CURLOPT_SOCKOPTFUNCTION, &Transfer::onSocket);
        curl_easy_setopt(handle(), CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(handle(), CURLOPT_CLOSESOCKETFUNCTION, &Transfer::onClose);
        curl_easy_setopt(handle(), CURLOPT_CLOSESOCKETDATA, this);
    }
    ~Transfer()
    {
        if (worker.joinable()) {
            cancel();
            worker.join();
        }
        if (added)
            curl_multi_remove_handle(multi.get(), handle());
        easy.reset();
        multi.reset();
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    bool ready() const { return multi && easy; }
    CURL *handle() const { return easy.get(); }

    // Runs the transfer on its thread, which then queues ended_ to context_.
    template <typename Ended>
    void start(QObject *context_, Ended ended_)
    {
        added = curl_multi_add_handle(multi.get(), handle()) == CURLM_OK;
        worker = std::thread([this, context_, ended_] {
            if (added)
                run();
            QMetaObject::invokeMethod(context_, ended_, Qt::QueuedConnection);
        });
    }
    // From the window thread.
    void cancel()
    {
        cancelled = true;
        curl_multi_wakeup(multi.get());
    }
    void wait() { worker.join(); }

    // Read once the thread has ended.
    Stop stopped = Stop::No;
    bool done = false; // libcurl ended the transfer, with code
    CURLcode code = CURLE_OK;
    bool heard = false;        // a byte came from the other end
    bool headersEnded = false; // the last header of the final answer came
    QByteArray reason;         // of the final answer's status line
    QByteArray proxyReason;    // of the proxy's answer to the tunnel's CONNECT
    char error[CURL_ERROR_SIZE] = {};

private:
    // On the transfer's thread: until libcurl is done or a reason to stop.
    void run()
    {
        lastMoved = Clock::now();
        int running = 1;
        while (running > 0 && check() == Stop::No) {
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
                break;
            if (running > 0)
                curl_multi_poll(multi.get(), nullptr, 0, pollMs, nullptr);
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi.get(), &left))
            if (message->msg == CURLMSG_DONE) {
                done = true;
                code = message->data.result;
            }
    }

    // The first reason to stop holds. Any byte in either direction is
    // progress, so an answer that trickles in ends only at the deadline.
    Stop check()
    {
        if (stopped != Stop::No)
            return stopped;
        const Clock::time_point now = Clock::now();
        if (cancelled)
            stopped = Stop::Cancelled;
        else if (moved())
            lastMoved = now;
        else if (now - lastMoved >= idle)
            stopped = Stop::Idle;
        return stopped;
    }

    bool moved()
    {
        bool moved = progressBytes + headerBytes != seenBytes;
        seenBytes = progressBytes + headerBytes;
        for (Socket &socket : sockets) {
            const SocketBytes bytes = socketBytes(socket.handle);
            const quint64 total = bytes.received + bytes.sent;
            moved = moved || total != socket.bytes;
            socket.bytes = total;
            heard = heard || bytes.received > 0;
        }
        return moved;
    }

    void show(curl_off_t sent_)
    {
        const int step = formSize > 0 ? int(std::min<qint64>(sent_, formSize) * barSteps / formSize) : barSteps;
        if (step == shownStep.exchange(step) || posted.exchange(true))
            return;
        // At most one call waits at a time; it shows the latest step.
        QMetaObject::invokeMethod(
            bar,
            [this] {
                posted = false;
                bar->setValue(shownStep);
            },
            Qt::QueuedConnection);
    }

    static int onProgress(void *self_, curl_off_t, curl_off_t received_, curl_off_t, curl_off_t sent_)
    {
        auto &self = *static_cast<Transfer *>(self_);
        self.progressBytes = received_ + sent_;
        self.show(sent_);
        return self.check() == Stop::No ? 0 : 1;
    }

    // libcurl hands over each line of each head: an interim answer's (1xx),
    // then the final answer's, then the trailers of a chunked body. Only the
    // first line of a head is its status line, whatever a later one begins
    // with; the code is libcurl's own reading of it. libcurl keeps every
    // line, and its own limit does not count the trailers: this one does.
    static size_t onHeader(char *data_, size_t, size_t size_, void *self_)
    {
        auto &self = *static_cast<Transfer *>(self_);
        self.heard = true;
        self.headerBytes += qint64(size_);
        if (self.headerBytes > answerLimit) {
            if (self.stopped == Stop::No)
                self.stopped = Stop::TooLong;
            return 0;
        }
        const QByteArrayView line(data_, qsizetype(size_));
        if (self.headersEnded)
            return size_;
        if (line == "\r\n" || line == "\n") {
            long code = 0;
            curl_easy_getinfo(self.handle(), CURLINFO_RESPONSE_CODE, &code);
            // No code from the server yet: the head was the proxy's.
            if (code == 0)
                self.proxyReason = self.reason;
            self.headersEnded = code >= 200;
            self.statusLineNext = true;
        } else if (self.statusLineNext) {
            self.reason = reasonPhrase(line);
            self.statusLineNext = false;
        }
        return size_;
    }

    // The answer is counted and dropped.
    static size_t onBody(char *, size_t, size_t size_, void *self_)
    {
        auto &self = *static_cast<Transfer *>(self_);
        self.heard = true;
        self.received += qint64(size_);
        if (self.received <= answerLimit)
            return size_;
        if (self.stopped == Stop::No)
            self.stopped = Stop::TooLong;
        return 0;
    }

    static int onSocket(void *self_, curl_socket_t socket_, curlsocktype)
    {
        static_cast<Transfer *>(self_)->sockets.push_back({socket_, 0});
        return CURL_SOCKOPT_OK;
    }

    static int onClose(void *self_, curl_socket_t socket_)
    {
        auto &self = *static_cast<Transfer *>(self_);
        self.heard = self.heard || socketBytes(socket_).received > 0;
        std::erase_if(self.sockets, [socket_](const Socket &s_) { return s_.handle == socket_; });
        return close(socket_);
    }

    struct Socket {
        curl_socket_t handle;
        quint64 bytes;
    };

    const Clock::duration idle;
    const qint64 formSize;
    QProgressBar *const bar;
    std::atomic<bool> cancelled = false;
    std::atomic<int> shownStep = 0;
    std::atomic<bool> posted = false;
    // The transfer thread's own.
    Clock::time_point lastMoved;
    // What libcurl told of the bytes moved, and how many of it check() saw.
    qint64 progressBytes = 0;
    qint64 headerBytes = 0;
    qint64 seenBytes = 0;
    qint64 received = 0;
    bool statusLineNext = true;
    std::vector<Socket> sockets;
    std::unique_ptr<CURLM, MultiFree> multi;
    std::unique_ptr<CURL, EasyFree> easy;
    bool added = false;
    std::thread worker;
};

QString curlText(const Transfer &transfer_)
{
    return QString::fromLatin1(transfer_.error[0] ? transfer_.error : curl_easy_strerror(transfer_.code));
}

// What went wrong, as the box says it after "The upload to ... failed: ".
QString failure(const Transfer &transfer_, const QUrl &address_, const UplinkSettings &settings_)
{
    // An https upload goes through the proxy's tunnel, which it may refuse:
    // then only the proxy has spoken.
    long proxyStatus = 0;
    curl_easy_getinfo(transfer_.handle(), CURLINFO_HTTP_CONNECTCODE, &proxyStatus);
    if (proxyStatus != 0 && proxyStatus / 100 != 2) {
        QString answer = QString::number(proxyStatus);
        if (const QString reason = shortened(QString::fromLatin1(transfer_.proxyReason)); !reason.isEmpty())
            answer += QLatin1Char(' ') + reason;
        return QStringLiteral("the proxy %1 answered %2 and did not connect to the server")
            .arg(shownHost(settings_.proxyHost, settings_.proxyPort), answer);
    }
    switch (transfer_.code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("the host %1 was not found").arg(shownHost(address_.host()));
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("the proxy host %1 was not found").arg(shownHost(settings_.proxyHost));
    case CURLE_COULDNT_CONNECT: {
        long systemError = 0;
        curl_easy_getinfo(transfer_.handle(), CURLINFO_OS_ERRNO, &systemError);
        const QString why = systemError ? QString::fromStdString(std::generic_category().message(int(systemError)))
                                        : curlText(transfer_);
        // Through a proxy, the proxy is all this end connects to.
        return settings_.proxyHost.isEmpty()
                   ? why
                   : QStringLiteral("the proxy %1 cannot be reached: %2")
                         .arg(shownHost(settings_.proxyHost, settings_.proxyPort), why);
    }
    case CURLE_GOT_NOTHING:
        return QStringLiteral("the connection ended without a readable answer");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR: {
        // A reset reaches libcurl while it sends or while it reads, as it
        // happens: the same end either way.
        long systemError = 0;
        curl_easy_getinfo(transfer_.handle(), CURLINFO_OS_ERRNO, &systemError);
        if (systemError == ECONNRESET || systemError == EPIPE || systemError == ECONNABORTED)
            return QStringLiteral("the server closed the connection (%1)")
                .arg(QString::fromStdString(std::generic_category().message(int(systemError))));
        if (transfer_.code == CURLE_SEND_ERROR)
            return curlText(transfer_);
        return QStringLiteral("the server's answer could not be read (%1)").arg(curlText(transfer_));
    }
    case CURLE_PARTIAL_FILE:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_BAD_CONTENT_ENCODING:
        return QStringLiteral("the server's answer could not be read (%1)").arg(curlText(transfer_));
    default:
        return curlText(transfer_);
    }
}

} // namespace

QString shownHost(const QString &host_, int port_)
{
    const QString host = host_.contains(QLatin1Char(':')) && !host_.startsWith(QLatin1Char('['))
                             ? QLatin1Char('[') + host_ + QLatin1Char(']')
                             : host_;
    return port_ > 0 ? host + QLatin1Char(':') + QString::number(port_) : host;
}

QString uploadFileName(const QString &path_)
{
    QString name = QFileInfo(path_).fileName();
    for (QChar &c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('.') && c != QLatin1Char('-')
            && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("file") : name;
}

UploadOutcome runUpload(const UploadRequest &request_, const UplinkSettings &settings_, int idleMs_,
                        const QDeadlineTimer &deadline_)
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    QProgressDialog progress(QStringLiteral("Submitting the project to %1...")
                                 .arg(shownHost(request_.address.host(), request_.address.port())),
                             QStringLiteral("Cancel"), 0, barSteps, uplinkHostWindow());
    progress.setObjectName(QStringLiteral("UplinkProgress"));
    progress.setWindowTitle(QStringLiteral("Submitting"));
    progress.setWindowModality(Qt::ApplicationModal);
    // The bar is set directly: the dialog's own setValue() runs the event
    // loop when the dialog is modal.
    auto *bar = new QProgressBar(&progress);
    bar->setRange(0, barSteps);
    progress.setBar(bar);
    // Kept up until the answer is in, also once every byte is sent.
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);

    const QByteArray boundary = newBoundary();
    Form form(request_, boundary);

    UploadOutcome outcome;
    QEventLoop loop;
    bool finished = false;
    Transfer transfer(idleMs_, form.size(), bar);
    curl_slist *headerList = nullptr;
    for (const QByteArray &header : {"Content-Type: multipart/form-data; boundary=" + boundary,
                                     // The form goes at once, not after the server's go-ahead.
                                     QByteArray("Expect:"),
                                     // The answer is only counted, never unpacked: a small
                                     // packed answer could unpack to any size.
                                     QByteArray("Accept-Encoding: identity")}) {
        curl_slist *longer = curl_slist_append(headerList, header.constData());
        if (!longer) {
            curl_slist_free_all(headerList);
            headerList = nullptr;
            break;
        }
        headerList = longer;
    }
    const std::unique_ptr<curl_slist, ListFree> headers(headerList);
    if (!transfer.ready() || !headers) {
        outcome.reason = QStringLiteral("the transfer could not be started");
        return outcome;
    }

    // Without its user name and password, which go nowhere: answering the
    // server's challenge would post the form a second time, so a 401 is
    // told as the server's answer.
    QUrl target = request_.address;
    target.setUserInfo(QString());
    const QByteArray url = target.toEncoded();
    // Only the proxy of the settings, never one from the environment, and
    // for every host.
    const QByteArray proxy = settings_.proxyHost.isEmpty()
                                 ? QByteArray("")
                                 : "http://" + shownHost(settings_.proxyHost, settings_.proxyPort).toUtf8();
    CURL *const h = transfer.handle();
    // The address and the proxy are checked before the call; libcurl's
    // limits may still refuse them.
    for (const auto &[option, value] : {std::pair{CURLOPT_URL, &url}, {CURLOPT_PROXY, &proxy}})
        if (const CURLcode set = curl_easy_setopt(h, option, value->constData()); set != CURLE_OK) {
            outcome.reason = QStringLiteral("the %1 cannot be used (%2)")
                                 .arg(option == CURLOPT_URL ? QStringLiteral("address") : QStringLiteral("proxy"),
                                      QString::fromLatin1(curl_easy_strerror(set)));
            return outcome;
        }
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // A form is posted to the address given, not wherever a redirect points.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    // One request on a connection of its own, so nothing is sent twice.
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &Form::onRead);
    curl_easy_setopt(h, CURLOPT_READDATA, &form);
    curl_easy_setopt(h, CURLOPT_SEEKFUNCTION, &Form::onSeek);
    curl_easy_setopt(h, CURLOPT_SEEKDATA, &form);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(form.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Uplinkmfc/1.0");
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // The deadline ran from the Submit: what is left of it is the transfer's.
    if (deadline_.hasExpired()) {
        outcome.result = UploadResult::TookTooLong;
        return outcome;
    }
    if (!deadline_.isForever())
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(std::max<qint64>(1, deadline_.remainingTime())));

    // Cancel stops the waiting, whatever the thread is doing meanwhile;
    // once the end is known here it changes nothing.
    bool cancelled = false;
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        if (!finished) {
            cancelled = true;
            transfer.cancel();
        }
    });
    progress.show();
    transfer.start(&progress, [&] {
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
    transfer.wait();
    progress.hide();

    if (transfer.headersEnded) {
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        outcome.status = int(status);
        outcome.reason = shortened(QString::fromLatin1(transfer.reason));
    }
    if (cancelled || transfer.stopped == Stop::Cancelled)
        outcome.result = UploadResult::Cancelled;
    else if (transfer.stopped == Stop::Idle)
        outcome.result = UploadResult::TimedOut;
    else if (transfer.stopped == Stop::TooLong)
        outcome.result = UploadResult::AnswerTooLong;
    else if (transfer.done && transfer.code == CURLE_OUT_OF_MEMORY && transfer.heard)
        // What libcurl says, without a word more, of a status or header
        // line past its own limits.
        outcome.result = UploadResult::AnswerTooLong;
    else if (transfer.done && transfer.code == CURLE_OPERATION_TIMEDOUT)
        outcome.result = UploadResult::TookTooLong;
    else if (outcome.status != 0 && (outcome.status < 200 || outcome.status > 299)) {
        outcome.result = UploadResult::ServerSaidNo;
        const char *location = nullptr;
        if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
            outcome.location = shortened(QString::fromLatin1(location));
    } else if (!transfer.done)
        outcome.reason = QStringLiteral("the transfer stopped");
    else if (transfer.code != CURLE_OK)
        outcome.reason = failure(transfer, request_.address, settings_);
    else if (!transfer.headersEnded)
        // A status line, or some headers, then the end of the connection.
        outcome.reason = QStringLiteral("the connection ended without a readable answer");
    else
        outcome.result = UploadResult::Submitted;
    return outcome;
}
