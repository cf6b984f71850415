// The wizard at display scales above 100 %: a display change as the system announces it, and
// every text of every page measured against the rectangle it is drawn into.
#include "WizardTestSupport.h"
#include "app/UnitStrings.h"
#include "skin/ButtonFace.h"
#include "skin/Fonts_win32.h"

namespace {

constexpr int kScales[] = {96, 120, 144, 168, 192};

RECT WindowRect(HWND window)
{
    RECT r = {};
    ::GetWindowRect(window, &r);
    return r;
}

// The pixels of the page surface, for comparing two drawings of a page.
std::vector<TColor32> Surface()
{
    const TBitmap32& b = SetupWizardH->Image->Bitmap();
    return std::vector<TColor32>(b.Bits(), b.Bits() + static_cast<size_t>(b.Width()) * b.Height());
}

}  // namespace

TEST_F(WizardTest, ADisplayChangeLaysBothWindowsOutAndRedrawsThePageAtTheNewScale)
{
    ClickButton(110);
    ASSERT_EQ(SetupWizardH->Page(), 2);
    const std::vector<TColor32> page2 = Surface();
    for (int dpi : {144, 192, 120, 96}) {
        SCOPED_TRACE(dpi);
        const TDpiScale s(dpi);
        AnnounceDpi(dpi, 40 + dpi / 4, 30 + dpi / 8);
        Pump();
        const RECT b = WindowRect(SetupWizard->Handle());
        const RECT f = WindowRect(SetupWizardH->Handle());
        EXPECT_EQ(b.left, 40 + dpi / 4);
        EXPECT_EQ(b.top, 30 + dpi / 8);
        EXPECT_EQ(b.right - b.left, s(446));
        EXPECT_EQ(b.bottom - b.top, s(365));
        EXPECT_EQ(f.left - b.left, s(135));
        EXPECT_EQ(f.top - b.top, s(30));
        EXPECT_EQ(f.right - f.left, s(420) - s(135));
        EXPECT_EQ(f.bottom - f.top, s(290) - s(30));
        EXPECT_EQ(SetupWizardH->Image->Bitmap().Width(), f.right - f.left);
        EXPECT_EQ(SetupWizard->Bitmap->Pixel(s(135), s(30)), 0u);
        EXPECT_EQ(SetupWizard->CloseRect.Left, s(401));
        EXPECT_EQ(SetupWizard->DragRect.Bottom, s(28));
        // Page 2 again, entry steps skipped: the same buttons at their scaled places, the
        // licence box and the radio where the layout has them.
        EXPECT_EQ(SetupWizardH->Page(), 2);
        const std::vector<TToolbarLayer*> faces = PressedFaces();
        ASSERT_EQ(faces.size(), 3u);
        EXPECT_EQ(faces[1]->PixelRect().Left, s(110));
        EXPECT_EQ(faces[1]->PixelRect().Top, s(230));
        EXPECT_EQ(faces[1]->PixelRect().Right, s(110) + s(78));
        RECT box = {};
        ::GetWindowRect(SetupWizardH->Agreement->Handle(), &box);
        EXPECT_EQ(box.left - f.left, s(10));
        EXPECT_EQ(box.right - box.left, s(280) - s(10));
        EXPECT_EQ(SetupWizardH->RadioHitRect.Left, s(10));
        EXPECT_EQ(SetupWizardH->RadioHitRect.Bottom, s(220));
    }
    // Back at 96 DPI the page is what it was, pixel for pixel.
    EXPECT_TRUE(Surface() == page2);
    // The radio answers at its place and Next at its own.
    Click(16, 211);
    ClickButton(110);
    EXPECT_EQ(SetupWizardH->Page(), 3);
    EXPECT_TRUE(errors_.empty());
}

