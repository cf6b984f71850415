// The pair of windows: placement, styles, ownership, dragging and closing each other.
#include "WizardTestSupport.h"

namespace {
LONG ExStyle(HWND w) { return ::GetWindowLongW(w, GWL_EXSTYLE); }

std::vector<HWND> TaskbarWindows()
{
    std::vector<HWND> out;
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w) && !::GetWindow(w, GW_OWNER) &&
                !(ExStyle(w) & WS_EX_TOOLWINDOW))
                reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}
}  // namespace

TEST_F(WizardTest, ForegroundSitsInTheHoleOfTheLayeredBackground)
{
    TSetupWizard* bg = SetupWizard;
    TSetupWizardH* fg = SetupWizardH;
    RECT b = {}, f = {};
    ::GetWindowRect(bg->Handle(), &b);
    ::GetWindowRect(fg->Handle(), &f);
    EXPECT_EQ(b.right - b.left, 446);
    EXPECT_EQ(b.bottom - b.top, 365);
    EXPECT_EQ(f.left - b.left, 135);
    EXPECT_EQ(f.top - b.top, 30);
    EXPECT_EQ(f.right - f.left, 285);
    EXPECT_EQ(f.bottom - f.top, 260);
    EXPECT_EQ(fg->Image->Bitmap().Width(), 285);
    EXPECT_EQ(fg->Image->Bitmap().Height(), 260);
    EXPECT_TRUE(ExStyle(bg->Handle()) & WS_EX_LAYERED);
    EXPECT_TRUE(ExStyle(bg->Handle()) & WS_EX_TOPMOST);
    EXPECT_TRUE(ExStyle(fg->Handle()) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetWindow(bg->Handle(), GW_OWNER), fg->Handle());
    EXPECT_EQ(::GetWindow(fg->Handle(), GW_OWNER), Application.Handle());
    // The hole is transparent, premultiplied; the panel around it opaque.
    ASSERT_NE(bg->Bitmap, nullptr);
    EXPECT_EQ(bg->Bitmap->Pixel(135, 30), 0u);
    EXPECT_EQ(bg->Bitmap->Pixel(419, 289), 0u);
    EXPECT_EQ(bg->Bitmap->Pixel(200, 300) >> 24, 255u);
    EXPECT_EQ(bg->DragRect.Left, 132);
    EXPECT_EQ(bg->DragRect.Right, 401);
    EXPECT_EQ(bg->CloseRect.Left, 401);
    EXPECT_EQ(bg->CloseRect.Right, 414);
    EXPECT_EQ(bg->CloseRect.Top, 15);
    EXPECT_EQ(bg->CloseRect.Bottom, 28);
    wchar_t caption[64] = {};
    ::GetWindowTextW(bg->Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Marlowind setup");
}

TEST_F(WizardTest, OnlyTheApplicationWindowIsOnTheTaskbar)
{
    ::ShowWindow(Application.Handle(), SW_SHOWNOACTIVATE);
    const std::vector<HWND> shown = TaskbarWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], Application.Handle());
    wchar_t title[64] = {};
    ::GetWindowTextW(shown[0], title, 64);
    EXPECT_STREQ(title, L"Marlowind setup");
}

TEST_F(WizardTest, DraggingTheStripMovesBothWindowsTogether)
{
    TSetupWizard* bg = SetupWizard;
    const int left = bg->Left(), top = bg->Top();
    ::SetCursorPos(left + 200, top + 15);
    bg->MouseDown(0, 200, 15);
    ASSERT_TRUE(bg->Dragging());
    ::SetCursorPos(left + 260, top + 55);
    bg->MouseMove(260, 55);
    EXPECT_EQ(bg->Left(), left + 60);
    EXPECT_EQ(bg->Top(), top + 40);
    RECT f = {};
    ::GetWindowRect(SetupWizardH->Handle(), &f);
    EXPECT_EQ(f.left, left + 60 + 135);
    EXPECT_EQ(f.top, top + 40 + 30);
    bg->MouseUp(0, 260, 55);
    EXPECT_FALSE(bg->Dragging());
    EXPECT_NE(SetupWizardH, nullptr) << "a release outside the cross only ends the drag";

    // A press on the panel below the strip starts nothing.
    ::SetCursorPos(left + 60 + 60, top + 40 + 250);
    bg->MouseDown(0, 60, 250);
    EXPECT_FALSE(bg->Dragging());
    ::SetCursorPos(left + 200, top + 200);
    bg->MouseMove(20, 200);
    EXPECT_EQ(bg->Left(), left + 60);
    bg->MouseUp(0, 20, 200);
    // The strip ends where the cross begins.
    bg->MouseDown(0, 401, 20);
    EXPECT_FALSE(bg->Dragging());
    bg->MouseUp(0, 300, 100);
}

TEST_F(WizardTest, ReleaseOnTheCrossClosesBothFormsOnce)
{
    const HWND fg = SetupWizardH->Handle(), bg = SetupWizard->Handle();
    SetupWizard->MouseDown(0, 405, 20);
    SetupWizard->MouseUp(0, 405, 20);
    EXPECT_EQ(SetupWizard, nullptr);
    EXPECT_EQ(SetupWizardH, nullptr);
    Pump();
    EXPECT_FALSE(::IsWindow(fg));
    EXPECT_FALSE(::IsWindow(bg));
    EXPECT_EQ(Application.MainForm(), nullptr);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(WizardTest, ClosingTheForegroundClosesTheBackground)
{
    const HWND bg = SetupWizard->Handle();
    SetupWizardH->Close();
    EXPECT_EQ(SetupWizard, nullptr);
    EXPECT_EQ(SetupWizardH, nullptr);
    Pump();
    EXPECT_FALSE(::IsWindow(bg));
}

TEST_F(WizardTest, CancelFinishesTheWizard)
{
    const HWND fg = SetupWizardH->Handle();
    ClickButton(200);
    EXPECT_EQ(SetupWizardH, nullptr);
    Pump();
    EXPECT_FALSE(::IsWindow(fg));
    EXPECT_TRUE(errors_.empty());
}
