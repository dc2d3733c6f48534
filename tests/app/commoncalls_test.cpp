#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibrary>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <string>
#include <vector>

#include "MessageSink.h"
#include "privatedesktop.h"
#include "Shell.h"
#include "Ucommoncalls.h"
#include "recordingdesktop.h"
#include "spinuntil.h"
#include "uMessage.h"

namespace {

using Kind = MessageRequest::Kind;

std::string repeat(char c_, int n_)
{
    return std::string(static_cast<std::size_t>(n_), c_);
}

QStringList toQt(const std::vector<std::string> &lines_)
{
    QStringList out;
    for (const std::string &s : lines_)
        out << QString::fromStdString(s);
    return out;
}

struct ColorDepth {
    explicit ColorDepth(int bits_)
    {
        ResetColorDepthWarning();
        SetColorDepthSource([this] { return bits; });
        bits = bits_;
    }
    ~ColorDepth()
    {
        SetColorDepthSource(nullptr);
        ResetColorDepthWarning();
    }
    int bits = 32;
};

} // namespace

TEST(WrapLines, CutsAtBlanksByTheRules)
{
    const std::string nine70 = "aaaaaaaaa bbbbbbbbb ccccccccc ddddddddd eeeeeeeee fffffffff gggggggggg";
    struct Case {
        const char *name;
        std::vector<std::string> in;
        int width;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {"blank exactly at the width", {nine70}, 30,
         {"aaaaaaaaa bbbbbbbbb ccccccccc ", "ddddddddd eeeeeeeee fffffffff ", "gggggggggg"}},
        {"blank left of the width; inserted lines wrap in turn", {nine70}, 25,
         {"aaaaaaaaa bbbbbbbbb ", "ccccccccc ddddddddd ", "eeeeeeeee fffffffff ", "gggggggggg"}},
        {"no blank: stays whole", {repeat('x', 40)}, 30, {repeat('x', 40)}},
        {"only blank at 2, another after the width", {"a " + repeat('b', 35) + " ccc"}, 30,
         {"a " + repeat('b', 35) + " ", "ccc"}},
        {"only blank at 2", {"a " + repeat('b', 38)}, 30, {"a " + repeat('b', 38)}},
        {"blank at 1", {" " + repeat('b', 38) + " c"}, 30, {" " + repeat('b', 38) + " ", "c"}},
        {"blank at 3 is a cut", {"ab " + repeat('c', 37)}, 30, {"ab ", repeat('c', 37)}},
        {"only blank after the width is the last character", {repeat('x', 39) + " "}, 30,
         {repeat('x', 39) + " "}},
        {"a line that fits stays, even ending in a blank", {repeat('x', 29) + " ", "ab cd"}, 30,
         {repeat('x', 29) + " ", "ab cd"}},
        {"a line of the width with blanks stays", {"aaaa " + repeat('b', 25)}, 30, {"aaaa " + repeat('b', 25)}},
        {"one over the width", {repeat('a', 29) + " b"}, 30, {repeat('a', 29) + " ", "b"}},
        {"width below 5 does nothing", {"aa bb cc dd ee"}, 4, {"aa bb cc dd ee"}},
        {"width 5", {"aa bb cc dd"}, 5, {"aa ", "bb ", "cc dd"}},
        {"every line of the list", {"first line is long here", "", "second line is long too"}, 10,
         {"first ", "line is ", "long here", "", "second ", "line is ", "long too"}},
        {"empty list", {}, 30, {}},
    };
    for (const Case &c : cases) {
        std::vector<std::string> bytes = c.in;
        WrapLines(bytes, c.width);
        EXPECT_EQ(bytes, c.out) << c.name;
        QStringList text = toQt(c.in);
        WrapLines(text, c.width);
        EXPECT_EQ(text, toQt(c.out)) << c.name;
    }
}

