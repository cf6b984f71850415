// The single removals and their outcomes, on scratch files and keys of the test prefix.
#include <gtest/gtest.h>

#include "InstallTestSupport.h"
#include "common/UniqueHandle_win32.h"
#include "uninstall/RegistryRemoval_win32.h"
#include "uninstall/Removal_win32.h"
#include "uninstall/SelfRemoval_win32.h"
#include "uninstall/UninstallTexts_win32.h"

namespace {
const char* const kScratchKey = "Software\\UninstallItemsTest";

std::string ScratchFolder()
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "UninstallItemsTest";
}

void CreateKeyWithValue(const std::string& key, const char* value)
{
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &k, nullptr),
              ERROR_SUCCESS);
    if (value) {
        const DWORD one = 1;
        ::RegSetValueExA(k, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    }
    ::RegCloseKey(k);
}

class UninstallItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveTree(ScratchFolder());
        ASSERT_TRUE(::CreateDirectoryA(ScratchFolder().c_str(), nullptr));
        DeleteRegTree(HKEY_CURRENT_USER, kScratchKey);
    }
    void TearDown() override
    {
        RemoveTree(ScratchFolder());
        DeleteRegTree(HKEY_CURRENT_USER, kScratchKey);
    }
};
}  // namespace

TEST_F(UninstallItems, FilesAndFoldersReportWhatHappened)
{
    const std::string folder = ScratchFolder();
    const std::string file = folder + "\\a.txt";
    WriteAll(file, "a");
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(RemoveItem(FolderRemoval(W(folder))), RemovalOutcome::Kept);
    EXPECT_EQ(RemoveItem(FileRemoval(W(file))), RemovalOutcome::Removed);
    EXPECT_FALSE(PathIsFile(file));
    EXPECT_EQ(RemoveItem(FileRemoval(W(file))), RemovalOutcome::Absent);
    EXPECT_EQ(RemoveItem(FileRemoval(W(folder + "\\missing\\b.txt"))), RemovalOutcome::Absent);

    // A folder that holds only a subfolder is not empty either.
    ASSERT_TRUE(::CreateDirectoryA((folder + "\\sub").c_str(), nullptr));
    EXPECT_EQ(RemoveItem(FolderRemoval(W(folder + "\\"))), RemovalOutcome::Kept);
    EXPECT_TRUE(PathIsFolder(folder + "\\sub"));
    ::RemoveDirectoryA((folder + "\\sub").c_str());
    EXPECT_EQ(RemoveItem(FolderRemoval(W(folder + "\\"))), RemovalOutcome::Removed);
    EXPECT_FALSE(PathIsFolder(folder));
    EXPECT_EQ(RemoveItem(FolderRemoval(W(folder))), RemovalOutcome::Absent);
}

TEST_F(UninstallItems, AFolderIsNeverRemovedAsAFile)
{
    const std::string sub = ScratchFolder() + "\\looks like a file.exe";
    ASSERT_TRUE(::CreateDirectoryA(sub.c_str(), nullptr));
    DWORD error = 0;
    EXPECT_EQ(RemoveItem(FileRemoval(W(sub)), &error), RemovalOutcome::Failed);
    EXPECT_NE(error, 0u);
    EXPECT_TRUE(PathIsFolder(sub));
}

TEST_F(UninstallItems, RegistryValuesAndKeys)
{
    const std::string key = kScratchKey;
    const std::string child = key + "\\Child";
    CreateKeyWithValue(key, "flag");
    CreateKeyWithValue(child, "inner");

    EXPECT_EQ(RemoveItem(ValueRemoval(HKEY_CURRENT_USER, key, "flag")), RemovalOutcome::Removed);
    EXPECT_FALSE(ReadRegValue(HKEY_CURRENT_USER, key, "flag").Exists);
    EXPECT_EQ(RemoveItem(ValueRemoval(HKEY_CURRENT_USER, key, "flag")), RemovalOutcome::Absent);
    EXPECT_EQ(RemoveItem(ValueRemoval(HKEY_CURRENT_USER, key + "\\Nowhere", "flag")),
              RemovalOutcome::Absent);

    // No values left, but a subkey: kept.
    EXPECT_EQ(RemoveItem(KeyIfEmptyRemoval(HKEY_CURRENT_USER, key)), RemovalOutcome::Kept);
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, child));
    EXPECT_EQ(RemoveItem(KeyIfEmptyRemoval(HKEY_CURRENT_USER, child)), RemovalOutcome::Kept);

    EXPECT_EQ(RemoveItem(TreeRemoval(HKEY_CURRENT_USER, key)), RemovalOutcome::Removed);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key));
    EXPECT_EQ(RemoveItem(TreeRemoval(HKEY_CURRENT_USER, key)), RemovalOutcome::Absent);
    EXPECT_EQ(RemoveItem(KeyIfEmptyRemoval(HKEY_CURRENT_USER, key)), RemovalOutcome::Absent);

    CreateKeyWithValue(key, nullptr);
    EXPECT_EQ(RemoveItem(KeyIfEmptyRemoval(HKEY_CURRENT_USER, key)), RemovalOutcome::Removed);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key));
}

