#include "install/InstallRecords_win32.h"

#include "common/ProductVersion.h"
#include "install/InstallPaths_win32.h"
#include "install/Registry_win32.h"

const char* const kConfigKey = "SOFTWARE\\Marlowind\\Config";
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const kUninstallSubkey = "Marlowind";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kProductKey = "Software\\Marlowind";
const char* const kUninstallEntryValues[6] = {"DisplayName", "UnInstallString", "DisplayIcon",
                                              "Publisher",   "EstimatedSize",   "DisplayVersion"};
const char* const kAutostartValue = "MarloWind";
const char* const kInstallPathValue = "InstallPath";
const char* const kFirstTimeValue = "IsFirstTime";
const DefaultSetting kDefaultSettings[6] = {
    {"autostart", true}, {"soundeffects", true}, {"showsearchbox", true},
    {"showclock", true}, {"showpopup", true},    {"showconsole", false},
};

void WriteConfigFlag(const std::string& name, bool value)
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey(kConfigKey, true))
        registry.WriteBool(name, value);
}

void WriteUninstallEntry()
{
    const std::string folder = RegistryPathText(InstallFolder());
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    // Without the Uninstall key open, a relative create would put the entry at the root of
    // HKEY_CURRENT_USER.
    if (!registry.OpenKey(kUninstallKey, true))
        throw ERegistryException(Format("Failed to create key %s", kUninstallSubkey));
    registry.CreateKey(kUninstallSubkey);
    registry.OpenKey(kUninstallSubkey, true);
    registry.WriteString(kUninstallEntryValues[0], "Marlowind instant messenger");
    registry.WriteString(kUninstallEntryValues[1], folder + "uninstallmw.exe");
    registry.WriteString(kUninstallEntryValues[2], folder + "uninstallmw.exe");
    registry.WriteString(kUninstallEntryValues[3], "Marlowind");
    registry.WriteInteger(kUninstallEntryValues[4], 15800);
    registry.WriteString(kUninstallEntryValues[5], MW_VERSION_TEXT);
}

void WriteAutostartEntry()
{
    const std::string programFiles = RegistryPathText(ProgramFilesFolder());
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    registry.OpenKey(kRunKey, true);
    registry.WriteString(kAutostartValue, programFiles + "\\Marlowind\\Marlowind.exe");
}

void WriteInstallPath()
{
    const std::string programFiles = RegistryPathText(ProgramFilesFolder());
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    registry.OpenKey(kProductKey, true);
    registry.WriteString(kInstallPathValue, programFiles + "\\Marlowind");
}

void WriteDefaultSettings()
{
    for (const DefaultSetting& setting : kDefaultSettings)
        WriteConfigFlag(setting.Name, setting.Value);
}

void WriteFirstTimeFlag()
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    registry.OpenKey(kProductKey, true);
    registry.WriteInteger(kFirstTimeValue, 1);
}
