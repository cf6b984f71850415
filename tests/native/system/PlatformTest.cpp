#include <gtest/gtest.h>

#include <vector>

#include "system/Platform.h"

namespace {
PlatformVersion NT(uint32_t major, uint32_t minor)
{
    return {PlatformWin32NT, major, minor};
}

struct Named {
    const char* name;
    bool (*test)(const PlatformVersion&);
};

const std::vector<Named> kTests = {
    {"8", IsWindows8},       {"7", IsWindows7},   {"Vista", IsWindowsVista},
    {"2003", IsWindows2003}, {"XP", IsWindowsXP}, {"2000OrLater", IsWindows2000OrLater},
    {"NT4", IsWindowsNT4},   {"NT3", IsWindowsNT3},
};

// The tests that hold for a version, by name, joined with spaces.
std::string Holding(const PlatformVersion& v)
{
    std::string out;
    for (const Named& t : kTests)
        if (t.test(v))
            out += std::string(out.empty() ? "" : " ") + t.name;
    return out;
}
}  // namespace

TEST(PlatformTests, EachVersionSelectsItsTests)
{
    EXPECT_EQ(Holding(NT(6, 2)), "8 2000OrLater");
    EXPECT_EQ(Holding(NT(6, 1)), "7 2000OrLater");
    EXPECT_EQ(Holding(NT(6, 0)), "Vista 2000OrLater");
    EXPECT_EQ(Holding(NT(5, 2)), "2003 2000OrLater");
    EXPECT_EQ(Holding(NT(5, 1)), "XP 2000OrLater");
    EXPECT_EQ(Holding(NT(5, 0)), "2000OrLater");
    EXPECT_EQ(Holding(NT(6, 3)), "2000OrLater");
    EXPECT_EQ(Holding(NT(10, 0)), "2000OrLater");
    EXPECT_EQ(Holding(NT(4, 0)), "NT4");
    EXPECT_EQ(Holding(NT(3, 1)), "NT3");
    EXPECT_EQ(Holding(NT(3, 5)), "NT3");
    EXPECT_EQ(Holding(NT(3, 51)), "NT3");
    EXPECT_EQ(Holding(NT(3, 0)), "");
    EXPECT_EQ(Holding(NT(3, 10)), "");
}

TEST(PlatformTests, NoneHoldsOutsideNT)
{
    for (uint32_t platform : {0u, PlatformWin32Windows, 3u})
        for (const PlatformVersion& v : {PlatformVersion{platform, 6, 2},
                                         PlatformVersion{platform, 5, 1},
                                         PlatformVersion{platform, 4, 10},
                                         PlatformVersion{platform, 3, 51}})
            EXPECT_EQ(Holding(v), "") << platform << " " << v.Major << "." << v.Minor;
}

TEST(PlatformProcessListMethod, PsapiOnlyOnNT3AndNT4)
{
    EXPECT_EQ(ChooseProcessListMethod(NT(4, 0)), ProcessListMethod::Psapi);
    EXPECT_EQ(ChooseProcessListMethod(NT(3, 51)), ProcessListMethod::Psapi);
    for (const PlatformVersion& v : {NT(5, 0), NT(5, 1), NT(6, 1), NT(6, 2), NT(10, 0),
                                     PlatformVersion{PlatformWin32Windows, 4, 10}})
        EXPECT_EQ(ChooseProcessListMethod(v), ProcessListMethod::ToolHelp);
}

// Closing running copies compares full paths: every system the program can meet from XP on,
// including whatever number a changed manifest makes a new system report, must look up paths.
TEST(PlatformProcessListMethod, PathLookupOnEveryCurrentSystem)
{
    for (const PlatformVersion& v : {NT(5, 1), NT(5, 2), NT(6, 0), NT(6, 1), NT(6, 2), NT(6, 3),
                                     NT(6, 4), NT(10, 0), NT(11, 0), NT(12, 7)}) {
        EXPECT_EQ(ChooseProcessListMethod(v), ProcessListMethod::ToolHelp);
        EXPECT_TRUE(ToolHelpLooksUpPath(v)) << v.Major << "." << v.Minor;
    }
    EXPECT_FALSE(ToolHelpLooksUpPath(NT(5, 0)));
    EXPECT_FALSE(ToolHelpLooksUpPath(PlatformVersion{PlatformWin32Windows, 4, 90}));
}
