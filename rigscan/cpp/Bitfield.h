#ifndef RIGSCAN_BITFIELD_H
#define RIGSCAN_BITFIELD_H

#include <vector>

#include "datatype.h"

namespace KV_Rigscan {

// A set of bits, bit i being bit (i mod 8) of byte i / 8.
class BitField : public Datatype {
public:
    BitField() = default;

    std::string toString() const override { return std::string(); }
    void write(KVS_streamOutputBase &out_) const override;
    // Replaces count and bits; on a failed read the field keeps what it had.
    void read(KVS_streamInputBase &in_) override;
    virtual const char *getBitName(unsigned bit_) const;

    void resize(unsigned count_);
    unsigned getCount() const { return count; }
    bool getBit(unsigned bit_) const;
    void setBit(unsigned bit_, bool on_ = true);
    const std::vector<unsigned char> &getBytes() const { return bytes; }

    static std::size_t byteCount(unsigned count_) { return (std::size_t(count_) + 7) / 8; }

private:
    unsigned count = 0;
    std::vector<unsigned char> bytes;
};

// The 3D capabilities of a display device, 52 named bits.
class Hardware3DCaps : public BitField {
public:
    static constexpr unsigned namedBits = 52;

    Hardware3DCaps() { resize(namedBits); }

    unsigned getState() const override { return 13; }
    const char *getName() const override { return "3D Capabilities"; }
    std::string toString() const override;

    static const char *capabilityName(unsigned bit_);
};

} // namespace KV_Rigscan

#endif
