#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TextTestImages.h"
#include "skin/Blur.h"
#include "skin/ButtonFace.h"
#include "skin/PngLoader.h"
#include "skin/TextRender.h"

namespace {

constexpr int kW = 78, kH = 25;
constexpr TColor32 kWhite = 0xFFFFFFFF;

const char* const kPictures[] = {nullptr, "BUTTONNORMAL", "BUTTONOVER", "BUTTONPRESS"};

// A face layer's bitmap as the button code makes it: transparent, blended when drawn.
std::unique_ptr<TBitmap32> NewLayerBitmap(int w = kW, int h = kH)
{
    auto b = std::make_unique<TBitmap32>();
    b->SetDrawMode(dmBlend);
    b->Resize(w, h);
    return b;
}

std::unique_ptr<TBitmap32> Render(int face, int index, const std::wstring& caption)
{
    auto b = NewLayerBitmap();
    RenderButtonFace(*b, nullptr, TRect{0, 0, kW, kH}, 0, 0, face, index, caption, true);
    return b;
}

std::unique_ptr<TBitmap32> Picture(int face)
{
    auto b = std::make_unique<TBitmap32>();
    b->SetDrawMode(dmBlend);
    b->SetCombineMode(cmMerge);
    LoadPngResource(kPictures[face], *b);
    return b;
}

void UseCaptionFont(TBitmap32& b)
{
    b.Font.Name = "Calibri";
    b.Font.Size = 10;
    b.Font.Style = fsBold;
}

// Pixels equal, counting every fully transparent pixel as the same.
int CountDifferences(const TBitmap32& a, const TBitmap32& b)
{
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor32 p = a.Pixel(x, y), q = b.Pixel(x, y);
            n += p != q && ((p >> 24) != 0 || (q >> 24) != 0);
        }
    return n;
}

// The caption's solid pixels, drawn alone at (0, 0).
std::vector<std::pair<int, int>> SolidCaptionPixels(const std::wstring& text)
{
    auto canvas = NewLayerBitmap(160, 40);
    canvas->SetCombineMode(cmMerge);
    UseCaptionFont(*canvas);
    RenderAntialiasedText(*canvas, 0, 0, text, kCaptionTextLevel, kWhite);
    std::vector<std::pair<int, int>> solid;
    for (int y = 0; y < canvas->Height(); ++y)
        for (int x = 0; x < canvas->Width(); ++x)
            if ((canvas->Pixel(x, y) >> 24) == 255)
                solid.emplace_back(x, y);
    return solid;
}

// Every offset at which all solid caption pixels fall on pure white pixels of `render` that the
// bare face does not have.
std::vector<std::pair<int, int>> LocateCaption(const TBitmap32& render, const TBitmap32& bare,
                                               const std::vector<std::pair<int, int>>& solid)
{
    std::vector<std::pair<int, int>> found;
    for (int dy = -10; dy < kH; ++dy)
        for (int dx = -10; dx < kW; ++dx) {
            bool all = true;
            for (const auto& [x, y] : solid) {
                const int px = x + dx, py = y + dy;
                if (px < 0 || py < 0 || px >= kW || py >= kH || render.Pixel(px, py) != kWhite ||
                    bare.Pixel(px, py) == kWhite) {
                    all = false;
                    break;
                }
            }
            if (all)
                found.emplace_back(dx, dy);
        }
    return found;
}

int MeasuredCaptionWidth(const std::wstring& text)
{
    TBitmap32 b;
    UseCaptionFont(b);
    b.Resize(kW, kH);
    return MeasureText(b, text);
}

const std::wstring kCaptions[] = {L"Next", L"Back", L"Cancel", L"Install", L"Close", L"Ok"};

}  // namespace

TEST(FaceRender, CaptionIsCentredAndPressedFaceMovesByOne)
{
    // Every face is also put on a white page, as the wizard shows them, for a person to look at
    // (face-renders/ in the test's working folder).
    constexpr int rows = sizeof(kCaptions) / sizeof(kCaptions[0]);
    TBitmap32 sheet;
    sheet.Resize(3 * (kW + 6) + 6, rows * (kH + 6) + 6);
    sheet.FillAll(0xFFFFFFFF);
    int row = 0;
    for (const std::wstring& caption : kCaptions) {
        const auto solid = SolidCaptionPixels(caption);
        ASSERT_GT(solid.size(), 5u);
        const int centred = (kW - MeasuredCaptionWidth(caption)) / 2;
        for (int face : {1, 2, 3}) {
            const int pressed = face == 3 ? 1 : 0;
            const auto render = Render(face, 3, caption);
            const auto bare = Render(face, 0, L"");
            const auto at = LocateCaption(*render, *bare, solid);
            ASSERT_EQ(at.size(), 1u) << "face " << face;
            EXPECT_EQ(at[0].first, centred - 2 + pressed) << "face " << face;
            EXPECT_EQ(at[0].second, 1 + pressed) << "face " << face;
            render->DrawOnto(sheet, 6 + (face - 1) * (kW + 6), 6 + row * (kH + 6));
        }
        ++row;
    }
    EXPECT_TRUE(SaveRender(sheet, "faces.png", 1));
    EXPECT_TRUE(SaveRender(sheet, "faces-x4.png", 4));
}

