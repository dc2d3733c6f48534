#ifndef RIGSCAN_BITMASK_H
#define RIGSCAN_BITMASK_H

#include "datatype.h"

namespace KV_Rigscan {

// One colour or depth channel of a pixel format: zero bits below the
// channel, and the channel's width in bits.
class BitMask : public Datatype {
public:
    BitMask();

    void reset();
    std::string toString() const override { return std::string(); }
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(unsigned shift_, unsigned bits_)
    {
        shift = shift_;
        bits = bits_;
    }
    void clear() { shift = bits = 0; }
    unsigned getShift() const { return shift; }
    unsigned getBits() const { return bits; }

private:
    unsigned shift = 0;
    unsigned bits = 0;
};

} // namespace KV_Rigscan

#endif
