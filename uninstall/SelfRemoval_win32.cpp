#include "uninstall/SelfRemoval_win32.h"

#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <vector>


const wchar_t* const kContinueOption = L"/continue";

namespace {
// Prefix of the private folders of second stages below the temporary folder.
const wchar_t* const kStageFolderPrefix = L"MarlowindUninstall.";

std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH)
        return std::wstring();
    std::wstring path(buffer, n);
    if (path.back() != L'\\')
        path += L'\\';
    return path;
}

// A folder that did not exist before: nothing planted in it can be loaded as a library of the
// copy that runs from there.
std::wstring CreatePrivateFolder(const std::wstring& temp)
{
    const DWORD pid = ::GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = temp + kStageFolderPrefix + std::to_wstring(pid) + L"." +
                                    std::to_wstring(attempt);
        if (::CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return std::wstring();
}

std::wstring FolderPart(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FileNamePart(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Owner of a FindFirstFileW search.
class FileSearch {
public:
    FileSearch(const std::wstring& pattern, WIN32_FIND_DATAW& entry)
        : handle_(::FindFirstFileW(pattern.c_str(), &entry)), entry_(entry) {}
    ~FileSearch()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::FindClose(handle_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next() { return ::FindNextFileW(handle_, &entry_) != FALSE; }

private:
    HANDLE handle_;
    WIN32_FIND_DATAW& entry_;
};

void RemoveFilesAndFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW file;
    FileSearch files(folder + L"\\*", file);
    if (files.Found()) {
        do {
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileW((folder + L"\\" + file.cFileName).c_str());
        } while (files.Next());
    }
    ::RemoveDirectoryW(folder.c_str());
}

bool SameTextIgnoringCase(const std::wstring& a, size_t length, const std::wstring& b)
{
    return ::CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(),
                            static_cast<int>(length), b.c_str(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool IsStageFolder(const std::wstring& folder)
{
    const std::wstring temp = TempFolder();
    const std::wstring prefix = temp + kStageFolderPrefix;
    return !temp.empty() && folder.size() > prefix.size() &&
           SameTextIgnoringCase(folder, prefix.size(), prefix) &&
           folder.find(L'\\', prefix.size()) == std::wstring::npos;
}
}  // namespace

std::wstring OwnExecutablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::wstring();
        if (n < buffer.size())
            return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

bool StartSecondStage()
{
    const std::wstring own = OwnExecutablePath();
    const std::wstring temp = TempFolder();
    if (own.empty() || temp.empty())
        return false;
    const std::wstring folder = CreatePrivateFolder(temp);
    if (folder.empty())
        return false;
    const std::wstring copy = folder + L"\\" + FileNamePart(own);
    bool started = false;
    if (::CopyFileW(own.c_str(), copy.c_str(), TRUE)) {
        HANDLE self = nullptr;
        if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                              &self, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
            const UniqueHandle selfOwner(self);
            std::wstring commandLine =
                L"\"" + copy + L"\" " + kContinueOption + L" " +
                std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(self)));
            STARTUPINFOW si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (::CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 temp.c_str(), &si, &pi)) {
                ::CloseHandle(pi.hThread);
                ::CloseHandle(pi.hProcess);
                started = true;
            }
        }
    }
    if (!started) {
        ::DeleteFileW(copy.c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    return started;
}

UniqueHandle SecondStageStarter(const wchar_t* commandLine)
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(commandLine, &count);
    if (!args)
        return UniqueHandle();
    unsigned long long value = 0;
    bool parsed = false;
    if (count == 3 && std::wcscmp(args[1], kContinueOption) == 0 && args[2][0] != L'\0') {
        wchar_t* end = nullptr;
        value = std::wcstoull(args[2], &end, 10);
        parsed = end && *end == L'\0' && value != 0;
    }
    ::LocalFree(args);
    if (!parsed)
        return UniqueHandle();
    HANDLE h = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    // Only an inherited handle of another process counts; a number typed by hand names
    // nothing, or something that is not a process.
    if (::GetProcessId(h) == 0 || ::GetProcessId(h) == ::GetCurrentProcessId())
        return UniqueHandle();
    return UniqueHandle(h);
}

void WaitForStarter(const UniqueHandle& starter, DWORD timeoutMs)
{
    if (starter)
        ::WaitForSingleObject(starter.get(), timeoutMs);
}

void RemoveEarlierStages()
{
    const std::wstring temp = TempFolder();
    if (temp.empty())
        return;
    const std::wstring own = FolderPart(OwnExecutablePath());
    WIN32_FIND_DATAW entry;
    // The pattern also matches names without the dot; IsStageFolder sorts those out.
    FileSearch search(temp + kStageFolderPrefix + L"*", entry);
    if (!search.Found())
        return;
    do {
        const std::wstring folder = temp + entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsStageFolder(folder) &&
            !SameTextIgnoringCase(folder, folder.size(), own))
            RemoveFilesAndFolder(folder);
    } while (search.Next());
}

bool ScheduleOwnRemoval()
{
    const std::wstring own = OwnExecutablePath();
    if (own.empty())
        return false;
    const bool scheduled =
        ::MoveFileExW(own.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    const std::wstring folder = FolderPart(own);
    // Entries run in order at the restart: the file first, then its emptied folder.
    if (scheduled && IsStageFolder(folder))
        ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return scheduled;
}
