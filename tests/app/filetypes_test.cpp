#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <utility>
#include <vector>

#include "RegistryStore.h"
#include "TemporarySettings.h"
#include "filetypes.h"

namespace {

const QString program = QStringLiteral("/opt/Polyra Tools/bin/Scorvista2001");

// Temporary XDG data and configuration folders and a recorder in place of
// the desktop's tools.
struct Desktop {
    QTemporaryDir folder;
    ScopedEnvironment environment{"XDG_DATA_HOME", folder.path().toUtf8()};
    ScopedEnvironment configEnvironment{"XDG_CONFIG_HOME", (folder.path() + "/config").toUtf8()};
    std::vector<std::pair<QString, QStringList>> runs;
    bool toolsWork = true;

    DesktopToolRunner runner()
    {
        return [this](const QString &program_, const QStringList &arguments_) {
            runs.emplace_back(program_, arguments_);
            return toolsWork;
        };
    }
    bool registerTypes(const QString &exe_ = program) { return RegisterFileTypesOnDesktop(exe_, runner()); }
};

QString readText(const QString &path_)
{
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeText(const QString &path_, const QString &text_)
{
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text_.toUtf8());
}

void replaceIn(const QString &path_, const QString &from_, const QString &to_)
{
    const QString text = readText(path_);
    ASSERT_TRUE(text.contains(from_)) << from_.toStdString();
    writeText(path_, QString(text).replace(from_, to_));
}

QString execLineOf(const QString &exe_)
{
    return QStringLiteral("Exec=\"") + exe_ + QStringLiteral("\" %f");
}

} // namespace

// ---- the desktop ----

