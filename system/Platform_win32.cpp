#include "system/Platform_win32.h"

#include <windows.h>

namespace {
PlatformVersion QueryPlatform()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    PlatformVersion v;
    if (::GetVersionExA(&info)) {
        v.Platform = info.dwPlatformId;
        v.Major = info.dwMajorVersion;
        v.Minor = info.dwMinorVersion;
    }
    return v;
}
}  // namespace

const PlatformVersion& CurrentPlatform()
{
    static const PlatformVersion v = QueryPlatform();
    return v;
}

bool IsWindows8() { return IsWindows8(CurrentPlatform()); }
bool IsWindows7() { return IsWindows7(CurrentPlatform()); }
bool IsWindowsVista() { return IsWindowsVista(CurrentPlatform()); }
bool IsWindows2003() { return IsWindows2003(CurrentPlatform()); }
bool IsWindowsXP() { return IsWindowsXP(CurrentPlatform()); }
bool IsWindows2000OrLater() { return IsWindows2000OrLater(CurrentPlatform()); }
bool IsWindowsNT4() { return IsWindowsNT4(CurrentPlatform()); }
bool IsWindowsNT3() { return IsWindowsNT3(CurrentPlatform()); }
