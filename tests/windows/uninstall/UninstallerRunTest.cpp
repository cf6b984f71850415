// The built uninstaller run for real on a real installation, started as a deployment tool or
// the list of programs starts it: CreateProcessW with the entry's command line, the whole exit
// code read from the process that was started, every window of the uninstaller's processes
// watched while it runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "InstallTestSupport.h"
#include "common/UniqueHandle_win32.h"
#include "install/InstallFiles_win32.h"
#include "uninstall/UninstallOptions_win32.h"
#include "uninstall/UninstallTexts_win32.h"

namespace {
const char* const kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind";

TEST(UninstallOptions, CommandLinesAndWhatTheyAsk)
{
    struct Row {
        const wchar_t* Line;
        bool Silent;
        const wchar_t* Invalid;
        bool SecondStage;
    };
    const Row rows[] = {
        {L"UninstallMW.exe", false, L"", false},
        {L"\"C:\\Program Files\\Marlowind\\UninstallMW.exe\" /S", true, L"", false},
        {L"UninstallMW.exe -s", true, L"", false},
        {L"UninstallMW.exe /QUIET /quiet", true, L"", false},
        {L"UninstallMW.exe -Quiet /S", true, L"", false},
        {L"UninstallMW.exe /S /repair", true, L"/repair", false},
        {L"UninstallMW.exe /silent", false, L"/silent", false},
        {L"UninstallMW.exe S", false, L"S", false},
        {L"UninstallMW.exe \"\"", false, L"\"\"", false},
        {L"UninstallMW.exe /S=1", false, L"/S=1", false},
        {L"UninstallMW.exe /continue 12 34", false, L"", true},
        {L"UninstallMW.exe /continue 12 34 /S", true, L"", true},
        {L"UninstallMW.exe /CONTINUE 12 34 -quiet", true, L"", true},
        {L"UninstallMW.exe /continue 12", false, L"/continue", false},
        {L"UninstallMW.exe /continue 12abc 34", false, L"/continue", false},
        {L"UninstallMW.exe /continue 0 34", false, L"/continue", false},
        {L"UninstallMW.exe /continue 99999999999999999999999 34", false, L"/continue", false},
    };
    for (const Row& row : rows) {
        const UninstallOptions o = ParseUninstallOptions(row.Line);
        EXPECT_EQ(o.Silent, row.Silent) << N(row.Line);
        EXPECT_EQ(o.Invalid, row.Invalid) << N(row.Line);
        EXPECT_EQ(o.SecondStage, row.SecondStage) << N(row.Line);
    }
    const UninstallOptions o = ParseUninstallOptions(
        (L"UninstallMW.exe " + SecondStageArguments(4000, 77, true)).c_str());
    EXPECT_TRUE(o.SecondStage && o.Silent && o.Invalid.empty());
    EXPECT_EQ(o.Starter, 4000u);
    EXPECT_EQ(o.Report, 77u);
}

bool EndsWithUninstaller(const std::wstring& path)
{
    const std::wstring tail = L"\\UninstallMW.exe";
    return path.size() >= tail.size() &&
           ::CompareStringOrdinal(path.c_str() + path.size() - tail.size(), static_cast<int>(tail.size()),
                                  tail.c_str(), static_cast<int>(tail.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ProcessImage(DWORD pid)
{
    UniqueHandle h(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    return h && ::QueryFullProcessImageNameW(h.get(), 0, path, &size) ? path : L"";
}

// A visible top-level window of an uninstaller process: its handle and the text of a box.
struct SeenWindow {
    HWND Window = nullptr;
    std::wstring Class, Text;
};

BOOL CALLBACK StaticText(HWND child, LPARAM text)
{
    wchar_t cls[32] = {}, buffer[4096] = {};
    ::GetClassNameW(child, cls, 32);
    if (std::wstring(cls) == L"Static" && ::GetWindowTextW(child, buffer, 4096) > 0)
        *reinterpret_cast<std::wstring*>(text) = buffer;
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM found)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (!::IsWindowVisible(window) || !EndsWithUninstaller(ProcessImage(pid)))
        return TRUE;
    SeenWindow seen;
    seen.Window = window;
    wchar_t cls[64] = {};
    ::GetClassNameW(window, cls, 64);
    seen.Class = cls;
    ::EnumChildWindows(window, StaticText, reinterpret_cast<LPARAM>(&seen.Text));
    reinterpret_cast<std::vector<SeenWindow>*>(found)->push_back(seen);
    return TRUE;
}

// What one run showed and returned.
struct RunResult {
    DWORD Code = 0;
    std::vector<std::wstring> Boxes;   // texts of the boxes, in the order they came
    int OtherWindows = 0;              // visible windows that are no box
    bool FirstRanAtOutcome = false;    // the started process still ran while the outcome showed
    bool InstallFolderAtExit = false;  // the install folder existed the moment it ended
};

// Starts `commandLine` as a tool does and watches it to its end. Boxes are answered as a
// person would: the question with `answer`, every other box with OK.
RunResult RunAsTool(std::wstring commandLine, int answer, const wchar_t* environment = nullptr)
{
    RunResult result;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                          environment ? CREATE_UNICODE_ENVIRONMENT : 0,
                          const_cast<wchar_t*>(environment), nullptr, &si, &pi)) {
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
                if (w.Class != L"MwTaskbarOwner")
                    ++result.OtherWindows;
                continue;
            }
            if (w.Text.empty() || std::find(answered.begin(), answered.end(), w.Window) != answered.end())
                continue;
            answered.push_back(w.Window);
            result.Boxes.push_back(w.Text);
            const bool question = w.Text == kConfirmText;
            if (!question)
                result.FirstRanAtOutcome = ::WaitForSingleObject(first.get(), 0) == WAIT_TIMEOUT;
            const int button = question ? answer : IDOK;
            ::PostMessageW(w.Window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(w.Window, button)));
        }
    }
    result.InstallFolderAtExit = PathIsFolder(TestInstallFolder());
    EXPECT_EQ(::WaitForSingleObject(first.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "still running";
    ::GetExitCodeProcess(first.get(), &result.Code);
    return result;
}

// The process's environment with TMP and TEMP replaced by `temp`.
std::wstring EnvironmentWithTemp(const std::wstring& temp)
{
    std::wstring block;
    wchar_t* env = ::GetEnvironmentStringsW();
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
        const std::wstring entry = p;
        if (::CompareStringOrdinal(entry.c_str(), 4, L"TMP=", 4, TRUE) != CSTR_EQUAL &&
            ::CompareStringOrdinal(entry.c_str(), 5, L"TEMP=", 5, TRUE) != CSTR_EQUAL)
            block += entry + L'\0';
    }
    ::FreeEnvironmentStringsW(env);
    block += L"TMP=" + temp + L'\0' + L"TEMP=" + temp + L'\0';
    return block + L'\0';
}

