#pragma once
// The registry records of an installation. Every step makes its own registry object, opens its
// key with full access (creating missing keys), writes, and closes the key again; existing
// values of the same names are overwritten, nothing is read or deleted.
#include <string>

// The messenger's settings key below HKEY_CURRENT_USER.
extern const char* const kConfigKey;               // "SOFTWARE\Marlowind\Config"
extern const char* const kUninstallKey;            // "SOFTWARE\...\CurrentVersion\Uninstall"
extern const char* const kUninstallSubkey;         // "Marlowind"
extern const char* const kRunKey;                  // HKLM "Software\...\CurrentVersion\Run"
extern const char* const kProductKey;              // "Software\Marlowind"

// Value names of the records (the uninstaller removes the same ones).
extern const char* const kUninstallEntryValues[6];  // DisplayName ... DisplayVersion below the
                                                    // uninstall entry, in the order written
extern const char* const kAutostartValue;          // "MarloWind" below kRunKey
extern const char* const kInstallPathValue;        // "InstallPath" below kProductKey
extern const char* const kFirstTimeValue;          // "IsFirstTime" below kProductKey

// The messenger's first-run settings below kConfigKey, in the order they are written.
struct DefaultSetting {
    const char* Name;
    bool Value;
};
extern const DefaultSetting kDefaultSettings[6];

// Writes `name` as REG_DWORD 1 or 0 below HKCU\SOFTWARE\Marlowind\Config. When the key can't
// be opened nothing is written and nothing is reported; a refused write raises
// ERegistryException.
void WriteConfigFlag(const std::string& name, bool value);

// HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Marlowind: DisplayName,
// UnInstallString, DisplayIcon, Publisher, EstimatedSize, DisplayVersion, in that order.
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
