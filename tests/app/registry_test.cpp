#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

#include "Advform.h"
#include "RegistryStore.h"
#include "TemporarySettings.h"
#include "defaultfolder.h"
#include "placement.h"
#include "settingskeys.h"

namespace {

QString programFile(const TemporarySettings &root_)
{
    return root_.path() + QStringLiteral("/CorvalinSoft/Scorvista2001 SE.ini");
}

} // namespace

// ---- the store ----

TEST(RegistryStore, ProgramKeyAndSettingsKeyShareOneFileWithTheirSections)
{
    TemporarySettings root;
    RegistryStore program(programKey());
    RegistryStore settings(settingsKey());
    ASSERT_TRUE(program.writeString("Windows", "MainWindow", "227,135,575,524,1,145"));
    ASSERT_TRUE(program.writeInteger("Recent File List", "MaxSize", 6));
    ASSERT_TRUE(settings.writeString(QString(), "DefaultPath", "/home/user/results"));

    QSettings file(programFile(root), QSettings::IniFormat);
    EXPECT_EQ(file.value("Windows/MainWindow").toString(), "227,135,575,524,1,145");
    EXPECT_EQ(file.value("Recent File List/MaxSize").toInt(), 6);
    EXPECT_EQ(file.value("Settings/DefaultPath").toString(), "/home/user/results");
}

TEST(RegistryStore, ReadingCreatesNothing)
{
    TemporarySettings root;
    const RegistryStore store(programKey());
    EXPECT_FALSE(store.keyExists());
    EXPECT_FALSE(store.keyExists("Windows"));
    EXPECT_EQ(store.readString("Windows", "MainWindow", "none"), "none");
    EXPECT_EQ(store.readInteger("Recent File List", "MaxSize", 4), 4);
    EXPECT_FALSE(store.valueExists("Windows", "MainWindow"));
    EXPECT_FALSE(QFile::exists(programFile(root)));
    EXPECT_FALSE(RegistryStore(settingsKey()).keyExists());
}

TEST(RegistryStore, BackslashesInSectionsAreNestedKeys)
{
    TemporarySettings root;
    RegistryStore store("Software\\Classes");
    ASSERT_TRUE(store.writeString("Polyra.Project\\Shell\\Open\\command", QString(), "x"));
    for (const char *present : {"", "Polyra.Project", "Polyra.Project\\Shell", "Polyra.Project\\Shell\\Open",
                                "Polyra.Project\\Shell\\Open\\command", "\\Polyra.Project\\Shell\\"})
        EXPECT_TRUE(store.keyExists(present)) << present;
    for (const char *absent : {"Polyra.Database", "Shell", "Polyra.Project\\Open", "Polyra.Project\\Shell\\Open\\command\\x"})
        EXPECT_FALSE(store.keyExists(absent)) << absent;
    EXPECT_EQ(store.readString("Polyra.Project\\Shell\\Open\\command", QString()), "x");
}

TEST(RegistryStore, IntegersReadFromWhateverTheValueHolds)
{
    TemporarySettings root;
    struct Case {
        const char *stored;
        int expected;
    };
    const Case cases[] = {
        {"12", 12}, {" 7 ", 7}, {"-3", -3}, {"abc", 99}, {"", 99}, {"99999999999", 99}, {"4x", 99},
    };
    RegistryStore store(programKey());
    for (const Case &c : cases) {
        store.writeString("Recent File List", "MaxSize", c.stored);
        EXPECT_EQ(store.readInteger("Recent File List", "MaxSize", 99), c.expected) << c.stored;
    }
    store.writeInteger("Recent File List", "MaxSize", 16);
    EXPECT_EQ(store.readInteger("Recent File List", "MaxSize", 99), 16);
}

TEST(RegistryStore, StringsComeBackAsWritten)
{
    TemporarySettings root;
    const QString texts[] = {
        "227,135,575,524,1,145", "C:\\Results\\run 1.prp", "\"quoted\"", "@Variant(nothing)", "a;b=c#d",
        QString::fromUtf8("Mus\u00E9e \u20AC"), " leading and trailing ", "",
    };
    int n = 0;
    for (const QString &text : texts) {
        const QString name = QStringLiteral("File%1").arg(++n);
        RegistryStore(programKey()).writeString("Recent File List", name, text);
        const RegistryStore reader(programKey());
        EXPECT_EQ(reader.readString("Recent File List", name, "default"), text) << text.toStdString();
        EXPECT_TRUE(reader.valueExists("Recent File List", name));
    }
}

