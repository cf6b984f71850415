#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TextTestImages.h"
#include "common/UniqueHandle_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/TextRender.h"

namespace {

void UseCaptionFont(TBitmap32& bitmap, const char* face = "Calibri", int size = 10, uint8_t style = fsBold)
{
    bitmap.Font.Name = face;
    bitmap.Font.Size = size;
    bitmap.Font.Style = style;
}

// What GDI itself says, in a DC of our own, for the same font.
int GdiWidth(const char* text, const char* face, int points, bool bold)
{
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    const int height = -::MulDiv(points, ::GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
    UniqueHfont font(::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
    SelectScope select(dc.get(), font.get());
    SIZE size{};
    ::GetTextExtentPoint32A(dc.get(), text, static_cast<int>(strlen(text)), &size);
    return size.cx;
}

// A transparent canvas that composes by source-over, where a rendered pixel keeps its coverage
// as alpha.
void TransparentCanvas(TBitmap32& bitmap, int w, int h)
{
    bitmap.Resize(w, h);
    bitmap.SetCombineMode(cmMerge);
    UseCaptionFont(bitmap);
}

struct Coverage {
    TRect Bounds;
    long long Sum = 0;  // total alpha
    int Partial = 0;    // pixels with 0 < alpha < 255
    int Opaque = 0;
};

Coverage CoverageOf(const TBitmap32& b)
{
    Coverage c;
    c.Bounds = PixelBounds(b, [](int, int, TColor32 p) { return (p >> 24) != 0; });
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const unsigned a = b.Pixel(x, y) >> 24;
            c.Sum += a;
            c.Partial += a > 0 && a < 255;
            c.Opaque += a == 255;
        }
    return c;
}

std::vector<TColor32> PixelsOf(const TBitmap32& b)
{
    return std::vector<TColor32>(b.Bits(), b.Bits() + static_cast<size_t>(b.Width()) * b.Height());
}

}  // namespace

TEST(TextMeasure, CaptionsInCalibriBoldAgreeWithGdi)
{
    TBitmap32 bitmap;
    bitmap.Resize(78, 25);
    UseCaptionFont(bitmap);
    for (const char* text : {"Ok", "Next", "Back", "Cancel", "Install", "Close", "Feedback"}) {
        const std::wstring wide(text, text + strlen(text));
        const int w = MeasureText(bitmap, wide);
        EXPECT_GT(w, 5) << text;
        EXPECT_EQ(w, GdiWidth(text, "Calibri", 10, true)) << text;
    }
    EXPECT_LT(MeasureText(bitmap, L"Ok"), MeasureText(bitmap, L"Next"));
    EXPECT_LT(MeasureText(bitmap, L"Next"), MeasureText(bitmap, L"Feedback"));
    EXPECT_EQ(MeasureText(bitmap, L""), 0);
    // Bold is wider than regular; twice the size is about twice the width (hinting differs).
    const int bold = MeasureText(bitmap, L"Marlowind Setup Wizard");
    UseCaptionFont(bitmap, "Calibri", 10, 0);
    const int regular = MeasureText(bitmap, L"Marlowind Setup Wizard");
    EXPECT_GT(bold, regular);
    UseCaptionFont(bitmap, "Calibri", 20, 0);
    EXPECT_NEAR(MeasureText(bitmap, L"Marlowind Setup Wizard"), 2 * regular, 2 * regular / 25);
}

TEST(TextMeasure, CalibriMeasuresAsItsCarlitoStandIn)
{
    TBitmap32 bitmap;
    UseCaptionFont(bitmap, "Calibri");
    const std::wstring text = L"The Installation wizard will help you install Marlowind";
    const int calibri = MeasureText(bitmap, text);
    UseCaptionFont(bitmap, "Carlito");
    EXPECT_EQ(calibri, MeasureText(bitmap, text));
    UseCaptionFont(bitmap, "DejaVu Sans Mono");
    EXPECT_NE(calibri, MeasureText(bitmap, text));
}

TEST(TextMeasure, MeasuresTheLettersDrawnOnAnyBitmap)
{
    TBitmap32 empty, full;
    full.Resize(40, 20);
    UseCaptionFont(empty);
    UseCaptionFont(full);
    EXPECT_GT(MeasureText(empty, L"Close"), 0);
    EXPECT_EQ(MeasureText(empty, L"Close"), MeasureText(full, L"Close"));
    // A caption outside the system code page measures its own letters, not the '?' the code
    // page makes of them: the Japanese font's ideographs are wider than two question marks.
    full.Font.Language = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
    EXPECT_GT(MeasureText(full, L"\u4E2D\u6587"), MeasureText(full, L"??") * 3 / 2);
}

TEST(TextRender, AlphaOnlyWhereTheGlyphsAre)
{
    TBitmap32 canvas;
    TransparentCanvas(canvas, 120, 40);
    RenderAntialiasedText(canvas, 10, 5, L"Ok", 3, 0xFFFFFFFF);
    const Coverage c = CoverageOf(canvas);
    const int width = MeasureText(canvas, L"Ok");
    ASSERT_FALSE(c.Bounds.IsEmpty());
    EXPECT_GE(c.Bounds.Left, 10);
    EXPECT_GE(c.Bounds.Top, 5);
    EXPECT_LE(c.Bounds.Right, 10 + width + 2);
    EXPECT_LE(c.Bounds.Bottom, 5 + 20);
    // The glyphs, not their box: far fewer pixels than the box holds, with solid stems and
    // smoothed edges.
    EXPECT_LT(c.Sum, 255LL * c.Bounds.Width() * c.Bounds.Height() * 3 / 4);
    EXPECT_GT(c.Opaque, 10);
    EXPECT_GT(c.Partial, 10);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const TColor32 p = canvas.Pixel(x, y);
            if (p >> 24)
                ASSERT_EQ(p & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
            else
                ASSERT_EQ(p, 0u) << x << "," << y;
        }
    SaveRender(canvas, "text-ok-level3.png", 4);
}

TEST(TextRender, EveryLevelPutsTheTextInThePlace)
{
    // Supersampling must not move or resize the text: compare each level's coverage with the
    // plain unscaled glyphs. Hinting differs between sizes and smoothing thickens strokes, hence
    // the slack; a wrong scale or offset is off by far more.
    TBitmap32 plain;
    TransparentCanvas(plain, 160, 40);
    RenderAntialiasedText(plain, 7, 9, L"Feedback", 0, 0xFFFFFFFF);
    const Coverage reference = CoverageOf(plain);
    ASSERT_FALSE(reference.Bounds.IsEmpty());
    EXPECT_EQ(reference.Partial, 0) << "level 0 draws hard-edged glyphs";
    SaveRender(plain, "text-feedback-level0.png", 4);
    for (int level : {-1, 1, 2, 3, 4}) {
        TBitmap32 canvas;
        TransparentCanvas(canvas, 160, 40);
        RenderAntialiasedText(canvas, 7, 9, L"Feedback", level, 0xFFFFFFFF);
        const Coverage c = CoverageOf(canvas);
        EXPECT_NEAR(c.Bounds.Left, reference.Bounds.Left, 2) << level;
        EXPECT_NEAR(c.Bounds.Top, reference.Bounds.Top, 2) << level;
        EXPECT_NEAR(c.Bounds.Right, reference.Bounds.Right, 2) << level;
        EXPECT_NEAR(c.Bounds.Bottom, reference.Bounds.Bottom, 2) << level;
        EXPECT_NEAR(static_cast<double>(c.Sum), static_cast<double>(reference.Sum), reference.Sum * 0.5) << level;
        EXPECT_GT(c.Partial, 0) << level;
        SaveRender(canvas, "text-feedback-level" + std::to_string(level) + ".png", 4);
    }
}

TEST(TextRender, LevelsOutsideTheRangeClamp)
{
    auto render = [](int level) {
        TBitmap32 canvas;
        TransparentCanvas(canvas, 100, 30);
        RenderAntialiasedText(canvas, 2, 2, L"Install", level, 0xFFFFFFFF);
        return PixelsOf(canvas);
    };
    EXPECT_EQ(render(9), render(4));
    EXPECT_EQ(render(-5), render(-1));
    EXPECT_NE(render(4), render(3));
    EXPECT_NE(render(0), render(-1));
}

TEST(TextRender, ColourAlphaIsTheMasterAlpha)
{
    TBitmap32 canvas;
    TransparentCanvas(canvas, 80, 30);
    RenderAntialiasedText(canvas, 0, 0, L"Back", 3, 0x80FF0000);
    const Coverage c = CoverageOf(canvas);
    ASSERT_GT(c.Sum, 0);
    unsigned highest = 0;
    for (TColor32 p : PixelsOf(canvas)) {
        highest = std::max(highest, p >> 24);
        if (p >> 24) {
            EXPECT_EQ(p & 0xFFFFFF, 0xFF0000u);
        }
    }
    EXPECT_NEAR(highest, 128u, 1u);
}

TEST(TextRender, BlendsByTheTargetsCombineMode)
{
    // The coverage itself, recovered exactly from a transparent source-over canvas.
    TBitmap32 coverage;
    TransparentCanvas(coverage, 90, 30);
    RenderAntialiasedText(coverage, 3, 4, L"Cancel", 3, 0xFF202020);
    ASSERT_GT(CoverageOf(coverage).Partial, 0);

    for (TCombineMode mode : {cmBlend, cmMerge}) {
        TBitmap32 target;
        target.Resize(90, 30);
        UseCaptionFont(target);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 90; ++x)
                target.Row(y)[x] = 0x80000000u | (x * 2) << 16 | (y * 8) << 8 | 0x99;
        std::vector<TColor32> before = PixelsOf(target);
        target.SetCombineMode(mode);
        RenderAntialiasedText(target, 3, 4, L"Cancel", 3, 0xFF202020);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 90; ++x) {
                const TColor32 f = coverage.Pixel(x, y);
                const TColor32 b = before[static_cast<size_t>(y) * 90 + x];
                const TColor32 expected = (f >> 24) == 0 ? b : mode == cmBlend ? BlendPixel(f, b, 255) : MergePixel(f, b, 255);
                ASSERT_EQ(target.Pixel(x, y), expected) << "mode " << mode << " at " << x << "," << y;
            }
    }
}

