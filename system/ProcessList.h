#pragma once
// The list of running processes and the rules that name its entries, kept free of Windows so
// that every platform branch can be checked anywhere. The Windows side supplies the snapshot
// records and the path lookup.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One running process: its name (a path or a bare file name, system code page) and its id.
struct ProcessEntry {
    std::string Name;
    uint32_t Id = 0;
};

// In the order the system enumerates the processes; not sorted, duplicates allowed.
using ProcessList = std::vector<ProcessEntry>;

struct PlatformVersion;

// Reads the name of the process with the given id; empty when it cannot.
using ProcessNameLookup = std::function<std::string(uint32_t id)>;

extern const char* const SystemIdleProcessName;  // "System Idle Process"
extern const char* const SystemProcessName;      // "System Process"

// The name a snapshot entry is listed under. `exeFile` is the entry's own executable name.
// Id 0 is the idle process. Where `ToolHelpLooksUpPath` holds, the name comes from `lookup`
// (asked with the same full-path choice the caller gave it), falling back to `exeFile` as it
// stands when that is empty; elsewhere it is `exeFile`, cut to its file name unless `fullPath`.
// The result may be empty; the entry is listed all the same.
std::string ToolHelpEntryName(const PlatformVersion& v, uint32_t id, const std::string& exeFile,
                              bool fullPath, const ProcessNameLookup& lookup);

// The name an id from EnumProcesses is listed under, empty when it is to be left out.
// Id 0 is the idle process; the system process has id 2 on NT 4 and id 8 on 2000 and XP.
std::string PsapiEntryName(const PlatformVersion& v, uint32_t id, const ProcessNameLookup& lookup);

// The ids of the entries whose name equals `path` after ASCII upper-casing, first to last.
// An empty path matches nothing.
std::vector<uint32_t> MatchingProcessIds(const ProcessList& list, const std::string& path);
