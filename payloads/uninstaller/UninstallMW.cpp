// Stand-in for the Marlowind uninstaller: says who it is and ends.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    MessageBoxW(nullptr, L"UninstallMW.exe: the Marlowind uninstaller (placeholder build).",
                L"Marlowind uninstaller", MB_OK | MB_ICONINFORMATION);
    return 0;
}
