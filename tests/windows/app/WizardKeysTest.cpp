// The wizard's keyboard: each key acts through the page's buttons as the pointer does.
#include "WizardTestSupport.h"
#include "common/Texts_win32.h"

namespace {
enum Target { kForm, kMemo, kBackground };

struct KeyCase {
    const char* name;
    int page;            // page the case starts on (2 and 3 with or without agreement)
    bool agreed;
    std::vector<WORD> moves;  // focus keys pressed before the key (VK_LEFT, VK_RIGHT, VK_TAB)
    WORD key;
    bool alt, shift, repeat;
    Target target;
    int pageAfter;       // 0: the wizard is closed
    bool agreedAfter;
    int focusX;          // x of the focused button afterwards (-1: not checked)
};

HWND TargetWindow(Target t)
{
    switch (t) {
    case kMemo:
        return SetupWizardH->Agreement->Handle();
    case kBackground:
        return SetupWizard->Handle();
    default:
        return SetupWizardH->Handle();
    }
}

LRESULT SendKey(HWND window, WORD key, bool alt, bool shift, bool repeat)
{
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(state);
    LPARAM lParam = 1 | (alt ? 1 << 29 : 0) | (repeat ? 1 << 30 : 0);
    const LRESULT result = ::SendMessageW(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, lParam);
    state[VK_SHIFT] = 0;
    ::SetKeyboardState(state);
    return result;
}

int FocusX()
{
    TToolbarLayer* f = SetupWizardH->FocusedButton();
    return f ? static_cast<int>(f->Location().Left) : -1;
}

class WizardKeysTest : public WizardTest {
protected:
    void GoTo(int page, bool agreed)
    {
        SetupWizardH->Agreed = agreed;
        if (page != 1) {
            SetupWizardH->ClearPage();
            SetupWizardH->ShowPage(page);
        }
        Pump();
    }
};
}  // namespace

