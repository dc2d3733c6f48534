#ifndef KVS_STREAMMEMORY_H
#define KVS_STREAMMEMORY_H

#include <cstdint>

#include "kvs_stream.h"

// Reads from a block the caller owns and keeps alive.
class KVS_streamInputMemory : public KVS_streamInputBase {
public:
    KVS_streamInputMemory(const void *data_, unsigned size_);
    ~KVS_streamInputMemory() override;

    bool close() override;
    bool open() override;

    // The raw copy behind the typed reads.
    void readStr(void *string_, unsigned chars_);
#define KVS_X(T) void readStr(T *string_, unsigned units_ = 1) override;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    void skip(unsigned bytes_) override;
    bool readUntilZero(std::string &string_, std::uint64_t limit_) override;

    unsigned getRemaining() const { return remaining; }

private:
    template <class T>
    void readTyped(T *string_, unsigned units_);
    const unsigned char *take(const void *target_, std::uint64_t bytes_);

    unsigned openCount;
    const unsigned char *cursor;
    unsigned remaining;
};

// Writes into a buffer of fixed size that never grows.
class KVS_streamOutputMemory : public KVS_streamOutputBase {
public:
    explicit KVS_streamOutputMemory(unsigned size_);
    ~KVS_streamOutputMemory() override;
    KVS_streamOutputMemory(const KVS_streamOutputMemory &) = delete;
    KVS_streamOutputMemory &operator=(const KVS_streamOutputMemory &) = delete;

    bool close() override;
    bool open() override;

    void writeStr(const void *string_, unsigned chars_);
#define KVS_X(T) void writeStr(const T *string_, unsigned units_) override;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    unsigned char *getBuffer() const { return buffer; }
    // Bytes written so far, from the start of the buffer.
    unsigned getLength() const { return static_cast<unsigned>(cursor - buffer); }
    unsigned getRemaining() const { return remaining; }

private:
    template <class T>
    void writeTyped(const T *string_, unsigned units_);
    unsigned char *reserve(const void *source_, std::uint64_t bytes_);

    unsigned openCount;
    unsigned char *buffer;
    unsigned char *cursor;
    unsigned remaining;
    bool ownsBuffer;
};

#endif
