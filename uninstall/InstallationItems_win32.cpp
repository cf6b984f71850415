#include "uninstall/InstallationItems_win32.h"

#include <windows.h>

#include "install/InstallFiles_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/LinkName.h"
#include "install/Shortcuts_win32.h"
#include "system/Shutdown_win32.h"

namespace {
void AddLinks(std::vector<RemovalItem>& items, const std::wstring& installFolder)
{
    const std::wstring messenger = LinkNameFor(installFolder + kPayloads[0].TargetFile);
    const std::wstring desktop = ShortcutFolder(slDesktop);
    if (!desktop.empty())
        items.push_back(FileRemoval(LinkPathFor(desktop, L"", messenger)));
    const std::wstring programs = ShortcutFolder(slCommonPrograms);
    if (programs.empty())
        return;
    items.push_back(FileRemoval(LinkPathFor(programs, L"", messenger)));
    items.push_back(FileRemoval(LinkPathFor(programs, kMenuSubfolder, messenger)));
    for (const RawFileEntry& f : kInstallFolderFiles)
        items.push_back(
            FileRemoval(LinkPathFor(programs, kMenuSubfolder, LinkNameFor(installFolder + f.FileName))));
    const std::wstring menu = StartMenuFolder();
    if (!menu.empty())
        items.push_back(FolderRemoval(menu));
}

void AddRegistry(std::vector<RemovalItem>& items)
{
    items.push_back(TreeRemoval(HKEY_CURRENT_USER, std::string(kUninstallKey) + "\\" + kUninstallSubkey));
    items.push_back(ValueRemoval(HKEY_LOCAL_MACHINE, kRunKey, kAutostartValue));
    items.push_back(ValueRemoval(HKEY_CURRENT_USER, kProductKey, kInstallPathValue));
    items.push_back(ValueRemoval(HKEY_CURRENT_USER, kProductKey, kFirstTimeValue));
    for (const DefaultSetting& setting : kDefaultSettings)
        items.push_back(ValueRemoval(HKEY_CURRENT_USER, kConfigKey, setting.Name));
    items.push_back(KeyIfEmptyRemoval(HKEY_CURRENT_USER, kConfigKey));
    items.push_back(KeyIfEmptyRemoval(HKEY_CURRENT_USER, kProductKey));
}
}  // namespace

std::vector<RemovalItem> InstallationItems()
{
    const std::wstring installFolder = InstallFolder();
    const std::wstring sharedFolder = SharedDataFolder();
    std::vector<RemovalItem> items;
    for (const PayloadEntry& p : kPayloads)
        items.push_back(FileRemoval(installFolder + p.TargetFile));
    for (const RawFileEntry& f : kInstallFolderFiles)
        items.push_back(FileRemoval(installFolder + f.FileName));
    for (const PayloadEntry& p : kPayloads)
        items.push_back(FileRemoval(installFolder + p.StreamFile));
    for (const RawFileEntry& f : kSharedDataFiles)
        items.push_back(FileRemoval(sharedFolder + f.FileName));
    items.push_back(FolderRemoval(sharedFolder));
    AddLinks(items, installFolder);
    AddRegistry(items);
    items.push_back(FolderRemoval(installFolder));
    return items;
}

std::wstring InstalledMessengerPath()
{
    return InstallFolder() + kPayloads[0].TargetFile;
}

std::vector<RemovalFailure> RemoveInstallation()
{
    // Computed first so that a missing special folder stops before anything is closed.
    const std::vector<RemovalItem> items = InstallationItems();
    CloseRunningInstances(InstalledMessengerPath());
    return RemoveItems(items);
}
