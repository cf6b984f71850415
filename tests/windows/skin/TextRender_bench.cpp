// Times the text work behind one button face under Wine: measuring, rasterising at the levels
// the program uses, and the whole face. Prints the median of many runs of each.
#include <cstdio>

#include "tests/BenchTiming.h"
#include "skin/ButtonFace.h"
#include "skin/TextRender.h"

int main()
{
    TBitmap32 face;
    face.SetCombineMode(cmMerge);
    face.Resize(78, 25);
    face.Font.Name = kCaptionFontName;
    face.Font.Size = kCaptionFontSize;
    face.Font.Style = kCaptionFontStyle;

    const double measure = MedianMicroseconds(201, [&] { MeasureText(face, L"Cancel"); });
    std::printf("%-36s median %9.1f us\n", "MeasureText \"Cancel\"", measure);
    double level0 = 0;
    for (int level : {0, -1, 1, 3, 4}) {
        const double us = MedianMicroseconds(101, [&] { RenderAntialiasedText(face, 10, 2, L"Cancel", level, 0xFFFFFFFF); });
        if (level == 0)
            level0 = us;
        std::printf("RenderAntialiasedText level %-2d       median %9.1f us  (%.1f x level 0)\n", level, us,
                    us / level0);
    }
    TBitmap32 layer;
    layer.SetDrawMode(dmBlend);
    layer.Resize(78, 25);
    const double whole = MedianMicroseconds(51, [&] {
        RenderButtonFace(layer, nullptr, TRect{0, 0, 78, 25}, 0, 0, kFaceNormal, 3, L"Cancel", true);
    });
    std::printf("%-36s median %9.1f us\n", "RenderButtonFace \"Cancel\"", whole);
    return 0;
}
