#include "system/Shutdown_win32.h"

#include <windows.h>

#include "common/CodePage_win32.h"
#include "common/RunLog_win32.h"
#include "common/Exception.h"
#include "common/UniqueHandle_win32.h"
#include "system/AsciiText.h"
#include "system/Processes_win32.h"

namespace {
constexpr DWORD kCloseAccess = SYNCHRONIZE | PROCESS_TERMINATE;
// The path is read on the handle the close uses, so it names the process that is closed.
constexpr DWORD kCheckedCloseAccess = kCloseAccess | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr uint32_t kInstanceTimeoutMs = 10;
// TerminateProcess only starts the end of a process; its image stays open until it is gone.
constexpr DWORD kTerminationWaitMs = 5000;

BOOL CALLBACK PostCloseToProcessWindow(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

CloseProcessResult CloseOpened(HANDLE process, uint32_t id, uint32_t timeoutMs)
{
    // While the handle is open the id cannot pass to another process.
    ::EnumWindows(PostCloseToProcessWindow, static_cast<LPARAM>(id));
    if (::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0)
        return cpClosed;
    if (!::TerminateProcess(process, 0))
        return cpFailed;
    ::WaitForSingleObject(process, kTerminationWaitMs);
    return cpKilled;
}
}  // namespace

CloseProcessResult CloseProcess(uint32_t id, uint32_t timeoutMs)
{
    if (id == ::GetCurrentProcessId())
        return cpFailed;
    UniqueHandle process(::OpenProcess(kCloseAccess, FALSE, id));
    if (!process)
        return cpFailed;
    return CloseOpened(process.get(), id, timeoutMs);
}

CloseProcessResult CloseProcess(uint32_t id, uint32_t timeoutMs, const std::string& expectedPath)
{
    if (id == ::GetCurrentProcessId())
        return cpFailed;
    UniqueHandle process(::OpenProcess(kCheckedCloseAccess, FALSE, id));
    if (!process)
        return cpFailed;
    const std::string path = ProcessFileName(process.get(), true);
    if (path.empty() || !SameTextAscii(path, expectedPath))
        return cpFailed;
    return CloseOpened(process.get(), id, timeoutMs);
}

void CloseRunningInstances(const std::string& path)
{
    ProcessList list;
    GetProcessList(list, true);
    LogCodePageLine("Closing running copies of " + path);
    for (const uint32_t id : MatchingProcessIds(list, path)) {
        const CloseProcessResult result = CloseProcess(id, kInstanceTimeoutMs, path);
        LogLine(Format("%s process %u", result == cpClosed   ? "Closed"
                                        : result == cpKilled ? "Ended"
                                                             : "Could not close",
                       static_cast<unsigned>(id))
                    .c_str());
    }
}

void CloseRunningInstances(const std::wstring& path)
{
    std::string text;
    if (ToSystemCodePageExactly(path, text))
        CloseRunningInstances(text);
}
