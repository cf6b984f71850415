#include "skin/DpiScale.h"

#include <algorithm>
#include <vector>

int SkinScaleFor(int dpi)
{
    for (const int scale : kSkinScales)
        if (int64_t(scale) * kBaseDpi >= int64_t(dpi) * 100)
            return scale;
    return kSkinScales[sizeof kSkinScales / sizeof kSkinScales[0] - 1];
}

int BlurPassesFor(int dpi)
{
    const int64_t square = int64_t(dpi) * dpi;
    const int64_t base = int64_t(kBaseDpi) * kBaseDpi;
    return static_cast<int>(std::max<int64_t>(1, (square + base / 2) / base));
}

namespace {

struct Tap {
    int32_t Index;
    float Weight;
};

// For each of `to` destination cells, the source cells of `from` it covers and their share of
// it (the shares of one cell sum to 1).
std::vector<std::vector<Tap>> AreaTaps(int32_t from, int32_t to)
{
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const double step = double(from) / to;
    for (int32_t i = 0; i < to; ++i) {
        const double begin = i * step;
        const double end = std::min(double(from), (i + 1) * step);
        for (int32_t j = static_cast<int32_t>(begin); j < from && j < end; ++j) {
            const double overlap = std::min(end, j + 1.0) - std::max(begin, double(j));
            if (overlap > 0)
                taps[static_cast<size_t>(i)].push_back({j, static_cast<float>(overlap / step)});
        }
    }
    return taps;
}

uint8_t Channel(float value)
{
    return static_cast<uint8_t>(std::min(255.0f, std::max(0.0f, value)) + 0.5f);
}

}  // namespace

void ResampleArea(const TBitmap32& source, int32_t width, int32_t height, TBitmap32& dest)
{
    if (source.Empty() || width <= 0 || height <= 0) {
        dest.Resize(0, 0);
        return;
    }
    if (width == source.Width() && height == source.Height()) {
        dest.Assign(source);
        return;
    }
    const auto columns = AreaTaps(source.Width(), width);
    const auto rows = AreaTaps(source.Height(), height);
    // Colours weighted by their alpha, so that transparent pixels lend no colour to the edge.
    // A source row is resampled across once: the row two target rows share is kept.
    std::vector<float> across(static_cast<size_t>(width) * 4);
    int32_t acrossRow = -1;
    const auto resampleAcross = [&](int32_t index) {
        const TColor32* src = source.Row(index);
        for (int32_t x = 0; x < width; ++x) {
            float a = 0, r = 0, g = 0, b = 0;
            for (const Tap& col : columns[static_cast<size_t>(x)]) {
                const TColor32 p = src[col.Index];
                const float wa = col.Weight * float(p >> 24);
                a += wa;
                r += wa * float((p >> 16) & 0xFF);
                g += wa * float((p >> 8) & 0xFF);
                b += wa * float(p & 0xFF);
            }
            float* h = &across[static_cast<size_t>(x) * 4];
            h[0] = a;
            h[1] = r;
            h[2] = g;
            h[3] = b;
        }
        acrossRow = index;
    };
    std::vector<float> sum(static_cast<size_t>(width) * 4);
    dest.Resize(width, height);
    for (int32_t y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (const Tap& row : rows[static_cast<size_t>(y)]) {
            if (row.Index != acrossRow)
                resampleAcross(row.Index);
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += row.Weight * across[i];
        }
        TColor32* out = dest.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            const float* s = &sum[static_cast<size_t>(x) * 4];
            const uint8_t alpha = Channel(s[0]);
            if (s[0] <= 0) {
                out[x] = 0;
                continue;
            }
            out[x] = (TColor32(alpha) << 24) | (TColor32(Channel(s[1] / s[0])) << 16) |
                     (TColor32(Channel(s[2] / s[0])) << 8) | TColor32(Channel(s[3] / s[0]));
        }
    }
    dest.Changed();
}
