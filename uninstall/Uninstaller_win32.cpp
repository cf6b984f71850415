#include "uninstall/Uninstaller_win32.h"

#include <windows.h>

#include <optional>

#include "common/Exception.h"
#include "common/ExitCodes.h"
#include "common/MessageText.h"
#include "common/ProductFacts.h"
#include "common/UniqueHandle_win32.h"
#include "common/ProgramIcon_win32.h"
#include "common/Texts_win32.h"
#include "uninstall/InstallationItems_win32.h"
#include "uninstall/SelfRemoval_win32.h"
#include "uninstall/UninstallTexts_win32.h"
#include "uninstall/UninstallOptions_win32.h"

namespace {
// Where a run's outcome goes: boxes for a person, in the user's language, nothing at all for a
// silent run, which only returns its code.
class Outcome {
public:
    explicit Outcome(bool silent) : silent_(silent) {}
    // The button pressed; IDOK without asking when silent.
    int Show(const std::wstring& text, UINT type) const
    {
        if (silent_)
            return IDOK;
        const wchar_t* caption = Text(tiUninstallCaption);
        // One owner for the boxes of this object: the taskbar shows its button with the
        // program's icon, and it goes with the object.
        if (!owner_)
            owner_.emplace(caption);
        if (TextsRightToLeft())
            type |= MB_RTLREADING | MB_RIGHT;
        return ::MessageBoxW(owner_->Handle(), text.c_str(), caption, type | MB_SETFOREGROUND);
    }

private:
    bool silent_;
    mutable std::optional<TaskbarOwner> owner_;
};

int RemoveAndReport(const Outcome& outcome, const std::wstring& stageFolder)
{
    try {
        bool leftToRestart = false;
        const std::vector<RemovalFailure> failures = RemoveInstallation(stageFolder, &leftToRestart);
        if (failures.empty()) {
            outcome.Show(Text(leftToRestart ? tiUninstallRestartNeeded : tiUninstallRemoved),
                         MB_OK | MB_ICONINFORMATION);
            return ExitValue(leftToRestart ? ExitCode::RestartNeeded : ExitCode::Success);
        }
        outcome.Show(FailureReport(failures, UninstallEntryKept()), MB_OK | MB_ICONWARNING);
    } catch (const std::exception& e) {
        outcome.Show(Text(tiUninstallFailed) + (L"\n\n" + WithFullStop(ErrorMessage(e))),
                     MB_OK | MB_ICONERROR);
    }
    return ExitValue(ExitCode::Failed);
}

// The mutex of this run, or an empty owner when the installer or another uninstaller runs on
// the machine (a copy a deployment tool started as the system account and one a person started
// see each other). One that could not be made at all lets the run go on.
UniqueHandle ClaimTheRun(bool& otherRuns)
{
    const std::wstring global = L"Global\\";
    UniqueHandle installer(::OpenMutexW(SYNCHRONIZE, FALSE, (global + kWizardInstanceName).c_str()));
    UniqueHandle run(::CreateMutexW(nullptr, FALSE, (global + kUninstallInstanceName).c_str()));
    const DWORD made = ::GetLastError();
    otherRuns = installer || made == ERROR_ALREADY_EXISTS || made == ERROR_ACCESS_DENIED;
    return otherRuns ? UniqueHandle() : std::move(run);
}

// The second stage: removes, shows the outcome, hands the code to the first stage, and once
// that has ended clears what is left of both in the temporary folder.
int RunSecondStage(const Outcome& outcome, FirstStage& first)
{
    const int result = RemoveAndReport(outcome, OwnStageFolder());
    SendResult(first, result);
    WaitForFirstStage(first);
    RemoveSetAsideFile();
    RemoveEarlierStages();
    ScheduleOwnRemoval();
    return result;
}
}  // namespace

int RunUninstaller(const wchar_t* commandLine)
{
    const UninstallOptions options = ParseUninstallOptions(commandLine);
    if (!options.Invalid.empty()) {
        Outcome(options.Silent).Show(InvalidSwitchText(options.Invalid), MB_OK | MB_ICONERROR);
        return ExitValue(ExitCode::InvalidParameter);
    }
    FirstStage first = FirstStageOf(options);
    if (first.Process)
        return RunSecondStage(Outcome(options.Silent), first);
    bool otherRuns = false;
    const UniqueHandle run = ClaimTheRun(otherRuns);
    if (otherRuns) {
        Outcome(options.Silent).Show(Text(tiUninstallAlreadyRunning), MB_OK | MB_ICONWARNING);
        return ExitValue(ExitCode::AlreadyRunning);
    }
    // The question's window is gone before the wait for the second stage.
    if (!options.Silent &&
        Outcome(false).Show(Text(tiUninstallConfirm), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return ExitValue(ExitCode::Cancelled);
    const SecondStage second = StartSecondStage(options.Silent);
    if (second.Process)
        return WaitForSecondStage(second);
    // Without a copy to hand over to, this file stays in use: it is left to the next restart.
    return RemoveAndReport(Outcome(options.Silent), std::wstring());
}
