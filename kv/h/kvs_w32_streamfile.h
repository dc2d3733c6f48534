#ifndef KVS_W32_STREAMFILE_H
#define KVS_W32_STREAMFILE_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "kvs_stream.h"

class KVS_exceptionStreamFile : public KVS_exceptionStream {
public:
    KVS_exceptionStreamFile(const char *context_, const char *function_, const char *message_)
        : KVS_exceptionStream(context_, function_, message_)
    {
    }
};

// Thrown when an object still referenced elsewhere would have to be rebuilt.
class KVS_exceptionReconstruct : public KVS_exceptionBase {
public:
    KVS_exceptionReconstruct(const char *context_, const char *function_);
};

// An input stream that can be (re)opened on a named file.
class KVS_streamInputFileBase : public KVS_streamInputBase {
public:
    using KVS_streamInputBase::open;
    virtual void open(const char *fileName_) = 0;
    virtual void closeFile() = 0;
};

// Reads a file of the file system, scalars little-endian. Built on an
// existing file it holds one reference (open count 1); open() adds more and
// close() takes one away, the last one closing the file.
//
// Every failure is an exception with the context "KVS_W32streamInputFile":
// KVS_exceptionStreamFile "Unable to open file for reading" (missing,
// unreadable or not a regular file) or "File not open" (read or skip after
// release), KVS_exceptionReconstruct when another file is opened while the
// stream has more than one reference, KVS_exceptionStreamUnderflow with the
// number of bytes still obtained when a read or skip passes the end.
// Positions and sizes are 64-bit, so files beyond 4 GiB are read correctly.
class KVS_W32streamInputFile : public KVS_streamInputFileBase {
public:
    explicit KVS_W32streamInputFile(const char *fileName_);
    ~KVS_W32streamInputFile() override;
    KVS_W32streamInputFile(const KVS_W32streamInputFile &) = delete;
    KVS_W32streamInputFile &operator=(const KVS_W32streamInputFile &) = delete;

    bool close() override;
    bool open() override;

    // The raw read behind the typed reads. A short read leaves the bytes
    // obtained in the buffer and the position after them.
    void readStr(void *string_, unsigned chars_);
#define KVS_X(T) void readStr(T *string_, unsigned units_ = 1) override;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    // Moving exactly to the end is allowed; past it the position ends up at
    // the end and the underflow counts the bytes that were left.
    void skip(unsigned chars_) override;

    // Closes the current file and opens another; only with a single reference.
    void open(const char *fileName_) override;
    void closeFile() override;

    unsigned getOpenCount() const { return openCount; }
    bool isFileOpen() const { return handle >= 0; }

private:
    template <class T>
    void readTyped(T *string_, unsigned units_);
    // Reads up to bytes_; returns the number read (less only at the end or on an error).
    std::uint64_t readRaw(unsigned char *buffer_, std::uint64_t bytes_);
    std::uint64_t readFile(unsigned char *buffer_, std::uint64_t bytes_);
    void releaseHandle();

    unsigned openCount;
    int handle; // -1 when no file is open
    // Values are read a few bytes at a time: the file is read in blocks.
    // The block is made once per stream and never cleared: every byte used
    // has been read into it first.
    std::unique_ptr<unsigned char[]> block;
    std::size_t blockPos = 0;
    std::size_t blockEnd = 0;
};

#endif
