#pragma once
// Helpers of the text and face tests: bounding boxes of pixel sets and PNG snapshots of renders
// for a person to look at.
#include <functional>
#include <string>

#include "skin/Bitmap32.h"

// Smallest half-open rectangle holding every pixel of `bitmap` that `take` accepts; empty
// (all zero) when there is none.
TRect PixelBounds(const TBitmap32& bitmap, const std::function<bool(int x, int y, TColor32)>& take);

// Writes `bitmap` as an 8-bit RGBA PNG (straight alpha) to `name` in the folder "face-renders"
// of the working directory, each pixel `scale` x `scale` times. Returns false when the file
// can't be written.
bool SaveRender(const TBitmap32& bitmap, const std::string& name, int scale = 1);
