#pragma once
// The product's names on disk, in the registry and in the menu: the one place the installer,
// the uninstaller and the skin take them from. Header-only and free of Windows headers, so that
// any area (and the portable code) can read it without linking another area.
// Paths, file names and shown texts are UTF-16 like every path; registry key and value names
// and data are 8-bit (system code page) for the ...A registry calls.
#include <cstddef>

// The folder every installation path ends in: program files, the all-users application data
// and the all-users programs menu each get "\Marlowind\" appended (file names follow directly).
inline constexpr const wchar_t* kProductSubfolder = L"\\Marlowind\\";
// The same folder of the all-users programs menu, as the subfolder its links are made in.
inline constexpr const wchar_t* kMenuSubfolder = L"Marlowind";

// Caption of the installer's background window, title of both programs' message boxes.
inline constexpr const wchar_t* kSetupCaption = L"Marlowind setup";
inline constexpr const char* kSetupCaptionA = "Marlowind setup";

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

// The record of an install's file transaction, in the install folder while one runs or was cut
// short; the installer and the uninstaller finish or undo what it shows before anything else.
inline constexpr const wchar_t* kTransactionRecordFile = L"MarlowindSetup.transaction";

// The messenger as the finish step starts it. The spelling differs from the installed file's
// name on purpose (file names on Windows compare without regard to case).
inline constexpr const wchar_t* kMessengerStartFile = L"MarloWind.exe";

// Descriptions of the links to the messenger, its web page and its licence.
inline constexpr const wchar_t* kMessengerLinkDescription = L"Marlowind messenger";
inline constexpr const wchar_t* kWebLinkDescription = L"Marlowind on the web";
inline constexpr const wchar_t* kLicenseLinkDescription = L"Marlowind license";

// Name prefix of the uninstaller's stage folders below the temporary folder.
inline constexpr const wchar_t* kStageFolderPrefix = L"MarlowindUninstall.";
// The mutex that keeps one installer running on the machine.
inline constexpr const wchar_t* kWizardInstanceName = L"MarlowindSetup.Wizard";
// The mutex an uninstaller's run holds from its start to its end (both machine-wide).
inline constexpr const wchar_t* kUninstallInstanceName = L"MarlowindSetup.Uninstall";

// Registry keys: below HKEY_CURRENT_USER the settings, the uninstall list and the product's
// key; below HKEY_LOCAL_MACHINE the autostart list.
inline constexpr const char* kConfigKey = "SOFTWARE\\Marlowind\\Config";
inline constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kUninstallSubkey = "Marlowind";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kProductKey = "Software\\Marlowind";

// Value names of the records (the uninstaller removes the same ones): the uninstall entry's
// DisplayName ... DisplayVersion and then QuietUninstallString, in the order written, the
// autostart value below kRunKey, the install path and the first-run flag below kProductKey.
inline constexpr const char* kUninstallEntryValues[7] = {
    "DisplayName",   "UnInstallString", "DisplayIcon",          "Publisher",
    "EstimatedSize", "DisplayVersion",  "QuietUninstallString",
};
inline constexpr const char* kAutostartValue = "MarloWind";
inline constexpr const char* kInstallPathValue = "InstallPath";
inline constexpr const char* kFirstTimeValue = "IsFirstTime";

// Data of the uninstall entry. The uninstaller is named in lower case there; the installed file
// is kUninstallerPayload.TargetFile.
inline constexpr const char* kDisplayName = "Marlowind instant messenger";
inline constexpr const char* kPublisher = "Marlowind";
inline constexpr const char* kUninstallEntryProgram = "uninstallmw.exe";
// QuietUninstallString: the installed uninstaller's path in quotes, then this switch.
inline constexpr const char* kQuietUninstallSwitch = "/S";
inline constexpr unsigned kEstimatedSizeKiB = 15800;

// The messenger's first-run settings below kConfigKey, in the order they are written.
struct DefaultSetting {
    const char* Name;
    bool Value;
};
inline constexpr DefaultSetting kDefaultSettings[6] = {
    {"autostart", true}, {"soundeffects", true}, {"showsearchbox", true},
    {"showclock", true}, {"showpopup", true},    {"showconsole", false},
};

// Default captions 1 to 6 of the button face painter, used when it is given no caption.
inline constexpr const wchar_t* SCaptionYes = L"Yes";
inline constexpr const wchar_t* SCaptionNo = L"No";
inline constexpr const wchar_t* SCaptionOk = L"Ok";
inline constexpr const wchar_t* SCaptionLicense = L"License";
inline constexpr const wchar_t* SCaptionFeedback = L"Feedback";
inline constexpr const wchar_t* SCaptionSave = L"Save";
inline constexpr size_t SDefaultCaptionCount = 6;
// SDefaultCaptions[i - 1] is default caption i.
inline constexpr const wchar_t* SDefaultCaptions[SDefaultCaptionCount] = {
    SCaptionYes, SCaptionNo, SCaptionOk, SCaptionLicense, SCaptionFeedback, SCaptionSave,
};