TEST(FileTypesOnDesktop, AFreshDesktopGetsBothFilesAndItsToolsRun)
{
    Desktop desktop;
    EXPECT_EQ(xdgDataHome(), desktop.folder.path());
    ASSERT_TRUE(desktop.registerTypes());

    const QString package = readText(mimePackagePath());
    EXPECT_EQ(mimePackagePath(), desktop.folder.path() + "/mime/packages/scorvista2001se.xml");
    for (const char *part : {"application/x-polyra-project", "Polyra Project File", "*.prp",
                             "application/x-polyra-database", "Polyra Database File", "*.prb"})
        EXPECT_TRUE(package.contains(part)) << part;

    const QString entry = readText(desktopEntryPath());
    EXPECT_EQ(desktopEntryPath(), desktop.folder.path() + "/applications/scorvista2001se.desktop");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\n" + execLineOf(program) + "\n"));
    EXPECT_TRUE(entry.contains("application/x-polyra-project"));
    EXPECT_TRUE(entry.contains("application/x-polyra-database"));
    EXPECT_TRUE(entry.contains("\nIcon=scorvista2001se\n"));

    // The program's icon for its entry, and each type's own icon, named for
    // the type, which the package names.
    const QString icons = desktop.folder.path() + "/icons/hicolor/scalable/";
    const std::pair<QString, QString> installed[] = {
        {"scorvista2001se", icons + "apps/scorvista2001se.svg"},
        {"application-x-polyra-project", icons + "mimetypes/application-x-polyra-project.svg"},
        {"application-x-polyra-database", icons + "mimetypes/application-x-polyra-database.svg"},
    };
    EXPECT_EQ(applicationIconPath(), installed[0].second);
    EXPECT_EQ(fileTypeIconPath(projectIconName), installed[1].second);
    EXPECT_EQ(fileTypeIconPath(databaseIconName), installed[2].second);
    QStringList contents;
    for (const auto &[name, path] : installed) {
        QFile embedded(":/icons/" + name + ".svg");
        ASSERT_TRUE(embedded.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString content = QString::fromUtf8(embedded.readAll());
        EXPECT_EQ(readText(path), content) << name.toStdString();
        EXPECT_FALSE(contents.contains(content)) << name.toStdString() << " draws another's picture";
        contents << content;
    }
    EXPECT_TRUE(package.contains("<comment>Polyra Project File</comment>\n        "
                                 "<icon name=\"application-x-polyra-project\"/>"));
    EXPECT_TRUE(package.contains("<comment>Polyra Database File</comment>\n        "
                                 "<icon name=\"application-x-polyra-database\"/>"));

    EXPECT_EQ(mimeAppsListPath(), desktop.folder.path() + "/config/mimeapps.list");
    EXPECT_EQ(readText(mimeAppsListPath()), "[Default Applications]\n"
                                            "application/x-polyra-database=scorvista2001se.desktop;\n"
                                            "application/x-polyra-project=scorvista2001se.desktop;\n");

    ASSERT_EQ(desktop.runs.size(), 2u);
    EXPECT_EQ(desktop.runs[0].first, "update-mime-database");
    EXPECT_EQ(desktop.runs[0].second, QStringList(desktop.folder.path() + "/mime"));
    EXPECT_EQ(desktop.runs[1].first, "update-desktop-database");
    EXPECT_EQ(desktop.runs[1].second, QStringList(desktop.folder.path() + "/applications"));

    desktop.runs.clear();
    EXPECT_FALSE(desktop.registerTypes());
    EXPECT_TRUE(desktop.runs.empty());
}

TEST(FileTypesOnDesktop, EachCheckDecidesOnARewrite)
{
    const QString exec = execLineOf(program);
    const QString unquotedExec = "Exec=" + program + " %f";
    const QString otherArguments = "Exec=\"" + program + "\" --open %f";
    const QString mimeTypes = "MimeType=application/x-polyra-database;application/x-polyra-project;";
    // The database type's icon element, and its change to another one.
    const QString databaseComment = "<comment>Polyra Database File</comment>";
    const QString databaseIcon = databaseComment + "\n        <icon name=\"application-x-polyra-database\"/>";
    const auto databaseIconBecomes = [&](const QString &icon_) {
        replaceIn(mimePackagePath(), databaseIcon, databaseComment + icon_);
    };
    const QString projectDefault = "application/x-polyra-project=scorvista2001se.desktop;";
    const QString databaseDefault = "application/x-polyra-database=scorvista2001se.desktop;";
    struct Case {
        const char *name;
        std::function<void()> damage;
        bool rewrite;
    };
    const Case cases[] = {
        {"nothing changed", [] {}, false},
        // The project type's open command.
        {"no desktop entry", [] { QFile::remove(desktopEntryPath()); }, true},
        {"no entry group", [] { replaceIn(desktopEntryPath(), "[Desktop Entry]", "[Other]"); }, true},
        {"project type not handled",
         [&] { replaceIn(desktopEntryPath(), mimeTypes, "MimeType=application/x-polyra-database;"); }, true},
        {"empty command", [&] { replaceIn(desktopEntryPath(), exec, "Exec="); }, true},
        {"another program", [&] { replaceIn(desktopEntryPath(), exec, "Exec=\"/usr/bin/other\" %f"); }, true},
        {"the program in other case",
         [&] { replaceIn(desktopEntryPath(), exec, execLineOf("/opt/polyra tools/bin/scorvista2001")); }, true},
        {"a broken quote", [&] { replaceIn(desktopEntryPath(), exec, "Exec=\"" + program + " %f"); }, true},
        // The database type's icon.
        {"no mime package", [] { QFile::remove(mimePackagePath()); }, true},
        {"a damaged package", [] { replaceIn(mimePackagePath(), "</mime-info>", "<mime-type"); }, true},
        {"database type missing from the package",
         [] { replaceIn(mimePackagePath(), "application/x-polyra-database", "application/x-other"); }, true},
        {"another database icon", [&] { databaseIconBecomes("<icon name=\"other\"/>"); }, true},
        {"the never installed icon of earlier versions",
         [&] { databaseIconBecomes("<icon name=\"scorvista2001se-database\"/>"); }, true},
        {"the program's icon of the version before",
         [&] {
             databaseIconBecomes("<icon name=\"scorvista2001se\"/>");
             replaceIn(mimePackagePath(), "<icon name=\"application-x-polyra-project\"/>",
                       "<icon name=\"scorvista2001se\"/>");
         },
         true},
        {"the program's icon file gone", [] { QFile::remove(applicationIconPath()); }, true},
        {"the project icon's file gone", [] { QFile::remove(fileTypeIconPath(projectIconName)); }, true},
        {"the database icon's file gone", [] { QFile::remove(fileTypeIconPath(databaseIconName)); }, true},
        {"no database icon stops the checks",
         [&] {
             databaseIconBecomes("");
             replaceIn(desktopEntryPath(), exec, otherArguments);
         },
         false},
        {"an empty database icon stops the checks",
         [&] {
             databaseIconBecomes("<icon name=\"\"/>");
             replaceIn(desktopEntryPath(), mimeTypes, "MimeType=application/x-polyra-project;");
         },
         false},
        {"only the project icon changed",
         [] {
             replaceIn(mimePackagePath(),
                       "<comment>Polyra Project File</comment>\n        <icon name=\"application-x-polyra-project\"/>",
                       "<comment>Polyra Project File</comment><icon name=\"other\"/>");
         },
         false},
        // The database type's open command.
        {"database type not handled",
         [&] { replaceIn(desktopEntryPath(), mimeTypes, "MimeType=application/x-polyra-project;"); }, true},
        {"an unquoted path runs a prefix", [&] { replaceIn(desktopEntryPath(), exec, unquotedExec); }, true},
        {"other arguments", [&] { replaceIn(desktopEntryPath(), exec, otherArguments); }, true},
        {"several files", [&] { replaceIn(desktopEntryPath(), exec, "Exec=\"" + program + "\" %F"); }, true},
        {"keys in other groups do not count",
         [&] { writeText(desktopEntryPath(), readText(desktopEntryPath()) + "[Desktop Action x]\nExec=/usr/bin/other\n"); },
         false},
        {"blanks around the equals sign",
         [&] { replaceIn(desktopEntryPath(), exec, "Exec = \"" + program + "\" %f"); }, false},
        // The defaults of the user's mimeapps.list.
        {"no mimeapps.list", [] { QFile::remove(mimeAppsListPath()); }, true},
        {"another default for projects",
         [&] { replaceIn(mimeAppsListPath(), projectDefault, "application/x-polyra-project=other.desktop;"); }, true},
        {"the program second for projects",
         [&] {
             replaceIn(mimeAppsListPath(), projectDefault,
                       "application/x-polyra-project=other.desktop;scorvista2001se.desktop;");
         },
         true},
        {"no default for databases", [&] { replaceIn(mimeAppsListPath(), databaseDefault + "\n", ""); }, true},
        {"another default for databases",
         [&] { replaceIn(mimeAppsListPath(), databaseDefault, "application/x-polyra-database=other.desktop;"); },
         true},
        {"no database icon stops the checks before the database default",
         [&] {
             databaseIconBecomes("");
             replaceIn(mimeAppsListPath(), databaseDefault + "\n", "");
         },
         false},
        {"a later line of the same key wins",
         [&] { writeText(mimeAppsListPath(), readText(mimeAppsListPath()) + "application/x-polyra-project=other.desktop\n"); },
         true},
        {"the type in another group",
         [&] {
             writeText(mimeAppsListPath(),
                       readText(mimeAppsListPath()) + "[Added Associations]\napplication/x-polyra-project=other.desktop;\n");
         },
         false},
        {"without the closing semicolon",
         [&] { replaceIn(mimeAppsListPath(), projectDefault, "application/x-polyra-project = scorvista2001se.desktop"); },
         false},
    };
    for (const Case &c : cases) {
        Desktop desktop;
        ASSERT_TRUE(desktop.registerTypes()) << c.name;
        c.damage();
        desktop.runs.clear();
        EXPECT_EQ(desktop.registerTypes(), c.rewrite) << c.name;
        EXPECT_EQ(desktop.runs.size(), c.rewrite ? 2u : 0u) << c.name;
        // A rewrite mends everything at once.
        EXPECT_FALSE(desktop.registerTypes()) << c.name;
    }
}

TEST(FileTypesOnDesktop, TheUsersOtherChoicesStayInMimeappsList)
{
    const QString ours = "application/x-polyra-database=scorvista2001se.desktop;\n"
                         "application/x-polyra-project=scorvista2001se.desktop;\n";
    struct Case {
        const char *name;
        QString before;
        QString after;
    };
    const Case cases[] = {
        {"other groups, other types and the user's earlier choice",
         "# kept by hand\n"
         "[Added Associations]\n"
         "application/x-polyra-project=other.desktop;\n"
         "\n"
         "[Default Applications]\n"
         "text/plain=editor.desktop;\n"
         "application/x-polyra-project=other.desktop;viewer.desktop;scorvista2001se.desktop;\n"
         "\n"
         "[Removed Associations]\n"
         "image/png=paint.desktop;\n",
         "# kept by hand\n"
         "[Added Associations]\n"
         "application/x-polyra-project=other.desktop;\n"
         "\n"
         "[Default Applications]\n"
         "text/plain=editor.desktop;\n"
         "application/x-polyra-project=scorvista2001se.desktop;other.desktop;viewer.desktop;\n"
         "application/x-polyra-database=scorvista2001se.desktop;\n"
         "\n"
         "[Removed Associations]\n"
         "image/png=paint.desktop;\n"},
        {"no such group yet", "[Added Associations]\ntext/plain=editor.desktop;",
         "[Added Associations]\ntext/plain=editor.desktop;\n[Default Applications]\n" + ours},
        {"an empty file", "", "[Default Applications]\n" + ours},
        {"only the group", "[Default Applications]\n", "[Default Applications]\n" + ours},
    };
    for (const Case &c : cases) {
        Desktop desktop;
        ASSERT_TRUE(QDir().mkpath(desktop.folder.path() + "/config"));
        writeText(mimeAppsListPath(), c.before);
        ASSERT_TRUE(desktop.registerTypes()) << c.name;
        EXPECT_EQ(readText(mimeAppsListPath()), c.after) << c.name;
        EXPECT_EQ(defaultApplicationFor(projectMimeType), "scorvista2001se.desktop") << c.name;
        EXPECT_EQ(defaultApplicationFor(databaseMimeType), "scorvista2001se.desktop") << c.name;
    }
}

TEST(FileTypesOnDesktop, ALinkedMimeappsListStaysLinked)
{
    Desktop desktop;
    const QString kept = desktop.folder.path() + "/dotfiles/mimeapps.list";
    ASSERT_TRUE(QDir().mkpath(desktop.folder.path() + "/dotfiles"));
    ASSERT_TRUE(QDir().mkpath(desktop.folder.path() + "/config"));
    writeText(kept, "[Default Applications]\ntext/plain=editor.desktop;\n");
    ASSERT_TRUE(QFile::link(kept, mimeAppsListPath()));
    ASSERT_TRUE(desktop.registerTypes());
    EXPECT_TRUE(QFileInfo(mimeAppsListPath()).isSymLink());
    EXPECT_TRUE(readText(kept).contains("application/x-polyra-project=scorvista2001se.desktop;"));
    EXPECT_TRUE(readText(kept).startsWith("[Default Applications]\ntext/plain=editor.desktop;\n"));
}

// GLib's own client, in a home of its own, finds the program for both types
// and, for a file of each, an icon that is installed.
TEST(FileTypesOnDesktop, GioFindsTheProgramAndAnInstalledIconForBothTypes)
{
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty())
        GTEST_SKIP() << "gio is not installed";
    QTemporaryDir root;
    const QString home = root.path() + "/home";
    ScopedEnvironment homeVariable("HOME", home.toUtf8());
    ScopedEnvironment data("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    ScopedEnvironment config("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    ScopedEnvironment dataDirs("XDG_DATA_DIRS", (root.path() + "/system").toUtf8());
    ScopedEnvironment configDirs("XDG_CONFIG_DIRS", (root.path() + "/system-config").toUtf8());
    ScopedEnvironment desktopName("XDG_CURRENT_DESKTOP", "");

    // GLib ignores an entry whose program cannot be found.
    const QString exe = root.path() + "/Polyra Tools/Scorvista2001";
    ASSERT_TRUE(QDir().mkpath(root.path() + "/Polyra Tools"));
    writeText(exe, "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const auto runAndWait = [](const QString &program_, const QStringList &arguments_) {
        return QProcess::execute(program_, arguments_) == 0;
    };
    ASSERT_TRUE(RegisterFileTypesOnDesktop(exe, runAndWait));

    const auto runGio = [&gio](const QStringList &arguments_) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C.UTF-8");
        environment.insert("LANGUAGE", "C");
        process.setProcessEnvironment(environment);
        process.start(gio, arguments_);
        EXPECT_TRUE(process.waitForFinished(30000)) << arguments_.join(' ').toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    // Files as they begin, not empty: an empty file would be told as text.
    const std::pair<QString, QByteArray> kinds[] = {
        {projectMimeType, QByteArray("Polyra2001 Project File\x0A\x1A\x00", 26)},
        {databaseMimeType, QByteArray("Scorvista2001 Database\n\x00", 24)},
    };
    for (const auto &[type, start] : kinds) {
        SCOPED_TRACE(type.toStdString());
        const QString file = root.path() + (type == projectMimeType ? "/result.prp" : "/results.prb");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(start);
        out.close();
        const QString info = runGio({"info", "-a", "standard::icon,standard::content-type", file});
        EXPECT_TRUE(info.contains("standard::content-type: " + type + "\n")) << info.toStdString();
        const QRegularExpression iconLine("standard::icon: ([^,\n]+)");
        const QString icon = iconLine.match(info).captured(1);
        ASSERT_FALSE(icon.isEmpty()) << info.toStdString();
        // Each type its own icon, not the program's.
        EXPECT_EQ(icon, type == projectMimeType ? projectIconName : databaseIconName) << info.toStdString();
        QDirIterator installed(home + "/.local/share/icons", {icon + ".svg", icon + ".png"}, QDir::Files,
                               QDirIterator::Subdirectories);
        EXPECT_TRUE(installed.hasNext()) << "no installed icon " << icon.toStdString();

        const QString output = runGio({"mime", type});
        const QStringList lines = output.split('\n');
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.first().startsWith("Default application for")) << output.toStdString();
        EXPECT_TRUE(lines.first().endsWith(": scorvista2001se.desktop")) << output.toStdString();
        EXPECT_FALSE(output.contains("No default applications")) << output.toStdString();
        // Listed for the type once the desktop's own tool has indexed the entry.
        if (!QStandardPaths::findExecutable("update-desktop-database").isEmpty()) {
            EXPECT_TRUE(output.contains("Registered applications:\n\tscorvista2001se.desktop\n")) << output.toStdString();
        }
    }
}

