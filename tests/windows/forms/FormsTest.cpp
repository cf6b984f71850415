// The form framework under Wine: error display, the dispatch boundary, close actions,
// ownership, the image host's capture and painting, memo, panel and the screen cursor.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/UniqueHandle_win32.h"
#include "forms/Application_win32.h"
#include "forms/ErrorText.h"
#include "forms/Form_win32.h"
#include "forms/ImageControl_win32.h"
#include "forms/Memo_win32.h"
#include "forms/Panel_win32.h"
#include "forms/Screen_win32.h"

namespace {
void Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT)
                ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
}

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application.Initialize();
        Application.SetTitle(L"Forms test");
        Application.OnException = [this](const std::exception& e) { errors.push_back(e.what()); };
    }
    void TearDown() override
    {
        Application.DestroyForms();
        Pump();
        Application.OnException = nullptr;
    }
    std::vector<std::string> errors;
};

class ThrowingForm : public TForm {
public:
    using TForm::TForm;
    int handled = 0;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 1) {
            ++handled;
            if (wParam)
                throw std::runtime_error("Handler failed");
            return 42;
        }
        return TForm::WndProc(message, wParam, lParam);
    }
};

class ClosingForm : public TForm {
public:
    ClosingForm(TForm* owner, TCloseAction action, bool* destroyed)
        : TForm(owner), action_(action), destroyed_(destroyed) {}
    ~ClosingForm() override
    {
        if (destroyed_)
            *destroyed_ = true;
    }
    int closes = 0;

protected:
    void FormClose(TCloseAction& action) override
    {
        ++closes;
        action = action_;
    }

private:
    TCloseAction action_;
    bool* destroyed_;
};
}  // namespace

TEST(ErrorDisplayText, AppendsAFullStopOnlyWhenMissing)
{
    EXPECT_EQ(ErrorDisplayText("Resource WALL1 not found"), "Resource WALL1 not found.");
    EXPECT_EQ(ErrorDisplayText("Cannot create file \"x\". Access denied."),
              "Cannot create file \"x\". Access denied.");
    EXPECT_EQ(ErrorDisplayText(""), ".");
    EXPECT_EQ(ErrorDisplayText("data error\n"), "data error\n.");
}

TEST_F(FormsTest, AnExceptionInAHandlerGoesToTheErrorDisplayAndTheWindowRunsOn)
{
    ThrowingForm* form = new ThrowingForm(nullptr);
    form->Create();
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_USER + 1, 1, 0), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Handler failed");
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(form->handled, 2);
}

TEST_F(FormsTest, ErrorDisplayIsAnErrorBoxCaptionedWithTheTitle)
{
    Application.OnException = nullptr;
    std::atomic<bool> stop{false};
    std::wstring caption, text;
    HICON icon = nullptr;
    std::thread watcher([&] {
        for (int i = 0; i < 500 && !stop; ++i) {
            HWND box = ::FindWindowW(L"#32770", L"Forms test");
            if (box) {
                wchar_t buffer[512] = {};
                ::GetWindowTextW(box, buffer, 512);
                caption = buffer;
                for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                    wchar_t cls[32] = {};
                    ::GetClassNameW(c, cls, 32);
                    const LONG style = ::GetWindowLongW(c, GWL_STYLE);
                    if (std::wstring(cls) == L"Static" && (style & SS_TYPEMASK) == SS_ICON)
                        icon = reinterpret_cast<HICON>(::SendMessageW(c, STM_GETICON, 0, 0));
                    else if (std::wstring(cls) == L"Static" && ::GetWindowTextW(c, buffer, 512) > 0)
                        text = buffer;
                }
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });
    Application.HandleException(std::runtime_error("Stream write error"));
    stop = true;
    watcher.join();
    EXPECT_EQ(caption, L"Forms test");
    EXPECT_EQ(text, L"Stream write error.");
    EXPECT_EQ(icon, ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND)));
}

