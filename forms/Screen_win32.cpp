#include "forms/Screen_win32.h"

TScreen Screen;

void TScreen::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    ApplyCursor();
}

void TScreen::ApplyCursor() const
{
    const LPCWSTR id = cursor_ == crHourGlass ? reinterpret_cast<LPCWSTR>(IDC_WAIT)
                                              : reinterpret_cast<LPCWSTR>(IDC_ARROW);
    ::SetCursor(::LoadCursorW(nullptr, id));
}
