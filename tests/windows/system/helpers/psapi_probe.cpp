// Reports which PSAPI.DLL a program gets, when a foreign one lies in the program's folder.
//   psapi_probe naive   loads "psapi.dll" by the ordinary search
//   psapi_probe system  reads its own path through the process toolkit
// Exit code: 0 = the system's library was used, 1 = the one in the program's folder, 2 = error.
#include <windows.h>

#include <cstring>
#include <string>

#include "system/Processes_win32.h"

namespace {
int Verdict(HMODULE psapi)
{
    if (!psapi)
        return 2;
    return ::GetProcAddress(psapi, "MwPlantedLibrary") ? 1 : 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (std::strstr(commandLine, "naive"))
        return Verdict(::LoadLibraryA("psapi.dll"));
    if (!std::strstr(commandLine, "system"))
        return 2;
    const std::string name = GetProcessFileName(::GetCurrentProcessId(), true);
    if (name == "planted")
        return 1;
    char own[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    if (n == 0 || name != std::string(own, n))
        return 2;
    return Verdict(::GetModuleHandleA("psapi.dll"));
}
