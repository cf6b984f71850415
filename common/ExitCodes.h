#pragma once
// The exit codes of both programs: the one table the code returns from and the README's table
// and the package manifest are made from (scripts/winget-manifest reads kExitCodes as written
// here: keep one row a line, in this form). The codes are those Windows Installer uses where
// one fits, so that deployment tools read them with their defaults (1618: try again later;
// 3010: a restart finishes the work).
// Header-only and free of Windows headers: the portable code and both programs read it.
#include <cstddef>

#include "common/Exception.h"

enum class ExitCode : int {
    Success = 0,
    InvalidParameter = 87,
    FilesInUse = 32,
    DiskFull = 112,
    Cancelled = 1602,
    Failed = 1603,
    AlreadyRunning = 1618,
    DamagedInstaller = 1620,
    LogFailed = 1622,
    RestartNeeded = 3010,
};

// Which program returns a code.
enum class ExitCodeProgram { Setup, Uninstaller, Both };

// One row: the code, which program returns it, whether a deployment tool should just try again
// later (the cause is expected to pass by itself), the response winget knows it by (empty for a
// success code) and its meaning in the README's words.
struct ExitCodeRow {
    ExitCode Code;
    ExitCodeProgram Program;
    bool RetryLater;
    const char* WingetResponse;
    const char* Meaning;
};

inline constexpr ExitCodeRow kExitCodes[] = {
    {ExitCode::Success, ExitCodeProgram::Both, false, "", "Installed, or removed completely."},
    {ExitCode::InvalidParameter, ExitCodeProgram::Both, false, "invalidParameter", "An unknown or malformed switch; nothing was changed."},
    {ExitCode::FilesInUse, ExitCodeProgram::Setup, true, "packageInUse", "A running program holds a file the install replaces; the earlier installation is whole."},
    {ExitCode::DiskFull, ExitCodeProgram::Setup, false, "diskFull", "The disk is full; the earlier installation is whole."},
    {ExitCode::Cancelled, ExitCodeProgram::Both, false, "cancelledByUser", "The user cancelled before anything was changed."},
    {ExitCode::Failed, ExitCodeProgram::Both, false, "contactSupport", "Any other failure (the log names it); the earlier installation is whole, or the removal stopped and the entry was kept."},
    {ExitCode::AlreadyRunning, ExitCodeProgram::Both, true, "installInProgress", "Another copy of the installer or the uninstaller is running; nothing was changed."},
    {ExitCode::DamagedInstaller, ExitCodeProgram::Setup, false, "contactSupport", "The installer file is damaged (a carried file is missing or corrupt); the earlier installation is whole."},
    {ExitCode::LogFailed, ExitCodeProgram::Both, false, "invalidParameter", "The log file named by /log could not be created; nothing was changed."},
    {ExitCode::RestartNeeded, ExitCodeProgram::Uninstaller, false, "rebootRequiredToFinish", "Removed; a file that was in use is deleted at the next restart."},
};

inline constexpr int ExitValue(ExitCode code) { return static_cast<int>(code); }

// The code of a failed install, from what its error carries: a damaged installer, then the
// system's codes for a full disk (ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL) and for a file a
// running program holds (ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_USER_MAPPED_FILE);
// anything else is Failed. Access denied is not taken for "in use": it is as often a
// permission, which trying again does not mend.
inline constexpr ExitCode FailureExitCode(unsigned long systemCode, ErrorCause cause)
{
    if (cause == ErrorCause::Damaged)
        return ExitCode::DamagedInstaller;
    if (systemCode == 112 || systemCode == 39)
        return ExitCode::DiskFull;
    if (systemCode == 32 || systemCode == 33 || systemCode == 1224)
        return ExitCode::FilesInUse;
    return ExitCode::Failed;
}
