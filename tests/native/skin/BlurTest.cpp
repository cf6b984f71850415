#include <gtest/gtest.h>

#include <random>
#include <string>

#include "skin/Blur.h"

namespace {

// The convolution written out directly over the 2-D window, for comparison.
TColor32 DirectWindow(const TBitmap32& b, int x, int y, int mode)
{
    static const int soft[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
    const int r = mode == 0 ? 2 : 1;
    const int divisor = mode == 0 ? 25 : 16;
    TColor32 out = 0;
    for (int shift : {24, 16, 8, 0}) {
        int sum = 0;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const int weight = mode == 0 ? 1 : soft[dy + 1][dx + 1];
                sum += weight * static_cast<int>((b.Pixel(x + dx, y + dy) >> shift) & 0xFF);
            }
        out |= static_cast<TColor32>(sum / divisor) << shift;
    }
    return out;
}

void FillRandom(TBitmap32& b, unsigned seed)
{
    std::mt19937 rng(seed);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.Row(y)[x] = rng();
}

}  // namespace

TEST(BlurBitmapTest, SingleOpaquePixelSpreadsQuartersEighthsAndSixteenths)
{
    TBitmap32 b;
    b.Resize(5, 5);
    b.Row(2)[2] = 0xFFC86432;  // a = 255, r = 200, g = 100, b = 50
    BlurBitmap(&b, 1);
    // 4/16, 2/16 and 1/16 of every channel, rounded down.
    EXPECT_EQ(b.Pixel(2, 2), 0x3F32190Cu);
    for (auto [x, y] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}})
        EXPECT_EQ(b.Pixel(x, y), 0x1F190C06u) << x << "," << y;
    for (auto [x, y] : {std::pair{1, 1}, {3, 1}, {1, 3}, {3, 3}})
        EXPECT_EQ(b.Pixel(x, y), 0x0F0C0603u) << x << "," << y;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(b.Pixel(i, 0), 0u);
        EXPECT_EQ(b.Pixel(0, i), 0u);
    }
}

TEST(BlurBitmapTest, BorderKeepsItsPixels)
{
    TBitmap32 b;
    b.Resize(6, 6);
    b.Row(1)[1] = 0xFFFFFFFF;
    BlurBitmap(&b, 1);
    EXPECT_EQ(b.Pixel(0, 0), 0u);  // would be a sixteenth if the border were blurred
    EXPECT_EQ(b.Pixel(1, 0), 0u);
    EXPECT_EQ(b.Pixel(1, 1), 0x3F3F3F3Fu);
    EXPECT_EQ(b.Pixel(2, 2), 0x0F0F0F0Fu);

    b.Resize(7, 7);
    b.Row(2)[2] = 0xFFFFFFFF;
    b.Row(0)[0] = 0x12345678;
    BlurBitmap(&b, 0);
    EXPECT_EQ(b.Pixel(0, 0), 0x12345678u);
    EXPECT_EQ(b.Pixel(1, 1), 0u);
    EXPECT_EQ(b.Pixel(2, 2), 0x0A0C0D0Fu);  // (255 + the corner) / 25 per channel
    EXPECT_EQ(b.Pixel(4, 4), 0x0A0A0A0Au);
    EXPECT_EQ(b.Pixel(4, 5), 0u);
}

TEST(BlurBitmapTest, MatchesTheDirectWindowSumOnNoise)
{
    for (int mode : {0, 1}) {
        TBitmap32 original, blurred;
        original.Resize(23, 11);
        FillRandom(original, 100 + mode);
        blurred.Assign(original);
        BlurBitmap(&blurred, mode);
        const int r = mode == 0 ? 2 : 1;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 23; ++x) {
                const bool inner = x >= r && x < 23 - r && y >= r && y < 11 - r;
                const TColor32 want = inner ? DirectWindow(original, x, y, mode) : original.Pixel(x, y);
                ASSERT_EQ(blurred.Pixel(x, y), want) << "mode " << mode << " at " << x << "," << y;
            }
        // Into another bitmap: the same result, the source untouched.
        TBitmap32 copy, target;
        copy.Assign(original);
        target.Resize(2, 2);
        BlurBitmap(&copy, &target, mode);
        ASSERT_EQ(target.Width(), 23);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 23; ++x) {
                ASSERT_EQ(target.Pixel(x, y), blurred.Pixel(x, y));
                ASSERT_EQ(copy.Pixel(x, y), original.Pixel(x, y));
            }
    }
}

TEST(BlurBitmapTest, SmallBitmapsAndOtherModesStayUnchanged)
{
    struct Case { int w, h, mode; };
    for (Case c : {Case{2, 9, 1}, Case{9, 2, 1}, Case{4, 9, 0}, Case{9, 4, 0}, Case{9, 9, 2}, Case{9, 9, -1}, Case{0, 0, 1}}) {
        TBitmap32 b, before;
        b.Resize(c.w, c.h);
        FillRandom(b, 5);
        before.Assign(b);
        int notes = 0;
        b.OnChange = [&](const TRect&) { ++notes; };
        BlurBitmap(&b, c.mode);
        EXPECT_EQ(notes, 0) << c.w << "x" << c.h << " mode " << c.mode;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_EQ(b.Pixel(x, y), before.Pixel(x, y));
    }
    // The smallest sizes that do change: exactly one inner pixel.
    TBitmap32 b;
    b.Resize(3, 3);
    b.FillAll(0xFFFFFFFF);
    b.Row(1)[1] = 0;
    BlurBitmap(&b, 1);
    EXPECT_EQ(b.Pixel(1, 1), 0xBFBFBFBFu);  // 12/16 of 255
}

TEST(BlurBitmapTest, NullArgumentsRaise)
{
    TBitmap32 b;
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const EBitmapError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([] { BlurBitmap(nullptr, 1); }), "The source is nil");
    EXPECT_EQ(message([&] { BlurBitmap(nullptr, &b, 1); }), "The source is nil");
    EXPECT_EQ(message([&] { BlurBitmap(&b, nullptr, 1); }), "Destination is nil");
}
