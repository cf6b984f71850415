#pragma once
// The memory behind a TBitmap32's pixels. On Windows a top-down 32-bit DIB section selected
// into its own memory DC (PixelStore_win32.cpp, reached through BitmapDc_win32.h); in the host
// build plain heap memory (PixelStore_native.cpp).
#include <cstdint>
#include <memory>

#include "skin/Bitmap32.h"

class PixelStore {
public:
    virtual ~PixelStore() = default;
    // width * height pixels, rows top first without padding; null when there are none.
    TColor32* Bits() const { return bits_; }
    // Makes the pixels current before the CPU reads or writes them (GDI may batch drawing).
    virtual void Sync() {}

protected:
    TColor32* bits_ = nullptr;
};

// Pixel memory for width x height pixels (both >= 0), every pixel 0. A store for no pixels is
// still a store (on Windows it has a DC, so text can be measured on an empty bitmap). Raises
// EBitmapError "Can't allocate the DIB handle" when the memory can't be had (also for sizes of
// 2 GiB or more), "Can't create compatible DC" or "Can't select an object into DC".
std::unique_ptr<PixelStore> NewPixelStore(int32_t width, int32_t height);

// Pixel count of a width x height store, or -1 when it is too large to allocate.
int64_t PixelStoreCount(int32_t width, int32_t height);
