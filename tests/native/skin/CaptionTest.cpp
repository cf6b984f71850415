#include <gtest/gtest.h>

#include <climits>

#include "skin/ButtonFace.h"
#include "skin/TextRender.h"

TEST(CaptionChoice, DefaultCaptionsByIndex)
{
    EXPECT_EQ(DefaultCaption(1), L"Yes");
    EXPECT_EQ(DefaultCaption(2), L"No");
    EXPECT_EQ(DefaultCaption(3), L"Ok");
    EXPECT_EQ(DefaultCaption(4), L"License");
    EXPECT_EQ(DefaultCaption(5), L"Feedback");
    EXPECT_EQ(DefaultCaption(6), L"Save");
    for (int index : {0, 7, -1, INT_MIN, INT_MAX})
        EXPECT_EQ(DefaultCaption(index), L"") << index;
}

TEST(CaptionChoice, GivenCaptionWinsOverIndex)
{
    EXPECT_EQ(ChooseCaption(3, L""), L"Ok");
    EXPECT_EQ(ChooseCaption(3, L"Next"), L"Next");
    EXPECT_EQ(ChooseCaption(0, L"Install"), L"Install");
    EXPECT_EQ(ChooseCaption(0, L""), L"");
    EXPECT_EQ(ChooseCaption(7, L""), L"");
}

TEST(CaptionFace, ResourceNamesOfTheThreeFaces)
{
    EXPECT_STREQ(FaceResourceName(1), "BUTTONNORMAL");
    EXPECT_STREQ(FaceResourceName(2), "BUTTONOVER");
    EXPECT_STREQ(FaceResourceName(3), "BUTTONPRESS");
    EXPECT_EQ(FaceResourceName(0), nullptr);
    EXPECT_EQ(FaceResourceName(4), nullptr);
    EXPECT_EQ(FaceResourceName(-3), nullptr);
}

TEST(CaptionLayout, CentredWithShadowBelowRight)
{
    // 78 - 31 = 47, halved toward zero: 23.
    const FaceLayout normal = ComputeFaceLayout(1, 78, 31, 31);
    EXPECT_EQ(normal.ShadowX, 22);
    EXPECT_EQ(normal.ShadowY, 2);
    EXPECT_EQ(normal.CaptionX, 21);
    EXPECT_EQ(normal.CaptionY, 1);
    EXPECT_EQ(normal.ShadowX - normal.CaptionX, 1);
    EXPECT_EQ(normal.ShadowY - normal.CaptionY, 1);

    const FaceLayout hover = ComputeFaceLayout(2, 78, 31, 31);
    EXPECT_EQ(hover.CaptionX, normal.CaptionX);
    EXPECT_EQ(hover.CaptionY, normal.CaptionY);
    // Unknown face numbers are laid out like an unpressed face.
    EXPECT_EQ(ComputeFaceLayout(0, 78, 31, 31).CaptionX, normal.CaptionX);
}

TEST(CaptionLayout, PressedFaceMovesOnePixelRightAndDown)
{
    const FaceLayout normal = ComputeFaceLayout(1, 78, 20, 20);
    const FaceLayout pressed = ComputeFaceLayout(3, 78, 20, 20);
    EXPECT_EQ(pressed.CaptionX, normal.CaptionX + 1);
    EXPECT_EQ(pressed.CaptionY, normal.CaptionY + 1);
    EXPECT_EQ(pressed.ShadowX, normal.ShadowX + 1);
    EXPECT_EQ(pressed.ShadowY, normal.ShadowY + 1);
    EXPECT_EQ(pressed.CaptionX, 29 - 2 + 1);
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
    // An empty face (no picture) still gives finite positions.
    const FaceLayout empty = ComputeFaceLayout(5, 0, 13, 13);
    EXPECT_EQ(empty.CaptionX, -6 - 2);
}

TEST(CaptionLevel, ClampedAndSupersampling)
{
    EXPECT_EQ(ClampTextLevel(-7), -1);
    EXPECT_EQ(ClampTextLevel(-1), -1);
    EXPECT_EQ(ClampTextLevel(0), 0);
    EXPECT_EQ(ClampTextLevel(3), 3);
    EXPECT_EQ(ClampTextLevel(4), 4);
    EXPECT_EQ(ClampTextLevel(INT_MAX), 4);
    EXPECT_EQ(ClampTextLevel(INT_MIN), -1);
    EXPECT_EQ(TextSupersampling(-1), 1);
    EXPECT_EQ(TextSupersampling(0), 1);
    EXPECT_EQ(TextSupersampling(1), 2);
    EXPECT_EQ(TextSupersampling(3), 8);
    EXPECT_EQ(TextSupersampling(12), 16);
}

TEST(CaptionLevel, ScratchSideIsNextMultipleAbove)
{
    EXPECT_EQ(ScratchSide(0, 8), 8);
    EXPECT_EQ(ScratchSide(7, 8), 8);
    // An exact multiple still grows by one block.
    EXPECT_EQ(ScratchSide(16, 8), 24);
    EXPECT_EQ(ScratchSide(17, 8), 24);
    EXPECT_EQ(ScratchSide(41, 1), 42);
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

TEST(CaptionCoverage, UnscaledBlueIsAlpha)
{
    TBitmap32 scratch;
    scratch.Resize(3, 1);
    scratch.Row(0)[0] = 0x00FFFFFF;
    scratch.Row(0)[1] = 0xFF000080;
    scratch.Row(0)[2] = 0x00FF0000;
    TBitmap32 result;
    ReduceCoverage(scratch, 1, 0xFFFFFFFF, result);
    ASSERT_EQ(result.Width(), 3);
    EXPECT_EQ(result.Pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(result.Pixel(1, 0), 0x80FFFFFFu);
    EXPECT_EQ(result.Pixel(2, 0), 0x00FFFFFFu);
}

TEST(CaptionCoverage, FullBlocksAtHighestLevelStayOpaque)
{
    // 16 x 16 blocks of 255 sum to 65280: no overflow, exactly 255 back.
    TBitmap32 scratch;
    scratch.Resize(32, 16);
    scratch.FillRectangle(0, 0, 16, 16, 0xFFFFFFFF);
    TBitmap32 result;
    ReduceCoverage(scratch, 16, 0xFF555555, result);
    ASSERT_EQ(result.Width(), 2);
    ASSERT_EQ(result.Height(), 1);
    EXPECT_EQ(result.Pixel(0, 0), 0xFF555555u);
    EXPECT_EQ(result.Pixel(1, 0), 0x00555555u);
}

TEST(CaptionCoverage, EmptyScratchGivesEmptyResult)
{
    TBitmap32 scratch;
    TBitmap32 result;
    result.Resize(5, 5);
    ReduceCoverage(scratch, 8, 0xFFFFFFFF, result);
    EXPECT_TRUE(result.Empty());
}
