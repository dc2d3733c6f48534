#pragma once

// Bodies of the fuzz targets, shared by the libFuzzer mains and by the corpus
// replay in the unit tests. A broken invariant aborts so the fuzzer reports it,
// or throws while failuresThrow() is set.

#include "Exception.h"
#include "U2001crypt.h"
#include "check_body.h"
#include "uDataVector.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace fuzzbody {

// An exact-size heap copy, so any read past the end is an ASan report.
inline std::unique_ptr<unsigned char[]> copyOf(const unsigned char* data, std::size_t size)
{
    auto out = std::make_unique<unsigned char[]>(size);
    if (size)
        std::memcpy(out.get(), data, size);
    return out;
}

// Every getter of one item; a getter may refuse with an Exception but must not
// crash.
inline void touchItem(const BasicData& item)
{
    try { (void)item.getBool(); } catch (const Exception&) {}
    try { (void)item.getInt(); } catch (const Exception&) {}
    try { (void)item.getFloat(); } catch (const Exception&) {}
    const std::string text = item.getString();
    SCORVISTA_FUZZ_CHECK(text.find('\0') == std::string::npos);
    SCORVISTA_FUZZ_CHECK(text.size() <= item.length);
    unsigned n = 1;
    const unsigned char* p = item.getData(n);
    if (p) {
        volatile unsigned char sink = 0;
        for (unsigned i = 0; i < n; ++i)
            sink = static_cast<unsigned char>(sink ^ p[i]);
    } else {
        SCORVISTA_FUZZ_CHECK(n == 0);
    }
}

inline void touchStore(const DataVector& store, unsigned id)
{
    try { (void)store.getBool(id); } catch (const Exception&) {}
    try { (void)store.getInt(id); } catch (const Exception&) {}
    try { (void)store.getFloat(id); } catch (const Exception&) {}
    (void)store.getString(id);
    unsigned n = 1;
    if (!store.getData(id, n))
        SCORVISTA_FUZZ_CHECK(n == 0);
}

inline void sameItems(const DataVector& a, const DataVector& b)
{
    SCORVISTA_FUZZ_CHECK(a.getCount() == b.getCount());
    for (std::size_t i = 0; i < a.getCount(); ++i) {
        const BasicData* x = a.getItem(i);
        const BasicData* y = b.getItem(i);
        SCORVISTA_FUZZ_CHECK(x->id == y->id && x->type == y->type);
        SCORVISTA_FUZZ_CHECK(x->length == y->length && x->size() == y->size());
        SCORVISTA_FUZZ_CHECK(x->getString() == y->getString());
    }
}

