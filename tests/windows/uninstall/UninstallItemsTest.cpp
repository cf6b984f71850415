// The single removals and their outcomes, on scratch files and keys of the test prefix.
#include <gtest/gtest.h>

#include "InstallTestSupport.h"
#include "common/UniqueHandle_win32.h"
#include "uninstall/RegistryRemoval_win32.h"
#include "uninstall/Removal_win32.h"
#include "uninstall/SelfRemoval_win32.h"
#include "uninstall/UninstallOptions_win32.h"
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

TEST(UninstallSecondStage, OnlyAnInheritedProcessAndPipeMakeASecondStageAndCarryItsResult)
{
    // An ended process to stand in for the first stage.
    char cmd[] = "cmd.exe /c exit";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &si, &pi));
    ::CloseHandle(pi.hThread);
    UniqueHandle process(pi.hProcess);
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(::CreatePipe(&read, &write, nullptr, 0));
    UniqueHandle pipeRead(read), pipeWrite(write);
    UniqueHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE self = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                                  &self, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
    UniqueHandle selfOwner(self);
    auto value = [](const UniqueHandle& h) { return reinterpret_cast<uintptr_t>(h.get()); };
    struct Row {
        const char* Name;
        uintptr_t Starter, Report;
        bool Taken;
    };
    const Row rows[] = {
        {"nothing of the kind", 99999996, 99999992, false},
        {"an event for the process", value(event), value(pipeWrite), false},
        {"this process itself", value(selfOwner), value(pipeWrite), false},
        {"an event for the pipe", value(process), value(event), false},
        {"a process and a pipe", value(process), value(pipeWrite), true},
    };
    for (const Row& row : rows) {
        UninstallOptions options;
        options.SecondStage = true;
        options.Starter = row.Starter;
        options.Report = row.Report;
        FirstStage first = FirstStageOf(options);
        EXPECT_EQ(static_cast<bool>(first.Process), row.Taken) << row.Name;
        EXPECT_EQ(static_cast<bool>(first.Result), row.Taken) << row.Name;
        if (!row.Taken)
            continue;
        // The owners now hold the handles; the test's own ones let go of them.
        process.release();
        pipeWrite.release();
        SecondStage stage;
        stage.Result = std::move(pipeRead);
        WaitForFirstStage(first, 10000);
        EXPECT_EQ(::WaitForSingleObject(first.Process.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
        SendResult(first, 3010);
        EXPECT_FALSE(first.Result);
        EXPECT_EQ(WaitForSecondStage(stage), 3010);
        // A second stage gone without a result: the pipe is broken, the run failed.
        HANDLE r2 = nullptr, w2 = nullptr;
        ASSERT_TRUE(::CreatePipe(&r2, &w2, nullptr, 0));
        ::CloseHandle(w2);
        SecondStage killed;
        killed.Result.reset(r2);
        killed.Process = std::move(first.Process);
        EXPECT_EQ(WaitForSecondStage(killed), 1603);
    }
    EXPECT_FALSE(FirstStageOf(ParseUninstallOptions(L"UninstallMW.exe /S")).Process);
}
