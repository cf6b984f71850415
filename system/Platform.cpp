#include "system/Platform.h"

namespace {
bool IsNT(const PlatformVersion& v)
{
    return v.Platform == PlatformWin32NT;
}

bool IsNTVersion(const PlatformVersion& v, uint32_t major, uint32_t minor)
{
    return IsNT(v) && v.Major == major && v.Minor == minor;
}
}  // namespace

bool IsWindows8(const PlatformVersion& v) { return IsNTVersion(v, 6, 2); }
bool IsWindows7(const PlatformVersion& v) { return IsNTVersion(v, 6, 1); }
bool IsWindowsVista(const PlatformVersion& v) { return IsNTVersion(v, 6, 0); }
bool IsWindows2003(const PlatformVersion& v) { return IsNTVersion(v, 5, 2); }
bool IsWindowsXP(const PlatformVersion& v) { return IsNTVersion(v, 5, 1); }
bool IsWindows2000OrLater(const PlatformVersion& v) { return IsNT(v) && v.Major >= 5; }
bool IsWindowsNT4(const PlatformVersion& v) { return IsNT(v) && v.Major == 4; }

bool IsWindowsNT3(const PlatformVersion& v)
{
    return IsNT(v) && v.Major == 3 && (v.Minor == 1 || v.Minor == 5 || v.Minor == 51);
}

ProcessListMethod ChooseProcessListMethod(const PlatformVersion& v)
{
    return (IsWindowsNT3(v) || IsWindowsNT4(v)) ? ProcessListMethod::Psapi
                                                 : ProcessListMethod::ToolHelp;
}

bool ToolHelpLooksUpPath(const PlatformVersion& v)
{
    // An open-ended test: a list of known versions would miss every system released after it,
    // and there the snapshot's bare executable names never equal a full path.
    return IsNT(v) && (v.Major > 5 || (v.Major == 5 && v.Minor >= 1));
}
