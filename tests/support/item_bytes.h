#pragma once

// Builders for item regions in the file's byte layout.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "kvs_bytereader.h"

using Bytes = std::vector<unsigned char>;

inline Bytes be32(std::uint32_t v)
{
    KVS_byteWriter w(KVS_byteOrder::big);
    w.writeU32(v);
    return w.take();
}

inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes item(std::uint16_t id, unsigned char type, const Bytes& payload = {})
{
    KVS_byteWriter w(KVS_byteOrder::big);
    w.writeU16(id);
    w.writeU8(type);
    w.writeBytes(payload.data(), payload.size());
    return w.take();
}

inline Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

inline Bytes counted(const Bytes& content)
{
    return cat({be32(static_cast<std::uint32_t>(content.size())), content});
}

inline Bytes boolItem(std::uint16_t id, unsigned char b) { return item(id, 0, {b}); }
inline Bytes intItem(std::uint16_t id, std::int32_t v) { return item(id, 1, be32(static_cast<std::uint32_t>(v))); }
inline Bytes floatItem(std::uint16_t id, float f)
{
    KVS_byteWriter w(KVS_byteOrder::big);
    w.writeF32(f);
    return item(id, 2, w.take());
}
inline Bytes stringItem(std::uint16_t id, const std::string& s) { return item(id, 3, counted(text(s))); }
inline Bytes blockItem(std::uint16_t id, const Bytes& b) { return item(id, 4, counted(b)); }

// A heap copy of exactly the given size, so ASan sees any read past its end.
struct ExactBuffer {
    explicit ExactBuffer(const Bytes& b) : size(b.size()), data(new unsigned char[b.size()])
    {
        if (size)
            std::memcpy(data.get(), b.data(), size);
    }
    Bytes bytes() const { return Bytes(data.get(), data.get() + size); }

    std::size_t size;
    std::unique_ptr<unsigned char[]> data;
};
