#include <gtest/gtest.h>

#include "ProcessTestSupport.h"
#include "system/AsciiText.h"
#include "system/Platform_win32.h"
#include "system/Processes_win32.h"

namespace {
const ProcessEntry* FindId(const ProcessList& list, uint32_t id)
{
    for (const ProcessEntry& e : list)
        if (e.Id == id)
            return &e;
    return nullptr;
}

// Whatever the method, the idle process's name goes with id 0 and only with it.
void ExpectIdleNameOnlyForIdZero(const ProcessList& list)
{
    for (const ProcessEntry& e : list) {
        if (e.Id == 0)
            EXPECT_EQ(e.Name, "System Idle Process");
        else
            EXPECT_NE(e.Name, "System Idle Process") << "id " << e.Id;
    }
}

const PlatformVersion kNT4{PlatformWin32NT, 4, 0};
}  // namespace

TEST(ProcessEnumerationPlatform, RunningSystemTakesToolHelpWithPathLookup)
{
    const PlatformVersion& v = CurrentPlatform();
    RecordProperty("version", std::to_string(v.Platform) + ":" + std::to_string(v.Major) + "." +
                                  std::to_string(v.Minor));
    std::printf("system reports platform %u, version %u.%u\n", v.Platform, v.Major, v.Minor);
    EXPECT_EQ(v.Platform, PlatformWin32NT);
    EXPECT_EQ(ChooseProcessListMethod(v), ProcessListMethod::ToolHelp);
    EXPECT_TRUE(ToolHelpLooksUpPath(v));
    EXPECT_EQ(IsWindows8(), IsWindows8(v));
    EXPECT_EQ(IsWindows7(), IsWindows7(v));
    EXPECT_EQ(IsWindowsVista(), IsWindowsVista(v));
    EXPECT_EQ(IsWindowsXP(), IsWindowsXP(v));
    EXPECT_TRUE(IsWindows2000OrLater());
    EXPECT_FALSE(IsWindowsNT4());
    EXPECT_FALSE(IsWindowsNT3());
}

TEST(ProcessEnumerationFileName, ReadsOwnPathAndBaseName)
{
    const uint32_t self = ::GetCurrentProcessId();
    EXPECT_EQ(GetProcessFileName(self, true), OwnPath());
    EXPECT_EQ(GetProcessFileName(self, false), ExtractFileName(OwnPath()));
}

TEST(ProcessEnumerationFileName, EmptyForProcessesThatCannotBeOpened)
{
    EXPECT_EQ(GetProcessFileName(0, true), "");
    // Ids are multiples of 4; this one names no process.
    EXPECT_EQ(GetProcessFileName(0xFFFFFFF3u, true), "");
    EXPECT_EQ(GetProcessFileName(0xFFFFFFF3u, false), "");
}

TEST(ProcessEnumerationList, ToolHelpListsOwnProcessWithFullPath)
{
    ProcessList list;
    GetProcessList(list, true);
    ASSERT_GT(list.size(), 1u);
    const ProcessEntry* self = FindId(list, ::GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->Name, OwnPath());
    ExpectIdleNameOnlyForIdZero(list);

    ProcessList names;
    GetProcessList(names, false);
    self = FindId(names, ::GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->Name, ExtractFileName(OwnPath()));
    ExpectIdleNameOnlyForIdZero(names);
}

TEST(ProcessEnumerationList, AppendsToWhatTheListHolds)
{
    ProcessList list = {{"first", 12345}};
    GetProcessList(list, true);
    ASSERT_GT(list.size(), 2u);
    EXPECT_EQ(list[0].Name, "first");
    EXPECT_EQ(list[0].Id, 12345u);
    EXPECT_NE(FindId(list, ::GetCurrentProcessId()), nullptr);
}

