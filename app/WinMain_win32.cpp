// The program entry: the application object, its title and the main form, then the message
// loop until the main form closes.
#include <objbase.h>
#include <windows.h>

#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "forms/Application_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Only the system folder is searched for libraries loaded at run time.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The shell link objects of the install are COM objects used on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        Application.Initialize();
        Application.SetTitle(FromSystemCodePage(SApplicationTitle));
        Application.CreateForm(SetupWizardH);
        Application.Run();
    } catch (const std::exception& e) {
        Application.ShowException(e);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return 0;
}
