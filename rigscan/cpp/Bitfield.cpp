#include "Bitfield.h"

#include <algorithm>

namespace KV_Rigscan {

namespace {

const char *const capabilityNames[Hardware3DCaps::namedBits] = {
    "AGP Texturing",
    "Edge Antialiasing",
    "Geometric Hidden Surface Removal",
    "Hardware Transform and Lighting",
    "Positional Lights",
    "Subpixel Accurate Rasterizing",
    "Stencil Buffers",
    "Range Fog",
    "Table Fog",
    "Vertex Fog",
    "W-Fog",
    "Specular Gouraud Shading",
    "Specular Phong Shading",
    "Anisotropic Filtering",
    "Bilinear Filtering",
    "Cubic Filtering",
    "Point Sampling",
    "Trilinear Filtering",
    "Additive Texture Blending",
    "Dot3 Texture Blending",
    "Multiplicative Texture Blending",
    "Subtractive Texture Blending",
    "Environmental Bump Mapping",
    "Environmental Bump Mapping With Luminance",
    "Cube Mapping",
    "Transparent Texture Mapping",
    "Factor Alpha Blending",
    "Vertex Alpha Blending",
    "Texture Alpha Blending",
    "Texture Clamping",
    "Texture Mirroring",
    "Texture Wrapping",
    "8-bit Rendering",
    "16-bit Rendering",
    "24-bit Rendering",
    "32-bit Rendering",
    "8-bit Z-Buffers",
    "16-bit Z-Buffers",
    "24-bit Z-Buffers",
    "32-bit Z-Buffers",
    "Guard Band Support",
    "Rendering to a Window",
    "N Patches",
    "Quintic Bezier & B-spline Patches",
    "Rectangular and Triangular Patches",
    "Mipmap LOD Bias Adjustment",
    "W-Buffering",
    "Projected Textures",
    "Volume Textures",
    "Point Primitive Support",
    "Full-Screen Anti-Aliasing",
    "DXT Compressed Textures",
};

// The byte count of a field comes from the data; read it in bounded steps so
// that a huge claim costs no more memory than the bytes really present.
constexpr std::size_t readStep = 64 * 1024;

} // namespace

void BitField::resize(unsigned count_)
{
    count = count_;
    bytes.assign(byteCount(count_), 0);
}

bool BitField::getBit(unsigned bit_) const
{
    return bit_ < count && (bytes[bit_ / 8] >> (bit_ % 8)) & 1;
}

void BitField::setBit(unsigned bit_, bool on_)
{
    if (bit_ >= count)
        return;
    const unsigned char mask = static_cast<unsigned char>(1u << (bit_ % 8));
    if (on_)
        bytes[bit_ / 8] |= mask;
    else
        bytes[bit_ / 8] &= static_cast<unsigned char>(~mask);
}

const char *BitField::getBitName(unsigned) const
{
    return "";
}

void BitField::write(KVS_streamOutputBase &out_) const
{
    out_ << count;
    if (!bytes.empty())
        out_.writeStr(bytes.data(), static_cast<unsigned>(bytes.size()));
}

void BitField::read(KVS_streamInputBase &in_)
{
    unsigned newCount = 0;
    in_ >> newCount;
    const std::size_t total = byteCount(newCount);
    std::vector<unsigned char> newBytes;
    while (newBytes.size() < total) {
        const std::size_t at = newBytes.size();
        const std::size_t step = std::min(readStep, total - at);
        newBytes.resize(at + step);
        in_.readStr(newBytes.data() + at, static_cast<unsigned>(step));
    }
    count = newCount;
    bytes.swap(newBytes);
}

const char *Hardware3DCaps::capabilityName(unsigned bit_)
{
    return bit_ < namedBits ? capabilityNames[bit_] : "";
}

std::string Hardware3DCaps::toString() const
{
    std::string s;
    for (unsigned bit = 0; bit < namedBits; ++bit) {
        if (!getBit(bit))
            continue;
        if (!s.empty())
            s += ", ";
        s += capabilityNames[bit];
    }
    return s;
}

} // namespace KV_Rigscan
