// Times the pixel work of one wizard page at the sizes the program draws: the background
// picture (446 x 365) and a button face (78 x 25). Prints the median of many runs of each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "tests/BenchTiming.h"
#include "skin/Blur.h"
#include "skin/Image32.h"

namespace {

void Noise(TBitmap32& b, unsigned seed)
{
    std::mt19937 rng(seed);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.Row(y)[x] = rng();
}

}  // namespace

int main()
{
    TBitmap32 picture, dest, face;
    picture.Resize(446, 365);
    dest.Resize(446, 365);
    face.Resize(78, 25);
    Noise(picture, 1);
    Noise(dest, 2);
    Noise(face, 3);
    const double pixels = 446.0 * 365.0;

    auto report = [&](const char* what, double us, double count) {
        std::printf("%-34s median %9.1f us  %6.2f ns/pixel\n", what, us, us * 1000.0 / count);
    };
    report("opaque draw 446x365", MedianMicroseconds(201, [&] { picture.DrawOnto(dest, 0, 0); }), pixels);
    picture.SetDrawMode(dmBlend);
    picture.SetMasterAlpha(200);
    report("blend draw 446x365", MedianMicroseconds(201, [&] { picture.DrawOnto(dest, 0, 0); }), pixels);
    picture.SetCombineMode(cmMerge);
    report("merge draw 446x365", MedianMicroseconds(201, [&] { picture.DrawOnto(dest, 0, 0); }), pixels);
    report("premultiply 446x365", MedianMicroseconds(201, [&] { dest.PremultiplyAlpha(); }), pixels);
    report("blur 3x3 446x365", MedianMicroseconds(101, [&] { BlurBitmap(&dest, 1); }), pixels);
    report("blur 5x5 446x365", MedianMicroseconds(101, [&] { BlurBitmap(&dest, 0); }), pixels);
    report("blur 3x3 78x25", MedianMicroseconds(1001, [&] { BlurBitmap(&face, 1); }), 78.0 * 25);

    // A page of three buttons: paint the whole image with its nine face layers.
    TImage32 image;
    image.Bitmap().Resize(285, 260);
    image.Bitmap().FillAll(0xFFFFFFFF);
    for (int b = 0; b < 3; ++b)
        for (int f = 0; f < 3; ++f) {
            TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
            layer->Bitmap().Assign(face);
            layer->Bitmap().SetDrawMode(dmBlend);
            layer->Bitmap().SetMasterAlpha(f == 0 ? 255 : 0);
            layer->SetLocation({30.0f + 85 * b, 230, 108.0f + 85 * b, 255});
        }
    TBitmap32 buffer;
    buffer.Resize(285, 260);
    report("page paint 285x260, 9 faces", MedianMicroseconds(501, [&] { image.PaintTo(buffer, {0, 0, 285, 260}); }), 285.0 * 260);
    return 0;
}
