#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Byte order of the numbers a reader or writer handles.
enum class KVS_byteOrder { little, big };

// One cursor over a bounded range of bytes. Every read is checked against
// what is left before it happens; a read that does not fit returns false and
// moves nothing, so a caller never sees half a value. Sizes are compared as
// "count <= remaining", which cannot wrap.
class KVS_byteReader {
public:
    KVS_byteReader() = default;
    KVS_byteReader(const unsigned char *data_, std::size_t size_, KVS_byteOrder order_ = KVS_byteOrder::little);

    std::size_t offset() const { return position; }
    std::size_t size() const { return length; }
    std::size_t remaining() const { return length - position; }
    bool empty() const { return position == length; }
    KVS_byteOrder byteOrder() const { return order; }
    void setByteOrder(KVS_byteOrder order_) { order = order_; }
    // The first byte of the range and the one at the cursor.
    const unsigned char *data() const { return base; }
    const unsigned char *current() const { return base + position; }

    bool readU8(std::uint8_t &value_);
    bool readU16(std::uint16_t &value_);
    bool readU32(std::uint32_t &value_);
    bool readI32(std::int32_t &value_);
    bool readF32(float &value_);
    // A view of the next count_ bytes; they stay owned by the caller's range.
    bool readBytes(std::size_t count_, const unsigned char *&bytes_);
    // count_ bytes as text (no terminator in the range).
    bool readString(std::size_t count_, std::string &text_);
    // True when the next bytes equal expected_ (count_ of them); the cursor
    // moves past them only then.
    bool readExpected(const void *expected_, std::size_t count_);
    bool skip(std::size_t count_);
    // A reader over the next count_ bytes, which this one skips.
    bool readSubReader(std::size_t count_, KVS_byteReader &sub_);
    bool seek(std::size_t offset_);
    // Looks without moving.
    bool peekU8(std::uint8_t &value_, std::size_t ahead_ = 0) const;
    bool peekU32(std::uint32_t &value_, std::size_t ahead_ = 0) const;

private:
    std::uint64_t decode(const unsigned char *bytes_, unsigned count_) const;

    const unsigned char *base = nullptr;
    std::size_t length = 0;
    std::size_t position = 0;
    KVS_byteOrder order = KVS_byteOrder::little;
};

// The writer side: appends numbers and bytes to a growing buffer, and puts a
// number at an earlier offset (a length known only later).
class KVS_byteWriter {
public:
    explicit KVS_byteWriter(KVS_byteOrder order_ = KVS_byteOrder::little) : order(order_) {}

    void writeU8(std::uint8_t value_);
    void writeU16(std::uint16_t value_);
    void writeU32(std::uint32_t value_);
    void writeI32(std::int32_t value_) { writeU32(static_cast<std::uint32_t>(value_)); }
    void writeF32(float value_);
    void writeBytes(const void *bytes_, std::size_t count_);
    void writeString(const std::string &text_) { writeBytes(text_.data(), text_.size()); }
    // False when the 4 bytes at offset_ are not all written yet.
    bool patchU32(std::size_t offset_, std::uint32_t value_);
    // Into a buffer the caller sized beforehand (an image with room kept for
    // its header); to_ must hold the 2 or 4 bytes.
    static void putU16(unsigned char *to_, std::uint16_t value_, KVS_byteOrder order_);
    static void putU32(unsigned char *to_, std::uint32_t value_, KVS_byteOrder order_);

    std::size_t size() const { return out.size(); }
    const std::vector<unsigned char> &bytes() const { return out; }
    std::vector<unsigned char> take() { return std::move(out); }
    void setByteOrder(KVS_byteOrder order_) { order = order_; }

private:
    static void encode(std::uint64_t value_, unsigned count_, unsigned char *to_, KVS_byteOrder order_);
    void encode(std::uint64_t value_, unsigned count_, unsigned char *to_) const { encode(value_, count_, to_, order); }

    std::vector<unsigned char> out;
    KVS_byteOrder order;
};
