// The wizard at display scales above 100 %: a display change as the system announces it, and
// every text of every page measured against the rectangle it is drawn into.
#include <cstdio>
#include <utility>

#include "../Languages.h"
#include "WizardTestSupport.h"
#include "app/UnitStrings.h"
#include "common/Texts_win32.h"
#include "skin/ButtonFace.h"
#include "skin/Fonts_win32.h"
#include "skin/TextRender.h"

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
    // Drawn on another thread for the window's scale, the picture and page 1's two button faces
    // are taken and show what the windows drew themselves; drawn for another scale, they are
    // left and the windows draw their own.
    TSetupWizard& bg = *SetupWizard;
    const auto pixels = [&bg] {
        const TBitmap32& b = *bg.Bitmap;
        return std::vector<TColor32>(b.Bits(), b.Bits() + static_cast<size_t>(b.Width()) * b.Height());
    };
    const auto page = [] {
        const TBitmap32& b = SetupWizardH->Image->Bitmap();
        return std::vector<TColor32>(b.Bits(), b.Bits() + static_cast<size_t>(b.Width()) * b.Height());
    };
    const std::vector<TColor32> drawn = pixels(), pageDrawn = page();
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
        // Page 1 again, its faces taken when they fit.
        ClickButton(110);
        ClickButton(30);
        EXPECT_TRUE(page() == pageDrawn) << dpi;
        const TDpiScale s(dpi);
        EXPECT_EQ(TakePrefetchedFace(Text(tiButtonNext), dpi, s(78), s(25)) != nullptr,
                  dpi != bg.Dpi())
            << "the face for " << dpi << " DPI is taken by the page only at its own scale";
        EXPECT_EQ(TakePrefetchedFace(Text(tiButtonNext), dpi, s(78), s(25)), nullptr) << dpi;
    }
    EXPECT_TRUE(errors_.empty());
}

// Every text the pages draw, in every language, at every scale: fitted into the room the page
// table gives it (stepping down no further than the floor), it lies inside that room; a button's
// caption fits its face with its shadow. The size each text needed is printed.
TEST(WizardTextFitTest, EveryTextOfEveryLanguageFitsItsRoomAtEveryScale)
{
    enum Place { Title, Body, AgreementBody, Label, Caption };
    const struct {
        TextId Id;
        int Points;
        Place Where;
    } texts[] = {
        {tiWizardTitle, 12, Title},  {tiWelcomeText, 11, Body},  {tiAgreementText, 10, AgreementBody},
        {tiReadyText, 11, Body},     {tiFinishedText, 11, Body}, {tiAgreeLabel, 10, Label},
        {tiButtonNext, kCaptionFontSize, Caption}, {tiButtonBack, kCaptionFontSize, Caption},
        {tiButtonCancel, kCaptionFontSize, Caption}, {tiButtonInstall, kCaptionFontSize, Caption},
        {tiButtonClose, kCaptionFontSize, Caption},
    };
    const HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (const TestLanguage& language : kTestLanguages) {
        ASSERT_EQ(ChooseTexts(language.User), language.Table);
        std::string sizes;
        for (int dpi : kScales) {
            const TSetupWizardH::TPageLayout layout =
                TSetupWizardH::LayoutFor(dpi, TextsRightToLeft());
            const TRect& body = layout.Body;
            sizes += " " + std::to_string(dpi) + ":";
            for (const auto& text : texts) {
                const std::wstring what = Text(text.Id);
                SCOPED_TRACE(::testing::Message() << language.Tag << ", " << dpi << " DPI, text "
                                                  << text.Id);
                if (text.Where == Caption) {
                    TBitmap32 probe;
                    const int size = FitCaption(probe, what, layout.ButtonWidth, dpi, TextsLanguage());
                    UniqueHfont font = CreatePointFont(kCaptionFontName, size, dpi, fsBold,
                                                       DEFAULT_QUALITY, TextsLanguage());
                    SelectScope select(dc, font.get());
                    SIZE extent = {};
                    ::GetTextExtentPoint32W(dc, what.c_str(), static_cast<int>(what.size()), &extent);
                    EXPECT_EQ(extent.cx, MeasureText(probe, what));
                    const FaceLayout face = ComputeFaceLayout(kFacePressed, layout.ButtonWidth,
                                                              extent.cx, extent.cx, dpi);
                    EXPECT_GE(face.CaptionX - TDpiScale(dpi)(1), 0);
                    EXPECT_LE(face.ShadowX + extent.cx, layout.ButtonWidth);
                    EXPECT_LE(face.ShadowY + extent.cy, layout.ButtonHeight);
                    sizes += " " + std::to_string(size);
                    continue;
                }
                const TRect room = text.Where == Title ? layout.Title
                                   : text.Where == Body          ? body
                                   : text.Where == AgreementBody ? layout.AgreementBody
                                                                 : layout.AgreeLabel;
                const UINT format = text.Where == Title ? DT_SINGLELINE | DT_CENTER : DT_WORDBREAK;
                const TSetupWizardH::TFittedText fitted = TSetupWizardH::FitText(
                    dc, what, room, text.Points, text.Where == Title, format, layout);
                const TRect& r = fitted.Drawn;
                EXPECT_TRUE(r.Left >= room.Left && r.Right <= room.Right && r.Top >= room.Top &&
                            r.Bottom <= room.Bottom)
                    << "drawn " << r.Left << "," << r.Top << "-" << r.Right << "," << r.Bottom
                    << " in " << room.Left << "," << room.Top << "-" << room.Right << ","
                    << room.Bottom;
                EXPECT_GT(r.Width(), 0);
                // Right to left the lines end at the room's right edge.
                if (layout.RightToLeft && text.Where != Title)
                    EXPECT_EQ(r.Right, room.Right);
                LOGFONTW lf = {};
                ::GetObjectW(fitted.Font.get(), sizeof lf, &lf);
                const int points = ::MulDiv(-lf.lfHeight, 72, dpi);
                EXPECT_GE(points, TSetupWizardH::kFloorPoints);
                sizes += " " + std::to_string(points);
            }
            // Page 2's body ends above the licence box, the label stays clear of the radio, the
            // licence box and the buttons.
            EXPECT_LE(layout.AgreementBody.Bottom, layout.LicenceFrame.Top);
            EXPECT_TRUE(layout.AgreeLabel.Left >= layout.RadioBox.Right ||
                        layout.AgreeLabel.Right <= layout.RadioBox.Left);
            EXPECT_GE(layout.AgreeLabel.Top, layout.LicenceFrame.Bottom);
            EXPECT_LE(layout.AgreeLabel.Bottom, layout.ButtonTop);
        }
        std::printf("%s points:%s\n", language.Tag, sizes.c_str());
    }
    ChooseTexts(0x0409);
    ::DeleteDC(dc);
}

