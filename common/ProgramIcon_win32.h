#pragma once
// The program's icon, carried by every program as the icon group "MAINICON", and the window
// that shows it on the taskbar for message boxes of a program that has no window of its own.
#include <windows.h>

// The icon group's image nearest to size x size pixels from `module`, or null when the module
// carries no such group. The handle is shared (LR_SHARED): the system frees it with the module.
HICON LoadProgramIcon(HMODULE module, int size);

// Sets the class icons of `wc` (large and small, at the system's sizes) from its hInstance.
void SetProgramIcons(WNDCLASSEXW& wc);

// A visible, unowned window of no size whose class icon is the program's icon: the owner of a
// program's message boxes, so that the taskbar button shows the icon and `title`. Never raises:
// when the window can't be made, Handle() is null and the boxes open unowned.
class TaskbarOwner {
public:
    explicit TaskbarOwner(const wchar_t* title);
    ~TaskbarOwner();
    TaskbarOwner(const TaskbarOwner&) = delete;
    TaskbarOwner& operator=(const TaskbarOwner&) = delete;
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};
