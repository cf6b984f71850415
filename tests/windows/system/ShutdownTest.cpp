#include <gtest/gtest.h>

#include "ProcessTestSupport.h"
#include "system/AsciiText.h"
#include "system/Processes_win32.h"
#include "system/Shutdown_win32.h"

void PrintTo(CloseProcessResult result, std::ostream* out)
{
    *out << static_cast<int>(result);
}

namespace {
constexpr DWORD kStartMs = 20000;

class ShutdownTest : public ::testing::Test {
protected:
    // Copies helper `helper` into subfolder `folder` of the temporary folder as Marlowind.exe.
    std::string Install(const std::string& helper, const std::string& folder)
    {
        const std::string exe = temp_.Subfolder(folder) + "Marlowind.exe";
        EXPECT_TRUE(CopyHelper(helper, exe)) << exe;
        return exe;
    }

    std::unique_ptr<ChildProcess> StartWindowed(const std::string& exe,
                                                const std::string& arguments = std::string())
    {
        auto child = std::make_unique<ChildProcess>(exe, arguments);
        EXPECT_TRUE(child->Started()) << exe;
        EXPECT_TRUE(child->WaitForWindow(kStartMs)) << exe;
        return child;
    }

    TempFolder temp_;
};

DWORD ExitCode(const ChildProcess& child)
{
    DWORD code = 12345;
    ::GetExitCodeProcess(child.Handle(), &code);
    return code;
}
}  // namespace

TEST_F(ShutdownTest, ProcessWithWindowEndsOnWmClose)
{
    auto child = StartWindowed(Install("system_test_windowed.exe", "a"));
    EXPECT_EQ(CloseProcess(child->Id(), 10000), cpClosed);
    EXPECT_FALSE(child->Running());
    EXPECT_EQ(ExitCode(*child), 0u);
}

TEST_F(ShutdownTest, ProcessesThatDoNotEndAreKilled)
{
    auto sleeper = StartSleeper(Install("system_test_sleeper.exe", "s"));
    ASSERT_TRUE(sleeper);
    auto stubborn = StartWindowed(Install("system_test_windowed.exe", "w"), "--keep-open");
    for (ChildProcess* child : {sleeper.get(), stubborn.get()}) {
        EXPECT_EQ(CloseProcess(child->Id(), 10), cpKilled);
        // Gone on return, so that its executable can be replaced at once.
        EXPECT_FALSE(child->Running());
        EXPECT_EQ(ExitCode(*child), 0u);
    }
}

TEST_F(ShutdownTest, OwnProcessIsNeverClosed)
{
    // A window of our own would get WM_CLOSE if the own process were not left out.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "MwShutdownTestOwnWindow";
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "own", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(CloseProcess(::GetCurrentProcessId(), 10), cpFailed);
    CloseRunningInstances(ChangeAsciiCase(OwnPath(), true));
    CloseRunningInstances(OwnPath());
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    ::DestroyWindow(window);
}

TEST_F(ShutdownTest, UnknownProcessFails)
{
    EXPECT_EQ(CloseProcess(0xFFFFFFF3u, 10), cpFailed);
}

TEST_F(ShutdownTest, ClosesEveryCopyAtThePathInAnyAsciiCase)
{
    const std::string target = Install("system_test_windowed.exe", "Target");
    const std::string other = Install("system_test_windowed.exe", "Other");
    const std::string sleeperTarget = Install("system_test_sleeper.exe", "Quiet");
    auto first = StartWindowed(target);
    auto second = StartWindowed(target);
    auto elsewhere = StartWindowed(other);
    auto quiet = StartSleeper(sleeperTarget);
    ASSERT_TRUE(quiet);

    CloseRunningInstances(ChangeAsciiCase(target, true));
    EXPECT_TRUE(first->WaitEnded(5000));
    EXPECT_TRUE(second->WaitEnded(5000));
    EXPECT_TRUE(elsewhere->Running()) << "a copy in another folder was closed";
    EXPECT_TRUE(quiet->Running());

    CloseRunningInstances(ChangeAsciiCase(sleeperTarget, false));
    EXPECT_TRUE(quiet->WaitEnded(5000));
    EXPECT_TRUE(elsewhere->Running());
}

