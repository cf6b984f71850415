// The no-follow file layer against real Unix links planted in the prefix, and the access list
// of the shared folders.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "../WineLinks.h"
#include "common/SafeFiles_win32.h"

namespace {
std::wstring TempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, buffer);
    return buffer;
}

void Write(const std::wstring& path, const std::string& content)
{
    const HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    ::WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &put, nullptr);
    ::CloseHandle(f);
}

// The content of a file, or "(missing)".
std::string Read(const std::wstring& path)
{
    const HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return "(missing)";
    char buffer[256];
    DWORD got = 0;
    std::string out;
    while (::ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got)
        out.append(buffer, got);
    ::CloseHandle(f);
    return out;
}

class SafeFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = TempFolder() + L"SafeFilesTest";
        RemoveTreeOnHost(root_);
        work_ = root_ + L"\\work";
        elsewhere_ = root_ + L"\\elsewhere";
        ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(work_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(elsewhere_.c_str(), nullptr));
        Write(elsewhere_ + L"\\victim.txt", "precious");
        Write(elsewhere_ + L"\\inner.txt", "also precious");
    }
    void TearDown() override { RemoveTreeOnHost(root_); }

    std::wstring root_, work_, elsewhere_;
};
}  // namespace

TEST_F(SafeFiles, EveryOperationRefusesALinkAndLeavesItsTargetAlone)
{
    const std::wstring fileLink = work_ + L"\\wall1.png";
    const std::wstring folderLink = work_ + L"\\Folder";
    ASSERT_TRUE(PlantUnixLink(fileLink, elsewhere_ + L"\\victim.txt"));
    ASSERT_TRUE(PlantUnixLink(folderLink, elsewhere_));

    UniqueFile h;
    const std::pair<const char*, std::function<DWORD()>> operations[] = {
        {"open", [&] { return SafeOpen(fileLink, GENERIC_WRITE, 0, h); }},
        {"create", [&] { return SafeCreateFile(fileLink, h); }},
        {"delete", [&] { return SafeDeleteFile(fileLink, true); }},
        {"rename", [&] { return SafeRename(fileLink, work_ + L"\\moved.png", true); }},
        {"attributes", [&] { return SafeSetAttributes(fileLink, FILE_ATTRIBUTE_READONLY); }},
        {"folder as file", [&] { return SafeDeleteFile(folderLink, true); }},
        {"remove folder", [&] { return SafeRemoveFolder(folderLink); }},
        {"rename folder", [&] { return SafeRename(folderLink, work_ + L"\\Moved", false); }},
        {"check folder", [&] { return CheckFolderNotLink(folderLink); }},
        {"folder access", [&] { return SetFolderAccess(folderLink, kSharedFolderAccess); }},
    };
    for (const auto& [name, operation] : operations) {
        EXPECT_EQ(operation(), kErrorLinkRefused) << name;
        EXPECT_FALSE(h) << name;
    }

    EXPECT_EQ(Read(elsewhere_ + L"\\victim.txt"), "precious");
    EXPECT_EQ(Read(elsewhere_ + L"\\inner.txt"), "also precious");
    EXPECT_EQ(::GetFileAttributesW((elsewhere_ + L"\\victim.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Read(fileLink), "precious") << "the link itself is still there";
    EXPECT_EQ(Read(work_ + L"\\moved.png"), "(missing)");
    EXPECT_NE(::GetFileAttributesW(folderLink.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SafeFiles, ADanglingLinkIsNeverCreatedThrough)
{
    // Planted while its target exists: Wine can't see a dangling name to wait for.
    const std::wstring dangling = work_ + L"\\about.png";
    Write(elsewhere_ + L"\\new.txt", "");
    ASSERT_TRUE(PlantUnixLink(dangling, elsewhere_ + L"\\new.txt"));
    ASSERT_TRUE(::DeleteFileW((elsewhere_ + L"\\new.txt").c_str()));
    UniqueFile h;
    EXPECT_NE(SafeCreateFile(dangling, h), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(h);
    EXPECT_EQ(Read(elsewhere_ + L"\\new.txt"), "(missing)");
}

TEST_F(SafeFiles, PlainFilesAndFoldersBehaveAsTheSystemCallsDo)
{
    const std::wstring file = work_ + L"\\a.txt";
    const std::wstring other = work_ + L"\\b.txt";
    UniqueFile h;

    // Created anew, then truncated when it exists.
    ASSERT_EQ(SafeCreateFile(file, h), static_cast<DWORD>(ERROR_SUCCESS));
    DWORD put = 0;
    ::WriteFile(h.get(), "abc", 3, &put, nullptr);
    h.reset();
    EXPECT_EQ(Read(file), "abc");
    ASSERT_EQ(SafeCreateFile(file, h), static_cast<DWORD>(ERROR_SUCCESS));
    h.reset();
    EXPECT_EQ(Read(file), "");

    // Held open without sharing: the system's own answer.
    {
        UniqueFile held(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(SafeCreateFile(file, h), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(SafeDeleteFile(file), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }

    // Renames, with and without replacing.
    Write(other, "other");
    EXPECT_EQ(SafeRename(file, other, false), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(SafeRename(other, file, true), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Read(file), "other");
    EXPECT_EQ(Read(other), "(missing)");

    // Read-only: kept unless asked to clear it.
    EXPECT_EQ(SafeSetAttributes(file, FILE_ATTRIBUTE_READONLY), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(SafeCreateFile(file, h), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SafeDeleteFile(file, false), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SafeDeleteFile(file, true), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Read(file), "(missing)");
    EXPECT_EQ(SafeDeleteFile(file), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // A second name of the same file would be changed with it: not truncated.
    Write(file, "shared");
    ASSERT_TRUE(::CreateHardLinkW(other.c_str(), file.c_str(), nullptr));
    EXPECT_EQ(SafeCreateFile(other, h), kErrorLinkRefused);
    EXPECT_EQ(Read(file), "shared");
    EXPECT_EQ(SafeDeleteFile(other), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Read(file), "shared");

    // Folders.
    const std::wstring sub = work_ + L"\\sub";
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    EXPECT_EQ(CheckFolderNotLink(sub), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(CheckFolderNotLink(file), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_EQ(SafeDeleteFile(sub), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SafeRemoveFolder(file), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_EQ(SafeRemoveFolder(work_), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_EQ(SafeRename(sub, work_ + L"\\sub2", false), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(SafeRemoveFolder(work_ + L"\\sub2\\"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(::GetFileAttributesW((work_ + L"\\sub2").c_str()), INVALID_FILE_ATTRIBUTES);
    const DWORD missing = CheckFolderNotLink(work_ + L"\\nothing");
    EXPECT_TRUE(missing == ERROR_FILE_NOT_FOUND || missing == ERROR_PATH_NOT_FOUND) << missing;
}

// Wine 8 keeps no security descriptor on files (what it reports is made from the Unix mode
// bits) and enforces none, so the list is checked where Wine does evaluate lists: an access
// check against the process's token and against the same token without its Administrators.
TEST_F(SafeFiles, SharedFolderAccessGrantsAdministratorsAllAndUsersReading)
{
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(kSharedFolderAccess,
                                                                       SDDL_REVISION_1, &sd, nullptr));
    HANDLE process = nullptr, admin = nullptr, restricted = nullptr, user = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
    ASSERT_TRUE(::DuplicateToken(process, SecurityImpersonation, &admin));
    BYTE adminsSid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof adminsSid;
    ASSERT_TRUE(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, adminsSid, &sidSize));
    SID_AND_ATTRIBUTES denied = {adminsSid, 0};
    ASSERT_TRUE(::CreateRestrictedToken(process, 0, 1, &denied, 0, nullptr, 0, nullptr, &restricted))
        << ::GetLastError();
    ASSERT_TRUE(::DuplicateToken(restricted, SecurityImpersonation, &user));

    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    const auto granted = [&](HANDLE token, DWORD wanted) {
        ::MapGenericMask(&wanted, &mapping);
        PRIVILEGE_SET privileges;
        DWORD privilegesSize = sizeof privileges, access = 0;
        BOOL ok = FALSE;
        EXPECT_TRUE(::AccessCheck(sd, token, wanted, &mapping, &privileges, &privilegesSize, &access, &ok))
            << ::GetLastError();
        return ok != FALSE;
    };
    EXPECT_TRUE(granted(admin, FILE_ALL_ACCESS));
    EXPECT_TRUE(granted(user, GENERIC_READ | GENERIC_EXECUTE));
    for (DWORD write : {DWORD(FILE_WRITE_DATA), DWORD(FILE_ADD_FILE), DWORD(FILE_ADD_SUBDIRECTORY),
                        DWORD(DELETE), DWORD(WRITE_DAC), DWORD(FILE_DELETE_CHILD)})
        EXPECT_FALSE(granted(user, write)) << std::hex << write;
    ::CloseHandle(user);
    ::CloseHandle(restricted);
    ::CloseHandle(admin);
    ::CloseHandle(process);
    ::LocalFree(sd);

    // Made anew, a folder that exists already is refused rather than taken for a new one.
    const std::wstring made = root_ + L"\\made";
    EXPECT_EQ(CreateFolderWithAccess(made, kSharedFolderAccess), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(CreateFolderWithAccess(made, kSharedFolderAccess), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(SetFolderAccess(made + L"\\", kSharedFolderAccess), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(SetFolderAccess(elsewhere_ + L"\\victim.txt", kSharedFolderAccess),
              static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST_F(SafeFiles, ARememberedFolderStillRefusesLinksAndNeverFollowsAFolderMovedAway)
{
    UniqueFile h;
    {
        FolderPathCache folders;
        ASSERT_EQ(SafeCreateFile(work_ + L"\\plain.txt", h), static_cast<DWORD>(ERROR_SUCCESS));
        h.reset();
        const std::wstring fileLink = work_ + L"\\wall1.png";
        ASSERT_TRUE(PlantUnixLink(fileLink, elsewhere_ + L"\\victim.txt"));
        EXPECT_EQ(SafeOpen(fileLink, GENERIC_WRITE, 0, h), kErrorLinkRefused);
        EXPECT_EQ(SafeCreateFile(fileLink, h), kErrorLinkRefused);
        EXPECT_EQ(SafeDeleteFile(fileLink, true), kErrorLinkRefused);
        EXPECT_EQ(SafeOpen(work_ + L"\\plain.txt", GENERIC_READ, 0, h), static_cast<DWORD>(ERROR_SUCCESS));
        h.reset();

        // The folder moved away and a link put in its place: the remembered path no longer
        // leads there, so its names are refused rather than taken from elsewhere.
        ASSERT_TRUE(::MoveFileW(work_.c_str(), (root_ + L"\\moved").c_str()));
        ASSERT_TRUE(PlantUnixLink(work_, elsewhere_));
        EXPECT_EQ(SafeDeleteFile(work_ + L"\\victim.txt"), kErrorLinkRefused);
        EXPECT_EQ(Read(elsewhere_ + L"\\victim.txt"), "precious");
    }
    // Without one, the folders above the name are used as the system resolves them.
    EXPECT_EQ(SafeOpen(work_ + L"\\victim.txt", GENERIC_READ, 0, h), static_cast<DWORD>(ERROR_SUCCESS));
}
