#ifndef RIGSCAN_UNITS_H
#define RIGSCAN_UNITS_H

#include <cstdint>

#include "datatype.h"

namespace KV_Rigscan {

// "512  bytes", "1.50 KB", "2 KHz": the value stepped down by 1024 per unit.
std::string unitLadderText(std::uint64_t value_, const char *const (&units_)[7]);

// A 64-bit byte count held as two 32-bit words, low word first.
class Capacity : public Datatype {
public:
    Capacity();
    Capacity(unsigned low_, unsigned high_);

    void reset();
    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(unsigned low_, unsigned high_)
    {
        low = low_;
        high = high_;
    }
    void set64(std::uint64_t value_);
    std::uint64_t get64() const { return (std::uint64_t(high) << 32) | low; }
    unsigned getLow() const { return low; }
    unsigned getHigh() const { return high; }

private:
    unsigned low = 0;
    unsigned high = 0;
};

// A clock or refresh rate in Hz, stepping by 1024 like the byte counts.
class Frequency : public Datatype {
public:
    Frequency() = default;

    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(unsigned low_, unsigned high_)
    {
        low = low_;
        high = high_;
    }
    void set64(std::uint64_t value_);
    std::uint64_t get64() const { return (std::uint64_t(high) << 32) | low; }
    unsigned getLow() const { return low; }
    unsigned getHigh() const { return high; }

private:
    unsigned low = 0;
    unsigned high = 0;
};

} // namespace KV_Rigscan

#endif
