#pragma once
// The Adler-32 checksum of zlib streams, computed 16 bytes at a time.
#include <cstddef>
#include <cstdint>

// Extends `adler` (1 for no bytes yet) over data[0, size); the same value zlib's adler32 gives.
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size);
