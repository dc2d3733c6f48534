#include "defaultfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "RegistryStore.h"
#include "settingskeys.h"

namespace {

const QString defaultPathName = QStringLiteral("DefaultPath");

} // namespace

QString GetDefaultFolder()
{
    QString folder;
    const RegistryStore store(settingsKey());
    if (store.keyExists())
        folder = store.readString(QString(), defaultPathName);
    // Kept whole: a shortened path would name some other folder.
    if (!folder.isEmpty())
        return folder;
    // The documents folder is only named, not made, on many desktops.
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return folder;
}

void SetDefaultFolder(const QString &folder_)
{
    RegistryStore store(settingsKey());
    store.writeString(QString(), defaultPathName, folder_);
}
