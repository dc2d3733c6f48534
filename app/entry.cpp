#include "entry.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QtEndian>
#include <exception>
#include <memory>
#include <optional>

#include "MessageSink.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "modes.h"
#include "uexception.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

constexpr int kRestLimit = 255;
constexpr char kAck = '\x06';
constexpr int kLockWaitMs = 15000;

// The end of the next token in rest_ (1-based), 0 when there is none.
qsizetype TokenEnd(const QString &rest_)
{
    const qsizetype b = rest_.indexOf(QLatin1Char(' ')) + 1;
    const qsizetype q = rest_.indexOf(QLatin1Char('"')) + 1;
    if (b == 0)
        return 0;
    if (q == 0 || q > b)
        return b;
    // A quoted part holds its blanks; the closing quote is never the last
    // character, and without one the rest is dropped.
    for (qsizetype i = q + 1; i <= rest_.size() - 1; ++i)
        if (rest_.at(i - 1) == QLatin1Char('"'))
            return i + 1;
    return 0;
}

bool SameWord(const QString &word_, const char *switch_)
{
    return word_.compare(QLatin1String(switch_), Qt::CaseInsensitive) == 0;
}

#ifndef Q_OS_WIN
// A folder only its user may change: a real folder (no link), the user's own,
// writable by nobody else. Nobody else can then put a socket there that
// pretends to be the running copy, or take its place.
bool IsPrivateFolder(const QString &path_)
{
    struct stat info {};
    if (path_.isEmpty() || ::lstat(QFile::encodeName(path_).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A socket's path must fit into the socket address.
bool FitsSocketAddress(const QString &path_)
{
    return QFile::encodeName(path_).size() < qsizetype(sizeof(sockaddr_un::sun_path));
}

// The folder for a socket of this name: the user's runtime folder, else a
// folder of our own in the temporary folder, made only then. One that
// someone else made first, or opened to others, is not used.
QString SocketFolder(const QString &name_)
{
    const QString runtime = QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime)
        && FitsSocketAddress(runtime + QLatin1Char('/') + name_))
        return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("scorvista2001se-%1").arg(::getuid()));
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (IsPrivateFolder(own) && FitsSocketAddress(own + QLatin1Char('/') + name_))
        return own;
    return QString();
}

// One display, however its name is written: ":0", ":0.0" and "unix:0".
QString X11Display(QString display_)
{
    const qsizetype colon = display_.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return display_;
    const qsizetype dot = display_.indexOf(QLatin1Char('.'), colon);
    if (dot > colon)
        display_.truncate(dot);
    if (display_.startsWith(QLatin1String("unix:")))
        display_.remove(0, 4);
    return display_;
}
#endif

// The arguments as the running copy must read them: its working folder is
// not this start's, so a relative file path (also the one of a "&" list) is
// made absolute here. Switches stay as they are.
QStringList AbsolutePaths(const QStringList &arguments_)
{
    const QDir here = QDir::current();
    QStringList result;
    for (QString argument : arguments_) {
        if (argument.isEmpty() || argument.front() == QLatin1Char('-') || argument.front() == QLatin1Char('/')) {
            result << argument;
            continue;
        }
        QString prefix;
        if (argument.front() == QLatin1Char('&')) {
            prefix = QStringLiteral("&");
            argument.remove(0, 1);
        } else if (argument.size() >= 3 && argument.front() == QLatin1Char('"')
                   && argument.back() == QLatin1Char('"')) {
            // The parse would take the quotes off; the path is what is inside.
            argument = argument.mid(1, argument.size() - 2);
        }
        if (!argument.isEmpty() && QDir::isRelativePath(argument))
            argument = QDir::toNativeSeparators(QDir::cleanPath(here.absoluteFilePath(argument)));
        result << prefix + argument;
    }
    return result;
}

} // namespace

TCommandLine ParseCommandLine(const QString &text_, bool posix_)
{
    TCommandLine result;
    QString rest = text_;
    if (!rest.isEmpty())
        rest += QLatin1Char(' ');
    for (qsizetype p = TokenEnd(rest); p > 0; p = TokenEnd(rest)) {
        const QString token = rest.left(p - 1);
        rest = rest.mid(p).left(kRestLimit);
        if (token.isEmpty())
            continue;
        const QChar first = token.front();
        if (first == QLatin1Char('-') || first == QLatin1Char('/')) {
            const QString word = token.mid(1);
            if (SameWord(word, "DEBUG")) {
                result.debug = true;
                continue;
            }
            if (SameWord(word, "SUBMIT")) {
                result.submit = true;
                continue;
            }
            if (SameWord(word, "HWUPGRADE")) {
                result.submit = true;
                result.hwUpgrade = true;
                continue;
            }
            // On POSIX an absolute path begins with "/".
            if (!(posix_ && first == QLatin1Char('/')))
                continue;
        }
        if (!result.path.isEmpty())
            continue;
        result.path = token;
        if (token.size() >= 3 && first == QLatin1Char('"') && token.back() == QLatin1Char('"'))
            result.path = token.mid(1, token.size() - 2);
    }
    return result;
}

