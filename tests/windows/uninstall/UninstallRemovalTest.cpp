// Removing a real installation from the test prefix: InstallFiles writes it from the resource
// DLL, the uninstaller takes it away, the prefix's file system and registry are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "InstallTestSupport.h"
#include "common/UniqueHandle_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/TransactionRecord_win32.h"
#include "uninstall/InstallationItems_win32.h"
#include "uninstall/UninstallTexts_win32.h"

namespace {
const char* const kUninstallEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind";
const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kProduct = "Software\\Marlowind";
const char* const kConfig = "SOFTWARE\\Marlowind\\Config";

const char* const kInstallFiles[] = {"Marlowind.exe", "Ririvud", "UninstallMW.exe",
                                     "MarlUpdate.exe", "Marlowind on the web.url", "License.txt"};
const char* const kSharedFiles[] = {"wall1.png", "wall2.png", "wall3.png", "wall4.png",
                                    "smwall1.png", "smwall2.png", "smwall3.png", "smwall4.png",
                                    "about.png"};

std::vector<std::string> AllLinks()
{
    const std::string menu = TestMenuFolder() + "\\";
    return {DesktopLink(), ProgramsLink(), menu + "Marlowind.lnk",
            menu + "Marlowind on the web.lnk", menu + "License.lnk"};
}

void SetRegString(HKEY root, const std::string& key, const std::string& name,
                  const std::string& value)
{
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(k);
}

void DeleteRegValue(HKEY root, const std::string& key, const std::string& name)
{
    HKEY k = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        ::RegDeleteValueA(k, name.c_str());
        ::RegCloseKey(k);
    }
}

// Everything an installation made is gone, checked against the known names rather than the
// uninstaller's own list.
void ExpectFilesAndLinksGone()
{
    for (const char* n : kInstallFiles)
        EXPECT_FALSE(PathIsFile(TestInstallFolder() + n)) << n;
    for (const char* n : {"Marlowind.zip", "Ririvud.zip", "UninstallMW.zip", "Marlupdate.zip"})
        EXPECT_FALSE(PathIsFile(TestInstallFolder() + n)) << n;
    for (const char* n : kSharedFiles)
        EXPECT_FALSE(PathIsFile(TestSharedFolder() + n)) << n;
    for (const std::string& l : AllLinks())
        EXPECT_FALSE(PathIsFile(l)) << l;
}

const char* const kEntryValues[] = {"DisplayName",   "UnInstallString", "DisplayIcon",
                                    "Publisher",     "EstimatedSize",   "DisplayVersion",
                                    "QuietUninstallString"};

void ExpectRegistryGone()
{
    for (const char* n : kEntryValues)
        EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, kUninstallEntry, n).Exists) << n;
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, kRun, "MarloWind").Exists);
    for (const char* n : {"InstallPath", "IsFirstTime"})
        EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, kProduct, n).Exists) << n;
    for (const char* n : {"autostart", "soundeffects", "showsearchbox", "showclock", "showpopup",
                          "showconsole"})
        EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, kConfig, n).Exists) << n;
}

void ExpectNothingLeft()
{
    ExpectFilesAndLinksGone();
    ExpectRegistryGone();
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kUninstallEntry));
    EXPECT_FALSE(PathIsFolder(TestInstallFolder()));
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
    EXPECT_FALSE(PathIsFolder(TestMenuFolder()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kConfig));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kProduct));
}

std::string Describe(const std::vector<RemovalFailure>& failures)
{
    std::string text;
    for (const RemovalFailure& f : failures)
        text += N(DescribeItem(f.Item)) + Format(" (error %lu)\n", static_cast<unsigned long>(f.Error));
    return text;
}

class UninstallInstalled : public ::testing::Test {
protected:
    void SetUp() override
    {
        WipeInstallation();
        resources_ = std::make_unique<ResourceDll>(MW_RES_FULL);
        ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
        // The install really left what the removal is checked against.
        for (const char* n : kInstallFiles)
            ASSERT_TRUE(PathIsFile(TestInstallFolder() + n)) << n;
        for (const std::string& l : AllLinks())
            ASSERT_TRUE(PathIsFile(l)) << l;
        ASSERT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kUninstallEntry));
        ASSERT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kConfig, "showconsole").Exists);
    }
    void TearDown() override
    {
        resources_.reset();
        WipeInstallation();
    }

private:
    std::unique_ptr<ResourceDll> resources_;
};
}  // namespace

