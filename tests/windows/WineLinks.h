#pragma once
// Planting Unix symbolic links in the Wine prefix from inside a test: Wine shows a Unix link to
// a folder as a reparse point, and follows both kinds the way a junction or a symbolic link is
// followed on Windows. Wine can't create links of its own (CreateSymbolicLinkW does nothing);
// it can run the host's tools, and it names the Unix path of a Windows path.
#include <windows.h>

#include <initializer_list>
#include <string>

// The Unix path of a Windows path (UTF-8), empty outside Wine.
inline std::string UnixPath(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    const std::string out = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}

// Starts /bin/<tool> with the given arguments. Wine hands a Unix program over to the host
// without a process to wait for: callers wait for the tool's effect.
inline void RunHostTool(const char* tool, std::initializer_list<std::string> args)
{
    std::string command = std::string("Z:\\bin\\") + tool;
    for (const std::string& a : args)
        command += " \"" + a + "\"";
    std::wstring wide(command.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, command.c_str(), -1, &wide[0],
                                                          static_cast<int>(wide.size())) - 1));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (::CreateProcessW(nullptr, &wide[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                         nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

// Whether a directory entry of that name exists (Wine answers for a dangling link as for no
// file at all; a search still sees the name).
inline bool NameExists(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

template <typename Done>
bool WaitUntil(Done done)
{
    for (int i = 0; i < 200 && !done(); ++i)
        ::Sleep(25);
    return done();
}

// Makes `link` (a Windows path whose parent exists) a Unix symbolic link to `target`
// (a Windows path, which need not exist). Returns whether the link is there afterwards.
inline bool PlantUnixLink(const std::wstring& link, const std::wstring& target)
{
    const std::string from = UnixPath(target), to = UnixPath(link);
    if (from.empty() || to.empty())
        return false;
    RunHostTool("ln", {"-s", from, to});
    return WaitUntil([&] { return NameExists(link); });
}

// Removes `path` and everything below it on the host, links as names only (never followed).
inline void RemoveTreeOnHost(const std::wstring& path)
{
    const std::string unix = UnixPath(path);
    if (unix.empty() || unix == "/" || !NameExists(path))
        return;
    RunHostTool("rm", {"-rf", unix});
    WaitUntil([&] { return !NameExists(path); });
}
