// The second stage's folders in the prefix's temporary folder: made fresh, closed when
// elevated, and cleared afterwards only when they hold nothing but a stage's copy. Links are
// real Unix symbolic links in the prefix, which Wine shows as reparse points.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <iostream>
#include <set>

#include "../WineLinks.h"
#include "common/UniqueHandle_win32.h"
#include "uninstall/StageFolder_win32.h"

namespace {
void Write(const std::wstring& path, const char* content)
{
    UniqueFile f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f) << "cannot write " << ::GetLastError();
    DWORD put = 0;
    ::WriteFile(f.get(), content, static_cast<DWORD>(strlen(content)), &put, nullptr);
}

DWORD Attributes(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str());
}

bool Exists(const std::wstring& path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

class StageFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp_ = TempFolderW();
        ASSERT_FALSE(temp_.empty());
        scratch_ = temp_ + L"StageFolderTest";
        RemoveTreeOnHost(scratch_);
        ASSERT_TRUE(::CreateDirectoryW(scratch_.c_str(), nullptr));
    }
    void TearDown() override
    {
        // Links first, by their names: Wine's RemoveDirectoryW and DeleteFileW on a link would
        // remove what it points to.
        for (const std::wstring& l : links_)
            RemoveTreeOnHost(l);
        for (const std::wstring& f : made_)
            RemoveTreeOnHost(f);
        RemoveTreeOnHost(scratch_);
    }
    // A folder of the temporary folder named `name`, holding `files` (each with content).
    std::wstring Plant(const std::wstring& name, std::initializer_list<const wchar_t*> files)
    {
        const std::wstring folder = temp_ + name;
        RemoveTreeOnHost(folder);
        made_.push_back(folder);
        EXPECT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        for (const wchar_t* f : files)
            Write(folder + L"\\" + f, "the user's own");
        return folder;
    }
    // A Unix symbolic link: Wine shows a link to a folder as a reparse-point folder, a link to
    // a file as a plain file.
    void Link(const std::wstring& target, const std::wstring& link)
    {
        links_.push_back(link);
        ASSERT_TRUE(PlantUnixLink(link, target)) << "not a Wine prefix?";
    }
    std::wstring temp_, scratch_;
    std::vector<std::wstring> made_, links_;
};
}  // namespace

