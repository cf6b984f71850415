#include "common/ProgramIcon_win32.h"

HICON LoadProgramIcon(HMODULE module, int size)
{
    return static_cast<HICON>(
        ::LoadImageW(module, L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

void SetProgramIcons(WNDCLASSEXW& wc)
{
    wc.hIcon = LoadProgramIcon(wc.hInstance, ::GetSystemMetrics(SM_CXICON));
    wc.hIconSm = LoadProgramIcon(wc.hInstance, ::GetSystemMetrics(SM_CXSMICON));
}

TaskbarOwner::TaskbarOwner(const wchar_t* title)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MwTaskbarOwner";
    SetProgramIcons(wc);
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return;
    // Placed at the screen's centre, so that the boxes it owns open where they would unowned.
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2, y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    window_ = ::CreateWindowExW(0, wc.lpszClassName, title,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x, y, 0, 0,
                                nullptr, nullptr, wc.hInstance, nullptr);
}

TaskbarOwner::~TaskbarOwner()
{
    if (window_)
        ::DestroyWindow(window_);
}
