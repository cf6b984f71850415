#include <gtest/gtest.h>

#include "install/LinkName.h"

TEST(LinkNameFor, ReplacesTheExtensionOfTheFileNamePart)
{
    EXPECT_EQ(LinkNameFor("C:\\Program Files\\Marlowind\\Marlowind.exe"), "Marlowind.lnk");
    EXPECT_EQ(LinkNameFor("C:\\Program Files\\Marlowind\\Marlowind on the web.url"),
              "Marlowind on the web.lnk");
    EXPECT_EQ(LinkNameFor("C:\\Program Files\\Marlowind\\License.txt"), "License.lnk");
    // Only the last extension goes.
    EXPECT_EQ(LinkNameFor("C:\\x\\archive.tar.gz"), "archive.tar.lnk");
}

TEST(LinkNameFor, AppendsWhenThereIsNoExtension)
{
    EXPECT_EQ(LinkNameFor("C:\\Program Files\\Marlowind\\Ririvud"), "Ririvud.lnk");
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(LinkNameFor("C:\\Some.Folder\\Ririvud"), "Ririvud.lnk");
    EXPECT_EQ(LinkNameFor("Ririvud"), "Ririvud.lnk");
    // A drive-relative path ends its folder part at the colon.
    EXPECT_EQ(LinkNameFor("D:tool.v2"), "tool.lnk");
    EXPECT_EQ(LinkNameFor("D:tool"), "tool.lnk");
}

TEST(LinkNameFor, DegenerateTargets)
{
    EXPECT_EQ(LinkNameFor(""), ".lnk");
    EXPECT_EQ(LinkNameFor("C:\\folder\\"), ".lnk");
    EXPECT_EQ(LinkNameFor("C:\\folder\\name."), "name.lnk");
}

TEST(LinkPathFor, JoinsWithOneSeparatorEach)
{
    EXPECT_EQ(LinkPathFor("C:\\Users\\Public\\Desktop", "", "Marlowind.lnk"),
              "C:\\Users\\Public\\Desktop\\Marlowind.lnk");
    EXPECT_EQ(LinkPathFor("C:\\ProgramData\\Programs", "Marlowind", "License.lnk"),
              "C:\\ProgramData\\Programs\\Marlowind\\License.lnk");
}

TEST(FolderOf, KeepsTheTrailingSeparator)
{
    EXPECT_EQ(FolderOf("C:\\Program Files\\Marlowind\\Marlowind.exe"),
              "C:\\Program Files\\Marlowind\\");
    EXPECT_EQ(FolderOf("D:tool.exe"), "D:");
    EXPECT_EQ(FolderOf("tool.exe"), "");
}
