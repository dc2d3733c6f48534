#ifndef RESULTS_FILEUTIL_H
#define RESULTS_FILEUTIL_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class FileWriteResult {
    Written,
    // The target may not be written (read-only, not a plain file, a loop of
    // links) or its folder refuses new files; nothing was written.
    CannotOpen,
    // Writing or replacing failed (a missing folder, a full disk); the
    // target is as it was.
    WriteFailed,
};

// Replaces a file's contents safely: the bytes go to a new file in the
// target's folder, every write is checked and flushed to disk, and only then
// is it renamed over the target. A symbolic link is followed, so the file it
// points to is replaced and the link stays. A new file gets 0666 less the
// umask, a replaced one keeps its mode. Hidden copies that killed saves of
// the same target left behind are removed.
FileWriteResult replaceFile(const std::string &fileName_, const unsigned char *data_, std::size_t length_);

// replaceFile for a file written piece by piece: the copy is made at
// construction and renamed over the target by commit(); a replacement that
// is not committed leaves the target as it was and removes its copy.
class CFileReplacement {
public:
    explicit CFileReplacement(const std::string &fileName_);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement &) = delete;
    CFileReplacement &operator=(const CFileReplacement &) = delete;

    // Written while nothing failed; otherwise why the replacement fails.
    FileWriteResult status() const { return state; }
    // False once any write failed; later writes do nothing.
    bool write(const void *data_, std::size_t length_);
    FileWriteResult commit();

private:
    std::string target;
    std::string folder;
    std::string temp;
    int fd = -1;
    bool exists = false;
    unsigned mode = 0;
    FileWriteResult state = FileWriteResult::Written;
};

// replaceFile, true when the file was written.
bool writeFileAtomically(const std::string &fileName_, const unsigned char *data_, std::size_t length_);

// The name prefix of the hidden copies that saves of the given file name
// write beside it; a copy is this prefix and six letters or digits.
std::string saveCopyPrefix(const std::string &baseName_);

// Appends bytes to a file; false when the file cannot be opened or not every
// byte was written.
bool appendToFile(const std::string &fileName_, const unsigned char *data_, std::size_t length_);

// Reads a whole file; false when it cannot be opened or read completely.
bool readWholeFile(const std::string &fileName_, std::vector<unsigned char> &bytes_);
// The same into a buffer of the file's size (one byte for an empty file).
bool readWholeFile(const std::string &fileName_, std::unique_ptr<unsigned char[]> &buffer_, std::size_t &length_);

bool fileExists(const std::string &fileName_);
// The size of a regular file (a native path); false for anything else.
bool regularFileSize(const std::string &path_, std::uint64_t &size_);

// A path of the program's own texts as the file system wants it: on POSIX
// the Windows separators are turned round.
std::string nativePath(const std::string &fileName_);

#endif
