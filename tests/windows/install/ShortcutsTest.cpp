#include <gtest/gtest.h>

#include <thread>

#include "InstallTestSupport.h"
#include "common/SystemError_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/Shortcuts_win32.h"

namespace {
class WriteShortcutCase : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop_ = N(GetSpecialFolder(CSIDL_DESKTOP));
        target_ = N(GetSpecialFolder(CSIDL_COMMON_APPDATA)) + "\\MarlowindLinkTarget";
        ::CreateDirectoryA(target_.c_str(), nullptr);
        WriteAll(target_ + "\\Tool.exe", "MZ");
        WriteAll(target_ + "\\Ririvud", "theme");
        Clean();
    }
    void TearDown() override
    {
        Clean();
        RemoveTree(target_);
    }
    void Clean()
    {
        ::DeleteFileA((desktop_ + "\\Tool.lnk").c_str());
        ::DeleteFileA((desktop_ + "\\Ririvud.lnk").c_str());
        RemoveTree(desktop_ + "\\MarlowindSub");
    }
    std::string desktop_, target_;
};
}  // namespace

TEST_F(WriteShortcutCase, CreatesReadableLinksWithAndWithoutExtension)
{
    EXPECT_TRUE(WriteShortcut(W(target_ + "\\Tool.exe"), slDesktop, L"", L"", L"-x 1", L"A tool", saCreate));
    const LinkInfo tool = ReadLink(desktop_ + "\\Tool.lnk");
    ASSERT_TRUE(tool.Loaded);
    EXPECT_EQ(tool.Path, target_ + "\\Tool.exe");
    EXPECT_EQ(tool.Description, "A tool");
    EXPECT_EQ(tool.Arguments, "-x 1");
    EXPECT_EQ(tool.WorkingDirectory, target_ + "\\");

    // No extension: ".lnk" is appended. A given working directory is kept.
    EXPECT_TRUE(WriteShortcut(W(target_ + "\\Ririvud"), slDesktop, L"", L"C:\\windows", L"", L"Theme", saCreate));
    const LinkInfo theme = ReadLink(desktop_ + "\\Ririvud.lnk");
    ASSERT_TRUE(theme.Loaded);
    EXPECT_EQ(theme.Path, target_ + "\\Ririvud");
    EXPECT_EQ(theme.WorkingDirectory, "C:\\windows");

    // Saving again overwrites the one link.
    EXPECT_TRUE(WriteShortcut(W(target_ + "\\Tool.exe"), slDesktop, L"", L"", L"", L"Second", saCreate));
    EXPECT_EQ(ReadLink(desktop_ + "\\Tool.lnk").Description, "Second");
}

TEST_F(WriteShortcutCase, ExistsDeleteAndSubfolders)
{
    const std::string tool = target_ + "\\Tool.exe";
    EXPECT_FALSE(WriteShortcut(W(tool), slDesktop, L"", L"", L"", L"", saExists));
    EXPECT_TRUE(WriteShortcut(W(tool), slDesktop, L"", L"", L"", L"", saDelete));  // missing: no error
    WriteShortcut(W(tool), slDesktop, L"", L"", L"", L"", saCreate);
    EXPECT_TRUE(WriteShortcut(W(tool), slDesktop, L"", L"", L"", L"", saExists));
    EXPECT_TRUE(WriteShortcut(W(tool), slDesktop, L"", L"", L"", L"", saDelete));
    EXPECT_FALSE(PathIsFile(desktop_ + "\\Tool.lnk"));

    // The subfolder is not created by the writer: no link, no error, true.
    EXPECT_TRUE(WriteShortcut(W(tool), slDesktop, L"MarlowindSub", L"", L"", L"", saCreate));
    EXPECT_FALSE(PathIsFolder(desktop_ + "\\MarlowindSub"));
    ::CreateDirectoryA((desktop_ + "\\MarlowindSub").c_str(), nullptr);
    WriteShortcut(W(tool), slDesktop, L"MarlowindSub", L"", L"", L"", saCreate);
    EXPECT_TRUE(PathIsFile(desktop_ + "\\MarlowindSub\\Tool.lnk"));
    EXPECT_TRUE(WriteShortcut(W(tool), slDesktop, L"MarlowindSub", L"", L"", L"", saExists));
}

TEST_F(WriteShortcutCase, NoFolderMeansNothingDoneAndTrue)
{
    const std::string tool = target_ + "\\Tool.exe";
    for (auto location : {slNone, static_cast<ShortcutLocation>(17)})
        for (auto action : {saCreate, saDelete, saExists})
            EXPECT_TRUE(WriteShortcut(W(tool), location, L"", L"", L"", L"", action));
    EXPECT_EQ(ShortcutFolder(slNone), L"");
    EXPECT_FALSE(PathIsFile(desktop_ + "\\Tool.lnk"));
    EXPECT_FALSE(PathIsFile("C:\\Tool.lnk"));
    EXPECT_FALSE(PathIsFile("\\Tool.lnk"));
}

TEST_F(WriteShortcutCase, WithoutComTheLinkObjectIsMissing)
{
    std::string message;
    std::thread([&] {
        message = ErrorOf([&] {
            WriteShortcut(W(target_ + "\\Tool.exe"), slDesktop, L"", L"", L"", L"", saCreate);
        });
    }).join();
    EXPECT_EQ(message, SystemErrorText(static_cast<DWORD>(CO_E_NOTINITIALIZED)) +
                           ", ClassID: {00021401-0000-0000-C000-000000000046}");
}

TEST(InstallShortcuts, MenuFolderThatCannotBeMadeLosesOnlyItsLinks)
{
    WipeInstallation();
    WriteAll(TestMenuFolder(), "a file in the way");
    {
        ResourceDll dll(MW_RES_FULL);
        EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
    }
    EXPECT_TRUE(ReadLink(DesktopLink()).Loaded);
    EXPECT_TRUE(ReadLink(ProgramsLink()).Loaded);
    EXPECT_TRUE(PathIsFile(TestMenuFolder()));
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Software\\Marlowind", "IsFirstTime").Number, 1u);
    ::DeleteFileA(TestMenuFolder().c_str());
    WipeInstallation();
}
