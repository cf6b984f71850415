#pragma once
// One installer at a time on the machine: the first copy holds a named mutex while it runs; a
// later copy finds it, brings the first copy's wizard to the front (when it is in the same
// session) and ends. A later copy that finds the first one ending instead (its mutex goes
// before any window of it is found) takes over.
#include <windows.h>

#include <string>

#include "common/UniqueHandle_win32.h"

class SingleInstance {
public:
    // Creates or opens the machine's mutex named `name` (without the "Global\" part).
    explicit SingleInstance(const wchar_t* name);
    // True when no other copy holds the mutex (also when it could not be created at all: a
    // copy that cannot tell is let run rather than refused).
    bool First() const { return first_; }
    // Asks again: true, and this copy is the first from now on, when the copy that held the
    // mutex has ended meanwhile.
    bool TakeOver();

private:
    std::wstring name_;
    UniqueHandle mutex_;
    bool first_ = true;
};

// The top-level window of class `className` of another process of this session, waiting up to
// `waitMs` milliseconds for it to appear; null when none does, or when the other copy ended
// meanwhile and `instance` took over from it.
HWND FindOtherCopysWindow(SingleInstance& instance, const wchar_t* className, DWORD waitMs);

// Activates `window` (its last active popup: an open message box comes first), restoring it
// when minimised. False when the system refused.
bool BringToFront(HWND window);
