#pragma once
// Painting through an off-screen bitmap, so that a window never shows a half-drawn state.
#include <windows.h>

#include "common/UniqueHandle_win32.h"

// Calls `paint(HDC)` to draw the rectangle `area` (client coordinates of `dc`) onto a memory DC
// whose bitmap holds just that rectangle, addressed in the same client coordinates (its viewport
// origin is moved by the rectangle's corner), then copies it onto `dc` in one BitBlt. Returns
// false without calling `paint` when the area is empty or the buffer can't be made; the caller
// then draws straight onto `dc` if it wants anything drawn.
template <typename Paint>
bool PaintBuffered(HDC dc, const RECT& area, Paint&& paint)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    UniqueHdc memory(::CreateCompatibleDC(dc));
    UniqueHbitmap buffer(::CreateCompatibleBitmap(dc, width, height));
    if (!memory || !buffer)
        return false;
    SelectScope select(memory.get(), buffer.get());
    ::SetViewportOrgEx(memory.get(), -area.left, -area.top, nullptr);
    paint(memory.get());
    ::SetViewportOrgEx(memory.get(), 0, 0, nullptr);
    ::BitBlt(dc, area.left, area.top, width, height, memory.get(), 0, 0, SRCCOPY);
    return true;
}
