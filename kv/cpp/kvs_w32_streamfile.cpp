// Positions and sizes must be 64-bit also where off_t defaults to 32.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include "kvs_w32_streamfile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kvs_byteorder.h"

namespace {
const char *const fileContext = "KVS_W32streamInputFile";
const char *const fileOpen = "open(const char *fileName_)";
const char *const fileRead = "readStr(void*, unsigned chars_)";
const char *const fileSkip = "skip(unsigned chars_)";

// Underflow counts are 32-bit; a read of more than that can only report the most.
unsigned countOf(std::uint64_t bytes_)
{
    return bytes_ > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max()
                                                          : static_cast<unsigned>(bytes_);
}

// Opens a regular file for reading, or gives -1. Opened without blocking so a
// FIFO or device of that name cannot hang the caller before it is rejected.
int openRegularFile(const char *fileName_)
{
    if (!fileName_)
        return -1;
    int fd;
    do
        fd = ::open(fileName_, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return fd;
}
} // namespace

KVS_exceptionReconstruct::KVS_exceptionReconstruct(const char *context_, const char *function_)
    : KVS_exceptionBase(context_, function_, KVS_messageText(KVS_msgMultipleReferences))
{
}

KVS_W32streamInputFile::KVS_W32streamInputFile(const char *fileName_) : openCount(0), handle(-1)
{
    open(fileName_);
    --openCount;
}

KVS_W32streamInputFile::~KVS_W32streamInputFile()
{
    close();
    // References still held elsewhere die with the object; the descriptor must not.
    releaseHandle();
}

void KVS_W32streamInputFile::releaseHandle()
{
    if (handle >= 0) {
        ::close(handle);
        handle = -1;
    }
    blockPos = blockEnd = 0;
}

bool KVS_W32streamInputFile::open()
{
    return KVS_openCount(openCount);
}

bool KVS_W32streamInputFile::close()
{
    if (KVS_closeCount(openCount))
        releaseHandle();
    return openCount != 0;
}

void KVS_W32streamInputFile::closeFile()
{
    close();
}

void KVS_W32streamInputFile::open(const char *fileName_)
{
    if (close()) {
        open();
        throw KVS_exceptionReconstruct(fileContext, fileOpen);
    }
    ++openCount;
    const int fd = openRegularFile(fileName_);
    if (fd < 0) {
        close();
        throw KVS_exceptionStreamFile(fileContext, fileOpen, KVS_messageText(KVS_msgFileOpenRead));
    }
    handle = fd;
    ++openCount;
}

std::uint64_t KVS_W32streamInputFile::readRaw(unsigned char *buffer_, std::uint64_t bytes_)
{
    constexpr std::size_t blockSize = 64 * 1024;
    std::uint64_t done = 0;
    while (done < bytes_) {
        if (blockPos == blockEnd) {
            // Large reads go straight to the caller's memory.
            if (bytes_ - done >= blockSize)
                return done + readFile(buffer_ + done, bytes_ - done);
            if (!block)
                block.reset(new unsigned char[blockSize]);
            blockPos = 0;
            blockEnd = static_cast<std::size_t>(readFile(block.get(), blockSize));
            if (blockEnd == 0)
                break;
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(bytes_ - done, blockEnd - blockPos));
        std::memcpy(buffer_ + done, block.get() + blockPos, take);
        blockPos += take;
        done += take;
    }
    return done;
}

std::uint64_t KVS_W32streamInputFile::readFile(unsigned char *buffer_, std::uint64_t bytes_)
{
    // One read() may return less than asked without being at the end.
    constexpr std::uint64_t step = 1u << 30;
    std::uint64_t done = 0;
    while (done < bytes_) {
        const ssize_t got = ::read(handle, buffer_ + done, static_cast<std::size_t>(std::min(bytes_ - done, step)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::uint64_t>(got);
    }
    return done;
}

void KVS_W32streamInputFile::readStr(void *string_, unsigned chars_)
{
    if (handle < 0)
        throw KVS_exceptionStreamFile(fileContext, fileRead, KVS_messageText(KVS_msgFileNotOpen));
    if (!string_)
        throw KVS_exceptionZeroPointer(fileContext, fileRead);
    const std::uint64_t got = readRaw(static_cast<unsigned char *>(string_), chars_);
    if (got != chars_)
        throw KVS_exceptionStreamUnderflow(countOf(got), fileContext, fileRead);
}

template <class T>
void KVS_W32streamInputFile::readTyped(T *string_, unsigned units_)
{
    if (handle < 0)
        throw KVS_exceptionStreamFile(fileContext, fileRead, KVS_messageText(KVS_msgFileNotOpen));
    if (!string_)
        throw KVS_exceptionZeroPointer(fileContext, fileRead);
    constexpr unsigned size = KVS_wireSize<T>();
    const std::uint64_t bytes = std::uint64_t(units_) * size;

    if constexpr (size == sizeof(T) && (size == 1 || std::endian::native == std::endian::little)) {
        // The wire bytes are already the value's bytes.
        const std::uint64_t got = readRaw(reinterpret_cast<unsigned char *>(string_), bytes);
        if (got != bytes)
            throw KVS_exceptionStreamUnderflow(countOf(got), fileContext, fileRead);
    } else {
        // Decoded through a small buffer; a multiple of every wire size.
        unsigned char buffer[4096];
        std::uint64_t done = 0;
        while (done < bytes) {
            const std::uint64_t want = std::min<std::uint64_t>(bytes - done, sizeof buffer);
            const std::uint64_t got = readRaw(buffer, want);
            const std::uint64_t first = done / size;
            const std::uint64_t whole = got / size;
            for (std::uint64_t i = 0; i < whole; ++i)
                string_[first + i] = KVS_decodeLE<T>(buffer + i * size);
            done += got;
            if (got != want) {
                // The bytes of a cut-off unit stay as they came, like a raw read.
                if (got % size)
                    std::memcpy(&string_[first + whole], buffer + whole * size, got % size);
                throw KVS_exceptionStreamUnderflow(countOf(done), fileContext, fileRead);
            }
        }
    }
}

#define KVS_X(T)                                                                                   \
    void KVS_W32streamInputFile::readStr(T *string_, unsigned units_)                             \
    {                                                                                              \
        readTyped(string_, units_);                                                                \
    }
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

void KVS_W32streamInputFile::skip(unsigned chars_)
{
    if (handle < 0)
        throw KVS_exceptionStreamFile(fileContext, fileSkip, KVS_messageText(KVS_msgFileNotOpen));
    // Bytes already read ahead are passed over first.
    const std::size_t ahead = blockEnd - blockPos;
    if (chars_ <= ahead) {
        blockPos += chars_;
        return;
    }
    chars_ -= static_cast<unsigned>(ahead);
    blockPos = blockEnd = 0;
    const off_t start = ::lseek(handle, 0, SEEK_CUR);
    struct stat st;
    if (start < 0 || ::fstat(handle, &st) != 0)
        throw KVS_exceptionStreamUnderflow(countOf(ahead), fileContext, fileSkip);
    const std::uint64_t position = static_cast<std::uint64_t>(start);
    const std::uint64_t size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    const std::uint64_t target = position + chars_;
    if (target > size) {
        ::lseek(handle, 0, SEEK_END);
        throw KVS_exceptionStreamUnderflow(countOf(ahead + (size > position ? size - position : 0)), fileContext,
                                           fileSkip);
    }
    if (::lseek(handle, static_cast<off_t>(chars_), SEEK_CUR) < 0) {
        const off_t now = ::lseek(handle, 0, SEEK_CUR);
        const std::uint64_t moved = now > start ? static_cast<std::uint64_t>(now - start) : 0;
        throw KVS_exceptionStreamUnderflow(countOf(ahead + moved), fileContext, fileSkip);
    }
}
