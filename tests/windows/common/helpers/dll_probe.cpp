// Loads "psapi.dll" by its bare name, as a program looking for the process functions would,
// with or without the start-up helper run first ("hardened" or "naive" on the command line).
// Exit code: 1 = the library planted beside the program was loaded, 0 = the system's, 2 =
// none; in hardened mode plus 10 when SetDefaultDllDirectories took effect, 20 when
// SetDllDirectoryA("") did instead, and plus 100 when the redirection guard is on.
#include <windows.h>

#include <cstring>

#include "common/ProcessStart_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    int guards = 0;
    if (std::strstr(commandLine, "hardened")) {
        const ProcessStartGuards done = HardenProcessStart();
        guards = (done.DefaultDirectories ? 10 : 0) + (done.DllDirectoryCleared ? 20 : 0) +
                 (done.RedirectionGuard ? 100 : 0);
    }
    const HMODULE psapi = ::LoadLibraryA("psapi.dll");
    if (!psapi)
        return guards + 2;
    return guards + (::GetProcAddress(psapi, "MwPlantedLibrary") ? 1 : 0);
}
