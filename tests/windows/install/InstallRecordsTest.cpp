#include <gtest/gtest.h>

#include "InstallTestSupport.h"
#include "install/InstallFiles_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/Registry_win32.h"

namespace {
const char* const kScratch = "Software\\MarlowindTest";

class RegistryRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        WipeInstallation();
        DeleteRegTree(HKEY_CURRENT_USER, kScratch);
    }
    void TearDown() override
    {
        WipeInstallation();
        DeleteRegTree(HKEY_CURRENT_USER, kScratch);
    }
};
}  // namespace

TEST_F(RegistryRecords, TRegistryFailuresNameTheValueOrKey)
{
    TRegistry r;
    r.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_FALSE(r.OpenKey(std::string(kScratch) + "\\Missing", false));
    EXPECT_EQ(ErrorOf([&] { r.WriteString("DisplayName", "x"); }),
              "Failed to set data for 'DisplayName'");
    EXPECT_EQ(ErrorOf([&] { r.WriteInteger("EstimatedSize", 1); }),
              "Failed to set data for 'EstimatedSize'");

    // Below a volatile key the system refuses keys that would outlive it.
    MakeVolatileKey(HKEY_CURRENT_USER, kScratch);
    ASSERT_TRUE(r.OpenKey(kScratch, false));
    EXPECT_EQ(ErrorOf([&] { r.CreateKey("Marlowind"); }), "Failed to create key Marlowind");
    EXPECT_FALSE(r.OpenKey("Marlowind", true));
    EXPECT_FALSE(r.HasCurrentKey());
}

TEST_F(RegistryRecords, UninstallKeyIsCreatedOnAFreshProfile)
{
    const char* uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    DeleteRegTree(HKEY_CURRENT_USER, uninstall);
    ASSERT_FALSE(RegKeyExists(HKEY_CURRENT_USER, uninstall));
    WriteUninstallEntry();
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, std::string(uninstall) + "\\Marlowind", "Publisher")
                  .String,
              "Marlowind");
}

TEST_F(RegistryRecords, UninstallSubkeyThatCannotBeCreatedStopsTheRun)
{
    const char* uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    MakeVolatileKey(HKEY_CURRENT_USER, uninstall);
    {
        ResourceDll dll(MW_RES_FULL);
        EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "Failed to create key Marlowind");
    }
    // The files are there, nothing after the uninstall entry is.
    EXPECT_TRUE(PathIsFile(TestInstallFolder() + "License.txt"));
    EXPECT_TRUE(PathIsFile(TestSharedFolder() + "about.png"));
    EXPECT_FALSE(PathIsFile(TestInstallFolder() + "Marlowind.zip"));
    EXPECT_FALSE(PathIsFile(DesktopLink()));
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                              "MarloWind")
                     .Exists);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Marlowind"));
    // Nothing strayed to the root of the user's hive.
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Marlowind"));
    DeleteRegTree(HKEY_CURRENT_USER, uninstall);
    HKEY k = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, uninstall, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                      nullptr);
    ::RegCloseKey(k);
}

TEST_F(RegistryRecords, UnwritableSettingsKeyIsSkippedSilently)
{
    // "SOFTWARE\Marlowind" exists but no lasting "Config" key can be made below it.
    MakeVolatileKey(HKEY_CURRENT_USER, "Software\\Marlowind");
    {
        ResourceDll dll(MW_RES_FULL);
        EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "SOFTWARE\\Marlowind\\Config"));
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Software\\Marlowind", "IsFirstTime").Number, 1u);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, "Software\\Marlowind", "InstallPath").String,
              N(GetSpecialFolder(CSIDL_PROGRAM_FILES)) + "\\Marlowind");
    EXPECT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                             "MarloWind")
                    .Exists);
}

TEST_F(RegistryRecords, RecordsOverwriteWithoutDuplicates)
{
    WriteDefaultSettings();
    WriteConfigFlag("showconsole", true);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kConfigKey, "showconsole").Number, 1u);
    WriteDefaultSettings();
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, kConfigKey, "showconsole").Number, 0u);
    HKEY k = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kConfigKey, 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD values = 0, subkeys = 0;
    ::RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
    ::RegCloseKey(k);
    EXPECT_EQ(values, 6u);
    EXPECT_EQ(subkeys, 0u);
}
