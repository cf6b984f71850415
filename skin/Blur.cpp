#include "skin/Blur.h"

#include <vector>

#include "skin/PixelStore.h"

namespace {

struct Kernel {
    int radius;
    int weights[5];  // one direction; the window's weight is the product of row and column
    uint32_t divisor;
};

const Kernel* KernelOf(int mode)
{
    static const Kernel box{2, {1, 1, 1, 1, 1}, 25};
    static const Kernel soft{1, {1, 2, 1}, 16};
    switch (mode) {
    case 0: return &box;
    case 1: return &soft;
    default: return nullptr;
    }
}

// Both kernels are products of a row and a column weight, so the window sum is the column
// sums of the rows above and below, weighted again across: exact integers either way.
void Convolve(const TColor32* from, TBitmap32& to, const Kernel& k)
{
    const int32_t w = to.Width(), h = to.Height(), r = k.radius;
    std::vector<uint32_t> columns(static_cast<size_t>(w) * 4);
    for (int32_t y = r; y < h - r; ++y) {
        std::fill(columns.begin(), columns.end(), 0);
        for (int dy = -r; dy <= r; ++dy) {
            const TColor32* row = from + static_cast<size_t>(y + dy) * w;
            const uint32_t weight = static_cast<uint32_t>(k.weights[dy + r]);
            uint32_t* c = columns.data();
            for (int32_t x = 0; x < w; ++x, c += 4) {
                const TColor32 p = row[x];
                c[0] += weight * (p >> 24);
                c[1] += weight * ((p >> 16) & 0xFF);
                c[2] += weight * ((p >> 8) & 0xFF);
                c[3] += weight * (p & 0xFF);
            }
        }
        TColor32* out = to.Row(y);
        for (int32_t x = r; x < w - r; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int dx = -r; dx <= r; ++dx) {
                const uint32_t weight = static_cast<uint32_t>(k.weights[dx + r]);
                const uint32_t* c = &columns[static_cast<size_t>(x + dx) * 4];
                for (int i = 0; i < 4; ++i)
                    sum[i] += weight * c[i];
            }
            // The weights add up to the divisor, so no quotient exceeds 255.
            out[x] = (sum[0] / k.divisor) << 24 | (sum[1] / k.divisor) << 16 |
                     (sum[2] / k.divisor) << 8 | (sum[3] / k.divisor);
        }
    }
    to.Changed({r, r, w - r, h - r});
}

}  // namespace

void BlurBitmap(TBitmap32* bitmap, int mode)
{
    if (!bitmap)
        throw EBitmapError("The source is nil");
    BlurBitmap(bitmap, bitmap, mode);
}

void BlurBitmap(const TBitmap32* source, TBitmap32* destination, int mode)
{
    if (!source)
        throw EBitmapError("The source is nil");
    if (!destination)
        throw EBitmapError("Destination is nil");
    if (destination != source)
        destination->Assign(*source);
    const Kernel* k = KernelOf(mode);
    const int32_t w = source->Width(), h = source->Height();
    if (!k || w < 2 * k->radius + 1 || h < 2 * k->radius + 1)
        return;
    // The window reads the original pixels, so they are read from a copy.
    source->Store()->Sync();
    std::vector<TColor32> copy(source->Bits(), source->Bits() + static_cast<size_t>(w) * h);
    Convolve(copy.data(), *destination, *k);
}
