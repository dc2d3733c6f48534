#ifndef RESULTS_TEXTUTIL_H
#define RESULTS_TEXTUTIL_H

#include <string>

// Texts of projects and databases are Windows-1252 bytes; the program's name
// comparisons ignore the case of ASCII letters only, whatever the locale.
bool sameTextIgnoringCase(const std::string &a_, const std::string &b_);
int compareTextIgnoringCase(const std::string &a_, const std::string &b_);
std::string upperCaseAscii(std::string text_);

// The extension of a path with its dot (".prp"), empty when it has none.
std::string extractFileExt(const std::string &path_);
// The file-name part of a path.
std::string extractFileName(const std::string &path_);

#endif
