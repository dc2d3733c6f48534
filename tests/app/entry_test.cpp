#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QShowEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtEndian>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <optional>
#include <stdexcept>
#include <thread>

#include "spinuntil.h"
#include "Exception.h"
#include "MessageSink.h"
#include "TemporarySettings.h"
#include "Ucommoncalls.h"
#include "qtappservices.h"
#include "entry.h"
#include "uMainForm.h"
#include "modes.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"

#ifndef Q_OS_WIN
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "qtprint.h"

[[maybe_unused]] static void PrintTo(const TPendingFile &file_, std::ostream *os_)
{
    *os_ << '{' << file_.path.toStdString() << (file_.submit ? " submit" : "") << (file_.hwUpgrade ? " hw" : "")
         << '}';
}

namespace {

// A name no other test, run or user shares.
QString uniqueInstance()
{
    static int counter = 0;
    return QStringLiteral("test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

void resetModes()
{
    gSubmitMode = false;
    gHwUpgradeMode = false;
    gDebugMode = false;
    gStartupFile.clear();
}

// ---------------------------------------------------------------- parsing

struct ParseCase {
    const char *name;
    QString text;
    bool posix;
    QString path;
    bool debug;
    bool submit;
    bool hwUpgrade;
};

void PrintTo(const ParseCase &c, std::ostream *os) { *os << c.name; }

class CommandLineParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineParse, GivesPathAndSwitches)
{
    const ParseCase &c = GetParam();
    const TCommandLine r = ParseCommandLine(c.text, c.posix);
    EXPECT_EQ(r.path, c.path);
    EXPECT_EQ(r.debug, c.debug);
    EXPECT_EQ(r.submit, c.submit);
    EXPECT_EQ(r.hwUpgrade, c.hwUpgrade);
}

const QString longPath = QStringLiteral("/") + QString(300, QLatin1Char('x')) + QStringLiteral(".prp");

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineParse,
    ::testing::Values(
        ParseCase{"Empty", "", true, "", false, false, false},
        ParseCase{"QuotedWindowsPathWithBlanks", "\"C:\\My Results\\a.prp\"", false, "C:\\My Results\\a.prp", false,
                  false, false},
        ParseCase{"QuotedPosixPathWithBlanks", "\"/home/x/My Results/a.prp\"", true, "/home/x/My Results/a.prp",
                  false, false, false},
        ParseCase{"SubmitLower", "-submit a.prp", true, "a.prp", false, true, false},
        ParseCase{"SubmitMixedSlash", "/Submit a.prp", true, "a.prp", false, true, false},
        ParseCase{"SubmitUpper", "-SUBMIT a.prp", false, "a.prp", false, true, false},
        ParseCase{"HwUpgradeSetsBoth", "/HWUPGRADE a.prp", true, "a.prp", false, true, true},
        ParseCase{"SwitchAfterTheFile", "a.prp -hwupgrade", true, "a.prp", false, true, true},
        ParseCase{"Debug", "-Debug", true, "", true, false, false},
        ParseCase{"UnknownDashSwitchIgnored", "-foo a.prp", true, "a.prp", false, false, false},
        ParseCase{"UnknownSlashSwitchOnWindows", "/foo a.prp", false, "a.prp", false, false, false},
        ParseCase{"SlashTokenIsAPathOnPosix", "/foo a.prp", true, "/foo", false, false, false},
        ParseCase{"AbsolutePosixPath", "/home/x/a.prp", true, "/home/x/a.prp", false, false, false},
        ParseCase{"AbsolutePosixPathIsASwitchOnWindows", "/home/x/a.prp", false, "", false, false, false},
        ParseCase{"SwitchWordsStaySwitchesOnPosix", "/DEBUG /home/x/a.prp /submit", true, "/home/x/a.prp", true,
                  true, false},
        ParseCase{"SecondFileIgnored", "a.prp b.prp", true, "a.prp", false, false, false},
        ParseCase{"EmptyTokensSkipped", "  -SUBMIT   a.prp  ", true, "a.prp", false, true, false},
        ParseCase{"UnterminatedQuoteEndsTheParse", "-SUBMIT a.prp \"b c.prp -DEBUG", true, "a.prp", false, true,
                  false},
        ParseCase{"UnterminatedQuoteFirst", "\"a b.prp -SUBMIT", true, "", false, false, false},
        // The character right after a closing quote ends the token and is
        // dropped with it.
        ParseCase{"CharacterAfterClosingQuoteDropped", "\"a b.prp\"x -SUBMIT", true, "a b.prp", false, true, false},
        ParseCase{"QuotedSwitchIsAPath", "\"-SUBMIT\"", true, "-SUBMIT", false, false, false},
        // Only the blank separates; a CR LF stays in its token.
        ParseCase{"CrLfIsNoSeparator", "a.prp\r\n", true, "a.prp\r\n", false, false, false},
        ParseCase{"CrLfGluedToASwitch", "-SUBMIT\r\n a.prp", true, "a.prp", false, false, false},
        // The rest after a token is cut to 255 characters.
        ParseCase{"LongFirstTokenKept", longPath, true, longPath, false, false, false},
        ParseCase{"LongPathAfterASwitchLost", "-SUBMIT " + longPath, true, "", false, true, false},
        ParseCase{"SwitchBeyond255Lost", "a.prp" + QString(260, QLatin1Char(' ')) + "-DEBUG", true, "a.prp", false,
                  false, false}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

struct JoinCase {
    const char *name;
    QStringList arguments;
    QString text;
    QString path;
    bool submit;
};

void PrintTo(const JoinCase &c, std::ostream *os) { *os << c.name; }

class CommandLineJoin : public ::testing::TestWithParam<JoinCase> {};

// The arguments of a start come back out of the parse as they went in.
TEST_P(CommandLineJoin, SurvivesTheParse)
{
    const JoinCase &c = GetParam();
    const QString text = JoinCommandLine(c.arguments);
    EXPECT_EQ(text, c.text);
    const TCommandLine r = ParseCommandLine(text);
    EXPECT_EQ(r.path, c.path);
    EXPECT_EQ(r.submit, c.submit);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineJoin,
    ::testing::Values(JoinCase{"None", {}, "", "", false},
                      JoinCase{"PlainPath", {"/home/x/a.prp"}, "/home/x/a.prp", "/home/x/a.prp", false},
                      JoinCase{"PathWithBlanks", {"-SUBMIT", "/home/x/My Results/a.prp"},
                               "-SUBMIT \"/home/x/My Results/a.prp\"", "/home/x/My Results/a.prp", true},
                      JoinCase{"EmptyArgumentLeftOut", {"", "a.prp"}, "a.prp", "a.prp", false}),
    [](const ::testing::TestParamInfo<JoinCase> &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- queue

struct OpenCall {
    QString path;
    bool submit;
    bool hwUpgrade;
    bool globalSubmit; // the program-wide flags while the file opens
    bool globalHwUpgrade;
};

class PendingFiles : public ::testing::Test {
protected:
    void SetUp() override { resetModes(); }
    void TearDown() override { resetModes(); }

    TPendingFiles::Opener recorder(std::function<bool(const QString &)> result_ = {})
    {
        return [this, result_](const QString &path, bool submit, bool hwUpgrade) {
            calls.push_back({path, submit, hwUpgrade, gSubmitMode, gHwUpgradeMode});
            return result_ ? result_(path) : true;
        };
    }
    QStringList openedPaths() const
    {
        QStringList paths;
        for (const OpenCall &c : calls)
            paths << c.path;
        return paths;
    }

    RecordingMessageSink sink;
    QWidget owner;
    std::vector<OpenCall> calls;
};

TEST_F(PendingFiles, TimerStartsDisabledAt500ms)
{
    TPendingFiles files(&owner, recorder());
    EXPECT_FALSE(files.LoadTimer->isActive());
    EXPECT_EQ(files.LoadTimer->interval(), 500);
    EXPECT_EQ(files.parent(), &owner);
}

// How the middle of three files fails.
enum class Failure { ReturnsFalse, ThrowsException, ThrowsStd, ThrowsUnknown };

class PendingFilesFailure : public PendingFiles, public ::testing::WithParamInterface<Failure> {};

TEST_P(PendingFilesFailure, OneFilePerTickAndAFailingFileNeverStallsTheQueue)
{
    const Failure failure = GetParam();
    TPendingFiles files(&owner, recorder([failure](const QString &path) -> bool {
        if (path != "b.prp")
            return true;
        switch (failure) {
        case Failure::ReturnsFalse:
            return false;
        case Failure::ThrowsException:
            throw Exception("CRC Check failed.");
        case Failure::ThrowsStd:
            throw std::runtime_error("broken");
        case Failure::ThrowsUnknown:
            throw 42;
        }
        return true;
    }));
    files.add({"a.prp"});
    files.add({"b.prp", true, true});
    files.add({"c.prp"});
    EXPECT_TRUE(files.LoadTimer->isActive());
    EXPECT_TRUE(calls.empty());

    files.LoadTimerTimer();
    EXPECT_EQ(openedPaths(), QStringList({"a.prp"}));
    EXPECT_EQ(files.files().size(), 2u);
    EXPECT_TRUE(files.LoadTimer->isActive());

    files.LoadTimerTimer();
    EXPECT_EQ(openedPaths(), QStringList({"a.prp", "b.prp"}));
    ASSERT_EQ(files.files().size(), 1u);
    EXPECT_EQ(files.files().front().path, "c.prp");
    EXPECT_TRUE(files.LoadTimer->isActive());
    EXPECT_FALSE(gSubmitMode);
    EXPECT_FALSE(gHwUpgradeMode);

    files.LoadTimerTimer();
    EXPECT_EQ(openedPaths(), QStringList({"a.prp", "b.prp", "c.prp"}));
    EXPECT_TRUE(files.files().empty());
    EXPECT_FALSE(files.LoadTimer->isActive());

    // A file that merely does not load was reported by the loaders already.
    const QStringList messages = sink.texts(MessageRequest::Kind::AppMessage);
    switch (failure) {
    case Failure::ReturnsFalse:
        EXPECT_TRUE(messages.isEmpty());
        break;
    case Failure::ThrowsException:
        EXPECT_EQ(messages, QStringList({"CRC Check failed."}));
        break;
    case Failure::ThrowsStd:
        EXPECT_EQ(messages, QStringList({"broken"}));
        break;
    case Failure::ThrowsUnknown:
        EXPECT_EQ(messages, QStringList({"Unknown exception."}));
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, PendingFilesFailure,
                         ::testing::Values(Failure::ReturnsFalse, Failure::ThrowsException, Failure::ThrowsStd,
                                           Failure::ThrowsUnknown));

TEST_F(PendingFiles, EachFileOpensWithItsOwnSubmissionModeThenBothAreCleared)
{
    TPendingFiles files(&owner, recorder([](const QString &path) {
        if (path == "fails.prp")
            throw Exception("Unsupported file type");
        return true;
    }));
    files.add({"plain1.prp"});
    files.add({"submit.prp", true, false});
    files.add({"fails.prp", true, true});
    files.add({"upgrade.prp", true, true});
    files.add({"plain2.prp"});
    // A flag left over from elsewhere never submits a plain file.
    gSubmitMode = true;
    gHwUpgradeMode = true;
    while (!files.files().empty()) {
        files.LoadTimerTimer();
        EXPECT_FALSE(gSubmitMode) << calls.back().path.toStdString();
        EXPECT_FALSE(gHwUpgradeMode) << calls.back().path.toStdString();
    }
    ASSERT_EQ(calls.size(), 5u);
    const bool expected[5][2] = {{false, false}, {true, false}, {true, true}, {true, true}, {false, false}};
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(calls[i].path.toStdString());
        EXPECT_EQ(calls[i].submit, expected[i][0]);
        EXPECT_EQ(calls[i].hwUpgrade, expected[i][1]);
        EXPECT_EQ(calls[i].globalSubmit, expected[i][0]);
        EXPECT_EQ(calls[i].globalHwUpgrade, expected[i][1]);
    }
}

struct ReceiveCase {
    const char *name;
    QString commandLine;
    std::vector<TPendingFile> queued;
    bool debug;
};

void PrintTo(const ReceiveCase &c, std::ostream *os) { *os << c.name; }

class PendingFilesReceive : public PendingFiles, public ::testing::WithParamInterface<ReceiveCase> {};

TEST_P(PendingFilesReceive, QueuesTheFileWithItsOwnSwitches)
{
    const ReceiveCase &c = GetParam();
    TPendingFiles files(&owner, recorder());
    files.add({"first.prp"});
    files.HandOverReceived(c.commandLine);
    std::vector<TPendingFile> expected{{"first.prp"}};
    expected.insert(expected.end(), c.queued.begin(), c.queued.end());
    EXPECT_EQ(std::vector<TPendingFile>(files.files().begin(), files.files().end()), expected);
    // Nothing is opened or switched on before the file's own tick.
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(gSubmitMode);
    EXPECT_FALSE(gHwUpgradeMode);
    EXPECT_EQ(gDebugMode, c.debug);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PendingFilesReceive,
    ::testing::Values(ReceiveCase{"File", "/home/x/a.prp", {{"/home/x/a.prp"}}, false},
                      ReceiveCase{"SubmitWithFile", "-SUBMIT \"/home/x/a b.prp\"", {{"/home/x/a b.prp", true, false}},
                                  false},
                      ReceiveCase{"HwUpgradeWithFile", "/hwupgrade a.prp", {{"a.prp", true, true}}, false},
                      ReceiveCase{"SubmitWithoutFileIgnored", "-SUBMIT", {}, false},
                      ReceiveCase{"NothingNamed", "", {}, false},
                      ReceiveCase{"Debug", "-DEBUG a.prp", {{"a.prp"}}, true}),
    [](const ::testing::TestParamInfo<ReceiveCase> &info) { return std::string(info.param.name); });

TEST_F(PendingFiles, HandOverWithoutAFileOnlyRaisesTheOwner)
{
    TPendingFiles files(&owner, recorder());
    owner.showMinimized();
    ASSERT_TRUE(owner.isMinimized());
    files.HandOverReceived("-SUBMIT");
    EXPECT_FALSE(owner.isMinimized());
    EXPECT_TRUE(owner.isVisible());
    EXPECT_TRUE(files.files().empty());
    EXPECT_FALSE(files.LoadTimer->isActive());
}

TEST_F(PendingFiles, OpensAtTheNextTickNotAtOnce)
{
    TPendingFiles files(&owner, recorder());
    QElapsedTimer clock;
    clock.start();
    files.HandOverReceived("a.prp");
    QCoreApplication::processEvents();
    EXPECT_TRUE(calls.empty());
    ASSERT_TRUE(spinUntil([&] { return !calls.empty(); }, 5000));
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_EQ(openedPaths(), QStringList({"a.prp"}));
    EXPECT_FALSE(files.LoadTimer->isActive());
}

// A modal dialog inside an open runs the event loop; the timer's next tick
// must not start the next file meanwhile.
TEST_F(PendingFiles, AFileThatRunsTheEventLoopDoesNotOverlapTheNext)
{
    QStringList events;
    TPendingFiles *filesPtr = nullptr;
    TPendingFiles files(&owner, [&](const QString &path, bool, bool) {
        events << "start " + path;
        if (path == "a.prp") {
            // A later start hands over meanwhile.
            filesPtr->HandOverReceived("c.prp");
            QEventLoop loop;
            QTimer::singleShot(1300, &loop, &QEventLoop::quit);
            loop.exec();
        }
        events << "end " + path;
        return true;
    });
    filesPtr = &files;
    files.add({"a.prp"});
    files.add({"b.prp"});
    ASSERT_TRUE(spinUntil([&] { return events.size() == 6; }, 10000)) << events.join(", ").toStdString();
    EXPECT_EQ(events, QStringList({"start a.prp", "end a.prp", "start b.prp", "end b.prp", "start c.prp", "end c.prp"}));
}

struct StartupCase {
    const char *name;
    QString startup;
    bool submit;
    bool hasChild;
    bool opens;
};

void PrintTo(const StartupCase &c, std::ostream *os) { *os << c.name; }

class PendingFilesStartup : public PendingFiles, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(PendingFilesStartup, OpensOnceWhenNoChildWindowYet)
{
    const StartupCase &c = GetParam();
    TPendingFiles files(&owner, recorder());
    gStartupFile = c.startup;
    gSubmitMode = c.submit;
    files.openStartupFile(c.hasChild);
    ASSERT_EQ(calls.size(), c.opens ? 1u : 0u);
    if (c.opens) {
        EXPECT_EQ(calls[0].path, c.startup);
        EXPECT_EQ(calls[0].submit, c.submit);
        EXPECT_EQ(calls[0].globalSubmit, c.submit);
    }
    EXPECT_FALSE(gSubmitMode);
    // Showing the window again does not open the file a second time.
    files.openStartupFile(false);
    EXPECT_EQ(calls.size(), c.opens ? 1u : 0u);
    EXPECT_TRUE(files.files().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, PendingFilesStartup,
                         ::testing::Values(StartupCase{"Plain", "a.prp", false, false, true},
                                           StartupCase{"Submission", "a.prp", true, false, true},
                                           StartupCase{"ChildWindowAlready", "a.prp", true, true, false},
                                           StartupCase{"None", "", false, false, false}),
                         [](const ::testing::TestParamInfo<StartupCase> &info) { return std::string(info.param.name); });

// A window whose close may be refused, as a changed database's question does.
class ClosingWindow : public QWidget {
public:
    bool refuse = false;
    int asked = 0;

protected:
    void closeEvent(QCloseEvent *event_) override
    {
        ++asked;
        if (refuse)
            event_->ignore();
        else
            event_->accept();
    }
};

enum class Left { Nothing, Refuses, Database, Project, PendingFile };

class PendingFilesEnd : public PendingFiles, public ::testing::WithParamInterface<Left> {};

TEST_P(PendingFilesEnd, SubmissionEndsOnlyThroughTheCloseAndWithNothingOpen)
{
    const Left left = GetParam();
    ClosingWindow window;
    window.show();
    TPendingFiles files(&window, recorder());
    std::unique_ptr<CPolyraDatabase> database;
    std::unique_ptr<CPolyraProject> project;
    window.refuse = left == Left::Refuses;
    if (left == Left::Database)
        database = std::make_unique<CPolyraDatabase>();
    if (left == Left::Project)
        project = std::make_unique<CPolyraProject>();
    if (left == Left::PendingFile)
        files.add({"b.prp"});

    const bool scheduled = EndSubmissionRun(&window);
    // Later, never inside the open that asked.
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.asked, 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const bool mayEnd = left == Left::Nothing || left == Left::Refuses;
    EXPECT_EQ(scheduled, mayEnd);
    EXPECT_EQ(window.asked, mayEnd ? 1 : 0);
    EXPECT_EQ(window.isVisible(), left != Left::Nothing);
}

INSTANTIATE_TEST_SUITE_P(Cases, PendingFilesEnd,
                         ::testing::Values(Left::Nothing, Left::Refuses, Left::Database, Left::Project,
                                           Left::PendingFile));

// A main window not shown yet: its first show opens the start-up file, and
// a submission run may end right there.
class FirstShowEndsTheRun : public QWidget {
public:
    std::optional<bool> ended;

protected:
    void showEvent(QShowEvent *event_) override
    {
        QWidget::showEvent(event_);
        if (!ended)
            ended = EndSubmissionRun(this);
    }
};

TEST_F(PendingFiles, AHandOverIsQueuedBeforeItShowsTheWindow)
{
    FirstShowEndsTheRun window;
    TPendingFiles files(&window, recorder());
    files.HandOverReceived("/tmp/a.prp");
    ASSERT_TRUE(window.ended.has_value());
    EXPECT_FALSE(*window.ended);
    ASSERT_EQ(files.files().size(), 1u);
    EXPECT_EQ(files.files().front().path, "/tmp/a.prp");
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
}

// ---------------------------------------------------------------- hand-over

// A second start in a thread of its own, so that this thread's event loop
// can serve it.
THandOver handOverFromThread(const QString &commandLine_, const QString &instance_, int timeoutMs_ = 5000)
{
    auto result = std::async(std::launch::async, [=] { return HandOverTo(commandLine_, instance_, timeoutMs_); });
    spinUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return result.get();
}

class InstanceServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen());
        QObject::connect(&server, &TInstanceServer::commandLineReceived,
                         [this](const QString &text) { received << text; });
    }

    QString instance = uniqueInstance();
    TInstanceServer server{instance};
    QStringList received;
};

TEST_F(InstanceServerTest, HandOverInProcessDeliversTheWholeCommandLine)
{
    const QString commandLine = "-SUBMIT \"/home/x/My Results/\u00e4.prp\" -foo";
    EXPECT_EQ(handOverFromThread(commandLine, instance), THandOver::Taken);
    EXPECT_EQ(received, QStringList({commandLine}));
    // An empty command line is handed over too: it raises the running copy.
    EXPECT_EQ(handOverFromThread("", instance), THandOver::Taken);
    EXPECT_EQ(received, QStringList({commandLine, ""}));
}

TEST_F(InstanceServerTest, NamesAreTheMainWindowsClassAndPerUser)
{
    EXPECT_TRUE(QFileInfo(server.serverName()).fileName().startsWith("TFMainForm-" + instance + "-"));
    EXPECT_TRUE(QFileInfo(InstanceServerName()).fileName().startsWith("TFMainForm-"));
    EXPECT_NE(InstanceServerName(), server.serverName());
}

#ifndef Q_OS_WIN
TEST_F(InstanceServerTest, SocketIsUserOnly)
{
    const QString path = server.serverName();
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & (S_IRWXG | S_IRWXO), 0u);
}
#endif

TEST_F(InstanceServerTest, ASecondServerLeavesTheLiveOneAlone)
{
    TInstanceServer second(instance);
    EXPECT_FALSE(second.listen());
    EXPECT_EQ(handOverFromThread("a.prp", instance), THandOver::Taken);
    EXPECT_EQ(received, QStringList({"a.prp"}));
}

// How the second start's bytes arrive.
struct Delivery {
    const char *name;
    std::vector<int> pieces; // sizes of the writes; the rest goes last
    bool oversized;
};

void PrintTo(const Delivery &c, std::ostream *os) { *os << c.name; }

class InstanceServerDelivery : public InstanceServerTest, public ::testing::WithParamInterface<Delivery> {};

TEST_P(InstanceServerDelivery, AssemblesPiecesAndRefusesOversizedMessages)
{
    const Delivery &d = GetParam();
    const QByteArray text = "-SUBMIT a.prp";
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(d.oversized ? TInstanceServer::MaxMessage + 1 : quint32(text.size()), message.data());
    message += text;
    const QString name = server.serverName();
    auto answer = std::async(std::launch::async, [&] {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(3000))
            return QByteArray("no connection");
        int at = 0;
        for (int size : d.pieces) {
            socket.write(message.mid(at, size));
            socket.waitForBytesWritten(1000);
            at += size;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        socket.write(message.mid(at));
        socket.flush();
        socket.waitForReadyRead(3000);
        return socket.readAll();
    });
    spinUntil([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    const QByteArray reply = answer.get();
    if (d.oversized) {
        EXPECT_TRUE(reply.isEmpty());
        EXPECT_TRUE(received.isEmpty());
    } else {
        EXPECT_EQ(reply, QByteArray("\x06"));
        EXPECT_EQ(received, QStringList({"-SUBMIT a.prp"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, InstanceServerDelivery,
                         ::testing::Values(Delivery{"Whole", {}, false}, Delivery{"SplitLength", {2}, false},
                                           Delivery{"ThreePieces", {4, 3}, false}, Delivery{"Oversized", {}, true}),
                         [](const ::testing::TestParamInfo<Delivery> &info) { return std::string(info.param.name); });

TEST(HandOver, NobodyListening)
{
    EXPECT_EQ(HandOverTo("a.prp", uniqueInstance(), 1000), THandOver::NoCopy);
    EXPECT_FALSE(handOver("a.prp", uniqueInstance(), 1000));
}

TEST(HandOver, ACopyThatNeverAnswersTimesOut)
{
    const QString instance = uniqueInstance();
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(InstanceServerName(instance)));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(HandOverTo("a.prp", instance, 300), THandOver::NoAnswer);
    EXPECT_LT(clock.elapsed(), 3000);
}

#ifndef Q_OS_WIN
// The socket of a copy that died: a file nobody listens on.
void leaveStaleSocket(const QString &name_)
{
    const QByteArray path = QFile::encodeName(name_);
    QFile::remove(QString::fromLocal8Bit(path));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path)));
}

TEST(HandOver, StaleSocketIsNoCopyAndIsReplaced)
{
    const QString instance = uniqueInstance();
    leaveStaleSocket(InstanceServerName(instance));
    EXPECT_EQ(HandOverTo("a.prp", instance, 1000), THandOver::NoCopy);
    TInstanceServer server(instance);
    ASSERT_TRUE(server.listen());
    QStringList received;
    QObject::connect(&server, &TInstanceServer::commandLineReceived, [&](const QString &t) { received << t; });
    EXPECT_EQ(handOverFromThread("a.prp", instance), THandOver::Taken);
    EXPECT_EQ(received, QStringList({"a.prp"}));
}
#endif

TEST_F(InstanceServerTest, KeepsWhatArrivesUntilAReceiverTakesIt)
{
    EXPECT_EQ(handOverFromThread("a.prp", instance), THandOver::Taken);
    EXPECT_EQ(handOverFromThread("b.prp", instance), THandOver::Taken);
    EXPECT_EQ(server.waiting(), QStringList({"a.prp", "b.prp"}));
    QStringList taken;
    {
        QObject context;
        server.attachReceiver(&context, [&](const QString &text) { taken << text; });
        EXPECT_EQ(taken, QStringList({"a.prp", "b.prp"}));
        EXPECT_TRUE(server.waiting().isEmpty());
        EXPECT_EQ(handOverFromThread("c.prp", instance), THandOver::Taken);
        EXPECT_EQ(taken, QStringList({"a.prp", "b.prp", "c.prp"}));
        EXPECT_TRUE(server.waiting().isEmpty());
    }
    // A receiver that is gone takes nothing; the next one gets it.
    EXPECT_EQ(handOverFromThread("d.prp", instance), THandOver::Taken);
    EXPECT_EQ(taken, QStringList({"a.prp", "b.prp", "c.prp"}));
    EXPECT_EQ(server.waiting(), QStringList({"d.prp"}));
    QObject next;
    server.attachReceiver(&next, [&](const QString &text) { taken << text; });
    EXPECT_EQ(taken, QStringList({"a.prp", "b.prp", "c.prp", "d.prp"}));
    EXPECT_EQ(received, QStringList({"a.prp", "b.prp", "c.prp", "d.prp"}));
}

// A receiver that runs an event loop (a modal box) while the ones that
// waited are still being handed on.
TEST_F(InstanceServerTest, ANewerCommandLineNeverOvertakesTheWaitingOnes)
{
    EXPECT_EQ(handOverFromThread("a.prp", instance), THandOver::Taken);
    EXPECT_EQ(handOverFromThread("b.prp", instance), THandOver::Taken);
    QStringList taken;
    QObject context;
    server.attachReceiver(&context, [&](const QString &text) {
        taken << text;
        if (text == "a.prp") {
            EXPECT_EQ(handOverFromThread("c.prp", instance), THandOver::Taken);
        }
    });
    EXPECT_EQ(taken, QStringList({"a.prp", "b.prp", "c.prp"}));
    EXPECT_TRUE(server.waiting().isEmpty());
}

// The acknowledgement says the command line is queued; it does not wait
// for a receiver that runs a modal box for longer than the sender waits.
TEST_F(InstanceServerTest, AcknowledgesBeforeTheReceiverIsDone)
{
    QObject context;
    QStringList taken;
    server.attachReceiver(&context, [&](const QString &text) {
        QEventLoop modal;
        QTimer::singleShot(1000, &modal, &QEventLoop::quit);
        modal.exec();
        taken << text;
    });
    EXPECT_EQ(handOverFromThread("a.prp", instance, 300), THandOver::Taken);
    ASSERT_TRUE(spinUntil([&] { return !taken.isEmpty(); }, 5000));
    EXPECT_EQ(taken, QStringList({"a.prp"}));
}

// ---------------------------------------------------------------- entry

struct HelperRun {
    int exitCode = -1;
    QStringList lines;
};

// Starts the helper as a second start of the program under instance_.
QProcess *startHelper(const QString &instance_, int serve_, const QStringList &arguments_,
                      const QString &workingFolder_ = QString(),
                      const QProcessEnvironment &environment_ = QProcessEnvironment())
{
    auto *process = new QProcess;
    process->setWorkingDirectory(workingFolder_);
    if (!environment_.isEmpty())
        process->setProcessEnvironment(environment_);
    process->setProgram(SCORVISTA_ENTRY_HELPER);
    process->setArguments(QStringList{instance_, QString::number(serve_)} + arguments_);
    process->start();
    return process;
}

HelperRun finish(QProcess *process_)
{
    HelperRun run;
    const bool ended = spinUntil([&] { return process_->state() == QProcess::NotRunning; }, 30000);
    EXPECT_TRUE(ended);
    if (!ended) {
        process_->kill();
        process_->waitForFinished();
    }
    run.exitCode = process_->exitStatus() == QProcess::NormalExit ? process_->exitCode() : -1;
    run.lines = QString::fromLocal8Bit(process_->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(process_->readAllStandardError().isEmpty());
    delete process_;
    return run;
}

HelperRun runHelper(const QString &instance_, const QStringList &arguments_,
                    const QString &workingFolder_ = QString())
{
    return finish(startHelper(instance_, 0, arguments_, workingFolder_));
}

QStringList pathsOf(const std::deque<TPendingFile> &files_)
{
    QStringList paths;
    for (const TPendingFile &file : files_)
        paths << file.path;
    return paths;
}

// Second starts one after the other, driven by whatever event loop runs, a
// modal box's too.
class SecondStarts {
public:
    SecondStarts(const QString &instance_, std::vector<QStringList> arguments_)
        : instance(instance_), arguments(std::move(arguments_))
    {
    }
    ~SecondStarts()
    {
        if (process && process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(3000);
        }
    }

    void start() { next(); }
    bool done() const { return results.size() == arguments.size(); }

    std::vector<HelperRun> results;

private:
    void next()
    {
        if (done())
            return;
        process.reset(startHelper(instance, 0, arguments[results.size()]));
        QObject::connect(process.get(), &QProcess::finished, &context, [this](int code, QProcess::ExitStatus status) {
            HelperRun run;
            run.exitCode = status == QProcess::NormalExit ? code : -1;
            run.lines = QString::fromLocal8Bit(process->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
            results.push_back(run);
            // Not inside the process's own signal.
            QTimer::singleShot(0, &context, [this] { next(); });
        });
    }

    QString instance;
    std::vector<QStringList> arguments;
    std::unique_ptr<QProcess> process;
    QObject context;
};

// The first message box is a real modal one: it stays open while
// whileOpen_ runs and until closeWhen_ holds (at most 20 s).
class ModalBoxSink : public RecordingMessageSink {
public:
    std::function<void()> whileOpen;
    std::function<bool()> closeWhen;
    int modalBoxes = 0;

    MessageAnswer show(const MessageRequest &request_) override
    {
        if (modalBoxes == 0 && closeWhen) {
            ++modalBoxes;
            QMessageBox box(QMessageBox::Warning, request_.caption, request_.text);
            QElapsedTimer clock;
            clock.start();
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &box, [&] {
                if (closeWhen() || clock.elapsed() > 20000)
                    box.done(0);
            });
            poll.start(20);
            if (whileOpen)
                QTimer::singleShot(0, &box, whileOpen);
            box.exec();
        }
        return RecordingMessageSink::show(request_);
    }
};

// A running copy in this process, a second start as a real process.
class EntrySecondStart : public PendingFiles {
protected:
    void SetUp() override
    {
        PendingFiles::SetUp();
        ASSERT_TRUE(server.listen());
        files.takeHandOvers(server);
        // What the receiver left, before any tick can open it.
        QObject::connect(&server, &TInstanceServer::commandLineReceived, [this](const QString &t) {
            received << t;
            queued.assign(files.files().begin(), files.files().end());
            timerActive = files.LoadTimer->isActive();
        });
        owner.showMinimized();
    }

    QString instance = uniqueInstance();
    TInstanceServer server{instance};
    TPendingFiles files{&owner, recorder()};
    QStringList received;
    std::vector<TPendingFile> queued;
    bool timerActive = false;
};

TEST_F(EntrySecondStart, HandsItsFileOverAndEndsWithZero)
{
    const HelperRun run = runHelper(instance, {"-SUBMIT", "/tmp/My Results/a.prp"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, QStringList({"handed-over"}));
    EXPECT_EQ(received, QStringList({"-SUBMIT \"/tmp/My Results/a.prp\""}));
    EXPECT_FALSE(owner.isMinimized());
    EXPECT_EQ(queued, std::vector<TPendingFile>({{"/tmp/My Results/a.prp", true, false}}));
    EXPECT_TRUE(timerActive);
    // The running copy is in submission mode for that file only.
    ASSERT_TRUE(spinUntil([&] { return !calls.empty(); }, 5000));
    EXPECT_TRUE(calls[0].globalSubmit);
    EXPECT_FALSE(gSubmitMode);
    EXPECT_TRUE(files.files().empty());
}

TEST_F(EntrySecondStart, WithoutAFileOnlyRaisesTheRunningCopy)
{
    const HelperRun run = runHelper(instance, {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(received, QStringList({""}));
    EXPECT_FALSE(owner.isMinimized());
    EXPECT_TRUE(queued.empty());
    EXPECT_FALSE(timerActive);
}

TEST_F(EntrySecondStart, DebugRunsACopyOfItsOwn)
{
    const HelperRun run = runHelper(instance, {"-DEBUG", "a.prp"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.lines, QStringList({"own listening=0 debug=1 submit=0 hw=0 startup=a.prp"}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(owner.isMinimized());
}

// A running copy that listens but whose main window does not take the
// hand-overs yet.
class EntryStartingCopy : public PendingFiles {
protected:
    void SetUp() override
    {
        PendingFiles::SetUp();
        ASSERT_TRUE(server.listen());
    }

    QString instance = uniqueInstance();
    TInstanceServer server{instance};
    TPendingFiles files{&owner, recorder()};
};

TEST_F(EntryStartingCopy, HandOversBeforeTheWindowTakesThemArriveOnceAndInOrder)
{
    for (const char *path : {"/tmp/a.prp", "/tmp/b.prp", "/tmp/c.prp"}) {
        SCOPED_TRACE(path);
        const HelperRun run = runHelper(instance, {path});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, QStringList({"handed-over"}));
    }
    EXPECT_TRUE(files.files().empty());

    files.takeHandOvers(server);
    EXPECT_EQ(pathsOf(files.files()), QStringList({"/tmp/a.prp", "/tmp/b.prp", "/tmp/c.prp"}));
    EXPECT_TRUE(server.waiting().isEmpty());

    // A later one goes straight to the list, behind them.
    const HelperRun later = runHelper(instance, {"-SUBMIT", "/tmp/d.prp"});
    EXPECT_EQ(later.exitCode, 0);
    const QStringList all{"/tmp/a.prp", "/tmp/b.prp", "/tmp/c.prp", "/tmp/d.prp"};
    // The list's timer may have opened the first ones meanwhile.
    EXPECT_EQ(openedPaths() + pathsOf(files.files()), all);
    while (!files.files().empty())
        files.LoadTimerTimer();
    EXPECT_EQ(openedPaths(), all);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_TRUE(calls[3].submit);
    EXPECT_FALSE(calls[2].submit);
}

// The real main window's construction shows a message box whose event loop
// already serves the socket; the second starts come while it is open.
TEST(EntryWhileTheWindowIsBuilt, HandOversDuringAStartUpBoxReachThePendingList)
{
    resetModes();
    TemporarySettings settings;
    QTemporaryDir desktop;
    ScopedEnvironment xdg{"XDG_DATA_HOME", desktop.path().toUtf8()};
    const QString instance = uniqueInstance();
    TInstanceServer server(instance);
    ASSERT_TRUE(server.listen());
    // No viewer library there: the window's construction shows a box.
    QTemporaryDir noLibrary;
    SetViewerLibraryDirectory(noLibrary.path());
    SecondStarts starts(instance, {{"/tmp/a.prp"}, {"-HWUPGRADE", "/tmp/b b.prp"}, {"/tmp/c.prp"}});
    ModalBoxSink sink;
    sink.whileOpen = [&] { starts.start(); };
    sink.closeWhen = [&] { return starts.done(); };

    TQtAppServices services;
    auto main = std::make_unique<TFMainForm>();
    SetViewerLibraryDirectory(QString());
    EXPECT_EQ(sink.modalBoxes, 1);
    ASSERT_TRUE(starts.done());
    for (const HelperRun &run : starts.results) {
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, QStringList({"handed-over"}));
    }
    ASSERT_NE(main->pendingFiles(), nullptr);
    EXPECT_TRUE(main->pendingFiles()->files().empty());
    EXPECT_EQ(server.waiting().size(), 3);

    // As the entry does once the window is built.
    main->pendingFiles()->takeHandOvers(server);
    const auto &files = main->pendingFiles()->files();
    EXPECT_EQ(std::vector<TPendingFile>(files.begin(), files.end()),
              std::vector<TPendingFile>(
                  {{"/tmp/a.prp"}, {"/tmp/b b.prp", true, true}, {"/tmp/c.prp"}}));
    EXPECT_TRUE(server.waiting().isEmpty());
    main.reset();
    resetModes();
}

struct WorkingFolderCase {
    const char *name;
    QStringList arguments;
    QString commandLine; // %1: the second start's working folder, %2: its parent
    TPendingFile queued;
};

void PrintTo(const WorkingFolderCase &c, std::ostream *os) { *os << c.name; }

class EntryWorkingFolder : public EntrySecondStart, public ::testing::WithParamInterface<WorkingFolderCase> {};

// The running copy's working folder is not the second start's.
TEST_P(EntryWorkingFolder, ARelativePathArrivesAbsolute)
{
    const WorkingFolderCase &c = GetParam();
    QTemporaryDir top;
    const QString folder = QFileInfo(top.path()).canonicalFilePath() + "/My Results";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_NE(QDir::currentPath(), folder);
    const HelperRun run = runHelper(instance, c.arguments, folder);
    EXPECT_EQ(run.exitCode, 0);
    const QString parent = QFileInfo(top.path()).canonicalFilePath();
    const auto fill = [&](QString text) { return text.replace("%1", folder).replace("%2", parent); };
    EXPECT_EQ(received, QStringList({fill(c.commandLine)}));
    TPendingFile expected = c.queued;
    expected.path = fill(expected.path);
    EXPECT_EQ(queued, std::vector<TPendingFile>({expected}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryWorkingFolder,
    ::testing::Values(
        WorkingFolderCase{"File", {"a.prp"}, "\"%1/a.prp\"", {"%1/a.prp"}},
        WorkingFolderCase{"FileWithBlanksAfterASwitch",
                          {"-SUBMIT", "sub/a b.prp"},
                          "-SUBMIT \"%1/sub/a b.prp\"",
                          {"%1/sub/a b.prp", true, false}},
        WorkingFolderCase{"ListFile", {"&list.txt"}, "\"&%1/list.txt\"", {"&%1/list.txt"}},
        WorkingFolderCase{"ParentFolder", {"../up.prp"}, "\"%2/up.prp\"", {"%2/up.prp"}},
        WorkingFolderCase{"AbsoluteStaysAsItIs", {"/tmp/x.prp", "-HWUPGRADE"}, "/tmp/x.prp -HWUPGRADE",
                          {"/tmp/x.prp", true, true}}),
    [](const ::testing::TestParamInfo<WorkingFolderCase> &info) { return std::string(info.param.name); });

struct FirstStartCase {
    const char *name;
    QStringList arguments;
    QString line;
};

void PrintTo(const FirstStartCase &c, std::ostream *os) { *os << c.name; }

class EntryFirstStart : public ::testing::TestWithParam<FirstStartCase> {};

// With no copy running, a start listens itself and keeps its file and flags.
TEST_P(EntryFirstStart, ListensAndKeepsItsFile)
{
    const FirstStartCase &c = GetParam();
    const HelperRun run = runHelper(uniqueInstance(), c.arguments);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.lines, QStringList({c.line}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryFirstStart,
    ::testing::Values(
        FirstStartCase{"Plain", {"/tmp/a.prp"}, "own listening=1 debug=0 submit=0 hw=0 startup=/tmp/a.prp"},
        FirstStartCase{"HwUpgrade", {"-HWUPGRADE", "a.prp"}, "own listening=1 debug=0 submit=1 hw=1 startup=a.prp"},
        FirstStartCase{"SubmitWithoutFileIgnored", {"-SUBMIT"}, "own listening=1 debug=0 submit=0 hw=0 startup="},
        FirstStartCase{"Debug", {"/debug"}, "own listening=1 debug=1 submit=0 hw=0 startup="}),
    [](const ::testing::TestParamInfo<FirstStartCase> &info) { return std::string(info.param.name); });

TEST(EntryRace, TwoSimultaneousStartsSettleOnOneCopy)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QString instance = uniqueInstance();
        QProcess *a = startHelper(instance, 1, {"a.prp"});
        QProcess *b = startHelper(instance, 1, {"b.prp"});
        const HelperRun ra = finish(a);
        const HelperRun rb = finish(b);
        const HelperRun &own = ra.exitCode == 3 ? ra : rb;
        const HelperRun &other = ra.exitCode == 3 ? rb : ra;
        const QString otherFile = ra.exitCode == 3 ? "b.prp" : "a.prp";
        EXPECT_EQ(own.exitCode, 3);
        EXPECT_EQ(other.exitCode, 0);
        EXPECT_EQ(other.lines, QStringList({"handed-over"}));
        ASSERT_EQ(own.lines.size(), 2);
        EXPECT_TRUE(own.lines[0].startsWith("own listening=1"));
        // Sent as an absolute path: the copies share this working folder.
        EXPECT_EQ(own.lines[1], "received " + JoinCommandLine({QDir::current().absoluteFilePath(otherFile)}));
    }
}

#ifndef Q_OS_WIN
// Where a start runs: its login session's runtime folder, its display and
// its temporary folder. %R1, %R2: two runtime folders of the user's own,
// %OPEN: one that others may write to; %T: a temporary folder.
struct Place {
    QString runtime; // empty: none
    QString platform;
    QString display; // DISPLAY, or WAYLAND_DISPLAY on wayland
};

struct ScopeCase {
    const char *name;
    Place first;
    Place second;
    bool handedOver;
    bool listening;       // the first copy
    QString socketFolder; // where the first copy's socket is
};

void PrintTo(const ScopeCase &c, std::ostream *os) { *os << c.name; }

class EntryScope : public ::testing::TestWithParam<ScopeCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime1.isValid() && runtime2.isValid() && open.isValid() && temporary.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(open.path()).constData(), 0777), 0);
    }
    QString fill(QString text) const
    {
        return text.replace("%R1", runtime1.path())
            .replace("%R2", runtime2.path())
            .replace("%OPEN", open.path())
            .replace("%T", temporary.path())
            .replace("%UID", QString::number(::getuid()));
    }
    QProcessEnvironment environmentOf(const Place &place_) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
        if (!place_.runtime.isEmpty())
            environment.insert("XDG_RUNTIME_DIR", fill(place_.runtime));
        environment.insert("TMPDIR", temporary.path());
        environment.insert("QT_QPA_PLATFORM", place_.platform);
        environment.insert(place_.platform == "wayland" ? "WAYLAND_DISPLAY" : "DISPLAY", place_.display);
        return environment;
    }
    static QStringList socketsIn(const QString &folder_)
    {
        QStringList names;
        for (const QFileInfo &entry : QDir(folder_).entryInfoList(QDir::System | QDir::Files))
            if (entry.fileName().startsWith("TFMainForm-") && !entry.fileName().endsWith(".lock"))
                names << entry.fileName();
        return names;
    }

    QTemporaryDir runtime1, runtime2, open, temporary;
};

// Two starts as two processes: the second hands its file to the first only
// in the same login session and on the same display.
TEST_P(EntryScope, ASecondStartHandsOverOnlyInItsOwnSessionAndDisplay)
{
    const ScopeCase &c = GetParam();
    const QString instance = uniqueInstance();
    QProcess *first = startHelper(instance, 1, {"/tmp/first.prp"}, QString(), environmentOf(c.first));
    ASSERT_TRUE(first->waitForReadyRead(10000));
    const QString own = QString::fromLocal8Bit(first->readLine()).trimmed();
    EXPECT_TRUE(own.startsWith(QString("own listening=%1").arg(c.listening))) << own.toStdString();
    EXPECT_EQ(socketsIn(fill(c.socketFolder)).size(), c.listening ? 1 : 0);
    EXPECT_TRUE(socketsIn(open.path()).isEmpty());

    const HelperRun second = finish(startHelper(instance, 0, {"/tmp/second.prp"}, QString(), environmentOf(c.second)));
    if (c.handedOver) {
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_EQ(second.lines, QStringList({"handed-over"}));
        const HelperRun rest = finish(first);
        EXPECT_EQ(rest.exitCode, 3);
        EXPECT_EQ(rest.lines, QStringList({"received /tmp/second.prp"}));
    } else {
        EXPECT_EQ(second.exitCode, 3);
        ASSERT_EQ(second.lines.size(), 1);
        EXPECT_TRUE(second.lines[0].startsWith(QString("own listening=%1").arg(c.listening)))
            << second.lines[0].toStdString();
        first->kill();
        finish(first);
    }
}

const Place x11Session1{"%R1", "xcb", ":5"};

INSTANTIATE_TEST_SUITE_P(
    Table, EntryScope,
    ::testing::Values(
        ScopeCase{"SameSessionAndDisplay", x11Session1, {"%R1", "xcb", ":5.0"}, true, true, "%R1"},
        ScopeCase{"OtherDisplay", x11Session1, {"%R1", "xcb", ":6"}, false, true, "%R1"},
        ScopeCase{"OtherSession", x11Session1, {"%R2", "xcb", ":5"}, false, true, "%R1"},
        ScopeCase{"OtherWaylandDisplay", {"%R1", "wayland", "wayland-0"}, {"%R1", "wayland", "wayland-1"}, false,
                  true, "%R1"},
        ScopeCase{"NoRuntimeFolder", {"", "xcb", ":5"}, {"", "xcb", ":5"}, true, true, "%T/scorvista2001se-%UID"},
        ScopeCase{"RuntimeFolderOthersMayWrite", {"%OPEN", "xcb", ":5"}, {"%OPEN", "xcb", ":5"}, true, true,
                  "%T/scorvista2001se-%UID"}),
    [](const ::testing::TestParamInfo<ScopeCase> &info) { return std::string(info.param.name); });

// The program's own folder in the temporary folder, when someone else made it
// or opened it to others, is not used: no socket, no hand-over, each start
// runs as a copy of its own.
TEST(EntryScopeFallback, AnUnsafeFolderOfItsOwnIsNotUsed)
{
    QTemporaryDir temporary, elsewhere;
    ScopedEnvironment tmp{"TMPDIR", temporary.path().toUtf8()};
    ScopedEnvironment noRuntime{"XDG_RUNTIME_DIR", QByteArray()};
    const QString own = QDir(temporary.path()).filePath(QString("scorvista2001se-%1").arg(::getuid()));
    struct Case {
        const char *name;
        std::function<bool()> make;
    };
    const Case cases[] = {
        {"OpenToOthers", [&] { return QDir().mkdir(own) && ::chmod(QFile::encodeName(own).constData(), 0777) == 0; }},
        {"ALink", [&] { return QFile::link(elsewhere.path(), own); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.make());
        EXPECT_EQ(InstanceFolder(), QString());
        EXPECT_EQ(InstanceServerName(uniqueInstance()), QString());
        TInstanceServer server(uniqueInstance());
        EXPECT_FALSE(server.listen());
        EXPECT_EQ(HandOverTo("a.prp", server.instanceName(), 1000), THandOver::NoCopy);
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
        QFile::remove(own);
        QDir().rmdir(own);
    }
}
#endif

} // namespace
