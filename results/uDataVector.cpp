#include "uDataVector.h"

#include "Exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

const char* const kPastEnd = "Item runs past the end of the data.";

// True when count bytes from position lie inside [0, end).
bool fits(std::size_t position, std::size_t count, std::size_t end)
{
    return position <= end && count <= end - position;
}

std::uint32_t readBigEndian32(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
           (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
}

void writeBigEndian32(unsigned char* p, std::uint32_t value)
{
    p[0] = static_cast<unsigned char>(value >> 24);
    p[1] = static_cast<unsigned char>(value >> 16);
    p[2] = static_cast<unsigned char>(value >> 8);
    p[3] = static_cast<unsigned char>(value);
}

// The 4-byte length field in front of a string or block; the field and the
// n bytes behind it must both lie in the region.
std::uint32_t readCountedPayload(const unsigned char* buffer, std::size_t position, std::size_t end)
{
    if (!fits(position, 4, end))
        throw Exception(kPastEnd);
    const std::uint32_t n = readBigEndian32(buffer + position);
    if (!fits(position + 4, n, end))
        throw Exception(kPastEnd);
    return n;
}

} // namespace

// ---- BasicData ----

bool BasicData::getBool() const
{
    if (!data)
        throw Exception("Data not allocated");
    return data[0] == 1;
}

