#pragma once
// Removing the uninstaller's own executable, which can't be deleted while it runs. The first
// stage copies itself into a new private folder below the temporary folder, starts the copy
// with an inheritable handle of its own process on the command line, and ends. The copy waits
// on that handle until the first stage has ended, does the removal (its original file is then
// free), and finally schedules its own file and private folder for deletion at the next
// restart.
#include <windows.h>

#include <string>

#include "common/UniqueHandle_win32.h"

// The option that marks the second stage: "/continue <handle>".
extern const wchar_t* const kContinueOption;

// The full path of the running executable.
std::wstring OwnExecutablePath();

// Copies the running executable, as "UninstallMW.exe", into a folder it has just created below
// the temporary folder (closed to everyone but SYSTEM and Administrators when the process is
// elevated) and starts the copy as the second stage (working directory: the temporary folder, so that no
// folder of the installation is held). Returns true when the copy runs; then the caller must
// end soon, the copy waits for it. On false nothing is left behind. Never raises.
bool StartSecondStage();

// The first stage's process when `commandLine` is "<program> /continue <handle>" and the
// handle is an inherited process handle; an empty owner otherwise (a start by hand with made
// up arguments is then an ordinary first start).
UniqueHandle SecondStageStarter(const wchar_t* commandLine);

// Waits until the first stage has ended, at most `timeoutMs` milliseconds.
void WaitForStarter(const UniqueHandle& starter, DWORD timeoutMs = 30000);

// Removes the private folders that earlier second stages left below the temporary folder
// (their removal waits for a restart) with the copy in each; folders that hold anything else,
// links and junctions, the running executable's own folder and anything still in use stay.
// Never raises.
void RemoveEarlierStages();

// Schedules the running executable, and its folder when it is one this module made, for
// deletion at the next restart. Returns whether the system accepted the file's entry.
bool ScheduleOwnRemoval();
