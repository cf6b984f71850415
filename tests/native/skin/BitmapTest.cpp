#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "skin/Bitmap32.h"

namespace {

uint32_t Ch(TColor32 c, int shift)
{
    return (c >> shift) & 0xFF;
}

// The blend formulas worked out in floating point straight from the fractions: the exact
// alpha and channel values of the result, before rounding.
struct Exact {
    bool unchanged = false;
    double v[4] = {};  // alpha, red, green, blue
};

double EffectiveAlpha(TColor32 f, uint8_t m)
{
    return std::floor(Ch(f, 24) * m / 255.0 + 0.5);
}

Exact ReferenceBlend(TColor32 f, TColor32 b, uint8_t m)
{
    Exact e;
    const double a = EffectiveAlpha(f, m);
    e.unchanged = a == 0;
    const double fa = a / 255.0;
    e.v[0] = a + Ch(b, 24) * (1 - fa);
    for (int i = 1; i < 4; ++i)
        e.v[i] = Ch(f, 24 - 8 * i) * fa + Ch(b, 24 - 8 * i) * (1 - fa);
    return e;
}

Exact ReferenceMerge(TColor32 f, TColor32 b, uint8_t m)
{
    Exact e;
    const double a = EffectiveAlpha(f, m);
    e.unchanged = a == 0;
    const double fa = a / 255.0, ba = Ch(b, 24) / 255.0;
    const double ra = ba == 0 ? fa : fa + ba * (1 - fa);
    e.v[0] = ra * 255;
    for (int i = 1; i < 4; ++i)
        e.v[i] = ba == 0 ? Ch(f, 24 - 8 * i) : (Ch(f, 24 - 8 * i) * fa + Ch(b, 24 - 8 * i) * ba * (1 - fa)) / ra;
    return e;
}

// The result is the unchanged destination, or each byte is a nearest integer of the exact value.
::testing::AssertionResult Rounds(TColor32 got, const Exact& e, TColor32 b)
{
    if (e.unchanged)
        return got == b ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "destination changed";
    for (int i = 0; i < 4; ++i)
        if (std::fabs(Ch(got, 24 - 8 * i) - e.v[i]) > 0.5 + 1e-9)
            return ::testing::AssertionFailure() << "byte " << i << " is " << Ch(got, 24 - 8 * i) << ", exact " << e.v[i];
    return ::testing::AssertionSuccess();
}

struct Recorder {
    std::vector<TRect> areas;
    void Attach(TBitmap32& b)
    {
        b.OnChange = [this](const TRect& r) { areas.push_back(r); };
    }
};

bool Same(const TRect& a, const TRect& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

}  // namespace

TEST(BitmapBlendArithmetic, MatchesTheFractionFormulas)
{
    std::mt19937 rng(7);
    for (int i = 0; i < 400000; ++i) {
        const TColor32 f = rng(), b = rng();
        const uint8_t m = (i % 5 == 0) ? 255 : static_cast<uint8_t>(rng());
        ASSERT_TRUE(Rounds(BlendPixel(f, b, m), ReferenceBlend(f, b, m), b)) << std::hex << f << " " << b << " " << int(m);
        ASSERT_TRUE(Rounds(MergePixel(f, b, m), ReferenceMerge(f, b, m), b)) << std::hex << f << " " << b << " " << int(m);
    }
    // Every source alpha against every destination alpha, with extreme colours.
    for (uint32_t fa = 0; fa < 256; ++fa)
        for (uint32_t ba = 0; ba < 256; ++ba)
            for (TColor32 colours : {0x00FF00FFu, 0x0000FF01u}) {
                const TColor32 f = (fa << 24) | colours, b = (ba << 24) | (~colours & 0xFFFFFF);
                ASSERT_TRUE(Rounds(BlendPixel(f, b, 255), ReferenceBlend(f, b, 255), b));
                ASSERT_TRUE(Rounds(MergePixel(f, b, 200), ReferenceMerge(f, b, 200), b));
            }
}

TEST(BitmapBlendArithmetic, FixedPoints)
{
    // Zero effective alpha leaves the destination, through either factor.
    EXPECT_EQ(BlendPixel(0x00123456, 0x80ABCDEF, 255), 0x80ABCDEFu);
    EXPECT_EQ(MergePixel(0xFF123456, 0x80ABCDEF, 0), 0x80ABCDEFu);
    EXPECT_EQ(MergePixel(0x01123456, 0x80ABCDEF, 127), 0x80ABCDEFu);
    // Opaque source replaces; opaque destination stays opaque.
    EXPECT_EQ(BlendPixel(0xFF123456, 0xFFABCDEF, 255), 0xFF123456u);
    EXPECT_EQ(BlendPixel(0x80FFFFFF, 0xFF000000, 255) >> 24, 0xFFu);
    // Merge onto transparent takes the source colour with the effective alpha.
    EXPECT_EQ(MergePixel(0xFF102030, 0x00FFFFFF, 128), 0x80102030u);
    // Merge onto an opaque destination is the plain blend.
    EXPECT_EQ(MergePixel(0x80FF0000, 0xFF0000FF, 255), BlendPixel(0x80FF0000, 0xFF0000FF, 255));
    EXPECT_EQ(BlendPixel(0x80FF0000, 0xFF0000FF, 255), 0xFF80007Fu);
}

TEST(BitmapPixels, ResizeZeroesAlwaysAndCountsNegativeAsZero)
{
    TBitmap32 b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    b.Resize(4, 3);
    b.FillAll(0xFFABCDEF);
    b.Resize(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(b.Pixel(x, y), 0u);
    b.FillAll(0xFFABCDEF);
    b.Resize(4, 5);
    EXPECT_EQ(b.Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(b.Pixel(x, y), 0u);
    b.Resize(-3, 7);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_TRUE(b.Empty());
    b.FillAll(1);  // no pixels to write
    b.SetAllAlpha(9);
    b.PremultiplyAlpha();
}

TEST(BitmapPixels, HugeSizeIsRefusedAndLeavesTheBitmap)
{
    TBitmap32 b;
    b.Resize(2, 2);
    b.FillAll(0xFF010203);
    try {
        b.Resize(100000, 100000);
        FAIL() << "no error";
    } catch (const EBitmapError& e) {
        EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
    }
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Pixel(1, 1), 0xFF010203u);
}

TEST(BitmapPixels, FillRectangleHalfOpenAndClipped)
{
    TBitmap32 b;
    b.Resize(5, 4);
    b.FillRectangle(1, 1, 3, 3, 0xFF00FF00);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(b.Pixel(x, y), (x >= 1 && x < 3 && y >= 1 && y < 3) ? 0xFF00FF00u : 0u) << x << "," << y;
    b.FillRectangle(2, 0, 2, 4, 0xFFFFFFFF);  // empty
    b.FillRectangle(0, 2, 5, 2, 0xFFFFFFFF);
    b.FillRectangle(4, 3, 1, 1, 0xFFFFFFFF);  // inverted
    EXPECT_EQ(b.Pixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(b.Pixel(2, 0), 0u);
    // Outside parts are cut off, inside parts still filled.
    b.FillRectangle(-10, -10, 1, 1, 0x11111111);
    b.FillRectangle(4, 3, 1000, 1000, 0x22222222);
    b.FillRectangle(INT32_MIN, 10, INT32_MAX, 20, 0x33333333);
    EXPECT_EQ(b.Pixel(0, 0), 0x11111111u);
    EXPECT_EQ(b.Pixel(1, 0), 0u);
    EXPECT_EQ(b.Pixel(4, 3), 0x22222222u);
    EXPECT_EQ(b.Pixel(3, 3), 0u);
}

TEST(BitmapPixels, SetAllAlphaKeepsColoursAndPremultiplyRoundsDown)
{
    TBitmap32 b;
    b.Resize(4, 1);
    b.Row(0)[0] = 0xFFFFFFFF;
    b.Row(0)[1] = 0x80FF0000;
    b.Row(0)[2] = 0x00FFFFFF;
    b.Row(0)[3] = 0xFF010203;
    TBitmap32 c;
    c.Assign(b);
    c.PremultiplyAlpha();
    EXPECT_EQ(c.Pixel(0, 0), 0xFFFEFEFEu);
    EXPECT_EQ(c.Pixel(1, 0), 0x807F0000u);
    EXPECT_EQ(c.Pixel(2, 0), 0u);
    EXPECT_EQ(c.Pixel(3, 0), 0xFF000102u);
    b.SetAllAlpha(0x40);
    EXPECT_EQ(b.Pixel(0, 0), 0x40FFFFFFu);
    EXPECT_EQ(b.Pixel(1, 0), 0x40FF0000u);
    EXPECT_EQ(b.Pixel(3, 0), 0x40010203u);
}

TEST(BitmapDrawing, OpaqueCopiesWordsAndClipsEverySide)
{
    TBitmap32 src, dst;
    src.Resize(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            src.Row(y)[x] = 0x01000000u * (1 + x + 3 * y) | (x << 8) | y;  // alpha taken as is
    struct Case { int x, y; };
    for (Case c : {Case{0, 0}, Case{-1, -2}, Case{3, 2}, Case{-3, 0}, Case{4, 4}, Case{-100, 50}}) {
        dst.Resize(4, 4);
        src.DrawOnto(dst, c.x, c.y);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int sx = x - c.x, sy = y - c.y;
                const TColor32 want = (sx >= 0 && sx < 3 && sy >= 0 && sy < 3) ? src.Pixel(sx, sy) : 0;
                ASSERT_EQ(dst.Pixel(x, y), want) << c.x << "," << c.y << " at " << x << "," << y;
            }
    }
}

TEST(BitmapDrawing, RegionIsClippedToTheSourceKeepingItsPlace)
{
    TBitmap32 src, dst;
    src.Resize(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.Row(y)[x] = 0xFF000000u | (x << 8) | y;
    dst.Resize(6, 6);
    // The region starts one pixel left of and above the source: what exists of it lands where
    // it would have landed unclipped.
    src.DrawRegionOnto(dst, 2, 2, {-1, -1, 2, 2});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const int sx = x - 3, sy = y - 3;  // region origin (-1,-1) drawn at (2,2)
            const TColor32 want = (sx >= 0 && sx < 2 && sy >= 0 && sy < 2) ? src.Pixel(sx, sy) : 0;
            ASSERT_EQ(dst.Pixel(x, y), want) << x << "," << y;
        }
    dst.Resize(6, 6);
    src.DrawRegionOnto(dst, 0, 0, {2, 1, 100, 3});
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(2, 1));
    EXPECT_EQ(dst.Pixel(1, 1), src.Pixel(3, 2));
    EXPECT_EQ(dst.Pixel(2, 0), 0u);
    EXPECT_EQ(dst.Pixel(0, 2), 0u);
    src.DrawRegionOnto(dst, 0, 0, {5, 5, 9, 9});  // wholly outside: nothing
    src.DrawRegionOnto(dst, 0, 0, {3, 3, 1, 1});
    EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(2, 1));
}

TEST(BitmapDrawing, BlendModesUseMasterAlphaAndCombineMode)
{
    TBitmap32 src, dst;
    src.Resize(2, 1);
    src.Row(0)[0] = 0x80FF0000;
    src.Row(0)[1] = 0x00FFFFFF;
    src.SetDrawMode(dmBlend);
    src.SetMasterAlpha(200);
    dst.Resize(2, 1);
    dst.FillAll(0x400000FF);
    src.DrawOnto(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), BlendPixel(0x80FF0000, 0x400000FF, 200));
    EXPECT_EQ(dst.Pixel(1, 0), 0x400000FFu);
    src.SetCombineMode(cmMerge);
    dst.FillAll(0x400000FF);
    src.DrawOnto(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), MergePixel(0x80FF0000, 0x400000FF, 200));
    // Master alpha 0 makes the bitmap invisible without touching its pixels.
    src.SetMasterAlpha(0);
    dst.FillAll(0x400000FF);
    src.DrawOnto(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), 0x400000FFu);
    EXPECT_EQ(src.Pixel(0, 0), 0x80FF0000u);
}

