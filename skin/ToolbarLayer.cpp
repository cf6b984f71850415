#include "skin/ToolbarLayer.h"

#include "skin/ButtonFace.h"

namespace {

void ShowOnly(TToolbarLayer* pressed, int shown)
{
    // Faces in the chain: 0 pressed, 1 hover, 2 normal.
    TToolbarLayer* face = pressed;
    for (int i = 0; i < 3 && face; ++i, face = face->LowerFace)
        face->Bitmap().SetMasterAlpha(i == shown ? 255 : 0);
}

}  // namespace

void CreateButtonFace(TToolbarLayer*& layer, bool create, TImage32& image, const TBitmap32* source,
                      TDrawMode drawMode, uint8_t masterAlpha, int32_t left, int32_t top,
                      int32_t width, int32_t height)
{
    if (create || !layer)
        layer = image.Layers().Add<TToolbarLayer>();
    TBitmap32& bitmap = layer->Bitmap();
    bitmap.SetDrawMode(drawMode);
    bitmap.SetMasterAlpha(masterAlpha);
    bitmap.Resize(width, height);
    if (source)
        source->DrawOnto(bitmap, 0, 0);
    layer->SetLocation({static_cast<float>(left), static_cast<float>(top),
                        static_cast<float>(static_cast<int64_t>(left) + width),
                        static_cast<float>(static_cast<int64_t>(top) + height)});
}

namespace {

TToolbarLayer* NewFace(TImage32& image, const TRect& rect, int face,
                       const TImageButton::FacePainter& paint)
{
    TToolbarLayer* layer = nullptr;
    CreateButtonFace(layer, true, image, nullptr, dmBlend, face == kFaceNormal ? 255 : 0, rect.Left,
                     rect.Top, rect.Width(), rect.Height());
    if (paint)
        paint(layer->Bitmap(), face);
    layer->KindMark = ButtonFaceMark;
    return layer;
}

}  // namespace

TImageButton::TImageButton(TImage32& image, const std::wstring& caption, const TRect& rect,
                           int32_t role, const FacePainter& paint)
    : Normal(NewFace(image, rect, kFaceNormal, paint)),
      Hover(NewFace(image, rect, kFaceHover, paint)),
      Pressed(NewFace(image, rect, kFacePressed, paint)),
      caption_(caption),
      rect_(rect)
{
    Hover->LowerFace = Normal;
    Hover->IsHoverFace = true;
    Pressed->LowerFace = Hover;
    Pressed->ButtonRole = role;
}

TToolbarLayer* AsButtonFace(TBitmapLayer* layer)
{
    TToolbarLayer* face = layer ? layer->AsToolbarLayer() : nullptr;
    return face && face->KindMark == ButtonFaceMark ? face : nullptr;
}

void ShowPressedFace(TToolbarLayer* pressed)
{
    ShowOnly(pressed, 0);
}

void ShowHoverFace(TToolbarLayer* pressed)
{
    ShowOnly(pressed, 1);
}

void ShowNormalFace(TToolbarLayer* pressed)
{
    ShowOnly(pressed, 2);
}

void HidePressedFace(TToolbarLayer* pressed)
{
    if (pressed)
        pressed->Bitmap().SetMasterAlpha(0);
}

void RestoreAllButtons(TImage32& image)
{
    TLayerCollection& layers = image.Layers();
    for (int i = 0; i < layers.Count(); ++i) {
        TToolbarLayer* face = AsButtonFace(layers.Item(i));
        if (!face || !face->IsHoverFace)
            continue;
        face->Bitmap().SetMasterAlpha(0);
        if (face->LowerFace)
            face->LowerFace->Bitmap().SetMasterAlpha(255);
    }
}

void ButtonPointerTracker::ButtonDown(TToolbarLayer* pressed)
{
    ShowPressedFace(pressed);
}

void ButtonPointerTracker::ButtonMove(TToolbarLayer* pressed)
{
    PointerOnBareImage = false;
    ShowHoverFace(pressed);
}

int32_t ButtonPointerTracker::ButtonUp(TToolbarLayer* pressed)
{
    HidePressedFace(pressed);
    return pressed ? pressed->ButtonRole : 0;
}

bool ButtonPointerTracker::ImageMove(TImage32& image)
{
    const bool wasOnBareImage = PointerOnBareImage;
    PointerOnBareImage = true;
    if (wasOnBareImage)
        RestoreAllButtons(image);
    return wasOnBareImage;
}

void ButtonPointerTracker::PointerLeft(TImage32& image)
{
    RestoreAllButtons(image);
}
