#pragma once
// GDI access to a TBitmap32's pixels: its memory DC, with the bitmap's DIB section selected,
// and the DIB section itself. Both belong to the bitmap and stay valid until its next Resize
// (which replaces them) or its destruction; never delete or deselect them.
//
// GDI may batch drawing calls: call GdiFlush() after drawing through the DC and before reading
// Row() or Bits() directly. The bitmap's own operations flush by themselves.
#include <windows.h>

#include "skin/Bitmap32.h"

// The memory DC. An empty bitmap (no pixels) still has one, with no DIB selected, so text can
// be measured on it.
HDC BitmapDC(TBitmap32& bitmap);
// The top-down 32-bit DIB section; null for an empty bitmap.
HBITMAP BitmapHandle(TBitmap32& bitmap);
