// The install over links planted by another user in the shared data folder: Unix symbolic
// links in the prefix, which Wine follows the way Windows follows junctions and symbolic links.
#include <gtest/gtest.h>

#include <map>

#include "PlantedLinkFixture.h"
#include "common/SafeFiles_win32.h"
#include "common/SystemError_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"

namespace {
class InstallOverLinks : public PlantedLinkTest {
protected:
    void SetUp() override
    {
        FindFolders();
        FillScratch();
    }
};
}  // namespace

TEST_F(InstallOverLinks, SharedFolderThatIsALinkStopsTheRunBeforeAnythingIsWritten)
{
    ASSERT_TRUE(PlantUnixLink(W(shared_), W(scratch_)));
    ResourceDll dll(MW_RES_FULL);
    EXPECT_EQ(ErrorOf([] { InstallFiles(); }),
              "Cannot use folder \"" + shared_ + "\": it is a link to another place");
    EXPECT_EQ(FolderSnapshot(scratch_), before_);
    EXPECT_FALSE(PathIsFolder(TestInstallFolder()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Marlowind"));
    EXPECT_FALSE(PathIsFile(DesktopLink()));
}

TEST_F(InstallOverLinks, PictureThatIsALinkIsNeverWrittenThrough)
{
    ASSERT_TRUE(::CreateDirectoryA(shared_.c_str(), nullptr));
    ASSERT_TRUE(PlantUnixLink(W(shared_ + "\\wall1.png"), W(scratch_ + "\\wall1.png")));
    ResourceDll dll(MW_RES_FULL);
    EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "Cannot create file \"" + shared_ + "\\wall1.png\". " +
                                                   SystemErrorText(kErrorLinkRefused));
    EXPECT_EQ(FolderSnapshot(scratch_), before_);
    // The link itself is left in place, and nothing after it was written.
    EXPECT_EQ(ReadAll(shared_ + "\\wall1.png"), before_["wall1.png"]);
    EXPECT_FALSE(PathIsFile(shared_ + "\\wall2.png"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Marlowind"));
}

TEST_F(InstallOverLinks, DesktopLinkNamePlantedAsALinkIsNotSavedThrough)
{
    ASSERT_TRUE(PlantUnixLink(W(DesktopLink()), W(scratch_ + "\\diary.txt")));
    ResourceDll dll(MW_RES_FULL);
    EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
    EXPECT_EQ(FolderSnapshot(scratch_), before_);
    EXPECT_TRUE(ReadLink(ProgramsLink()).Loaded) << "the other links are made as before";
}
