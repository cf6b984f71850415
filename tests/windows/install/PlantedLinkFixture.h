#pragma once
// The fixture of the tests that plant links in the shared data folder: a scratch folder of
// "another user" beside it, holding a picture named like one of the installation's and a file
// of their own, whose content must come through every run unchanged.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../WineLinks.h"
#include "InstallTestSupport.h"
#include "install/KnownFolders_win32.h"

class PlantedLinkTest : public ::testing::Test {
protected:
    // Finds the folders and removes what an earlier test left.
    void FindFolders()
    {
        shared_ = TestSharedFolder();
        shared_.pop_back();
        scratch_ = N(GetSpecialFolder(CSIDL_COMMON_APPDATA)) + "\\MarlowindScratch";
        Clean();
    }
    void FillScratch()
    {
        ASSERT_TRUE(::CreateDirectoryA(scratch_.c_str(), nullptr));
        WriteAll(scratch_ + "\\wall1.png", "the user's own picture");
        WriteAll(scratch_ + "\\diary.txt", "the user's own file");
        before_ = FolderSnapshot(scratch_);
    }
    // Links go first, as names, so that nothing below follows them.
    void Clean()
    {
        RemoveTreeOnHost(DesktopLinkW());
        RemoveTreeOnHost(W(shared_ + "\\wall1.png"));
        if (::GetFileAttributesA(shared_.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
            RemoveTreeOnHost(W(shared_));
        RemoveTreeOnHost(W(scratch_));
        WipeInstallation();
    }
    void TearDown() override { Clean(); }

    std::string shared_, scratch_;
    std::map<std::string, Bytes> before_;
};
