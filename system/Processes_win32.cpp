#include "system/Processes_win32.h"

#include <cstring>
#include <vector>

#include "common/UniqueHandle_win32.h"
#include "system/Platform_win32.h"

namespace {
constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// Paths in the system code page may exceed MAX_PATH; a cut name could equal another path.
constexpr DWORD kLongestName = 32768;

std::string ModuleName(const ProcessApi& api, HANDLE process, bool fullPath)
{
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<char> buffer(size, '\0');
        const DWORD n = fullPath ? api.ModuleFileName(process, nullptr, buffer.data(), size)
                                 : api.ModuleBaseName(process, nullptr, buffer.data(), size);
        if (n == 0)
            return std::string();
        // A name that fills the buffer may have been cut; only a shorter one is known whole.
        if (n < size - 1 || size >= kLongestName)
            return std::string(buffer.data(), strnlen(buffer.data(), n < size ? n : size));
    }
}

std::string SnapshotExeFile(const AnsiProcessEntry& entry)
{
    return std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof(entry.szExeFile)));
}

void ListByToolHelp(const ProcessApi& api, const PlatformVersion& platform, ProcessList& list,
                    bool fullPath)
{
    UniqueFile snapshot(api.CreateSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return;
    const ProcessNameLookup lookup = [&api, fullPath](uint32_t id) {
        return GetProcessFileName(api, id, fullPath);
    };
    AnsiProcessEntry entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = api.FirstProcess(snapshot.get(), &entry); more;
         more = api.NextProcess(snapshot.get(), &entry)) {
        const uint32_t id = entry.th32ProcessID;
        list.push_back({ToolHelpEntryName(platform, id, SnapshotExeFile(entry), fullPath, lookup),
                        id});
        entry.dwSize = sizeof(entry);
    }
}

void ListByPsapi(const ProcessApi& api, const PlatformVersion& platform, ProcessList& list,
                 bool fullPath)
{
    // EnumProcesses cannot say how many ids there are; a full buffer may mean more, so the
    // buffer grows until the ids fit with room to spare.
    std::vector<DWORD> ids(1025);
    DWORD bytes = 0;
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!api.EnumProcessIds(ids.data(), capacity, &bytes))
            return;
        if (bytes < capacity || ids.size() >= (1u << 20))
            break;
        ids.resize(ids.size() * 2);
    }
    const ProcessNameLookup lookup = [&api, fullPath](uint32_t id) {
        return GetProcessFileName(api, id, fullPath);
    };
    const size_t count = bytes / sizeof(DWORD);
    for (size_t i = 0; i < count; ++i) {
        std::string name = PsapiEntryName(platform, ids[i], lookup);
        if (!name.empty())
            list.push_back({std::move(name), ids[i]});
    }
}
}  // namespace

std::string GetProcessFileName(const ProcessApi& api, uint32_t id, bool FullPath)
{
    UniqueHandle process(::OpenProcess(kQueryAccess, FALSE, id));
    if (!process)
        return std::string();
    return ModuleName(api, process.get(), FullPath);
}

std::string ProcessFileName(HANDLE process, bool FullPath)
{
    return ModuleName(ProcessApi::System(), process, FullPath);
}

std::string GetProcessFileName(uint32_t id, bool FullPath)
{
    return GetProcessFileName(ProcessApi::System(), id, FullPath);
}

void GetProcessList(const ProcessApi& api, const PlatformVersion& platform, ProcessList& list,
                    bool FullPath)
{
    if (ChooseProcessListMethod(platform) == ProcessListMethod::Psapi)
        ListByPsapi(api, platform, list, FullPath);
    else
        ListByToolHelp(api, platform, list, FullPath);
}

void GetProcessList(ProcessList& list, bool FullPath)
{
    GetProcessList(ProcessApi::System(), CurrentPlatform(), list, FullPath);
}
