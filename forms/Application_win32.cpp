#include "forms/Application_win32.h"

#include <algorithm>

#include "common/ProgramIcon_win32.h"
#include "common/MessageText.h"
#include "common/SystemError_win32.h"
#include "common/Texts_win32.h"
#include "forms/Form_win32.h"

TApplication Application;

namespace {
LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The taskbar button's close command closes the main form, as the form's own close would.
    if (message == WM_CLOSE) {
        if (TForm* main = Application.MainForm())
            main->Close();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}
}  // namespace


TApplication::~TApplication()
{
    // Forms left at exit are the program's; the process is ending, windows go with it.
    if (handle_)
        ::DestroyWindow(handle_);
}

void TApplication::Initialize()
{
    if (handle_)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &HiddenWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MwApplication";
    // The taskbar button shows this window's class icon.
    SetProgramIcons(wc);
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError();
    // A visible unowned window of no size: it carries the taskbar button without ever showing
    // on the screen, so the forms (owned by it) need no buttons of their own.
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2, y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = ::CreateWindowExW(0, wc.lpszClassName, title_.c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                    WS_MINIMIZEBOX,
                                x, y, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    if (!handle_)
        RaiseLastOSError();
}

void TApplication::SetTitle(const std::wstring& title)
{
    title_ = title;
    if (handle_)
        ::SetWindowTextW(handle_, title_.c_str());
}

void TApplication::Run()
{
    if (handle_ && !::IsWindowVisible(handle_))
        ::ShowWindow(handle_, SW_SHOWNOACTIVATE);
    if (!terminated_) {
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    DestroyForms();
}

void TApplication::Terminate()
{
    if (terminated_)
        return;
    terminated_ = true;
    ::PostQuitMessage(0);
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the loop that owns it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TApplication::HandleException(const std::exception& error)
{
    if (OnException)
        OnException(error);
    else
        ShowException(error);
}

void TApplication::ShowException(const std::exception& error)
{
    // In the user's language; the error's message stays English for logs.
    const std::wstring text = WithFullStop(ErrorMessage(error));
    HWND owner = ::GetActiveWindow();
    if (!owner && mainForm_ && mainForm_->HandleAllocated())
        owner = mainForm_->Handle();
    ::MessageBoxW(owner, text.c_str(), title_.c_str(),
                  MB_OK | MB_ICONERROR | (TextsRightToLeft() ? MB_RTLREADING | MB_RIGHT : 0));
}

void TApplication::Adopt(TForm* form)
{
    forms_.push_back(form);
}

void TApplication::FormDestroyed(TForm* form)
{
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (form == mainForm_)
        mainForm_ = nullptr;
}

void TApplication::DestroyForms()
{
    while (!forms_.empty())
        delete forms_.back();
}
