#pragma once
// The product's names on disk, in the registry and in the menu: the one place the installer,
// the uninstaller and the skin take them from. Header-only and free of Windows headers, so that
// any area (and the portable code) can read it without linking another area.
// Paths and file names are UTF-16 like every path; registry key and value names are 8-bit
// (system code page) for the ...A registry calls.

// The folder every installation path ends in: program files, the all-users application data
// and the all-users programs menu each get "\Marlowind\" appended (file names follow directly).
inline constexpr const wchar_t* kProductSubfolder = L"\\Marlowind\\";

// One payload: the "ZIP" resource, its temporary stream file and its target in the install
// folder. The updater's two names differ in case; both are used as written.
struct PayloadEntry {
    const char* Resource;
    const wchar_t* StreamFile;
    const wchar_t* TargetFile;
};
inline constexpr PayloadEntry kPayloads[4] = {
    {"MRLWND", L"Marlowind.zip", L"Marlowind.exe"},
    {"MRLWNDT", L"Ririvud.zip", L"Ririvud"},
    {"UNINSTALL", L"UninstallMW.zip", L"UninstallMW.exe"},
    {"UPDATE", L"Marlupdate.zip", L"MarlUpdate.exe"},
};
inline constexpr const PayloadEntry& kMessengerPayload = kPayloads[0];
inline constexpr const PayloadEntry& kThemePayload = kPayloads[1];
inline constexpr const PayloadEntry& kUninstallerPayload = kPayloads[2];
inline constexpr const PayloadEntry& kUpdaterPayload = kPayloads[3];

// One file written as stored: resource type and name, and its file name.
struct RawFileEntry {
    const char* Type;
    const char* Resource;
    const wchar_t* FileName;
};
// The web shortcut and the licence, in the install folder.
inline constexpr RawFileEntry kInstallFolderFiles[2] = {
    {"URL", "ONWEB", L"Marlowind on the web.url"},
    {"TXT", "LICENSE", L"License.txt"},
};
inline constexpr const RawFileEntry& kWebShortcutFile = kInstallFolderFiles[0];
inline constexpr const RawFileEntry& kLicenseFile = kInstallFolderFiles[1];
// Wallpapers, thumbnails and the about picture, in the shared data folder.
inline constexpr RawFileEntry kSharedDataFiles[9] = {
    {"PNG", "WALL1", L"wall1.png"},     {"PNG", "WALL2", L"wall2.png"},
    {"PNG", "WALL3", L"wall3.png"},     {"PNG", "WALL4", L"wall4.png"},
    {"PNG", "SMWALL1", L"smwall1.png"}, {"PNG", "SMWALL2", L"smwall2.png"},
    {"PNG", "SMWALL3", L"smwall3.png"}, {"PNG", "SMWALL4", L"smwall4.png"},
    {"PNG", "ABOUT", L"about.png"},
};
