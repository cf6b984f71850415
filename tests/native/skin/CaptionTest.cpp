#include <gtest/gtest.h>

#include <climits>

#include "skin/ButtonFace.h"
#include "skin/TextRender.h"

TEST(CaptionChoice, GivenCaptionElseTheIndexDefault)
{
    const wchar_t* const defaults[] = {L"Yes", L"No", L"Ok", L"License", L"Feedback", L"Save"};
    for (int index = 1; index <= 6; ++index)
        EXPECT_EQ(ChooseCaption(index, L""), defaults[index - 1]) << index;
    for (int index : {0, 7, -1, INT_MIN, INT_MAX})
        EXPECT_EQ(ChooseCaption(index, L""), L"") << index;
    EXPECT_EQ(ChooseCaption(3, L"Next"), L"Next");
    EXPECT_EQ(ChooseCaption(0, L"Install"), L"Install");
}

TEST(CaptionLayout, CentredShadowBelowRightPressedMovesByOne)
{
    // 78 - 31 = 47, halved toward zero: 23.
    const FaceLayout normal = ComputeFaceLayout(1, 78, 31, 31);
    EXPECT_EQ(normal.ShadowX, 22);
    EXPECT_EQ(normal.ShadowY, 2);
    EXPECT_EQ(normal.CaptionX, 21);
    EXPECT_EQ(normal.CaptionY, 1);

    const FaceLayout hover = ComputeFaceLayout(2, 78, 31, 31);
    const FaceLayout unknown = ComputeFaceLayout(0, 78, 31, 31);
    for (const FaceLayout& same : {hover, unknown}) {
        EXPECT_EQ(same.CaptionX, normal.CaptionX);
        EXPECT_EQ(same.CaptionY, normal.CaptionY);
    }
    const FaceLayout pressed = ComputeFaceLayout(3, 78, 31, 31);
    EXPECT_EQ(pressed.CaptionX, normal.CaptionX + 1);
    EXPECT_EQ(pressed.CaptionY, normal.CaptionY + 1);
    EXPECT_EQ(pressed.ShadowX, normal.ShadowX + 1);
    EXPECT_EQ(pressed.ShadowY, normal.ShadowY + 1);
}

TEST(CaptionLayout, HalvingRoundsTowardZero)
{
    // Widths measured in the two fonts may differ; each centres its own text.
    const FaceLayout odd = ComputeFaceLayout(1, 78, 20, 21);
    EXPECT_EQ(odd.ShadowX, 29 - 1);
    EXPECT_EQ(odd.CaptionX, 28 - 2);
    // A caption wider than the face: (78 - 81) / 2 is -1, not -2.
    const FaceLayout wide = ComputeFaceLayout(1, 78, 81, 81);
    EXPECT_EQ(wide.ShadowX, -2);
    EXPECT_EQ(wide.CaptionX, -3);
}

TEST(CaptionCoverage, BlockSumsOfBlueBecomeAlpha)
{
    TBitmap32 scratch;
    scratch.Resize(4, 2);
    // Red, green and alpha bytes must be ignored: GDI leaves them in any state.
    const TColor32 noise = 0xAB12CD00;
    const uint8_t blue[2][4] = {{255, 255, 10, 0}, {255, 254, 3, 2}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            scratch.Row(y)[x] = noise | blue[y][x];

    TBitmap32 result;
    ReduceCoverage(scratch, 2, 0x7F336699, result);
    ASSERT_EQ(result.Width(), 2);
    ASSERT_EQ(result.Height(), 1);
    // (255 + 255 + 255 + 254) / 2 / 2 = 254 (1019 / 4, rounded down); (10 + 0 + 3 + 2) / 4 = 3.
    EXPECT_EQ(result.Pixel(0, 0), 0xFE336699u);
    EXPECT_EQ(result.Pixel(1, 0), 0x03336699u);
}

TEST(CaptionCoverage, FullBlocksAtHighestLevelStayOpaque)
{
    // 16 x 16 blocks of 255 sum to 65280: no overflow, exactly 255 back.
    TBitmap32 scratch;
    scratch.Resize(32, 16);
    scratch.FillRectangle(0, 0, 16, 16, 0xFFFFFFFF);
    TBitmap32 result;
    ReduceCoverage(scratch, TextSupersampling(99), 0xFF555555, result);
    ASSERT_EQ(result.Width(), 2);
    ASSERT_EQ(result.Height(), 1);
    EXPECT_EQ(result.Pixel(0, 0), 0xFF555555u);
    EXPECT_EQ(result.Pixel(1, 0), 0x00555555u);
}

TEST(CaptionLayout, OffsetsGrowWithTheDisplayScale)
{
    // At 150 % a pixel's offset becomes 2 (1.5 rounded away), at 200 % 2, and 2 pixels 3 and 4.
    struct Case {
        int dpi, one, two;
    } cases[] = {{120, 1, 3}, {144, 2, 3}, {192, 2, 4}};
    for (const Case& c : cases) {
        const FaceLayout normal = ComputeFaceLayout(1, 156, 62, 62, c.dpi);
        const FaceLayout pressed = ComputeFaceLayout(3, 156, 62, 62, c.dpi);
        EXPECT_EQ(normal.ShadowX, 47 - c.one) << c.dpi;
        EXPECT_EQ(normal.ShadowY, c.two) << c.dpi;
        EXPECT_EQ(normal.CaptionX, 47 - c.two) << c.dpi;
        EXPECT_EQ(normal.CaptionY, c.one) << c.dpi;
        EXPECT_EQ(pressed.CaptionX - normal.CaptionX, c.one) << c.dpi;
        EXPECT_EQ(pressed.ShadowY - normal.ShadowY, c.one) << c.dpi;
    }
}
