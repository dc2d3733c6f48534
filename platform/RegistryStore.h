#ifndef PLATFORM_REGISTRYSTORE_H
#define PLATFORM_REGISTRYSTORE_H

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class QSettings;

// The user's settings, addressed the way the registry addresses them: a key
// below HKEY_CURRENT_USER ("Software\CorvalinSoft\Scorvista2001 SE") with
// sections (subkeys, which may hold backslashes themselves) and named values.
// An empty section is the key itself, an empty value name the key's default
// value.
//
// Windows keeps them in the registry. Elsewhere, or whenever a root folder is
// set, they live in ini files below that folder: the keys of a product,
// "Software\Vendor\Product\...", in "<root>/Vendor/Product.ini" (its
// subkeys as the file's sections), all other keys (among them
// "Software\Classes") in "<root>/HKEY_CURRENT_USER.ini".
class RegistryStore {
public:
    // Tests point the store at a folder of their own; empty restores the
    // platform's place (the registry, or the user's config folder).
    static void setRoot(const QString &folder_);
    static QString root();

    explicit RegistryStore(const QString &key_);
    ~RegistryStore();
    RegistryStore(const RegistryStore &) = delete;
    RegistryStore &operator=(const RegistryStore &) = delete;

    // Looks without creating anything: reading never makes a key exist.
    bool keyExists(const QString &section_ = QString()) const;
    bool valueExists(const QString &section_, const QString &name_) const;

    QString readString(const QString &section_, const QString &name_,
                       const QString &default_ = QString()) const;
    // A value that is no integer gives the default.
    int readInteger(const QString &section_, const QString &name_, int default_) const;

    // Writing creates the keys on the way. False when the store could not be
    // written; the program carries on either way.
    bool writeString(const QString &section_, const QString &name_, const QString &value_);
    bool writeInteger(const QString &section_, const QString &name_, int value_);
    // Removes the section with its values and subkeys.
    bool eraseSection(const QString &section_);

    // Where a section is kept, to tell the user: the registry key, or the
    // settings file with the section's name in it.
    QString location(const QString &section_) const;

private:
    struct Target {
        QSettings *settings;
        QString group;
    };
    // Where a key below this one lives: its file and its group in it.
    Target target(const QString &section_) const;
    static QString valuePath(const Target &target_, const QString &name_);
    static bool flushed(QSettings *settings_);

    QStringList keyParts;
    mutable std::map<QString, std::unique_ptr<QSettings>> files;
};

#endif
