#include "skin/PngFilters.h"

#include <cstdlib>

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

template <unsigned Bpp>
void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prev, size_t size)
{
    switch (type) {
    case 1:
        Sub<Bpp>(row, size);
        break;
    case 3:
        Average<Bpp>(row, prev, size);
        break;
    case 4:
        PaethRow<Bpp>(row, prev, size);
        break;
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
