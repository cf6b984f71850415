#include "uninstall/SelfRemoval_win32.h"

#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "common/DecimalText.h"
#include "common/PathParts.h"
#include "uninstall/StageFolder_win32.h"

const wchar_t* const kContinueOption = L"/continue";

namespace {
// The folder a file is in, without a trailing separator.
std::wstring FolderPart(const std::wstring& path)
{
    return WithoutTrailingSeparators(FolderOf(path));
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
    const std::wstring temp = TempFolderW();
    if (own.empty() || temp.empty())
        return false;
    // Elevated, the stage is closed to the desktop user's programs, which could otherwise put
    // files beside the copy that runs with administrator rights.
    StageFolder stage = CreateStageFolder(temp, ProcessIsElevated());
    if (stage.Path.empty())
        return false;
    const std::wstring copy = stage.Path + L"\\" + kStageExecutable;
    bool started = false;
    if (::CopyFileW(own.c_str(), copy.c_str(), TRUE)) {
        HANDLE self = nullptr;
        if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                              &self, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
            const UniqueHandle selfOwner(self);
            std::wstring commandLine = L"\"" + copy + L"\" " + kContinueOption + L" " +
                                       DecimalText(reinterpret_cast<uintptr_t>(self));
            STARTUPINFOW si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (::CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 temp.c_str(), &si, &pi)) {
                const UniqueHandle thread(pi.hThread), process(pi.hProcess);
                started = true;
            }
        }
    }
    if (!started)
        DiscardStageFolder(stage);
    return started;
}

UniqueHandle SecondStageStarter(const wchar_t* commandLine)
{
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(commandLine, &count);
    if (!args)
        return UniqueHandle();
    const UniqueLocal argsOwner(args);
    unsigned long long value = 0;
    bool parsed = false;
    if (count == 3 && std::wcscmp(args[1], kContinueOption) == 0 && args[2][0] != L'\0') {
        wchar_t* end = nullptr;
        value = std::wcstoull(args[2], &end, 10);
        parsed = end && *end == L'\0' && value != 0;
    }
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
    RemoveStageFolders(TempFolderW(), FolderPart(OwnExecutablePath()));
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
    if (scheduled && IsStageFolderName(TempFolderW(), folder))
        ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return scheduled;
}
