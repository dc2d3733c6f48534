#include "kvs_streammemory.h"

#include <cstring>
#include <new>

#include "kvs_byteorder.h"

namespace {
const char *const inputContext = "KVS_streamInputMemory";
const char *const inputRead = "readStr(void*, unsigned chars_)";
const char *const inputSkip = "skip(unsigned bytes_)";
const char *const outputContext = "KVS_streamOutputMemory";
const char *const outputWrite = "writeStr(const void*, unsigned chars_)";
const char *const outputCtor = "KVS_streamOutputMemory(unsigned size_)";
} // namespace

KVS_streamInputMemory::KVS_streamInputMemory(const void *data_, unsigned size_)
    : openCount(1), cursor(static_cast<const unsigned char *>(data_)), remaining(size_)
{
    if (!data_ && size_ != 0)
        throw KVS_exceptionZeroPointer(inputContext, "KVS_streamInputMemory(const void *data_, unsigned size_)");
}

KVS_streamInputMemory::~KVS_streamInputMemory()
{
    close();
}

bool KVS_streamInputMemory::open()
{
    return KVS_openCount(openCount);
}

bool KVS_streamInputMemory::close()
{
    if (KVS_closeCount(openCount)) {
        cursor = nullptr;
        remaining = 0;
    }
    return openCount != 0;
}

const unsigned char *KVS_streamInputMemory::take(const void *target_, std::uint64_t bytes_)
{
    if (!target_)
        throw KVS_exceptionZeroPointer(inputContext, inputRead);
    if (bytes_ > remaining)
        throw KVS_exceptionStreamUnderflow(0, inputContext, inputRead);
    const unsigned char *at = cursor;
    cursor += bytes_;
    remaining -= static_cast<unsigned>(bytes_);
    return at;
}

void KVS_streamInputMemory::readStr(void *string_, unsigned chars_)
{
    const unsigned char *at = take(string_, chars_);
    if (chars_)
        std::memcpy(string_, at, chars_);
}

template <class T>
void KVS_streamInputMemory::readTyped(T *string_, unsigned units_)
{
    constexpr unsigned size = KVS_wireSize<T>();
    const unsigned char *at = take(string_, std::uint64_t(units_) * size);
    for (unsigned i = 0; i < units_; ++i)
        string_[i] = KVS_decodeLE<T>(at + std::size_t(i) * size);
}

#define KVS_X(T)                                                                                   \
    void KVS_streamInputMemory::readStr(T *string_, unsigned units_)                              \
    {                                                                                              \
        readTyped(string_, units_);                                                                \
    }
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

bool KVS_streamInputMemory::readUntilZero(std::string &string_, std::uint64_t limit_)
{
    const unsigned span = limit_ < remaining ? static_cast<unsigned>(limit_) : remaining;
    const void *zero = span ? std::memchr(cursor, 0, span) : nullptr;
    const unsigned chars = zero ? static_cast<unsigned>(static_cast<const unsigned char *>(zero) - cursor) : span;
    if (chars)
        string_.append(reinterpret_cast<const char *>(cursor), chars);
    const unsigned taken = zero ? chars + 1 : chars;
    cursor += taken;
    remaining -= taken;
    if (zero)
        return true;
    if (limit_ > span)
        throw KVS_exceptionStreamUnderflow(0, inputContext, inputRead);
    return false;
}

void KVS_streamInputMemory::skip(unsigned bytes_)
{
    if (bytes_ > remaining) {
        const unsigned left = remaining;
        if (cursor)
            cursor += remaining;
        remaining = 0;
        throw KVS_exceptionStreamUnderflow(left, inputContext, inputSkip);
    }
    cursor += bytes_;
    remaining -= bytes_;
}

KVS_streamOutputMemory::KVS_streamOutputMemory(unsigned size_)
    : openCount(1), buffer(new (std::nothrow) unsigned char[size_ ? size_ : 1]), cursor(buffer),
      remaining(size_), ownsBuffer(true)
{
    if (!buffer)
        throw KVS_exceptionMemAllocation(size_, outputContext, outputCtor);
}

KVS_streamOutputMemory::~KVS_streamOutputMemory()
{
    close();
}

bool KVS_streamOutputMemory::open()
{
    return KVS_openCount(openCount);
}

bool KVS_streamOutputMemory::close()
{
    if (KVS_closeCount(openCount)) {
        if (ownsBuffer)
            delete[] buffer;
        buffer = cursor = nullptr;
        remaining = 0;
        ownsBuffer = false;
    }
    return openCount != 0;
}

unsigned char *KVS_streamOutputMemory::reserve(const void *source_, std::uint64_t bytes_)
{
    if (!source_)
        throw KVS_exceptionZeroPointer(outputContext, outputWrite);
    if (bytes_ > remaining)
        throw KVS_exceptionStreamOverflow(0, outputContext, outputWrite);
    unsigned char *at = cursor;
    cursor += bytes_;
    remaining -= static_cast<unsigned>(bytes_);
    return at;
}

void KVS_streamOutputMemory::writeStr(const void *string_, unsigned chars_)
{
    unsigned char *at = reserve(string_, chars_);
    if (chars_)
        std::memcpy(at, string_, chars_);
}

template <class T>
void KVS_streamOutputMemory::writeTyped(const T *string_, unsigned units_)
{
    constexpr unsigned size = KVS_wireSize<T>();
    unsigned char *at = reserve(string_, std::uint64_t(units_) * size);
    for (unsigned i = 0; i < units_; ++i)
        KVS_encodeLE<T>(string_[i], at + std::size_t(i) * size);
}

#define KVS_X(T)                                                                                   \
    void KVS_streamOutputMemory::writeStr(const T *string_, unsigned units_)                      \
    {                                                                                              \
        writeTyped(string_, units_);                                                               \
    }
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X
