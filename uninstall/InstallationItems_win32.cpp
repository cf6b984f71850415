#include "uninstall/InstallationItems_win32.h"

#include <windows.h>

#include "common/DecimalText.h"
#include "common/PathParts.h"
#include "common/ProductFacts.h"
#include "common/UniqueHandle_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/LinkName.h"
#include "install/Shortcuts_win32.h"
#include "install/TransactionRecord_win32.h"
#include "system/Shutdown_win32.h"
#include "uninstall/SelfRemoval_win32.h"

namespace {
std::string UninstallEntryKey()
{
    return std::string(kUninstallKey) + "\\" + kUninstallSubkey;
}

// ERROR_SUCCESS when the uninstall entry's values and key may be deleted (or there is none),
// else the system's reason.
LONG EntryDeletable()
{
    UniqueHkey key;
    const LONG opened = ::RegOpenKeyExA(HKEY_CURRENT_USER, UninstallEntryKey().c_str(), 0,
                                        KEY_SET_VALUE | KEY_QUERY_VALUE | DELETE, key.receive());
    return opened == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : opened;
}

bool InUse(DWORD code)
{
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

DWORD ScheduleDeletion(const std::wstring& path)
{
    return ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? ERROR_SUCCESS
                                                                              : ::GetLastError();
}

// The installed uninstaller, whose program may be running as the first stage: moved into
// `stageFolder`, else deleted, else renamed beside itself under a name no install writes and
// left to the next restart (the rename keeps an install made before the restart from losing
// its new file to that deletion). Sets `leftToRestart` then.
RemovalOutcome RemoveUninstallerFile(const std::wstring& stageFolder, bool& leftToRestart,
                                     DWORD& error)
{
    const std::wstring path = InstalledUninstallerPath();
    if (!stageFolder.empty() && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        SetAsideInto(path, stageFolder) == ERROR_SUCCESS)
        return RemovalOutcome::Removed;
    const RemovalOutcome deleted = RemoveItem(FileRemoval(path), &error);
    if (deleted != RemovalOutcome::Failed || !InUse(error))
        return deleted;
    const std::wstring aside = path + L"." + DecimalText(::GetCurrentProcessId()) + L".remove";
    // Scheduled before it exists: a run killed between the two leaves no name that nobody
    // removes.
    DWORD code = ScheduleDeletion(aside);
    if (code == ERROR_SUCCESS && !::MoveFileExW(path.c_str(), aside.c_str(), 0))
        code = ::GetLastError();
    if (code != ERROR_SUCCESS) {
        error = code;
        return RemovalOutcome::Failed;
    }
    leftToRestart = true;
    return RemovalOutcome::Removed;
}

void AddLinks(std::vector<RemovalItem>& items, const std::wstring& installFolder)
{
    const std::wstring messenger = LinkNameFor(installFolder + kMessengerPayload.TargetFile);
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
        if (&p != &kUninstallerPayload)
            items.push_back(FileRemoval(installFolder + p.TargetFile));
    for (const RawFileEntry& f : kInstallFolderFiles)
        items.push_back(FileRemoval(installFolder + f.FileName));
    for (const PayloadEntry& p : kPayloads)
        items.push_back(FileRemoval(installFolder + p.StreamFile));
    for (const RawFileEntry& f : kSharedDataFiles)
        items.push_back(SharedFileRemoval(sharedFolder + f.FileName));
    items.push_back(FolderRemoval(sharedFolder));
    AddLinks(items, installFolder);
    AddRegistry(items);
    return items;
}

std::vector<RemovalItem> UninstallEntryItems()
{
    std::vector<RemovalItem> items;
    for (const char* name : kUninstallEntryValues)
        items.push_back(ValueRemoval(HKEY_CURRENT_USER, UninstallEntryKey(), name));
    items.push_back(KeyIfEmptyRemoval(HKEY_CURRENT_USER, UninstallEntryKey()));
    items.push_back(FolderRemoval(InstallFolder()));
    return items;
}

std::wstring InstalledUninstallerPath()
{
    return InstallFolder() + kUninstallerPayload.TargetFile;
}

bool UninstallEntryKept()
{
    UniqueHkey key;
    const DWORD attributes = ::GetFileAttributesW(InstalledUninstallerPath().c_str());
    return ::RegOpenKeyExA(HKEY_CURRENT_USER, UninstallEntryKey().c_str(), 0, KEY_QUERY_VALUE,
                           key.receive()) == ERROR_SUCCESS &&
           attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring InstalledMessengerPath()
{
    return InstallFolder() + kMessengerPayload.TargetFile;
}

std::wstring InstalledUpdaterPath()
{
    return InstallFolder() + kUpdaterPayload.TargetFile;
}

std::vector<RemovalFailure> RemoveInstallation(const std::wstring& stageFolder, bool* leftToRestart)
{
    // Computed first so that a missing special folder stops before anything is closed.
    const std::vector<RemovalItem> items = InstallationItems();
    const std::vector<RemovalItem> entry = UninstallEntryItems();
    // An install cut short is finished or undone first, so that its set-aside and staged files
    // go with the rest.
    FinishInterruptedInstall();
    CloseRunningInstances(InstalledMessengerPath());
    CloseRunningInstances(InstalledUpdaterPath());
    std::vector<RemovalFailure> failures = RemoveItems(items);
    // While anything stays, the uninstaller and the entry that lists it stay too, so that the
    // user can run it again.
    if (!failures.empty())
        return failures;
    // Nor is the uninstaller removed when its entry could not go after it.
    const LONG deletable = EntryDeletable();
    if (deletable != ERROR_SUCCESS)
        return {{KeyIfEmptyRemoval(HKEY_CURRENT_USER, UninstallEntryKey()), static_cast<DWORD>(deletable)}};
    bool restart = false;
    DWORD error = 0;
    if (RemoveUninstallerFile(stageFolder, restart, error) == RemovalOutcome::Failed)
        return {{FileRemoval(InstalledUninstallerPath()), error}};
    failures = RemoveItems(entry);
    // The folder holds the uninstaller's renamed file until the restart, then nothing.
    if (restart)
        ScheduleDeletion(WithoutTrailingSeparators(InstallFolder()));
    if (leftToRestart)
        *leftToRestart = restart;
    return failures;
}
