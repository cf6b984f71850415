#pragma once
// The image control's model: one bitmap, a collection of bitmap layers over it, painting of
// both into a back buffer, and the mouse dispatch to layers. No window here: the Windows
// control that hosts a TImage32 (forms/) feeds it mouse events in client coordinates and asks
// it to paint invalid areas.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "skin/Bitmap32.h"

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
// Shift state bits: keys and the mouse buttons held during the event.
enum : uint16_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = uint16_t;

struct TFloatRect {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TImage32;
class TLayerCollection;

class TBitmapLayer {
public:
    using MouseButtonEvent = std::function<void(TBitmapLayer* sender, TMouseButton, TShiftState, int x, int y)>;
    using MouseMoveEvent = std::function<void(TBitmapLayer* sender, TShiftState, int x, int y)>;

    // Appends the new layer on top of `owner`'s list; the collection owns it.
    explicit TBitmapLayer(TLayerCollection& owner);
    virtual ~TBitmapLayer();  // removes it from the collection
    TBitmapLayer(const TBitmapLayer&) = delete;
    TBitmapLayer& operator=(const TBitmapLayer&) = delete;

    TBitmap32& Bitmap() { return bitmap_; }
    const TBitmap32& Bitmap() const { return bitmap_; }
    TFloatRect Location() const { return location_; }
    void SetLocation(const TFloatRect& r);  // repaints old and new area
    bool Visible = true;
    bool MouseEvents = true;

    MouseButtonEvent OnMouseDown;
    MouseMoveEvent OnMouseMove;
    MouseButtonEvent OnMouseUp;

    // Left <= x < Right and Top <= y < Bottom of Location; pixel alpha takes no part.
    virtual bool HitTest(int x, int y) const;
    // Draws the bitmap into Location (rounded to whole pixels) of `buffer`, clipped to `clip`,
    // with the bitmap's draw mode, combine mode and master alpha.
    virtual void Paint(TBitmap32& buffer, const TRect& clip) const;

    TLayerCollection& Collection() const { return owner_; }
    int Index() const;

private:
    TLayerCollection& owner_;
    TBitmap32 bitmap_;
    TFloatRect location_{0, 0, 64, 64};
};

// Ordered list of layers, index 0 at the bottom.
class TLayerCollection {
public:
    explicit TLayerCollection(TImage32& image) : image_(image) {}
    ~TLayerCollection();  // frees every layer
    int Count() const { return static_cast<int>(items_.size()); }
    TBitmapLayer* Item(int index) const { return items_[static_cast<size_t>(index)]; }
    // Creates a layer of type T (TBitmapLayer or a subclass) on top.
    template <typename T>
    T* Add() { return new T(*this); }
    // Frees one layer. Safe during the layer's own mouse event: the image control then finishes
    // delivering that event without touching the freed layer.
    void Free(TBitmapLayer* layer);
    TImage32& Image() const { return image_; }

private:
    friend class TBitmapLayer;
    void Insert(TBitmapLayer* layer);
    void Remove(TBitmapLayer* layer);
    TImage32& image_;
    std::vector<TBitmapLayer*> items_;
};

class TImage32 {
public:
    using MouseButtonEvent = std::function<void(TImage32* sender, TMouseButton, TShiftState, int x, int y, TBitmapLayer* layer)>;
    using MouseMoveEvent = std::function<void(TImage32* sender, TShiftState, int x, int y, TBitmapLayer* layer)>;

    TImage32();
    ~TImage32();
    TBitmap32& Bitmap() { return bitmap_; }
    TLayerCollection& Layers() { return layers_; }

    MouseButtonEvent OnMouseDown;
    MouseMoveEvent OnMouseMove;
    MouseButtonEvent OnMouseUp;

    // Mouse input from the host, in control coordinates. Dispatch: the layer event first
    // (press: topmost layer taking mouse events whose hit test passes, which then holds the mouse
    // until no button is down; move/release: the holding layer, else the topmost under the
    // pointer), then the control's own event with the layer that took it (null if none, or if
    // that layer was freed by its own handler).
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    TBitmapLayer* MouseHolder() const { return holder_; }

    // Paints the bitmap (unscaled, top-left) and then every visible layer from index 0 up into
    // `buffer`, limited to `area`.
    void PaintTo(TBitmap32& buffer, const TRect& area) const;

    // Called when an area needs repainting (bitmap or layer changed); the host invalidates it.
    std::function<void(const TRect&)> OnInvalidate;
    void Invalidate(const TRect& area);

private:
    friend class TLayerCollection;
    void LayerRemoved(TBitmapLayer* layer);
    TBitmapLayer* LayerAt(int x, int y) const;
    TBitmap32 bitmap_;
    TLayerCollection layers_;
    TBitmapLayer* holder_ = nullptr;
};
