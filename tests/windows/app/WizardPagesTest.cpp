// The page controller driven through the real windows: pages, buttons, agreement, pointer.
#include "WizardTestSupport.h"
#include "../TestSupport.h"

#include <algorithm>
#include <functional>

#include "app/UnitStrings.h"
#include "common/CodePage_win32.h"
#include "common/Resources_win32.h"
#include "install/KnownFolders_win32.h"
#include "skin/ButtonFace.h"

namespace {
constexpr int kBack = 30, kNext = 110, kCancel = 200;

int VisibleFace(TToolbarLayer* pressed)
{
    // 0 none, 1 normal, 2 hover, 3 pressed
    if (pressed->Bitmap().MasterAlpha() == 255)
        return 3;
    if (pressed->LowerFace->Bitmap().MasterAlpha() == 255)
        return 2;
    if (pressed->LowerFace->LowerFace->Bitmap().MasterAlpha() == 255)
        return 1;
    return 0;
}

std::vector<int> ButtonPlaces(const std::vector<TToolbarLayer*>& faces)
{
    std::vector<int> xs;
    for (TToolbarLayer* f : faces)
        xs.push_back(static_cast<int>(f->Location().Left));
    return xs;
}
}  // namespace

TEST_F(WizardTest, PageOneHasNextAndCancelAsThreeFaceButtons)
{
    EXPECT_EQ(SetupWizardH->Page(), 1);
    const auto pressed = PressedFaces();
    ASSERT_EQ(pressed.size(), 2u);
    EXPECT_EQ(SetupWizardH->Image->Layers().Count(), 6);
    EXPECT_EQ(ButtonPlaces(pressed), (std::vector<int>{kNext, kCancel}));
    EXPECT_EQ(pressed[0]->ButtonRole, 2);
    EXPECT_EQ(pressed[1]->ButtonRole, 10);
    for (TToolbarLayer* p : pressed) {
        const TFloatRect r = p->Location();
        EXPECT_EQ(r.Top, 230);
        EXPECT_EQ(r.Right - r.Left, 78);
        EXPECT_EQ(r.Bottom - r.Top, 25);
        ASSERT_NE(p->LowerFace, nullptr);
        ASSERT_NE(p->LowerFace->LowerFace, nullptr);
        EXPECT_TRUE(p->LowerFace->IsHoverFace);
        EXPECT_EQ(p->KindMark, -40);
        EXPECT_EQ(p->LowerFace->LowerFace->KindMark, -40);
        EXPECT_EQ(VisibleFace(p), 1);
    }
    EXPECT_TRUE(SetupWizardH->RadioHitRect.IsEmpty());
    EXPECT_FALSE(SetupWizardH->Agreement->Visible());
    // The title sits centred at the top: dark pixels on both sides of the centre line.
    bool left = false, right = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 285; ++x)
            if ((PagePixel(x, y) & 0xFF) < 0xC0)
                (x < 142 ? left : right) = true;
    EXPECT_TRUE(left && right);
}

