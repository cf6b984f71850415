#include "skin/TextRender.h"

#include <algorithm>
#include <vector>

int ClampTextLevel(int level)
{
    if (level < kMinTextLevel)
        return kMinTextLevel;
    if (level > kMaxTextLevel)
        return kMaxTextLevel;
    return level;
}

int TextSupersampling(int level)
{
    const int s = ClampTextLevel(level);
    return s >= 1 ? 1 << s : 1;
}

int32_t ScratchSide(int32_t extent, int factor)
{
    return (extent / factor + 1) * factor;
}

void ReduceCoverage(const TBitmap32& scratch, int factor, TColor32 color, TBitmap32& result)
{
    const int32_t width = scratch.Width() / factor;
    const int32_t height = scratch.Height() / factor;
    result.Resize(width, height);
    if (result.Empty())
        return;
    const TColor32 rgb = color & 0x00FFFFFFu;
    // Summing a whole row of blocks at once walks the scratch rows in memory order.
    std::vector<uint32_t> sums(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int sy = 0; sy < factor; ++sy) {
            const TColor32* src = scratch.Row(y * factor + sy);
            for (int32_t x = 0; x < width; ++x) {
                uint32_t sum = 0;
                for (int sx = 0; sx < factor; ++sx)
                    sum += src[x * factor + sx] & 0xFFu;
                sums[static_cast<size_t>(x)] += sum;
            }
        }
        TColor32* out = result.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t alpha = sums[static_cast<size_t>(x)] / factor / factor;
            out[x] = (alpha << 24) | rgb;
        }
    }
    result.Changed();
}
