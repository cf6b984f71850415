#include "uninstall/Uninstaller_win32.h"

#include <windows.h>

#include "common/Exception.h"
#include "common/MessageText.h"
#include "common/ProgramIcon_win32.h"
#include "common/Texts_win32.h"
#include "uninstall/InstallationItems_win32.h"
#include "uninstall/SelfRemoval_win32.h"
#include "uninstall/UninstallTexts_win32.h"

namespace {
int Show(const std::wstring& text, UINT type)
{
    const wchar_t* caption = Text(tiUninstallCaption);
    // One owner for every box of the run: the taskbar shows its button with the program's icon.
    static const TaskbarOwner owner(caption);
    if (TextsRightToLeft())
        type |= MB_RTLREADING | MB_RIGHT;
    return ::MessageBoxW(owner.Handle(), text.c_str(), caption, type | MB_SETFOREGROUND);
}

int RemoveAndReport()
{
    try {
        const std::vector<RemovalFailure> failures = RemoveInstallation();
        if (failures.empty()) {
            Show(Text(tiUninstallRemoved), MB_OK | MB_ICONINFORMATION);
            return 0;
        }
        Show(FailureReport(failures, UninstallEntryKept()), MB_OK | MB_ICONWARNING);
    } catch (const std::exception& e) {
        Show(Text(tiUninstallFailed) + (L"\n\n" + WithFullStop(ErrorMessage(e))),
             MB_OK | MB_ICONERROR);
    }
    return 1;
}
}  // namespace

int RunUninstaller(const wchar_t* commandLine)
{
    const UniqueHandle starter = SecondStageStarter(commandLine);
    if (starter) {
        WaitForStarter(starter);
        const int result = RemoveAndReport();
        RemoveEarlierStages();
        ScheduleOwnRemoval();
        return result;
    }
    if (Show(Text(tiUninstallConfirm), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return 0;
    if (StartSecondStage())
        return 0;
    // Without a copy to hand over to, this file stays in use and is reported with the rest.
    return RemoveAndReport();
}
