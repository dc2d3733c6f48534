#ifndef KVS_STREAMSUB_H
#define KVS_STREAMSUB_H

#include "kvs_stream.h"

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

#define KVS_X(T) void readStr(T *string_, unsigned units_ = 1) override;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    void skip(unsigned bytes_) override;

    unsigned getRemaining() const { return remaining; }

private:
    template <class T>
    void readTyped(T *string_, unsigned units_);

    KVS_streamInputBase *base;
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
