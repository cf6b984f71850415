// The removal of a real installation in which another user replaced the shared data folder, or
// one of its pictures, by a Unix symbolic link (followed by Wine as Windows follows junctions).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "PlantedLinkFixture.h"
#include "common/SafeFiles_win32.h"
#include "common/UniqueHandle_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"
#include "uninstall/InstallationItems_win32.h"

namespace {
class UninstallOverLinks : public PlantedLinkTest {
protected:
    void SetUp() override
    {
        FindFolders();
        ResourceDll dll(MW_RES_FULL);
        ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
        FillScratch();
    }

    // The failures that name a path below the shared folder, with their codes.
    static std::map<std::string, DWORD> SharedFailures(const std::vector<RemovalFailure>& failures,
                                                       const std::string& shared)
    {
        std::map<std::string, DWORD> out;
        for (const RemovalFailure& f : failures)
            if (N(f.Item.Path).rfind(shared, 0) == 0)
                out[N(f.Item.Path).substr(shared.size())] = f.Error;
        return out;
    }
};
}  // namespace

TEST_F(UninstallOverLinks, SharedFolderThatIsALinkIsNeitherFollowedNorRemoved)
{
    RemoveTree(shared_);
    ASSERT_TRUE(PlantUnixLink(W(shared_), W(scratch_)));

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    EXPECT_EQ(FolderSnapshot(scratch_), before_);
    EXPECT_NE(::GetFileAttributesA(shared_.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    // Only the shared folder's items stay, each refused as a link; the rest is gone.
    const std::map<std::string, DWORD> shared = SharedFailures(failures, shared_);
    EXPECT_EQ(shared.size(), failures.size());
    ASSERT_TRUE(shared.count("\\wall1.png"));
    for (const auto& [name, error] : shared)
        EXPECT_EQ(error, kErrorLinkRefused) << name;
    // While something stays, so does the uninstaller, to be run again.
    EXPECT_EQ(FolderEntries(TestInstallFolder()), std::vector<std::string>{"UninstallMW.exe"});
    EXPECT_FALSE(PathIsFile(DesktopLink()));
}

TEST_F(UninstallOverLinks, PictureThatIsALinkKeepsItsTarget)
{
    ASSERT_TRUE(::DeleteFileA((shared_ + "\\wall1.png").c_str()));
    ASSERT_TRUE(PlantUnixLink(W(shared_ + "\\wall1.png"), W(scratch_ + "\\wall1.png")));

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    EXPECT_EQ(FolderSnapshot(scratch_), before_);
    const std::map<std::string, DWORD> shared = SharedFailures(failures, shared_);
    EXPECT_EQ(shared, (std::map<std::string, DWORD>{{"\\wall1.png", kErrorLinkRefused}}));
    EXPECT_EQ(failures.size(), 1u);
    // The plain pictures went; the folder stays around the link.
    EXPECT_EQ(FolderEntries(shared_), std::vector<std::string>{"wall1.png"});
    EXPECT_EQ(FolderEntries(TestInstallFolder()), std::vector<std::string>{"UninstallMW.exe"});
}

// Install and removal through each desktop a user may have: Wine's own link into the home
// folder, a plain folder, and a link to a folder on another drive (as a desktop moved to
// another volume with a junction); each also with "Marlowind.lnk" planted there as a link to
// a file of the user's. Runs in the foreign-user prefix as well.
namespace {
enum class Desktop { HomeLink, PlainFolder, OtherDrive };

struct DesktopCase {
    const char* Name;
    Desktop Layout;
    bool Planted;
};

// The path the system resolves `path` to, in the DOS form; empty when it can't be opened.
std::wstring ResolvedPath(const std::wstring& path)
{
    UniqueFile h(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t out[MAX_PATH * 2] = {};
    if (!h || !::GetFinalPathNameByHandleW(h.get(), out, MAX_PATH * 2, VOLUME_NAME_DOS))
        return std::wstring();
    const std::wstring full = out;
    return full.compare(0, 4, L"\\\\?\\") == 0 ? full.substr(4) : full;
}

class DesktopLayout : public PlantedLinkTest, public ::testing::WithParamInterface<DesktopCase> {
protected:
    void SetUp() override
    {
        FindFolders();
        desktop_ = GetSpecialFolder(CSIDL_DESKTOP);
        ASSERT_NE(::GetFileAttributesW(desktop_.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
            << "the prefix has Wine's default layout: the desktop is a link into the home folder";
        home_ = ResolvedPath(desktop_);
        ASSERT_FALSE(home_.empty());
        FillScratch();
    }
    void TearDown() override
    {
        Clean();
        if (home_.empty() || ResolvedPath(desktop_) == home_)
            return;
        RemoveTreeOnHost(desktop_);
        EXPECT_TRUE(PlantUnixLink(desktop_, home_)) << "the desktop link is put back";
    }
    void Arrange(Desktop layout)
    {
        if (layout == Desktop::HomeLink)
            return;
        RemoveTreeOnHost(desktop_);
        if (layout == Desktop::PlainFolder) {
            ASSERT_TRUE(::CreateDirectoryW(desktop_.c_str(), nullptr));
        } else {
            ASSERT_TRUE(PlantUnixLink(desktop_, L"D:\\Desktop"));
        }
        const std::wstring resolved = ResolvedPath(desktop_);
        EXPECT_TRUE(SamePath(resolved, layout == Desktop::PlainFolder ? desktop_ : L"D:\\Desktop"))
            << N(resolved);
    }

    std::wstring desktop_, home_;
};
}  // namespace

TEST_P(DesktopLayout, InstallWritesTheLinkAndTheRemovalTakesItAndEverythingElse)
{
    const DesktopCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Arrange(c.Layout));
    const std::wstring link = DesktopLinkW();
    if (c.Planted) {
        ASSERT_TRUE(PlantUnixLink(link, W(scratch_ + "\\diary.txt")));
    }
    {
        ResourceDll dll(MW_RES_FULL);
        ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
    }
    if (!c.Planted) {
        EXPECT_EQ(N(ReadLinkW(link).Path), TestInstallFolder() + "Marlowind.exe");
    }

    const std::vector<RemovalFailure> failures = RemoveInstallation();

    EXPECT_EQ(FolderSnapshot(scratch_), before_);
    std::vector<std::pair<std::wstring, DWORD>> got;
    std::string described;
    for (const RemovalFailure& f : failures) {
        got.emplace_back(DescribeItem(f.Item), f.Error);
        described += N(DescribeItem(f.Item)) + " (" + std::to_string(f.Error) + ") ";
    }
    if (c.Planted) {
        // The planted link stays, refused, and with it the uninstaller, to be run again.
        EXPECT_EQ(got, (std::vector<std::pair<std::wstring, DWORD>>{{link, kErrorLinkRefused}}))
            << described;
        EXPECT_TRUE(SamePath(ResolvedPath(link), W(scratch_ + "\\diary.txt")));
        EXPECT_EQ(FolderEntries(TestInstallFolder()), std::vector<std::string>{"UninstallMW.exe"});
        return;
    }
    EXPECT_TRUE(got.empty()) << described;
    EXPECT_EQ(::GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(PathIsFolder(TestInstallFolder()));
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind"));
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, DesktopLayout,
    ::testing::Values(DesktopCase{"HomeLink", Desktop::HomeLink, false},
                      DesktopCase{"PlainFolder", Desktop::PlainFolder, false},
                      DesktopCase{"OtherDrive", Desktop::OtherDrive, false},
                      DesktopCase{"HomeLinkPlanted", Desktop::HomeLink, true},
                      DesktopCase{"OtherDrivePlanted", Desktop::OtherDrive, true}),
    [](const ::testing::TestParamInfo<DesktopCase>& info) { return std::string(info.param.Name); });
