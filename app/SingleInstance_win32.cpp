#include "app/SingleInstance_win32.h"

#include <string>

// In the global namespace: a copy a deployment tool starts as the system account (session 0)
// and a person's copy in their own session must see each other, or both would install at once.
// Creating a global object takes a right that administrators have; without it the copy runs.
SingleInstance::SingleInstance(const wchar_t* name) : name_(std::wstring(L"Global\\") + name)
{
    TakeOver();
}

bool SingleInstance::TakeOver()
{
    // The mutex lives while any copy holds a handle to it: without ours, it is there again only
    // when another copy still runs.
    mutex_.reset();
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name_.c_str()));
    first_ = !mutex_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
    return first_;
}

namespace {
struct Search {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindOther(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    if (owner == ::GetCurrentProcessId() || !::GetClassNameW(window, name, 64) ||
        std::wstring(name) != search->className)
        return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND FindOtherCopysWindow(SingleInstance& instance, const wchar_t* className, DWORD waitMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        Search search = {className, nullptr};
        ::EnumWindows(FindOther, reinterpret_cast<LPARAM>(&search));
        // The first copy may still be creating its windows, or be ending: a start just after
        // the wizard closed must show a wizard, not nothing.
        if (search.found || instance.TakeOver() || ::GetTickCount() - start >= waitMs)
            return search.found;
        ::Sleep(50);
    }
}

bool BringToFront(HWND window)
{
    if (!window)
        return false;
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    const HWND popup = ::GetLastActivePopup(window);
    return ::SetForegroundWindow(popup ? popup : window) != FALSE;
}
