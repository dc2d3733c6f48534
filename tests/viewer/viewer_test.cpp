#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>

#include "components.h"
#include "samplemachine.h"

using namespace KV_Rigscan;

namespace {

using ShowDialog = void (*)(const void *, unsigned);

ShowDialog viewerExport()
{
    static void *library = dlopen(VIEWER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    return reinterpret_cast<ShowDialog>(dlsym(library, "RigscanGUI_ShowDialog"));
}

// Every modal window that came up during one call, in order: the inspector
// sees each, then it is closed. A window left open past the watchdog fails
// the test instead of hanging it.
struct ModalRun {
    std::vector<QString> kinds; // "dialog" or "box"
    QString boxText;
    bool timedOut = false;
};

ModalRun showBlock(const std::vector<unsigned char> &block_, const std::function<void(QDialog &)> &inspect_ = {},
                   const void *data_ = nullptr, bool useData_ = false)
{
    ModalRun run;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (clock.elapsed() > 10000) {
            run.timedOut = true;
            if (modal)
                modal->close();
            return;
        }
        if (!modal || !modal->isVisible())
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            run.kinds.push_back("box");
            run.boxText = box->text();
            box->accept();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            run.kinds.push_back("dialog");
            if (inspect_)
                inspect_(*dialog);
            dialog->reject();
        }
    });
    poll.start();
    ShowDialog show = viewerExport();
    if (show)
        show(useData_ ? data_ : block_.data(), static_cast<unsigned>(block_.size()));
    poll.stop();
    return run;
}

// The tree as paths ("System Info/CPU Info/...") with the text each shows.
struct Shown {
    std::vector<QString> paths;
    std::map<QString, QString> texts;
    QString title;
};

void walk(QTreeWidget &tree_, QPlainTextEdit &text_, QTreeWidgetItem *item_, const QString &prefix_, Shown &out_)
{
    const QString path = prefix_.isEmpty() ? item_->text(0) : prefix_ + "/" + item_->text(0);
    out_.paths.push_back(path);
    tree_.setCurrentItem(item_);
    out_.texts[path] = text_.toPlainText();
    for (int i = 0; i < item_->childCount(); ++i)
        walk(tree_, text_, item_->child(i), path, out_);
}

Shown read(QDialog &dialog_)
{
    Shown shown;
    shown.title = dialog_.windowTitle();
    auto *tree = dialog_.findChild<QTreeWidget *>("tree");
    auto *text = dialog_.findChild<QPlainTextEdit *>("text");
    if (!tree || !text)
        return shown;
    // The root is shown first, before anything is clicked.
    shown.texts["(initial)"] = text->toPlainText();
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(*tree, *text, tree->topLevelItem(i), QString(), shown);
    return shown;
}

Shown showTree(const SystemInfoTree &tree_)
{
    Shown shown;
    const ModalRun run = showBlock(sample::blockOf(tree_), [&](QDialog &d) { shown = read(d); });
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.kinds, std::vector<QString>{"dialog"});
    return shown;
}

QString q(const Datatype &v_)
{
    return QString::fromLatin1(v_.toString().c_str());
}

QStringList lines(const QString &text_)
{
    QStringList l = text_.split('\n');
    if (!l.isEmpty() && l.back().isEmpty())
        l.pop_back();
    return l;
}

bool has(const Shown &s_, const QString &path_)
{
    return std::find(s_.paths.begin(), s_.paths.end(), path_) != s_.paths.end();
}

} // namespace

