#pragma once
// Starting a program as the desktop's user. An elevated program that starts another with
// ShellExecute hands it the administrator's token; the desktop shell (the user's own explorer)
// runs with the user's rights, and a program it is asked to start gets those.
#include <string>

enum class ShellStart {
    DesktopShell,  // the desktop shell's own ShellExecute was asked
    ThisProcess,   // the shell did not offer it: ShellExecuteW from this process
};

// Opens `file` with `verb` ("open") and SW_SHOW, without parameters or working folder: through
// the desktop window's shell view (IShellWindows -> the desktop's IShellBrowser -> its active
// view's background object -> IShellFolderViewDual -> Application -> IShellDispatch2) when the
// shell offers each step, else by ShellExecuteW. COM must be initialised on the calling thread.
// Whether the program then starts is not reported (the shell starts it on its own). Never
// raises.
ShellStart OpenAsDesktopUser(const std::wstring& file, const wchar_t* verb);

// Opens `file` through the desktop shell only; false when the shell does not offer it.
bool OpenThroughDesktopShell(const std::wstring& file, const wchar_t* verb);
