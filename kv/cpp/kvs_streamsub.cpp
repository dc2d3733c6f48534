#include "kvs_streamsub.h"

#include <cstdint>
#include <typeinfo>

#include "kvs_byteorder.h"
#include "kvs_streammemory.h"

namespace {
const char *const subContext = "KVS_streamInputSub";
const char *const subRead = "readStr(T *string_, unsigned units_=1)";
const char *const subSkip = "skip(unsigned bytes_)";
} // namespace

KVS_streamInputSub::KVS_streamInputSub(KVS_streamInputBase *base_, unsigned bound_)
    : base(base_), openCount(1), remaining(bound_)
{
    if (!base_)
        throw KVS_exceptionZeroPointer(subContext, "KVS_streamInputSub(KVS_streamInputBase *base_, unsigned bound_)");
    if (typeid(*base_) == typeid(KVS_streamInputMemory))
        memoryBase = static_cast<KVS_streamInputMemory *>(base_);
}

KVS_streamInputSub::~KVS_streamInputSub()
{
    close();
}

bool KVS_streamInputSub::open()
{
    return KVS_openCount(openCount);
}

bool KVS_streamInputSub::close()
{
    if (KVS_closeCount(openCount)) {
        const unsigned rest = remaining;
        remaining = 0;
        try {
            if (rest)
                base->skip(rest);
        } catch (...) {
            // Closing never throws: a base shorter than the bound is simply at its end.
        }
    }
    return openCount != 0;
}

template <class T>
void KVS_streamInputSub::readTyped(T *string_, unsigned units_)
{
    if (!string_)
        throw KVS_exceptionZeroPointer(subContext, subRead);
    constexpr unsigned size = KVS_wireSize<T>();
    const std::uint64_t bytes = std::uint64_t(units_) * size;
    if (bytes <= remaining) {
        remaining -= static_cast<unsigned>(bytes);
        if (memoryBase)
            memoryBase->KVS_streamInputMemory::readStr(string_, units_);
        else
            base->readStr(string_, units_);
        return;
    }
    // Take the whole units that still fit, then report how many.
    const unsigned fit = remaining / size;
    if (fit)
        base->readStr(string_, fit);
    remaining -= fit * size;
    throw KVS_exceptionStreamUnderflow(fit, subContext, subRead);
}

#define KVS_X(T)                                                                                   \
    void KVS_streamInputSub::readStr(T *string_, unsigned units_)                                 \
    {                                                                                              \
        readTyped(string_, units_);                                                                \
    }
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

// The header's operators call these; an optimiser that inlines every use
// here would otherwise leave them without a definition of their own.
#define KVS_X(T) template void KVS_streamInputSub::readTyped<T>(T *, unsigned);
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

bool KVS_streamInputSub::readUntilZero(std::string &string_, std::uint64_t limit_)
{
    const unsigned span = limit_ < remaining ? static_cast<unsigned>(limit_) : remaining;
    const std::size_t before = string_.size();
    bool found = false;
    try {
        found = base->readUntilZero(string_, span);
    } catch (...) {
        // The char the base could not give was counted before it was asked for.
        const std::size_t asked = string_.size() - before + 1;
        remaining -= asked < span ? static_cast<unsigned>(asked) : span;
        throw;
    }
    remaining -= static_cast<unsigned>(string_.size() - before) + (found ? 1 : 0);
    if (!found && limit_ > span)
        throw KVS_exceptionStreamUnderflow(0, subContext, subRead);
    return found;
}

void KVS_streamInputSub::skip(unsigned bytes_)
{
    if (bytes_ <= remaining) {
        remaining -= bytes_;
        base->skip(bytes_);
        return;
    }
    const unsigned rest = remaining;
    remaining = 0;
    base->skip(rest);
    throw KVS_exceptionStreamUnderflow(rest, subContext, subSkip);
}

KVS_streamOutputCounter::~KVS_streamOutputCounter()
{
    close();
}

bool KVS_streamOutputCounter::open()
{
    return KVS_openCount(openCount);
}

bool KVS_streamOutputCounter::close()
{
    if (KVS_closeCount(openCount))
        size = 0;
    return openCount != 0;
}

void KVS_streamOutputCounter::add(unsigned long long bytes_)
{
    // A size that no longer fits 32 bits cannot be a chunk length.
    if (bytes_ > 0xFFFFFFFFull - size)
        throw KVS_exceptionStreamOverflow(0, "KVS_streamOutputCounter", "writeStr(const T *string_, unsigned units_)");
    size += static_cast<unsigned>(bytes_);
}

#define KVS_X(T)                                                                                   \
    void KVS_streamOutputCounter::writeStr(const T *, unsigned units_)                            \
    {                                                                                              \
        add(static_cast<unsigned long long>(units_) * KVS_wireSize<T>());                          \
    }
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X
