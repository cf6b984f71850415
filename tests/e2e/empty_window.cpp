// The floor of the start-up benchmark: a program built as the installer is built that shows one
// plain white window of the wizard's size, scaled to the display, and nothing else. A click on
// it ends it.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) {
        ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"EmptyWindow";
    ::RegisterClassW(&windowClass);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    const HWND window = ::CreateWindowExW(WS_EX_TOPMOST, L"EmptyWindow", L"EmptyWindow",
                                          WS_POPUP | WS_VISIBLE, 100, 100, ::MulDiv(446, dpi, 96),
                                          ::MulDiv(365, dpi, 96), nullptr, nullptr, instance, nullptr);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