TEST(RegistryStore, AHandWrittenListOfCommasStaysOneText)
{
    TemporarySettings root;
    QDir().mkpath(root.path() + "/CorvalinSoft");
    QFile file(programFile(root));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Windows]\nMainWindow=10,20,300,200,0,145\n");
    file.close();
    EXPECT_EQ(RegistryStore(programKey()).readString("Windows", "MainWindow"), "10,20,300,200,0,145");
}

TEST(RegistryStore, ErasingASectionLeavesTheOthers)
{
    TemporarySettings root;
    RegistryStore store(programKey());
    store.writeString("Recent File List", "File1", "a.prp");
    store.writeString("Recent File List\\Nested", "x", "y");
    store.writeString("Windows", "MainWindow", "1,2,3,4,0");
    ASSERT_TRUE(store.eraseSection("Recent File List"));
    EXPECT_FALSE(store.keyExists("Recent File List"));
    EXPECT_FALSE(store.valueExists("Recent File List", "File1"));
    EXPECT_FALSE(store.keyExists("Recent File List\\Nested"));
    EXPECT_EQ(store.readString("Windows", "MainWindow"), "1,2,3,4,0");
}

TEST(RegistryStore, AKeyLivesInOneFileHoweverItIsReached)
{
    TemporarySettings root;
    RegistryStore("Software\\Classes").writeString("Polyra.Project\\Shell\\Open\\command", QString(), "x");
    RegistryStore("Software").writeString("CorvalinSoft\\Scorvista2001 SE\\Windows", "MainWindow", "1,2,3,4,0");
    EXPECT_EQ(RegistryStore("Software\\Classes\\Polyra.Project\\Shell").readString("Open\\command", QString()), "x");
    EXPECT_TRUE(RegistryStore("\\Software\\Classes\\Polyra.Project\\Shell").keyExists("Open"));
    EXPECT_EQ(RegistryStore(programKey()).readString("Windows", "MainWindow"), "1,2,3,4,0");
    EXPECT_TRUE(QFile::exists(root.path() + "/HKEY_CURRENT_USER.ini"));
    EXPECT_TRUE(QFile::exists(programFile(root)));
    EXPECT_FALSE(QFile::exists(root.path() + "/Classes"));
    for (const char *key : {"Software", "Software\\CorvalinSoft", "Software\\Classes"})
        EXPECT_TRUE(RegistryStore(key).keyExists()) << key;
    EXPECT_FALSE(RegistryStore("Software\\OtherSoft").keyExists());
}

TEST(RegistryStore, AProductKeyCanBeErasedButNotTheWholeStore)
{
    TemporarySettings root;
    RegistryStore program(programKey());
    program.writeString("Windows", "MainWindow", "1,2,3,4,0");
    RegistryStore hive("");
    hive.writeString("Software\\Classes\\.prp", QString(), "Polyra.Project");
    EXPECT_FALSE(hive.eraseSection(QString()));
    EXPECT_EQ(hive.readString("Software\\Classes\\.prp", QString()), "Polyra.Project");
    EXPECT_TRUE(program.eraseSection(QString()));
    EXPECT_FALSE(program.keyExists());
}

// ---- placement texts ----

TEST(Placement, TextsParse)
{
    const QString longExtra(2000, QLatin1Char('x'));
    struct Case {
        QString text;
        bool valid;
        FormPlacement expected;
    };
    const Case cases[] = {
        {"100,50,600,400,0,180", true, {100, 50, 600, 400, 0, "180"}},
        {"100,50,600,400,1", true, {100, 50, 600, 400, 1, ""}},
        {"227,135,575,524,1,145", true, {227, 135, 575, 524, 1, "145"}},
        {"-8,-8,1296,1000,2", true, {-8, -8, 1296, 1000, 2, ""}},
        {"100,50,600,400,9,a,b,c", true, {100, 50, 600, 400, 9, "a,b,c"}},
        {"100,50,600,400,0,", true, {100, 50, 600, 400, 0, ""}},
        {"100,50,600,400,0abc", true, {100, 50, 600, 400, 0, ""}},
        {" 100, +50,\t600,400,0,x", true, {100, 50, 600, 400, 0, "x"}},
        {"100,50,600,400,0," + longExtra, true, {100, 50, 600, 400, 0, QString(1024, QLatin1Char('x'))}},
        {"100,50,600", false, {}},
        {"", false, {}},
        {"100,50,600,400", false, {}},
        {"100 ,50,600,400,0", false, {}},
        {"a,50,600,400,0", false, {}},
        {"100,50,600,400,-", false, {}},
        {"100;50;600;400;0", false, {}},
        {"99999999999,50,600,400,0", false, {}},
        {"2147483647,-2147483648,1,1,0", true, {2147483647, -2147483647 - 1, 1, 1, 0, ""}},
    };
    for (const Case &c : cases) {
        const std::optional<FormPlacement> parsed = parsePlacement(c.text);
        ASSERT_EQ(parsed.has_value(), c.valid) << c.text.toStdString();
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->left, c.expected.left) << c.text.toStdString();
        EXPECT_EQ(parsed->top, c.expected.top) << c.text.toStdString();
        EXPECT_EQ(parsed->width, c.expected.width) << c.text.toStdString();
        EXPECT_EQ(parsed->height, c.expected.height) << c.text.toStdString();
        EXPECT_EQ(parsed->state, c.expected.state) << c.text.toStdString();
        EXPECT_EQ(parsed->extra, c.expected.extra) << c.text.toStdString();
    }
}

