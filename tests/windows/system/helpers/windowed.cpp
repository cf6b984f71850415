// A program with one top-level window that ends when the window gets WM_CLOSE.
// With "--keep-open" it ignores WM_CLOSE and runs until it is terminated.
#include <windows.h>

#include <cstring>

namespace {
bool g_keepOpen = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        if (g_keepOpen)
            return 0;
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    g_keepOpen = std::strstr(commandLine, "--keep-open") != nullptr;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "MwSystemTestWindow";
    if (!::RegisterClassA(&wc))
        return 2;
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "system test window",
                                    WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                    instance, nullptr);
    if (!window)
        return 3;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
