// The carried uninstaller, run for real, for a user whose name lies outside the system code
// page (the foreign-user prefix; skipped elsewhere): it stages itself in that user's temporary
// folder and removes everything, its own file included.
#include <gtest/gtest.h>

#include "InstallTestSupport.h"
#include "common/Texts_win32.h"
#include "common/UniqueHandle_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/KnownFolders_win32.h"
#include "uninstall/UninstallTexts_win32.h"

namespace {
const wchar_t* const kSessionManager = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

struct Box {
    HWND Window = nullptr;
    DWORD Process = 0;
    std::wstring Text;  // the message, from its static control
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM text)
{
    wchar_t cls[32] = {}, buffer[2048] = {};
    ::GetClassNameW(child, cls, 32);
    if (std::wstring(cls) == L"Static") {
        ::GetWindowTextW(child, buffer, 2048);
        if (buffer[0])
            *reinterpret_cast<std::wstring*>(text) = buffer;
    }
    return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM found)
{
    wchar_t cls[32] = {}, title[128] = {};
    ::GetClassNameW(window, cls, 32);
    ::GetWindowTextW(window, title, 128);
    if (!::IsWindowVisible(window) || std::wstring(cls) != L"#32770" ||
        std::wstring(title) != Text(tiUninstallCaption))
        return TRUE;
    Box& box = *reinterpret_cast<Box*>(found);
    box.Window = window;
    ::GetWindowThreadProcessId(window, &box.Process);
    ::EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&box.Text));
    return FALSE;
}

// The uninstaller's visible message box, waiting up to 30 s for one.
Box WaitForBox()
{
    Box box;
    for (int i = 0; i < 300 && !box.Window; ++i) {
        ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box.Window)
            ::Sleep(100);
    }
    return box;
}

void Press(const Box& box, int button)
{
    ::PostMessageW(box.Window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box.Window, button)));
}

std::wstring ImagePath(DWORD process)
{
    UniqueHandle h(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process));
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!h || !::QueryFullProcessImageNameW(h.get(), 0, path, &size))
        return std::wstring();
    return path;
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix)
{
    return text.size() >= prefix.size() &&
           ::CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// The files the system is to delete at the next restart (every other entry of the list).
std::vector<std::wstring> PendingDeletions()
{
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return names;
    DWORD size = 0;
    if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
        ::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(data.data()), &size);
        // Pairs of old and new name; the new name of a deletion is empty, so the list is cut
        // at every NUL of its whole length rather than at the first empty string.
        std::vector<std::wstring> strings(1);
        for (size_t i = 0; i < size / sizeof(wchar_t); ++i) {
            if (data[i])
                strings.back() += data[i];
            else
                strings.emplace_back();
        }
        for (size_t i = 0; i + 1 < strings.size(); i += 2)
            names.push_back(strings[i]);
    }
    ::RegCloseKey(key);
    return names;
}

class ForeignUserUninstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InForeignUserPrefix())
            GTEST_SKIP() << "runs in the foreign-user prefix only";
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        temp_ = temp;
        desktopLink_ = GetSpecialFolder(CSIDL_DESKTOP) + L"\\Marlowind.lnk";
        WipeInstallation();
        ResourceDll dll(MW_RES_FULL);
        ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
        ASSERT_TRUE(ReadLinkW(desktopLink_).Loaded);
    }
    void TearDown() override
    {
        WipeInstallation();
        ::DeleteFileW(desktopLink_.c_str());
    }

    std::wstring temp_, desktopLink_;
};
}  // namespace

TEST_F(ForeignUserUninstall, RemovesEverythingAndItselfThroughAStageInTheUsersTemp)
{
    const std::wstring uninstaller = InstallFolder() + L"UninstallMW.exe";
    std::wstring commandLine = L"\"" + uninstaller + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessW(uninstaller.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, &si, &pi));
    ::CloseHandle(pi.hThread);
    UniqueHandle first(pi.hProcess);

    const Box question = WaitForBox();
    ASSERT_TRUE(question.Window) << "no question asked";
    EXPECT_EQ(question.Text, Text(tiUninstallConfirm));
    Press(question, IDYES);
    // The question's box may linger a moment after the press.
    for (int i = 0; i < 50 && ::IsWindow(question.Window); ++i)
        ::Sleep(100);

    const Box result = WaitForBox();
    ASSERT_TRUE(result.Window) << "no result shown";
    EXPECT_EQ(result.Text, Text(tiUninstallRemoved));
    const std::wstring stage = ImagePath(result.Process);
    EXPECT_TRUE(StartsWithIgnoringCase(stage, temp_)) << N(stage);
    // The started process waits for the outcome and returns it.
    EXPECT_EQ(::WaitForSingleObject(first.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    UniqueHandle second(::OpenProcess(SYNCHRONIZE, FALSE, result.Process));
    Press(result, IDOK);
    ASSERT_TRUE(second);
    EXPECT_EQ(::WaitForSingleObject(first.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    ::GetExitCodeProcess(first.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(::WaitForSingleObject(second.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    // The first stage's file went from the stage once that process had ended.
    const std::wstring stageFolder = stage.substr(0, stage.rfind(L'\\'));
    EXPECT_EQ(::GetFileAttributesW((stageFolder + L"\\UninstallMW.installed").c_str()),
              INVALID_FILE_ATTRIBUTES);

    EXPECT_FALSE(PathIsFolder(TestInstallFolder())) << "UninstallMW.exe and its folder are gone";
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
    EXPECT_EQ(::GetFileAttributesW(desktopLink_.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Marlowind"));
    // The stage's own copy can only go at the next restart: it is on the system's list.
    bool scheduled = false;
    for (const std::wstring& name : PendingDeletions())
        scheduled = scheduled || (name.size() >= stage.size() &&
                                  StartsWithIgnoringCase(name.substr(name.size() - stage.size()), stage));
    EXPECT_TRUE(scheduled) << N(stage);
}
