#include "system/ProcessApi_win32.h"

#include <string>

namespace {
template <typename Fn>
Fn Bind(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    // The entries are looked up by name; their types are those of the documented exports.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

UniqueModule LoadFromSystemFolder(const char* fileName)
{
    // Systems without the restricted search flags reject them with ERROR_INVALID_PARAMETER;
    // there the full path names the file, and LOAD_WITH_ALTERED_SEARCH_PATH makes its own
    // imports resolve from the system folder too rather than from the program's folder.
    HMODULE m = ::LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (m)
        return UniqueModule(m);
    char folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return UniqueModule();
    std::string path(folder, n);
    if (path.back() != '\\')
        path += '\\';
    path += fileName;
    return UniqueModule(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
}  // namespace

ProcessApi::ProcessApi(HMODULE toolHelp, HMODULE psapi)
    : createSnapshot_(Bind<CreateSnapshotFn>(toolHelp, "CreateToolhelp32Snapshot")),
      first_(Bind<ProcessWalkFn>(toolHelp, "Process32First")),
      next_(Bind<ProcessWalkFn>(toolHelp, "Process32Next")),
      enumProcesses_(Bind<EnumProcessesFn>(psapi, "EnumProcesses")),
      baseName_(Bind<ModuleNameFn>(psapi, "GetModuleBaseNameA")),
      fileNameEx_(Bind<ModuleNameFn>(psapi, "GetModuleFileNameExA"))
{
}

UniqueModule ProcessApi::LoadSystemPsapi()
{
    return LoadFromSystemFolder("PSAPI.DLL");
}

const ProcessApi& ProcessApi::System()
{
    static const UniqueModule psapi = LoadSystemPsapi();
    static const ProcessApi api(::GetModuleHandleA("kernel32.dll"), psapi.get());
    return api;
}

HANDLE ProcessApi::CreateSnapshot(DWORD flags, DWORD processId) const
{
    return createSnapshot_ ? createSnapshot_(flags, processId) : INVALID_HANDLE_VALUE;
}

BOOL ProcessApi::FirstProcess(HANDLE snapshot, AnsiProcessEntry* entry) const
{
    return first_ ? first_(snapshot, entry) : FALSE;
}

BOOL ProcessApi::NextProcess(HANDLE snapshot, AnsiProcessEntry* entry) const
{
    return next_ ? next_(snapshot, entry) : FALSE;
}

BOOL ProcessApi::EnumProcessIds(DWORD* ids, DWORD bytes, DWORD* bytesReturned) const
{
    return enumProcesses_ ? enumProcesses_(ids, bytes, bytesReturned) : FALSE;
}

DWORD ProcessApi::ModuleBaseName(HANDLE process, HMODULE module, char* name, DWORD size) const
{
    return baseName_ ? baseName_(process, module, name, size) : 0;
}

DWORD ProcessApi::ModuleFileName(HANDLE process, HMODULE module, char* name,
                                       DWORD size) const
{
    return fileNameEx_ ? fileNameEx_(process, module, name, size) : 0;
}
