#include "install/InstallFiles_win32.h"

#include <windows.h>

#include "common/CodePage_win32.h"
#include "common/SafeFiles_win32.h"

#include "install/FileStreams_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/PayloadFiles_win32.h"
#include "install/Registry_win32.h"
#include "install/Shortcuts_win32.h"

const PayloadEntry kPayloads[4] = {
    {"MRLWND", L"Marlowind.zip", L"Marlowind.exe"},
    {"MRLWNDT", L"Ririvud.zip", L"Ririvud"},
    {"UNINSTALL", L"UninstallMW.zip", L"UninstallMW.exe"},
    {"UPDATE", L"Marlupdate.zip", L"MarlUpdate.exe"},
};

const RawFileEntry kInstallFolderFiles[2] = {
    {"URL", "ONWEB", L"Marlowind on the web.url"},
    {"TXT", "LICENSE", L"License.txt"},
};

const RawFileEntry kSharedDataFiles[9] = {
    {"PNG", "WALL1", L"wall1.png"},     {"PNG", "WALL2", L"wall2.png"},
    {"PNG", "WALL3", L"wall3.png"},     {"PNG", "WALL4", L"wall4.png"},
    {"PNG", "SMWALL1", L"smwall1.png"}, {"PNG", "SMWALL2", L"smwall2.png"},
    {"PNG", "SMWALL3", L"smwall3.png"}, {"PNG", "SMWALL4", L"smwall4.png"},
    {"PNG", "ABOUT", L"about.png"},
};

namespace {
// Files an earlier installation left in the install folder. The theme's stream file is listed,
// not the theme itself: that one is overwritten when it is inflated.
const wchar_t* const kStaleInstallFiles[] = {
    L"Marlowind.exe", L"Ririvud.zip", L"UninstallMW.exe",
    L"MarlUpdate.exe", L"Marlowind on the web.url", L"License.txt",
};

void EnsureFolder(const std::wstring& folder)
{
    if (!DirectoryExists(folder))
        ::CreateDirectoryW(folder.c_str(), nullptr);
}

void DeleteIfPresent(const std::wstring& path)
{
    if (FileExists(path))
        SafeDeleteFile(path);
}

std::wstring WithoutSeparator(const std::wstring& folder)
{
    return folder.substr(0, folder.find_last_not_of(L'\\') + 1);
}

// Any user may have made the shared folder beforehand, as a link to a place of their choosing.
void RefuseLinkedFolder(const std::wstring& folder)
{
    if (CheckFolderNotLink(folder) == kErrorLinkRefused)
        throw EFolderLinkError(Format("Cannot use folder \"%s\": it is a link to another place",
                                      ToSystemCodePage(WithoutSeparator(folder)).c_str()));
}

// The shared folder is made with its own access list, or given it when it was there already,
// so that users can read what is in it but plant nothing; failures are ignored as for the
// install folder (a file system without access lists still gets the no-follow writes).
void EnsureSharedFolder(const std::wstring& folder)
{
    const std::wstring path = WithoutSeparator(folder);
    if (CreateFolderWithAccess(path, kSharedFolderAccess) == ERROR_SUCCESS)
        return;
    RefuseLinkedFolder(folder);
    SetFolderAccess(path, kSharedFolderAccess);
}
}  // namespace

void InstallFiles()
{
    const std::wstring installFolder = InstallFolder();
    const std::wstring sharedFolder = SharedDataFolder();
    // The registry records name the install folder in the system code page: a folder the code
    // page can't spell is refused before anything is written.
    RegistryPathText(installFolder);
    RefuseLinkedFolder(sharedFolder);

    EnsureFolder(installFolder);
    EnsureSharedFolder(sharedFolder);
    for (const wchar_t* name : kStaleInstallFiles)
        DeleteIfPresent(installFolder + name);
    // Give the file system time to let go of files just deleted (a closing messenger, a
    // virus scanner) before they are created anew.
    ::Sleep(100);

    for (const PayloadEntry& p : kPayloads) {
        const std::wstring stream = installFolder + p.StreamFile;
        WriteResourceFile(p.Resource, "ZIP", stream);
        InflateFile(stream, installFolder + p.TargetFile);
    }
    for (const RawFileEntry& f : kInstallFolderFiles)
        WriteResourceFile(f.Resource, f.Type, installFolder + f.FileName);

    for (const RawFileEntry& f : kSharedDataFiles)
        DeleteIfPresent(sharedFolder + f.FileName);
    ::Sleep(100);
    for (const RawFileEntry& f : kSharedDataFiles)
        WriteResourceFile(f.Resource, f.Type, sharedFolder + f.FileName);

    for (const PayloadEntry& p : kPayloads)
        SafeDeleteFile(installFolder + p.StreamFile);

    WriteUninstallEntry();
    CreateProgramShortcuts();
    CreateStartMenuShortcuts();
    WriteAutostartEntry();
    WriteInstallPath();
    WriteDefaultSettings();
    WriteFirstTimeFlag();
}
