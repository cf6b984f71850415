#pragma once
// The screen cursor: one cursor for the whole program, shown over every window of ours while it
// is not crDefault (the hourglass during a long, blocking operation).
#include <windows.h>

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crHourGlass = -11;

class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    // Takes effect at once, also when no message is handled until the operation is over.
    void SetCursor(TCursor cursor);
    // Shows the cursor for the current setting (windows call it from WM_SETCURSOR).
    void ApplyCursor() const;

private:
    TCursor cursor_ = crDefault;
};

extern TScreen Screen;