TEST(ViewerLibrary, ExportsOnlyTheDialogFunction)
{
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", VIEWER_LIBRARY});
    ASSERT_TRUE(nm.waitForFinished(30000));
    QStringList symbols;
    for (const QString &line : QString::fromLatin1(nm.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        symbols << line.section(' ', -1);
    EXPECT_EQ(symbols, QStringList{"RigscanGUI_ShowDialog"});
}

TEST(ViewerDialog, SampleMachineShowsItsTreeAndSummary)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    QApplication *before = qApp;
    const Shown s = showTree(tree);
    // The host's application object is used, not replaced.
    EXPECT_EQ(qApp, before);
    EXPECT_EQ(s.title, "CorvalinSoft System Info");
    const QString cpu = "System Info/CPU Info/GenuineIntel Intel\u00AE Pentium\u00AE III processor";
    EXPECT_EQ(lines(s.texts.at("(initial)")),
              (QStringList{"System Info Version:\t2.1",
                           "Operating System:\t\tMicrosoft Windows XP Professional",
                           "Processor:\t\tGenuineIntel Intel\u00AE Pentium\u00AE III processor @ 1000 MHz",
                           "Graphics Card:\t\tGeForce3", "Total Physical Memory:\t512 MB",
                           "Free Physical Memory:\t301 MB", "Motherboard Manufacturer:\tASUSTeK Computer Inc.",
                           "Motherboard Model:\t\tCUV4X"}));
    // Records hang under the owners of their lists; the DirectDraw and
    // DirectShow nodes are left out and their versions show on DirectX.
    for (const QString &path : {cpu, cpu + "/L1 Cache", QString("System Info/Display Devices/GeForce3"),
                                QString("System Info/DirectX Info/Registered DirectShow Filters"),
                                QString("System Info/Hard Disk Info/\\\\.\\PHYSICALDRIVE0"),
                                QString("System Info/Memory Info/Memory Array/256 MB DIMM")})
        EXPECT_TRUE(has(s, path)) << qPrintable(path);
    for (const char *name : {"DirectDraw Info", "DirectShow Info", "Processors", "Monitors", "Batteries",
                             "Caches", "Memory Slots", "Memory Arrays", "Hard Disks"})
        for (const QString &path : s.paths)
            EXPECT_FALSE(path.endsWith(QString("/") + name)) << qPrintable(path);
    const QStringList directX = lines(s.texts.at("System Info/DirectX Info"));
    EXPECT_EQ(directX.size(), 3);
    EXPECT_TRUE(directX.contains("DirectShow Version:\t6.3"));
    // Values without a name show their text alone.
    EXPECT_EQ(lines(s.texts.at("System Info/DirectX Info/Registered DirectShow Filters")),
              (QStringList{"DV Splitter", "MPEG-2 Demultiplexer"}));
}

TEST(ViewerDialog, NameSeparatorsFollowTheNameLength)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    const Shown s = showTree(tree);
    struct Case {
        QString path, line;
    } cases[] = {
        {"System Info/Hard Disk Info/\\\\.\\PHYSICALDRIVE0", "Capacity:\t\t\t38.35 GB"},        // 8
        {"System Info/Power Supply Info/Battery", "Chemistry:\t\t" + q(tree.battery.batteries.front().chemistry)}, // 9
        {"System Info/Operating System Info", "Operating System:\t\tMicrosoft Windows XP Professional"}, // 16
        {"System Info/Motherboard Info", "BIOS Release Date:\t03/13/2001"},                       // 17
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(s.texts.count(c.path)) << qPrintable(c.path);
        EXPECT_TRUE(lines(s.texts.at(c.path)).contains(c.line)) << qPrintable(c.path + ": " + s.texts.at(c.path));
    }
}

TEST(ViewerDialog, ProcessorSummaryCountsOnlyClockedProcessors)
{
    struct Case {
        const char *what;
        std::vector<unsigned> clocks;
        QString line;
    } cases[] = {
        {"one", {1000}, "Processor:\t\tGenuineIntel Intel\u00AE Pentium\u00AE III processor @ 1000 MHz"},
        {"two", {1000, 900}, "Processors:\t\t2 x GenuineIntel Intel\u00AE Pentium\u00AE III processor @ 900 MHz"},
        {"second at 0", {1000, 0}, "Processor:\t\tGenuineIntel Intel\u00AE Pentium\u00AE III processor @ 1000 MHz"},
    };
    for (const Case &c : cases) {
        SystemInfoTree tree;
        sample::fillMachine(tree);
        CpuSlot slot = tree.cpu.slots.front();
        tree.cpu.slots.clear();
        for (unsigned mhz : c.clocks) {
            slot.internalClock.set64(std::uint64_t(mhz) << 20);
            tree.cpu.slots.append(slot);
        }
        const Shown s = showTree(tree);
        EXPECT_EQ(lines(s.texts.at("System Info")).value(2), c.line) << c.what;
    }
}

TEST(ViewerDialog, TwoGraphicsCardsShareTheSummaryLine)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    DisplayDevice second = tree.directDraw.displayDevices.front();
    second.name.set("Radeon 8500");
    tree.directDraw.displayDevices.append(second);
    const Shown s = showTree(tree);
    EXPECT_EQ(lines(s.texts.at("System Info")).mid(3, 2), (QStringList{"Graphics Cards:\t\tGeForce3", "\t\t\tRadeon 8500"}));
    EXPECT_TRUE(has(s, "System Info/Display Devices/Radeon 8500"));
}

TEST(ViewerDialog, PowerSupplyWithoutBatteriesSaysSo)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    tree.battery.batteries.clear();
    const Shown s = showTree(tree);
    EXPECT_EQ(s.texts.at("System Info/Power Supply Info"), "<no batteries present>\n");
}

TEST(ViewerDialog, UnknownMonitorWidthShowsUnknown)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    Monitor &monitor = *tree.monitor.monitors.begin();
    monitor.maxWidth.set(0);
    const Shown s = showTree(tree);
    const QStringList shown = lines(s.texts.at("System Info/Monitor Info/Plug and Play Monitor"));
    EXPECT_TRUE(shown.contains("Max Width:\t\tunknown")) << qPrintable(shown.join('|'));
    EXPECT_TRUE(shown.contains("Max Height:\t\t1200 ")) << qPrintable(shown.join('|'));
}

