#pragma once
// TBitmap32: a 32-bit ARGB bitmap with alpha, the surface every skin picture is drawn on.
// Pixels are TColor32 words $AARRGGBB, rows top first, no padding. Colours are straight unless
// PremultiplyAlpha has been applied. On Windows the pixels live in a top-down DIB section with
// its own memory DC (see BitmapDc_win32.h), so GDI can draw text straight into them; in the
// host build they live in plain memory.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/Exception.h"

using TColor32 = uint32_t;

enum TDrawMode : uint8_t { dmOpaque = 0, dmBlend = 1 };
enum TCombineMode : uint8_t { cmBlend = 0, cmMerge = 1 };

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    // Half-open: Left <= x < Right and Top <= y < Bottom.
    bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The bitmap's font for the text operations (name, size in points, style set, colour).
struct TFont32 {
    std::string Name = "Tahoma";
    int Size = 8;
    uint8_t Style = 0;  // TFontStyle bits
    TColor32 Color = 0xFF000000;
    // The resolution the points are for; 0: the drawing device's own.
    int PixelsPerInch = 0;
    // The language of the texts drawn (a Windows language id), which may call for another face
    // (CreatePointFont); 0: none in particular.
    uint16_t Language = 0;
};

class EBitmapError : public Exception {
public:
    using Exception::Exception;
};

class PixelStore;  // DIB section (Windows) or plain memory (host)

class TBitmap32 {
public:
    TBitmap32();
    ~TBitmap32();
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }

    // New size; every pixel 0 afterwards, also when the size is unchanged. Negative sizes count
    // as 0. Raises EBitmapError ("Can't allocate the DIB handle", "Can't create compatible DC",
    // "Can't select an object into DC") when the pixel memory can't be had.
    void Resize(int32_t width, int32_t height);
    void FillAll(TColor32 color);
    // Pixels x1 <= x < x2, y1 <= y < y2 := color, no blending. Callers keep the rectangle
    // inside the bitmap; whatever lies outside is cut off, never written.
    void FillRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color);
    void SetAllAlpha(uint8_t alpha);
    // Draws the whole bitmap with its top-left at (x, y) of `dest`, clipped to `dest`, by this
    // bitmap's DrawMode, CombineMode and MasterAlpha.
    void DrawOnto(TBitmap32& dest, int32_t x, int32_t y) const;
    // The same for `source` (in this bitmap's coordinates, clipped to it) only.
    void DrawRegionOnto(TBitmap32& dest, int32_t x, int32_t y, const TRect& source) const;
    // Takes the size and pixels of `source` (not its modes or font). Raises as Resize.
    void Assign(const TBitmap32& source);
    void PremultiplyAlpha();

    TColor32* Row(int32_t y) { return bits_ + static_cast<size_t>(y) * width_; }
    const TColor32* Row(int32_t y) const { return bits_ + static_cast<size_t>(y) * width_; }
    TColor32* Bits() { return bits_; }
    const TColor32* Bits() const { return bits_; }
    TColor32 Pixel(int32_t x, int32_t y) const { return Row(y)[x]; }

    TDrawMode DrawMode() const { return drawMode_; }
    void SetDrawMode(TDrawMode mode);
    TCombineMode CombineMode() const { return combineMode_; }
    void SetCombineMode(TCombineMode mode);
    uint8_t MasterAlpha() const { return masterAlpha_; }
    void SetMasterAlpha(uint8_t alpha);

    TColor32 OuterColor = 0;
    TFont32 Font;

    // Change notification: called with the changed area (the whole bitmap when not narrower)
    // after pixels change through the operations above, or when a mode or the master alpha is
    // set to a different value. Setting a property to its current value notifies nobody.
    std::function<void(const TRect&)> OnChange;
    void Changed();
    void Changed(const TRect& area);

    PixelStore* Store() const { return store_.get(); }

private:
    std::unique_ptr<PixelStore> store_;
    TColor32* bits_ = nullptr;
    int32_t width_ = 0, height_ = 0;
    TDrawMode drawMode_ = dmOpaque;
    TCombineMode combineMode_ = cmBlend;
    uint8_t masterAlpha_ = 255;
};

// Blend arithmetic, exposed for the layer painter and for tests. Every fraction is rounded to
// the nearest integer (halves up). The effective alpha is a = Fa * masterAlpha / 255; with
// a = 0 both return b unchanged.
// dmBlend/cmBlend of F over B: colours (F*a + B*(255-a)) / 255; alpha a + Ba*(255-a)/255, so an
// opaque destination stays opaque.
TColor32 BlendPixel(TColor32 f, TColor32 b, uint8_t masterAlpha);
// dmBlend/cmMerge: Porter-Duff source-over on straight colours. Ba = 0 gives F's colour with
// alpha a; otherwise with weights wf = a*255 and wb = Ba*(255-a): colours (F*wf + B*wb) /
// (wf + wb), alpha (wf + wb) / 255.
TColor32 MergePixel(TColor32 f, TColor32 b, uint8_t masterAlpha);
