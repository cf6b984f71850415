#include "skin/Blur.h"

#include <vector>

#include "skin/PixelStore.h"

namespace {

// Both kernels are products of a row and a column weight (W), so the window sum is the column
// sums of the rows above and below, weighted again across: exact integers either way. The
// divisor is a constant so that the division compiles to a multiplication.
template <int R, uint32_t Divisor>
void Convolve(const TColor32* from, TBitmap32& to, const uint32_t (&weights)[2 * R + 1])
{
    const int32_t w = to.Width(), h = to.Height();
    std::vector<uint32_t> columns(static_cast<size_t>(w) * 4);
    for (int32_t y = R; y < h - R; ++y) {
        std::fill(columns.begin(), columns.end(), 0);
        for (int dy = -R; dy <= R; ++dy) {
            const TColor32* row = from + static_cast<size_t>(y + dy) * w;
            const uint32_t weight = weights[dy + R];
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
        for (int32_t x = R; x < w - R; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int dx = -R; dx <= R; ++dx) {
                const uint32_t weight = weights[dx + R];
                const uint32_t* c = &columns[static_cast<size_t>(x + dx) * 4];
                for (int i = 0; i < 4; ++i)
                    sum[i] += weight * c[i];
            }
            // The weights add up to the divisor, so no quotient exceeds 255.
            out[x] = (sum[0] / Divisor) << 24 | (sum[1] / Divisor) << 16 | (sum[2] / Divisor) << 8 |
                     (sum[3] / Divisor);
        }
    }
    to.Changed({R, R, w - R, h - R});
}

int RadiusOf(int mode)
{
    return mode == 0 ? 2 : mode == 1 ? 1 : -1;
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
    const int r = RadiusOf(mode);
    const int32_t w = source->Width(), h = source->Height();
    if (r < 0 || w < 2 * r + 1 || h < 2 * r + 1)
        return;
    // The window reads the original pixels, so they are read from a copy.
    source->Store()->Sync();
    std::vector<TColor32> copy(source->Bits(), source->Bits() + static_cast<size_t>(w) * h);
    static const uint32_t box[5] = {1, 1, 1, 1, 1};
    static const uint32_t soft[3] = {1, 2, 1};
    if (mode == 0)
        Convolve<2, 25>(copy.data(), *destination, box);
    else
        Convolve<1, 16>(copy.data(), *destination, soft);
}
