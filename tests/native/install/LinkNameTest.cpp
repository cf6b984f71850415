#include <gtest/gtest.h>

#include "install/LinkName.h"

TEST(LinkNameFor, ReplacesTheExtensionOfTheFileNamePart)
{
    EXPECT_EQ(LinkNameFor(L"C:\\Program Files\\Marlowind\\Marlowind.exe"), L"Marlowind.lnk");
    EXPECT_EQ(LinkNameFor(L"C:\\Program Files\\Marlowind\\Marlowind on the web.url"),
              L"Marlowind on the web.lnk");
    EXPECT_EQ(LinkNameFor(L"C:\\Program Files\\Marlowind\\License.txt"), L"License.lnk");
    // Only the last extension goes.
    EXPECT_EQ(LinkNameFor(L"C:\\x\\archive.tar.gz"), L"archive.tar.lnk");
}

TEST(LinkNameFor, AppendsWhenThereIsNoExtension)
{
    EXPECT_EQ(LinkNameFor(L"C:\\Program Files\\Marlowind\\Ririvud"), L"Ririvud.lnk");
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(LinkNameFor(L"C:\\Some.Folder\\Ririvud"), L"Ririvud.lnk");
    EXPECT_EQ(LinkNameFor(L"Ririvud"), L"Ririvud.lnk");
    // A drive-relative path ends its folder part at the colon.
    EXPECT_EQ(LinkNameFor(L"D:tool.v2"), L"tool.lnk");
    EXPECT_EQ(LinkNameFor(L"D:tool"), L"tool.lnk");
}

TEST(LinkNameFor, DegenerateTargets)
{
    EXPECT_EQ(LinkNameFor(L""), L".lnk");
    EXPECT_EQ(LinkNameFor(L"C:\\folder\\"), L".lnk");
    EXPECT_EQ(LinkNameFor(L"C:\\folder\\name."), L"name.lnk");
}

TEST(LinkPathFor, JoinsWithOneSeparatorEach)
{
    EXPECT_EQ(LinkPathFor(L"C:\\Users\\Public\\Desktop", L"", L"Marlowind.lnk"),
              L"C:\\Users\\Public\\Desktop\\Marlowind.lnk");
    EXPECT_EQ(LinkPathFor(L"C:\\ProgramData\\Programs", L"Marlowind", L"License.lnk"),
              L"C:\\ProgramData\\Programs\\Marlowind\\License.lnk");
}

TEST(FolderOf, KeepsTheTrailingSeparator)
{
    EXPECT_EQ(FolderOf(L"C:\\Program Files\\Marlowind\\Marlowind.exe"),
              L"C:\\Program Files\\Marlowind\\");
    EXPECT_EQ(FolderOf(L"D:tool.exe"), L"D:");
    EXPECT_EQ(FolderOf(L"tool.exe"), L"");
}
