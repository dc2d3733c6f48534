#ifndef RIGSCAN_RESOLUTION_H
#define RIGSCAN_RESOLUTION_H

#include "Bitmask.h"
#include "units.h"

namespace KV_Rigscan {

// A pixel or texture format: bits per pixel, which channels it has, and the
// layout of each channel present.
class PixelFormat : public Datatype {
public:
    enum Flags : unsigned {
        Indexed = 1,
        Alpha = 2,
        Depth = 4,
        RGB = 8,
        YUV = 16,
        Stencil = 32,
        FourCC = 64,
    };
    enum Channel { IndexMask, AlphaMask, ZMask, StencilMask, RedMask, GreenMask, BlueMask, YMask, UMask, VMask, ChannelCount };

    PixelFormat();

    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;
    virtual void reset() { clear(); }
    virtual void clear();

    unsigned bitCount = 0;
    unsigned flags = 0;
    BitMask masks[ChannelCount];
    unsigned fourCC = 0;
};

// A display mode: width, height, refresh rate and the pixel format.
class Resolution : public PixelFormat {
public:
    Resolution();

    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;
    void reset() override { clear(); }
    void clear() override;

    unsigned width = 0;
    unsigned height = 0;
    Frequency refresh;
};

} // namespace KV_Rigscan

#endif
