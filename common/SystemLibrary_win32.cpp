#include "common/SystemLibrary_win32.h"

FARPROC SystemFunction(const wchar_t* library, const char* name)
{
    wchar_t path[MAX_PATH];
    const UINT folder = ::GetSystemDirectoryW(path, MAX_PATH);
    const int length = ::lstrlenW(library);
    if (folder == 0 || folder + 1 + static_cast<UINT>(length) >= MAX_PATH)
        return nullptr;
    path[folder] = L'\\';
    ::lstrcpyW(path + folder + 1, library);
    const HMODULE module = ::LoadLibraryW(path);
    return module ? ::GetProcAddress(module, name) : nullptr;
}
