#include "skin/Bitmap32.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skin/PixelStore.h"

namespace {

// x / 255 rounded to the nearest integer, exact for 0 <= x <= 255 * 255 (255 is odd, so no
// quotient ever lies halfway).
inline uint32_t Div255(uint32_t x)
{
    return (x + 127) / 255;
}

inline uint32_t Channel(TColor32 c, int shift)
{
    return (c >> shift) & 0xFF;
}

// The intersection of two rectangles; empty (all 0) when they don't meet.
TRect Intersect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

}  // namespace

TColor32 BlendPixel(TColor32 f, TColor32 b, uint8_t masterAlpha)
{
    const uint32_t a = Div255(Channel(f, 24) * masterAlpha);
    if (a == 0)
        return b;
    if (a == 255)
        return 0xFF000000 | f;
    const uint32_t na = 255 - a;
    const uint32_t ra = a + Div255(Channel(b, 24) * na);
    const uint32_t r = Div255(Channel(f, 16) * a + Channel(b, 16) * na);
    const uint32_t g = Div255(Channel(f, 8) * a + Channel(b, 8) * na);
    const uint32_t bl = Div255(Channel(f, 0) * a + Channel(b, 0) * na);
    return (ra << 24) | (r << 16) | (g << 8) | bl;
}

TColor32 MergePixel(TColor32 f, TColor32 b, uint8_t masterAlpha)
{
    const uint32_t a = Div255(Channel(f, 24) * masterAlpha);
    if (a == 0)
        return b;
    const uint32_t ba = Channel(b, 24);
    if (ba == 0 || a == 255)
        return (a << 24) | (f & 0x00FFFFFF);
    // In units of 1/255^2: the source's weight, the destination's weight and their sum (the
    // result alpha times 255). Each channel is the weighted mean, rounded to nearest.
    const uint32_t wf = a * 255;
    const uint32_t wb = ba * (255 - a);
    const uint32_t w = wf + wb;
    const uint32_t half = w / 2;
    const uint32_t r = (Channel(f, 16) * wf + Channel(b, 16) * wb + half) / w;
    const uint32_t g = (Channel(f, 8) * wf + Channel(b, 8) * wb + half) / w;
    const uint32_t bl = (Channel(f, 0) * wf + Channel(b, 0) * wb + half) / w;
    return (Div255(w) << 24) | (r << 16) | (g << 8) | bl;
}

TBitmap32::TBitmap32() : store_(NewPixelStore(0, 0)) {}

TBitmap32::~TBitmap32() = default;

void TBitmap32::Resize(int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const TRect touched{0, 0, std::max(width, width_), std::max(height, height_)};
    if (width == width_ && height == height_) {
        if (!Empty()) {
            store_->Sync();
            std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * sizeof(TColor32));
            Changed(touched);
        }
        return;
    }
    // The new store first: if it can't be had, the bitmap stays as it was.
    std::unique_ptr<PixelStore> store = NewPixelStore(width, height);
    store_ = std::move(store);
    bits_ = store_->Bits();
    width_ = width;
    height_ = height;
    if (!touched.IsEmpty())
        Changed(touched);
}

void TBitmap32::FillAll(TColor32 color)
{
    if (Empty())
        return;
    store_->Sync();
    std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, color);
    Changed();
}

void TBitmap32::FillRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color)
{
    const TRect r = Intersect({x1, y1, x2, y2}, {0, 0, width_, height_});
    if (r.IsEmpty())
        return;
    store_->Sync();
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        std::fill(Row(y) + r.Left, Row(y) + r.Right, color);
    Changed(r);
}

void TBitmap32::SetAllAlpha(uint8_t alpha)
{
    if (Empty())
        return;
    store_->Sync();
    const TColor32 a = static_cast<TColor32>(alpha) << 24;
    TColor32* p = bits_;
    TColor32* const end = bits_ + static_cast<size_t>(width_) * height_;
    for (; p != end; ++p)
        *p = (*p & 0x00FFFFFF) | a;
    Changed();
}

void TBitmap32::DrawOnto(TBitmap32& dest, int32_t x, int32_t y) const
{
    DrawRegionOnto(dest, x, y, {0, 0, width_, height_});
}