TEST_F(WizardKeysTest, KeysPressTheButtonsTheirRolesName)
{
    const KeyCase cases[] = {
        {"Return is Next on page 1", 1, false, {}, VK_RETURN, false, false, false, kForm, 2, false, 110},
        {"Escape is Cancel on page 1", 1, false, {}, VK_ESCAPE, false, false, false, kForm, 0, false, -1},
        {"Return without agreement stays", 2, false, {}, VK_RETURN, false, false, false, kForm, 2, false, 110},
        {"Return with agreement is Next", 2, true, {}, VK_RETURN, false, false, false, kForm, 3, true, 110},
        {"Space toggles the agreement", 2, false, {}, VK_SPACE, false, false, false, kForm, 2, true, 110},
        {"Alt+A toggles it back", 2, true, {}, 'A', true, false, false, kForm, 2, false, 110},
        {"Space in the licence box", 2, false, {}, VK_SPACE, false, false, false, kMemo, 2, true, 110},
        {"Space on page 1 does nothing", 1, false, {}, VK_SPACE, false, false, false, kForm, 1, false, 110},
        {"Escape is Cancel on page 2", 2, true, {}, VK_ESCAPE, false, false, false, kMemo, 0, true, -1},
        {"Return on the background", 1, false, {}, VK_RETURN, false, false, false, kBackground, 2, false, 110},
        {"Tab then Return is Cancel", 1, false, {VK_TAB}, VK_RETURN, false, false, false, kForm, 0, false, -1},
        {"Left wraps to Cancel", 1, false, {VK_LEFT}, VK_LEFT, false, false, false, kForm, 1, false, 110},
        {"Shift+Tab to Back", 2, true, {}, VK_TAB, false, true, false, kForm, 2, true, 30},
        {"Back by Left and Return", 3, true, {VK_LEFT}, VK_RETURN, false, false, false, kForm, 2, true, 110},
        {"Right thrice comes back to Install", 3, true, {VK_RIGHT, VK_RIGHT}, VK_RIGHT, false, false, false, kForm, 3, true, 110},
        {"A held Return does nothing", 1, false, {}, VK_RETURN, false, false, true, kForm, 1, false, 110},
        {"Alt+F4 closes both", 2, false, {}, VK_F4, true, false, false, kForm, 0, false, -1},
        {"Alt+F4 on the background", 1, false, {}, VK_F4, true, false, false, kBackground, 0, false, -1},
        {"Other keys are not taken", 1, false, {}, 'X', false, false, false, kForm, 1, false, 110},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (!SetupWizardH) {
            TearDown();
            SetUp();
        }
        GoTo(c.page, c.agreed);
        for (WORD move : c.moves)
            EXPECT_EQ(SendKey(SetupWizardH->Handle(), move, false, false, false), 0);
        if (!c.moves.empty()) {
            EXPECT_TRUE(SetupWizardH->FocusShown());
        }
        const HWND fg = SetupWizardH->Handle(), bg = SetupWizard->Handle();
        SendKey(TargetWindow(c.target), c.key, c.alt, c.shift, c.repeat);
        Pump();
        if (c.pageAfter == 0) {
            EXPECT_EQ(SetupWizardH, nullptr);
            EXPECT_EQ(SetupWizard, nullptr);
            EXPECT_FALSE(::IsWindow(fg));
            EXPECT_FALSE(::IsWindow(bg));
            continue;
        }
        ASSERT_NE(SetupWizardH, nullptr);
        EXPECT_EQ(SetupWizardH->Page(), c.pageAfter);
        EXPECT_EQ(SetupWizardH->Agreed, c.agreedAfter);
        if (c.pageAfter == 2) {
            const TColor32 radio =
                (c.agreedAfter ? SetupWizardH->RadioOn : SetupWizardH->RadioOff)->Pixel(6, 6);
            EXPECT_EQ(PagePixel(16, 211), radio | 0xFF000000);
        }
        EXPECT_EQ(FocusX(), c.focusX);
        // SetUp's page 1 for the next case.
        SetupWizardH->Agreed = false;
        SetupWizardH->ClearPage();
        SetupWizardH->ShowPage(1);
        ::SendMessageW(ImageWindow(), WM_MOUSELEAVE, 0, 0);
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(WizardKeysTest, TheFocusIsTheHoverFaceAndTheMouseStillWorks)
{
    std::vector<TToolbarLayer*> buttons = PressedFaces();
    EXPECT_FALSE(SetupWizardH->FocusShown());
    EXPECT_EQ(buttons[0]->LowerFace->Bitmap().MasterAlpha(), 0) << "no focus drawn before a key";
    SendKey(SetupWizardH->Handle(), VK_RIGHT, false, false, false);
    EXPECT_EQ(buttons[1]->LowerFace->Bitmap().MasterAlpha(), 255) << "Cancel shows its hover face";
    EXPECT_EQ(buttons[0]->LowerFace->LowerFace->Bitmap().MasterAlpha(), 255) << "Next is normal";
    EXPECT_EQ(buttons[1]->LowerFace->LowerFace->Bitmap().MasterAlpha(), 0);
    // The pointer's own restore ends the drawn focus; the keys keep their place.
    Move(100, 100);
    Move(101, 100);
    EXPECT_FALSE(SetupWizardH->FocusShown());
    EXPECT_EQ(buttons[1]->LowerFace->Bitmap().MasterAlpha(), 0);
    ClickButton(110);
    ASSERT_EQ(SetupWizardH->Page(), 2);
    // Drawn again, the focus follows to the next page's forward button.
    Click(12, 210);
    SendKey(SetupWizardH->Handle(), VK_LEFT, false, false, false);
    SendKey(SetupWizardH->Handle(), VK_RIGHT, false, false, false);
    SendKey(SetupWizardH->Handle(), VK_RETURN, false, false, false);
    ASSERT_EQ(SetupWizardH->Page(), 3);
    EXPECT_TRUE(SetupWizardH->FocusShown());
    EXPECT_EQ(PressedFaces()[1]->LowerFace->Bitmap().MasterAlpha(), 255) << "Install focused";
}

TEST_F(WizardKeysTest, KeysTypedDuringTheInstallAreDropped)
{
    GoTo(3, true);
    const std::wstring messenger = SetupWizardH->InstallFolder() + L"Marlowind.exe";
    // Typed while the install blocks the thread: queued, they would press Close on page 4.
    for (WORD key : {VK_RETURN, VK_ESCAPE})
        ::PostMessageW(SetupWizardH->Handle(), WM_KEYDOWN, key, 1);
    ::PostMessageW(SetupWizardH->Handle(), WM_SYSKEYDOWN, VK_F4, 1 | 1 << 29);
    SendKey(SetupWizardH->Handle(), VK_RETURN, false, false, false);
    Pump();
    ASSERT_NE(SetupWizardH, nullptr) << "a key typed during the install closed the wizard";
    EXPECT_EQ(SetupWizardH->Page(), 4);
    EXPECT_EQ(PressedFaces().size(), 1u);
    EXPECT_TRUE(errors_.empty()) << errors_[0];
    // Close by Escape now works; the messenger it would start is taken away first, so that
    // no later test starts it.
    ::DeleteFileW(messenger.c_str());
    SendKey(SetupWizardH->Handle(), VK_ESCAPE, false, false, false);
    EXPECT_EQ(SetupWizardH, nullptr);
}

// Right to left the buttons lie mirrored: an arrow moves the focus to the button on its side,
// Tab and Shift+Tab go on in reading order (leftwards, the way the page reads).
TEST_F(WizardKeysTest, RightToLeftAnArrowMovesTowardsItsSideAndTabFollowsTheReading)
{
    TearDown();
    ChooseTexts(0x0401);
    SetUp();
    const struct {
        WORD key;
        bool shift;
        bool leftwards;
    } cases[] = {{VK_RIGHT, false, false}, {VK_LEFT, false, true}, {VK_TAB, false, true},
                 {VK_TAB, true, false}};
    for (const auto& c : cases) {
        GoTo(2, false);
        const int next = FocusX();
        ASSERT_EQ(next, SetupWizardH->Layout().ButtonLeft(110));
        SendKey(SetupWizardH->Handle(), c.key, false, c.shift, false);
        Pump();
        EXPECT_EQ(FocusX() < next, c.leftwards) << c.key << (c.shift ? " with Shift" : "");
        EXPECT_NE(FocusX(), next) << c.key;
    }
    TearDown();
    ChooseTexts(0x0409);
    SetUp();
}