inline int dataVector(const std::uint8_t* data, std::size_t size)
{
    const auto region = copyOf(data, size);
    DataVector store;
    bool complete = true;
    try {
        store.parse(region.get(), size);
    } catch (const Exception&) {
        complete = false;
    }

    std::size_t sum = 0;
    for (std::size_t i = 0; i < store.getCount(); ++i) {
        const BasicData* item = store.getItem(i);
        SCORVISTA_FUZZ_CHECK(item->type <= 4);
        touchItem(*item);
        touchStore(store, item->id);
        // The first item with an id wins.
        std::size_t first = 0;
        while (store.getItem(first)->id != item->id)
            ++first;
        SCORVISTA_FUZZ_CHECK(store.findItem(item->id) == store.getItem(first));
        sum += item->size();
    }
    touchStore(store, 0x10000);

    // The items re-serialise to exactly the bytes they were read from.
    std::size_t length = 0;
    const auto image = store.serialise(length, 0, 0);
    SCORVISTA_FUZZ_CHECK(image && length == sum && length <= size);
    SCORVISTA_FUZZ_CHECK(length == 0 || std::memcmp(image.get(), data, length) == 0);
    if (complete)
        SCORVISTA_FUZZ_CHECK(length + 2 >= size);

    // Serialising again must not swap the payloads a second time.
    std::size_t again = 0;
    const auto second = store.serialise(again, 3, 5);
    SCORVISTA_FUZZ_CHECK(second && again == length + 3);
    SCORVISTA_FUZZ_CHECK(length == 0 || std::memcmp(second.get() + 3, image.get(), length) == 0);
    for (std::size_t i = 0; i < 3; ++i)
        SCORVISTA_FUZZ_CHECK(second[i] == 0);
    for (std::size_t i = 0; i < 5; ++i)
        SCORVISTA_FUZZ_CHECK(second[again + i] == 0);

    // The serialised image parses cleanly into the same items.
    const auto copy = copyOf(image.get(), length);
    DataVector reread;
    reread.parse(copy.get(), length);
    sameItems(store, reread);
    std::size_t length2 = 0;
    const auto image2 = reread.serialise(length2, 0, 0);
    SCORVISTA_FUZZ_CHECK(image2 && length2 == length);
    SCORVISTA_FUZZ_CHECK(length == 0 || std::memcmp(image2.get(), image.get(), length) == 0);

    // Replacing a string shows up in the next image and nowhere else.
    for (std::size_t i = 0; i < reread.getCount(); ++i) {
        const BasicData* item = reread.getItem(i);
        if (item->type != 3 || reread.findItem(item->id) != item)
            continue;
        const std::string text(reinterpret_cast<const char*>(data),
                               size < 9 ? size : std::size_t{9});
        const std::string expected = text.substr(0, text.find('\0'));
        const std::size_t oldSize = item->size();
        reread.setString(item->id, text);
        SCORVISTA_FUZZ_CHECK(item->size() == text.size() + 7);
        std::size_t length3 = 0;
        const auto image3 = reread.serialise(length3, 0, 0);
        SCORVISTA_FUZZ_CHECK(image3 && length3 == length - oldSize + text.size() + 7);
        const auto copy3 = copyOf(image3.get(), length3);
        DataVector third;
        third.parse(copy3.get(), length3);
        SCORVISTA_FUZZ_CHECK(third.getCount() == reread.getCount());
        SCORVISTA_FUZZ_CHECK(third.getString(item->id) == expected);
        break;
    }
    return 0;
}

// Bitwise CRC-32 (reflected 0xEDB88320), as a second opinion on the table.
inline std::uint32_t referenceCrc(const unsigned char* p, std::size_t n)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int b = 0; b < 8; ++b)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

inline int crypt(const std::uint8_t* data, std::size_t size)
{
    unsigned seed = 0;
    for (std::size_t i = 0; i < 4 && i < size; ++i)
        seed = (seed << 8) | data[i];
    const unsigned char* body = data + (size < 4 ? size : 4);
    const std::size_t n = size < 4 ? 0 : size - 4;
    if (n > static_cast<std::size_t>(INT_MAX))
        return 0;
    const int len = static_cast<int>(n);

    auto buf = copyOf(body, n);
    scrambleBuffer(buf.get(), len, seed);
    if (seed == 0 || seed == 1) {
        auto other = copyOf(body, n);
        scrambleBuffer(other.get(), len, seed ^ 1u);
        SCORVISTA_FUZZ_CHECK(n == 0 || std::memcmp(buf.get(), other.get(), n) == 0);
    }
    unscrambleBuffer(buf.get(), len, seed);
    SCORVISTA_FUZZ_CHECK(n == 0 || std::memcmp(buf.get(), body, n) == 0);

    unscrambleBuffer(buf.get(), len, seed);
    scrambleBuffer(buf.get(), len, seed);
    SCORVISTA_FUZZ_CHECK(n == 0 || std::memcmp(buf.get(), body, n) == 0);

    scrambleBuffer(buf.get(), -len - 1, seed);
    SCORVISTA_FUZZ_CHECK(n == 0 || std::memcmp(buf.get(), body, n) == 0);

    const std::uint32_t crc = crc32Buffer(buf.get(), static_cast<unsigned>(n));
    SCORVISTA_FUZZ_CHECK(crc == referenceCrc(body, n));
    return 0;
}

} // namespace fuzzbody
