#pragma once

#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QTimer;
class QWidget;

// What one command line names: the file path (empty when none) and the
// switches found in that text.
struct TCommandLine {
    QString path;
    bool debug = false;
    bool submit = false;    // "SUBMIT" or "HWUPGRADE"
    bool hwUpgrade = false; // "HWUPGRADE"
};

#ifdef Q_OS_WIN
inline constexpr bool kPosixCommandLine = false;
#else
inline constexpr bool kPosixCommandLine = true;
#endif

// Splits a command line into its file path and switches ("-" or "/", any
// case). With posix_, a "/" token that is not one of the three switch words
// is an absolute path. Sets no program-wide flag.
TCommandLine ParseCommandLine(const QString &text_, bool posix_ = kPosixCommandLine);

// The program's arguments as one command line: separated by blanks, an
// argument that holds a blank in double quotes, empty ones left out.
QString JoinCommandLine(const QStringList &arguments_);

// The file named on the program's own command line, opened when the main
// window is first shown; empty when none (or once it was taken).
inline QString gStartupFile;

// The folder of the running copies' sockets: the user's runtime folder
// ($XDG_RUNTIME_DIR), else a folder of the program's own in the temporary
// folder; either only when it is the user's and nobody else may write to it.
// Empty when there is no such folder (no hand-over then).
QString InstanceFolder();
// The display this start's windows go to ("x11::0", "wayland:wayland-0",
// or the platform's name where there is no display to tell apart).
QString InstanceDisplay();
// The path of the running copy's local socket: one per user, login session
// and display, named after the main window's class; instance_ tells test
// copies apart. Empty when there is no safe folder for it.
QString InstanceServerName(const QString &instance_ = QString());

// The running copy's side of the single instance: a user-only local socket
// that takes one length-prefixed command line per connection and answers
// with an acknowledgement once the command line is queued. Start-up message
// boxes already serve the socket, so what arrives before a receiver is
// attached waits here.
class TInstanceServer : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const QString &commandLine_)>;

    explicit TInstanceServer(const QString &instance_ = QString(), QObject *parent_ = nullptr);
    ~TInstanceServer() override;

    // Listens unless a live copy already does; a socket left by a copy that
    // died is removed first. Callers that race other starts hold the lock.
    bool listen();
    bool isListening() const { return server.isListening(); }
    QString instanceName() const { return instance; }
    QString serverName() const { return name; }
    // The lock file that settles simultaneous starts; empty without a socket.
    QString lockFilePath() const;

    // The longest command line taken; a longer message drops the connection.
    static constexpr quint32 MaxMessage = 64 * 1024;
    // A connection that does not deliver its message in this time is dropped.
    static constexpr int ReadTimeoutMs = 5000;

    // Hands receiver_ the command lines that waited, oldest first, and then
    // each later one as it arrives, for as long as context_ lives; after
    // that they wait again. A later call replaces the receiver.
    void attachReceiver(QObject *context_, Receiver receiver_);
    // The command lines taken but not yet handed to a receiver, oldest first.
    QStringList waiting() const { return QStringList(queue.begin(), queue.end()); }

signals:
    // A later start's whole command line was taken (also when it names no
    // file); a notice only, the attached receiver is what takes it in.
    void commandLineReceived(const QString &commandLine_);

private:
    void acceptConnections();
    void deliver();

    QString instance;
    QString name;
    QLocalServer server;
    std::deque<QString> queue;
    QPointer<QObject> receiverContext;
    Receiver receiver;
};

// The second start's side of the hand-over.
enum class THandOver {
    Taken,    // a running copy acknowledged the command line
    NoCopy,   // nobody listens (or only a socket left by a dead copy)
    NoAnswer, // a copy listens but did not acknowledge in time
};
inline constexpr int kHandOverTimeoutMs = 10000;
THandOver HandOverTo(const QString &commandLine_, const QString &instance_ = QString(),
                     int timeoutMs_ = kHandOverTimeoutMs);
// True when a running copy took the command line.
bool handOver(const QString &commandLine_, const QString &instance_ = QString(), int timeoutMs_ = kHandOverTimeoutMs);

// How a start went: its command line and what it names, and whether a
// running copy took it (this start then ends with 0).
struct TEntryStart {
    QString commandLine;
    TCommandLine parsed;
    bool handedOver = false;
};

// The entry up to the message loop: parses the arguments, hands them to a
// running copy unless "DEBUG" was given (a relative file path made absolute
// against this start's working folder first), and otherwise lets server_ listen
// (when no live copy does), sets the program-wide flags (the submission ones
// only with a file) and keeps the start-up file. Runs under the lock file,
// so of two simultaneous starts one listens and the other hands over.
TEntryStart StartEntry(const QStringList &arguments_, TInstanceServer &server_,
                       int timeoutMs_ = kHandOverTimeoutMs);

// Brings a window to the front: shown, un-minimised (a maximised window
// stays so), raised and activated.
void BringToFront(QWidget *window_);

// One file waiting to be opened, with the submission mode it came with.
struct TPendingFile {
    QString path;
    bool submit = false;
    bool hwUpgrade = false;
    bool operator==(const TPendingFile &) const = default;
};

// The main window's pending-file list: files handed over by later starts,
// oldest first, opened one per tick of `LoadTimer`.
class TPendingFiles : public QObject {
    Q_OBJECT
public:
    using Opener = std::function<bool(const QString &path_, bool submit_, bool hwUpgrade_)>;

    TPendingFiles(QWidget *owner_, Opener opener_);
    ~TPendingFiles() override;

    static constexpr int Interval = 500;

    const std::deque<TPendingFile> &files() const { return pending; }
    // Queues a file and enables the timer.
    void add(const TPendingFile &file_);
    // Opens one file now: the program-wide submission flags are the file's
    // own while it opens and cleared afterwards, also when it fails. An
    // exception is reported. True when the opener says it was loaded.
    bool openNow(const TPendingFile &file_);
    // The start-up file (gStartupFile with the flags the entry set): opened
    // when the owner has no child window yet; taken once either way.
    void openStartupFile(bool ownerHasChildWindow_);
    // True while a file is being opened (a modal dialog may run meanwhile).
    bool opening() const { return busy; }
    // Takes the hand-overs server_ kept so far and every later one.
    void takeHandOvers(TInstanceServer &server_);

    QTimer *LoadTimer = nullptr;

public slots:
    // The receiver of a hand-over: brings the owner to the front, parses the
    // command line and queues its file with the file's own switches.
    void HandOverReceived(const QString &commandLine_);
    void LoadTimerTimer();

private:
    QWidget *owner = nullptr;
    Opener opener;
    std::deque<TPendingFile> pending;
    bool busy = false;
};

// The end of a submission run: closes the main window the normal way (its
// children are asked, so a changed database asks to be saved), later, and
// only when no database and no project is open and no file waits. True
// when the close was scheduled.
bool EndSubmissionRun(QWidget *mainWindow_);

