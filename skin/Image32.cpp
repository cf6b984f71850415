#include "skin/Image32.h"

#include <algorithm>
#include <cmath>

namespace {

TRect Intersect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

int32_t RoundCoordinate(float v)
{
    // Coordinates far outside any surface are pinned, so that sizes still fit 32 bits.
    if (std::isnan(v))
        return 0;
    const float limit = 1e9f;
    return static_cast<int32_t>(std::lround(std::clamp(v, -limit, limit)));
}

uint16_t ButtonBit(TMouseButton button)
{
    switch (button) {
    case mbLeft: return ssLeft;
    case mbRight: return ssRight;
    case mbMiddle: return ssMiddle;
    }
    return 0;
}

// Nearest-pixel stretch of `bitmap` onto `dst` of `buffer`, limited to `clip` (inside both).
void StretchOnto(const TBitmap32& bitmap, TBitmap32& buffer, const TRect& dst, const TRect& clip)
{
    const int64_t bw = bitmap.Width(), bh = bitmap.Height();
    const int64_t dw = dst.Width(), dh = dst.Height();
    for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
        const int32_t sy = static_cast<int32_t>(((y - dst.Top) * 2 + 1) * bh / (2 * dh));
        const TColor32* s = bitmap.Row(sy);
        TColor32* d = buffer.Row(y);
        for (int32_t x = clip.Left; x < clip.Right; ++x) {
            const TColor32 f = s[((x - dst.Left) * 2 + 1) * bw / (2 * dw)];
            if (bitmap.DrawMode() == dmOpaque)
                d[x] = f;
            else if (bitmap.CombineMode() == cmBlend)
                d[x] = BlendPixel(f, d[x], bitmap.MasterAlpha());
            else
                d[x] = MergePixel(f, d[x], bitmap.MasterAlpha());
        }
    }
}

}  // namespace

// ---- TBitmapLayer

TBitmapLayer::TBitmapLayer(TLayerCollection& owner) : owner_(owner)
{
    bitmap_.OnChange = [this](const TRect&) { owner_.Image().Invalidate(PixelRect()); };
    owner_.Insert(this);
}

TBitmapLayer::~TBitmapLayer()
{
    bitmap_.OnChange = nullptr;
    owner_.Remove(this);
}

void TBitmapLayer::SetLocation(const TFloatRect& r)
{
    const TRect old = PixelRect();
    location_ = r;
    owner_.Image().Invalidate(old);
    owner_.Image().Invalidate(PixelRect());
}

TRect TBitmapLayer::PixelRect() const
{
    return {RoundCoordinate(location_.Left), RoundCoordinate(location_.Top),
            RoundCoordinate(location_.Right), RoundCoordinate(location_.Bottom)};
}

bool TBitmapLayer::HitTest(int x, int y) const
{
    const double px = x, py = y;
    return px >= location_.Left && px < location_.Right && py >= location_.Top && py < location_.Bottom;
}

void TBitmapLayer::Paint(TBitmap32& buffer, const TRect& clip) const
{
    if (bitmap_.Empty())
        return;
    const TRect dst = PixelRect();
    const TRect area = Intersect(Intersect(clip, dst), {0, 0, buffer.Width(), buffer.Height()});
    if (area.IsEmpty())
        return;
    if (dst.Width() == bitmap_.Width() && dst.Height() == bitmap_.Height()) {
        bitmap_.DrawRegionOnto(buffer, area.Left, area.Top,
                               {area.Left - dst.Left, area.Top - dst.Top, area.Right - dst.Left,
                                area.Bottom - dst.Top});
        return;
    }
    if (bitmap_.DrawMode() == dmBlend && bitmap_.MasterAlpha() == 0)
        return;
    StretchOnto(bitmap_, buffer, dst, area);
    buffer.Changed(area);
}

