#include "U2001crypt.h"

#include <zlib.h>

namespace {

// x = 171 * (x rem 177) - 2 * (x / 177) on a signed 32-bit state. Negative
// states stay in the recurrence; the 64-bit step keeps it free of overflow.
class Generator {
public:
    explicit Generator(unsigned seed)
        : x(static_cast<std::int32_t>(seed == 0 ? 1u : seed))
    {
    }

    unsigned char next()
    {
        const std::int64_t q = x / 177;
        const std::int64_t r = x % 177;
        x = static_cast<std::int32_t>(static_cast<std::uint32_t>(171 * r - 2 * q));
        return static_cast<unsigned char>(x);
    }

private:
    std::int32_t x;
};

unsigned char mask(int i)
{
    return static_cast<unsigned char>((static_cast<std::uint32_t>(i) + 3u) * 6u);
}

unsigned char rotateRight(unsigned char b, unsigned k)
{
    return k == 0 ? b : static_cast<unsigned char>((b >> k) | (b << (8 - k)));
}

unsigned char rotateLeft(unsigned char b, unsigned k)
{
    return k == 0 ? b : static_cast<unsigned char>((b << k) | (b >> (8 - k)));
}

} // namespace

void scrambleBuffer(unsigned char* buffer, int length, unsigned seed)
{
    Generator g(seed);
    for (int i = 0; i < length; ++i) {
        const unsigned k = static_cast<unsigned>(i % 5);
        unsigned char b = static_cast<unsigned char>(buffer[i] - g.next());
        b ^= mask(i);
        buffer[i] = rotateRight(b, k);
    }
}

void unscrambleBuffer(unsigned char* buffer, int length, unsigned seed)
{
    Generator g(seed);
    for (int i = 0; i < length; ++i) {
        const unsigned k = static_cast<unsigned>(i % 5);
        unsigned char b = rotateLeft(buffer[i], k);
        b ^= mask(i);
        buffer[i] = static_cast<unsigned char>(b + g.next());
    }
}

std::uint32_t crc32Buffer(const unsigned char* buffer, unsigned length)
{
    if (length == 0)
        return 0;
    return static_cast<std::uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), buffer, length));
}
