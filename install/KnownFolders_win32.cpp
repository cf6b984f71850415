#include "install/KnownFolders_win32.h"

#include "common/ComPtr_win32.h"

std::wstring GetSpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    path[MAX_PATH - 1] = L'\0';
    return path;
}

std::wstring GetStartMenuFolder(HWND owner)
{
    UniqueItemIdList list;
    if (FAILED(::SHGetSpecialFolderLocation(owner, CSIDL_STARTMENU, list.receive())) || !list)
        return std::wstring();
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(list.get(), path))
        return std::wstring();
    path[MAX_PATH - 1] = L'\0';
    return path;
}

void FreeItemIdList(LPITEMIDLIST list)
{
    if (!list)
        return;
    ComPtr<IMalloc> allocator;
    if (SUCCEEDED(::SHGetMalloc(allocator.receive())) && allocator)
        allocator->Free(list);
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
