// A whole install for a user whose name lies outside the system code page: the test run of the
// foreign-user prefix (USER=Дмитрий, Western code page). Elsewhere the suite is skipped.
#include <gtest/gtest.h>

#include "InstallTestSupport.h"
#include "common/CodePage_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/KnownFolders_win32.h"

namespace {
class ForeignUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InForeignUserPrefix())
            GTEST_SKIP() << "runs in the foreign-user prefix only";
        desktopLink_ = GetSpecialFolder(CSIDL_DESKTOP) + L"\\Marlowind.lnk";
        std::string narrow;
        ASSERT_FALSE(ToSystemCodePageExactly(desktopLink_, narrow))
            << "the desktop's path fits the code page: " << narrow;
        Clean();
    }
    void TearDown() override { Clean(); }
    void Clean()
    {
        WipeInstallation();
        ::DeleteFileW(desktopLink_.c_str());
    }

    std::wstring desktopLink_;
};
}  // namespace

TEST_F(ForeignUser, WholeInstallPutsTheDesktopLinkWhereTheUserSeesIt)
{
    ResourceDll dll(MW_RES_FULL);
    ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");

    const std::wstring messenger = InstallFolder() + L"Marlowind.exe";
    const LinkInfoW link = ReadLinkW(desktopLink_);
    ASSERT_TRUE(link.Loaded);
    EXPECT_EQ(link.Path, messenger);
    EXPECT_EQ(link.Description, L"Marlowind messenger");
    EXPECT_EQ(link.WorkingDirectory, InstallFolder());
    // The rest of the installation is the same as for any user.
    EXPECT_TRUE(SameContent(TestInstallFolder() + "Marlowind.exe", MW_MESSENGER_EXE));
    EXPECT_TRUE(ReadLink(ProgramsLink()).Loaded);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Software\\Marlowind", "InstallPath").String,
              N(ProgramFilesFolder()) + "\\Marlowind");
}
