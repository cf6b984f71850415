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
    const int32_t w = client.right, h = client.bottom;
    const bool covered =
        Bitmap().Width() >= w && Bitmap().Height() >= h && Bitmap().DrawMode() == dmOpaque;
    bool layered = false;
    for (int i = 0; i < Layers().Count(); ++i)
        layered = layered || Layers().Item(i)->Visible;
    // An opaque bitmap that fills the window with no layer shown is copied as it is; anything
    // else is composed in the back buffer first.
    TBitmap32* source = &Bitmap();
    if (!covered || layered) {
        if (buffer_.Width() != w || buffer_.Height() != h)
            buffer_.Resize(w, h);
        const TRect r{area.left, area.top, area.right, area.bottom};
        // Whatever the bitmap does not cover shows the control's background colour.
        if (!covered)
            buffer_.FillRectangle(std::max<int32_t>(0, r.Left), std::max<int32_t>(0, r.Top),
                                  std::min(r.Right, w), std::min(r.Bottom, h), 0xFFF0F0F0);
        PaintTo(buffer_, r);
        source = &buffer_;
    }
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
             BitmapDC(*source), area.left, area.top, SRCCOPY);
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
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        // The model is composed in the back buffer and copied in one piece: nothing half-drawn
        // ever shows, with no second buffer.
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(Handle(), &ps);
        Paint(dc, ps.rcPaint);
        ::EndPaint(Handle(), &ps);
        return 0;
    }
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
