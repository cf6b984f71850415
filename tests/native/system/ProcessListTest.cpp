#include <gtest/gtest.h>

#include <vector>

#include "system/Platform.h"
#include "system/ProcessList.h"

namespace {
const PlatformVersion kWin10AsReported{PlatformWin32NT, 6, 2};
const PlatformVersion kWin10Manifested{PlatformWin32NT, 10, 0};
const PlatformVersion kWin2000{PlatformWin32NT, 5, 0};
const PlatformVersion kWin98{PlatformWin32Windows, 4, 10};
const PlatformVersion kNT4{PlatformWin32NT, 4, 0};

// A lookup that records which ids it was asked for and answers from a fixed table.
struct FakeLookup {
    std::vector<uint32_t> asked;
    std::string answer;
    ProcessNameLookup Fn()
    {
        return [this](uint32_t id) {
            asked.push_back(id);
            return answer;
        };
    }
};
}  // namespace

TEST(ProcessListToolHelpName, IdleProcessIsNamedWithoutLookup)
{
    FakeLookup lookup;
    lookup.answer = "C:\\x.exe";
    EXPECT_EQ(ToolHelpEntryName(kWin10AsReported, 0, "[System Process]", true, lookup.Fn()),
              "System Idle Process");
    EXPECT_EQ(ToolHelpEntryName(kWin98, 0, "", false, lookup.Fn()), "System Idle Process");
    EXPECT_TRUE(lookup.asked.empty());
    // Only id 0: the same snapshot name under another id is not the idle process.
    lookup.answer = "";
    EXPECT_EQ(ToolHelpEntryName(kWin10AsReported, 4, "[System Process]", true, lookup.Fn()),
              "[System Process]");
}

TEST(ProcessListToolHelpName, LooksUpPathWithSnapshotNameAsFallback)
{
    for (const PlatformVersion& v : {kWin10AsReported, kWin10Manifested}) {
        FakeLookup lookup;
        lookup.answer = "C:\\Program Files\\Marlowind\\Marlowind.exe";
        EXPECT_EQ(ToolHelpEntryName(v, 1234, "Marlowind.exe", true, lookup.Fn()), lookup.answer);
        EXPECT_EQ(lookup.asked, std::vector<uint32_t>{1234});
        // Access denied: the bare snapshot name, which can never equal a full path.
        lookup.answer = "";
        EXPECT_EQ(ToolHelpEntryName(v, 1234, "Marlowind.exe", true, lookup.Fn()),
                  "Marlowind.exe");
    }
}

TEST(ProcessListToolHelpName, OlderSystemsUseSnapshotName)
{
    FakeLookup lookup;
    lookup.answer = "ignored";
    EXPECT_EQ(ToolHelpEntryName(kWin98, 7, "C:\\WINDOWS\\EXPLORER.EXE", true, lookup.Fn()),
              "C:\\WINDOWS\\EXPLORER.EXE");
    EXPECT_EQ(ToolHelpEntryName(kWin98, 7, "C:\\WINDOWS\\EXPLORER.EXE", false, lookup.Fn()),
              "EXPLORER.EXE");
    EXPECT_EQ(ToolHelpEntryName(kWin2000, 7, "explorer.exe", false, lookup.Fn()),
              "explorer.exe");
    EXPECT_TRUE(lookup.asked.empty());
}

TEST(ProcessListPsapiName, SystemIdsAndLookups)
{
    FakeLookup lookup;
    lookup.answer = "C:\\a.exe";
    EXPECT_EQ(PsapiEntryName(kNT4, 0, lookup.Fn()), "System Idle Process");
    EXPECT_EQ(PsapiEntryName(kNT4, 2, lookup.Fn()), "System Process");
    EXPECT_EQ(PsapiEntryName(kNT4, 8, lookup.Fn()), "C:\\a.exe");
    EXPECT_EQ(PsapiEntryName(kWin2000, 8, lookup.Fn()), "System Process");
    EXPECT_EQ(PsapiEntryName(PlatformVersion{PlatformWin32NT, 5, 1}, 8, lookup.Fn()),
              "System Process");
    EXPECT_EQ(PsapiEntryName(kWin2000, 2, lookup.Fn()), "C:\\a.exe");
    EXPECT_EQ(PsapiEntryName(PlatformVersion{PlatformWin32NT, 3, 51}, 2, lookup.Fn()),
              "C:\\a.exe");
    EXPECT_EQ(lookup.asked, (std::vector<uint32_t>{8, 2, 2}));
}

TEST(ProcessListMatching, PicksEqualPathsInListOrder)
{
    const ProcessList list = {
        {"C:\\Program Files\\Marlowind\\Marlowind.exe", 40},
        {"C:\\Other\\Marlowind.exe", 44},
        {"Marlowind.exe", 48},  // path unreadable: only the snapshot's name
        {"c:\\PROGRAM FILES\\marlowind\\MARLOWIND.EXE", 52},
        {"C:\\Program Files\\Marlowind\\Marlowind.exe", 40},  // duplicates stay
        {"", 56},
        {"C:\\Program Files\\Marlowind\\Marlowind.exe.old", 60},
    };
    EXPECT_EQ(MatchingProcessIds(list, "C:\\program files\\MARLOWIND\\MarloWind.exe"),
              (std::vector<uint32_t>{40, 52, 40}));
    EXPECT_TRUE(MatchingProcessIds(list, "C:\\Nowhere\\Marlowind.exe").empty());
    EXPECT_TRUE(MatchingProcessIds({}, "C:\\x.exe").empty());
}

TEST(ProcessListMatching, EmptyPathAndNonAsciiCase)
{
    const ProcessList list = {{"", 8}, {"C:\\\xc4rger\\M.exe", 12}, {"C:\\\xe4rger\\M.exe", 16}};
    EXPECT_TRUE(MatchingProcessIds(list, "").empty());
    EXPECT_EQ(MatchingProcessIds(list, "c:\\\xe4RGER\\m.EXE"), std::vector<uint32_t>{16});
}
