// Times the text work behind one button face under Wine: measuring, rasterising at the levels
// the program uses, and the whole face. Prints the median of many runs of each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "skin/ButtonFace.h"
#include "skin/TextRender.h"

namespace {

template <typename F>
double MedianMicroseconds(int runs, F&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

}  // namespace

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