int BasicData::getInt() const
{
    if (!data)
        throw Exception("Data not allocated");
    switch (length) {
    case 1:
        return data[0];
    case 2: {
        std::uint16_t v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    case 4: {
        std::int32_t v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    default:
        throw Exception("Data length not of any integer type");
    }
}

float BasicData::getFloat() const
{
    return static_cast<float>(getInt());
}

std::string BasicData::getString() const
{
    return std::string();
}

const unsigned char* BasicData::getData(unsigned& length_) const
{
    length_ = data ? length : 0;
    return data;
}

void BasicData::write(unsigned char* buffer, std::size_t& position) const
{
    unsigned char* out = buffer + position;
    if (!data) {
        // Never read: keep the size promised by size().
        std::memset(out, 0, length);
    } else if (swap && length == 4) {
        std::uint32_t v;
        std::memcpy(&v, data, sizeof v);
        writeBigEndian32(out, v);
    } else {
        std::memcpy(out, data, length);
    }
    position += length;
}

void BasicData::setString(const std::string&)
{
}

void BasicData::read(unsigned char* buffer, std::size_t& position, std::size_t end)
{
    if (!fits(position, length, end))
        throw Exception(kPastEnd);
    data = buffer + position;
    position += length;
}

std::size_t BasicData::size() const
{
    return std::size_t{length} + 3;
}

void BasicData::writeItem(unsigned char* buffer, std::size_t& position) const
{
    buffer[position] = static_cast<unsigned char>(id >> 8);
    buffer[position + 1] = static_cast<unsigned char>(id);
    buffer[position + 2] = type;
    position += 3;
    write(buffer, position);
}

// ---- FloatData ----

int FloatData::getInt() const
{
    const double v = getFloat();
    if (std::isnan(v))
        return 0;
    if (v >= 2147483648.0)
        return std::numeric_limits<std::int32_t>::max();
    if (v < -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

float FloatData::getFloat() const
{
    if (!data)
        throw Exception("Data not allocated");
    float v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

// ---- StringData ----

std::string StringData::getString() const
{
    return value;
}

int StringData::getInt() const
{
    throw Exception("Data length not of any integer type");
}

int BinaryData::getInt() const
{
    throw Exception("Data length not of any integer type");
}

const unsigned char* StringData::getData(unsigned& length_) const
{
    length_ = 0;
    return nullptr;
}

void StringData::write(unsigned char* buffer, std::size_t& position) const
{
    unsigned char* out = buffer + position;
    writeBigEndian32(out, length);
    if (replaced || !data)
        std::memcpy(out + 4, value.data(), length);
    else
        std::memcpy(out + 4, data + 4, length);
    position += std::size_t{length} + 4;
}

void StringData::setString(const std::string& text)
{
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw Exception("String too long for an item.");
    value = text;
    length = static_cast<std::uint32_t>(text.size());
    replaced = true;
}

void StringData::read(unsigned char* buffer, std::size_t& position, std::size_t end)
{
    const std::uint32_t n = readCountedPayload(buffer, position, end);
    data = buffer + position;
    length = n;
    const char* chars = reinterpret_cast<const char*>(data + 4);
    value.assign(chars, std::find(chars, chars + n, '\0'));
    replaced = false;
    position += std::size_t{n} + 4;
}

std::size_t StringData::size() const
{
    return std::size_t{length} + 7;
}

// ---- BinaryData ----

const unsigned char* BinaryData::getData(unsigned& length_) const
{
    if (!data) {
        length_ = 0;
        return nullptr;
    }
    length_ = length;
    return data + 4;
}

void BinaryData::write(unsigned char* buffer, std::size_t& position) const
{
    unsigned char* out = buffer + position;
    writeBigEndian32(out, length);
    if (data)
        std::memcpy(out + 4, data + 4, length);
    else
        std::memset(out + 4, 0, length);
    position += std::size_t{length} + 4;
}

void BinaryData::read(unsigned char* buffer, std::size_t& position, std::size_t end)
{
    const std::uint32_t n = readCountedPayload(buffer, position, end);
    data = buffer + position;
    length = n;
    position += std::size_t{n} + 4;
}

std::size_t BinaryData::size() const
{
    return std::size_t{length} + 7;
}

// ---- DataVector ----

DataVector::~DataVector()
{
    while (!items.empty())
        items.pop_back();
}

bool DataVector::getBool(unsigned id) const
{
    const BasicData* item = findItem(id);
    return item ? item->getBool() : false;
}

int DataVector::getInt(unsigned id) const
{
    const BasicData* item = findItem(id);
    return item ? item->getInt() : -1;
}

float DataVector::getFloat(unsigned id) const
{
    const BasicData* item = findItem(id);
    return item ? item->getFloat() : -1.0f;
}

std::string DataVector::getString(unsigned id) const
{
    const BasicData* item = findItem(id);
    return item ? item->getString() : std::string();
}

const unsigned char* DataVector::getData(unsigned id, unsigned& length) const
{
    const BasicData* item = findItem(id);
    if (!item) {
        length = 0;
        return nullptr;
    }
    return item->getData(length);
}

void DataVector::setBool(unsigned, bool) {}
void DataVector::setInt(unsigned, int) {}
void DataVector::setFloat(unsigned, float) {}
void DataVector::setData(unsigned, const unsigned char*, unsigned) {}

void DataVector::storeString(unsigned id, const std::string& text)
{
    for (const auto& item : items)
        if (item->id == id && item->type == 3) {
            item->setString(text);
            return;
        }
    auto item = std::make_unique<StringData>();
    item->id = id;
    item->type = 3;
    item->setString(text);
    items.push_back(std::move(item));
}

void DataVector::setString(unsigned id, const std::string& text)
{
    if (BasicData* item = findItem(id))
        item->setString(text);
}

void DataVector::parse(unsigned char* buffer, std::size_t length)
{
    if (!buffer && length > 0)
        throw Exception("Data not allocated");
    const auto last = static_cast<long long>(length) - 2;
    std::size_t position = 0;
    while (static_cast<long long>(position) < last)
        items.push_back(readItem(buffer, position, length));
}

std::unique_ptr<BasicData> DataVector::readItem(unsigned char* buffer, std::size_t& position,
                                                std::size_t end)
{
    if (!fits(position, 3, end))
        throw Exception(kPastEnd);
    std::size_t at = position;
    const std::uint32_t id = (std::uint32_t{buffer[at]} << 8) | buffer[at + 1];
    const std::uint8_t type = buffer[at + 2];
    at += 3;

    std::unique_ptr<BasicData> item;
    switch (type) {
    case 0: item = std::make_unique<BooleanData>(); break;
    case 1: item = std::make_unique<IntegerData>(); break;
    case 2: item = std::make_unique<FloatData>(); break;
    case 3: item = std::make_unique<StringData>(); break;
    case 4: item = std::make_unique<BinaryData>(); break;
    default: throw Exception("Unknown type.");
    }
    item->id = id;
    item->type = type;

    if (item->swap) {
        // Check before touching the buffer, so a short item changes nothing.
        if (!fits(at, 4, end))
            throw Exception(kPastEnd);
        const std::uint32_t v = readBigEndian32(buffer + at);
        std::memcpy(buffer + at, &v, sizeof v);
    }
    item->read(buffer, at, end);
    position = at;
    return item;
}

BasicData* DataVector::findItem(unsigned id)
{
    for (auto& item : items)
        if (item->id == id)
            return item.get();
    return nullptr;
}

const BasicData* DataVector::findItem(unsigned id) const
{
    return const_cast<DataVector*>(this)->findItem(id);
}

std::unique_ptr<unsigned char[]> DataVector::serialise(std::size_t& length, std::size_t headRoom,
                                                       std::size_t tailRoom) const
{
    length = 0;
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    std::size_t used = headRoom;
    for (const auto& item : items) {
        const std::size_t s = item->size();
        if (s > kMax - used)
            return nullptr;
        used += s;
    }
    if (tailRoom > kMax - used)
        return nullptr;

    std::unique_ptr<unsigned char[]> out;
    try {
        out = std::make_unique<unsigned char[]>(used + tailRoom);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    std::size_t position = headRoom;
    for (const auto& item : items)
        item->writeItem(out.get(), position);
    length = used;
    return out;
}

const BasicData* DataVector::getItem(std::size_t index) const
{
    return index < items.size() ? items[index].get() : nullptr;
}
