#include "install/Shortcuts_win32.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "common/ComPtr_win32.h"
#include "common/ProductFacts.h"
#include "common/RunLog_win32.h"
#include "common/SafeFiles_win32.h"
#include "common/SystemError_win32.h"
#include "install/FileStreams_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/LinkName.h"

namespace {
std::string GuidText(REFGUID id)
{
    wchar_t wide[64] = {};
    ::StringFromGUID2(id, wide, 64);
    char narrow[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::wstring ShortcutFolder(ShortcutLocation location)
{
    switch (location) {
    case slDesktop: return GetSpecialFolder(CSIDL_DESKTOP);
    case slStartMenuIdList: return GetStartMenuFolder();
    case slSendTo: return GetSpecialFolder(CSIDL_SENDTO);
    case slStartMenu: return GetSpecialFolder(CSIDL_STARTMENU);
    case slCommonPrograms: return GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
    default: return std::wstring();
    }
}

bool WriteShortcut(const std::wstring& target, ShortcutLocation location,
                   const std::wstring& subfolder, const std::wstring& workingDir,
                   const std::wstring& arguments, const std::wstring& description,
                   ShortcutAction action)
{
    ComPtr<IShellLinkW> link;
    const HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr,
                                          CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                          IID_IShellLinkW, link.receiveVoid());
    if (FAILED(hr))
        throw EOleSysError(Format("%s, ClassID: %s", SystemErrorText(static_cast<DWORD>(hr)).c_str(),
                                  GuidText(CLSID_ShellLink).c_str()));
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receiveVoid())))
        throw EIntfCastError(tiErrInterfaceNotSupported);

    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetDescription(description.c_str());

    const std::wstring linkName = LinkNameFor(target);
    const std::wstring folder = ShortcutFolder(location);
    if (folder.empty())
        return true;
    const std::wstring linkPath = LinkPathFor(folder, subfolder, linkName);
    link->SetWorkingDirectory(workingDir.empty() ? FolderOf(target).c_str() : workingDir.c_str());

    switch (action) {
    case saCreate: {
        // The desktop belongs to a user: a link planted under the link's name is not saved
        // through (like any other link that can't be saved, it is simply not there).
        UniqueFile existing;
        bool saved = false;
        if (SafeOpen(linkPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     existing) != kErrorLinkRefused) {
            existing.reset();
            saved = SUCCEEDED(file->Save(linkPath.c_str(), FALSE));
        }
        LogStep(saved ? "Link written:" : "Link not written:", linkPath);
        return true;
    }
    case saDelete:
        SafeDeleteFile(linkPath);
        return true;
    case saExists: {
        const DWORD a = ::GetFileAttributesW(linkPath.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    }
    return true;
}

void CreateProgramShortcuts()
{
    const std::wstring messenger = InstallFolder() + kMessengerPayload.TargetFile;
    WriteShortcut(messenger, slDesktop, L"", L"", L"", kMessengerLinkDescription, saCreate);
    WriteShortcut(messenger, slCommonPrograms, L"", L"", L"", kMessengerLinkDescription, saCreate);
}

void CreateStartMenuShortcuts()
{
    const std::wstring folder = InstallFolder();
    const std::wstring menu = StartMenuFolder();
    if (!menu.empty() && !DirectoryExists(menu))
        ::CreateDirectoryW(menu.c_str(), nullptr);
    WriteShortcut(folder + kMessengerPayload.TargetFile, slCommonPrograms, kMenuSubfolder, L"", L"",
                  kMessengerLinkDescription, saCreate);
    WriteShortcut(folder + kWebShortcutFile.FileName, slCommonPrograms, kMenuSubfolder, L"", L"",
                  kWebLinkDescription, saCreate);
    WriteShortcut(folder + kLicenseFile.FileName, slCommonPrograms, kMenuSubfolder, L"", L"",
                  kLicenseLinkDescription, saCreate);
}
