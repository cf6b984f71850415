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
    for (size_t i = 0; i < size; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
}

// The byte distance is a template argument so the left-neighbour loops unroll per pixel size.
template <unsigned Bpp>
void Sub(uint8_t* row, size_t size)
{
    for (size_t i = Bpp; i < size; ++i)
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

#if defined(__SSE2__)
// Pixels of 3 to 8 bytes: one whole pixel per step, its bytes widened to 16-bit lanes, so the
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

inline __m128i Abs16(__m128i v)
{
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <unsigned Bpp>
void AverageWide(uint8_t* row, const uint8_t* prev, size_t size)
{
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < size; i += Bpp) {
        const __m128i b = Load<Bpp>(prev + i);
        const __m128i average = _mm_srli_epi16(_mm_add_epi16(a, b), 1);
        a = _mm_and_si128(_mm_add_epi16(Load<Bpp>(row + i), average), low);
        Store<Bpp>(row + i, a);
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
    // Sub is one add per byte, fastest as it stands; the vector forms win for the longer chains.
    if (Bpp >= 3 && type == 4) {
        PaethWide<Bpp>(row, prev, size);
        return;
    }
    if (Bpp >= 6 && type == 3) {
        AverageWide<Bpp>(row, prev, size);
        return;
    }
#endif
    switch (type) {
    case 1: Sub<Bpp>(row, size); break;
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
