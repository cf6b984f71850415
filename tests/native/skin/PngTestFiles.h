#pragma once
// Building small PNG files byte by byte, for tests that need files no encoder would write.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <zlib.h>

using Bytes = std::vector<uint8_t>;

inline void PutBe32(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

// One chunk with its length and a correct CRC.
inline Bytes PngChunk(const char* type, const Bytes& data)
{
    Bytes out;
    PutBe32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, static_cast<uint32_t>(crc32(0, out.data() + 4, static_cast<uInt>(data.size() + 4))));
    return out;
}

inline Bytes PngIhdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                     uint8_t interlace = 0)
{
    Bytes data;
    PutBe32(data, width);
    PutBe32(data, height);
    data.insert(data.end(), {depth, colorType, 0, 0, interlace});
    return PngChunk("IHDR", data);
}

inline Bytes Zlib(const Bytes& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

// The signature followed by the chunks.
inline Bytes PngFile(std::initializer_list<Bytes> chunks)
{
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Bytes& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

inline Bytes PngIend() { return PngChunk("IEND", {}); }
