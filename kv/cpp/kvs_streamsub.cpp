#include "kvs_streamsub.h"

#include <cstdint>

#include "kvs_byteorder.h"

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
