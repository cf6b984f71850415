#include "skin/Fonts_win32.h"

#include "common/CodePage_win32.h"

UniqueHfont CreatePointFont(const std::string& face, int points, int dpi, uint8_t style,
                            DWORD quality)
{
    LOGFONTW lf = {};
    lf.lfHeight = -::MulDiv(points, dpi, 72);
    lf.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (style & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = static_cast<BYTE>(quality);
    lstrcpynW(lf.lfFaceName, FromSystemCodePage(face).c_str(), LF_FACESIZE);
    return UniqueHfont(::CreateFontIndirectW(&lf));
}

int WindowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    // Windows 10 1607 and later; earlier systems have one resolution for every monitor.
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window))
            return static_cast<int>(dpi);
    }
    const WindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

int SystemDpi()
{
    using GetDpiForSystemFn = UINT(WINAPI*)();
    const auto getDpiForSystem = reinterpret_cast<GetDpiForSystemFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
    return getDpiForSystem ? static_cast<int>(getDpiForSystem()) : 0;
}
