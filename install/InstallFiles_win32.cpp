#include "install/InstallFiles_win32.h"

#include <windows.h>

#include "install/FileStreams_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/PayloadFiles_win32.h"
#include "install/Shortcuts_win32.h"

const PayloadEntry kPayloads[4] = {
    {"MRLWND", "Marlowind.zip", "Marlowind.exe"},
    {"MRLWNDT", "Ririvud.zip", "Ririvud"},
    {"UNINSTALL", "UninstallMW.zip", "UninstallMW.exe"},
    {"UPDATE", "Marlupdate.zip", "MarlUpdate.exe"},
};

const RawFileEntry kInstallFolderFiles[2] = {
    {"URL", "ONWEB", "Marlowind on the web.url"},
    {"TXT", "LICENSE", "License.txt"},
};

const RawFileEntry kSharedDataFiles[9] = {
    {"PNG", "WALL1", "wall1.png"},     {"PNG", "WALL2", "wall2.png"},
    {"PNG", "WALL3", "wall3.png"},     {"PNG", "WALL4", "wall4.png"},
    {"PNG", "SMWALL1", "smwall1.png"}, {"PNG", "SMWALL2", "smwall2.png"},
    {"PNG", "SMWALL3", "smwall3.png"}, {"PNG", "SMWALL4", "smwall4.png"},
    {"PNG", "ABOUT", "about.png"},
};

namespace {
// Files an earlier installation left in the install folder. The theme's stream file is listed,
// not the theme itself: that one is overwritten when it is inflated.
const char* const kStaleInstallFiles[] = {
    "Marlowind.exe", "Ririvud.zip", "UninstallMW.exe",
    "MarlUpdate.exe", "Marlowind on the web.url", "License.txt",
};

void EnsureFolder(const std::string& folder)
{
    if (!DirectoryExists(folder))
        ::CreateDirectoryA(folder.c_str(), nullptr);
}

void DeleteIfPresent(const std::string& path)
{
    if (FileExists(path))
        ::DeleteFileA(path.c_str());
}
}  // namespace

void InstallFiles()
{
    const std::string installFolder = InstallFolder();
    const std::string sharedFolder = SharedDataFolder();

    EnsureFolder(installFolder);
    EnsureFolder(sharedFolder);
    for (const char* name : kStaleInstallFiles)
        DeleteIfPresent(installFolder + name);
    // Give the file system time to let go of files just deleted (a closing messenger, a
    // virus scanner) before they are created anew.
    ::Sleep(100);

    for (const PayloadEntry& p : kPayloads) {
        const std::string stream = installFolder + p.StreamFile;
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
        ::DeleteFileA((installFolder + p.StreamFile).c_str());

    WriteUninstallEntry();
    CreateProgramShortcuts();
    CreateStartMenuShortcuts();
    WriteAutostartEntry();
    WriteInstallPath();
    WriteDefaultSettings();
    WriteFirstTimeFlag();
}
