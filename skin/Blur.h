#pragma once
// A small weighted convolution over the four channels of a bitmap (straight colours), used to
// soften text shadows.
//   mode 0: 5 x 5, every weight 1, divisor 25
//   mode 1: 3 x 3, weights 1 2 1 / 2 4 2 / 1 2 1, divisor 16
//   any other mode: nothing happens.
// Each channel of a pixel becomes the weighted sum of that channel over the window centred on
// it, divided by the divisor rounding down. Only pixels whose whole window lies inside the
// bitmap change: the border (1 pixel wide for 3 x 3, 2 for 5 x 5) keeps its pixels, and a bitmap
// smaller than the window in a direction is left as it is.
#include "skin/Bitmap32.h"

// Blurs `bitmap` in place. Raises EBitmapError "The source is nil" for a null bitmap.
void BlurBitmap(TBitmap32* bitmap, int mode);

// `destination` takes the size and pixels of `source`, then its inner pixels are computed from
// `source` (the two may be one bitmap). Raises EBitmapError "The source is nil" or "Destination
// is nil" for a null argument.
void BlurBitmap(const TBitmap32* source, TBitmap32* destination, int mode);
