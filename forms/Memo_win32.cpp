#include "forms/Memo_win32.h"

#include <vector>

#include "common/BufferedPaint_win32.h"
#include "skin/Fonts_win32.h"

void TMemo::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.ClassName = L"EDIT";
    params.SystemClass = true;
    params.Style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
    params.ExStyle = LeftScrollBar ? WS_EX_LEFTSCROLLBAR : 0;  // no border of any kind
}

void TMemo::SetText(const std::wstring& text)
{
    ::SetWindowTextW(Handle(), text.c_str());
}

std::wstring TMemo::Text()
{
    const int n = ::GetWindowTextLengthW(Handle());
    std::vector<wchar_t> buffer(static_cast<size_t>(n) + 1);
    const int got = ::GetWindowTextW(Handle(), buffer.data(), n + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(got));
}

void TMemo::SetFont(const std::string& face, int points, COLORREF color, int dpi)
{
    face_ = face;
    points_ = points;
    color_ = color;
    dpi_ = dpi;
    ApplyFont();
}

void TMemo::ApplyFont()
{
    const HWND window = Handle();
    int dpi = dpi_;
    if (dpi <= 0) {
        WindowDc dc(window);
        dpi = dc.get() ? ::GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    }
    UniqueHfont font = CreatePointFont(face_, points_, dpi, 0);
    if (!font)
        return;
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    // The control keeps using the font it was given: the old one may go only now.
    font_ = std::move(font);
    // Setting the font resets the margins to the font's own.
    ::SendMessageW(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    Invalidate();
}

void TMemo::PaintBuffered()
{
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(Handle(), &ps);
    RECT client = {};
    ::GetClientRect(Handle(), &client);
    // The edit control draws into a given DC instead of its own when wParam carries one.
    ::PaintBuffered(dc, client, [&](HDC buffer) {
        ::FillRect(buffer, &client, background_.get());
        DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(buffer), 0);
    });
    ::EndPaint(Handle(), &ps);
}

LRESULT TMemo::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, color_);
        ::SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_PAINT:
        if (DoubleBuffered && wParam == 0) {
            PaintBuffered();
            return 0;
        }
        return DefaultHandler(message, wParam, lParam);
    case WM_ERASEBKGND:
        if (DoubleBuffered)
            return 1;
        return DefaultHandler(message, wParam, lParam);
    }
    return TWinControl::WndProc(message, wParam, lParam);
}
