#pragma once
// One face of a skinned button: the face picture, a soft dark shadow of the caption and the
// caption in white, composed into one bitmap.
//
// The caption choice and the placement arithmetic are portable; RenderButtonFace draws through
// GDI and the program's PNG resources and exists on Windows only.
#include <cstdint>
#include <string>

#include "skin/Bitmap32.h"

// Face numbers: 1 normal, 2 hover, 3 pressed.
constexpr int kFaceNormal = 1;
constexpr int kFaceHover = 2;
constexpr int kFacePressed = 3;

// Caption font and colours.
constexpr const char* kCaptionFontName = "Calibri";
constexpr int kCaptionFontSize = 10;
constexpr uint8_t kCaptionFontStyle = fsBold;
constexpr TColor32 kCaptionColor = 0xFFFFFFFF;
constexpr TColor32 kCaptionShadowColor = 0xFF555555;
constexpr int kCaptionTextLevel = 3;
constexpr int kCaptionShadowBlurMode = 1;

// Default caption `index` (1 "Yes", 2 "No", 3 "Ok", 4 "License", 5 "Feedback", 6 "Save"); an
// empty text for any other index.
std::wstring DefaultCaption(int index);

// The caption a face shows: `caption` when it is not empty, else DefaultCaption(index).
std::wstring ChooseCaption(int index, const std::wstring& caption);

// The PNG resource of face `face` ("BUTTONNORMAL", "BUTTONOVER", "BUTTONPRESS"), or null for any
// other number (no picture).
const char* FaceResourceName(int face);

// Where the shadow and the caption go on a face `faceWidth` pixels wide, given the measured
// widths of the caption in the shadow's and in the composite's font. Both are centred
// horizontally (halving rounds toward zero); the shadow lies one pixel right of and below the
// caption, and the pressed face moves both one pixel right and down.
struct FaceLayout {
    int ShadowX = 0, ShadowY = 0;
    int CaptionX = 0, CaptionY = 0;
};
// At `dpi` the offsets of a pixel grow with the scale.
FaceLayout ComputeFaceLayout(int face, int32_t faceWidth, int shadowTextWidth, int captionTextWidth,
                             int dpi = 96);

#ifdef _WIN32
// Draws face `face` with its caption onto `destination` with the face's top-left at (x, y).
// The caption is ChooseCaption(captionIndex, caption). With `transparentBackground` the face is
// composed over transparent black; otherwise over the rectangle `area` of `background` (a null
// background counts as transparent). A face number other than 1..3 draws no picture, and with it
// nothing at all. At `dpi` the face picture, the caption's font, its offsets and the shadow's
// softness are those of that display scale. The caption is in `language` (a Windows language
// id, 0 for none in particular: the font's face may follow it, CreatePointFont) and steps down
// from the caption size towards kCaptionFloorSize until it fits the face with its shadow.
// Raises the PNG loader's errors when the face picture can't be loaded, and EBitmapError when
// GDI fails.
void RenderButtonFace(TBitmap32& destination, const TBitmap32* background, const TRect& area, int x, int y,
                      int face, int captionIndex, const std::wstring& caption, bool transparentBackground,
                      int dpi = 96, uint16_t language = 0);
constexpr int kCaptionFloorSize = 8;
// The caption's size on a face `faceWidth` pixels wide: the caption size, or less down to
// kCaptionFloorSize until the caption fits between the face's edges with its shadow and the
// pressed face's offset. Leaves `probe`'s font the caption font at that size.
int FitCaption(TBitmap32& probe, const std::wstring& caption, int faceWidth, int dpi,
               uint16_t language);
#endif
