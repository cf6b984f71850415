#pragma once
// The system's special folders, by CSIDL number. Paths are UTF-16 (a folder below the user's
// profile holds the user's name, which the system code page may lack), returned as the system
// gives them (no trailing separator). No lookup creates a folder.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/Exception.h"
#include "common/UniqueHandle_win32.h"

// The path of special folder `csidl` (SHGetFolderPathW of shell32, current path, current
// user), or an empty string when the system has none.
std::wstring GetSpecialFolder(int csidl);

// The user's Start menu found through its item-id list (CSIDL_STARTMENU), or an empty string.
// `owner` is the window that any shell dialogue would belong to.
std::wstring GetStartMenuFolder(HWND owner = nullptr);

// Frees an item-id list that the shell allocated; null is ignored.
void FreeItemIdList(LPITEMIDLIST list);
// An item-id list the shell allocated, freed with FreeItemIdList.
using UniqueItemIdList = UniqueResource<WinTraits<LPITEMIDLIST, NullValue<LPITEMIDLIST>, FreeItemIdList>>;

// A special folder that the system can't name.
class ESpecialFolderError : public Exception {
public:
    using Exception::Exception;
};

// GetSpecialFolder(csidl), but raises ESpecialFolderError "Cannot find the %s folder (CSIDL %d)"
// (for example "program files", 38) instead of returning an empty path: everything below
// such a folder would otherwise land at the root of the current drive.
std::wstring RequireSpecialFolder(int csidl);
