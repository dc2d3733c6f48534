#include "uDataVector.h"

#include "Exception.h"
#include "kvs_bytereader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

const char* const kPastEnd = "Item runs past the end of the data.";
const char* const kNotAllocated = "Data not allocated";
const char* const kNoInteger = "Data length not of any integer type";

constexpr auto kWire = KVS_byteOrder::big;

enum ItemType : std::uint8_t { kBool = 0, kInteger = 1, kFloat = 2, kString = 3, kBlock = 4 };

bool isCounted(std::uint8_t type) { return type == kString || type == kBlock; }

// Integers and floats are held in machine order once read.
bool isSwapped(std::uint8_t type) { return type == kInteger || type == kFloat; }

std::uint32_t fixedLength(std::uint8_t type) { return type == kBool ? 1 : isCounted(type) ? 0 : 4; }

[[noreturn]] void pastEnd()
{
    throw Exception(kPastEnd);
}

// A cursor at position of the region buffer[0, end).
KVS_byteReader regionAt(const unsigned char* buffer, std::size_t position, std::size_t end)
{
    KVS_byteReader in(buffer, end, kWire);
    if (!in.seek(position))
        pastEnd();
    return in;
}

// Moves in past the payload of an item of the type and gives its length; for
// strings and blocks the 4-byte length field comes first and must fit with
// the n bytes behind it. On an Exception in may have moved.
std::uint32_t readPayload(KVS_byteReader& in, std::uint8_t type, std::uint32_t length)
{
    if (isCounted(type)) {
        std::uint32_t n = 0;
        if (!in.readU32(n) || !in.skip(n))
            pastEnd();
        return n;
    }
    if (!in.skip(length))
        pastEnd();
    return length;
}

float floatAt(const unsigned char* data)
{
    float v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

int floatToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483648.0)
        return std::numeric_limits<std::int32_t>::max();
    if (v < -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

} // namespace

// ---- BasicData ----

BasicData::BasicData(std::uint8_t type_) : type(type_), length(fixedLength(type_)) {}

BasicData::~BasicData()
{
    release();
}

BasicData::BasicData(BasicData&& other) noexcept
    : id(other.id), type(other.type), owned(std::exchange(other.owned, false)), length(other.length),
      data(other.data)
{
    if (owned)
        other.data = nullptr;
}

BasicData& BasicData::operator=(BasicData&& other) noexcept
{
    if (this != &other) {
        release();
        id = other.id;
        type = other.type;
        owned = std::exchange(other.owned, false);
        length = other.length;
        data = other.data;
        if (owned)
            other.data = nullptr;
    }
    return *this;
}

void BasicData::release()
{
    if (owned)
        delete[] data;
    owned = false;
    data = nullptr;
}

bool BasicData::getBool() const
{
    if (!data)
        throw Exception(kNotAllocated);
    return data[0] == 1;
}

int BasicData::getInt() const
{
    if (isCounted(type))
        throw Exception(kNoInteger);
    if (type == kFloat)
        return floatToInt(getFloat());
    if (!data)
        throw Exception(kNotAllocated);
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
        throw Exception(kNoInteger);
    }
}

float BasicData::getFloat() const
{
    if (type != kFloat)
        return static_cast<float>(getInt());
    if (!data)
        throw Exception(kNotAllocated);
    return floatAt(data);
}

std::string BasicData::getString() const
{
    if (type != kString || !data)
        return std::string();
    const char* chars = reinterpret_cast<const char*>(data + 4);
    if (owned)
        return std::string(chars, length);
    return std::string(chars, std::find(chars, chars + length, '\0'));
}

const unsigned char* BasicData::getData(unsigned& length_) const
{
    if (type == kString || !data) {
        length_ = 0;
        return nullptr;
    }
    length_ = length;
    return type == kBlock ? data + 4 : data;
}

void BasicData::write(unsigned char* buffer, std::size_t& position) const
{
    unsigned char* out = buffer + position;
    if (isCounted(type)) {
        KVS_byteWriter::putU32(out, length, kWire);
        if (data)
            std::memcpy(out + 4, data + 4, length);
        else
            std::memset(out + 4, 0, length);
        position += std::size_t{length} + 4;
        return;
    }
    if (!data) {
        // Never read: keep the size promised by size().
        std::memset(out, 0, length);
    } else if (isSwapped(type) && length == 4) {
        std::uint32_t v;
        std::memcpy(&v, data, sizeof v);
        KVS_byteWriter::putU32(out, v, kWire);
    } else {
        std::memcpy(out, data, length);
    }
    position += length;
}

