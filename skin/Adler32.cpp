#include "skin/Adler32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kBase = 65521;
// Bytes per stretch between reductions: the most for which the running sums cannot overflow
// (the same bound zlib uses), rounded down to whole 16-byte blocks.
constexpr size_t kStretch = 5552 / 16 * 16;

#if defined(__SSE2__)
uint32_t SumLanes(__m128i v)
{
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0x4E));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0xB1));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(v));
}
#endif

}  // namespace

uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t size)
{
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
#if defined(__SSE2__)
    // Over one stretch of n bytes x[0..n): a grows by the sum of the bytes, b by n * a plus
    // the sum of (n - i) * x[i]. Per block of 16 the weights are 16..1 on top of 16 for every
    // block still to come, which `before` (the sum of the bytes of all earlier blocks, added
    // once per block) accounts for.
    const __m128i zero = _mm_setzero_si128();
    const __m128i high = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i low = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    while (size >= 16) {
        const size_t n = size < kStretch ? size / 16 * 16 : kStretch;
        __m128i sum = zero, before = zero, weighted = zero;
        for (size_t i = 0; i < n; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            before = _mm_add_epi32(before, sum);
            sum = _mm_add_epi32(sum, _mm_sad_epu8(x, zero));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(x, zero), high));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(x, zero), low));
        }
        const uint64_t b64 = b + uint64_t(n) * a + 16 * uint64_t(SumLanes(before)) + SumLanes(weighted);
        a = (a + SumLanes(sum)) % kBase;
        b = static_cast<uint32_t>(b64 % kBase);
        data += n;
        size -= n;
    }
#endif
    while (size > 0) {
        const size_t n = size < kStretch ? size : kStretch;
        for (size_t i = 0; i < n; ++i) {
            a += data[i];
            b += a;
        }
        a %= kBase;
        b %= kBase;
        data += n;
        size -= n;
    }
    return (b << 16) | a;
}
