#pragma once
// Text drawn onto a TBitmap32 with the bitmap's font (TBitmap32::Font): measuring, and an
// anti-aliased rasteriser that supersamples GDI's plain glyphs.
//
// The coverage arithmetic below is portable; MeasureText and RenderAntialiasedText draw through
// GDI and exist on Windows only.
#include <cstdint>
#include <string>

#include "skin/Bitmap32.h"

// Anti-aliasing levels outside -1..4 count as the nearest end.
constexpr int kMinTextLevel = -1;
constexpr int kMaxTextLevel = 4;
int ClampTextLevel(int level);

// Pixels per result pixel in each direction for a (clamped) level: 2^level for levels >= 1,
// else 1.
int TextSupersampling(int level);

// Side of the scratch bitmap for a measured extent: the next multiple of `factor` above it,
// ((extent div factor) + 1) * factor. `factor` >= 1, `extent` >= 0.
int32_t ScratchSide(int32_t extent, int factor);

// Reduces a white-on-black rendering to a coverage bitmap: `result` is resized to
// scratch size / factor and each pixel gets the RGB of `color` and an alpha equal to the sum of
// the blue bytes of its factor x factor block in `scratch`, divided by factor twice (integer
// division). Only blue is read, so GDI's habit of writing alpha 0 into DIB pixels does not
// matter. Scratch sides must be multiples of `factor`.
void ReduceCoverage(const TBitmap32& scratch, int factor, TColor32 color, TBitmap32& result);

#ifdef _WIN32
// The width in pixels of `text` in `bitmap.Font` (its UTF-16 letters as drawn, whatever the
// system code page), at the logical resolution of the bitmap's device context. 0 for an empty
// text.
int MeasureText(TBitmap32& bitmap, const std::wstring& text);

// Draws `text` with its top-left at (x, y) of `bitmap` in `color`, anti-aliased by `level`
// (clamped to -1..4): levels >= 1 supersample 2^level times through GDI's non-anti-aliased
// glyphs; 0 draws them once unscaled; -1 draws GDI's own anti-aliased glyphs once. The glyph
// coverage is blended onto the bitmap with dmBlend, master alpha = the alpha byte of `color` and
// the bitmap's own combine mode. Does nothing on an empty bitmap or for an empty text.
// Raises EBitmapError when GDI refuses the font or the scratch bitmap. The last coverage is
// kept (one bitmap, program-wide, one thread) and serves the next call with the same text,
// font, resolution and level, recoloured.
void RenderAntialiasedText(TBitmap32& bitmap, int x, int y, const std::wstring& text, int level,
                           TColor32 color);
#endif
