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

// The records name the install folder in the code page: a program files folder it can't spell
// is refused before anything is made, rather than recorded with "?" in it.
TEST(ForeignUserFolders, ProgramFilesTheCodePageCantSpellStopsBeforeAnything)
{
    const std::wstring programs = L"C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b";
    ASSERT_TRUE(::CreateDirectoryW(programs.c_str(), nullptr));
    std::wstring lookedUp;
    std::string message;
    {
        ProgramFilesDirOverride moved(programs);
        ASSERT_TRUE(moved.ok());
        WipeInstallation();
        lookedUp = GetSpecialFolder(CSIDL_PROGRAM_FILES);
        ResourceDll dll(MW_RES_FULL);
        message = ErrorOf([] { InstallFiles(); });
    }
    ASSERT_EQ(lookedUp, programs) << "the lookup did not take the changed folder";
    EXPECT_EQ(message, "Cannot record \"" + N(programs) +
                           "\\Marlowind\\\" in the registry: the system code page can't spell it");
    EXPECT_EQ(::GetFileAttributesW((programs + L"\\Marlowind").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Marlowind"));
    ::RemoveDirectoryW(programs.c_str());
}
