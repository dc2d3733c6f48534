#ifndef APP_UDEFAULTFOLDER_H
#define APP_UDEFAULTFOLDER_H

#include <QString>

// The folder the file dialogs open in: the folder of the last file chosen
// ("DefaultPath" of the settings key), else the user's documents folder;
// empty when neither is known.
QString GetDefaultFolder();
void SetDefaultFolder(const QString &folder_);

#endif