int TBitmapLayer::Index() const
{
    const auto& items = owner_.items_;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// ---- TLayerCollection

TLayerCollection::~TLayerCollection()
{
    while (!items_.empty())
        delete items_.back();
    DeleteFreed();
}

void TLayerCollection::Free(TBitmapLayer* layer)
{
    if (!layer || &layer->Collection() != this)
        return;
    if (!image_.Dispatching()) {
        delete layer;
        return;
    }
    if (Remove(layer))
        freed_.push_back(layer);
}

void TLayerCollection::Insert(TBitmapLayer* layer)
{
    items_.push_back(layer);
}

bool TLayerCollection::Remove(TBitmapLayer* layer)
{
    const auto it = std::find(items_.begin(), items_.end(), layer);
    if (it == items_.end())
        return false;
    items_.erase(it);
    image_.LayerRemoved(layer);
    return true;
}

void TLayerCollection::DeleteFreed()
{
    // A destructor here can't start an event, so the list is not added to while it is emptied.
    std::vector<TBitmapLayer*> doomed;
    doomed.swap(freed_);
    for (TBitmapLayer* layer : doomed)
        delete layer;
}

// ---- TImage32

// Marks one mouse event as being delivered; the freeing of layers waits for the outermost.
class TImage32::EventScope {
public:
    EventScope(TImage32& image, TBitmapLayer* layer) : image_(image)
    {
        image_.eventLayers_.push_back(layer);
    }
    ~EventScope()
    {
        image_.eventLayers_.pop_back();
        if (image_.eventLayers_.empty())
            image_.layers_.DeleteFreed();
    }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;
    TBitmapLayer* Layer() const { return image_.eventLayers_.back(); }

private:
    TImage32& image_;
};

TImage32::TImage32() : layers_(*this)
{
    bitmap_.OnChange = [this](const TRect& area) { Invalidate(area); };
}

TImage32::~TImage32()
{
    OnInvalidate = nullptr;
    bitmap_.OnChange = nullptr;
    while (layers_.Count() > 0)
        delete layers_.Item(layers_.Count() - 1);
    layers_.DeleteFreed();
}

TBitmapLayer* TImage32::LayerAt(int x, int y) const
{
    for (int i = layers_.Count() - 1; i >= 0; --i) {
        TBitmapLayer* layer = layers_.Item(i);
        if (layer->MouseEvents && layer->HitTest(x, y))
            return layer;
    }
    return nullptr;
}

void TImage32::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    EventScope scope(*this, holder_ ? holder_ : LayerAt(x, y));
    if (TBitmapLayer* layer = scope.Layer()) {
        holder_ = layer;
        // The handler is called through a copy: it may free the layer that holds it.
        if (auto handler = layer->OnMouseDown)
            handler(layer, button, shift, x, y);
    }
    if (auto handler = OnMouseDown)
        handler(this, button, shift, x, y, scope.Layer());
}

void TImage32::MouseMove(TShiftState shift, int x, int y)
{
    EventScope scope(*this, holder_ ? holder_ : LayerAt(x, y));
    if (TBitmapLayer* layer = scope.Layer())
        if (auto handler = layer->OnMouseMove)
            handler(layer, shift, x, y);
    if (auto handler = OnMouseMove)
        handler(this, shift, x, y, scope.Layer());
}

void TImage32::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    EventScope scope(*this, holder_ ? holder_ : LayerAt(x, y));
    if (TBitmapLayer* layer = scope.Layer()) {
        if (auto handler = layer->OnMouseUp)
            handler(layer, button, shift, x, y);
    }
    const TShiftState stillDown = shift & (ssLeft | ssRight | ssMiddle) & ~ButtonBit(button);
    if (!stillDown)
        holder_ = nullptr;
    if (auto handler = OnMouseUp)
        handler(this, button, shift, x, y, scope.Layer());
}

void TImage32::PaintTo(TBitmap32& buffer, const TRect& area) const
{
    const TRect a = Intersect(area, {0, 0, buffer.Width(), buffer.Height()});
    if (a.IsEmpty())
        return;
    bitmap_.DrawRegionOnto(buffer, a.Left, a.Top, a);
    for (int i = 0; i < layers_.Count(); ++i) {
        const TBitmapLayer* layer = layers_.Item(i);
        if (layer->Visible)
            layer->Paint(buffer, a);
    }
}

void TImage32::Invalidate(const TRect& area)
{
    if (OnInvalidate && !area.IsEmpty())
        OnInvalidate(area);
}

void TImage32::LayerRemoved(TBitmapLayer* layer)
{
    if (holder_ == layer)
        holder_ = nullptr;
    for (TBitmapLayer*& l : eventLayers_)
        if (l == layer)
            l = nullptr;
    Invalidate(layer->PixelRect());
}