TEST(WrapLines, PiecesFitAndJoinToTheOriginal)
{
    std::string line;
    for (int i = 0; line.size() < 70; ++i)
        line += std::string(static_cast<std::size_t>(1 + i % 7), static_cast<char>('a' + i % 26)) + " ";
    line.resize(70);
    std::vector<std::string> lines{line};
    WrapLines(lines, 30);
    ASSERT_GT(lines.size(), 2u);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 30u) << i;
        if (i + 1 < lines.size()) {
            EXPECT_EQ(lines[i].back(), ' ') << i;
        }
        joined += lines[i];
    }
    EXPECT_EQ(joined, line);
}

TEST(LetterSpaced, OneBlankBetweenCharacters)
{
    struct Case {
        QString in, out;
    };
    const Case cases[] = {
        {"abc", "a b c"},
        {"", ""},
        {"a", "a"},
        {"a b", "a   b"},
        {QString::fromUtf8("Z\u00E4hler"), QString::fromUtf8("Z \u00E4 h l e r")},
        {QString::fromUtf8("x\U0001F600y"), QString::fromUtf8("x \U0001F600 y")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LetterSpaced(c.in), c.out) << c.in.toStdString();
    EXPECT_EQ(LetterSpaced(std::string("abc")), "a b c");
    EXPECT_EQ(LetterSpaced(std::string("R\xAE")), "R \xAE");
    EXPECT_EQ(LetterSpaced(std::string()), "");
}

TEST(AppendResultNotice, LongAndShortForms)
{
    std::vector<std::string> full{"existing"};
    AppendResultNotice(full, false);
    ASSERT_EQ(full.size(), 4u);
    EXPECT_EQ(full[0], "existing");
    EXPECT_NE(full[1].find("testing environment"), std::string::npos);
    EXPECT_EQ(full[2], "");
    EXPECT_NE(full[3].find("Polyra2001"), std::string::npos);
    EXPECT_NE(full[3].find("CorvalinSoft Corporation"), std::string::npos);

    std::vector<std::string> brief;
    AppendResultNotice(brief, true);
    EXPECT_EQ(brief, std::vector<std::string>{full[3]});

    QStringList text;
    AppendResultNotice(text, false);
    EXPECT_EQ(text, toQt({full[1], full[2], full[3]}));
}

TEST(AppMessage, FormatsIntoTheProgramsBox)
{
    RecordingMessageSink sink;
    struct Case {
        std::string text;
        QString shown;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"Intel\xAE Pentium\x99", QString::fromUtf8("Intel\u00AE Pentium\u2122")},
        {repeat('x', 255), QString(255, QChar('x'))},
        {repeat('y', 300), QString(255, QChar('y'))},
    };
    for (const Case &c : cases) {
        sink.requests.clear();
        EXPECT_EQ(AppMessage("%s", c.text.c_str()), MessageAnswer::Ok);
        ASSERT_EQ(sink.requests.size(), 1u);
        EXPECT_EQ(sink.requests[0].kind, Kind::AppMessage);
        EXPECT_EQ(sink.requests[0].caption, "Scorvista2001 SE");
        EXPECT_EQ(sink.requests[0].icon, MessageIcon::Warning);
        EXPECT_EQ(sink.requests[0].text, c.shown);
    }
    sink.requests.clear();
    AppMessage("%d of %s", 3, "4");
    AppMessage(QString(300, QChar(0x4E2D)));
    EXPECT_EQ(sink.texts(Kind::AppMessage), QStringList({"3 of 4", QString(255, QChar(0x4E2D))}));
}

TEST(MessageSink, QuestionsAnswerFromTheQueueThenCancel)
{
    RecordingMessageSink sink;
    sink.answers = {MessageAnswer::Yes, MessageAnswer::All};
    EXPECT_EQ(askYesNoCancel("q1"), MessageAnswer::Yes);
    EXPECT_EQ(askYesNoCancelAll("q2"), MessageAnswer::All);
    EXPECT_EQ(askYesNoCancel("q3"), MessageAnswer::Cancel);
    ShowMessage("note");
    ASSERT_EQ(sink.requests.size(), 4u);
    EXPECT_EQ(sink.requests[1].kind, Kind::YesNoCancelAll);
    EXPECT_EQ(sink.requests[1].caption, "Warning");
    EXPECT_EQ(sink.requests[0].caption, "Scorvista2001 SE");
    EXPECT_EQ(sink.requests[3].kind, Kind::ShowMessage);
    EXPECT_EQ(sink.requests[3].caption, "Scorvista2001 SE");
    EXPECT_EQ(sink.requests[3].icon, MessageIcon::None);
}