std::string PendingDeletions()
{
    HKEY key = nullptr;
    std::string names;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return names;
    DWORD size = 0;
    if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::wstring data(size / sizeof(wchar_t), L'\0');
        ::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&data[0]), &size);
        std::replace(data.begin(), data.end(), L'\0', L'|');
        names = N(data);
    }
    ::RegCloseKey(key);
    return names;
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
        int Answer;             // the question's answer; 0: a silent run, no window at all
        Before Setup;
        DWORD Code;
        Left After;
    };
    const Row rows[] = {
        {"the entry's QuietUninstallString", nullptr, 0, Before::Nothing, 0, Left::Nothing},
        {"-QUIET and /s", "-QUIET /s", 0, Before::Nothing, 0, Left::Nothing},
        {"a file held open", "/S", 0, Before::HoldLicence, 1603, Left::HeldFileAndEntry},
        {"an unknown switch", "/S /repair", 0, Before::Nothing, 87, Left::Whole},
        {"no temporary folder to stage in", "/S", 0, Before::NoTempFolder, 3010,
         Left::RenamedUninstaller},
        {"another uninstaller runs", "/S", 0, Before::UninstallerRuns, 1618, Left::Whole},
        {"the installer runs", "/S", 0, Before::InstallerRuns, 1618, Left::Whole},
        {"interactive, Yes", "", IDYES, Before::Nothing, 0, Left::Nothing},
        {"interactive, No", "", IDNO, Before::Nothing, 1602, Left::Whole},
        {"interactive, a file held open", "", IDYES, Before::HoldLicence, 1603, Left::HeldFileAndEntry},
        {"interactive, an unknown switch", "/x", 0, Before::Nothing, 87, Left::Whole},
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
                                              ? L"Local\\MarlowindSetup.Wizard"
                                              : L"Local\\MarlowindSetup.Uninstall"));
            ASSERT_TRUE(otherRun);
        }
        const std::wstring environment = EnvironmentWithTemp(L"C:\\no such temporary folder");

        const RunResult run = RunAsTool(W(line), row.Answer,
                                        row.Setup == Before::NoTempFolder ? environment.c_str() : nullptr);
        held.reset();
        otherRun.reset();

        EXPECT_EQ(run.Code, row.Code);
        EXPECT_EQ(run.OtherWindows, 0);
        if (row.Answer == 0 && std::string(row.Name).find("interactive") == std::string::npos) {
            EXPECT_TRUE(run.Boxes.empty()) << "a silent run showed: " << N(run.Boxes.front());
        } else if (row.Code == 87) {
            ASSERT_EQ(run.Boxes.size(), 1u);
            EXPECT_NE(run.Boxes[0].find(L"\"/x\""), std::wstring::npos) << N(run.Boxes[0]);
        } else {
            ASSERT_FALSE(run.Boxes.empty());
            EXPECT_EQ(run.Boxes[0], kConfirmText);
            EXPECT_EQ(run.Boxes.size(), row.Answer == IDYES ? 2u : 1u);
            if (row.Answer == IDYES) {
                EXPECT_TRUE(run.FirstRanAtOutcome) << "the started process ended before the outcome";
            }
        }
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
            const std::string pending = PendingDeletions();
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
