#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "InstallTestSupport.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"
#include "common/SystemError_win32.h"

namespace {
const std::string kSource = MW_SOURCE_DIR;
const std::string kStreams = MW_STREAM_DIR;

struct FileExpectation {
    const char* Name;
    std::string Original;
};

std::vector<FileExpectation> InstallFolderFiles()
{
    return {
        {"Marlowind.exe", MW_MESSENGER_EXE},
        {"Ririvud", kSource + "/payloads/theme/Ririvud"},
        {"UninstallMW.exe", MW_UNINSTALLER_EXE},
        {"MarlUpdate.exe", MW_UPDATER_EXE},
        {"Marlowind on the web.url", kSource + "/resources/MarlowindOnTheWeb.url"},
        {"License.txt", kSource + "/resources/License.txt"},
    };
}

std::vector<FileExpectation> SharedFolderFiles()
{
    std::vector<FileExpectation> files;
    static const char* const names[] = {"wall1.png", "wall2.png", "wall3.png", "wall4.png",
                                        "smwall1.png", "smwall2.png", "smwall3.png",
                                        "smwall4.png", "about.png"};
    for (const char* n : names)
        files.push_back({n, kSource + "/resources/wallpapers/" + n});
    return files;
}

const char* const kStreamFiles[] = {"Marlowind.zip", "Ririvud.zip", "UninstallMW.zip",
                                    "Marlupdate.zip"};

struct ValueExpectation {
    HKEY Root;
    const char* Key;
    const char* Name;
    DWORD Type;
    std::string String;
    DWORD Number;
};

std::vector<ValueExpectation> RegistryValues()
{
    const std::string programFiles = N(GetSpecialFolder(CSIDL_PROGRAM_FILES));
    const std::string folder = programFiles + "\\Marlowind\\";
    const char* un = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind";
    const char* cfg = "SOFTWARE\\Marlowind\\Config";
    return {
        {HKEY_CURRENT_USER, un, "DisplayName", REG_SZ, "Marlowind instant messenger", 0},
        {HKEY_CURRENT_USER, un, "UnInstallString", REG_SZ, folder + "uninstallmw.exe", 0},
        {HKEY_CURRENT_USER, un, "DisplayIcon", REG_SZ, folder + "uninstallmw.exe", 0},
        {HKEY_CURRENT_USER, un, "Publisher", REG_SZ, "Marlowind", 0},
        {HKEY_CURRENT_USER, un, "EstimatedSize", REG_DWORD, "", 15800},
        {HKEY_CURRENT_USER, un, "DisplayVersion", REG_SZ, "1.0.1", 0},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "MarloWind",
         REG_SZ, programFiles + "\\Marlowind\\Marlowind.exe", 0},
        {HKEY_CURRENT_USER, "Software\\Marlowind", "InstallPath", REG_SZ,
         programFiles + "\\Marlowind", 0},
        {HKEY_CURRENT_USER, cfg, "autostart", REG_DWORD, "", 1},
        {HKEY_CURRENT_USER, cfg, "soundeffects", REG_DWORD, "", 1},
        {HKEY_CURRENT_USER, cfg, "showsearchbox", REG_DWORD, "", 1},
        {HKEY_CURRENT_USER, cfg, "showclock", REG_DWORD, "", 1},
        {HKEY_CURRENT_USER, cfg, "showpopup", REG_DWORD, "", 1},
        {HKEY_CURRENT_USER, cfg, "showconsole", REG_DWORD, "", 0},
        {HKEY_CURRENT_USER, "Software\\Marlowind", "IsFirstTime", REG_DWORD, "", 1},
    };
}

struct LinkExpectation {
    std::string Link;
    std::string Target;
    const char* Description;
};

std::vector<LinkExpectation> Links()
{
    const std::string folder = TestInstallFolder();
    const std::string menu = TestMenuFolder() + "\\";
    return {
        {DesktopLink(), folder + "Marlowind.exe", "Marlowind messenger"},
        {ProgramsLink(), folder + "Marlowind.exe", "Marlowind messenger"},
        {menu + "Marlowind.lnk", folder + "Marlowind.exe", "Marlowind messenger"},
        {menu + "Marlowind on the web.lnk", folder + "Marlowind on the web.url",
         "Marlowind on the web"},
        {menu + "License.lnk", folder + "License.txt", "Marlowind license"},
    };
}

void ExpectFiles(const std::string& folder, const std::vector<FileExpectation>& files)
{
    for (const FileExpectation& f : files)
        EXPECT_TRUE(SameContent(folder + f.Name, f.Original)) << folder << f.Name;
}

