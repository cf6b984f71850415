// The second floor of the start-up benchmark: the wizard's window pair and nothing else. A
// layered background window at the wallpaper's size for the display's scale, centred as the
// wizard centres it, shows one blank translucent picture pushed with UpdateLayeredWindow, and a
// plain white window owned by it lies in its hole at the page's size. No picture is decoded, no
// text drawn. A click on either ends it.
#include <windows.h>

namespace {

// The wizard's figures at 100 %: the wallpaper, the initial frame it is centred for, the hole.
constexpr int kWallWidth = 446, kWallHeight = 365;
constexpr int kFrameWidth = 402, kFrameHeight = 332;
constexpr RECT kHole{135, 30, 135 + 285, 30 + 260};

int Scaled(int v, int dpi)
{
    return ::MulDiv(v, dpi, 96);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Pushes a picture of `width` x `height` in one translucent grey, premultiplied.
void PushBlankPicture(HWND window, POINT at, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    DWORD* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
        pixel[i] = 0xC0909090;
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(window, screen, &at, &size, memory, &source, 0, &blend, ULW_ALPHA);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    // The arrow (IDC_ARROW, spelled for the wide call).
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.lpszClassName = L"WindowPairBack";
    ::RegisterClassW(&windowClass);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"WindowPairPage";
    ::RegisterClassW(&windowClass);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    RECT desktop = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    const int left = desktop.left + (desktop.right - desktop.left - Scaled(kFrameWidth, dpi)) / 2;
    const int top = desktop.top + (desktop.bottom - desktop.top - Scaled(kFrameHeight, dpi)) / 2;
    const int width = Scaled(kWallWidth, dpi), height = Scaled(kWallHeight, dpi);
    const HWND back = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_LAYERED, L"WindowPairBack",
                                        L"WindowPair", WS_POPUP, left, top, width, height, nullptr,
                                        nullptr, instance, nullptr);
    PushBlankPicture(back, POINT{left, top}, width, height);
    const RECT hole = {Scaled(kHole.left, dpi), Scaled(kHole.top, dpi), Scaled(kHole.right, dpi),
                       Scaled(kHole.bottom, dpi)};
    const HWND page = ::CreateWindowExW(WS_EX_TOPMOST, L"WindowPairPage", L"WindowPairPage",
                                        WS_POPUP, left + hole.left, top + hole.top,
                                        hole.right - hole.left, hole.bottom - hole.top, back,
                                        nullptr, instance, nullptr);
    ::ShowWindow(back, SW_SHOWNOACTIVATE);
    ::ShowWindow(page, SW_SHOW);
    ::UpdateWindow(page);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::DestroyWindow(page);
    ::DestroyWindow(back);
    return 0;
}
