#include <gtest/gtest.h>

#include "skin/DpiScale.h"

TEST(DpiScaleTest, FiguresRoundHalfAwayAndRectanglesKeepTheirEdges)
{
    struct Case {
        int dpi, figure, want;
    } cases[] = {
        {96, 135, 135},  {96, -45, -45},  {120, 135, 169}, {144, 135, 203}, {144, 365, 548},
        {144, -45, -68}, {168, 13, 23},   {192, 285, 570}, {0, 78, 78},     {-5, 25, 25},
        {120, 1, 1},     {144, 1, 2},     {480, 446, 2230},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDpiScale(c.dpi)(c.figure), c.want) << c.dpi << " dpi, " << c.figure;
    // The hole and the page cut at the same edge at every scale, and the hole's width is the
    // scaled right less the scaled left.
    for (int dpi : {96, 120, 144, 168, 192}) {
        const TDpiScale s(dpi);
        const TRect hole = s(TRect{135, 30, 420, 290});
        const TRect band = s(TRect{0, 0, 135, 30});
        EXPECT_EQ(hole.Left, band.Right) << dpi;
        EXPECT_EQ(hole.Top, band.Bottom) << dpi;
        EXPECT_EQ(hole.Right - hole.Left, s(420) - s(135)) << dpi;
    }
}

TEST(DpiScaleTest, PicturesComeFromTheSetAtOrAboveTheScale)
{
    struct Case {
        int dpi, set, blurPasses;
    } cases[] = {{72, 100, 1}, {96, 100, 1}, {97, 150, 1},  {120, 150, 2}, {144, 150, 2},
                 {145, 200, 2}, {168, 200, 3}, {192, 200, 4}, {288, 200, 9}};
    for (const Case& c : cases) {
        EXPECT_EQ(SkinScaleFor(c.dpi), c.set) << c.dpi;
        EXPECT_EQ(BlurPassesFor(c.dpi), c.blurPasses) << c.dpi;
    }
}

TEST(DpiScaleTest, AreaResamplingKeepsColourCoverageAndEdges)
{
    // Left half opaque red, right half transparent black, 8 x 4, shrunk to 3 x 3 and to 6 x 3.
    TBitmap32 source;
    source.Resize(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            source.Row(y)[x] = x < 4 ? 0xFFFF0000 : 0x00000000;
    for (int width : {3, 6}) {
        TBitmap32 out;
        ResampleArea(source, width, 3, out);
        ASSERT_EQ(out.Width(), width);
        ASSERT_EQ(out.Height(), 3);
        double alpha = 0;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) {
                const TColor32 p = out.Pixel(x, y);
                alpha += p >> 24;
                // Transparent black lends no darkness to the red edge.
                if (p >> 24) {
                    EXPECT_EQ(p & 0x00FFFFFF, 0x00FF0000u) << width << ": " << x << "," << y;
                }
            }
        // Half the area stays covered, within rounding.
        EXPECT_NEAR(alpha / (width * 3 * 255.0), 0.5, 0.01) << width;
        EXPECT_EQ(out.Pixel(0, 1), 0xFFFF0000u) << width;
        EXPECT_EQ(out.Pixel(width - 1, 1), 0u) << width;
    }
    // Equal sizes copy; an empty target or source gives an empty bitmap.
    TBitmap32 same, none;
    ResampleArea(source, 8, 4, same);
    EXPECT_EQ(same.Pixel(3, 2), 0xFFFF0000u);
    EXPECT_EQ(same.Pixel(4, 2), 0u);
    ResampleArea(source, 0, 4, none);
    EXPECT_TRUE(none.Empty());
}
