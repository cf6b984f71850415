// Helper of the uninstall scenarios, run inside the e2e prefix.
//   uninstall_probe boxes        one line per visible dialog box and one per control in it:
//                                box <pid> <hwnd> <title>
//                                item <hwnd> <class> <left> <top> <right> <bottom> <text> <id>
//                                (screen coordinates; line breaks in texts become " | ")
//   uninstall_probe hold <path>  opens the file with no sharing, prints "held" and keeps it
//                                open until it is killed
//   uninstall_probe move <title> <x> <y>
//                                moves the top-level window captioned <title> to screen
//                                position x, y (out of the way of the uninstaller's boxes);
//                                prints "moved" or "missing"
// Texts are UTF-8.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
std::string Utf8(const std::wstring& w)
{
    if (w.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r')
            continue;
        if (s[i] == '\n')
            out += " | ";
        else if (s[i] == '\t')
            out += ' ';
        else
            out += s[i];
    }
    return out;
}

std::wstring Text(HWND w)
{
    wchar_t buffer[8192] = {};
    GetWindowTextW(w, buffer, 8192);
    return buffer;
}

BOOL CALLBACK PrintItem(HWND child, LPARAM)
{
    RECT r = {};
    GetWindowRect(child, &r);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    std::printf("item\t%llu\t%s\t%ld\t%ld\t%ld\t%ld\t%s\t%d\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(child)), Utf8(cls).c_str(),
                r.left, r.top, r.right, r.bottom, Utf8(Text(child)).c_str(), GetDlgCtrlID(child));
    return TRUE;
}

BOOL CALLBACK PrintBox(HWND w, LPARAM)
{
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (!IsWindowVisible(w) || std::wstring(cls) != L"#32770")
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::printf("box\t%lu\t%llu\t%s\n", static_cast<unsigned long>(pid),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)), Utf8(Text(w)).c_str());
    EnumChildWindows(w, &PrintItem, 0);
    return TRUE;
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && std::wstring(argv[1]) == L"boxes") {
        EnumWindows(&PrintBox, 0);
        return 0;
    }
    if (argc == 3 && std::wstring(argv[1]) == L"hold") {
        HANDLE f = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            std::printf("failed\t%lu\n", GetLastError());
            return 1;
        }
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(INFINITE);
        return 0;
    }
    if (argc == 5 && std::wstring(argv[1]) == L"move") {
        HWND w = FindWindowW(nullptr, argv[2]);
        if (!w || !SetWindowPos(w, nullptr, _wtoi(argv[3]), _wtoi(argv[4]), 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
            std::printf("missing\n");
            return 1;
        }
        std::printf("moved\n");
        return 0;
    }
    std::fprintf(stderr, "usage: uninstall_probe boxes | hold <path> | move <title> <x> <y>\n");
    return 2;
}
