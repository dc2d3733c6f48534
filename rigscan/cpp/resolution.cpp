#include "resolution.h"

#include "textformat.h"

namespace KV_Rigscan {

namespace {

// Masks present on the stream, by flag, in their stream order.
struct FlaggedMasks {
    unsigned flag;
    PixelFormat::Channel first;
    int count;
};
const FlaggedMasks streamOrder[] = {
    {PixelFormat::Indexed, PixelFormat::IndexMask, 1},
    {PixelFormat::Alpha, PixelFormat::AlphaMask, 1},
    {PixelFormat::Depth, PixelFormat::ZMask, 1},
    {PixelFormat::Stencil, PixelFormat::StencilMask, 1},
    {PixelFormat::RGB, PixelFormat::RedMask, 3},
    {PixelFormat::YUV, PixelFormat::YMask, 3},
};

} // namespace

PixelFormat::PixelFormat()
{
    clear();
}

void PixelFormat::clear()
{
    bitCount = 0;
    flags = 0;
    for (BitMask &mask : masks)
        mask.clear();
    fourCC = 0;
}

void PixelFormat::write(KVS_streamOutputBase &out_) const
{
    out_ << bitCount << flags;
    for (const FlaggedMasks &group : streamOrder)
        if (flags & group.flag)
            for (int i = 0; i < group.count; ++i)
                masks[group.first + i].write(out_);
    if (flags & FourCC)
        out_ << fourCC;
}

void PixelFormat::read(KVS_streamInputBase &in_)
{
    PixelFormat::clear();
    in_ >> bitCount >> flags;
    for (const FlaggedMasks &group : streamOrder)
        if (flags & group.flag)
            for (int i = 0; i < group.count; ++i)
                masks[group.first + i].read(in_);
    if (flags & FourCC)
        in_ >> fourCC;
}

std::string PixelFormat::toString() const
{
    std::string d, n;
    auto bits = [this](Channel c) { return masks[c].getBits(); };
    if (bitCount != 0) {
        Text::appendI32(d, bitCount);
        d += "-bit ";
    }
    if (flags & Indexed)
        d += "Indexed(";
    if (flags & FourCC) {
        d += "FourCC";
        // The code is a C text of at most four characters: it ends at its first zero byte.
        for (int i = 0; i < 4; ++i) {
            const char c = static_cast<char>(fourCC >> (8 * i));
            if (c == '\0')
                break;
            n.push_back(c);
        }
    }
    if (flags & Alpha) {
        d += "A";
        Text::appendI32(n, bits(AlphaMask));
    }
    if (flags & Stencil) {
        d += "S";
        Text::appendI32(n, bits(StencilMask));
    }
    if (flags & Depth) {
        d += "Z";
        Text::appendI32(n, bits(ZMask));
    }
    if (flags & RGB) {
        d += "RGB";
        for (Channel c : {RedMask, GreenMask, BlueMask})
            Text::appendI32(n, bits(c));
    }
    if (flags & YUV) {
        d += "YUV";
        for (Channel c : {YMask, UMask, VMask})
            Text::appendI32(n, bits(c));
    }
    if (flags & Indexed)
        d += ")";
    if (n.find_first_not_of('0') != std::string::npos)
        d += " [" + n + "]";
    return d;
}

Resolution::Resolution()
{
    clear();
}

void Resolution::clear()
{
    width = height = 0;
    refresh.set(0, 0);
    refresh.setLabel("Refresh Rate");
    PixelFormat::clear();
}

void Resolution::write(KVS_streamOutputBase &out_) const
{
    out_ << width << height;
    refresh.write(out_);
    PixelFormat::write(out_);
}

void Resolution::read(KVS_streamInputBase &in_)
{
    clear();
    in_ >> width >> height;
    refresh.read(in_);
    PixelFormat::read(in_);
}

std::string Resolution::toString() const
{
    std::string s;
    Text::appendI32(s, width);
    s.push_back('x');
    Text::appendI32(s, height);
    s.push_back('x');
    s += PixelFormat::toString();
    if (refresh.getLow() != 0)
        s += " @ " + refresh.toString();
    return s;
}

} // namespace KV_Rigscan