TEST_F(WizardTest, AgreementGatesNextAndSurvivesBackAndForth)
{
    ClickButton(kNext);
    ASSERT_EQ(SetupWizardH->Page(), 2);
    EXPECT_EQ(ButtonPlaces(PressedFaces()), (std::vector<int>{kBack, kNext, kCancel}));
    EXPECT_TRUE(SetupWizardH->Agreement->Visible());
    EXPECT_TRUE(SetupWizardH->Panel->Visible());
    EXPECT_EQ(SetupWizardH->RadioHitRect.Left, 10);
    EXPECT_EQ(SetupWizardH->RadioHitRect.Bottom, 220);
    const TColor32 off = SetupWizardH->RadioOff->Pixel(6, 6) | 0xFF000000;
    const TColor32 on = SetupWizardH->RadioOn->Pixel(6, 6) | 0xFF000000;
    ASSERT_NE(on, off);
    EXPECT_EQ(PagePixel(16, 211), off);

    // Next without agreement: nothing but the pressed face hidden again (no face until the
    // next move).
    ClickButton(kNext);
    EXPECT_EQ(SetupWizardH->Page(), 2);
    EXPECT_EQ(VisibleFace(PressedFaces()[1]), 0);

    Click(12, 210);
    EXPECT_TRUE(SetupWizardH->Agreed);
    EXPECT_EQ(PagePixel(16, 211), on);
    Click(24, 219, true);  // right button, last pixel inside the radio
    EXPECT_FALSE(SetupWizardH->Agreed);
    EXPECT_EQ(PagePixel(16, 211), off);
    Click(25, 210);  // just outside
    EXPECT_FALSE(SetupWizardH->Agreed);
    Click(12, 210);
    ASSERT_TRUE(SetupWizardH->Agreed);

    ClickButton(kBack);
    ASSERT_EQ(SetupWizardH->Page(), 1);
    EXPECT_FALSE(SetupWizardH->Agreement->Visible());
    EXPECT_TRUE(SetupWizardH->RadioHitRect.IsEmpty());
    Click(12, 210);
    EXPECT_TRUE(SetupWizardH->Agreed) << "the radio is not there on page 1";
    ClickButton(kNext);
    ASSERT_EQ(SetupWizardH->Page(), 2);
    EXPECT_EQ(PagePixel(16, 211), on);
    ClickButton(kNext, true);
    EXPECT_EQ(SetupWizardH->Page(), 3);
    EXPECT_FALSE(SetupWizardH->Agreement->Visible());
    ClickButton(kBack);
    EXPECT_EQ(SetupWizardH->Page(), 2);
    EXPECT_EQ(PagePixel(16, 211), on);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(WizardTest, LicenceBoxHoldsTheWholeResourceInsideASilverFrame)
{
    ClickButton(kNext);
    ASSERT_EQ(SetupWizardH->Page(), 2);
    TMemo* memo = SetupWizardH->Agreement.get();
    EXPECT_EQ(memo->Left(), 10);
    EXPECT_EQ(memo->Top(), 70);
    EXPECT_EQ(memo->Width(), 270);
    EXPECT_EQ(memo->Height(), 123);
    TPanel* panel = SetupWizardH->Panel.get();
    EXPECT_EQ(panel->Left(), 9);
    EXPECT_EQ(panel->Top(), 69);
    EXPECT_EQ(panel->Width(), 272);
    EXPECT_EQ(panel->Height(), 125);
    EXPECT_EQ(panel->Color(), RGB(192, 192, 192));
    // The memo lies above the panel.
    EXPECT_EQ(::GetWindow(panel->Handle(), GW_HWNDPREV), memo->Handle());

    ResourceStream licence("LICENSE", "TXT");
    ASSERT_GE(licence.Size(), 4u);
    const std::wstring stored(reinterpret_cast<const wchar_t*>(licence.Data()), licence.Size() / 2);
    const std::wstring shown = memo->Text();
    // The whole text; the file's byte-order mark marks the file and is no part of it.
    ASSERT_EQ(stored[0], 0xFEFF);
    ASSERT_EQ(shown.size() + 1, stored.size());
    EXPECT_TRUE(shown == stored.substr(1));
}

TEST_F(WizardTest, BareClickOnPagesWithoutRadioChangesNothing)
{
    for (int page : {1, 3}) {
        if (page == 3) {
            SetupWizardH->Agreed = true;
            SetupWizardH->ClearPage();
            SetupWizardH->ShowPage(3);
        }
        const std::vector<TColor32> before(SetupWizardH->Image->Bitmap().Bits(),
                                           SetupWizardH->Image->Bitmap().Bits() + 285 * 260);
        const bool agreed = SetupWizardH->Agreed;
        Click(12, 210);
        Click(12, 210, true);
        const std::vector<TColor32> after(SetupWizardH->Image->Bitmap().Bits(),
                                          SetupWizardH->Image->Bitmap().Bits() + 285 * 260);
        EXPECT_TRUE(before == after) << "page " << page;
        EXPECT_EQ(SetupWizardH->Agreed, agreed);
        EXPECT_EQ(SetupWizardH->Page(), page);
    }
}

TEST_F(WizardTest, ReleaseAwayFromThePressedButtonStillTriggersIt)
{
    Move(149, 242);
    Press(149, 242);
    EXPECT_EQ(VisibleFace(PressedFaces()[0]), 3);
    Move(5, 5);
    EXPECT_EQ(SetupWizardH->Page(), 1);
    Release(5, 5);
    Pump();
    EXPECT_EQ(SetupWizardH->Page(), 2);
    // The old page's layers are gone, the new page's are whole.
    EXPECT_EQ(SetupWizardH->Image->Layers().Count(), 9);
    EXPECT_EQ(SetupWizardH->Image->MouseHolder(), nullptr);
}

TEST_F(WizardTest, HoverFaceGoesWhenThePointerIsOnTheBareImageOrLeaves)
{
    TToolbarLayer* next = PressedFaces()[0];
    TToolbarLayer* cancel = PressedFaces()[1];
    Move(149, 242);
    EXPECT_EQ(VisibleFace(next), 2);
    EXPECT_EQ(VisibleFace(cancel), 1);
    Move(239, 242);
    EXPECT_EQ(VisibleFace(cancel), 2);
    Move(100, 100);
    Move(101, 100);
    EXPECT_TRUE(SetupWizardH->PointerOnBareImage());
    EXPECT_EQ(VisibleFace(next), 1);
    EXPECT_EQ(VisibleFace(cancel), 1);
    Move(149, 242);
    ::SendMessageW(ImageWindow(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(VisibleFace(next), 1);
}

TEST_F(WizardTest, AFaceShowsItsOwnPictureWhicheverWayItFirstShows)
{
    // A page paints its hover and pressed faces only when one is first needed.
    struct Case {
        const char* how;
        int button, face;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"the pointer over Next", 0, kFaceHover, [this] { Move(kNext + 39, 242); }},
        {"the keyboard's focus on Cancel", 1, kFaceHover,
         [] {
             TKeyPress right{};
             right.Key = VK_RIGHT;
             SetupWizardH->KeyDown(right);
         }},
        {"a press on Next", 0, kFacePressed, [this] { Press(kNext + 39, 242); }},
    };
    for (const Case& c : cases) {
        SetupWizardH->ClearPage();
        SetupWizardH->ShowPage(1);
        c.act();
        TToolbarLayer* pressed = PressedFaces()[c.button];
        const TBitmap32& shown = (c.face == kFacePressed ? pressed : pressed->LowerFace)->Bitmap();
        EXPECT_EQ(shown.MasterAlpha(), 255) << c.how;
        const int left = c.button ? kCancel : kNext;
        TBitmap32 want;
        want.Resize(78, 25);
        RenderButtonFace(want, nullptr, TRect{left, 230, left + 78, 255}, 0, 0, c.face, 3,
                         c.button ? SButtonCancel : SButtonNext, true, 96);
        ASSERT_EQ(shown.Width() * shown.Height(), 78 * 25) << c.how;
        EXPECT_TRUE(std::equal(want.Bits(), want.Bits() + 78 * 25, shown.Bits())) << c.how;
    }
    Release(kNext + 39, 242);
    EXPECT_EQ(SetupWizardH->Page(), 2);
}

TEST_F(WizardTest, InstallErrorIsReportedAndLeavesTheWizardOpen)
{
    // A file where the install folder belongs: the first payload can't be written.
    const std::string folder = ToSystemCodePage(SetupWizardH->InstallFolder());
    const std::string base = folder.substr(0, folder.size() - 1);
    const std::string aside = base + ".aside";
    const bool moved = ::MoveFileA(base.c_str(), aside.c_str()) != FALSE;
    const HANDLE blocker = ::CreateFileA(base.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
    ::CloseHandle(blocker);

    SetupWizardH->Agreed = true;
    SetupWizardH->ClearPage();
    SetupWizardH->ShowPage(3);
    ClickButton(110);
    ::DeleteFileA(base.c_str());
    if (moved)
        ::MoveFileA(aside.c_str(), base.c_str());

    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].rfind("Cannot create file \"" + folder + "Marlowind.zip\". ", 0), 0u)
        << errors_[0];
    ASSERT_NE(SetupWizardH, nullptr) << "the wizard stays open";
    EXPECT_EQ(SetupWizardH->Image->Layers().Count(), 0) << "no Close button after a failure";
    EXPECT_EQ(Screen.Cursor(), crDefault);
    EXPECT_NE(SetupWizard, nullptr);
}

// Without a program-files folder page 3 still offers its buttons (there is no installed copy to
// close), and Install reports the missing folder before anything is written.
TEST_F(WizardTest, UnknownProgramFilesFolderIsReportedByTheInstall)
{
    std::wstring lookedUp, folder;
    size_t buttons = 0;
    {
        ProgramFilesDirOverride lost(L"");
        ASSERT_TRUE(lost.ok());
        lookedUp = GetSpecialFolder(CSIDL_PROGRAM_FILES);
        folder = SetupWizardH->InstallFolder();
        SetupWizardH->Agreed = true;
        SetupWizardH->ClearPage();
        SetupWizardH->ShowPage(3);
        buttons = PressedFaces().size();
        ClickButton(kNext);
    }

    ASSERT_EQ(lookedUp, L"") << "the lookup did not lose the folder";
    EXPECT_EQ(folder, L"");
    EXPECT_EQ(buttons, 3u);
    EXPECT_EQ(errors_, std::vector<std::string>{"Cannot find the program files folder (CSIDL 38)"});
    EXPECT_EQ(::GetFileAttributesW(L"\\Marlowind"), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(SetupWizardH, nullptr) << "the wizard stays open";
}

TEST_F(WizardTest, ButtonWithLeftMinusOneIsCentredOnTheImage)
{
    // Half the image's width rounded down, less 44; an odd width shows the whole division.
    const struct {
        int width, left;
    } cases[] = {{285, 98}, {200, 56}, {91, 1}};
    for (const auto& c : cases) {
        SetupWizardH->Image->SetBounds(0, 0, c.width, 260);
        SetupWizardH->ClearPage();
        SetupWizardH->AddButton(L"Ok", -1, 230, brFinish);
        const auto pressed = PressedFaces();
        ASSERT_EQ(pressed.size(), 1u);
        EXPECT_EQ(ButtonPlaces(pressed), std::vector<int>{c.left}) << c.width;
        EXPECT_EQ(pressed[0]->LowerFace->LowerFace->Location().Left, c.left) << c.width;
    }
}