void ExpectValue(const ValueExpectation& e)
{
    const RegValue v = ReadRegValue(e.Root, e.Key, e.Name);
    ASSERT_TRUE(v.Exists) << e.Key << " " << e.Name;
    EXPECT_EQ(v.Type, e.Type) << e.Name;
    if (e.Type == REG_SZ)
        EXPECT_EQ(v.String, e.String) << e.Name;
    else
        EXPECT_EQ(v.Number, e.Number) << e.Name;
}

void ExpectLink(const LinkExpectation& e)
{
    const LinkInfo l = ReadLink(e.Link);
    ASSERT_TRUE(l.Loaded) << e.Link;
    EXPECT_EQ(l.Path, e.Target) << e.Link;
    EXPECT_EQ(l.Description, e.Description) << e.Link;
    EXPECT_EQ(l.WorkingDirectory, TestInstallFolder()) << e.Link;
    EXPECT_EQ(l.Arguments, "") << e.Link;
}

void ExpectCompleteInstallation()
{
    const std::string folder = TestInstallFolder();
    ExpectFiles(folder, InstallFolderFiles());
    ExpectFiles(TestSharedFolder(), SharedFolderFiles());
    for (const char* s : kStreamFiles)
        EXPECT_FALSE(PathIsFile(folder + s)) << s << " left behind";
    for (const ValueExpectation& v : RegistryValues())
        ExpectValue(v);
    for (const LinkExpectation& l : Links())
        ExpectLink(l);
    std::vector<std::string> menu = FolderEntries(TestMenuFolder());
    std::sort(menu.begin(), menu.end());
    EXPECT_EQ(menu, (std::vector<std::string>{"License.lnk", "Marlowind on the web.lnk",
                                              "Marlowind.lnk"}));
}

// Nothing of the final steps: no registry record, no link.
void ExpectNoRecordsAndNoLinks()
{
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Marlowind"));
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                              "MarloWind")
                     .Exists);
    EXPECT_FALSE(PathIsFile(DesktopLink()));
    EXPECT_FALSE(PathIsFile(ProgramsLink()));
    EXPECT_FALSE(PathIsFolder(TestMenuFolder()));
}

uint32_t StoredAdler(const std::string& stream)
{
    const Bytes b = ReadAll(stream);
    if (b.size() < 4)
        return 0;
    const size_t n = b.size();
    return uint32_t(b[n - 4]) << 24 | uint32_t(b[n - 3]) << 16 | uint32_t(b[n - 2]) << 8 | b[n - 1];
}

class InstallFilesRun : public ::testing::Test {
protected:
    void SetUp() override { WipeInstallation(); }
    void TearDown() override { WipeInstallation(); }
};
}  // namespace

TEST_F(InstallFilesRun, FirstInstallationLeavesTheWholeState)
{
    ResourceDll dll(MW_RES_FULL);
    ASSERT_FALSE(PathIsFolder(TestInstallFolder()));
    InstallFiles();
    ExpectCompleteInstallation();
    std::vector<std::string> installed = FolderEntries(TestInstallFolder());
    EXPECT_EQ(installed.size(), 6u);
    EXPECT_EQ(FolderEntries(TestSharedFolder()).size(), 9u);

    // Each target's checksum is the one its stream carries.
    const std::pair<const char*, const char*> payloads[] = {
        {"Marlowind.zlib", "Marlowind.exe"}, {"Ririvud.zlib", "Ririvud"},
        {"UninstallMW.zlib", "UninstallMW.exe"}, {"MarlUpdate.zlib", "MarlUpdate.exe"}};
    for (const auto& p : payloads) {
        const Bytes target = ReadAll(TestInstallFolder() + p.second);
        const uint32_t sum = static_cast<uint32_t>(
            adler32(adler32(0, nullptr, 0), target.data(), static_cast<uInt>(target.size())));
        EXPECT_EQ(sum, StoredAdler(kStreams + "/" + p.first)) << p.second;
    }
    // The theme begins with a PNG image.
    const Bytes theme = ReadAll(TestInstallFolder() + "Ririvud");
    ASSERT_GE(theme.size(), 8u);
    EXPECT_EQ(std::string(theme.begin() + 1, theme.begin() + 4), "PNG");
}

TEST_F(InstallFilesRun, SecondRunReplacesOwnFilesAndKeepsOthers)
{
    ResourceDll dll(MW_RES_FULL);
    InstallFiles();
    const std::string folder = TestInstallFolder();
    const std::string shared = TestSharedFolder();
    WriteAll(folder + "Ririvud", "an old theme");
    WriteAll(folder + "Ririvud.zip", "left by an interrupted run");
    WriteAll(folder + "License.txt", "an old licence");
    WriteAll(shared + "wall2.png", "an old wallpaper");
    WriteAll(folder + "notes.txt", "the user's own");
    WriteAll(shared + "mine.png", "the user's own picture");

    InstallFiles();
    ExpectCompleteInstallation();
    EXPECT_EQ(ReadAll(folder + "notes.txt"), Bytes({'t', 'h', 'e', ' ', 'u', 's', 'e', 'r', '\'', 's', ' ', 'o', 'w', 'n'}));
    EXPECT_TRUE(PathIsFile(shared + "mine.png"));
    EXPECT_EQ(FolderEntries(folder).size(), 7u);
    EXPECT_EQ(FolderEntries(shared).size(), 10u);
}

