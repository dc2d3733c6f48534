#include "RegistryStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString &rootOverride()
{
    static QString folder;
    return folder;
}

QStringList partsOf(const QString &key_)
{
    QString key = key_;
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return key.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

// The registry ignores the case of key names; the ini files keep it.
constexpr Qt::CaseSensitivity keyCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

bool isSoftware(const QStringList &parts_)
{
    return !parts_.isEmpty() && parts_[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0;
}

// "Software\Vendor\Product" and below, but not the file classes, which are
// no vendor's.
bool isProductKey(const QStringList &parts_)
{
    auto nameable = [](const QString &part_) { return part_ != QLatin1String(".") && part_ != QLatin1String(".."); };
    return parts_.size() >= 3 && isSoftware(parts_)
           && parts_[1].compare(QLatin1String("Classes"), Qt::CaseInsensitive) != 0 && nameable(parts_[1])
           && nameable(parts_[2]);
}

bool hasGroup(QSettings &settings_, const QStringList &parts_)
{
    if (parts_.isEmpty())
        return !settings_.allKeys().isEmpty();
    QStringList parent;
    for (const QString &part : parts_) {
        if (!parent.isEmpty())
            settings_.beginGroup(parent.join(QLatin1Char('/')));
        const bool found = settings_.childGroups().contains(part, keyCase);
        if (!parent.isEmpty())
            settings_.endGroup();
        if (!found)
            return false;
        parent.append(part);
    }
    return true;
}

} // namespace

void RegistryStore::setRoot(const QString &folder_)
{
    rootOverride() = folder_;
}

QString RegistryStore::root()
{
    if (!rootOverride().isEmpty())
        return rootOverride();
#ifdef Q_OS_WIN
    return QString();
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

RegistryStore::RegistryStore(const QString &key_) : keyParts(partsOf(key_)) {}

RegistryStore::~RegistryStore() = default;

RegistryStore::Target RegistryStore::target(const QString &section_) const
{
    const QStringList parts = keyParts + partsOf(section_);
    const QString folder = root();
    QString file;
    QStringList group = parts;
    if (folder.isEmpty()) {
        // Opened at the hive itself, so that reading creates no key.
        file = QStringLiteral("HKEY_CURRENT_USER");
    } else if (isProductKey(parts)) {
        file = folder + QLatin1Char('/') + parts[1] + QLatin1Char('/') + parts[2] + QStringLiteral(".ini");
        group = parts.mid(3);
    } else {
        file = folder + QStringLiteral("/HKEY_CURRENT_USER.ini");
    }
    std::unique_ptr<QSettings> &settings = files[file];
    if (!settings)
        settings = std::make_unique<QSettings>(file, folder.isEmpty() ? QSettings::NativeFormat : QSettings::IniFormat);
    return Target{settings.get(), group.join(QLatin1Char('/'))};
}

QString RegistryStore::valuePath(const Target &target_, const QString &name_)
{
    // QSettings names a key's default value "Default" in the registry.
    const QString name = name_.isEmpty() ? QStringLiteral("Default") : name_;
    return target_.group.isEmpty() ? name : target_.group + QLatin1Char('/') + name;
}

bool RegistryStore::keyExists(const QString &section_) const
{
    const Target where = target(section_);
    if (hasGroup(*where.settings, partsOf(where.group)))
        return true;
    // "Software" and "Software\Vendor" also exist through the products' files.
    const QStringList parts = keyParts + partsOf(section_);
    const QString folder = root();
    if (folder.isEmpty() || !isSoftware(parts) || parts.size() >= 3)
        return false;
    if (parts.size() == 1)
        return !QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
    return !QDir(folder + QLatin1Char('/') + parts[1]).entryList({QStringLiteral("*.ini")}, QDir::Files).isEmpty();
}

bool RegistryStore::valueExists(const QString &section_, const QString &name_) const
{
    const Target where = target(section_);
    return where.settings->contains(valuePath(where, name_));
}

QString RegistryStore::readString(const QString &section_, const QString &name_, const QString &default_) const
{
    const Target where = target(section_);
    const QVariant value = where.settings->value(valuePath(where, name_));
    if (!value.isValid())
        return default_;
    // An ini line with unquoted commas reads back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

int RegistryStore::readInteger(const QString &section_, const QString &name_, int default_) const
{
    const Target where = target(section_);
    const QVariant value = where.settings->value(valuePath(where, name_));
    if (!value.isValid())
        return default_;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : default_;
}

bool RegistryStore::flushed(QSettings *settings_)
{
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool RegistryStore::writeString(const QString &section_, const QString &name_, const QString &value_)
{
    const Target where = target(section_);
    where.settings->setValue(valuePath(where, name_), value_);
    return flushed(where.settings);
}

bool RegistryStore::writeInteger(const QString &section_, const QString &name_, int value_)
{
    const Target where = target(section_);
    where.settings->setValue(valuePath(where, name_), value_);
    return flushed(where.settings);
}

bool RegistryStore::eraseSection(const QString &section_)
{
    const Target where = target(section_);
    if (where.group.isEmpty()) {
        // The hive itself is never erased; a product's file may be.
        if (root().isEmpty() || !isProductKey(keyParts + partsOf(section_)))
            return false;
        where.settings->clear();
    }
    else
        where.settings->remove(where.group);
    return flushed(where.settings);
}

QString RegistryStore::location(const QString &section_) const
{
    const Target where = target(section_);
    if (root().isEmpty())
        return QStringLiteral("HKEY_CURRENT_USER\\") + (keyParts + partsOf(section_)).join(QLatin1Char('\\'));
    const QString file = QDir::toNativeSeparators(where.settings->fileName());
    return where.group.isEmpty() ? file : file + QStringLiteral(", section [") + where.group + QLatin1Char(']');
}
