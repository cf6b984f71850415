// The program entry: the command line, then either the silent install or the application
// object, its title and the main form, and the message loop until the main form closes.
#include <objbase.h>
#include <windows.h>

#include "app/SetupOutcome_win32.h"
#include "app/SingleInstance_win32.h"
#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "app/UnitWizard_win32.h"
#include "common/ProcessStart_win32.h"
#include "common/SetupCommandLine.h"
#include "common/Texts_win32.h"
#include "forms/Application_win32.h"
#include "install/InstallFiles_win32.h"
#include "skin/Fonts_win32.h"
#include "system/Shutdown_win32.h"

namespace {
// The whole install with no window of any kind: running copies closed as page 3 closes them,
// the install as page 4 runs it, the messenger not started (under a deployment tool it would
// run as the tool's account). Every failure goes to the log.
void InstallSilently(SetupOutcome& outcome)
{
    try {
        // Without a program-files folder there is no installed copy to close; the install
        // itself reports the missing folder.
        if (const std::wstring folder = TSetupWizardH::InstallFolder(); !folder.empty())
            CloseRunningInstances(folder + SMessengerExeClosing);
        InstallFiles();
        outcome.Installed();
    } catch (const std::exception& error) {
        outcome.Failed(error);
    }
}

void RunWizard(SetupOutcome& outcome)
{
    // Errors inside the message loop are shown by the forms and the wizard goes on; one that
    // gets here kept the wizard from starting at all (no window could be made).
    try {
        Application.Initialize();
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
        outcome.Failed(e);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HardenProcessStart();
    const std::wstring commandLine = ::GetCommandLineW();
    const SetupOptions options = ReadSetupCommandLine(commandLine);
    SingleInstance instance(kWizardInstanceName);
    if (!instance.First()) {
        // A silent run beside another copy changes nothing and waits for nobody.
        if (options.Silent)
            return ExitValue(ExitCode::AlreadyRunning);
        // A second start (a double click that took twice) shows the wizard already running.
        const HWND other = FindOtherCopysWindow(instance, L"TSetupWizardH", 5000);
        if (!instance.First()) {
            BringToFront(other);
            return ExitValue(ExitCode::AlreadyRunning);
        }
    }
    Application.SetTitle(Text(tiSetupCaption));
    SetupOutcome outcome(options);
    if (const ExitCode refused = outcome.Start(commandLine); refused != ExitCode::Success)
        return outcome.Finish();
    Application.OnException = [&outcome](const std::exception& error) { outcome.Failed(error); };
    // The wallpaper is decoded on another processor while the display driver loads and the
    // windows are made.
    if (!options.Silent)
        PrefetchWallpaper(SystemDpi());
    // The shell link objects of the install are COM objects used on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (options.Silent)
        InstallSilently(outcome);
    else
        RunWizard(outcome);
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return outcome.Finish();
}
