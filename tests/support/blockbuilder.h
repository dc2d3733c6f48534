#ifndef TESTS_BLOCKBUILDER_H
#define TESTS_BLOCKBUILDER_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "kvs_bytereader.h"

// Builds system-information blocks byte by byte, independently of the model's
// writer: little-endian integers, zero-ended texts and chunks whose length is
// counted from their content.
class Block {
public:
    Block() = default;

    Block &u8(std::uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    Block &u16(std::uint16_t v)
    {
        KVS_byteWriter w;
        w.writeU16(v);
        return put(w);
    }
    Block &u32(std::uint32_t v)
    {
        KVS_byteWriter w;
        w.writeU32(v);
        return put(w);
    }
    Block &i32(std::int32_t v)
    {
        KVS_byteWriter w;
        w.writeI32(v);
        return put(w);
    }
    Block &u64(std::uint64_t v)
    {
        KVS_byteWriter w;
        w.writeU32(static_cast<std::uint32_t>(v));
        w.writeU32(static_cast<std::uint32_t>(v >> 32));
        return put(w);
    }
    Block &text(const std::string &s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        return *this;
    }
    Block &raw(std::initializer_list<std::uint8_t> b)
    {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Block &append(const Block &other)
    {
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
        return *this;
    }
    Block &zeros(std::size_t n)
    {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    // A child component's chunk: id, length of the content, the content.
    Block &chunk(std::int32_t id, const Block &content)
    {
        i32(id);
        u32(static_cast<std::uint32_t>(content.bytes.size()));
        return append(content);
    }

    const unsigned char *data() const { return bytes.data(); }
    unsigned size() const { return static_cast<unsigned>(bytes.size()); }

    std::vector<unsigned char> bytes;

private:
    Block &put(const KVS_byteWriter &w)
    {
        bytes.insert(bytes.end(), w.bytes().begin(), w.bytes().end());
        return *this;
    }
};

#endif
