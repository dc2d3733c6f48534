#ifndef KVS_STREAMSUB_H
#define KVS_STREAMSUB_H

#include "kvs_stream.h"

class KVS_streamInputMemory;

// Limits reading from another stream to a bound, one chunk of it. Releasing
// the sub-stream skips what the bound still holds, so the base is left at the
// end of the chunk.
class KVS_streamInputSub : public KVS_streamInputBase {
public:
    KVS_streamInputSub(KVS_streamInputBase *base_, unsigned bound_);
    ~KVS_streamInputSub() override;
    KVS_streamInputSub(const KVS_streamInputSub &) = delete;
    KVS_streamInputSub &operator=(const KVS_streamInputSub &) = delete;

    bool close() override;
    bool open() override;

    using KVS_streamInputBase::operator>>;
#define KVS_X(T)                                                                                   \
    KVS_streamInputBase &operator>>(T &value_) override                                           \
    {                                                                                              \
        readTyped(&value_, 1);                                                                     \
        return *this;                                                                              \
    }
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

#define KVS_X(T) void readStr(T *string_, unsigned units_ = 1) override;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    void skip(unsigned bytes_) override;
    bool readUntilZero(std::string &string_, std::uint64_t limit_) override;

    unsigned getRemaining() const { return remaining; }

private:
    template <class T>
    void readTyped(T *string_, unsigned units_);

    KVS_streamInputBase *base;
    // The base when it is a plain memory stream, read without a virtual
    // call: a model's thousands of values come through here.
    KVS_streamInputMemory *memoryBase = nullptr;
    unsigned openCount;
    unsigned remaining;
};

// Counts the bytes written and stores nothing, so data can be sized first.
class KVS_streamOutputCounter : public KVS_streamOutputBase {
public:
    KVS_streamOutputCounter() : openCount(0), size(0) {}
    ~KVS_streamOutputCounter() override;

    bool close() override;
    bool open() override;

#define KVS_X(T) void writeStr(const T *string_, unsigned units_) override;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    unsigned getSize() const { return size; }

private:
    void add(unsigned long long bytes_);

    unsigned openCount;
    unsigned size;
};

#endif