TEST_F(UninstallItems, AnEmptyKeyPathNeverEmptiesTheRoot)
{
    CreateKeyWithValue(kScratchKey, "flag");
    EXPECT_EQ(DeleteRegistryTree(HKEY_CURRENT_USER, ""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DeleteRegistryKeyIfEmpty(HKEY_CURRENT_USER, ""), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(ReadRegValue(HKEY_CURRENT_USER, kScratchKey, "flag").Exists);
}

TEST_F(UninstallItems, FailuresAreCollectedInOrderAndDescribed)
{
    const std::string held = ScratchFolder() + "\\held.dat";
    const std::string free = ScratchFolder() + "\\free.dat";
    WriteAll(held, "h");
    WriteAll(free, "f");
    UniqueFile handle(::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(handle);

    const std::vector<RemovalFailure> failures = RemoveItems(
        {FileRemoval(W(held)), FileRemoval(W(free)), FolderRemoval(W(ScratchFolder())),
         ValueRemoval(HKEY_CURRENT_USER, kScratchKey, "none")});

    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].Item.Path, W(held));
    EXPECT_EQ(failures[0].Error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(PathIsFile(free));
    EXPECT_TRUE(PathIsFolder(ScratchFolder()));

    EXPECT_EQ(DescribeItem(ValueRemoval(HKEY_CURRENT_USER, "Software\\Marlowind", "InstallPath")),
              L"HKEY_CURRENT_USER\\Software\\Marlowind, value \"InstallPath\"");
    EXPECT_EQ(DescribeItem(TreeRemoval(HKEY_LOCAL_MACHINE, "Software\\X")), L"HKEY_LOCAL_MACHINE\\Software\\X");
    const std::wstring report = FailureReport(
        {failures[0], {ValueRemoval(HKEY_LOCAL_MACHINE, "Software\\Run", "MarloWind"), ERROR_ACCESS_DENIED}});
    EXPECT_NE(report.find(FromSystemCodePage(held)), std::wstring::npos);
    EXPECT_NE(report.find(L"HKEY_LOCAL_MACHINE\\Software\\Run, value \"MarloWind\""), std::wstring::npos);
    EXPECT_LT(report.find(FromSystemCodePage(held)), report.find(L"MarloWind"));
}

TEST(UninstallSecondStage, OnlyAnInheritedProcessHandleStartsIt)
{
    EXPECT_FALSE(SecondStageStarter(L"UninstallMW.exe"));
    EXPECT_FALSE(SecondStageStarter(L"UninstallMW.exe /continue"));
    EXPECT_FALSE(SecondStageStarter(L"UninstallMW.exe /continue 12abc"));
    EXPECT_FALSE(SecondStageStarter(L"UninstallMW.exe /continue 0"));
    EXPECT_FALSE(SecondStageStarter(L"UninstallMW.exe /continue 99999996"));

    // A handle that names something other than a process, and one of this process itself.
    UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const std::wstring eventLine =
        L"UninstallMW.exe /continue " + std::to_wstring(reinterpret_cast<uintptr_t>(event.get()));
    EXPECT_FALSE(SecondStageStarter(eventLine.c_str()));
    HANDLE self = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                                  &self, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
    UniqueHandle selfOwner(self);
    const std::wstring selfLine =
        L"UninstallMW.exe /continue " + std::to_wstring(reinterpret_cast<uintptr_t>(self));
    EXPECT_FALSE(SecondStageStarter(selfLine.c_str()));

    // A real process: the stage takes the handle and waits for that process to end.
    char cmd[] = "cmd.exe /c exit";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &si, &pi));
    ::CloseHandle(pi.hThread);
    const std::wstring line =
        L"\"C:\\x y\\UninstallMW.exe\" /continue " + std::to_wstring(reinterpret_cast<uintptr_t>(pi.hProcess));
    const UniqueHandle starter = SecondStageStarter(line.c_str());
    ASSERT_TRUE(starter);
    EXPECT_EQ(starter.get(), pi.hProcess);
    WaitForStarter(starter, 10000);
    EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0));
}
