#pragma once
// The running processes of the system, with their executable names.
#include <windows.h>

#include <cstdint>
#include <string>

#include "system/Platform.h"
#include "system/ProcessApi_win32.h"
#include "system/ProcessList.h"

// The name of the main module of process `id`: its full path when `FullPath`, else its base
// file name. Empty when the process cannot be opened for query and memory read, or its name
// cannot be read. Never raises.
std::string GetProcessFileName(uint32_t id, bool FullPath);
std::string GetProcessFileName(const ProcessApi& api, uint32_t id, bool FullPath);

// The name of the main module of the process behind `process` (opened with query and memory
// read access), named as GetProcessFileName names it; empty when it cannot be read.
std::string ProcessFileName(HANDLE process, bool FullPath);

// Appends the running processes to `list`, in the system's order, named as `FullPath` asks.
// The method (ToolHelp or PSAPI) follows the platform. Adds nothing when the system's
// functions are missing or fail. Never raises.
void GetProcessList(ProcessList& list, bool FullPath);

// The same over the given functions, for the given platform.
void GetProcessList(const ProcessApi& api, const PlatformVersion& platform, ProcessList& list,
                    bool FullPath);