TEST(ViewerDialog, CapabilitiesAreSortedIntoTheirOwnNode)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    const std::string caps = tree.directDraw.displayDevices.front().caps.toString();
    const Shown s = showTree(tree);
    QStringList expected = QString::fromLatin1(caps.c_str()).split(", ");
    expected.sort();
    ASSERT_GE(expected.size(), 3);
    EXPECT_NE(QString::fromLatin1(caps.c_str()).split(", "), expected) << "the sample's order should differ";
    EXPECT_EQ(lines(s.texts.at("System Info/Display Devices/GeForce3/3D Capabilities")), expected);
    EXPECT_FALSE(s.texts.at("System Info/Display Devices/GeForce3").contains("Capabilit"));
}

TEST(ViewerDialog, UnreadableBlocksShowTheErrorBoxAndNoDialog)
{
    const std::vector<unsigned char> block = sample::machineBlock();
    struct Case {
        const char *what;
        std::vector<unsigned char> bytes;
        bool nullData;
        QString start;
    } cases[] = {
        {"truncated", std::vector<unsigned char>(block.begin(), block.begin() + block.size() / 2), false, ""},
        {"empty", {}, false, ""},
        {"null with a size", std::vector<unsigned char>(16), true, ""},
    };
    for (const Case &c : cases) {
        const ModalRun run = showBlock(c.bytes, {}, nullptr, c.nullData);
        EXPECT_FALSE(run.timedOut) << c.what;
        EXPECT_EQ(run.kinds, std::vector<QString>{"box"}) << c.what;
        // message, a blank line, context::function
        EXPECT_TRUE(run.boxText.contains("\n\n") && run.boxText.contains("::")) << c.what << qPrintable(run.boxText);
    }
}

namespace {

void mouse(QWidget &w_, QEvent::Type type_, int x_, int y_, Qt::MouseButtons held_)
{
    const QPointF local(x_, y_);
    QMouseEvent event(type_, local, w_.mapToGlobal(local), type_ == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held_, Qt::NoModifier);
    QApplication::sendEvent(&w_, &event);
}

// Drags the splitter from its middle to x_ and reports where it stopped.
int dragTo(QDialog &d_, int x_)
{
    auto *tree = d_.findChild<QTreeWidget *>("tree");
    const int from = tree->geometry().right() + 3;
    mouse(d_, QEvent::MouseButtonPress, from, 200, Qt::LeftButton);
    mouse(d_, QEvent::MouseMove, x_, 200, Qt::LeftButton);
    mouse(d_, QEvent::MouseButtonRelease, x_, 200, Qt::NoButton);
    return d_.findChild<QPlainTextEdit *>("text")->geometry().left() - 2;
}

} // namespace

TEST(ViewerSplitter, DragsWithinItsClampsAndTheDialogKeepsItsMinimum)
{
    SystemInfoTree tree;
    sample::fillMachine(tree);
    struct Seen {
        QSize start, minimum, minimumAfterRight, shrunk;
        QRect tree, text, close;
        int farLeft = 0, farRight = 0, middle = 0, width = 0;
        QRect treeResized, textResized, closeResized;
        QSize minimumWide;
    } seen;
    const ModalRun run = showBlock(sample::blockOf(tree), [&](QDialog &d) {
        auto *t = d.findChild<QTreeWidget *>("tree");
        auto *e = d.findChild<QPlainTextEdit *>("text");
        auto *c = d.findChild<QPushButton *>("close");
        seen.start = d.size();
        seen.minimum = d.minimumSize();
        seen.tree = t->geometry();
        seen.text = e->geometry();
        seen.close = c->geometry();
        seen.width = d.width();
        seen.farLeft = dragTo(d, 0);
        seen.farRight = dragTo(d, 5000);
        seen.minimumAfterRight = d.minimumSize();
        seen.middle = dragTo(d, 300);
        d.resize(100, 100);
        seen.shrunk = d.size();
        d.resize(800, 600);
        seen.treeResized = t->geometry();
        seen.textResized = e->geometry();
        seen.closeResized = c->geometry();
        dragTo(d, 700);
        seen.minimumWide = d.minimumSize();
    });
    ASSERT_EQ(run.kinds, std::vector<QString>{"dialog"});
    EXPECT_EQ(seen.start, QSize(597, 410));
    EXPECT_EQ(seen.minimum, QSize(597, 410));
    EXPECT_EQ(seen.farLeft, 30);
    EXPECT_EQ(seen.farRight, seen.width - 30);
    // The right pane keeps its minimum beside the splitter, without the
    // dialog growing by itself.
    EXPECT_EQ(seen.minimumAfterRight.width(), seen.width);
    EXPECT_EQ(seen.minimumWide, QSize(20 + 702 + 10, 410));
    EXPECT_EQ(seen.middle, 300);
    EXPECT_EQ(seen.shrunk, QSize(597, 410));
    // After a resize the panes end 40 pixels above the bottom, the right one
    // 10 from the right edge; Close keeps its corner distance (95, 35).
    EXPECT_EQ(seen.treeResized, QRect(10, 10, 300 - 10 - 2, 550));
    EXPECT_EQ(seen.textResized, QRect(302, 10, 800 - 10 - 302, 550));
    EXPECT_EQ(seen.closeResized.topLeft(), QPoint(800 - 95, 600 - 35));
}
