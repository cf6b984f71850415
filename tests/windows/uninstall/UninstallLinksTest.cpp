// The removal of a real installation in which another user replaced the shared data folder, or
// one of its pictures, by a Unix symbolic link (followed by Wine as Windows follows junctions).
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "PlantedLinkFixture.h"
#include "common/SafeFiles_win32.h"
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