TEST(FaceRender, ShadowLiesOneRightAndOneBelowTheCaption)
{
    // Rebuild the face with the shadow at each nearby offset from the caption; only the true
    // offset reproduces the painter's pixels.
    const std::wstring caption = L"Install";
    const int w = MeasuredCaptionWidth(caption);
    for (int face : {1, 3}) {
        const int pressed = face == 3 ? 1 : 0;
        const int cx = (kW - w) / 2 - 2 + pressed, cy = 1 + pressed;
        const auto actual = Render(face, 0, caption);
        int bestDx = 99, bestDy = 99, best = kW * kH + 1;
        for (int dy = -2; dy <= 3; ++dy)
            for (int dx = -2; dx <= 3; ++dx) {
                const auto composite = Picture(face);
                TBitmap32 shadow;
                shadow.SetDrawMode(dmBlend);
                shadow.SetCombineMode(cmMerge);
                shadow.Resize(kW, kH);
                UseCaptionFont(shadow);
                UseCaptionFont(*composite);
                RenderAntialiasedText(shadow, cx + dx, cy + dy, caption, 3, 0xFF555555);
                BlurBitmap(&shadow, 1);
                shadow.DrawOnto(*composite, 0, 0);
                RenderAntialiasedText(*composite, cx, cy, caption, 3, kWhite);
                const int d = CountDifferences(*composite, *actual);
                if (d < best) {
                    best = d;
                    bestDx = dx;
                    bestDy = dy;
                }
            }
        EXPECT_EQ(bestDx, 1) << "face " << face;
        EXPECT_EQ(bestDy, 1) << "face " << face;
        EXPECT_EQ(best, 0) << "face " << face;
    }
}

TEST(FaceRender, NoCaptionDrawsOnlyTheFacePicture)
{
    for (int face : {1, 2, 3}) {
        const auto picture = Picture(face);
        ASSERT_EQ(picture->Width(), kW);
        ASSERT_EQ(picture->Height(), kH);
        for (int index : {0, 7, -1}) {
            const auto render = Render(face, index, L"");
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const TColor32 p = picture->Pixel(x, y);
                    ASSERT_EQ(render->Pixel(x, y), (p >> 24) ? p : 0u)
                        << "face " << face << " index " << index << " at " << x << "," << y;
                }
        }
    }
}

TEST(FaceRender, IndexThreeWithoutCaptionDrawsOk)
{
    const auto byIndex = Render(1, 3, L"");
    const auto byText = Render(1, 0, L"Ok");
    EXPECT_EQ(CountDifferences(*byIndex, *byText), 0);
    EXPECT_GT(CountDifferences(*byIndex, *Render(1, 0, L"")), 20);
    // A given caption wins over the index's default.
    EXPECT_EQ(CountDifferences(*Render(1, 3, L"Next"), *Render(1, 0, L"Next")), 0);
    EXPECT_GT(CountDifferences(*Render(1, 1, L""), *byIndex), 0);
}

TEST(FaceRender, UnknownFaceNumberDrawsNothing)
{
    for (int face : {0, 4, -1}) {
        auto b = NewLayerBitmap();
        b->FillAll(0x11223344);
        RenderButtonFace(*b, nullptr, TRect{0, 0, kW, kH}, 0, 0, face, 3, L"Next", true);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(b->Pixel(x, y), 0x11223344u) << "face " << face;
    }
}

TEST(FaceRender, OpaqueBackgroundShowsTheGivenRectangle)
{
    TBitmap32 page;
    page.Resize(300, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            page.Row(y)[x] = 0xFF000000u | static_cast<TColor32>(x) << 8 | static_cast<TColor32>(y % 256);
    const TRect area{110, 230, 110 + kW, 230 + kH};
    auto b = NewLayerBitmap();
    RenderButtonFace(*b, &page, area, 0, 0, 1, 0, L"", false);
    const auto picture = Picture(1);
    int transparentCorners = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const TColor32 face = picture->Pixel(x, y);
            const TColor32 under = page.Pixel(area.Left + x, area.Top + y);
            transparentCorners += (face >> 24) == 0;
            ASSERT_EQ(b->Pixel(x, y), MergePixel(face, under, 255)) << x << "," << y;
        }
    EXPECT_GT(transparentCorners, 0) << "the face picture has rounded, transparent corners";
}

TEST(FaceRender, DrawsAtTheGivenPoint)
{
    const auto atOrigin = Render(2, 3, L"Back");
    auto b = NewLayerBitmap(100, 40);
    RenderButtonFace(*b, nullptr, TRect{0, 0, kW, kH}, 5, 3, 2, 3, L"Back", true);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 5 && x < 5 + kW && y >= 3 && y < 3 + kH;
            ASSERT_EQ(b->Pixel(x, y), inside ? atOrigin->Pixel(x - 5, y - 3) : 0u) << x << "," << y;
        }
}