TEST(FileTypesOnDesktop, ProgramPathsSurviveTheQuoting)
{
    const QString paths[] = {
        "/opt/Polyra Tools/bin/Scorvista2001",
        "/usr/bin/scorvista2001",
        "/home/a \"b\"/x",
        "/home/$HOME/`id`/x",
        "/home/back\\slash/x",
        "/home/100% sure/x",
        "/home/semi;colon=equals/x",
        QString::fromUtf8("/home/J\u00FCrgen/\u20AC/x"),
    };
    for (const QString &path : paths) {
        Desktop desktop;
        ASSERT_TRUE(desktop.registerTypes(path)) << path.toStdString();
        // The program is one whole argument, the file another.
        EXPECT_EQ(splitDesktopExec(desktopExecLine(path)), QStringList({path, "%f"})) << path.toStdString();
        EXPECT_FALSE(desktop.registerTypes(path)) << path.toStdString();
    }
}

TEST(FileTypesOnDesktop, ExecValuesSplitIntoArguments)
{
    struct Case {
        QString exec;
        QStringList arguments;
    };
    const Case cases[] = {
        {"\"/opt/a b/prog\" %f", {"/opt/a b/prog", "%f"}},
        {"/opt/a b/prog %f", {"/opt/a", "b/prog", "%f"}},
        {"  prog   --x  ", {"prog", "--x"}},
        {"\"a\\\"b\\\\c\\$d\"", {"a\"b\\c$d"}},
        {"\"100%% sure\" %f", {"100% sure", "%f"}},
        {"\"unterminated %f", {}},
        {"", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(splitDesktopExec(c.exec), c.arguments) << c.exec.toStdString();
}

TEST(FileTypesOnDesktop, FailingToolsDoNotMatter)
{
    Desktop desktop;
    desktop.toolsWork = false;
    EXPECT_TRUE(desktop.registerTypes());
    EXPECT_TRUE(QFile::exists(desktopEntryPath()));
    EXPECT_FALSE(desktop.registerTypes());
    EXPECT_TRUE(RegisterFileTypesOnDesktop(program + "2", DesktopToolRunner()));
}

TEST(FileTypesOnDesktop, PathsThatCannotBeWrittenSafelyAreRefused)
{
    for (const QString &path : {QString(), QString("/opt/x\nExec=/bin/evil"), QString("/opt/tab\there")}) {
        Desktop desktop;
        EXPECT_FALSE(desktop.registerTypes(path));
        EXPECT_FALSE(QFile::exists(desktopEntryPath()));
        EXPECT_TRUE(desktop.runs.empty());
    }
}

TEST(FileTypesOnDesktop, ARelativeDataHomeIsIgnored)
{
    ScopedEnvironment environment("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(xdgDataHome(), QDir::homePath() + "/.local/share");
}

TEST(FileTypesOnDesktop, ARelativeConfigHomeIsIgnored)
{
    ScopedEnvironment environment("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(mimeAppsListPath(), QDir::homePath() + "/.config/mimeapps.list");
}

// ---- the registry's table (kept in the temporary store here) ----

namespace {

const QString winProgram = QStringLiteral("C:\\Program Files\\Scorvista\\Scorvista2001.exe");

QString classValue(const char *key_)
{
    return RegistryStore("Software\\Classes").readString(key_, QString(), "<missing>");
}

void setClassValue(const char *key_, const QString &value_)
{
    RegistryStore("Software\\Classes").writeString(key_, QString(), value_);
}

} // namespace

TEST(FileTypesInRegistry, WritesTheTwelveValues)
{
    TemporarySettings root;
    ASSERT_TRUE(RegisterFileTypesInRegistry(winProgram));
    const QString command = "\"" + winProgram + "\" \"%1\"";
    const std::pair<const char *, QString> expected[] = {
        {".prb", "Polyra.Database"},
        {"Polyra.Database", "Polyra Database File"},
        {"Polyra.Database\\DefaultIcon", winProgram + ",3"},
        {"Polyra.Database\\Shell", ""},
        {"Polyra.Database\\Shell\\Open", ""},
        {"Polyra.Database\\Shell\\Open\\command", command},
        {".prp", "Polyra.Project"},
        {"Polyra.Project", "Polyra Project File"},
        {"Polyra.Project\\DefaultIcon", winProgram + ",2"},
        {"Polyra.Project\\Shell", ""},
        {"Polyra.Project\\Shell\\Open", ""},
        {"Polyra.Project\\Shell\\Open\\command", command},
    };
    for (const auto &[key, value] : expected)
        EXPECT_EQ(classValue(key), value) << key;
    EXPECT_EQ(registryOpenCommand(winProgram), command);
    EXPECT_FALSE(RegisterFileTypesInRegistry(winProgram));
}

TEST(FileTypesInRegistry, EachCheckDecidesOnARewrite)
{
    const QString command = registryOpenCommand(winProgram);
    struct Case {
        const char *name;
        std::function<void()> damage;
        bool rewrite;
    };
    const Case cases[] = {
        {"nothing changed", [] {}, false},
        {"no project command",
         [] { RegistryStore("Software\\Classes").eraseSection("Polyra.Project\\Shell\\Open\\command"); }, true},
        {"an empty project command", [] { setClassValue("Polyra.Project\\Shell\\Open\\command", ""); }, true},
        {"another program opens projects",
         [] { setClassValue("Polyra.Project\\Shell\\Open\\command", "C:\\Other\\other.exe \"%1\""); }, true},
        {"the program in other case",
         [] { setClassValue("Polyra.Project\\Shell\\Open\\command", "\"c:\\program files\\scorvista\\scorvista2001.exe\" \"%1\""); },
         true},
        {"the project command with other arguments",
         [] { setClassValue("Polyra.Project\\Shell\\Open\\command", "\"" + winProgram + "\" /open \"%1\""); }, false},
        {"no database icon key", [] { RegistryStore("Software\\Classes").eraseSection("Polyra.Database\\DefaultIcon"); },
         true},
        {"an empty database icon stops the checks",
         [] {
             setClassValue("Polyra.Database\\DefaultIcon", "");
             setClassValue("Polyra.Database\\Shell\\Open\\command", "C:\\Other\\other.exe \"%1\"");
         },
         false},
        {"the project icon", [] { setClassValue("Polyra.Database\\DefaultIcon", winProgram + ",2"); }, true},
        {"no database command",
         [] { RegistryStore("Software\\Classes").eraseSection("Polyra.Database\\Shell\\Open\\command"); }, true},
        {"an empty database command", [] { setClassValue("Polyra.Database\\Shell\\Open\\command", ""); }, false},
        {"an unquoted database command",
         [] { setClassValue("Polyra.Database\\Shell\\Open\\command", winProgram + " \"%1\""); }, true},
    };
    for (const Case &c : cases) {
        TemporarySettings root;
        ASSERT_TRUE(RegisterFileTypesInRegistry(winProgram)) << c.name;
        c.damage();
        EXPECT_EQ(RegisterFileTypesInRegistry(winProgram), c.rewrite) << c.name;
        if (c.rewrite) {
            EXPECT_EQ(classValue("Polyra.Database\\DefaultIcon"), winProgram + ",3") << c.name;
            EXPECT_EQ(classValue("Polyra.Project\\Shell\\Open\\command"), command) << c.name;
            EXPECT_EQ(classValue("Polyra.Database\\Shell\\Open\\command"), command) << c.name;
        }
    }
}
