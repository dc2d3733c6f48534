#ifndef TESTS_APP_TEMPORARYSETTINGS_H
#define TESTS_APP_TEMPORARYSETTINGS_H

#include <QByteArray>
#include <QTemporaryDir>

#include "RegistryStore.h"

// Sets an environment variable for the life of one test.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name_, const QByteArray &value_)
        : name(name_), hadValue(qEnvironmentVariableIsSet(name_)), oldValue(qgetenv(name_))
    {
        qputenv(name, value_);
    }
    ~ScopedEnvironment()
    {
        if (hadValue)
            qputenv(name, oldValue);
        else
            qunsetenv(name);
    }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    const char *name;
    bool hadValue;
    QByteArray oldValue;
};

// Points the settings store and the desktop's configuration folder (the
// default applications) at a fresh folder for the life of one test, so no
// test reads or writes the user's own settings.
class TemporarySettings {
public:
    TemporarySettings() { RegistryStore::setRoot(folder.path()); }
    ~TemporarySettings() { RegistryStore::setRoot(QString()); }
    TemporarySettings(const TemporarySettings &) = delete;
    TemporarySettings &operator=(const TemporarySettings &) = delete;

    QString path() const { return folder.path(); }

private:
    QTemporaryDir folder;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", (folder.path() + QStringLiteral("/config")).toUtf8()};
};


#endif
