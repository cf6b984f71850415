// The program entry: the application object, its title and the main form, then the message
// loop until the main form closes.
#include <objbase.h>
#include <windows.h>

#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "forms/Application_win32.h"

namespace {
// Libraries loaded at run time come from the system folder only, never from the folder the
// installer was downloaded to. Bound by name: older systems without the update lack it.
void RestrictDllSearch()
{
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto set = kernel ? reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
                                  ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                            : nullptr;
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryA("");
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
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
