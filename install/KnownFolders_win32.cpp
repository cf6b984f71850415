#include "install/KnownFolders_win32.h"

#include "common/SystemLibrary_win32.h"

namespace {
// The shell's library, bound when a folder is first asked for: the wizard's first page needs
// none.
constexpr wchar_t kShell[] = L"shell32.dll";
}  // namespace

std::wstring GetSpecialFolder(int csidl)
{
    static const auto folderPath = SYSTEM_FUNCTION(kShell, SHGetFolderPathW);
    wchar_t path[MAX_PATH] = {};
    if (!folderPath || FAILED(folderPath(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    path[MAX_PATH - 1] = L'\0';
    return path;
}

std::wstring GetStartMenuFolder(HWND owner)
{
    static const auto location = SYSTEM_FUNCTION(kShell, SHGetSpecialFolderLocation);
    static const auto pathOf = SYSTEM_FUNCTION(kShell, SHGetPathFromIDListW);
    UniqueItemIdList list;
    if (!location || !pathOf || FAILED(location(owner, CSIDL_STARTMENU, list.receive())) || !list)
        return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (!pathOf(list.get(), path))
        return std::wstring();
    path[MAX_PATH - 1] = L'\0';
    return path;
}

void FreeItemIdList(LPITEMIDLIST list)
{
    // The shell's allocator is the task allocator.
    ::CoTaskMemFree(list);
}

namespace {
const char* FolderTitle(int csidl)
{
    switch (csidl) {
    case CSIDL_DESKTOP: return "desktop";
    case CSIDL_SENDTO: return "SendTo";
    case CSIDL_STARTMENU: return "Start menu";
    case CSIDL_COMMON_PROGRAMS: return "common programs";
    case CSIDL_COMMON_APPDATA: return "common application data";
    case CSIDL_PROGRAM_FILES: return "program files";
    default: return "special";
    }
}
}  // namespace

std::wstring RequireSpecialFolder(int csidl)
{
    std::wstring path = GetSpecialFolder(csidl);
    if (path.empty())
        throw ESpecialFolderError(tiErrSpecialFolder, FolderTitle(csidl), Format("%d", csidl));
    return path;
}