TEST(ProcessEnumerationList, PsapiMethodListsOwnProcessWithFullPath)
{
    ProcessList list;
    GetProcessList(ProcessApi::System(), kNT4, list, true);
    ASSERT_GT(list.size(), 1u);
    const ProcessEntry* self = FindId(list, ::GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->Name, OwnPath());
    for (const ProcessEntry& e : list)
        EXPECT_FALSE(e.Name.empty()) << "id " << e.Id;
    ExpectIdleNameOnlyForIdZero(list);
}

TEST(ProcessEnumerationList, MissingFunctionsActAsFailedCalls)
{
    const PlatformVersion& v = CurrentPlatform();
    const uint32_t self = ::GetCurrentProcessId();
    // user32 exports none of the names: every binding is missing.
    for (HMODULE m : {HMODULE(nullptr), ::GetModuleHandleA("user32.dll")}) {
        const ProcessApi none(m, m);
        ProcessList list;
        GetProcessList(none, v, list, true);
        GetProcessList(none, kNT4, list, true);
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(GetProcessFileName(none, self, true), "");
    }
    // ToolHelp without PSAPI: every path lookup fails, so entries keep the snapshot's names.
    const ProcessApi toolHelpOnly(::GetModuleHandleA("kernel32.dll"), nullptr);
    ProcessList list;
    GetProcessList(toolHelpOnly, v, list, true);
    const ProcessEntry* entry = FindId(list, self);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(SameTextAscii(entry->Name, ExtractFileName(OwnPath()))) << entry->Name;
}

TEST(ProcessEnumerationPsapiLibrary, LibraryInProgramFolderIsNotUsed)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string probe = folder.Path() + "mwprobe.exe";
    ASSERT_TRUE(CopyHelper("system_test_psapi_probe.exe", probe));
    ASSERT_TRUE(CopyHelper("system_planted\\psapi.dll", folder.Path() + "psapi.dll"));
    // Wine prefers its built-in libraries to files of the same name; this makes it prefer the
    // file, for the probe alone, as Windows does.
    WineAppSettings settings("mwprobe.exe");
    ASSERT_TRUE(settings.Set("DllOverrides", "psapi", "native,builtin"));

    // The ordinary search does find the planted library, so the check below means something.
    EXPECT_EQ(RunToExit(probe, "naive"), 1u);
    EXPECT_EQ(RunToExit(probe, "system"), 0u);
}

// A program whose manifest declares the newer systems hears their own version numbers; the
// shutdown compares full paths, so the list must carry them whatever the number.
TEST(ProcessEnumerationPlatform, ReportedNewerVersionsStillListFullPaths)
{
    TempFolder folder;
    const std::string probe = folder.Path() + "mwversion.exe";
    ASSERT_TRUE(CopyHelper("system_test_psapi_probe.exe", probe));
    WineAppSettings settings("mwversion.exe");
    const struct {
        const char* wine;
        DWORD expected;
    } cases[] = {{"win8", 60020}, {"win81", 60030}, {"win10", 100000}, {"win7", 60010}};
    for (const auto& c : cases) {
        ASSERT_TRUE(settings.Set("", "Version", c.wine));
        EXPECT_EQ(RunToExit(probe, "list"), c.expected) << c.wine;
    }
}

// Names that do not fit the first buffer are read again into larger ones, never cut.
TEST(ProcessEnumerationFileName, LongNamesAreReadWhole)
{
    TempFolder folder;
    const std::string library = folder.Path() + "mwnames.dll";
    ASSERT_TRUE(CopyHelper("system_planted\\psapi.dll", library));
    UniqueModule names(::LoadLibraryA(library.c_str()));
    ASSERT_TRUE(names);
    const ProcessApi api(nullptr, names.get());
    const std::string path = GetProcessFileName(api, ::GetCurrentProcessId(), true);
    EXPECT_EQ(path.size(), 600u);
    EXPECT_EQ(path.substr(0, 8), "plantedx");
    EXPECT_EQ(path.find_first_not_of('x', 7), std::string::npos);
    EXPECT_EQ(GetProcessFileName(api, ::GetCurrentProcessId(), false), "planted");
}
