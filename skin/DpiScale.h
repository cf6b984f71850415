#pragma once
// Layout figures drawn for 96 pixels per inch, scaled to a window's resolution. Every figure is
// rounded the same way (half away from zero), and a rectangle scales its edges rather than its
// size, so that rectangles that touch at 96 DPI touch at every scale.
#include <cstdint>

#include "skin/Bitmap32.h"

constexpr int kBaseDpi = 96;

class TDpiScale {
public:
    constexpr TDpiScale() = default;
    // Resolutions below 1 count as 96.
    constexpr explicit TDpiScale(int dpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}
    constexpr int Dpi() const { return dpi_; }
    constexpr bool IsBase() const { return dpi_ == kBaseDpi; }
    constexpr int operator()(int figure) const
    {
        const int64_t scaled = int64_t(figure < 0 ? -figure : figure) * dpi_ + kBaseDpi / 2;
        const int value = static_cast<int>(scaled / kBaseDpi);
        return figure < 0 ? -value : value;
    }
    constexpr TRect operator()(const TRect& r) const
    {
        return TRect{(*this)(r.Left), (*this)(r.Top), (*this)(r.Right), (*this)(r.Bottom)};
    }

private:
    int dpi_ = kBaseDpi;
};

// The skin pictures exist at these scales (percent); the 100 % set carries the plain names, the
// others the same names followed by the percentage ("WALLPAPER150").
constexpr int kSkinScales[] = {100, 150, 200};
// The smallest set drawn at or above `dpi`; the largest when none is.
int SkinScaleFor(int dpi);
// How many passes of the 3 x 3 blur give a shadow as soft at `dpi` as one pass at 96: the
// kernel's variance grows with the square of the scale (1 at 96, 2 at 120 and 144, 4 at 192).
int BlurPassesFor(int dpi);

// Resamples `source` (straight alpha) to `width` x `height` into `dest` by area averaging: each
// destination pixel is the alpha-weighted mean of the source area it covers, so a picture drawn
// for a larger scale shrinks without jagged edges or dark fringes. Equal sizes copy.
void ResampleArea(const TBitmap32& source, int32_t width, int32_t height, TBitmap32& dest);