QString JoinCommandLine(const QStringList &arguments_)
{
    QStringList parts;
    for (const QString &argument : arguments_) {
        if (argument.isEmpty())
            continue;
        parts << (argument.contains(QLatin1Char(' ')) ? QLatin1Char('"') + argument + QLatin1Char('"') : argument);
    }
    return parts.join(QLatin1Char(' '));
}

QString InstanceFolder()
{
#ifdef Q_OS_WIN
    return QString();
#else
    return SocketFolder(QString());
#endif
}

QString InstanceDisplay()
{
    QString platform;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        platform = QGuiApplication::platformName();
    else
        platform = qEnvironmentVariable("QT_QPA_PLATFORM").section(QLatin1Char(':'), 0, 0);
    const QString x11 = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    const auto onWayland = [&] {
        return QStringLiteral("wayland:") + (wayland.isEmpty() ? QStringLiteral("wayland-0") : wayland);
    };
    if (platform.startsWith(QLatin1String("wayland")))
        return onWayland();
    if (platform == QLatin1String("xcb") || (platform.isEmpty() && !x11.isEmpty()))
        return QStringLiteral("x11:") + X11Display(x11);
    if (platform.isEmpty())
        return wayland.isEmpty() ? QStringLiteral("none") : onWayland();
    return platform;
}

QString InstanceServerName(const QString &instance_)
{
    QString name = QStringLiteral("TFMainForm");
    if (!instance_.isEmpty())
        name += QLatin1Char('-') + instance_;
#ifdef Q_OS_WIN
    return name + QLatin1Char('-') + qEnvironmentVariable("USERNAME");
#else
    // The user is the folder's; the display is told apart in the name,
    // written so that no two displays share one and a long one stays short.
    QByteArray display = QUrl::toPercentEncoding(InstanceDisplay());
    if (display.size() > 40)
        display = display.left(24) + '-'
                  + QCryptographicHash::hash(display, QCryptographicHash::Sha256).toHex().left(12);
    name += QLatin1Char('-') + QString::fromLatin1(display);
    const QString folder = SocketFolder(name);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
#endif
}

TInstanceServer::TInstanceServer(const QString &instance_, QObject *parent_)
    : QObject(parent_), instance(instance_), name(InstanceServerName(instance_))
{
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &TInstanceServer::acceptConnections);
}

TInstanceServer::~TInstanceServer() = default;

QString TInstanceServer::lockFilePath() const
{
#ifdef Q_OS_WIN
    return QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"));
#else
    return name.isEmpty() ? QString() : name + QStringLiteral(".lock");
#endif
}

bool TInstanceServer::listen()
{
    if (server.isListening())
        return true;
    if (name.isEmpty())
        return false;
    {
        // Listening with access options replaces an existing socket file,
        // so a live copy is asked first; a dead copy's socket refuses.
        QLocalSocket probe;
        probe.connectToServer(name);
        const bool live = probe.waitForConnected(1000);
        probe.abort();
        if (live)
            return false;
    }
    QLocalServer::removeServer(name);
    return server.listen(name);
}

void TInstanceServer::acceptConnections()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(ReadTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() < 4)
                return;
            const quint32 length = qFromBigEndian<quint32>(buffer->constData());
            if (length > MaxMessage) {
                socket->abort();
                socket->deleteLater();
                return;
            }
            if (buffer->size() < 4 + qsizetype(length))
                return;
            const QString text = QString::fromUtf8(buffer->constData() + 4, length);
            // One message per connection.
            disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
            // Acknowledged once queued: the receiver may not be there yet, or
            // may run a modal box for longer than the sender waits.
            queue.push_back(text);
            socket->write(&kAck, 1);
            socket->flush();
            socket->disconnectFromServer();
            QPointer<TInstanceServer> self(this);
            deliver();
            if (self)
                emit commandLineReceived(text);
        });
    }
}

void TInstanceServer::attachReceiver(QObject *context_, Receiver receiver_)
{
    receiver = context_ ? std::move(receiver_) : Receiver();
    receiverContext = receiver ? context_ : nullptr;
    deliver();
}

void TInstanceServer::deliver()
{
    // Always from the front: a receiver that runs an event loop (a modal
    // box) may take in another command line meanwhile, and that one must
    // not overtake those still waiting.
    QPointer<TInstanceServer> self(this);
    while (receiverContext && !queue.empty()) {
        const QString text = queue.front();
        queue.pop_front();
        const Receiver take = receiver;
        take(text);
        if (!self)
            return;
    }
}