TEST_F(InstallFilesRun, CorruptStreamStopsWithZlibsTextAndRemovesItsTarget)
{
    ResourceDll dll(MW_RES_CORRUPT);
    EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "data error");
    const std::string folder = TestInstallFolder();
    EXPECT_TRUE(SameContent(folder + "Marlowind.exe", MW_MESSENGER_EXE));
    // All of the theme's bytes were inflated before the checksum failed: the file is gone.
    EXPECT_FALSE(PathIsFile(folder + "Ririvud"));
    EXPECT_TRUE(PathIsFile(folder + "Marlowind.zip"));
    EXPECT_TRUE(PathIsFile(folder + "Ririvud.zip"));
    EXPECT_FALSE(PathIsFile(folder + "UninstallMW.zip"));
    EXPECT_TRUE(PathIsFolder(TestSharedFolder()));
    EXPECT_TRUE(FolderEntries(TestSharedFolder()).empty());
    ExpectNoRecordsAndNoLinks();
}

TEST_F(InstallFilesRun, TruncatedStreamIsAnErrorNotAShortFile)
{
    ResourceDll dll(MW_RES_TRUNCATED);
    EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "buffer error");
    const std::string folder = TestInstallFolder();
    EXPECT_TRUE(SameContent(folder + "Marlowind.exe", MW_MESSENGER_EXE));
    EXPECT_TRUE(SameContent(folder + "Ririvud", kSource + "/payloads/theme/Ririvud"));
    EXPECT_FALSE(PathIsFile(folder + "UninstallMW.exe"));
    EXPECT_EQ(ReadAll(folder + "UninstallMW.zip").size(),
              ReadAll(kStreams + "/UninstallMW.zlib").size() / 2);
    EXPECT_FALSE(PathIsFile(folder + "License.txt"));
    ExpectNoRecordsAndNoLinks();
}

TEST_F(InstallFilesRun, MissingResourceIsNamed)
{
    ResourceDll dll(MW_RES_MISSING);
    EXPECT_EQ(ErrorOf([] { InstallFiles(); }), "Resource UPDATE not found");
    const std::string folder = TestInstallFolder();
    EXPECT_TRUE(SameContent(folder + "UninstallMW.exe", MW_UNINSTALLER_EXE));
    // The resource is looked up before its stream file is made.
    EXPECT_FALSE(PathIsFile(folder + "Marlupdate.zip"));
    EXPECT_FALSE(PathIsFile(folder + "MarlUpdate.exe"));
    EXPECT_TRUE(PathIsFile(folder + "UninstallMW.zip"));
    ExpectNoRecordsAndNoLinks();
}

TEST_F(InstallFilesRun, InstallFolderThatCannotBeCreated)
{
    ResourceDll dll(MW_RES_FULL);
    // A file where the folder should be.
    std::string blocker = TestInstallFolder();
    blocker.pop_back();
    WriteAll(blocker, "in the way");
    const std::string message = ErrorOf([] { InstallFiles(); });
    EXPECT_EQ(message, "Cannot create file \"" + TestInstallFolder() + "Marlowind.zip\". " +
                           SystemErrorText(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(PathIsFile(blocker));
    EXPECT_TRUE(FolderEntries(TestSharedFolder()).empty());
    ExpectNoRecordsAndNoLinks();
    ::DeleteFileA(blocker.c_str());
}

TEST_F(InstallFilesRun, LockedMessengerEndsTheRunAndStaysIntact)
{
    ResourceDll dll(MW_RES_FULL);
    ::CreateDirectoryA(TestInstallFolder().c_str(), nullptr);
    const std::string messenger = TestInstallFolder() + "Marlowind.exe";
    WriteAll(messenger, "the running copy");
    // Held open the way a running program holds its image: others may read, not write or delete.
    HANDLE held = ::CreateFileA(messenger.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string message = ErrorOf([] { InstallFiles(); });
    ::CloseHandle(held);
    EXPECT_EQ(message, "Cannot create file \"" + messenger + "\". " +
                           SystemErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadAll(messenger), Bytes({'t', 'h', 'e', ' ', 'r', 'u', 'n', 'n', 'i', 'n', 'g', ' ',
                                         'c', 'o', 'p', 'y'}));
    EXPECT_TRUE(SameContent(TestInstallFolder() + "Marlowind.zip", kStreams + "/Marlowind.zlib"));
    ExpectNoRecordsAndNoLinks();
}
