#pragma once

#include <QString>

// The folder the file dialogs open in: the folder of the last file chosen
// ("DefaultPath" of the settings key, as stored), else the user's documents
// folder when it exists, else the home folder.
QString GetDefaultFolder();
void SetDefaultFolder(const QString &folder_);

