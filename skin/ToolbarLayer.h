#pragma once
// Image buttons: three TToolbarLayer faces (normal, hover, pressed) stacked on one rectangle of
// a TImage32, exactly one of them shown at a time by giving its bitmap master alpha 255 and the
// others 0. The pressed face lies on top and takes the button's mouse events; it reaches the
// others through LowerFace (pressed -> hover -> normal).
#include <cstdint>
#include <functional>
#include <string>

#include "skin/Image32.h"

// The mark every face of a button carries in KindMark.
constexpr int32_t ButtonFaceMark = -40;

class TToolbarLayer : public TBitmapLayer {
public:
    using TBitmapLayer::TBitmapLayer;
    TToolbarLayer* AsToolbarLayer() override { return this; }

    TToolbarLayer* LowerFace = nullptr;  // not owned
    int32_t KindMark = 0;
    int32_t ButtonRole = 0;  // on the pressed face: what the button does
    bool IsHoverFace = false;
};

// Creates (create = true: a new TToolbarLayer on top of image's layers, stored in `layer`) or
// reuses `layer` (also created when null), then sets its bitmap's draw mode, then its master
// alpha, then its size width x height (all pixels 0), draws `source` (if not null) onto it at
// (0, 0) by the source's own draw mode, and sets Location to (left, top, left + width,
// top + height). Raises as TBitmap32::Resize.
void CreateButtonFace(TToolbarLayer*& layer, bool create, TImage32& image, const TBitmap32* source,
                      TDrawMode drawMode, uint8_t masterAlpha, int32_t left, int32_t top,
                      int32_t width, int32_t height);

// A face of a button: a TToolbarLayer with KindMark -40; null otherwise.
TToolbarLayer* AsButtonFace(TBitmapLayer* layer);

// The face protocol, on a button given by its pressed face (the layer whose events the page
// receives). Faces missing from the chain are skipped.
// Pressed face shown, hover and normal hidden.
void ShowPressedFace(TToolbarLayer* pressed);
// Hover face shown, pressed and normal hidden.
void ShowHoverFace(TToolbarLayer* pressed);
// Normal face shown, hover and pressed hidden.
void ShowNormalFace(TToolbarLayer* pressed);
// Pressed face hidden; the other two keep what they had.
void HidePressedFace(TToolbarLayer* pressed);
// Every button of `image` back to its normal face: each hover face (found by class, KindMark
// -40 and IsHoverFace) hidden and its LowerFace shown. Pressed faces are left alone.
void RestoreAllButtons(TImage32& image);

// One image button: its three faces on `rect` of an image (normal at the bottom, then hover,
// then pressed on top, linked pressed -> hover -> normal, each marked as a button face, the
// normal face shown), its caption and its role. The image's layer collection owns the faces;
// the button only names them, so it must not outlive a clearing of the image's layers.
class TImageButton {
public:
    // Paints face `face` (kFaceNormal, kFaceHover, kFacePressed: 1, 2, 3) into its bitmap,
    // already sized to the rectangle.
    using FacePainter = std::function<void(TBitmap32& bitmap, int face)>;
    // Adds the faces on top of `image`'s layers. Raises as CreateButtonFace and the painter.
    TImageButton(TImage32& image, const std::wstring& caption, const TRect& rect, int32_t role,
                 const FacePainter& paint);
    TImageButton(const TImageButton&) = delete;
    TImageButton& operator=(const TImageButton&) = delete;

    const std::wstring& Caption() const { return caption_; }
    const TRect& Rect() const { return rect_; }
    int32_t Role() const { return Pressed->ButtonRole; }
    // The faces; the pressed one, on top, takes the button's mouse events.
    TToolbarLayer* const Normal;
    TToolbarLayer* const Hover;
    TToolbarLayer* const Pressed;

private:
    std::wstring caption_;
    TRect rect_;
};

// The page's side of the protocol. Every move over a button reaches the button first (which
// clears the flag) and the image second (which sets it), so an image move that finds the flag
// still set from the image move before went to no button: only on the second of two image moves
// in a row without a button move between them are the buttons restored. The image's half of a
// move over a button is the first of such two, so the first move off a button restores.
class ButtonPointerTracker {
public:
    // The last pointer movement was handled by the image's own handler, not by a button.
    bool PointerOnBareImage = false;

    // A press on the button: its pressed face shows.
    void ButtonDown(TToolbarLayer* pressed);
    // A move delivered to the button (over it, or anywhere while it holds the mouse).
    void ButtonMove(TToolbarLayer* pressed);
    // The release, wherever the pointer is: hides the pressed face and returns the role for
    // the page to carry out (0 for no button).
    int32_t ButtonUp(TToolbarLayer* pressed);
    // Every move over the image, after the button's event if there was one. Returns whether it
    // restored the buttons.
    bool ImageMove(TImage32& image);
    // The pointer left the form or its image.
    void PointerLeft(TImage32& image);
};