void TBitmap32::DrawRegionOnto(TBitmap32& dest, int32_t x, int32_t y, const TRect& source) const
{
    const TRect src = Intersect(source, {0, 0, width_, height_});
    if (src.IsEmpty())
        return;
    // Where the clipped source lands, clipped in turn to the destination.
    const int64_t dx = static_cast<int64_t>(x) - source.Left;
    const int64_t dy = static_cast<int64_t>(y) - source.Top;
    const int64_t left = std::max<int64_t>(src.Left + dx, 0);
    const int64_t top = std::max<int64_t>(src.Top + dy, 0);
    const int64_t right = std::min<int64_t>(src.Right + dx, dest.width_);
    const int64_t bottom = std::min<int64_t>(src.Bottom + dy, dest.height_);
    if (right <= left || bottom <= top)
        return;
    if (drawMode_ == dmBlend && masterAlpha_ == 0)
        return;
    const TRect area{static_cast<int32_t>(left), static_cast<int32_t>(top),
                     static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    const int32_t sx = static_cast<int32_t>(left - dx);
    const int32_t sy = static_cast<int32_t>(top - dy);
    const int32_t w = area.Width();

    store_->Sync();
    dest.store_->Sync();
    // Drawing a bitmap onto itself reads from a snapshot, so overlapping rows stay intact.
    std::vector<TColor32> snapshot;
    const TColor32* from = bits_;
    int32_t stride = width_;
    if (&dest == this) {
        snapshot.assign(bits_, bits_ + static_cast<size_t>(width_) * height_);
        from = snapshot.data();
    }
    for (int32_t row = 0; row < area.Height(); ++row) {
        const TColor32* s = from + static_cast<size_t>(sy + row) * stride + sx;
        TColor32* d = dest.Row(area.Top + row) + area.Left;
        if (drawMode_ == dmOpaque) {
            std::memcpy(d, s, static_cast<size_t>(w) * sizeof(TColor32));
        } else if (combineMode_ == cmBlend) {
            for (int32_t i = 0; i < w; ++i)
                d[i] = BlendPixel(s[i], d[i], masterAlpha_);
        } else {
            for (int32_t i = 0; i < w; ++i)
                d[i] = MergePixel(s[i], d[i], masterAlpha_);
        }
    }
    dest.Changed(area);
}

void TBitmap32::Assign(const TBitmap32& source)
{
    if (&source == this)
        return;
    std::unique_ptr<PixelStore> store = NewPixelStore(source.width_, source.height_);
    source.store_->Sync();
    const size_t count = static_cast<size_t>(PixelStoreCount(source.width_, source.height_));
    if (count != 0)
        std::memcpy(store->Bits(), source.bits_, count * sizeof(TColor32));
    const TRect touched{0, 0, std::max(width_, source.width_), std::max(height_, source.height_)};
    store_ = std::move(store);
    bits_ = store_->Bits();
    width_ = source.width_;
    height_ = source.height_;
    if (!touched.IsEmpty())
        Changed(touched);
}

void TBitmap32::PremultiplyAlpha()
{
    if (Empty())
        return;
    store_->Sync();
    TColor32* p = bits_;
    TColor32* const end = bits_ + static_cast<size_t>(width_) * height_;
    for (; p != end; ++p) {
        const TColor32 c = *p;
        const uint32_t a = c >> 24;
        const uint32_t f = a * 257;
        const uint32_t r = (Channel(c, 16) * f) >> 16;
        const uint32_t g = (Channel(c, 8) * f) >> 16;
        const uint32_t b = (Channel(c, 0) * f) >> 16;
        *p = (a << 24) | (r << 16) | (g << 8) | b;
    }
    Changed();
}

void TBitmap32::SetDrawMode(TDrawMode mode)
{
    if (mode == drawMode_)
        return;
    drawMode_ = mode;
    Changed();
}

void TBitmap32::SetCombineMode(TCombineMode mode)
{
    if (mode == combineMode_)
        return;
    combineMode_ = mode;
    Changed();
}

void TBitmap32::SetMasterAlpha(uint8_t alpha)
{
    if (alpha == masterAlpha_)
        return;
    masterAlpha_ = alpha;
    Changed();
}

void TBitmap32::Changed()
{
    Changed({0, 0, width_, height_});
}

void TBitmap32::Changed(const TRect& area)
{
    if (OnChange)
        OnChange(area);
}
