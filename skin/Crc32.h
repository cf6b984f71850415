#pragma once
// The CRC-32 of PNG chunks and gzip members (polynomial 0xEDB88320, reflected).
#include <cstddef>
#include <cstdint>

// Extends `crc` (0 for no bytes yet) over data[0, size); the same value zlib's crc32 gives.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);
