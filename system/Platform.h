#pragma once
// The platform tests, as pure functions of a version so that every branch can be checked on
// any host; Platform_win32.h adds the same tests for the running system.
#include <cstdint>

// Platform id, major and minor version as the system reports them to this program.
struct PlatformVersion {
    uint32_t Platform = 0;  // 1 = Windows 9x, 2 = NT
    uint32_t Major = 0;
    uint32_t Minor = 0;
};

constexpr uint32_t PlatformWin32Windows = 1;
constexpr uint32_t PlatformWin32NT = 2;

// Each true only on the NT platform, for the versions named.
bool IsWindows8(const PlatformVersion& v);            // 6.2
bool IsWindows7(const PlatformVersion& v);            // 6.1
bool IsWindowsVista(const PlatformVersion& v);        // 6.0
bool IsWindows2003(const PlatformVersion& v);         // 5.2
bool IsWindowsXP(const PlatformVersion& v);           // 5.1
bool IsWindows2000OrLater(const PlatformVersion& v);  // major 5 or higher
bool IsWindowsNT4(const PlatformVersion& v);          // major 4
bool IsWindowsNT3(const PlatformVersion& v);          // 3.1, 3.5, 3.51

// How the list of running processes is read.
enum class ProcessListMethod {
    ToolHelp,  // CreateToolhelp32Snapshot and Process32First/Next
    Psapi,     // EnumProcesses (NT 3 and NT 4 have no ToolHelp)
};
ProcessListMethod ChooseProcessListMethod(const PlatformVersion& v);

// True when the ToolHelp method names each process by the path of its main module rather
// than by the snapshot's executable name. That is so on XP and every later NT, whatever
// version the system admits to: a system newer than the program's manifest declares reports
// 6.2, and one the manifest does declare reports its own number (6.3, 10.0, ...). Closing
// running copies compares full paths, so this must hold on every system the program runs on.
bool ToolHelpLooksUpPath(const PlatformVersion& v);
