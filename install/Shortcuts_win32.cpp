#include "install/Shortcuts_win32.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "common/CodePage_win32.h"
#include "common/SystemError_win32.h"
#include "install/ComPtr_win32.h"
#include "install/FileStreams_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/LinkName.h"

const char* const kMenuSubfolder = "Marlowind";

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

std::string ShortcutFolder(ShortcutLocation location)
{
    switch (location) {
    case slDesktop: return GetSpecialFolder(CSIDL_DESKTOP);
    case slStartMenuIdList: return GetStartMenuFolder();
    case slSendTo: return GetSpecialFolder(CSIDL_SENDTO);
    case slStartMenu: return GetSpecialFolder(CSIDL_STARTMENU);
    case slCommonPrograms: return GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
    default: return std::string();
    }
}

bool WriteShortcut(const std::string& target, ShortcutLocation location,
                   const std::string& subfolder, const std::string& workingDir,
                   const std::string& arguments, const std::string& description,
                   ShortcutAction action)
{
    ComPtr<IShellLinkA> link;
    const HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr,
                                          CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                          IID_IShellLinkA, link.receiveVoid());
    if (FAILED(hr))
        throw EOleSysError(Format("%s, ClassID: %s", SystemErrorText(static_cast<DWORD>(hr)).c_str(),
                                  GuidText(CLSID_ShellLink).c_str()));
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receiveVoid())))
        throw EIntfCastError("Interface not supported");

    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetDescription(description.c_str());

    const std::string linkName = LinkNameFor(target);
    const std::string folder = ShortcutFolder(location);
    if (folder.empty())
        return true;
    const std::wstring linkPath = FromSystemCodePage(LinkPathFor(folder, subfolder, linkName));
    link->SetWorkingDirectory(workingDir.empty() ? FolderOf(target).c_str() : workingDir.c_str());

    switch (action) {
    case saCreate:
        file->Save(linkPath.c_str(), FALSE);
        return true;
    case saDelete:
        ::DeleteFileW(linkPath.c_str());
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
    const std::string messenger = InstallFolder() + "Marlowind.exe";
    WriteShortcut(messenger, slDesktop, "", "", "", "Marlowind messenger", saCreate);
    WriteShortcut(messenger, slCommonPrograms, "", "", "", "Marlowind messenger", saCreate);
}

void CreateStartMenuShortcuts()
{
    const std::string folder = InstallFolder();
    const std::string menu = StartMenuFolder();
    if (!menu.empty() && !DirectoryExists(menu))
        ::CreateDirectoryA(menu.c_str(), nullptr);
    WriteShortcut(folder + "Marlowind.exe", slCommonPrograms, kMenuSubfolder, "", "", "Marlowind messenger", saCreate);
    WriteShortcut(folder + "Marlowind on the web.url", slCommonPrograms, kMenuSubfolder, "", "", "Marlowind on the web", saCreate);
    WriteShortcut(folder + "License.txt", slCommonPrograms, kMenuSubfolder, "", "", "Marlowind license", saCreate);
}
