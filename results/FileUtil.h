#ifndef RESULTS_FILEUTIL_H
#define RESULTS_FILEUTIL_H

#include <cstddef>
#include <string>
#include <vector>

// Replaces a file's contents safely: the bytes go to a new file in the same
// folder, every write is checked and flushed to disk, and only then is it
// renamed over the target. On false the target is as it was before.
bool writeFileAtomically(const std::string &fileName_, const unsigned char *data_, std::size_t length_);

// Appends bytes to a file; false when the file cannot be opened or not every
// byte was written.
bool appendToFile(const std::string &fileName_, const unsigned char *data_, std::size_t length_);

// Reads a whole file; false when it cannot be opened or read completely.
bool readWholeFile(const std::string &fileName_, std::vector<unsigned char> &bytes_);

bool fileExists(const std::string &fileName_);

// A path of the program's own texts as the file system wants it: on POSIX
// the Windows separators are turned round.
std::string nativePath(const std::string &fileName_);

#endif
