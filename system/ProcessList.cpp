#include "system/ProcessList.h"

#include "system/AsciiText.h"
#include "system/Platform.h"

const char* const SystemIdleProcessName = "System Idle Process";
const char* const SystemProcessName = "System Process";

std::string ToolHelpEntryName(const PlatformVersion& v, uint32_t id, const std::string& exeFile,
                              bool fullPath, const ProcessNameLookup& lookup)
{
    if (id == 0)
        return SystemIdleProcessName;
    if (ToolHelpLooksUpPath(v)) {
        std::string name = lookup(id);
        return name.empty() ? exeFile : name;
    }
    return fullPath ? exeFile : ExtractFileName(exeFile);
}

std::string PsapiEntryName(const PlatformVersion& v, uint32_t id, const ProcessNameLookup& lookup)
{
    if (id == 0)
        return SystemIdleProcessName;
    if (id == 2 && IsWindowsNT4(v))
        return SystemProcessName;
    if (id == 8 && (IsWindows2000OrLater(v) || IsWindowsXP(v)))
        return SystemProcessName;
    return lookup(id);
}

std::vector<uint32_t> MatchingProcessIds(const ProcessList& list, const std::string& path)
{
    std::vector<uint32_t> ids;
    // An empty path names no program; it must not pick out the processes whose name could
    // not be read at all.
    if (path.empty())
        return ids;
    for (const ProcessEntry& e : list)
        if (SameTextAscii(e.Name, path))
            ids.push_back(e.Id);
    return ids;
}
