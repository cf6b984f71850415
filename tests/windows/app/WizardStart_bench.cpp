// What the wizard's first page costs at 96 and at 192 DPI, part by part, in process: the
// wallpaper (decoded, scaled when the set is larger, premultiplied), the faces of page 1's two
// buttons, the two radio pictures. Medians of interleaved rounds, in milliseconds.
//
// usage: windows_WizardStart_bench.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "skin/ButtonFace.h"
#include "skin/DpiScale.h"
#include "skin/PngLoader.h"

namespace {

double Now()
{
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int scales[] = {96, 120, 192};
    std::vector<double> wallpaper[3], buttons[3], radios[3];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            const int dpi = scales[i];
            TBitmap32 wall;
            double t = Now();
            LoadSkinPicture("WALLPAPER", dpi, wall);
            wall.PremultiplyAlpha();
            wallpaper[i].push_back(Now() - t);

            t = Now();
            TBitmap32 face;
            for (const wchar_t* caption : {L"Next", L"Cancel"})
                for (int f = kFaceNormal; f <= kFacePressed; ++f) {
                    face.Resize(TDpiScale(dpi)(78), TDpiScale(dpi)(25));
                    RenderButtonFace(face, nullptr, TRect{}, 0, 0, f, 3, caption, true, dpi);
                }
            buttons[i].push_back(Now() - t);

            t = Now();
            TBitmap32 on, off;
            LoadSkinPicture("RADIOON", dpi, on);
            LoadSkinPicture("RADIOOFF", dpi, off);
            radios[i].push_back(Now() - t);
        }
    }
    std::printf("%-6s %12s %12s %12s %12s\n", "dpi", "wallpaper", "6 faces", "radios", "sum (ms)");
    for (int i = 0; i < 3; ++i) {
        const double w = Median(wallpaper[i]), b = Median(buttons[i]), r = Median(radios[i]);
        std::printf("%-6d %12.2f %12.2f %12.2f %12.2f\n", scales[i], w, b, r, w + b + r);
    }
    return 0;
}