void BasicData::setString(const std::string& text)
{
    if (type != kString)
        return;
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw Exception("String too long for an item.");
    // An empty text needs no buffer: it reads and writes as a parsed empty
    // string does.
    if (text.empty()) {
        release();
        length = 0;
        return;
    }
    // Room for the length field keeps the text where a parsed string has it.
    auto* buffer = new unsigned char[text.size() + 4];
    std::memcpy(buffer + 4, text.data(), text.size());
    release();
    data = buffer;
    owned = true;
    length = static_cast<std::uint32_t>(text.size());
}

void BasicData::read(unsigned char* buffer, std::size_t& position, std::size_t end)
{
    KVS_byteReader in = regionAt(buffer, position, end);
    const std::uint32_t n = readPayload(in, type, length);
    release();
    data = buffer + position;
    length = n;
    position = in.offset();
}

std::size_t BasicData::size() const
{
    return std::size_t{length} + (isCounted(type) ? 7 : 3);
}

void BasicData::writeItem(unsigned char* buffer, std::size_t& position) const
{
    KVS_byteWriter::putU16(buffer + position, static_cast<std::uint16_t>(id), kWire);
    buffer[position + 2] = type;
    position += 3;
    write(buffer, position);
}

namespace {

std::uint32_t bigEndian32(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// One item at position of the region buffer[0, end), position <= end;
// position moves past it only when the whole item fits, and a failing item
// leaves the buffer as it was. Plain index arithmetic: a store's thousands
// of items are read on every load of a database.
BasicData readRecord(unsigned char* buffer, std::size_t end, std::size_t& position)
{
    std::size_t at = position;
    if (end - at < 3)
        pastEnd();
    const auto id = static_cast<std::uint16_t>((buffer[at] << 8) | buffer[at + 1]);
    const std::uint8_t type = buffer[at + 2];
    at += 3;
    if (type > kBlock)
        throw Exception("Unknown type.");
    BasicData item(type);
    item.id = id;

    unsigned char* payload = buffer + at;
    if (isCounted(type)) {
        if (end - at < 4)
            pastEnd();
        const std::uint32_t n = bigEndian32(payload);
        at += 4;
        if (n > end - at)
            pastEnd();
        at += n;
        item.length = n;
    } else {
        if (item.length > end - at)
            pastEnd();
        if (isSwapped(type)) {
            const std::uint32_t v = bigEndian32(payload);
            std::memcpy(payload, &v, sizeof v);
        }
        at += item.length;
    }
    item.data = payload;
    position = at;
    return item;
}

// How many whole items the region holds before the first that does not
// parse; only sizes the store, the parse itself raises on the bad one.
std::size_t countItems(const unsigned char* buffer, std::size_t length)
{
    std::size_t count = 0;
    std::size_t at = 0;
    while (length - at > 2) {
        const std::uint8_t type = buffer[at + 2];
        at += 3;
        if (type > kBlock)
            break;
        std::uint32_t n = fixedLength(type);
        if (isCounted(type)) {
            if (length - at < 4)
                break;
            n = bigEndian32(buffer + at);
            at += 4;
        }
        if (n > length - at)
            break;
        at += n;
        ++count;
    }
    return count;
}

} // namespace

// ---- DataVector ----

DataVector::~DataVector() = default;

DataVector::DataVector(DataVector&& other) noexcept
    : items(std::move(other.items)), index(std::move(other.index)),
      indexLength(std::exchange(other.indexLength, 0)), kind(std::exchange(other.kind, Index::None))
{
    other.items.clear();
}

DataVector& DataVector::operator=(DataVector&& other) noexcept
{
    if (this != &other) {
        items = std::move(other.items);
        other.items.clear();
        index = std::move(other.index);
        indexLength = std::exchange(other.indexLength, 0);
        kind = std::exchange(other.kind, Index::None);
    }
    return *this;
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
    if (id > 0xFFFF)
        return;
    for (BasicData& item : items)
        if (item.id == id && item.type == kString) {
            item.setString(text);
            return;
        }
    BasicData item(kString);
    item.id = static_cast<std::uint16_t>(id);
    item.setString(text);
    // Name and description come one at a time, once per store: room for
    // each as it comes rather than spare room in thousands of stores.
    items.reserve(items.size() + 1);
    items.push_back(std::move(item));
    indexItems();
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
    items.reserve(items.size() + countItems(buffer, length));
    std::size_t position = 0;
    try {
        // One or two bytes cannot hold an item: they are ignored.
        while (length - position > 2)
            items.push_back(readRecord(buffer, length, position));
    } catch (...) {
        indexItems();
        throw;
    }
    indexItems();
}

std::unique_ptr<BasicData> DataVector::readItem(unsigned char* buffer, std::size_t& position,
                                                std::size_t end)
{
    if (!buffer || position > end)
        pastEnd();
    return std::make_unique<BasicData>(readRecord(buffer, end, position));
}

namespace {

// Up to this many items a search in file order is as quick as an index.
constexpr std::size_t kUnindexed = 8;

} // namespace

void DataVector::indexItems()
{
    index.reset();
    indexLength = 0;
    kind = Index::None;
    if (items.size() <= kUnindexed)
        return;
    std::size_t largest = 0;
    for (const BasicData& item : items)
        largest = std::max<std::size_t>(largest, item.id);
    // A table by id when it takes no more room than the sorted positions would.
    if (items.size() < 0xFFFF && largest < 2 * items.size() + 256) {
        index = std::make_unique<std::uint16_t[]>(largest + 1);
        for (std::size_t i = items.size(); i-- > 0;)
            index[items[i].id] = static_cast<std::uint16_t>(i + 1);
        indexLength = static_cast<std::uint32_t>(largest + 1);
        kind = Index::ById;
        return;
    }
    const std::size_t n = items.size();
    // Ties by position keep the first of an id first.
    std::vector<std::uint32_t> sorted(n);
    if (n <= 0x10000) {
        // Id and position in one word sort as plain numbers, ties by position.
        for (std::size_t i = 0; i < n; ++i)
            sorted[i] = (std::uint32_t{items[i].id} << 16) | static_cast<std::uint32_t>(i);
        std::sort(sorted.begin(), sorted.end());
        index = std::make_unique_for_overwrite<std::uint16_t[]>(n);
        for (std::size_t i = 0; i < n; ++i)
            index[i] = static_cast<std::uint16_t>(sorted[i] & 0xFFFF);
        kind = Index::Sorted16;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            sorted[i] = static_cast<std::uint32_t>(i);
        std::sort(sorted.begin(), sorted.end(), [this](std::uint32_t a, std::uint32_t b) {
            return items[a].id != items[b].id ? items[a].id < items[b].id : a < b;
        });
        index = std::make_unique_for_overwrite<std::uint16_t[]>(2 * n);
        for (std::size_t i = 0; i < n; ++i) {
            index[2 * i] = static_cast<std::uint16_t>(sorted[i] >> 16);
            index[2 * i + 1] = static_cast<std::uint16_t>(sorted[i] & 0xFFFF);
        }
        kind = Index::Sorted32;
    }
    indexLength = static_cast<std::uint32_t>(n);
}

std::uint32_t DataVector::sortedAt(std::size_t i) const
{
    if (kind == Index::Sorted16)
        return index[i];
    return (std::uint32_t{index[2 * i]} << 16) | index[2 * i + 1];
}

BasicData* DataVector::findItem(unsigned id)
{
    if (id > 0xFFFF)
        return nullptr;
    switch (kind) {
    case Index::None:
        for (BasicData& item : items)
            if (item.id == id)
                return &item;
        return nullptr;
    case Index::ById:
        return id < indexLength && index[id] ? &items[index[id] - 1u] : nullptr;
    case Index::Sorted16:
    case Index::Sorted32:
        break;
    }
    // The first sorted position whose item's id is not below id.
    std::size_t low = 0, high = indexLength;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (items[sortedAt(middle)].id < id)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == indexLength || items[sortedAt(low)].id != id)
        return nullptr;
    return &items[sortedAt(low)];
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
    for (const BasicData& item : items) {
        const std::size_t s = item.size();
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
    for (const BasicData& item : items)
        item.writeItem(out.get(), position);
    length = used;
    return out;
}

const BasicData* DataVector::getItem(std::size_t index) const
{
    return index < items.size() ? &items[index] : nullptr;
}