TEST(BitmapDrawing, OntoItselfReadsTheOriginal)
{
    TBitmap32 b;
    b.Resize(4, 1);
    for (int x = 0; x < 4; ++x)
        b.Row(0)[x] = 0xFF000000u + x;
    b.DrawOnto(b, 1, 0);
    EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(b.Pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(b.Pixel(2, 0), 0xFF000001u);
    EXPECT_EQ(b.Pixel(3, 0), 0xFF000002u);
}

TEST(BitmapNotification, OnlyRealChangesNotify)
{
    TBitmap32 b;
    Recorder rec;
    rec.Attach(b);
    b.SetDrawMode(dmOpaque);
    b.SetCombineMode(cmBlend);
    b.SetMasterAlpha(255);
    b.FillAll(0xFFFFFFFF);  // no pixels yet
    b.Resize(0, 0);
    EXPECT_TRUE(rec.areas.empty());

    b.Resize(10, 8);
    ASSERT_EQ(rec.areas.size(), 1u);
    EXPECT_TRUE(Same(rec.areas[0], {0, 0, 10, 8}));
    b.FillRectangle(2, 3, 5, 4, 0xFF000000);
    ASSERT_EQ(rec.areas.size(), 2u);
    EXPECT_TRUE(Same(rec.areas[1], {2, 3, 5, 4}));
    b.FillRectangle(2, 3, 2, 9, 0xFF000000);  // empty: nothing
    EXPECT_EQ(rec.areas.size(), 2u);
    b.SetMasterAlpha(0);
    b.SetMasterAlpha(0);
    b.SetDrawMode(dmBlend);
    b.SetDrawMode(dmBlend);
    b.SetCombineMode(cmMerge);
    EXPECT_EQ(rec.areas.size(), 5u);

    // The destination of a draw hears of the area drawn, the source of nothing.
    TBitmap32 d;
    Recorder drec;
    drec.Attach(d);
    d.Resize(4, 4);
    b.SetMasterAlpha(255);
    const size_t before = rec.areas.size();
    b.DrawOnto(d, -8, -6);
    EXPECT_EQ(rec.areas.size(), before);
    ASSERT_EQ(drec.areas.size(), 2u);
    EXPECT_TRUE(Same(drec.areas[1], {0, 0, 2, 2}));
    b.DrawOnto(d, 4, 0);  // lands outside
    EXPECT_EQ(drec.areas.size(), 2u);
}
