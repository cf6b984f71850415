#include "install/InstallFiles_win32.h"

#include <windows.h>

#include "common/CodePage_win32.h"
#include "common/PathParts.h"
#include "common/Resources_win32.h"
#include "common/SafeFiles_win32.h"
#include "install/FileStreams_win32.h"
#include "install/FileTransaction_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/PayloadFiles_win32.h"
#include "install/Registry_win32.h"
#include "install/Shortcuts_win32.h"

namespace {
// Any user may have made the shared folder beforehand, as a link to a place of their choosing.
void RefuseLinkedFolder(const std::wstring& folder)
{
    if (CheckFolderNotLink(folder) == kErrorLinkRefused)
        throw EFolderLinkError(Format("Cannot use folder \"%s\": it is a link to another place",
                                      ToSystemCodePage(WithoutTrailingSeparators(folder)).c_str()));
}

// The shared folder is made with its own access list, or given it when it was there already,
// so that users can read what is in it but plant nothing; failures are ignored as for the
// install folder (a file system without access lists still gets the no-follow writes). A
// folder made here is the transaction's to remove again if it stays empty.
void EnsureSharedFolder(FileTransaction& files, const std::wstring& folder)
{
    const std::wstring path = WithoutTrailingSeparators(folder);
    if (CreateFolderWithAccess(path, kSharedFolderAccess) == ERROR_SUCCESS) {
        files.FolderCreated(folder);
        return;
    }
    RefuseLinkedFolder(folder);
    SetFolderAccess(path, kSharedFolderAccess);
}

void WriteInstallFolder(FileTransaction& files, const std::wstring& folder)
{
    // Every name the sequence writes in the install folder is set aside, so that a failure can
    // put back everything the run would have replaced: first the files an earlier installation
    // left (for the theme, which is overwritten when it is inflated, its stream file), then the
    // theme and the stream files an interrupted run left.
    for (const PayloadEntry& p : kPayloads)
        files.SetAside(folder + (&p == &kThemePayload ? p.StreamFile : p.TargetFile));
    for (const RawFileEntry& f : kInstallFolderFiles)
        files.SetAside(folder + f.FileName);
    for (const PayloadEntry& p : kPayloads)
        files.SetAside(folder + (&p == &kThemePayload ? p.TargetFile : p.StreamFile));
    // Give the file system time to let go of files just moved (a closing messenger, a virus
    // scanner) before their names are written anew.
    ::Sleep(100);

    for (const PayloadEntry& p : kPayloads) {
        const std::wstring stream = folder + p.StreamFile;
        WriteResourceFile(p.Resource, "ZIP", stream);
        files.Created(stream);
        InflateFile(stream, folder + p.TargetFile);
        files.Created(folder + p.TargetFile);
    }
    for (const RawFileEntry& f : kInstallFolderFiles) {
        WriteResourceFile(f.Resource, f.Type, folder + f.FileName);
        files.Created(folder + f.FileName);
    }
}

void WriteSharedFolder(FileTransaction& files, const std::wstring& folder)
{
    for (const RawFileEntry& f : kSharedDataFiles)
        files.SetAside(folder + f.FileName);
    ::Sleep(100);
    for (const RawFileEntry& f : kSharedDataFiles) {
        WriteResourceFile(f.Resource, f.Type, folder + f.FileName);
        files.Created(folder + f.FileName);
    }
}
}  // namespace

void CheckInstallResources()
{
    for (const PayloadEntry& p : kPayloads)
        CheckResourceStream(p.Resource);
    for (const RawFileEntry& f : kInstallFolderFiles)
        static_cast<void>(ResourceStream(f.Resource, f.Type));
    for (const RawFileEntry& f : kSharedDataFiles)
        static_cast<void>(ResourceStream(f.Resource, f.Type));
}

void InstallFiles()
{
    const std::wstring installFolder = InstallFolder();
    const std::wstring sharedFolder = SharedDataFolder();
    // The registry records name the install folder in the system code page: a folder the code
    // page can't spell is refused before anything is written.
    RegistryPathText(installFolder);
    RefuseLinkedFolder(sharedFolder);
    CheckInstallResources();

    {
        // An error in here puts back what the folders held before.
        FileTransaction files;
        files.EnsureFolder(installFolder);
        EnsureSharedFolder(files, sharedFolder);
        WriteInstallFolder(files, installFolder);
        WriteSharedFolder(files, sharedFolder);
        for (const PayloadEntry& p : kPayloads)
            SafeDeleteFile(installFolder + p.StreamFile);
        files.Commit();
    }

    WriteInstallRecords();
}

void WriteInstallRecords()
{
    WriteUninstallEntry();
    CreateProgramShortcuts();
    CreateStartMenuShortcuts();
    WriteAutostartEntry();
    WriteInstallPath();
    WriteDefaultSettings();
    WriteFirstTimeFlag();
}
