#include "skin/PngRows.h"

#include <cstring>

namespace {

inline TColor32 Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

inline uint16_t Be16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void Indexed(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    const unsigned depth = f.BitDepth;
    if (depth == 8) {
        for (uint32_t x = 0; x < width; ++x)
            out[x] = f.Table[raw[x]];
        return;
    }
    const unsigned perByte = 8 / depth;
    const unsigned mask = (1u << depth) - 1;
    uint32_t x = 0;
    for (; x + perByte <= width; ++raw) {
        const unsigned byte = *raw;
        for (int shift = 8 - int(depth); shift >= 0; shift -= int(depth))
            out[x++] = f.Table[(byte >> shift) & mask];
    }
    for (int shift = 8 - int(depth); x < width; shift -= int(depth))
        out[x++] = f.Table[(*raw >> shift) & mask];
}

void Gray16(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x, raw += 2) {
        const uint32_t a = f.HasKey && Be16(raw) == f.Key[0] ? 0 : 255;
        out[x] = Argb(a, raw[0], raw[0], raw[0]);
    }
}

void Rgb8(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    if (!f.HasKey) {
        for (uint32_t x = 0; x < width; ++x, raw += 3)
            out[x] = Argb(255, raw[0], raw[1], raw[2]);
        return;
    }
    const TColor32 key = Argb(255, f.Key[0], f.Key[1], f.Key[2]);
    for (uint32_t x = 0; x < width; ++x, raw += 3) {
        const TColor32 c = Argb(255, raw[0], raw[1], raw[2]);
        out[x] = c == key ? c & 0x00FFFFFFu : c;
    }
}

void Rgb16(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x, raw += 6) {
        const bool key = f.HasKey && Be16(raw) == f.Key[0] && Be16(raw + 2) == f.Key[1] &&
                         Be16(raw + 4) == f.Key[2];
        out[x] = Argb(key ? 0 : 255, raw[0], raw[2], raw[4]);
    }
}

void GrayAlpha(const uint8_t* raw, TColor32* out, uint32_t width, unsigned step)
{
    for (uint32_t x = 0; x < width; ++x, raw += 2 * step)
        out[x] = Argb(raw[step], raw[0], raw[0], raw[0]);
}

void Rgba8(const uint8_t* raw, TColor32* out, uint32_t width)
{
    // Bytes R G B A read as one little-endian word are $AABBGGRR: swapping red and blue in
    // whole words lets the compiler vectorise the loop.
    for (uint32_t x = 0; x < width; ++x, raw += 4) {
        uint32_t v;
        std::memcpy(&v, raw, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        v = (v >> 8) | (v << 24);
#else
        v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
#endif
        out[x] = v;
    }
}

void Rgba16(const uint8_t* raw, TColor32* out, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x, raw += 8)
        out[x] = Argb(raw[6], raw[0], raw[2], raw[4]);
}

}  // namespace

PngRowFormat MakePngRowFormat(const PngChunks& chunks)
{
    PngRowFormat f;
    f.ColorType = chunks.Header.ColorType;
    f.BitDepth = chunks.Header.BitDepth;
    f.HasKey = chunks.HasKey;
    std::memcpy(f.Key, chunks.Key, sizeof f.Key);
    if (f.ColorType == pngPalette) {
        std::memcpy(f.Table, chunks.Palette, sizeof f.Table);
    } else if (f.ColorType == pngGray && f.BitDepth <= 8) {
        const unsigned levels = 1u << f.BitDepth;
        const unsigned scale = 255 / (levels - 1);
        for (unsigned v = 0; v < 256; ++v) {
            const uint32_t g = (v % levels) * scale;
            f.Table[v] = Argb(f.HasKey && v == f.Key[0] ? 0 : 255, g, g, g);
        }
    }
    return f;
}

void ConvertPngRow(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    const bool wide = f.BitDepth == 16;
    switch (f.ColorType) {
    case pngGray:
        if (wide)
            Gray16(f, raw, out, width);
        else
            Indexed(f, raw, out, width);
        break;
    case pngPalette:
        Indexed(f, raw, out, width);
        break;
    case pngRgb:
        if (wide)
            Rgb16(f, raw, out, width);
        else
            Rgb8(f, raw, out, width);
        break;
    case pngGrayAlpha:
        GrayAlpha(raw, out, width, wide ? 2 : 1);
        break;
    default:
        if (wide)
            Rgba16(raw, out, width);
        else
            Rgba8(raw, out, width);
        break;
    }
}