TEST_F(FormsTest, CloseActions)
{
    bool destroyed = false;
    ClosingForm* keep = new ClosingForm(nullptr, caNone, nullptr);
    keep->Create();
    keep->Show();
    keep->Close();
    EXPECT_TRUE(::IsWindowVisible(keep->Handle()));

    ClosingForm* hide = new ClosingForm(nullptr, caHide, nullptr);
    hide->Create();
    hide->Show();
    hide->Close();
    EXPECT_FALSE(::IsWindowVisible(hide->Handle()));

    ClosingForm* freed = new ClosingForm(nullptr, caFree, &destroyed);
    freed->Create();
    freed->Show();
    const HWND window = freed->Handle();
    freed->Close();
    // Freed once the message in hand is done, not inside Close: callers may still be on it.
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(freed->closes, 1);
    freed->Close();
    EXPECT_EQ(freed->closes, 1) << "a form being freed is not closed again";
    Pump();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(FormsTest, FormsAreOwnedByTheirOwnerOrTheApplicationWindow)
{
    ClosingForm* top = new ClosingForm(nullptr, caFree, nullptr);
    top->StayOnTop = true;
    top->Create();
    const auto child = std::make_unique<ClosingForm>(top, caFree, nullptr);
    child->Create();
    EXPECT_EQ(::GetWindow(top->Handle(), GW_OWNER), Application.Handle());
    EXPECT_EQ(::GetWindow(child->Handle(), GW_OWNER), top->Handle());
    EXPECT_TRUE(::GetWindowLongW(top->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetWindowLongW(top->Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
}

TEST_F(FormsTest, AnOwnedFormClosedToBeFreedWaitsForItsOwner)
{
    ClosingForm* top = new ClosingForm(nullptr, caFree, nullptr);
    top->Create();
    bool destroyed = false;
    auto owned = std::make_unique<ClosingForm>(top, caFree, &destroyed);
    owned->Create();
    owned->Show();
    owned->Close();
    owned->Close();
    Pump();
    EXPECT_EQ(owned->closes, 1);
    EXPECT_TRUE(owned->Releasing());
    EXPECT_FALSE(::IsWindowVisible(owned->Handle()));
    EXPECT_FALSE(destroyed) << "only its owner frees it";
    Application.DestroyForms();
    EXPECT_FALSE(destroyed) << "nor does the application";
    owned.reset();
    EXPECT_TRUE(destroyed);
}

TEST_F(FormsTest, ImageHostCapturesUntilTheLastButtonIsUpAndReportsLeaving)
{
    ClosingForm* form = new ClosingForm(nullptr, caFree, nullptr);
    form->SetBounds(0, 0, 100, 80);
    form->Create();
    TImage32Control image;
    image.SetParent(form);
    image.SetBounds(0, 0, 100, 80);
    image.Show();
    TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
    layer->SetLocation(TFloatRect{10, 10, 30, 30});
    std::vector<std::string> events;
    layer->OnMouseDown = [&](TBitmapLayer*, TMouseButton b, TShiftState, int, int) {
        events.push_back(b == mbRight ? "down right" : "down left");
    };
    layer->OnMouseUp = [&](TBitmapLayer*, TMouseButton, TShiftState, int x, int y) {
        events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    };
    int leaves = 0;
    image.OnMouseLeave = [&] { ++leaves; };

    const HWND w = image.Handle();
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    EXPECT_EQ(::GetCapture(), w);
    ::SendMessageW(w, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(15, 15));
    ::SendMessageW(w, WM_LBUTTONUP, MK_RBUTTON, MAKELPARAM(60, 60));
    EXPECT_EQ(::GetCapture(), w) << "the right button is still down";
    ::SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(70, 5));
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"down left", "down right", "up 60,60", "up 70,5"}));
    ::SendMessageW(w, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(leaves, 1);
}

TEST_F(FormsTest, ImageHostPaintsBitmapAndLayersThroughItsBuffer)
{
    ClosingForm* form = new ClosingForm(nullptr, caFree, nullptr);
    form->SetBounds(0, 0, 64, 48);
    form->Create();
    TImage32Control image;
    image.SetParent(form);
    image.SetBounds(0, 0, 64, 48);
    image.Show();
    image.Bitmap().Resize(64, 48);
    image.Bitmap().FillAll(0xFFFF0000);
    TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
    layer->Bitmap().Resize(10, 10);
    layer->Bitmap().FillAll(0xFF0000FF);
    layer->Bitmap().SetDrawMode(dmBlend);
    layer->Bitmap().SetMasterAlpha(128);
    layer->SetLocation(TFloatRect{20, 20, 30, 30});

    WindowDc screen(nullptr);
    UniqueHdc dc(::CreateCompatibleDC(screen.get()));
    UniqueHbitmap bmp(::CreateCompatibleBitmap(screen.get(), 64, 48));
    SelectScope select(dc.get(), bmp.get());
    ::SendMessageW(image.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    const COLORREF plain = ::GetPixel(dc.get(), 5, 5);
    const COLORREF blended = ::GetPixel(dc.get(), 25, 25);
    EXPECT_EQ(plain, RGB(255, 0, 0));
    EXPECT_NEAR(GetRValue(blended), 127, 2);
    EXPECT_NEAR(GetBValue(blended), 128, 2);
    EXPECT_EQ(GetGValue(blended), 0);
}

// What the window shows of its model: the bitmap copied as it is when it is opaque, fills the
// window and no layer shows; composed over the background colour otherwise.
TEST_F(FormsTest, ImageHostShowsItsModelWhicheverWayItPaints)
{
    struct Case {
        const char* Name;
        int Width, Height;
        TDrawMode Mode;
        bool LayerShown;
        COLORREF Corner, UnderLayer, Outside;
    };
    const COLORREF red = RGB(255, 0, 0), grey = RGB(0xF0, 0xF0, 0xF0);
    const Case cases[] = {
        {"opaque, filling, layer hidden", 64, 48, dmOpaque, false, red, red, red},
        {"opaque, filling, layer shown", 64, 48, dmOpaque, true, red, RGB(127, 0, 128), red},
        {"smaller than the window", 40, 30, dmOpaque, false, red, red, grey},
        {"half transparent", 64, 48, dmBlend, false, RGB(0xF7, 0x78, 0x78),
         RGB(0xF7, 0x78, 0x78), RGB(0xF7, 0x78, 0x78)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ClosingForm* form = new ClosingForm(nullptr, caFree, nullptr);
        form->SetBounds(0, 0, 64, 48);
        form->Create();
        TImage32Control image;
        image.SetParent(form);
        image.SetBounds(0, 0, 64, 48);
        image.Show();
        image.Bitmap().Resize(c.Width, c.Height);
        image.Bitmap().FillAll(c.Mode == dmBlend ? 0x80FF0000 : 0xFFFF0000);
        image.Bitmap().SetDrawMode(c.Mode);
        TBitmapLayer* layer = image.Layers().Add<TBitmapLayer>();
        layer->Bitmap().Resize(10, 10);
        layer->Bitmap().FillAll(0xFF0000FF);
        layer->Bitmap().SetDrawMode(dmBlend);
        layer->Bitmap().SetMasterAlpha(128);
        layer->SetLocation(TFloatRect{20, 20, 30, 30});
        layer->Visible = c.LayerShown;

        WindowDc screen(nullptr);
        UniqueHdc dc(::CreateCompatibleDC(screen.get()));
        UniqueHbitmap bmp(::CreateCompatibleBitmap(screen.get(), 64, 48));
        SelectScope select(dc.get(), bmp.get());
        ::SendMessageW(image.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()),
                       PRF_CLIENT);
        const COLORREF seen[] = {::GetPixel(dc.get(), 5, 5), ::GetPixel(dc.get(), 25, 25),
                                 ::GetPixel(dc.get(), 60, 44)};
        const COLORREF wanted[] = {c.Corner, c.UnderLayer, c.Outside};
        for (int i = 0; i < 3; ++i)
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int(seen[i] >> shift & 0xFF), int(wanted[i] >> shift & 0xFF), 2)
                    << "point " << i;
    }
}

TEST_F(FormsTest, MemoIsAReadOnlyBorderlessUnicodeBoxWithoutMargins)
{
    ClosingForm* form = new ClosingForm(nullptr, caFree, nullptr);
    form->Create();
    TMemo memo;
    memo.SetParent(form);
    memo.SetBounds(0, 0, 120, 60);
    memo.SetFont("Calibri", 10, RGB(0x55, 0x55, 0x55));
    const std::wstring text = L"\xFEFF" L"Licence \x00E9\x4E2D\r\nline two";
    memo.SetText(text);
    EXPECT_EQ(memo.Text(), text);
    const LONG style = ::GetWindowLongW(memo.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_FALSE(::GetWindowLongW(memo.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(::IsWindowUnicode(memo.Handle()));
    EXPECT_EQ(::SendMessageW(memo.Handle(), EM_GETMARGINS, 0, 0), 0);

    WindowDc dc(memo.Handle());
    const LRESULT brush = ::SendMessageW(form->Handle(), WM_CTLCOLORSTATIC,
                                         reinterpret_cast<WPARAM>(dc.get()),
                                         reinterpret_cast<LPARAM>(memo.Handle()));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(::GetTextColor(dc.get()), RGB(0x55, 0x55, 0x55));
}

TEST_F(FormsTest, PanelPaintsItsColour)
{
    ClosingForm* form = new ClosingForm(nullptr, caFree, nullptr);
    form->Create();
    TPanel panel;
    panel.SetParent(form);
    panel.SetBounds(0, 0, 20, 20);
    panel.SetColor(clSilver);
    WindowDc screen(nullptr);
    UniqueHdc dc(::CreateCompatibleDC(screen.get()));
    UniqueHbitmap bmp(::CreateCompatibleBitmap(screen.get(), 20, 20));
    SelectScope select(dc.get(), bmp.get());
    ::SendMessageW(panel.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    EXPECT_EQ(::GetPixel(dc.get(), 10, 10), RGB(192, 192, 192));
}

TEST_F(FormsTest, ScreenCursorShowsTheHourglassAtOnce)
{
    Screen.SetCursor(crHourGlass);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    Screen.SetCursor(crDefault);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}
