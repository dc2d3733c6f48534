#include "Bitmask.h"

namespace KV_Rigscan {

BitMask::BitMask()
{
    reset();
}

void BitMask::reset()
{
    setLabel("Bit mask");
    shift = bits = 0;
}

void BitMask::write(KVS_streamOutputBase &out_) const
{
    out_ << shift << bits;
}

void BitMask::read(KVS_streamInputBase &in_)
{
    shift = bits = 0;
    in_ >> shift >> bits;
}

} // namespace KV_Rigscan
