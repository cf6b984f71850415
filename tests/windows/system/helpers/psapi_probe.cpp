// Reports what the process toolkit does in a program whose manifest declares every current
// system, so that the system reports its own version number.
//   psapi_probe naive   loads "psapi.dll" by the ordinary search
//   psapi_probe system  reads its own path through the process toolkit
//     exit code: 0 = the system's library was used, 1 = the one in the program's folder,
//     2 = error
//   psapi_probe list    lists the processes with full paths
//     exit code: major * 10000 + minor * 10 + (0 when the own entry carries the own full
//     path, 1 when not)
#include <windows.h>

#include <cstring>
#include <string>

#include "system/Platform_win32.h"
#include "system/Processes_win32.h"

namespace {
int Verdict(HMODULE psapi)
{
    if (!psapi)
        return 2;
    return ::GetProcAddress(psapi, "MwPlantedLibrary") ? 1 : 0;
}

std::string OwnPath()
{
    char own[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    return std::string(own, n);
}

int ListVerdict()
{
    ProcessList list;
    GetProcessList(list, true);
    int status = 1;
    for (const ProcessEntry& e : list)
        if (e.Id == ::GetCurrentProcessId() && e.Name == OwnPath())
            status = 0;
    const PlatformVersion& v = CurrentPlatform();
    return static_cast<int>(v.Major * 10000 + v.Minor * 10) + status;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (std::strstr(commandLine, "list"))
        return ListVerdict();
    if (std::strstr(commandLine, "naive"))
        return Verdict(::LoadLibraryA("psapi.dll"));
    if (!std::strstr(commandLine, "system"))
        return 2;
    const std::string name = GetProcessFileName(::GetCurrentProcessId(), true);
    if (name.compare(0, 7, "planted") == 0)
        return 1;
    if (name != OwnPath())
        return 2;
    return Verdict(::GetModuleHandleA("psapi.dll"));
}
