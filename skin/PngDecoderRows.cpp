#include "skin/PngRows.h"

#include <cstring>

#if defined(__SSE2__)
#include <cpuid.h>
#include <emmintrin.h>
#include <tmmintrin.h>
#define MW_PNG_SSSE3 __attribute__((target("ssse3")))
#endif

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

#if defined(__SSE2__)
// The wide paths take whole groups of pixels and leave the few at the end of a row to the
// scalar loops after them; each returns how many pixels it converted. Loads may reach a few
// bytes past the row's last pixel, into the slack the caller guarantees. The SSSE3 forms
// (byte shuffles) run only when the processor reports SSSE3.
bool ProcessorHasSsse3()
{
    // CPUID itself rather than __builtin_cpu_supports, whose probe brings 5 KiB of libgcc into
    // the program; also right from a static initialiser.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_SSSE3) != 0;
}

bool gSsse3 = ProcessorHasSsse3();

inline __m128i Load16(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store16(TColor32* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Bytes R G B A of four pixels into words $AARRGGBB.
inline __m128i SwapRedBlue(__m128i v)
{
    const __m128i greenAlpha = _mm_set1_epi32(int(0xFF00FF00u));
    const __m128i redBlue = _mm_andnot_si128(greenAlpha, v);
    return _mm_or_si128(_mm_and_si128(v, greenAlpha),
                        _mm_or_si128(_mm_slli_epi32(redBlue, 16), _mm_srli_epi32(redBlue, 16)));
}

MW_PNG_SSSE3 inline __m128i SwapRedBlueSsse3(__m128i v)
{
    return _mm_shuffle_epi8(v, _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15));
}

// The high bytes of eight big-endian 16-bit samples at p (16 bytes) and p + 16, in order.
inline __m128i HighBytes(const uint8_t* p)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    return _mm_packus_epi16(_mm_and_si128(Load16(p), low), _mm_and_si128(Load16(p + 16), low));
}

// Sixteen grey levels g into words $FFgggggg, or with alpha bytes a into $aagggggg.
inline void SpreadGrey(__m128i grey, __m128i alpha, TColor32* out)
{
    const __m128i gg0 = _mm_unpacklo_epi8(grey, grey), gg1 = _mm_unpackhi_epi8(grey, grey);
    const __m128i ga0 = _mm_unpacklo_epi8(grey, alpha), ga1 = _mm_unpackhi_epi8(grey, alpha);
    Store16(out, _mm_unpacklo_epi16(gg0, ga0));
    Store16(out + 4, _mm_unpackhi_epi16(gg0, ga0));
    Store16(out + 8, _mm_unpacklo_epi16(gg1, ga1));
    Store16(out + 12, _mm_unpackhi_epi16(gg1, ga1));
}

uint32_t Gray8Wide(const uint8_t* raw, TColor32* out, uint32_t width)
{
    const __m128i opaque = _mm_set1_epi8(char(0xFF));
    uint32_t x = 0;
    for (; x + 16 <= width; x += 16)
        SpreadGrey(Load16(raw + x), opaque, out + x);
    return x;
}

uint32_t Gray16Wide(const uint8_t* raw, TColor32* out, uint32_t width)
{
    const __m128i opaque = _mm_set1_epi8(char(0xFF));
    uint32_t x = 0;
    for (; x + 16 <= width; x += 16)
        SpreadGrey(HighBytes(raw + 2 * x), opaque, out + x);
    return x;
}

// Grey-alpha pairs, eight bytes g a g a ... into words $aagggggg.
uint32_t GrayAlphaWide(const uint8_t* raw, TColor32* out, uint32_t width, unsigned step)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    uint32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i pairs = step == 1 ? Load16(raw + 2 * x) : HighBytes(raw + 4 * x);
        const __m128i grey = _mm_and_si128(pairs, low);
        const __m128i gg = _mm_or_si128(grey, _mm_slli_epi16(grey, 8));
        Store16(out + x, _mm_unpacklo_epi16(gg, pairs));
        Store16(out + x + 4, _mm_unpackhi_epi16(gg, pairs));
    }
    return x;
}

uint32_t Rgba8Wide(const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4)
        Store16(out + x, SwapRedBlue(Load16(raw + 4 * x)));
    return x;
}

MW_PNG_SSSE3 uint32_t Rgba8Ssse3(const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4)
        Store16(out + x, SwapRedBlueSsse3(Load16(raw + 4 * x)));
    return x;
}

uint32_t Rgba16Wide(const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4)
        Store16(out + x, SwapRedBlue(HighBytes(raw + 8 * x)));
    return x;
}

MW_PNG_SSSE3 uint32_t Rgba16Ssse3(const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4)
        Store16(out + x, SwapRedBlueSsse3(HighBytes(raw + 8 * x)));
    return x;
}

