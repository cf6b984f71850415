#include "skin/ButtonFace.h"

#include "skin/Blur.h"
#include "skin/DpiScale.h"
#include "skin/PngLoader.h"
#include "skin/TextRender.h"

namespace {

void PrepareTemporary(TBitmap32& bitmap)
{
    bitmap.SetDrawMode(dmBlend);
    bitmap.SetCombineMode(cmMerge);
}

void SetCaptionFont(TBitmap32& bitmap, int dpi, int size, uint16_t language)
{
    bitmap.Font.Name = kCaptionFontName;
    bitmap.Font.Size = size;
    bitmap.Font.Style = kCaptionFontStyle;
    bitmap.Font.PixelsPerInch = dpi;
    bitmap.Font.Language = language;
}

}  // namespace

int FitCaption(TBitmap32& probe, const std::wstring& caption, int faceWidth, int dpi,
               uint16_t language)
{
    const int room = faceWidth - TDpiScale(dpi)(6);
    int size = kCaptionFontSize;
    for (;; --size) {
        SetCaptionFont(probe, dpi, size, language);
        if (size <= kCaptionFloorSize || MeasureText(probe, caption) <= room)
            return size;
    }
}

void RenderButtonFace(TBitmap32& destination, const TBitmap32* background, const TRect& area, int x, int y,
                      int face, int captionIndex, const std::wstring& caption, bool transparentBackground,
                      int dpi, uint16_t language)
{
    const std::wstring text = ChooseCaption(captionIndex, caption);
    TBitmap32 picture, composite, shadow;
    PrepareTemporary(picture);
    PrepareTemporary(composite);
    PrepareTemporary(shadow);

    if (const char* name = FaceResourceName(face))
        LoadSkinPicture(name, dpi, picture);

    composite.Resize(picture.Width(), picture.Height());
    if (transparentBackground || !background)
        composite.FillAll(0);
    else
        background->DrawRegionOnto(composite, 0, 0, area);
    picture.DrawOnto(composite, 0, 0);

    shadow.Resize(composite.Width(), composite.Height());
    shadow.FillAll(0);
    SetCaptionFont(shadow, dpi, FitCaption(composite, text, composite.Width(), dpi, language),
                   language);
    const int shadowWidth = MeasureText(shadow, text);
    const int captionWidth = MeasureText(composite, text);
    const FaceLayout layout = ComputeFaceLayout(face, composite.Width(), shadowWidth, captionWidth, dpi);
    RenderAntialiasedText(shadow, layout.ShadowX, layout.ShadowY, text, kCaptionTextLevel, kCaptionShadowColor);
    for (int pass = BlurPassesFor(dpi); pass > 0; --pass)
        BlurBitmap(&shadow, kCaptionShadowBlurMode);
    shadow.DrawOnto(composite, 0, 0);
    RenderAntialiasedText(composite, layout.CaptionX, layout.CaptionY, text, kCaptionTextLevel, kCaptionColor);

    composite.DrawOnto(destination, x, y);
}
