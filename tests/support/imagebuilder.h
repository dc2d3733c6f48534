#pragma once

// Builds result-project images byte by byte, apart from the program's own
// image writer: header, plain seed, then version word, items and CRC-32,
// scrambled from the version word on.

#include <string>
#include <zlib.h>

#include "U2001crypt.h"
#include "item_bytes.h"

namespace image {

inline const std::string &headerText()
{
    static const std::string text = "Polyra2001 Project File";
    return text;
}

struct Options {
    std::uint32_t seed = 0x12345678u;
    std::uint32_t versionWord = 59;
    bool record = false;  // a database record: one flag byte first
    bool hidden = false;  // the record's flag byte
    bool breakCrc = false;
};

// The image of the given items.
inline Bytes build(const Bytes &items, const Options &o = Options())
{
    Bytes plain = cat({be32(o.versionWord), items});
    std::uint32_t crc = static_cast<std::uint32_t>(::crc32(0L, plain.data(), static_cast<uInt>(plain.size())));
    if (o.breakCrc)
        crc ^= 1;
    plain = cat({plain, be32(crc)});
    scrambleBuffer(plain.data(), static_cast<int>(plain.size()), o.seed);
    Bytes head = text(headerText());
    head.insert(head.end(), {0x0A, 0x1A, 0x00});
    Bytes out;
    if (o.record)
        out.push_back(o.hidden ? 1 : 0);
    return cat({out, head, be32(o.seed), plain});
}

// The items a plain project needs: name, description, score and version.
inline Bytes basicItems(const std::string &name = "Test Rig", const std::string &description = "A test",
                        float score = 4321.5f, std::int32_t version = 202)
{
    return cat({stringItem(0, name), stringItem(1, description), floatItem(4, score), intItem(5, version)});
}

} // namespace image