TEST_F(UninstallInstalled, RemovesEverythingAndNothingElse)
{
    SetRegString(HKEY_LOCAL_MACHINE, kRun, "UninstallTestOther", "C:\\other.exe");
    SetRegString(HKEY_CURRENT_USER,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UninstallTestOther",
                 "DisplayName", "Other");

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    EXPECT_TRUE(failures.empty()) << Describe(failures);
    ExpectNothingLeft();
    EXPECT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, kRun, "UninstallTestOther").Exists);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UninstallTestOther"));
    EXPECT_TRUE(PathIsFolder(N(GetSpecialFolder(CSIDL_PROGRAM_FILES))));
    EXPECT_TRUE(PathIsFolder(N(GetSpecialFolder(CSIDL_COMMON_PROGRAMS))));
    DeleteRegValue(HKEY_LOCAL_MACHINE, kRun, "UninstallTestOther");
    DeleteRegTree(HKEY_CURRENT_USER,
                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UninstallTestOther");
}

TEST_F(UninstallInstalled, KeepsWhatOthersPutIntoItsFoldersAndKeys)
{
    WriteAll(TestInstallFolder() + "my notes.txt", "mine");
    WriteAll(TestSharedFolder() + "chat.log", "history");
    WriteAll(TestMenuFolder() + "\\Added by hand.lnk", "x");
    SetRegString(HKEY_CURRENT_USER, kConfig, "windowpos", "10,10");
    SetRegString(HKEY_CURRENT_USER, std::string(kProduct) + "\\Accounts", "user", "me");
    SetRegString(HKEY_CURRENT_USER, kUninstallEntry, "InstallSource", "C:\\elsewhere");
    SetRegString(HKEY_CURRENT_USER, std::string(kUninstallEntry) + "\\Patches", "KB1", "x");

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    EXPECT_TRUE(failures.empty()) << Describe(failures);
    ExpectFilesAndLinksGone();
    ExpectRegistryGone();
    EXPECT_EQ(FolderEntries(TestInstallFolder()), std::vector<std::string>{"my notes.txt"});
    EXPECT_EQ(FolderEntries(TestSharedFolder()), std::vector<std::string>{"chat.log"});
    EXPECT_EQ(FolderEntries(TestMenuFolder()), std::vector<std::string>{"Added by hand.lnk"});
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kConfig, "windowpos").String, "10,10");
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, std::string(kProduct) + "\\Accounts", "user").String, "me");
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kUninstallEntry, "InstallSource").String, "C:\\elsewhere");
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, std::string(kUninstallEntry) + "\\Patches", "KB1").String, "x");
}

TEST_F(UninstallInstalled, PartialInstallationAndSecondRunGiveNoComplaint)
{
    // Parts already gone, and stream files an interrupted install left behind.
    ::DeleteFileA((TestInstallFolder() + "Ririvud").c_str());
    ::DeleteFileA((TestSharedFolder() + "wall2.png").c_str());
    ::DeleteFileA(DesktopLink().c_str());
    RemoveTree(TestMenuFolder());
    DeleteRegTree(HKEY_CURRENT_USER, kConfig);
    DeleteRegValue(HKEY_CURRENT_USER, kProduct, "IsFirstTime");
    DeleteRegValue(HKEY_LOCAL_MACHINE, kRun, "MarloWind");
    WriteAll(TestInstallFolder() + "Ririvud.zip", "partial stream");
    WriteAll(TestInstallFolder() + "Marlupdate.zip", "partial stream");

    const std::vector<RemovalFailure> first = RemoveInstallation();
    EXPECT_TRUE(first.empty()) << Describe(first);
    ExpectNothingLeft();

    const std::vector<RemovalFailure> second = RemoveInstallation();
    EXPECT_TRUE(second.empty()) << Describe(second);
    ExpectNothingLeft();
}

