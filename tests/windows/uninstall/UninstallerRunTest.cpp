// The built uninstaller run for real on a real installation, started as a deployment tool or
// the list of programs starts it: CreateProcessW with the entry's command line, the whole exit
// code read from the process that was started, every window of the uninstaller's processes
// watched while it runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "InstallTestSupport.h"
#include "common/SafeFiles_win32.h"
#include "common/Texts_win32.h"
#include "common/UniqueHandle_win32.h"
#include "install/InstallFiles_win32.h"
#include "uninstall/UninstallOptions_win32.h"
#include "uninstall/UninstallTexts_win32.h"

namespace {
const char* const kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind";

TEST(UninstallOptions, CommandLinesAndWhatTheyAsk)
{
    // The line after "UninstallMW.exe ", then silent, the argument not understood, second stage.
    const struct {
        const wchar_t* Line;
        bool Silent;
        const wchar_t* Invalid;
        bool SecondStage;
    } rows[] = {
        {L"", false, L"", false},                    {L"-s", true, L"", false},
        {L"/QUIET /quiet", true, L"", false},        {L"-Quiet /S", true, L"", false},
        {L"/S /repair", true, L"/repair", false},    {L"/silent", false, L"/silent", false},
        {L"S", false, L"S", false},                  {L"\"\"", false, L"\"\"", false},
        {L"/S=1", false, L"/S=1", false},            {L"/CONTINUE 12 34 -quiet", true, L"", true},
        {L"/continue 12", false, L"/continue", false}, {L"/continue 12abc 34", false, L"/continue", false},
        {L"/continue 0 34", false, L"/continue", false},
        {L"/continue 99999999999999999999999 34", false, L"/continue", false},
    };
    for (const auto& row : rows) {
        const UninstallOptions o = ParseUninstallOptions((std::wstring(L"UninstallMW.exe ") + row.Line).c_str());
        EXPECT_EQ(o.Silent, row.Silent) << N(row.Line);
        EXPECT_EQ(o.Invalid, row.Invalid) << N(row.Line);
        EXPECT_EQ(o.SecondStage, row.SecondStage) << N(row.Line);
    }
    const UninstallOptions o = ParseUninstallOptions(
        (L"\"C:\\a b\\UninstallMW.exe\" " + SecondStageArguments(4000, 77, true)).c_str());
    EXPECT_TRUE(o.SecondStage && o.Silent && o.Starter == 4000u && o.Report == 77u);
}

// A visible top-level window of an uninstaller's process: its class and a box's message.
struct SeenWindow {
    HWND Window;
    std::wstring Class, Text;
};

BOOL CALLBACK StaticText(HWND child, LPARAM text)
{
    wchar_t cls[32] = {}, buffer[4096] = {};
    if (::GetClassNameW(child, cls, 32) && std::wstring(cls) == L"Static" &&
        ::GetWindowTextW(child, buffer, 4096) > 0)
        *reinterpret_cast<std::wstring*>(text) = buffer;
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM found)
{
    DWORD pid = 0, size = MAX_PATH * 2;
    ::GetWindowThreadProcessId(window, &pid);
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t image[MAX_PATH * 2] = {}, cls[64] = {};
    if (!::IsWindowVisible(window) || !process ||
        !::QueryFullProcessImageNameW(process.get(), 0, image, &size) ||
        !SamePath(std::wstring(image).substr(size >= 16 ? size - 16 : 0), L"\\UninstallMW.exe"))
        return TRUE;
    ::GetClassNameW(window, cls, 64);
    SeenWindow seen{window, cls, L""};
    ::EnumChildWindows(window, StaticText, reinterpret_cast<LPARAM>(&seen.Text));
    reinterpret_cast<std::vector<SeenWindow>*>(found)->push_back(seen);
    return TRUE;
}

struct RunResult {
    DWORD Code = 0;
    std::vector<std::wstring> Boxes;   // the boxes' messages, in the order they came
    int OtherWindows = 0;              // visible windows that are no box (nor a box's owner)
    bool FirstRanAtOutcome = false;    // the started process still ran while the outcome showed
    bool InstallFolderAtExit = false;  // the install folder was there the moment it ended
};

// Starts `commandLine` as a tool does and watches its windows to its end. Boxes are answered as
// a person would: the question with `answer`, every other box with OK.
RunResult RunAsTool(std::wstring commandLine, int answer)
{
    RunResult result;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi)) {
        ADD_FAILURE() << "cannot start " << N(commandLine);
        return result;
    }
    const UniqueHandle thread(pi.hThread), first(pi.hProcess);
    std::vector<HWND> answered;
    for (int i = 0; i < 1200 && ::WaitForSingleObject(first.get(), 25) == WAIT_TIMEOUT; ++i) {
        std::vector<SeenWindow> seen;
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&seen));
        for (const SeenWindow& w : seen) {
            if (w.Class != L"#32770") {
                result.OtherWindows += w.Class != L"MwTaskbarOwner";
                continue;
            }
            if (w.Text.empty() || std::count(answered.begin(), answered.end(), w.Window))
                continue;
            answered.push_back(w.Window);
            result.Boxes.push_back(w.Text);
            const int button = w.Text == Text(tiUninstallConfirm) ? answer : IDOK;
            if (button == IDOK)
                result.FirstRanAtOutcome = ::WaitForSingleObject(first.get(), 0) == WAIT_TIMEOUT;
            ::PostMessageW(w.Window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(w.Window, button)));
        }
    }
    result.InstallFolderAtExit = PathIsFolder(TestInstallFolder());
    EXPECT_EQ(::WaitForSingleObject(first.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    ::GetExitCodeProcess(first.get(), &result.Code);
    return result;
}

// The system's list of renames and deletions for the next restart, names separated by "|".
std::string PendingRenames()
{
    wchar_t data[8192] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                   L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data, &size);
    std::wstring names(data, size / sizeof(wchar_t));
    std::replace(names.begin(), names.end(), L'\0', L'|');
    return N(names);
}

