#include "skin/ButtonFace.h"

#include "common/ProductFacts.h"
#include "skin/DpiScale.h"

std::wstring DefaultCaption(int index)
{
    if (index < 1 || index > static_cast<int>(SDefaultCaptionCount))
        return std::wstring();
    return SDefaultCaptions[index - 1];
}

std::wstring ChooseCaption(int index, const std::wstring& caption)
{
    return caption.empty() ? DefaultCaption(index) : caption;
}

const char* FaceResourceName(int face)
{
    switch (face) {
    case kFaceNormal:
        return "BUTTONNORMAL";
    case kFaceHover:
        return "BUTTONOVER";
    case kFacePressed:
        return "BUTTONPRESS";
    default:
        return nullptr;
    }
}

FaceLayout ComputeFaceLayout(int face, int32_t faceWidth, int shadowTextWidth, int captionTextWidth,
                             int dpi)
{
    const TDpiScale px(dpi);
    const int pressed = face == kFacePressed ? px(1) : 0;
    FaceLayout layout;
    // C++ division truncates toward zero, which is the rounding wanted for captions wider than
    // the face as well.
    layout.ShadowX = (faceWidth - shadowTextWidth) / 2 - px(1) + pressed;
    layout.ShadowY = px(2) + pressed;
    layout.CaptionX = (faceWidth - captionTextWidth) / 2 - px(2) + pressed;
    layout.CaptionY = px(1) + pressed;
    return layout;
}