TEST_F(UninstallInstalled, WhileAFileIsHeldTheUninstallerAndItsEntryStayForASecondRun)
{
    const std::string licence = TestInstallFolder() + "License.txt";
    UniqueFile held(::CreateFileA(licence.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    ASSERT_EQ(failures.size(), 1u) << Describe(failures);
    EXPECT_EQ(failures[0].Item.Path, W(licence));
    EXPECT_EQ(failures[0].Error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    std::vector<std::string> left = FolderEntries(TestInstallFolder());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"License.txt", "UninstallMW.exe"}));
    for (const char* n : kEntryValues)
        EXPECT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kUninstallEntry, n).Exists) << n;
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kUninstallEntry, "UnInstallString").String,
              TestInstallFolder() + "uninstallmw.exe");
    EXPECT_TRUE(UninstallEntryKept());
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, kRun, "MarloWind").Exists);
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));

    const std::wstring report = FailureReport(failures, UninstallEntryKept());
    EXPECT_NE(report.find(FromSystemCodePage(licence)), std::wstring::npos);
    EXPECT_EQ(report.find(L"wall1.png"), std::wstring::npos);
    EXPECT_NE(report.find(L"The uninstaller and its entry in the list of programs were kept."),
              std::wstring::npos);
    EXPECT_EQ(FailureReport(failures).find(L"were kept"), std::wstring::npos);

    held.reset();
    const std::vector<RemovalFailure> again = RemoveInstallation();
    EXPECT_TRUE(again.empty()) << Describe(again);
    ExpectNothingLeft();
    EXPECT_FALSE(UninstallEntryKept());
}

TEST_F(UninstallInstalled, ClosesTheRunningMessengerAndUpdaterBeforeRemovingThem)
{
    std::vector<PROCESS_INFORMATION> started;
    for (const std::wstring& program : {InstalledMessengerPath(), InstalledUpdaterPath()}) {
        std::string commandLine = "\"" + N(program) + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                     nullptr, nullptr, &si, &pi)) << N(program);
        ::CloseHandle(pi.hThread);
        ::WaitForInputIdle(pi.hProcess, 10000);
        ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << N(program);
        started.push_back(pi);
    }

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    for (const PROCESS_INFORMATION& pi : started) {
        EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
        ::TerminateProcess(pi.hProcess, 0);
        ::CloseHandle(pi.hProcess);
    }
    EXPECT_TRUE(failures.empty()) << Describe(failures);
    ExpectNothingLeft();
}

// An install killed before or amid its swap: the uninstaller first finishes or undoes it from
// its record, then removes the installation; only the user's own files stay, with a ".old" an
// older version's crashed run left, which no record lists.
TEST_F(UninstallInstalled, FinishesAnInstallCutShortThenRemovesEverything)
{
    for (const SwapState state : {SwapState::Staging, SwapState::Swapping}) {
        SCOPED_TRACE(state == SwapState::Staging ? "killed while staging" : "killed amid the swap");
        if (!PathIsFile(TestInstallFolder() + "Marlowind.exe")) {
            ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
        }
        const std::string messenger = TestInstallFolder() + "Marlowind.exe";
        const std::string wall = TestSharedFolder() + "wall1.png";
        WriteAll(TestInstallFolder() + "my notes.txt", "mine");
        WriteAll(messenger + ".old", "left by an older version");
        TransactionPlan plan;
        plan.Entries = {{W(messenger), W(messenger + ".new"), W(messenger + ".old2"), false},
                        {W(wall), W(wall + ".new"), W(wall + ".old"), false},
                        {W(TestInstallFolder() + "Ririvud.zip"), W(TestInstallFolder() + "Ririvud.zip"), L"", true}};
        {
            TransactionRecord record;
            ASSERT_EQ(record.Create(W(TestInstallFolder()) + kTransactionRecordFile, plan), ERROR_SUCCESS);
            WriteAll(messenger + ".new", "new messenger");
            WriteAll(wall + ".new", "new wallpaper");
            if (state == SwapState::Swapping) {
                ASSERT_EQ(record.Mark(state), ERROR_SUCCESS);
                ASSERT_TRUE(::MoveFileA(messenger.c_str(), (messenger + ".old2").c_str()));
                ASSERT_TRUE(::MoveFileA((messenger + ".new").c_str(), messenger.c_str()));
                ASSERT_TRUE(::MoveFileA(wall.c_str(), (wall + ".old").c_str()));
            } else {
                WriteAll(TestInstallFolder() + "Ririvud.zip", "partial stream");
            }
        }

        const std::vector<RemovalFailure> failures = RemoveInstallation();

        EXPECT_TRUE(failures.empty()) << Describe(failures);
        ExpectFilesAndLinksGone();
        std::vector<std::string> left = FolderEntries(TestInstallFolder());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"Marlowind.exe.old", "my notes.txt"}));
        EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
        RemoveTree(TestInstallFolder());
    }
}