// Every letter of every text of every language is in the face the programs choose for it:
// no text shows a box for a letter its font lacks. Marks of direction and the line break are
// no letters and draw nothing.
TEST(WizardTextFitTest, TheChosenFontCarriesEveryLetterOfEveryLanguage)
{
    const HDC dc = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (const TestLanguage& language : kTestLanguages) {
        ASSERT_EQ(ChooseTexts(language.User), language.Table);
        for (const uint8_t style : {uint8_t(0), uint8_t(fsBold)}) {
            UniqueHfont font = CreatePointFont(SFontCalibri, 11, 96, style, DEFAULT_QUALITY,
                                               TextsLanguage());
            SelectScope select(dc, font.get());
            wchar_t face[LF_FACESIZE] = {};
            ::GetTextFaceW(dc, LF_FACESIZE, face);
            for (int id = 1; id <= kTextCount; ++id) {
                const std::wstring text = Text(static_cast<TextId>(id));
                std::vector<WORD> glyphs(text.size());
                ASSERT_NE(::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                                             glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS),
                          GDI_ERROR);
                for (size_t i = 0; i < text.size(); ++i) {
                    const wchar_t c = text[i];
                    const bool mark = c == L'\n' || (c >= 0x200B && c <= 0x200F) ||
                                      (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
                    if (!mark)
                        EXPECT_NE(glyphs[i], 0xFFFF)
                            << language.Tag << " text " << id << ": U+" << std::hex
                            << static_cast<unsigned>(c) << " at " << std::dec << i << " in face "
                            << std::string(face, face + wcslen(face));
                }
            }
        }
    }
    ChooseTexts(0x0409);
    ::DeleteDC(dc);
}

// The English table keeps the wizard's texts as they always were.
TEST(WizardTextFitTest, TheEnglishTableKeepsTheWizardsTexts)
{
    ASSERT_EQ(ChooseTexts(0x0409), LANG_ENGLISH);
    const std::pair<TextId, const wchar_t*> texts[] = {
        {tiWizardTitle, SWizardTitle},       {tiButtonNext, SButtonNext},
        {tiButtonBack, SButtonBack},         {tiButtonCancel, SButtonCancel},
        {tiButtonInstall, SButtonInstall},   {tiButtonClose, SButtonClose},
        {tiSetupCaption, SBackgroundCaption}, {tiAgreeLabel, SAgreeLabel},
        {tiWelcomeText, SWelcomeText},       {tiAgreementText, SAgreementText},
        {tiReadyText, SReadyText},           {tiFinishedText, SFinishedText},
        {tiActionPress, SActionPress},       {tiActionCheck, SActionCheck},
        {tiActionUncheck, SActionUncheck},   {tiLayeredNotSupported, SLayeredNotSupported},
    };
    for (const auto& t : texts)
        EXPECT_EQ(std::wstring(Text(t.first)), t.second) << t.first;
}
