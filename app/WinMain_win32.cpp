// The program entry: the application object, its title and the main form, then the message
// loop until the main form closes.
#include <objbase.h>
#include <windows.h>

#include "app/SingleInstance_win32.h"
#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "app/UnitWizard_win32.h"
#include "common/ProcessStart_win32.h"
#include "common/Texts_win32.h"
#include "forms/Application_win32.h"
#include "skin/Fonts_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HardenProcessStart();
    // A second start (a double click that took twice) shows the wizard already running.
    SingleInstance instance(kWizardInstanceName);
    if (!instance.First()) {
        const HWND other = FindOtherCopysWindow(instance, L"TSetupWizardH", 5000);
        if (!instance.First()) {
            BringToFront(other);
            return 0;
        }
    }
    // The wallpaper is decoded on another processor while the display driver loads and the
    // windows are made.
    PrefetchWallpaper(SystemDpi());
    // The shell link objects of the install are COM objects used on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Errors inside the message loop are shown by the forms and the wizard goes on; one that
    // gets here kept the wizard from starting at all (no window could be made), which the
    // exit code says too, since its message may not have been shown either.
    int exitCode = 0;
    try {
        Application.Initialize();
        Application.SetTitle(Text(tiSetupCaption));
        Application.CreateForm(SetupWizardH);
        if (SetupWizardH && SetupWizardH->HandleAllocated()) {
            // The first page is painted at once, not after the foreground switch and the
            // taskbar button's show, which keep the window system busy for several ms more.
            ::UpdateWindow(SetupWizardH->Handle());
            // Started from the keyboard or a shortcut, the wizard takes the keys at once.
            ::SetForegroundWindow(SetupWizardH->Handle());
        }
        Application.Run();
    } catch (const std::exception& e) {
        Application.ShowException(e);
        exitCode = 1;
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return exitCode;
}
