#include "forms/ImageControl_win32.h"

#include <windowsx.h>

#include <algorithm>

#include "forms/MouseMessage_win32.h"
#include "skin/BitmapDc_win32.h"

TShiftState ShiftStateOf(WPARAM keys)
{
    TShiftState s = 0;
    if (keys & MK_SHIFT)
        s |= ssShift;
    if (keys & MK_CONTROL)
        s |= ssCtrl;
    if (keys & MK_LBUTTON)
        s |= ssLeft;
    if (keys & MK_RBUTTON)
        s |= ssRight;
    if (keys & MK_MBUTTON)
        s |= ssMiddle;
    if (::GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}

TImage32Control::TImage32Control()
{
    OnInvalidate = [this](const TRect& r) {
        if (!HandleAllocated())
            return;
        const RECT area = {r.Left, r.Top, r.Right, r.Bottom};
        ::InvalidateRect(Handle(), &area, FALSE);
    };
}

TImage32Control::~TImage32Control()
{
    OnInvalidate = nullptr;
    DestroyHandle();
}

void TImage32Control::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.ClassName = L"MwImage32";
}

void TImage32Control::Paint(HDC dc, const RECT& area)
{
    RECT client = {};
    ::GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    if (buffer_.Width() != client.right || buffer_.Height() != client.bottom)
        buffer_.Resize(client.right, client.bottom);
    const TRect r{area.left, area.top, area.right, area.bottom};
    // Whatever the bitmap does not cover shows the control's background colour.
    const int32_t w = client.right, h = client.bottom;
    buffer_.FillRectangle(std::max<int32_t>(0, r.Left), std::max<int32_t>(0, r.Top),
                          std::min(r.Right, w), std::min(r.Bottom, h), 0xFFF0F0F0);
    PaintTo(buffer_, r);
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
             BitmapDC(buffer_), area.left, area.top, SRCCOPY);
}

void TImage32Control::TrackLeave()
{
    if (tracking_)
        return;
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = Handle();
    tracking_ = ::TrackMouseEvent(&tme) != FALSE;
}

LRESULT TImage32Control::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const TMouseButtonMessage mouse = MouseButtonMessage(message);
    if (mouse.Edge == TMouseEdge::Down) {
        ::SetCapture(Handle());
        MouseDown(mouse.Button, ShiftStateOf(wParam), x, y);
        return 0;
    }
    if (mouse.Edge == TMouseEdge::Up) {
        // Capture ends first: the release may close the window that holds it.
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && ::GetCapture() == Handle())
            ::ReleaseCapture();
        MouseUp(mouse.Button, ShiftStateOf(wParam), x, y);
        return 0;
    }
    switch (message) {
    case WM_MOUSEMOVE:
        TrackLeave();
        MouseMove(ShiftStateOf(wParam), x, y);
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (OnMouseLeave)
            OnMouseLeave();
        return 0;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}
