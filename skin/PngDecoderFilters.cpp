#include "skin/PngFilters.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Paeth predictor without data-dependent branches: pick the nearer of a and b first, then
// compare it with c, so the compiler can use conditional moves.
inline uint8_t Paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int near = pa <= pb ? a : b;
    const int pnear = pa <= pb ? pa : pb;
    return static_cast<uint8_t>(pnear <= pc ? near : c);
}

void Up(uint8_t* row, const uint8_t* prev, size_t size)
{
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= size; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
#endif
    for (; i < size; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
}

// The byte distance is a template argument so the left-neighbour loops unroll per pixel size.
template <unsigned Bpp>
void SubFrom(uint8_t* row, size_t from, size_t size)
{
    for (size_t i = from < Bpp ? Bpp : from; i < size; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - Bpp]);
}

template <unsigned Bpp>
void Average(uint8_t* row, const uint8_t* prev, size_t size)
{
    const size_t head = size < Bpp ? size : Bpp;
    for (size_t i = 0; i < head; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
    for (size_t i = Bpp; i < size; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - Bpp] + prev[i]) >> 1));
}

template <unsigned Bpp>
void PaethRow(uint8_t* row, const uint8_t* prev, size_t size)
{
    const size_t head = size < Bpp ? size : Bpp;
    for (size_t i = 0; i < head; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    for (size_t i = Bpp; i < size; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - Bpp], prev[i], prev[i - Bpp]));
}

// One-byte pixels: the left neighbour (and the one above it) stay in registers, rather than
// being read back from the byte just stored.
template <>
void Average<1>(uint8_t* row, const uint8_t* prev, size_t size)
{
    unsigned a = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (row[i] + ((a + prev[i]) >> 1)) & 0xFF;
        row[i] = static_cast<uint8_t>(a);
    }
}

template <>
void PaethRow<1>(uint8_t* row, const uint8_t* prev, size_t size)
{
    int a = 0, c = 0;
    for (size_t i = 0; i < size; ++i) {
        const int b = prev[i];
        a = (row[i] + Paeth(a, b, c)) & 0xFF;
        row[i] = static_cast<uint8_t>(a);
        c = b;
    }
}

#if defined(__SSE2__)
// Pixels of 2 to 8 bytes: one whole pixel per step, its bytes widened to 16-bit lanes, so the
// chain through the left neighbour costs a few vector operations per pixel instead of a few
// scalar ones per byte. Rows are whole pixels for these sizes. Loads take 4 or 8 bytes at
// once (a load assembled from smaller pieces stalls store forwarding), which is why the rows
// must stay readable a few bytes past their end.
template <unsigned Bpp>
inline __m128i Load(const uint8_t* p)
{
    if (Bpp <= 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), _mm_setzero_si128());
    }
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

template <unsigned Bpp>
inline void Store(uint8_t* p, __m128i v)
{
    const __m128i packed = _mm_packus_epi16(v, v);
    if (Bpp <= 4) {
        const uint32_t bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(packed));
        std::memcpy(p, &bytes, Bpp);
    } else {
        const uint64_t bytes = static_cast<uint64_t>(_mm_cvtsi128_si64(packed));
        std::memcpy(p, &bytes, Bpp);
    }
}

// The same pixel loads and stores without widening, for filters that work in byte lanes.
template <unsigned Bpp>
inline __m128i LoadBytes(const uint8_t* p)
{
    if (Bpp <= 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return _mm_cvtsi32_si128(static_cast<int>(v));
    }
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

template <unsigned Bpp>
inline void StoreBytes(uint8_t* p, __m128i v)
{
    if (Bpp <= 4) {
        const uint32_t bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
        std::memcpy(p, &bytes, Bpp);
    } else {
        const uint64_t bytes = static_cast<uint64_t>(_mm_cvtsi128_si64(v));
        std::memcpy(p, &bytes, Bpp);
    }
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Sub as a running sum of whole pixels: within one step of 16 (or 12) bytes the pixels are
// summed by shifted adds, off the chain from step to step, which carries only the last pixel
// of the step before, spread over every pixel position.
template <unsigned Bpp>
size_t SubWide(uint8_t* row, size_t size)
{
    constexpr size_t step = Bpp == 3 || Bpp == 6 ? 12 : 16;
    __m128i carry = _mm_setzero_si128();
    size_t i = 0;
    for (; i + step <= size; i += step) {
        // Rows of 3- and 6-byte pixels are read 16 bytes at a time but only 12 are kept; the
        // other 4 lie within the row or its readable slack.
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        x = _mm_add_epi8(x, _mm_slli_si128(x, Bpp));
        if (Bpp < 8 && Bpp != 6)
            x = _mm_add_epi8(x, _mm_slli_si128(x, 2 * Bpp));
        if (Bpp < 3)
            x = _mm_add_epi8(x, _mm_slli_si128(x, 4 * Bpp));
        if (Bpp == 1)
            x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
        x = _mm_add_epi8(x, carry);
        if (step == 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), x);
            const uint32_t high = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x, 8)));
            std::memcpy(row + i + 8, &high, 4);
        }
        switch (Bpp) {
        case 1:
            carry = _mm_unpacklo_epi8(_mm_srli_si128(x, 15), _mm_srli_si128(x, 15));
            carry = _mm_shuffle_epi32(_mm_shufflelo_epi16(carry, 0), 0);
            break;
        case 2:
            carry = _mm_shufflehi_epi16(x, 0xFF);
            carry = _mm_unpackhi_epi64(carry, carry);
            break;
        case 4:
            carry = _mm_shuffle_epi32(x, 0xFF);
            break;
        case 8:
            carry = _mm_unpackhi_epi64(x, x);
            break;
        default:  // 3 and 6: the last pixel of the 12 bytes, then copies of it every Bpp bytes
            carry = _mm_srli_si128(_mm_slli_si128(x, 16 - 12), 16 - Bpp);
            carry = _mm_or_si128(carry, _mm_slli_si128(carry, Bpp));
            if (Bpp == 3)
                carry = _mm_or_si128(carry, _mm_slli_si128(carry, 2 * Bpp));
            break;
        }
    }
    return i;
}