TEST(WarnColorDepth, WarnsOnceBelow24Bits)
{
    struct Case {
        std::vector<int> depths; // one WarnColorDepth call per entry
        QStringList warnings;
    };
    const QString w16 = "Current display color depth is only 16-bits. Image colors can be inaccurate.";
    const QString w8 = "Current display color depth is only 8-bits. Image colors can be inaccurate.";
    const Case cases[] = {
        {{16, 16}, {w16}},
        {{24, 32}, {}},
        {{8, 16}, {w8}},
        {{24, 16, 16}, {w16}}, // not warned yet, so a later low depth still warns
    };
    for (const Case &c : cases) {
        RecordingMessageSink sink;
        ColorDepth depth(32);
        for (int bits : c.depths) {
            depth.bits = bits;
            WarnColorDepth();
        }
        EXPECT_EQ(sink.texts(Kind::AppMessage), c.warnings) << c.depths.front();
    }
}

TEST(OpenPictureInShell, OpensOnlyExistingImageFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto touch = [&](const QString &name_) {
        QFile f(dir.filePath(name_));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    };
    const QString picture = touch("shot.PNG");
    const QString bitmap = touch("shot.bmp");
    const QString script = touch("shot.desktop");
    const QString noSuffix = touch("shot");
    const QString percent = dir.filePath("100%2 missing.png");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.png"));
    const QString folder = dir.filePath("folder.png");

    const QString notFound = "The system cannot find the file specified.";
    const QString denied = "Access is denied.";
    const QString noApplication = "No application is registered as handling this file";
    // The box says why in words, the desktop's own where it gave some.
    struct Case {
        QString name;
        bool desktopSucceeds;
        bool opened;
        QString message;
    };
    const Case cases[] = {
        {picture, true, true, ""},
        {bitmap, true, true, ""},
        {picture, false, true, "Error Opening File " + picture + ". (" + noApplication + ")"},
        {dir.filePath("gone.png"), true, false, "Error Opening File " + dir.filePath("gone.png") + ". (" + notFound + ")"},
        {"https://example.com/x.png", true, false, "Error Opening File https://example.com/x.png. (" + notFound + ")"},
        {percent, true, false, "Error Opening File " + percent + ". (" + notFound + ")"},
        {script, true, false, "Error Opening File " + script + ". (" + denied + ")"},
        {noSuffix, true, false, "Error Opening File " + noSuffix + ". (" + denied + ")"},
        {folder, true, false, "Error Opening File " + folder + ". (" + denied + ")"},
    };
    for (const Case &c : cases) {
        RecordingMessageSink sink;
        RecordingDesktop desktop;
        ColorDepth depth(32);
        desktop.result = c.desktopSucceeds;
        desktop.reason = noApplication;
        OpenPictureInShell(c.name);
        ASSERT_EQ(desktop.opened.size(), c.opened ? 1u : 0u) << c.name.toStdString();
        if (c.opened) {
            EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(c.name));
        }
        EXPECT_EQ(sink.texts(Kind::ShowMessage), c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.name.toStdString();
    }
}

TEST(OpenPictureInShell, WarnsAboutColorDepthUnlessThereIsNoPicture)
{
    RecordingMessageSink sink;
    RecordingDesktop desktop;
    ColorDepth depth(16);
    OpenPictureInShell(QString());
    EXPECT_TRUE(sink.requests.empty());
    OpenPictureInShell("/nonexistent/a.png");
    OpenPictureInShell("/nonexistent/b.png");
    EXPECT_EQ(sink.texts(Kind::AppMessage).size(), 1);
    EXPECT_EQ(sink.texts(Kind::ShowMessage).size(), 2);
}

