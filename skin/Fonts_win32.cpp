#include "skin/Fonts_win32.h"

#include "common/CodePage_win32.h"

const char* ScriptFace(const char* face, LANGID language, BYTE* charset)
{
    // Faces of Windows 7 and later that carry the script and Latin letters as well (product
    // names stay in Latin letters in every language). Calibri carries Latin and Cyrillic.
    struct Row {
        BYTE Language;
        BYTE Charset;
        const char* Face;
    };
    static constexpr Row rows[] = {
        {LANG_JAPANESE, SHIFTJIS_CHARSET, "Meiryo UI"},
        {LANG_CHINESE, GB2312_CHARSET, "Microsoft YaHei"},
        {LANG_ARABIC, ARABIC_CHARSET, "Tahoma"},
    };
    BYTE set = DEFAULT_CHARSET;
    for (const Row& row : rows)
        if (row.Language == PRIMARYLANGID(language)) {
            face = row.Face;
            set = row.Charset;
        }
    if (charset)
        *charset = set;
    return face;
}

UniqueHfont CreatePointFont(const std::string& face, int points, int dpi, uint8_t style,
                            DWORD quality, LANGID language)
{
    BYTE charset;
    const char* name = ScriptFace(face.c_str(), language, &charset);
    LOGFONTW lf = {};
    lf.lfHeight = -::MulDiv(points, dpi, 72);
    lf.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (style & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = charset;
    lf.lfQuality = static_cast<BYTE>(quality);
    lstrcpynW(lf.lfFaceName, FromSystemCodePage(name).c_str(), LF_FACESIZE);
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
