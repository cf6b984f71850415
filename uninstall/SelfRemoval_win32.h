#pragma once
// Removing the uninstaller's own executable, which can't be deleted while it runs, while the
// process that was started (the first stage, from the install folder) lives until the removal
// has ended and returns its result:
// 1. The first stage copies itself into a new private folder below the temporary folder and
//    starts the copy with two inherited handles on its command line: its own process, and the
//    write end of a pipe whose read end it keeps. It then waits on the pipe.
// 2. The copy (the second stage) removes the installation. The first stage's file is in use, so
//    it is renamed into the stage folder (renaming a running program's file is allowed,
//    deleting it is not), and the install folder can go with the rest.
// 3. The second stage writes the result to the pipe; the first stage returns it as its exit
//    code and ends. The second stage then deletes the first stage's file from its folder, and
//    schedules its own file and folder for deletion at the next restart.
// A second stage that ends without a result (killed) leaves the pipe broken: the first stage
// returns a failure then.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/UniqueHandle_win32.h"
#include "uninstall/UninstallOptions_win32.h"

// The full path of the running executable.
std::wstring OwnExecutablePath();

// The first stage's view of a started second stage.
struct SecondStage {
    UniqueHandle Process;  // empty when none was started
    UniqueHandle Result;   // the read end of the pipe that brings the exit code
};

// Copies the running executable, as "UninstallMW.exe", into a folder it has just created below
// the temporary folder (closed to everyone but SYSTEM and Administrators when the process is
// elevated) and starts the copy as the second stage (working directory: the temporary folder,
// so that no folder of the installation is held), silent when `silent`. On failure the process
// owner is empty and nothing is left behind. Never raises.
SecondStage StartSecondStage(bool silent);

// Waits until the second stage has sent its result and returns it; when the pipe breaks first
// (the second stage ended without one), waits for that process to end and returns
// ExitCode::Failed. Never raises.
int WaitForSecondStage(const SecondStage& stage);

// The second stage's view of its first stage.
struct FirstStage {
    UniqueHandle Process;  // empty when the options name no first stage
    UniqueHandle Result;   // the pipe's write end
};

// The first stage named by `options` (/continue): taken only when the starter is an inherited
// handle of another process and the report handle a pipe; otherwise empty owners (a start by
// hand with made-up numbers is then an ordinary first start).
FirstStage FirstStageOf(const UninstallOptions& options);

// Sends `code` to the first stage and closes the pipe. Never raises.
void SendResult(FirstStage& first, int code);

// Waits until the first stage has ended, at most `timeoutMs` milliseconds.
void WaitForFirstStage(const FirstStage& first, DWORD timeoutMs = 30000);

// The stage folder the running executable is in (without a trailing separator), or empty when
// it does not run from one.
std::wstring OwnStageFolder();

// Renames the installed uninstaller `installed`, whose program may be running, to
// kSetAsideExecutable in `stageFolder`. Returns the system's code.
DWORD SetAsideInto(const std::wstring& installed, const std::wstring& stageFolder);

// Deletes the first stage's file that SetAsideInto put into this stage's own folder, retrying a
// moment while the ended process still holds it. Returns whether it is gone (or was never
// there). Never raises.
bool RemoveSetAsideFile();

// Removes the private folders that earlier second stages left below the temporary folder
// (their removal waits for a restart) with the copies in each; folders that hold anything else,
// links and junctions, the running executable's own folder and anything still in use stay.
// Never raises.
void RemoveEarlierStages();

// Schedules the running executable (and the first stage's file when it is still beside it), and
// its folder when it is one this module made, for deletion at the next restart. Returns whether
// the system accepted the file's entry.
bool ScheduleOwnRemoval();
