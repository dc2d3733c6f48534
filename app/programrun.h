#pragma once

#include <QString>
#include <QStringList>

// The program once its application object exists: the entry's decision, the
// main window and the message loop; the exit code. instance_ names the
// single-instance socket (empty: the program's own). Exceptions pass through.
int RunProgram(const QStringList &arguments_, const QString &instance_ = QString());
