#pragma once
// Closing running processes: politely by WM_CLOSE to their windows, then by force.
#include <cstdint>
#include <string>

// How `CloseProcess` ended.
enum CloseProcessResult : uint8_t {
    cpFailed = 0,  // own process, process not opened, or still alive and not terminated
    cpClosed = 1,  // ended by itself within the time-out
    cpKilled = 2,  // terminated by force
};

// Posts WM_CLOSE to every top-level window of process `id`, waits up to `timeoutMs`
// milliseconds for it to end and terminates it (exit code 0) if it has not. After a forced
// termination it waits a bounded while for the process to be gone, so that its executable is
// free to be replaced when this returns. The calling process is never touched. Never raises.
CloseProcessResult CloseProcess(uint32_t id, uint32_t timeoutMs);

// The same, for the process `id` only while its main module's full path still equals
// `expectedPath` (ASCII case ignored), read on the handle that the close works through: an id
// from an older process list may belong by now to another program, which is left alone
// (cpFailed), as is a process whose path cannot be read. Never raises.
CloseProcessResult CloseProcess(uint32_t id, uint32_t timeoutMs, const std::string& expectedPath);

// Closes, with a 10 ms time-out each, every process whose main module's full path equals
// `path` after ASCII upper-casing (other bytes must match exactly). Processes whose path
// cannot be read, and the calling process, are left running; so is a process whose path no longer
// matches when it is opened to be closed. Never raises.
void CloseRunningInstances(const std::string& path);

// The same for a UTF-16 path. The process list names processes in the system code page, so a
// path that the code page can't spell closes nothing: with "?" stand-ins it could equal the
// name of another program whose path the code page can't spell either.
void CloseRunningInstances(const std::wstring& path);