// Every text the pages draw, in the font it is drawn with, fits the rectangle it is drawn
// into at every scale: nothing is cut off, nothing runs into its neighbour.
TEST_F(WizardTest, AWallpaperDrawnAheadIsTakenOnlyWhenItIsForTheWindowsScale)
{
    // Drawn on another thread for the window's scale, the picture is taken and shows what the
    // window drew itself; drawn for another scale, it is left and the window draws its own.
    TSetupWizard& bg = *SetupWizard;
    const auto pixels = [&bg] {
        const TBitmap32& b = *bg.Bitmap;
        return std::vector<TColor32>(b.Bits(), b.Bits() + static_cast<size_t>(b.Width()) * b.Height());
    };
    const std::vector<TColor32> drawn = pixels();
    const RECT placed = WindowRect(bg.Handle());
    for (const int dpi : {bg.Dpi(), 2 * bg.Dpi()}) {
        const TBitmap32* before = bg.Bitmap.get();
        PrefetchWallpaper(dpi);
        bg.LoadWallpaper();
        EXPECT_EQ(bg.Bitmap.get() != before, dpi == bg.Dpi()) << dpi;
        EXPECT_TRUE(pixels() == drawn) << dpi;
        EXPECT_EQ(bg.Bitmap->CombineMode(), cmMerge) << dpi;
        const RECT now = WindowRect(bg.Handle());
        EXPECT_EQ(now.right - now.left, placed.right - placed.left) << dpi;
        EXPECT_EQ(now.bottom - now.top, placed.bottom - placed.top) << dpi;
    }
    EXPECT_TRUE(errors_.empty());
}

TEST(WizardTextFitTest, EveryTextFitsItsRectangleAtEveryScale)
{
    struct Text {
        const wchar_t* What;
        int Points;
        bool Bold;
        // Where it goes: the page, the body, the label's line, a button's face.
        enum { Title, Body, Label, Caption } Place;
    };
    const Text texts[] = {
        {SWizardTitle, 12, true, Text::Title},       {SWelcomeText, 11, false, Text::Body},
        {SAgreementText, 10, false, Text::Body},     {SReadyText, 11, false, Text::Body},
        {SFinishedText, 11, false, Text::Body},      {SAgreeLabel, 10, false, Text::Label},
        {SButtonNext, kCaptionFontSize, true, Text::Caption},
        {SButtonBack, kCaptionFontSize, true, Text::Caption},
        {SButtonCancel, kCaptionFontSize, true, Text::Caption},
        {SButtonInstall, kCaptionFontSize, true, Text::Caption},
        {SButtonClose, kCaptionFontSize, true, Text::Caption},
    };
    const HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (int dpi : kScales) {
        const TSetupWizardH::TPageLayout layout = TSetupWizardH::LayoutFor(dpi);
        const TDpiScale& s = layout.Scale;
        const int pageWidth = s(420) - s(135);
        for (const Text& text : texts) {
            SCOPED_TRACE(::testing::Message() << dpi << " DPI, text " << (&text - texts));
            UniqueHfont font = CreatePointFont(SFontCalibri, text.Points, dpi, text.Bold ? fsBold : 0);
            ASSERT_TRUE(font);
            SelectScope select(dc, font.get());
            const int length = static_cast<int>(wcslen(text.What));
            SIZE extent = {};
            ::GetTextExtentPoint32W(dc, text.What, length, &extent);
            switch (text.Place) {
            case Text::Title:
                // Centred on the page, above the body.
                EXPECT_LE(extent.cx, pageWidth);
                EXPECT_LE(layout.TitleTop + extent.cy, layout.Body.Top);
                break;
            case Text::Body: {
                RECT r = {layout.Body.Left, layout.Body.Top, layout.Body.Right, layout.Body.Bottom};
                ::DrawTextW(dc, text.What, length, &r, DT_WORDBREAK | DT_CALCRECT);
                EXPECT_LE(r.right, layout.Body.Right);
                EXPECT_LE(r.bottom, layout.Body.Bottom);
                break;
            }
            case Text::Label:
                EXPECT_LE(layout.AgreeLabelAt.x + extent.cx, pageWidth);
                EXPECT_LE(layout.AgreeLabelAt.y + extent.cy, layout.ButtonTop);
                EXPECT_GE(layout.AgreeLabelAt.y, layout.LicenceFrame.Bottom);
                break;
            case Text::Caption: {
                // With its shadow's offsets, inside the face.
                const FaceLayout face = ComputeFaceLayout(kFacePressed, layout.ButtonWidth, extent.cx,
                                                          extent.cx, dpi);
                EXPECT_GE(face.CaptionX, 0);
                EXPECT_LE(face.ShadowX + extent.cx, layout.ButtonWidth);
                EXPECT_LE(face.ShadowY + extent.cy, layout.ButtonHeight);
                break;
            }
            }
        }
    }
    ::DeleteDC(dc);
}