TEST_F(ShutdownTest, NoMatchingPathDoesNothing)
{
    const std::string exe = Install("system_test_windowed.exe", "Kept");
    auto child = StartWindowed(exe);
    auto sleeper = StartSleeper(Install("system_test_sleeper.exe", "KeptToo"));
    ASSERT_TRUE(sleeper);
    CloseRunningInstances(temp_.Path() + "Nowhere\\Marlowind.exe");
    CloseRunningInstances(exe + " ");
    CloseRunningInstances(ExtractFileName(exe));  // the bare name is no path
    CloseRunningInstances("");
    EXPECT_FALSE(child->WaitEnded(300));
    EXPECT_TRUE(sleeper->Running());
    ASSERT_TRUE(child->WaitForWindow(0)) << "its window is gone";
}

TEST_F(ShutdownTest, NonAsciiLetterCaseMustMatchExactly)
{
    // An A-umlaut folder, named in the system code page.
    char upper[8] = {}, lower[8] = {};
    BOOL lossy = FALSE;
    const int nu = ::WideCharToMultiByte(CP_ACP, 0, L"\u00C4", 1, upper, 7, nullptr, &lossy);
    const int nl = ::WideCharToMultiByte(CP_ACP, 0, L"\u00E4", 1, lower, 7, nullptr, &lossy);
    if (nu <= 0 || nl <= 0 || lossy || std::string(upper) == std::string(lower))
        GTEST_SKIP() << "code page " << ::GetACP() << " has no A-umlaut of both cases";
    const std::string exe = Install("system_test_windowed.exe", std::string("K") + upper + "se");
    auto child = StartWindowed(exe);
    ProcessList list;
    GetProcessList(list, true);
    bool listed = false;
    for (const ProcessEntry& e : list)
        listed = listed || (e.Id == child->Id() && e.Name == exe);
    ASSERT_TRUE(listed) << "the copy is not listed under its path " << exe;

    std::string sameFileOtherCase = exe;
    sameFileOtherCase.replace(sameFileOtherCase.find(upper), std::string(upper).size(), lower);
    ASSERT_EQ(::GetFileAttributesA(sameFileOtherCase.c_str()), ::GetFileAttributesA(exe.c_str()));
    CloseRunningInstances(sameFileOtherCase);
    EXPECT_FALSE(child->WaitEnded(300));

    CloseRunningInstances(ChangeAsciiCase(exe, true));
    EXPECT_TRUE(child->WaitEnded(5000));
}

TEST_F(ShutdownTest, ProcessThatCannotBeOpenedIsLeftAlone)
{
    const std::string exe = Install("system_test_sleeper.exe", "Locked");
    auto locked = StartSleeper(exe, "--deny-access");
    ASSERT_TRUE(locked) << "the sleeper could not lock itself";
    UniqueHandle probe(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                     locked->Id()));
    if (probe)
        GTEST_SKIP() << "the system still opens a process that denies all access";

    ProcessList list;
    GetProcessList(list, true);
    bool listedBare = false;
    for (const ProcessEntry& e : list)
        listedBare = listedBare || (e.Id == locked->Id() && SameTextAscii(e.Name, "Marlowind.exe"));
    EXPECT_TRUE(listedBare) << "not listed under the snapshot's bare name";

    CloseRunningInstances(exe);
    EXPECT_TRUE(locked->Running());
    EXPECT_EQ(CloseProcess(locked->Id(), 10), cpFailed);
    EXPECT_TRUE(locked->Running());
}

TEST_F(ShutdownTest, ClosesOnlyWhileTheOpenedProcessStillHasTheMatchedPath)
{
    // The same program started from another folder stands for an id that passed to another
    // program after the list was taken: the path read on the handle no longer matches.
    const std::string here = Install("system_test_windowed.exe", "Here");
    const std::string there = Install("system_test_windowed.exe", "There");
    auto child = StartWindowed(here);
    const struct {
        std::string expected;
        CloseProcessResult result;
    } cases[] = {
        {there, cpFailed},
        {here + "x", cpFailed},
        {std::string(), cpFailed},
        {ChangeAsciiCase(here, true), cpClosed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(CloseProcess(child->Id(), 5000, c.expected), c.result);
        if (c.result == cpFailed) {
            EXPECT_FALSE(child->WaitEnded(200));
            EXPECT_TRUE(child->WaitForWindow(0)) << "its window got WM_CLOSE";
        }
    }
    EXPECT_TRUE(child->WaitEnded(5000));
}
