#ifndef KVS_STREAM_H
#define KVS_STREAM_H

#include <cstdint>
#include <string>

#include "kvs_exception.h"

// The ten scalar types of the streams, in their declared order.
#define KVS_STREAM_SCALARS(X)                                                                      \
    X(char)                                                                                        \
    X(unsigned char)                                                                               \
    X(short)                                                                                       \
    X(unsigned short)                                                                              \
    X(int)                                                                                         \
    X(unsigned)                                                                                    \
    X(long)                                                                                        \
    X(unsigned long)                                                                               \
    X(float)                                                                                       \
    X(double)

class KVS_streamInputBase {
public:
    virtual ~KVS_streamInputBase() = default;
    virtual bool close() = 0;
    virtual bool open() = 0;

#define KVS_X(T)                                                                                   \
    virtual KVS_streamInputBase &operator>>(T &value_)                                            \
    {                                                                                              \
        readStr(&value_, 1);                                                                       \
        return *this;                                                                              \
    }
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    // Reads up to and including a 0 byte; the 0 is not stored.
    virtual KVS_streamInputBase &operator>>(std::string &string_);

    // Appends the bytes before the first 0 among the next limit_ bytes and
    // takes them and the 0: true. Without a 0 among them all limit_ are
    // taken: false. A stream that ends first takes what it has and raises
    // what a read of one more char would. The default reads char by char;
    // streams over memory find the 0 in one go.
    virtual bool readUntilZero(std::string &string_, std::uint64_t limit_);

#define KVS_X(T) virtual void readStr(T *string_, unsigned units_ = 1) = 0;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    virtual void skip(unsigned bytes_) = 0;

    template <class Filter>
    typename Filter::StreamInput applyFilter(const Filter &filter_)
    {
        return typename Filter::StreamInput(this, filter_);
    }
};

class KVS_streamOutputBase {
public:
    virtual ~KVS_streamOutputBase() = default;
    virtual bool close() = 0;
    virtual bool open() = 0;

#define KVS_X(T)                                                                                   \
    virtual KVS_streamOutputBase &operator<<(T value_)                                            \
    {                                                                                              \
        T copy = value_;                                                                           \
        writeStr(&copy, 1);                                                                        \
        return *this;                                                                              \
    }
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    // Writes the characters and the terminating 0 byte.
    virtual KVS_streamOutputBase &operator<<(const char *string_);

#define KVS_X(T) virtual void writeStr(const T *string_, unsigned units_) = 0;
    KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    template <class Filter>
    typename Filter::StreamOutput applyFilter(const Filter &filter_)
    {
        return typename Filter::StreamOutput(this, filter_);
    }
};

// The open-count rule shared by every stream: built over data a stream is 1,
// open() turns 1 into 3 and otherwise adds 1 (a closed stream stays closed),
// close() takes 1 and releases below 2.
inline bool KVS_openCount(unsigned &count_)
{
    if (count_ == 0)
        return false;
    count_ = count_ == 1 ? 3 : count_ + 1;
    return true;
}

// Returns true when the caller must release its data now.
inline bool KVS_closeCount(unsigned &count_)
{
    if (count_ == 0)
        return false;
    --count_;
    if (count_ < 2) {
        count_ = 0;
        return true;
    }
    return false;
}

#endif
