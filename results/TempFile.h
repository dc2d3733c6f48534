#ifndef RESULTS_TEMPFILE_H
#define RESULTS_TEMPFILE_H

#include <cstddef>
#include <string>
#include <utility>

#include "Exception.h"

// Creating a temporary file failed. Message is "Unable to get tmp-directory"
// when the folder is unusable, "Unable to get temporary file" when no file
// could be made in it.
class TempFileError : public Exception {
public:
    enum class Step { Folder, File };
    TempFileError(Step step_, std::string message_) : Exception(std::move(message_)), step(step_) {}
    Step step;
};

// A temporary file that exists exactly as long as this object.
//
// The constructor creates a new, empty, uniquely named file
// "<folder>/<prefix>XXXXXX.tmp" (readable and writable by the user only) and
// keeps it open; the destructor closes and deletes it on every path, also
// while an exception unwinds. The folder is $TMPDIR when set and not empty,
// else /tmp; a folder that is not an existing directory is an error (no
// silent fall-back to another place).
//
// Typical use:
//     TempFile file("scv");
//     if (!file.writeAll(data, size)) ... ;   // a short write is a failure
//     readSomething(file.path());
//
// Others may open path() themselves (for text streams, say) while the object
// lives. Not copyable; movable, the moved-from object owning nothing.
class TempFile {
public:
    // Throws TempFileError. The prefix must not contain '/'.
    explicit TempFile(const std::string &prefix_);
    ~TempFile();
    TempFile(TempFile &&other_) noexcept;
    TempFile &operator=(TempFile &&other_) noexcept;
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Full path of the file; empty after remove() or a move.
    const std::string &path() const { return filePath; }

    // Replaces the file's content with exactly these bytes. False when any
    // byte could not be written (disk full, size limit, I/O error), when the
    // file is already removed, or when data_ is null with a size.
    bool writeAll(const void *data_, std::size_t size_);

    // Closes and deletes the file now; true when it is gone afterwards.
    bool remove() noexcept;

    // The folder new temporary files go to; throws TempFileError (Step::Folder).
    static std::string folder();

private:
    std::string filePath;
    int descriptor = -1;
};

#endif