THandOver HandOverTo(const QString &commandLine_, const QString &instance_, int timeoutMs_)
{
    const QString name = InstanceServerName(instance_);
    if (name.isEmpty())
        return THandOver::NoCopy;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs_)) {
        const auto error = socket.error();
        return error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError
                   ? THandOver::NoCopy
                   : THandOver::NoAnswer;
    }
    const QByteArray text = commandLine_.toUtf8();
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(quint32(text.size()), message.data());
    message += text;
    socket.write(message);
    socket.flush();
    const QDeadlineTimer deadline(timeoutMs_);
    while (socket.bytesAvailable() < 1) {
        if (socket.state() != QLocalSocket::ConnectedState || deadline.hasExpired()
            || !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kAck ? THandOver::Taken : THandOver::NoAnswer;
}

bool handOver(const QString &commandLine_, const QString &instance_, int timeoutMs_)
{
    return HandOverTo(commandLine_, instance_, timeoutMs_) == THandOver::Taken;
}

TEntryStart StartEntry(const QStringList &arguments_, TInstanceServer &server_, int timeoutMs_)
{
    TEntryStart start;
    start.commandLine = JoinCommandLine(arguments_);
    start.parsed = ParseCommandLine(start.commandLine);

    // Without the lock (no safe folder for it) the start goes on.
    std::optional<QLockFile> lock;
    if (!server_.lockFilePath().isEmpty()) {
        lock.emplace(server_.lockFilePath());
        lock->tryLock(kLockWaitMs);
    }
    if (!start.parsed.debug
        && HandOverTo(JoinCommandLine(AbsolutePaths(arguments_)), server_.instanceName(), timeoutMs_)
               == THandOver::Taken) {
        start.handedOver = true;
        return start;
    }
    server_.listen();

    if (start.parsed.debug)
        gDebugMode = true;
    // A submission switch without a file would submit the next plain file.
    if (!start.parsed.path.isEmpty()) {
        gSubmitMode = start.parsed.submit;
        gHwUpgradeMode = start.parsed.hwUpgrade;
    }
    gStartupFile = start.parsed.path;
    return start;
}

void BringToFront(QWidget *window_)
{
    if (!window_)
        return;
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

TPendingFiles::TPendingFiles(QWidget *owner_, Opener opener_)
    : QObject(owner_), owner(owner_), opener(std::move(opener_))
{
    setObjectName(QStringLiteral("PendingFiles"));
    LoadTimer = new QTimer(this);
    LoadTimer->setObjectName(QStringLiteral("LoadTimer"));
    LoadTimer->setInterval(Interval);
    connect(LoadTimer, &QTimer::timeout, this, &TPendingFiles::LoadTimerTimer);
}

TPendingFiles::~TPendingFiles() = default;

void TPendingFiles::add(const TPendingFile &file_)
{
    pending.push_back(file_);
    // Enabling a running timer must not postpone its tick.
    if (!LoadTimer->isActive())
        LoadTimer->start();
}

bool TPendingFiles::openNow(const TPendingFile &file_)
{
    // The opener may close and free the main window, and this with it.
    QPointer<TPendingFiles> self(this);
    busy = true;
    gSubmitMode = file_.submit;
    gHwUpgradeMode = file_.hwUpgrade;
    bool loaded = false;
    const Opener open = opener;
    try {
        loaded = open && open(file_.path, file_.submit, file_.hwUpgrade);
    } catch (...) {
        showAppMessage(DescribeException(std::current_exception()).message);
    }
    gSubmitMode = false;
    gHwUpgradeMode = false;
    if (self)
        busy = false;
    return loaded;
}

void TPendingFiles::openStartupFile(bool ownerHasChildWindow_)
{
    if (gStartupFile.isEmpty())
        return;
    const TPendingFile file{gStartupFile, gSubmitMode, gHwUpgradeMode};
    gStartupFile.clear();
    if (ownerHasChildWindow_) {
        gSubmitMode = false;
        gHwUpgradeMode = false;
        return;
    }
    openNow(file);
}

void TPendingFiles::takeHandOvers(TInstanceServer &server_)
{
    server_.attachReceiver(this, [this](const QString &commandLine_) { HandOverReceived(commandLine_); });
}

void TPendingFiles::HandOverReceived(const QString &commandLine_)
{
    const TCommandLine parsed = ParseCommandLine(commandLine_);
    if (parsed.debug)
        gDebugMode = true;
    if (!parsed.path.isEmpty())
        add({parsed.path, parsed.submit, parsed.hwUpgrade});
    // Queued first: showing a window that was not shown yet opens the
    // start-up file, and a submission run that ends there must see this one.
    BringToFront(owner);
}

void TPendingFiles::LoadTimerTimer()
{
    // A modal dialog inside an open runs the event loop; the next file
    // waits until that open has returned.
    if (busy)
        return;
    LoadTimer->stop();
    if (pending.empty())
        return;
    // Taken off first, so a file that fails is never tried again and never
    // holds up the ones behind it.
    const TPendingFile file = pending.front();
    pending.pop_front();
    QPointer<TPendingFiles> self(this);
    openNow(file);
    if (self && !pending.empty())
        LoadTimer->start();
}

bool EndSubmissionRun(QWidget *mainWindow_)
{
    if (!mainWindow_ || !CBasicDatabase::openDatabases().empty() || !CBasicProject::liveProjects().empty())
        return false;
    if (auto *files = mainWindow_->findChild<TPendingFiles *>(QString(), Qt::FindDirectChildrenOnly))
        if (!files->files().empty())
            return false;
    QTimer::singleShot(0, mainWindow_, [mainWindow_] { mainWindow_->close(); });
    return true;
}