// Pixels equal to the key lose their alpha.
inline __m128i Unkey(__m128i pixels, __m128i key)
{
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    return _mm_xor_si128(pixels, _mm_and_si128(_mm_cmpeq_epi32(pixels, key), alpha));
}

// Four RGB pixels (12 bytes, 16 read) to words, with or without a key.
MW_PNG_SSSE3 uint32_t Rgb8Ssse3(const uint8_t* raw, TColor32* out, uint32_t width, bool keyed,
                                 TColor32 key)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    const __m128i keys = _mm_set1_epi32(int(key));
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_or_si128(_mm_shuffle_epi8(Load16(raw + 3 * x), order), alpha);
        Store16(out + x, keyed ? Unkey(pixels, keys) : pixels);
    }
    return x;
}

// Four 16-bit RGB pixels (24 bytes): the first two from the first 16 bytes, the other two from
// the 16 bytes at offset 8.
MW_PNG_SSSE3 uint32_t Rgb16Ssse3(const uint8_t* raw, TColor32* out, uint32_t width)
{
    const __m128i first = _mm_setr_epi8(4, 2, 0, -1, 10, 8, 6, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i second = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 8, 6, 4, -1, 14, 12, 10, -1);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    uint32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const uint8_t* p = raw + 6 * x;
        const __m128i pixels = _mm_or_si128(_mm_shuffle_epi8(Load16(p), first),
                                            _mm_shuffle_epi8(Load16(p + 8), second));
        Store16(out + x, _mm_or_si128(pixels, alpha));
    }
    return x;
}
#endif

void Gray16(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
#if defined(__SSE2__)
    if (!f.HasKey)
        x = Gray16Wide(raw, out, width);
#endif
    for (raw += 2 * x; x < width; ++x, raw += 2) {
        const uint32_t a = f.HasKey && Be16(raw) == f.Key[0] ? 0 : 255;
        out[x] = Argb(a, raw[0], raw[0], raw[0]);
    }
}

void Gray8(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
#if defined(__SSE2__)
    if (!f.HasKey)
        x = Gray8Wide(raw, out, width);
#endif
    for (; x < width; ++x)
        out[x] = f.Table[raw[x]];
}

void Rgb8(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    const TColor32 key = Argb(255, f.Key[0], f.Key[1], f.Key[2]);
    uint32_t x = 0;
#if defined(__SSE2__)
    if (gSsse3)
        x = Rgb8Ssse3(raw, out, width, f.HasKey, key);
#endif
    // One unaligned word holds R G B and the next pixel's red: reversed and shifted it is
    // $00RRGGBB. The last pixel's word reaches one byte into the slack.
    for (raw += 3 * x; x < width; ++x, raw += 3) {
        uint32_t v;
        std::memcpy(&v, raw, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        const TColor32 c = 0xFF000000u | (v >> 8);
#else
        const TColor32 c = 0xFF000000u | (__builtin_bswap32(v) >> 8);
#endif
        out[x] = f.HasKey && c == key ? c & 0x00FFFFFFu : c;
    }
}

void Rgb16(const PngRowFormat& f, const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
#if defined(__SSE2__)
    if (!f.HasKey && gSsse3)
        x = Rgb16Ssse3(raw, out, width);
#endif
    for (raw += 6 * x; x < width; ++x, raw += 6) {
        const bool key = f.HasKey && Be16(raw) == f.Key[0] && Be16(raw + 2) == f.Key[1] &&
                         Be16(raw + 4) == f.Key[2];
        out[x] = Argb(key ? 0 : 255, raw[0], raw[2], raw[4]);
    }
}

void GrayAlpha(const uint8_t* raw, TColor32* out, uint32_t width, unsigned step)
{
    uint32_t x = 0;
#if defined(__SSE2__)
    x = GrayAlphaWide(raw, out, width, step);
#endif
    for (raw += 2 * step * x; x < width; ++x, raw += 2 * step)
        out[x] = Argb(raw[step], raw[0], raw[0], raw[0]);
}

void Rgba8(const uint8_t* raw, TColor32* out, uint32_t width)
{
    uint32_t x = 0;
#if defined(__SSE2__)
    x = gSsse3 ? Rgba8Ssse3(raw, out, width) : Rgba8Wide(raw, out, width);
#endif
    // Bytes R G B A read as one little-endian word are $AABBGGRR: swap red and blue.
    for (raw += 4 * x; x < width; ++x, raw += 4) {
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
    uint32_t x = 0;
#if defined(__SSE2__)
    x = gSsse3 ? Rgba16Ssse3(raw, out, width) : Rgba16Wide(raw, out, width);
#endif
    for (raw += 8 * x; x < width; ++x, raw += 8)
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
        else if (f.BitDepth == 8)
            Gray8(f, raw, out, width);
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

bool UsePngSsse3(bool on)
{
#if defined(__SSE2__)
    const bool was = gSsse3;
    gSsse3 = on && ProcessorHasSsse3();
    return was;
#else
    (void)on;
    return false;
#endif
}
