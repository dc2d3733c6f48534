#ifndef KVS_BYTEORDER_H
#define KVS_BYTEORDER_H

#include <bit>
#include <cstdint>
#include <type_traits>

// Every scalar on a stream is little-endian whatever the host; long and
// unsigned long are 4 bytes on the stream even where they are 8 in memory.
template <class T>
constexpr unsigned KVS_wireSize()
{
    if constexpr (std::is_same_v<T, long> || std::is_same_v<T, unsigned long>)
        return 4;
    else
        return sizeof(T);
}

template <class T>
inline void KVS_encodeLE(T value_, unsigned char *bytes_)
{
    constexpr unsigned n = KVS_wireSize<T>();
    std::uint64_t bits;
    if constexpr (std::is_same_v<T, float>)
        bits = std::bit_cast<std::uint32_t>(value_);
    else if constexpr (std::is_same_v<T, double>)
        bits = std::bit_cast<std::uint64_t>(value_);
    else
        bits = static_cast<std::uint64_t>(value_);
    for (unsigned i = 0; i < n; ++i)
        bytes_[i] = static_cast<unsigned char>(bits >> (8 * i));
}

template <class T>
inline T KVS_decodeLE(const unsigned char *bytes_)
{
    constexpr unsigned n = KVS_wireSize<T>();
    std::uint64_t bits = 0;
    for (unsigned i = 0; i < n; ++i)
        bits |= static_cast<std::uint64_t>(bytes_[i]) << (8 * i);
    if constexpr (std::is_same_v<T, float>) {
        return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    } else if constexpr (std::is_same_v<T, double>) {
        return std::bit_cast<double>(bits);
    } else if constexpr (std::is_signed_v<T>) {
        // Sign-extend from the wire width.
        if constexpr (n == 1)
            return static_cast<T>(static_cast<std::int8_t>(bits));
        else if constexpr (n == 2)
            return static_cast<T>(static_cast<std::int16_t>(bits));
        else
            return static_cast<T>(static_cast<std::int32_t>(bits));
    } else {
        return static_cast<T>(bits);
    }
}

#endif
