#pragma once
// The private folders below the temporary folder that the uninstaller's second stage runs from.
// The temporary folder belongs to the desktop user, whose programs can create names there
// before the elevated uninstaller runs: a stage folder is always one this process has just
// created, and a folder is only removed as an earlier stage when it is a real folder (no link
// or junction) holding nothing but a stage's copy of the uninstaller. Paths are UTF-16.
#include <windows.h>

#include <string>

#include "common/ProductFacts.h"
#include "common/UniqueHandle_win32.h"

// Stage folders are named kStageFolderPrefix + process id + "." + random digits.
// The file a stage folder holds: the uninstaller's copy, under its installed name.
inline constexpr const wchar_t* kStageExecutable = kUninstallerPayload.TargetFile;
// And for a while the installed uninstaller itself, moved out of the install folder while its
// first stage still ran from it.
inline constexpr const wchar_t* kSetAsideExecutable = L"UninstallMW.installed";

// The temporary folder with a trailing separator; empty when the system gives none.
std::wstring TempFolderW();

// True when the process runs with an elevated token, or (on systems without elevation) as a
// member of the Administrators group.
bool ProcessIsElevated();

// The protected access list of an elevated stage: full control for SYSTEM and Administrators,
// inherited by everything created inside, nothing for anyone else.
extern const wchar_t* const kStageFolderAccess;  // as SDDL

// A stage folder created by this call, and a handle on it that keeps it from being renamed,
// replaced or removed while it is held (it is opened without delete sharing).
struct StageFolder {
    std::wstring Path;  // without a trailing separator; empty when none could be created
    UniqueFile Handle;
};

// Creates a new folder below `temp` (which ends in a separator) under a fresh random name; a
// name that exists already, whatever it is, is never used: another one is tried. With
// `restricted` the folder gets kStageFolderAccess. Returns an empty path when no folder could
// be made. Never raises.
StageFolder CreateStageFolder(const std::wstring& temp, bool restricted);

// Removes a stage made by CreateStageFolder that was not started, with the copy in it when it
// is there, through its handle (which is closed). Never raises.
void DiscardStageFolder(StageFolder& stage);

// True when `folder` is named like a stage folder directly below `temp`: `temp` followed by the
// prefix (ASCII case ignored), at least one more character and no further separator.
bool IsStageFolderName(const std::wstring& temp, const std::wstring& folder);

// Removes `folder` when it is an earlier stage: a folder, not a reparse point, holding one or
// two entries, plain files (not links) named kStageExecutable or kSetAsideExecutable. Anything
// else, and a stage whose file is still in use, is left as it is. Returns whether the folder
// is gone. Never raises.
bool RemoveStageFolder(const std::wstring& folder);

// Removes every earlier stage folder directly below `temp` except `ownFolder`; entries that
// are links or junctions are skipped without being opened. Never raises.
void RemoveStageFolders(const std::wstring& temp, const std::wstring& ownFolder);