TEST(TextRender, EmptyTargetOrTextChangesNothing)
{
    TBitmap32 empty;
    UseCaptionFont(empty);
    RenderAntialiasedText(empty, 0, 0, L"Ok", 3, 0xFFFFFFFF);
    EXPECT_TRUE(empty.Empty());

    TBitmap32 canvas;
    TransparentCanvas(canvas, 20, 20);
    canvas.FillAll(0x12345678);
    RenderAntialiasedText(canvas, 0, 0, L"", 3, 0xFFFFFFFF);
    for (TColor32 p : PixelsOf(canvas))
        ASSERT_EQ(p, 0x12345678u);
}

// A drawing right after another of the same text equals one after an unrelated text, whatever
// of font, resolution, level and colour the two share.
TEST(TextRender, ADrawingDependsOnlyOnItsOwnTextFontAndColour)
{
    struct Variant {
        const wchar_t* Text;
        const char* Face;
        int Size;
        uint8_t Style;
        int Dpi;
        int Level;
        TColor32 Colour;
    };
    const Variant base{L"Next", "Calibri", 10, fsBold, 96, 3, 0xFF555555};
    const Variant variants[] = {
        base,
        {L"Next", "Calibri", 10, fsBold, 96, 3, 0xFFFFFFFF},
        {L"Nest", "Calibri", 10, fsBold, 96, 3, 0xFF555555},
        {L"Next", "Tahoma", 10, fsBold, 96, 3, 0xFF555555},
        {L"Next", "Calibri", 11, fsBold, 96, 3, 0xFF555555},
        {L"Next", "Calibri", 10, 0, 96, 3, 0xFF555555},
        {L"Next", "Calibri", 10, fsBold, 192, 3, 0xFF555555},
        {L"Next", "Calibri", 10, fsBold, 96, 2, 0xFF555555},
    };
    const auto draw = [](const Variant& v) {
        TBitmap32 canvas;
        TransparentCanvas(canvas, 140, 70);
        UseCaptionFont(canvas, v.Face, v.Size, v.Style);
        canvas.Font.PixelsPerInch = v.Dpi;
        RenderAntialiasedText(canvas, 2, 3, v.Text, v.Level, v.Colour);
        return PixelsOf(canvas);
    };
    const Variant unrelated{L"Unrelated", "Calibri", 10, fsBold, 96, 3, 0xFF000000};
    draw(unrelated);
    const std::vector<TColor32> baseFresh = draw(base);
    for (const Variant& v : variants) {
        draw(unrelated);
        const std::vector<TColor32> fresh = draw(v);
        EXPECT_EQ(draw(base), baseFresh) << "after variant " << (&v - variants);
        EXPECT_EQ(draw(v), fresh) << "variant " << (&v - variants);
    }
}