enum class Before { Nothing, HoldLicence, NoTempFolder, UninstallerRuns, InstallerRuns };
enum class Left { Nothing, Whole, HeldFileAndEntry, RenamedUninstaller };

class UninstallerRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        WipeInstallation();
        ResourceDll dll(MW_RES_FULL);
        ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
    }
    void TearDown() override { WipeInstallation(); }
};
}  // namespace

TEST_F(UninstallerRun, TheStartedProcessEndsAfterTheRemovalWithItsResult)
{
    const std::string folder = TestInstallFolder();
    const std::string quiet = "\"" + folder + "UninstallMW.exe\" /S";
    struct Row {
        const char* Name;
        const char* Arguments;  // after the quoted path; nullptr: QuietUninstallString as written
        int Answer;             // to the question
        Before Setup;
        DWORD Code;
        Left After;
        size_t Boxes;           // how many boxes show (none at all: no window of any kind)
        const wchar_t* FirstBox;  // a part of the first box's message
    };
    const wchar_t* const question = Text(tiUninstallConfirm);
    const Row rows[] = {
        {"the entry's QuietUninstallString", nullptr, 0, Before::Nothing, 0, Left::Nothing, 0, L""},
        {"a file held open", "/S", 0, Before::HoldLicence, 1603, Left::HeldFileAndEntry, 0, L""},
        {"an unknown switch", "/S /repair", 0, Before::Nothing, 87, Left::Whole, 0, L""},
        {"no temporary folder to stage in", "/S", 0, Before::NoTempFolder, 3010,
         Left::RenamedUninstaller, 0, L""},
        {"another uninstaller runs", "/S", 0, Before::UninstallerRuns, 1618, Left::Whole, 0, L""},
        {"the installer runs", "/S", 0, Before::InstallerRuns, 1618, Left::Whole, 0, L""},
        {"interactive, Yes", "", IDYES, Before::Nothing, 0, Left::Nothing, 2, question},
        {"interactive, No", "", IDNO, Before::Nothing, 1602, Left::Whole, 1, question},
        {"interactive, an unknown switch", "/x", 0, Before::Nothing, 87, Left::Whole, 1, L"\"/x\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        if (!PathIsFile(folder + "Marlowind.exe")) {
            ResourceDll dll(MW_RES_FULL);
            ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
        }
        ASSERT_EQ(ReadRegValue(HKEY_CURRENT_USER, kEntry, "QuietUninstallString").String, quiet);
        const std::string line =
            row.Arguments ? "\"" + folder + "UninstallMW.exe\" " + row.Arguments
                          : ReadRegValue(HKEY_CURRENT_USER, kEntry, "QuietUninstallString").String;
        UniqueFile held;
        if (row.Setup == Before::HoldLicence) {
            held.reset(::CreateFileA((folder + "License.txt").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held);
        }
        UniqueHandle otherRun;
        if (row.Setup == Before::UninstallerRuns || row.Setup == Before::InstallerRuns) {
            otherRun.reset(::CreateMutexW(nullptr, TRUE,
                                          row.Setup == Before::InstallerRuns
                                              ? L"Global\\MarlowindSetup.Wizard"
                                              : L"Global\\MarlowindSetup.Uninstall"));
            ASSERT_TRUE(otherRun);
        }
        wchar_t tmp[MAX_PATH] = {}, temp[MAX_PATH] = {};
        ::GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
        ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
        if (row.Setup == Before::NoTempFolder) {
            ::SetEnvironmentVariableW(L"TMP", L"C:\\no such temporary folder");
            ::SetEnvironmentVariableW(L"TEMP", L"C:\\no such temporary folder");
        }

        const RunResult run = RunAsTool(W(line), row.Answer);
        ::SetEnvironmentVariableW(L"TMP", tmp);
        ::SetEnvironmentVariableW(L"TEMP", temp);
        held.reset();
        otherRun.reset();

        EXPECT_EQ(run.Code, row.Code);
        EXPECT_EQ(run.OtherWindows, 0);
        ASSERT_EQ(run.Boxes.size(), row.Boxes);
        if (row.Boxes > 0)
            EXPECT_NE(run.Boxes[0].find(row.FirstBox), std::wstring::npos) << N(run.Boxes[0]);
        if (row.Boxes > 1)
            EXPECT_TRUE(run.FirstRanAtOutcome) << "the started process ended before the outcome";
        switch (row.After) {
        case Left::Nothing:
            EXPECT_FALSE(run.InstallFolderAtExit) << "ended before the removal had";
            EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kEntry));
            EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
            break;
        case Left::Whole:
            for (const char* n : {"Marlowind.exe", "UninstallMW.exe", "License.txt"})
                EXPECT_TRUE(PathIsFile(folder + n)) << n;
            EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kEntry, "QuietUninstallString").String, quiet);
            break;
        case Left::HeldFileAndEntry: {
            std::vector<std::string> left = FolderEntries(folder);
            std::sort(left.begin(), left.end());
            EXPECT_EQ(left, (std::vector<std::string>{"License.txt", "UninstallMW.exe"}));
            EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kEntry, "QuietUninstallString").String, quiet);
            break;
        }
        case Left::RenamedUninstaller: {
            // The install folder holds only the uninstaller, renamed, and both are on the
            // system's list for the restart; the entry is gone.
            const std::vector<std::string> left = FolderEntries(folder);
            ASSERT_EQ(left.size(), 1u);
            EXPECT_EQ(left[0].rfind("UninstallMW.exe.", 0), 0u) << left[0];
            EXPECT_EQ(left[0].substr(left[0].size() - 7), ".remove") << left[0];
            const std::string pending = PendingRenames();
            EXPECT_NE(pending.find(folder + left[0]), std::string::npos) << pending;
            EXPECT_NE(pending.find(folder.substr(0, folder.size() - 1) + "|"), std::string::npos)
                << pending;
            EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kEntry));
            break;
        }
        }
        if (row.After != Left::Whole)
            WipeInstallation();
    }
}
