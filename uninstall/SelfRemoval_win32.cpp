#include "uninstall/SelfRemoval_win32.h"

#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <vector>

#include "common/Exception.h"

const wchar_t* const kContinueOption = L"/continue";

namespace {
// Prefix of the private folders of second stages below the temporary folder.
const char* const kStageFolderPrefix = "MarlowindUninstall.";

std::string TempFolder()
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH)
        return std::string();
    std::string path(buffer, n);
    if (path.back() != '\\')
        path += '\\';
    return path;
}

// A folder that did not exist before: nothing planted in it can be loaded as a library of the
// copy that runs from there.
std::string CreatePrivateFolder(const std::string& temp)
{
    const DWORD pid = ::GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string folder = temp + kStageFolderPrefix + Format("%lu.%u", pid, attempt);
        if (::CreateDirectoryA(folder.c_str(), nullptr))
            return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return std::string();
}

std::string FolderPart(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNamePart(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Owner of a FindFirstFileA search.
class FileSearch {
public:
    FileSearch(const std::string& pattern, WIN32_FIND_DATAA& entry)
        : handle_(::FindFirstFileA(pattern.c_str(), &entry)), entry_(entry) {}
    ~FileSearch()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::FindClose(handle_);
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Next() { return ::FindNextFileA(handle_, &entry_) != FALSE; }

private:
    HANDLE handle_;
    WIN32_FIND_DATAA& entry_;
};

void RemoveFilesAndFolder(const std::string& folder)
{
    WIN32_FIND_DATAA file;
    FileSearch files(folder + "\\*", file);
    if (files.Found()) {
        do {
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileA((folder + "\\" + file.cFileName).c_str());
        } while (files.Next());
    }
    ::RemoveDirectoryA(folder.c_str());
}

bool IsStageFolder(const std::string& folder)
{
    const std::string temp = TempFolder();
    const std::string prefix = temp + kStageFolderPrefix;
    return !temp.empty() && folder.size() > prefix.size() &&
           ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, folder.c_str(),
                            static_cast<int>(prefix.size()), prefix.c_str(),
                            static_cast<int>(prefix.size())) == CSTR_EQUAL &&
           folder.find('\\', prefix.size()) == std::string::npos;
}
}  // namespace

std::string OwnExecutablePath()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

bool StartSecondStage()
{
    const std::string own = OwnExecutablePath();
    const std::string temp = TempFolder();
    if (own.empty() || temp.empty())
        return false;
    const std::string folder = CreatePrivateFolder(temp);
    if (folder.empty())
        return false;
    const std::string copy = folder + "\\" + FileNamePart(own);
    bool started = false;
    if (::CopyFileA(own.c_str(), copy.c_str(), TRUE)) {
        HANDLE self = nullptr;
        if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                              &self, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
            const UniqueHandle selfOwner(self);
            std::string commandLine = "\"" + copy + "\" /continue " +
                                      Format("%llu", static_cast<unsigned long long>(
                                                         reinterpret_cast<uintptr_t>(self)));
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (::CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 temp.c_str(), &si, &pi)) {
                ::CloseHandle(pi.hThread);
                ::CloseHandle(pi.hProcess);
                started = true;
            }
        }
    }
    if (!started) {
        ::DeleteFileA(copy.c_str());
        ::RemoveDirectoryA(folder.c_str());
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
    const std::string temp = TempFolder();
    if (temp.empty())
        return;
    const std::string own = FolderPart(OwnExecutablePath());
    WIN32_FIND_DATAA entry;
    // The pattern also matches names without the dot; IsStageFolder sorts those out.
    FileSearch search(temp + kStageFolderPrefix + "*", entry);
    if (!search.Found())
        return;
    do {
        const std::string folder = temp + entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsStageFolder(folder) &&
            ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, folder.c_str(), -1,
                             own.c_str(), -1) != CSTR_EQUAL)
            RemoveFilesAndFolder(folder);
    } while (search.Next());
}

bool ScheduleOwnRemoval()
{
    const std::string own = OwnExecutablePath();
    if (own.empty())
        return false;
    const bool scheduled =
        ::MoveFileExA(own.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    const std::string folder = FolderPart(own);
    // Entries run in order at the restart: the file first, then its emptied folder.
    if (scheduled && IsStageFolder(folder))
        ::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return scheduled;
}
