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
class TToolbarLayer;

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

    // Location rounded to whole pixels (halves away from zero).
    TRect PixelRect() const;

    // Left <= x < Right and Top <= y < Bottom of Location; pixel alpha and master alpha take
    // no part (an invisible face still takes the mouse).
    virtual bool HitTest(int x, int y) const;
    // Draws the bitmap into Location (rounded to whole pixels) of `buffer`, clipped to `clip`,
    // with the bitmap's draw mode, combine mode and master alpha; stretched by nearest pixel
    // when the sizes differ. An empty bitmap draws nothing.
    virtual void Paint(TBitmap32& buffer, const TRect& clip) const;
    // The layer as one of a toolbar's (skin/ToolbarLayer.h); null when it is not.
    virtual TToolbarLayer* AsToolbarLayer() { return nullptr; }

    TLayerCollection& Collection() const { return owner_; }
    // Position in the collection, 0 at the bottom; -1 once freed.
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
    ~TLayerCollection();  // frees every layer, also those whose freeing was put off
    int Count() const { return static_cast<int>(items_.size()); }
    TBitmapLayer* Item(int index) const { return items_[static_cast<size_t>(index)]; }
    // Creates a layer of type T (TBitmapLayer or a subclass) on top.
    template <typename T>
    T* Add() { return new T(*this); }
    // Frees one layer of this collection (null and foreign layers are ignored). At once it
    // leaves the list, stops being painted, hit-tested and holding the mouse. During a mouse
    // event of the image the memory is given back only when that event has been delivered, so
    // a handler may free its own sender (and every other layer) and still touch it until it
    // returns; the image then finishes the event without touching the freed layer.
    void Free(TBitmapLayer* layer);
    TImage32& Image() const { return image_; }

private:
    friend class TBitmapLayer;
    friend class TImage32;
    void Insert(TBitmapLayer* layer);
    bool Remove(TBitmapLayer* layer);
    void DeleteFreed();
    TImage32& image_;
    std::vector<TBitmapLayer*> items_;
    std::vector<TBitmapLayer*> freed_;  // out of the list, deleted after the running event
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

    // Mouse input from the host, in control coordinates; `shift` has the buttons held (for a
    // release, with or without the released one). Dispatch: the layer event first (press: the
    // holding layer, else the topmost layer taking mouse events whose hit test passes, which
    // then holds the mouse until no button is down; move/release: the holding layer, else the
    // topmost such layer under the pointer), then the control's own event with the layer that
    // took it (null if none, or if that layer was freed meanwhile). The host captures the
    // mouse from a press to the release of the last button, so that releases outside still
    // arrive. Handlers may raise; the dispatch state stays sound.
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
    class EventScope;
    void LayerRemoved(TBitmapLayer* layer);
    TBitmapLayer* LayerAt(int x, int y) const;
    bool Dispatching() const { return !eventLayers_.empty(); }
    TBitmap32 bitmap_;
    TLayerCollection layers_;
    TBitmapLayer* holder_ = nullptr;
    // The layer of each mouse event being delivered (innermost last); null once freed.
    std::vector<TBitmapLayer*> eventLayers_;
};
