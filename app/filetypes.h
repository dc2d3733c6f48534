#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Runs one of the desktop's tools; false when it could not be run.
using DesktopToolRunner = std::function<bool(const QString &program_, const QStringList &arguments_)>;

// Checks that ".prp" and ".prb" open with this program and rewrites all of
// the associations when a check fails. True when they were rewritten.
// Windows keeps them in the registry, other desktops in a shared-mime-info
// package and a desktop entry below $XDG_DATA_HOME, and the entry as the
// default of both types in $XDG_CONFIG_HOME/mimeapps.list.
bool RegisterFileTypes();
// Tests: how the start-up check runs the desktop's tools (empty: detached
// processes).
void SetDesktopToolRunner(DesktopToolRunner runner_);
bool RegisterFileTypes(const QString &exePath_, const DesktopToolRunner &runTool_);

// The registry's form (below HKEY_CURRENT_USER\Software\Classes).
bool RegisterFileTypesInRegistry(const QString &exePath_);
QString registryOpenCommand(const QString &exePath_);

// The desktop's form.
bool RegisterFileTypesOnDesktop(const QString &exePath_, const DesktopToolRunner &runTool_);
QString xdgDataHome();
QString mimePackagePath();
QString desktopEntryPath();
// The program's icon beside the desktop entry, in the user's hicolor theme.
QString applicationIconPath();
// A file type's icon (projectIconName, databaseIconName) in the same theme.
QString fileTypeIconPath(const QString &iconName_);
QString xdgConfigHome();
// Where the user's default applications are kept.
QString mimeAppsListPath();
// The first application of the type's [Default Applications] entry in the
// user's mimeapps.list; empty when there is none.
QString defaultApplicationFor(const QString &mimeType_);
// The Exec value that opens one file with the program: its path quoted
// by the desktop entry's rules, then "%f".
QString desktopExecLine(const QString &exePath_);
// The arguments of an Exec value after the desktop entry's quoting rules;
// empty when the quoting is broken.
QStringList splitDesktopExec(const QString &exec_);

inline const QString projectMimeType = QStringLiteral("application/x-polyra-project");
inline const QString databaseMimeType = QStringLiteral("application/x-polyra-database");
// The program's icon, which its desktop entry shows.
inline const QString applicationIconName = QStringLiteral("scorvista2001se");
// Each type shows an icon of its own, named for the type as the desktop
// names a type's icon when the package names none.
inline const QString projectIconName = QStringLiteral("application-x-polyra-project");
inline const QString databaseIconName = QStringLiteral("application-x-polyra-database");
inline const QString desktopFileId = QStringLiteral("scorvista2001se.desktop");

