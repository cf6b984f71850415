#include "install/InstallRecords_win32.h"

#include "common/PathParts.h"
#include "common/ProductVersion.h"
#include "install/InstallPaths_win32.h"
#include "install/Registry_win32.h"

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
        throw ERegistryException(tiErrCreateKey, kUninstallSubkey);
    registry.CreateKey(kUninstallSubkey);
    registry.OpenKey(kUninstallSubkey, true);
    registry.WriteString(kUninstallEntryValues[0], kDisplayName);
    registry.WriteString(kUninstallEntryValues[1], folder + kUninstallEntryProgram);
    registry.WriteString(kUninstallEntryValues[2], folder + kUninstallEntryProgram);
    registry.WriteString(kUninstallEntryValues[3], kPublisher);
    registry.WriteInteger(kUninstallEntryValues[4], kEstimatedSizeKiB);
    registry.WriteString(kUninstallEntryValues[5], MW_VERSION_TEXT);
    registry.WriteString(kUninstallEntryValues[6],
                         "\"" + RegistryPathText(InstallFolder() + kUninstallerPayload.TargetFile) +
                             "\" " + kQuietUninstallSwitch);
}

void WriteAutostartEntry()
{
    const std::string messenger = RegistryPathText(InstallFolder() + kMessengerPayload.TargetFile);
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    registry.OpenKey(kRunKey, true);
    registry.WriteString(kAutostartValue, messenger);
}

void WriteInstallPath()
{
    const std::string folder = RegistryPathText(WithoutTrailingSeparators(InstallFolder()));
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    registry.OpenKey(kProductKey, true);
    registry.WriteString(kInstallPathValue, folder);
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
