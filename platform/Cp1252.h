#ifndef PLATFORM_CP1252_H
#define PLATFORM_CP1252_H

#include <QString>
#include <string>

// The model's and the files' texts are Windows-1252 bytes; the windows show
// Unicode. These two are the only crossing between them.
QString fromCp1252(const std::string &bytes_);
// Characters without a Windows-1252 byte become '?'.
std::string toCp1252(const QString &text_);

#endif
