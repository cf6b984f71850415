#pragma once
// The registry records of an installation. Every step makes its own registry object, opens its
// key with full access (creating missing keys), writes, and closes the key again; existing
// values of the same names are overwritten, nothing is read or deleted.
#include <string>

#include "common/ProductFacts.h"

// Key and value names, the first-run settings and the entry's data are in
// common/ProductFacts.h (kConfigKey, kUninstallKey, kUninstallEntryValues, kDefaultSettings, ...).

// Writes `name` as REG_DWORD 1 or 0 below HKCU\SOFTWARE\Marlowind\Config. When the key can't
// be opened nothing is written and nothing is reported; a refused write raises
// ERegistryException.
void WriteConfigFlag(const std::string& name, bool value);

// HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Marlowind: DisplayName,
// UnInstallString, DisplayIcon, Publisher, EstimatedSize, DisplayVersion, in that order, then
// QuietUninstallString ("<install folder>\UninstallMW.exe" /S, the command that removes the
// installation with no window).
// Raises ERegistryException "Failed to create key Marlowind" when the subkey can't be created
// (also when the Uninstall key itself can't be opened) and "Failed to set data for '%s'" for a
// refused write; values written before stay. Raises ESpecialFolderError without a program
// files folder.
void WriteUninstallEntry();

// HKLM\Software\Microsoft\Windows\CurrentVersion\Run, "MarloWind" = program files folder +
// "\Marlowind\Marlowind.exe". Raises ERegistryException / ESpecialFolderError.
void WriteAutostartEntry();

// HKCU\Software\Marlowind, "InstallPath" = program files folder + "\Marlowind".
void WriteInstallPath();

// The six first-run settings through WriteConfigFlag: autostart, soundeffects, showsearchbox,
// showclock, showpopup (all true) and showconsole (false).
void WriteDefaultSettings();

// HKCU\Software\Marlowind, "IsFirstTime" = 1.
void WriteFirstTimeFlag();