TEST_F(StageFolders, OnlyRealFoldersHoldingJustTheCopyAreCleared)
{
    const std::wstring stale = Plant(L"MarlowindUninstall.4000.0", {L"UninstallMW.exe"});
    const std::wstring ownCase = Plant(L"marlowinduninstall.4000.1", {L"uninstallmw.EXE"});
    const std::wstring busy = Plant(L"MarlowindUninstall.4000.2", {L"UninstallMW.exe"});
    const std::wstring own = Plant(L"MarlowindUninstall.4000.3", {L"UninstallMW.exe"});
    const std::wstring bare = Plant(L"MarlowindUninstall", {L"UninstallMW.exe"});
    const std::wstring withUserFile =
        Plant(L"MarlowindUninstall.4000.4", {L"UninstallMW.exe", L"notes.txt"});
    const std::wstring userOnly = Plant(L"MarlowindUninstall.4000.5", {L"notes.txt"});
    const std::wstring withSubfolder = Plant(L"MarlowindUninstall.4000.6", {L"UninstallMW.exe"});
    ASSERT_TRUE(::CreateDirectoryW((withSubfolder + L"\\sub").c_str(), nullptr));
    const std::wstring empty = Plant(L"MarlowindUninstall.4000.7", {});
    // A link named like a stage, to a folder that looks exactly like one.
    const std::wstring target = scratch_ + L"\\looks like a stage";
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
    Write(target + L"\\UninstallMW.exe", "the user's own");
    const std::wstring folderLink = temp_ + L"MarlowindUninstall.4000.8";
    Link(target, folderLink);
    // A real stage folder whose copy is a link to a file of the user's.
    const std::wstring fileLinkStage = Plant(L"MarlowindUninstall.4000.9", {});
    Write(scratch_ + L"\\precious.exe", "the user's own");
    Link(scratch_ + L"\\precious.exe", fileLinkStage + L"\\UninstallMW.exe");
    UniqueFile held(::CreateFileW((busy + L"\\UninstallMW.exe").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    RemoveStageFolders(temp_, own);

    EXPECT_FALSE(Exists(stale));
    EXPECT_FALSE(Exists(ownCase));
    for (const std::wstring& kept : {busy, own, bare, withUserFile, withSubfolder})
        EXPECT_TRUE(Exists(kept + L"\\UninstallMW.exe")) << std::string(kept.begin(), kept.end());
    EXPECT_TRUE(Exists(withUserFile + L"\\notes.txt"));
    EXPECT_TRUE(Exists(userOnly + L"\\notes.txt"));
    EXPECT_TRUE(Exists(withSubfolder + L"\\sub"));
    EXPECT_TRUE(Exists(empty));
    EXPECT_TRUE(Attributes(folderLink) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(Exists(target + L"\\UninstallMW.exe"));
    // Wine shows that link as a plain file; it stays all the same, and what it points to.
    EXPECT_TRUE(NameExists(fileLinkStage + L"\\UninstallMW.exe"));
    EXPECT_TRUE(Exists(scratch_ + L"\\precious.exe"));

    // Asked directly, the removal refuses the link and the folder behind it as well.
    EXPECT_FALSE(RemoveStageFolder(folderLink));
    EXPECT_TRUE(Exists(target + L"\\UninstallMW.exe"));
    held.reset();
    EXPECT_TRUE(RemoveStageFolder(busy));
    EXPECT_FALSE(Exists(busy));
}

TEST_F(StageFolders, EachStageIsANewFolderNeverOneThatExisted)
{
    std::set<std::wstring> names;
    for (int i = 0; i < 3; ++i) {
        StageFolder stage = CreateStageFolder(temp_, false);
        ASSERT_FALSE(stage.Path.empty());
        made_.push_back(stage.Path);
        EXPECT_TRUE(IsStageFolderName(temp_, stage.Path));
        // The prefix, the process id in decimal, a full stop and eight lower-case hex digits.
        const std::wstring own = std::wstring(kStageFolderPrefix) +
                                 std::to_wstring(::GetCurrentProcessId()) + L".";
        const std::wstring name = stage.Path.substr(temp_.size());
        EXPECT_EQ(name.substr(0, own.size()), own);
        EXPECT_EQ(name.size(), own.size() + 8) << name.c_str();
        EXPECT_EQ(name.find_first_not_of(L"0123456789abcdef", own.size()), std::wstring::npos);
        EXPECT_TRUE(names.insert(stage.Path).second);
        // Held, it can't be renamed away and replaced.
        EXPECT_FALSE(::MoveFileW(stage.Path.c_str(), (scratch_ + L"\\moved").c_str()));
        Write(stage.Path + L"\\" + kStageExecutable, "copy");
        DiscardStageFolder(stage);
        EXPECT_FALSE(Exists(stage.Path));
    }
    // A temporary folder where nothing can be made yields no stage rather than an old folder.
    EXPECT_TRUE(CreateStageFolder(scratch_ + L"\\missing\\", false).Path.empty());
}

TEST_F(StageFolders, AnElevatedStageIsClosedToEveryoneButSystemAndAdministrators)
{
    std::cout << "[ INFO     ] the test process is elevated: "
              << (ProcessIsElevated() ? "yes" : "no") << "\n";
    StageFolder stage = CreateStageFolder(temp_, true);
    ASSERT_FALSE(stage.Path.empty());
    made_.push_back(stage.Path);
    PSECURITY_DESCRIPTOR sd = nullptr;
    PACL dacl = nullptr;
    ASSERT_EQ(::GetNamedSecurityInfoW(stage.Path.c_str(), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                                      &sd),
              static_cast<DWORD>(ERROR_SUCCESS));
    LPWSTR text = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
    const std::wstring readBack = text;
    ::LocalFree(text);
    std::cout << "[ INFO     ] read back: " << std::string(readBack.begin(), readBack.end()) << "\n";
    // Wine keeps no access list of its own: it turns the one given into the Unix mode of the
    // folder (owner only here) and reports SYSTEM and the owner from that mode.
    UniqueHandle token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.receive()));
    alignas(8) BYTE user[256] = {};
    DWORD size = 0;
    ASSERT_TRUE(::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size));
    const PSID owner = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll"), "wine_get_version") != nullptr;
    ASSERT_TRUE(dacl);
    ASSERT_GT(dacl->AceCount, 0);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        ASSERT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        const PSID sid = &ace->SidStart;
        EXPECT_TRUE(::IsWellKnownSid(sid, WinLocalSystemSid) ||
                    ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
                    (wine && ::EqualSid(sid, owner)))
            << "entry " << i << " grants someone else";
    }
    if (!wine) {
        EXPECT_EQ(readBack, kStageFolderAccess);
    }
    ::LocalFree(sd);
    DiscardStageFolder(stage);
}