TEST(Placement, TextsFormat)
{
    struct Case {
        FormPlacement placement;
        const char *expected;
    };
    const Case cases[] = {
        {{227, 135, 575, 524, 1, "145"}, "227,135,575,524,1,145"},
        {{100, 50, 600, 400, 0, ""}, "100,50,600,400,0"},
        {{-8, -8, 1296, 1000, 2, ""}, "-8,-8,1296,1000,2"},
        {{0, 0, 10, 10, 7, "x"}, "0,0,10,10,9,x"},
        {{0, 0, 10, 10, -1, ""}, "0,0,10,10,9"},
        {{1, 2, 3, 4, 0, "a,b"}, "1,2,3,4,0,a,b"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatPlacement(c.placement), c.expected);
}

TEST(Placement, FramesAreFittedIntoTheDesktop)
{
    const QRect area(0, 0, 1024, 768);
    const QRect second(1920, 0, 1280, 1024);
    struct Case {
        QRect frame;
        QRect area;
        QSize minimum;
        QRect expected;
    };
    const Case cases[] = {
        {{100, 50, 600, 400}, area, {1, 1}, {100, 50, 600, 400}},
        {{900, 700, 600, 400}, area, {1, 1}, {424, 368, 600, 400}},
        {{-300, -20, 600, 400}, area, {1, 1}, {0, 0, 600, 400}},
        {{100, 50, 3000, 2000}, area, {1, 1}, {0, 0, 1024, 768}},
        {{100, 50, 0, -5}, area, {200, 100}, {100, 50, 200, 100}},
        {{100, 50, 600, 400}, second, {1, 1}, {1920, 50, 600, 400}},
        {{3000, 900, 600, 400}, second, {1, 1}, {2600, 624, 600, 400}},
        {{10, 10, 50, 50}, QRect(0, 0, 100, 80), {300, 300}, {0, 0, 100, 80}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(clampToArea(c.frame, c.area, c.minimum), c.expected)
            << c.frame.x() << "," << c.frame.y() << " " << c.frame.width() << "x" << c.frame.height();
}

// ---- placement of a form ----

TEST(Placement, FormsRestoreWhatTheTextSays)
{
    TemporarySettings root;
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->availableGeometry();
    ASSERT_GE(area.width(), 700);
    ASSERT_GE(area.height(), 450);
    const QRect designed(area.left() + 10, area.top() + 20, 300, 200);
    const QRect stored(area.left() + 100, area.top() + 50, 600, 400);
    auto text = [&](const QString &rest_) {
        return QStringLiteral("%1,%2,").arg(stored.left()).arg(stored.top()) + rest_;
    };

    struct Case {
        QString text;
        QRect geometry;
        Qt::WindowStates state;
        QString extra;
    };
    const Case cases[] = {
        {text("600,400,0,180"), stored, Qt::WindowNoState, "180"},
        {text("600,400,1"), designed, Qt::WindowMaximized, ""},
        {text("600,400,2,5"), designed, Qt::WindowMinimized, "5"},
        {text("600,400,9,7"), designed, Qt::WindowNoState, "7"},
        {text("600"), designed, Qt::WindowNoState, "kept"},
        {"", designed, Qt::WindowNoState, "kept"},
        {"garbage", designed, Qt::WindowNoState, "kept"},
        // Off the desktop and larger than it: pulled back and shrunk.
        {"50000,50000,99999,99999,0", area, Qt::WindowNoState, ""},
        {QStringLiteral("%1,%2,600,400,0").arg(area.left() - 5000).arg(area.top() - 5000),
         QRect(area.topLeft(), QSize(600, 400)), Qt::WindowNoState, ""},
    };
    for (const Case &c : cases) {
        RegistryStore(programKey()).writeString("Windows", "MainWindow", c.text);
        TAdvForm form;
        form.setGeometry(designed);
        form.setExtraPlacement("kept");
        LoadFormPlacement(&form, "MainWindow");
        EXPECT_EQ(form.geometry(), c.geometry) << c.text.toStdString();
        EXPECT_EQ(form.windowState(), c.state) << c.text.toStdString();
        EXPECT_EQ(form.extraPlacement(), c.extra) << c.text.toStdString();
    }
}

TEST(Placement, OnlyTheNamedValueIsRead)
{
    TemporarySettings root;
    RegistryStore(programKey()).writeString("Windows", "OtherWindow", "100,50,600,400,1,9");
    TAdvForm form;
    form.setExtraPlacement("kept");
    LoadFormPlacement(&form, "MainWindow");
    EXPECT_EQ(form.windowState(), Qt::WindowNoState);
    EXPECT_EQ(form.extraPlacement(), "kept");
}

TEST(Placement, FormsSaveTheirBoundsStateAndExtraText)
{
    TemporarySettings root;
    struct Case {
        Qt::WindowStates state;
        QString extra;
        const char *expectedEnd;
    };
    const Case cases[] = {
        {Qt::WindowNoState, "145", ",0,145"},
        {Qt::WindowNoState, "", ",0"},
        {Qt::WindowMaximized, "145", ",1,145"},
        {Qt::WindowMinimized, "", ",2"},
        {Qt::WindowMinimized | Qt::WindowMaximized, "", ",2"},
        {Qt::WindowFullScreen, "a,b", ",9,a,b"},
    };
    for (const Case &c : cases) {
        TAdvForm form;
        form.setGeometry(120, 80, 500, 300);
        form.setWindowState(c.state);
        form.setExtraPlacement(c.extra);
        SaveFormPlacement(&form, "MainWindow");
        // The bounds are the form's when saved, whatever its state.
        const QString expected = QStringLiteral("%1,%2,%3,%4").arg(form.x()).arg(form.y()).arg(form.width()).arg(form.height())
                                 + c.expectedEnd;
        EXPECT_EQ(RegistryStore(programKey()).readString("Windows", "MainWindow").toStdString(), expected.toStdString());
    }
    TAdvForm form;
    form.setGeometry(120, 80, 500, 300);
    SaveFormPlacement(&form, "MainWindow");
    EXPECT_EQ(RegistryStore(programKey()).readString("Windows", "MainWindow").toStdString(), "120,80,500,300,0");
}

TEST(Placement, ASavedNormalFormComesBackTheSame)
{
    TemporarySettings root;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect bounds(area.left() + 30, area.top() + 40, 320, 240);
    {
        TAdvForm form;
        form.setGeometry(bounds);
        form.setExtraPlacement("210");
        SaveFormPlacement(&form, "MainWindow");
    }
    TAdvForm form;
    LoadFormPlacement(&form, "MainWindow");
    EXPECT_EQ(form.geometry(), bounds);
    EXPECT_EQ(form.extraPlacement(), "210");
}

// ---- default folder ----

TEST(DefaultFolder, FallsBackToTheDocumentsFolder)
{
    const QString documentsPath = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // A documents folder that does not exist gives the home folder.
    const QString documents = QFileInfo(documentsPath).isDir() ? documentsPath : QDir::homePath();
    const QString longFolder = "/data/" + QString(300, QLatin1Char('d'));
    struct Case {
        const char *name;
        bool store;
        QString stored;
        QString expected;
    };
    const Case cases[] = {
        {"nothing stored", false, {}, documents},
        {"a folder", true, "/home/user/results", "/home/user/results"},
        {"an empty value", true, "", documents},
        {"a long folder", true, longFolder, longFolder},
    };
    for (const Case &c : cases) {
        TemporarySettings root;
        if (c.store)
            SetDefaultFolder(c.stored);
        EXPECT_EQ(GetDefaultFolder(), c.expected) << c.name;
    }
}

TEST(DefaultFolder, IsKeptAsDefaultPathOfTheSettingsKey)
{
    TemporarySettings root;
    SetDefaultFolder("/home/user/Polyra Results");
    EXPECT_EQ(RegistryStore(programKey()).readString("Settings", "DefaultPath"), "/home/user/Polyra Results");
    RegistryStore(settingsKey()).writeString(QString(), "DefaultPath", "/elsewhere");
    EXPECT_EQ(GetDefaultFolder(), "/elsewhere");
}
