#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "common/SetupCommandLine.h"

// Command lines as deployment tools and people pass them: what the run takes from each.
TEST(SetupCommandLine, ReadsSwitchesQuotesAndBadArguments)
{
    const struct {
        const wchar_t* line;
        bool silent;
        const wchar_t* log;
        const wchar_t* invalid;
    } cases[] = {
        {L"MarlowindSetup.exe", false, L"", L""},
        {L"\"C:\\Deploy Share\\MarlowindSetup.exe\"   ", false, L"", L""},
        {L"\"C:\\a b\\MarlowindSetup.exe\" /S", true, L"", L""},
        {L"setup -s", true, L"", L""},
        {L"setup /QUIET", true, L"", L""},
        {L"setup /s /Quiet -S", true, L"", L""},
        {L"setup /S /log=\"C:\\ProgramData\\Deploy Logs\\mw setup.log\"", true,
         L"C:\\ProgramData\\Deploy Logs\\mw setup.log", L""},
        {L"setup \"/LOG=C:\\Deploy Logs\\x.log\" /S", true, L"C:\\Deploy Logs\\x.log", L""},
        {L"setup\t-Log=C:\\logs\\Дмитрий ü.log", false, L"C:\\logs\\Дмитрий", L"ü.log"},
        {L"setup -Log=\"C:\\logs\\Дмитрий ü.log\"", false, L"C:\\logs\\Дмитрий ü.log", L""},
        {L"setup /log=\"C:\\open quote.log", false, L"C:\\open quote.log", L""},
        {L"setup /log=C:\\x.log /log=c:\\x.log", false, L"C:\\x.log", L"/log=c:\\x.log"},
        {L"setup /log=C:\\x.log /LOG=\"C:\\x.log\"", false, L"C:\\x.log", L""},
        {L"setup /x /S", true, L"", L"/x"},
        {L"setup /S /silent /y", true, L"", L"/silent"},
        {L"setup S", false, L"", L"S"},
        {L"setup /", false, L"", L"/"},
        {L"setup /log", false, L"", L"/log"},
        {L"setup /log= /S", true, L"", L"/log="},
        {L"setup /log=\"\"", false, L"", L"/log=\"\""},
        {L"setup \"\"", false, L"", L"\"\""},
        {L"setup /S/quiet", false, L"", L"/S/quiet"},
        {L"setup /quietly", false, L"", L"/quietly"},
        {L"setup /Ｓ", false, L"", L"/Ｓ"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        const SetupOptions o = ReadSetupCommandLine(cases[i].line);
        EXPECT_EQ(o.Silent, cases[i].silent);
        EXPECT_EQ(o.LogPath, cases[i].log);
        EXPECT_EQ(o.Invalid, cases[i].invalid);
    }
}

// A line as long as Windows lets a process have: read whole, the path kept whole.
TEST(SetupCommandLine, ReadsTheLongestLineWhole)
{
    const std::wstring path = L"C:\\" + std::wstring(32700, L'd') + L".log";
    std::wstring line = L"setup /S /log=\"" + path + L"\"";
    SetupOptions o = ReadSetupCommandLine(line);
    EXPECT_TRUE(o.Silent);
    EXPECT_EQ(o.LogPath, path);
    line = L"setup";
    for (int i = 0; i < 8000; ++i)
        line += L" /S";
    line += L" /bad";
    o = ReadSetupCommandLine(line);
    EXPECT_TRUE(o.Silent);
    EXPECT_EQ(o.Invalid, L"/bad");
}
