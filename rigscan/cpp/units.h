#ifndef RIGSCAN_UNITS_H
#define RIGSCAN_UNITS_H

#include <cstdint>

#include "datatype.h"

namespace KV_Rigscan {

// "512  bytes", "1.50 KB", "2 KHz": the value stepped down by 1024 per unit.
std::string unitLadderText(std::uint64_t value_, const char *const (&units_)[7]);

// A 64-bit quantity held as two 32-bit words, low word first, as it is
// streamed.
class WordPair : public Datatype {
public:
    void write(KVS_streamOutputBase &out_) const override;

    void set(unsigned low_, unsigned high_)
    {
        low = low_;
        high = high_;
    }
    void set64(std::uint64_t value_)
    {
        low = static_cast<unsigned>(value_);
        high = static_cast<unsigned>(value_ >> 32);
    }
    std::uint64_t get64() const { return (std::uint64_t(high) << 32) | low; }
    unsigned getLow() const { return low; }
    unsigned getHigh() const { return high; }

protected:
    unsigned low = 0;
    unsigned high = 0;
};

// A byte count.
class Capacity : public WordPair {
public:
    Capacity();
    Capacity(unsigned low_, unsigned high_);

    void reset();
    std::string toString() const override;
    // Read over the current value, as it comes.
    void read(KVS_streamInputBase &in_) override;
};

// A clock or refresh rate in Hz, stepping by 1024 like the byte counts.
class Frequency : public WordPair {
public:
    std::string toString() const override;
    // Cleared first, so a short read leaves no part of the old value.
    void read(KVS_streamInputBase &in_) override;
};

} // namespace KV_Rigscan

#endif
