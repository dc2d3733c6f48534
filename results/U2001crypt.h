#pragma once

// Seeded scrambling of a project image and its CRC-32. The routines keep no
// state and work in place on the caller's buffer.

#include <cstdint>

// Scrambles length bytes in place; a length of 0 or less does nothing.
void scrambleBuffer(unsigned char* buffer, int length, unsigned seed);

// Undoes scrambleBuffer with the same seed and length.
void unscrambleBuffer(unsigned char* buffer, int length, unsigned seed);

// CRC-32 of zlib and PNG; 0 for an empty buffer.
std::uint32_t crc32Buffer(const unsigned char* buffer, unsigned length);
