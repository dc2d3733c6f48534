#pragma once

#include <QCoreApplication>
#include <QString>

// Where the program keeps its settings, below HKEY_CURRENT_USER.
inline QString programKey()
{
    return QStringLiteral("Software\\CorvalinSoft\\") + QStringLiteral("Scorvista2001 SE");
}

// Sections of the program key.
inline constexpr const char *windowsSection = "Windows";
inline constexpr const char *recentFileSection = "Recent File List";

// The settings key follows the application's title, which the entry sets to
// the program's name.
inline QString settingsKey()
{
    return QStringLiteral("\\Software\\CorvalinSoft") + QLatin1Char('\\') + QCoreApplication::applicationName()
           + QLatin1Char('\\') + QStringLiteral("Settings");
}

