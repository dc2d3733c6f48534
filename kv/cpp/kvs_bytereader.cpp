#include "kvs_bytereader.h"

#include <bit>
#include <cstring>

KVS_byteReader::KVS_byteReader(const unsigned char *data_, std::size_t size_, KVS_byteOrder order_)
    : base(data_), length(data_ ? size_ : 0), order(order_)
{
}

std::uint64_t KVS_byteReader::decode(const unsigned char *bytes_, unsigned count_) const
{
    std::uint64_t v = 0;
    for (unsigned i = 0; i < count_; ++i) {
        const unsigned shift = order == KVS_byteOrder::little ? 8 * i : 8 * (count_ - 1 - i);
        v |= std::uint64_t{bytes_[i]} << shift;
    }
    return v;
}

bool KVS_byteReader::readU8(std::uint8_t &value_)
{
    if (remaining() < 1)
        return false;
    value_ = base[position++];
    return true;
}

bool KVS_byteReader::readU16(std::uint16_t &value_)
{
    if (remaining() < 2)
        return false;
    value_ = static_cast<std::uint16_t>(decode(current(), 2));
    position += 2;
    return true;
}

bool KVS_byteReader::readU32(std::uint32_t &value_)
{
    if (remaining() < 4)
        return false;
    value_ = static_cast<std::uint32_t>(decode(current(), 4));
    position += 4;
    return true;
}

bool KVS_byteReader::readI32(std::int32_t &value_)
{
    std::uint32_t v;
    if (!readU32(v))
        return false;
    value_ = static_cast<std::int32_t>(v);
    return true;
}

bool KVS_byteReader::readF32(float &value_)
{
    std::uint32_t v;
    if (!readU32(v))
        return false;
    value_ = std::bit_cast<float>(v);
    return true;
}

bool KVS_byteReader::readBytes(std::size_t count_, const unsigned char *&bytes_)
{
    if (count_ > remaining())
        return false;
    bytes_ = current();
    position += count_;
    return true;
}

bool KVS_byteReader::readString(std::size_t count_, std::string &text_)
{
    const unsigned char *bytes;
    if (!readBytes(count_, bytes))
        return false;
    text_.assign(reinterpret_cast<const char *>(bytes), count_);
    return true;
}

bool KVS_byteReader::readExpected(const void *expected_, std::size_t count_)
{
    if (count_ > remaining() || (count_ > 0 && std::memcmp(current(), expected_, count_) != 0))
        return false;
    position += count_;
    return true;
}

bool KVS_byteReader::skip(std::size_t count_)
{
    if (count_ > remaining())
        return false;
    position += count_;
    return true;
}

bool KVS_byteReader::readSubReader(std::size_t count_, KVS_byteReader &sub_)
{
    if (count_ > remaining())
        return false;
    sub_ = KVS_byteReader(current(), count_, order);
    position += count_;
    return true;
}

bool KVS_byteReader::seek(std::size_t offset_)
{
    if (offset_ > length)
        return false;
    position = offset_;
    return true;
}

bool KVS_byteReader::peekU8(std::uint8_t &value_, std::size_t ahead_) const
{
    if (ahead_ >= remaining())
        return false;
    value_ = current()[ahead_];
    return true;
}

bool KVS_byteReader::peekU32(std::uint32_t &value_, std::size_t ahead_) const
{
    if (ahead_ > remaining() || remaining() - ahead_ < 4)
        return false;
    value_ = static_cast<std::uint32_t>(decode(current() + ahead_, 4));
    return true;
}

void KVS_byteWriter::encode(std::uint64_t value_, unsigned count_, unsigned char *to_, KVS_byteOrder order_)
{
    for (unsigned i = 0; i < count_; ++i) {
        const unsigned shift = order_ == KVS_byteOrder::little ? 8 * i : 8 * (count_ - 1 - i);
        to_[i] = static_cast<unsigned char>(value_ >> shift);
    }
}

void KVS_byteWriter::writeU8(std::uint8_t value_)
{
    out.push_back(value_);
}

void KVS_byteWriter::writeU16(std::uint16_t value_)
{
    unsigned char b[2];
    encode(value_, 2, b);
    out.insert(out.end(), b, b + 2);
}

void KVS_byteWriter::writeU32(std::uint32_t value_)
{
    unsigned char b[4];
    encode(value_, 4, b);
    out.insert(out.end(), b, b + 4);
}

void KVS_byteWriter::writeF32(float value_)
{
    writeU32(std::bit_cast<std::uint32_t>(value_));
}

void KVS_byteWriter::writeBytes(const void *bytes_, std::size_t count_)
{
    const auto *p = static_cast<const unsigned char *>(bytes_);
    if (count_ > 0)
        out.insert(out.end(), p, p + count_);
}

bool KVS_byteWriter::patchU32(std::size_t offset_, std::uint32_t value_)
{
    if (offset_ > out.size() || out.size() - offset_ < 4)
        return false;
    encode(value_, 4, out.data() + offset_);
    return true;
}

void KVS_byteWriter::putU16(unsigned char *to_, std::uint16_t value_, KVS_byteOrder order_)
{
    encode(value_, 2, to_, order_);
}

void KVS_byteWriter::putU32(unsigned char *to_, std::uint32_t value_, KVS_byteOrder order_)
{
    encode(value_, 4, to_, order_);
}
