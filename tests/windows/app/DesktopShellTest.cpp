// Starting the messenger as the desktop's user, and not at all without an install folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "app/DesktopShell_win32.h"
#include "app/UnitWizardH_win32.h"

namespace {
struct Started {
    DWORD id = 0;
    DWORD parent = 0;
};

// Processes running `exeName` (case ignored), with their parents.
std::vector<Started> Running(const wchar_t* exeName)
{
    std::vector<Started> out;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return out;
    PROCESSENTRY32W e = {};
    e.dwSize = sizeof e;
    for (BOOL more = ::Process32FirstW(snapshot, &e); more; more = ::Process32NextW(snapshot, &e))
        if (::lstrcmpiW(e.szExeFile, exeName) == 0)
            out.push_back({e.th32ProcessID, e.th32ParentProcessID});
    ::CloseHandle(snapshot);
    return out;
}

void EndAll(const wchar_t* exeName)
{
    for (const Started& s : Running(exeName)) {
        const HANDLE p = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, s.id);
        if (p) {
            ::TerminateProcess(p, 0);
            ::WaitForSingleObject(p, 5000);
            ::CloseHandle(p);
        }
    }
}

std::vector<Started> WaitStarted(const wchar_t* exeName)
{
    for (int i = 0; i < 100; ++i) {
        std::vector<Started> now = Running(exeName);
        if (!now.empty())
            return now;
        ::Sleep(100);
    }
    return {};
}
}  // namespace

TEST(FinishTest, NoMessengerIsStartedWithoutAnAbsoluteProgramFilesFolder)
{
    const struct {
        const wchar_t* programFiles;
        const wchar_t* started;
    } cases[] = {
        {L"C:\\Program Files", L"C:\\Program Files\\Marlowind\\MarloWind.exe"},
        {L"\\\\server\\apps", L"\\\\server\\apps\\Marlowind\\MarloWind.exe"},
        {L"", L""},
        {L"Program Files", L""},
        {L"\\Program Files", L""},
        {L"C:", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSetupWizardH::MessengerToStart(c.programFiles), c.started) << c.programFiles;
}

TEST(DesktopShellTest, TheDesktopShellStartsTheProgramNotThisProcess)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring notepad = std::wstring(system) + L"\\notepad.exe";
    EndAll(L"notepad.exe");

    const ShellStart how = OpenAsDesktopUser(notepad, L"open");
    const std::vector<Started> started = WaitStarted(L"notepad.exe");
    EndAll(L"notepad.exe");
    ASSERT_EQ(started.size(), 1u);
    std::printf("the messenger is started by %s\n",
                how == ShellStart::DesktopShell ? "the desktop shell" : "this process");
    if (how == ShellStart::DesktopShell)
        EXPECT_NE(started[0].parent, ::GetCurrentProcessId());
    else
        EXPECT_EQ(started[0].parent, ::GetCurrentProcessId());
}
