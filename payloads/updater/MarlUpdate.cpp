// Stand-in for the Marlowind updater: says who it is and ends.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    MessageBoxW(nullptr, L"MarlUpdate.exe: the Marlowind updater (placeholder build).",
                L"Marlowind updater", MB_OK | MB_ICONINFORMATION);
    return 0;
}