// Carries the complement n = ~a of the left neighbour, in byte lanes: ~floor((a + b) / 2) is
// the rounded-up average of ~a and ~b (pavgb), and ~(x + floor((a + b) / 2)) is that average
// minus x, so the chain from pixel to pixel is two operations.
template <unsigned Bpp>
void AverageWide(uint8_t* row, const uint8_t* prev, size_t size)
{
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    __m128i n = ones;
    for (size_t i = 0; i < size; i += Bpp) {
        const __m128i notB = _mm_xor_si128(LoadBytes<Bpp>(prev + i), ones);
        n = _mm_sub_epi8(_mm_avg_epu8(n, notB), LoadBytes<Bpp>(row + i));
        StoreBytes<Bpp>(row + i, _mm_xor_si128(n, ones));
    }
}

// Laid out for a short chain through the left neighbour a: everything that depends only on
// the row above is computed off the chain, both distances that involve a take two steps, and
// the final add wraps in byte lanes (the high bytes of both operands are zero), which spares
// masking the sum back to 8 bits.
template <unsigned Bpp>
void PaethWide(uint8_t* row, const uint8_t* prev, size_t size)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;
    __m128i c = zero;
    for (size_t i = 0; i < size; i += Bpp) {
        const __m128i b = Load<Bpp>(prev + i);
        const __m128i bc = _mm_sub_epi16(b, c);
        const __m128i pa = _mm_max_epi16(bc, _mm_sub_epi16(zero, bc));
        const __m128i k = _mm_sub_epi16(bc, c);  // b - 2c, so that a + k = (a - c) + (b - c)
        const __m128i pb = _mm_max_epi16(_mm_sub_epi16(a, c), _mm_sub_epi16(c, a));
        const __m128i pc = _mm_max_epi16(_mm_add_epi16(a, k), _mm_sub_epi16(_mm_sub_epi16(zero, k), a));
        const __m128i takeB = _mm_cmpgt_epi16(pa, pb);
        const __m128i takeC = _mm_cmpgt_epi16(_mm_min_epi16(pa, pb), pc);
        const __m128i near = Select(takeB, b, a);
        const __m128i predicted = Select(takeC, c, near);
        a = _mm_add_epi8(Load<Bpp>(row + i), predicted);
        Store<Bpp>(row + i, a);
        c = b;
    }
}
#endif

template <unsigned Bpp>
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t size)
{
#if defined(__SSE2__)
    // Pixels of one byte keep the scalar Average and Paeth: their chains are a byte long either way.
    switch (type) {
    case 1: SubFrom<Bpp>(row, SubWide<Bpp>(row, size), size); return;
    case 3:
        if (Bpp >= 2) {
            AverageWide<Bpp>(row, prev, size);
            return;
        }
        break;
    case 4:
        if (Bpp >= 2) {
            PaethWide<Bpp>(row, prev, size);
            return;
        }
        break;
    }
#endif
    switch (type) {
    case 1: SubFrom<Bpp>(row, 0, size); break;
    case 3: Average<Bpp>(row, prev, size); break;
    case 4: PaethRow<Bpp>(row, prev, size); break;
    }
}

}  // namespace

bool UnfilterPngRow(uint8_t type, uint8_t* row, const uint8_t* prev, size_t size, unsigned bpp)
{
    if (type > 4)
        return false;
    if (type == 0)
        return true;
    if (type == 2) {
        Up(row, prev, size);
        return true;
    }
    switch (bpp) {
    case 1: Unfilter<1>(type, row, prev, size); break;
    case 2: Unfilter<2>(type, row, prev, size); break;
    case 3: Unfilter<3>(type, row, prev, size); break;
    case 4: Unfilter<4>(type, row, prev, size); break;
    case 6: Unfilter<6>(type, row, prev, size); break;
    default: Unfilter<8>(type, row, prev, size); break;
    }
    return true;
}