// A refusal names the address and why: the desktop's own words where it
// gave some.
TEST(OpenUrl, WebAddressesOnly)
{
    const QString refused = QStringLiteral("(Only web and mail addresses are opened.)");
    struct Case {
        QString address;
        bool desktopSucceeds;
        QString desktopReason;
        bool opened;
        QString message; // empty: none
    };
    const Case cases[] = {
        {"https://www.example.com/", true, "", true, ""},
        {"http://www.example.com/scores", true, "", true, ""},
        {"mailto:support@example.com", true, "", true, ""},
        {"https://www.example.com/", false, "No browser is installed", true,
         "Unable to open given URL. https://www.example.com/ (No browser is installed)"},
        // A reason holding a place marker stays as it was said.
        {"http://www.example.com/scores", false, "Not found: %1", true,
         "Unable to open given URL. http://www.example.com/scores (Not found: %1)"},
        {"https://www.example.com/", false, "", true,
         "Unable to open given URL. https://www.example.com/ (" + shellErrorText(ShellErrorNoAssociation) + ")"},
        {"file:///etc/passwd", true, "", false, "Unable to open given URL. file:///etc/passwd " + refused},
        {"/usr/bin/xterm", true, "", false, "Unable to open given URL. /usr/bin/xterm " + refused},
        {"javascript:alert(1)", true, "", false, "Unable to open given URL. javascript:alert(1) " + refused},
        {"", true, "", false, "Unable to open given URL. " + refused},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        RecordingMessageSink sink;
        RecordingDesktop desktop;
        desktop.result = c.desktopSucceeds;
        desktop.reason = c.desktopReason;
        OpenUrl(c.address);
        EXPECT_EQ(desktop.opened.size(), c.opened ? 1u : 0u);
        EXPECT_EQ(sink.texts(Kind::ShowMessage), c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

// Go to CorvalinSoft in a main window of its own process, whose desktop is
// a private one: with no browser the box names the address and gives the
// desktop's reason; with one, the desktop starts it on the address.
TEST(OpenUrlThroughTheDesktop, GoToCorvalinSoftUsesTheBrowserOrSaysWhyNot)
{
    const QString address = QStringLiteral("https://www.corvalinsoft.example/");
    for (const bool withBrowser : {false, true}) {
        SCOPED_TRACE(withBrowser ? "a browser" : "no browser");
        PrivateDesktop desktop;
        ASSERT_TRUE(desktop.setUp(withBrowser ? QStringList{"x-scheme-handler/http", "x-scheme-handler/https"}
                                              : QStringList(),
                                  "%u"));
        const QString &opened = desktop.opened;
        const PrivateDesktop::Run run = desktop.runHelpHelper({SCORVISTA_PROGRAM_FOLDER, "goto"});
        const QStringList &lines = run.lines;
        SCOPED_TRACE(run.errors.toStdString());
        ASSERT_EQ(lines.value(lines.size() - 1), "done") << lines.join('|').toStdString();
        const QStringList refused = lines.filter("message Unable to open given URL.");
        if (withBrowser) {
            EXPECT_TRUE(refused.isEmpty()) << refused.join('|').toStdString();
            ASSERT_TRUE(spinUntil([&] { return QFile::exists(opened); }, 10000));
            QFile file(opened);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(QString::fromUtf8(file.readAll()), address);
        } else {
            ASSERT_EQ(refused.size(), 1) << lines.join('|').toStdString();
            const QString start = "message Unable to open given URL. " + address + " (";
            ASSERT_TRUE(refused[0].startsWith(start)) << refused[0].toStdString();
            const QString reason = refused[0].mid(start.size());
            EXPECT_TRUE(reason.endsWith(')')) << reason.toStdString();
            EXPECT_GT(reason.size(), 1) << "no reason";
            bool number = false;
            reason.chopped(1).toInt(&number);
            EXPECT_FALSE(number);
            EXPECT_FALSE(QFile::exists(opened));
        }
    }
}

TEST(CheckPrinters, RefusesWithoutPrintersOrDefault)
{
    const QString none = "No Printers Detected - Printing capabilities not available.";
    const QString noDefault = "You have not selected a Default Printer - Printing capabilities not available.";
    struct Case {
        PrinterState state;
        bool result;
        QStringList messages;
    };
    const Case cases[] = {
        {{false, {}, {}}, false, {}},
        {{true, {}, {}}, false, {none}},
        {{true, {}, "Ghost"}, false, {none}},
        {{true, {"Laser", "Ink"}, ""}, false, {noDefault}},
        {{true, {"Laser", "Ink"}, "Removed"}, false, {noDefault}},
        {{true, {"Laser", "Ink"}, "Ink"}, true, {}},
    };
    for (const Case &c : cases) {
        RecordingMessageSink sink;
        SetPrinterStateSource([&] { return c.state; });
        EXPECT_EQ(CheckPrinters(), c.result) << c.state.defaultPrinter.toStdString();
        EXPECT_EQ(sink.texts(Kind::AppMessage), c.messages);
        SetPrinterStateSource(nullptr);
    }
}

TEST(RunReport, ModeChoosesPrintOrPreview)
{
    struct Report : CReport {
        void Print() override { log += "print;"; }
        void Preview() override { log += "preview;"; }
        std::string log;
    };
    const std::pair<int, std::string> cases[] = {{0, "print;"}, {1, "preview;"}, {2, ""}, {-1, ""}};
    for (const auto &[mode, log] : cases) {
        Report r;
        RunReport(&r, mode);
        EXPECT_EQ(r.log, log) << mode;
    }
    RunReport(nullptr, 0);
}

TEST(WorkMessage, NestedPairsShareOneHiddenForm)
{
    EXPECT_EQ(WorkMessageForm(), nullptr);
    EndWorkMessage(); // without a form: nothing
    BeginWorkMessage();
    TFMessage *form = WorkMessageForm();
    ASSERT_NE(form, nullptr);
    BeginWorkMessage();
    EXPECT_EQ(WorkMessageForm(), form);
    EXPECT_EQ(form->nestingCount(), 2);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Scorvista2001 SE");
    EXPECT_TRUE(form->FViesti->text().isEmpty());
    EXPECT_EQ(form->Button1->text(), "&Cancel");
    form->Button1->click();
    EXPECT_TRUE(form->cancelled());
    EndWorkMessage();
    EXPECT_EQ(WorkMessageForm(), form);
    EndWorkMessage();
    EXPECT_EQ(WorkMessageForm(), nullptr);
    BeginWorkMessage();
    EXPECT_EQ(WorkMessageForm()->nestingCount(), 1);
    EXPECT_FALSE(WorkMessageForm()->cancelled());
    EndWorkMessage();
    EXPECT_EQ(WorkMessageForm(), nullptr);
}

// The viewer binding against stand-in libraries built next to the tests.
class ViewerBinding : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef SCORVISTA_STANDINS
        FAIL() << "the stand-in viewer libraries are not built: tests/CMakeLists.txt needs "
                  "add_subdirectory(app/standins)";
#endif
        FreeSystemInfoLibrary();
    }
    void TearDown() override
    {
        FreeSystemInfoLibrary();
        SetViewerLibraryDirectory(QString());
    }
    static QString folder(const char *behaviour_)
    {
#ifdef SCORVISTA_STANDINS
        return QString(SCORVISTA_STANDINS) + "/" + behaviour_;
#else
        return QString(behaviour_);
#endif
    }
    // What the loaded stand-in recorded; read while the binding holds it.
    struct Calls {
        int count = -1;
        const void *data = nullptr;
        unsigned size = 0;
    };
    static Calls recorded(const char *behaviour_, const char *name_)
    {
        QLibrary lib(folder(behaviour_) + "/" + name_);
        Calls calls;
        if (!lib.load())
            return calls;
        using Count = int (*)();
        using Data = const void *(*)();
        using Size = unsigned (*)();
        calls.count = reinterpret_cast<Count>(lib.resolve("StandIn_CallCount"))();
        calls.data = reinterpret_cast<Data>(lib.resolve("StandIn_LastData"))();
        calls.size = reinterpret_cast<Size>(lib.resolve("StandIn_LastSize"))();
        lib.unload();
        return calls;
    }
};

TEST_F(ViewerBinding, CallsTheLibraryWithTheCallersBlock)
{
    RecordingMessageSink sink;
    SetViewerLibraryDirectory(folder("record"));
    const unsigned char block[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(LoadSystemInfoLibrary());
    ShowSystemInfoDialog(block, sizeof block);
    ShowOldSystemInfoDialog(block + 1, 3); // loaded on first need
    EXPECT_TRUE(OldSystemInfoLibraryLoaded());

    const Calls current = recorded("record", "RigscanGUIMFC");
    EXPECT_EQ(current.count, 1);
    EXPECT_EQ(current.data, block);
    EXPECT_EQ(current.size, 5u);
    const Calls old = recorded("record", "RigscanGUIMFCO");
    EXPECT_EQ(old.count, 1);
    EXPECT_EQ(old.data, block + 1);
    EXPECT_EQ(old.size, 3u);
    EXPECT_TRUE(sink.requests.empty());

    FreeSystemInfoLibrary();
    EXPECT_FALSE(SystemInfoLibraryLoaded());
    EXPECT_FALSE(OldSystemInfoLibraryLoaded());
}

TEST_F(ViewerBinding, MessagesOfEveryFailure)
{
    struct Case {
        const char *behaviour;
        bool old;
        QString message;
    };
    const Case cases[] = {
        {"nofunction", false, "Function not found in Systeminfo - library."},
        {"nofunction", true, "Function not found in Old Systeminfo - library."},
        {"throwkvs", false, "viewer::showDialog\n\nStream underflow"},
        {"throwkvs", true, "viewer::showDialog\n\nStream underflow"},
        {"throwother", false, "Fatal error on .dll call"},
        {"throwother", true, "Fatal error on .dll call"},
    };
    const char block[] = "data";
    for (const Case &c : cases) {
        RecordingMessageSink sink;
        SetViewerLibraryDirectory(folder(c.behaviour));
        if (c.old)
            ShowOldSystemInfoDialog(block, 4);
        else
            ShowSystemInfoDialog(block, 4);
        EXPECT_EQ(sink.texts(Kind::ShowMessage), QStringList{c.message}) << c.behaviour << c.old;
        EXPECT_TRUE(sink.texts(Kind::AppMessage).isEmpty());
        FreeSystemInfoLibrary();
    }
}

TEST_F(ViewerBinding, MissingFunctionReleasesTheRightLibraries)
{
    RecordingMessageSink sink;
    // The current library without its function releases the old one too.
    SetViewerLibraryDirectory(folder("record"));
    ASSERT_TRUE(LoadOldSystemInfoLibrary());
    SetViewerLibraryDirectory(folder("nofunction"));
    EXPECT_FALSE(LoadSystemInfoLibrary());
    EXPECT_FALSE(SystemInfoLibraryLoaded());
    EXPECT_FALSE(OldSystemInfoLibraryLoaded());

    // The old one without its function leaves the current one alone.
    SetViewerLibraryDirectory(folder("record"));
    ASSERT_TRUE(LoadSystemInfoLibrary());
    SetViewerLibraryDirectory(folder("nofunction"));
    EXPECT_FALSE(LoadOldSystemInfoLibrary());
    EXPECT_TRUE(SystemInfoLibraryLoaded());
    EXPECT_FALSE(OldSystemInfoLibraryLoaded());
}

TEST_F(ViewerBinding, MissingFileShowsTheLoadersTextOnEveryRequest)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    SetViewerLibraryDirectory(empty.path());
    const struct {
        bool old;
        const char *name;
    } cases[] = {{false, "RigscanGUIMFC"}, {true, "RigscanGUIMFCO"}};
    for (const auto &c : cases) {
        RecordingMessageSink sink;
        for (int i = 0; i < 2; ++i) {
            if (c.old)
                ShowOldSystemInfoDialog("x", 1);
            else
                ShowSystemInfoDialog("x", 1);
        }
        const QStringList shown = sink.texts(Kind::ShowMessage);
        ASSERT_EQ(shown.size(), 2) << c.name;
        EXPECT_EQ(shown[0], shown[1]);
        EXPECT_TRUE(shown[0].contains(QString(c.name))) << shown[0].toStdString();
        EXPECT_LE(shown[0].size(), 254);
    }
    EXPECT_FALSE(SystemInfoLibraryLoaded());
    EXPECT_FALSE(OldSystemInfoLibraryLoaded());
}
