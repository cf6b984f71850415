// The uninstaller's entry point; everything it does lives in the uninstall library.
#include <windows.h>

#include "common/ProcessStart_win32.h"
#include "uninstall/Uninstaller_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    HardenProcessStart();
    return RunUninstaller(::GetCommandLineW());
}
