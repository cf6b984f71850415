#include "install/InstallFiles_win32.h"

#include <windows.h>

#include <iterator>

#include "common/CodePage_win32.h"
#include "common/PathParts.h"
#include "common/SafeFiles_win32.h"
#include "install/FileStreams_win32.h"
#include "install/FileTransaction_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/PayloadFiles_win32.h"
#include "install/TransactionRecord_win32.h"
#include "install/Registry_win32.h"
#include "install/Shortcuts_win32.h"

namespace {
// Any user may have made the shared folder beforehand, as a link to a place of their choosing.
void RefuseLinkedFolder(const std::wstring& folder)
{
    if (CheckFolderNotLink(folder) == kErrorLinkRefused)
        throw EFolderLinkError(tiErrFolderIsLink,
                               ToSystemCodePage(WithoutTrailingSeparators(folder)));
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

constexpr size_t kPayloadCount = std::size(kPayloads);
constexpr size_t kInstallFileCount = std::size(kInstallFolderFiles);
constexpr size_t kSharedFileCount = std::size(kSharedDataFiles);

// Where the run writes each payload: its stream file and the staged name of its target.
struct PayloadNames {
    std::wstring Stream;
    std::wstring Target;
};

// Every name the run writes, planned before the first write so that the record lists it. A
// stream file an interrupted run of an older version left goes with the earlier installation.
void PlanFiles(FileTransaction& files, const std::wstring& installFolder,
               const std::wstring& sharedFolder, PayloadNames (&payloads)[kPayloadCount],
               std::wstring (&installFiles)[kInstallFileCount], std::wstring (&sharedFiles)[kSharedFileCount])
{
    for (size_t i = 0; i < kPayloadCount; ++i) {
        payloads[i].Target = files.Replace(installFolder + kPayloads[i].TargetFile);
        files.Retire(installFolder + kPayloads[i].StreamFile);
        payloads[i].Stream = files.Scratch(installFolder + kPayloads[i].StreamFile);
    }
    for (size_t i = 0; i < kInstallFileCount; ++i)
        installFiles[i] = files.Replace(installFolder + kInstallFolderFiles[i].FileName);
    for (size_t i = 0; i < kSharedFileCount; ++i)
        sharedFiles[i] = files.Replace(sharedFolder + kSharedDataFiles[i].FileName);
}

// The new files, each written whole under its staged name and handed to the transaction, which
// keeps it open for the swap. They are flushed together during the second pause, which, as the
// first one (made by Begin() while the record is flushed), gives a messenger closed a moment ago
// (or a virus scanner) time to let go of the files the swap renames; both come before the swap,
// so the installation stays whole meanwhile.
void WriteStagedFiles(FileTransaction& files, const PayloadNames (&payloads)[kPayloadCount],
                      const std::wstring (&installFiles)[kInstallFileCount],
                      const std::wstring (&sharedFiles)[kSharedFileCount])
{
    UniqueFile written, stream;
    for (size_t i = 0; i < kPayloadCount; ++i) {
        // The stream file is read back and, in the swap, deleted through the handle it was
        // written with.
        WriteResourceFile(kPayloads[i].Resource, "ZIP", payloads[i].Stream, false, &stream);
        InflateFile(stream, payloads[i].Target, &written);
        files.Keep(payloads[i].Target, std::move(written));
        files.Keep(payloads[i].Stream, std::move(stream));
    }
    for (size_t i = 0; i < kInstallFileCount; ++i) {
        WriteResourceFile(kInstallFolderFiles[i].Resource, kInstallFolderFiles[i].Type, installFiles[i], false,
                          &written);
        files.Keep(installFiles[i], std::move(written));
    }
    for (size_t i = 0; i < kSharedFileCount; ++i) {
        WriteResourceFile(kSharedDataFiles[i].Resource, kSharedDataFiles[i].Type, sharedFiles[i], false,
                          &written);
        files.Keep(sharedFiles[i], std::move(written));
    }
    files.StartFlushes();
    ::Sleep(100);
}
}  // namespace

void InstallFiles()
{
    const std::wstring installFolder = InstallFolder();
    const std::wstring sharedFolder = SharedDataFolder();
    // The registry records name the install folder in the system code page: a folder the code
    // page can't spell is refused before anything is written.
    // A run cut short (a kill, a power cut) is finished or undone before anything else.
    FinishInterruptedInstall();
    RegistryPathText(installFolder);
    RefuseLinkedFolder(sharedFolder);

    {
        // Nobody else can change the two folders while the run works in them.
        FolderPathCache folders;
        // An error in here puts back what the folders held before.
        FileTransaction files;
        files.EnsureFolder(installFolder);
        EnsureSharedFolder(files, sharedFolder);
        PayloadNames payloads[kPayloadCount];
        std::wstring installFiles[kInstallFileCount], sharedFiles[kSharedFileCount];
        PlanFiles(files, installFolder, sharedFolder, payloads, installFiles, sharedFiles);
        files.Begin(installFolder + kPayloads[0].StreamFile, 100);  // the first pause
        WriteStagedFiles(files, payloads, installFiles, sharedFiles);
        files.Swap();
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
