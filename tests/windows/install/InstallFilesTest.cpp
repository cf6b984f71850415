#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <map>

#include "../WineLinks.h"
#include "InstallTestSupport.h"
#include "common/SafeFiles_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"
#include "install/TransactionRecord_win32.h"
#include "common/SystemError_win32.h"

namespace {
const std::string kSource = MW_SOURCE_DIR;
const std::string kStreams = MW_STREAM_DIR;

std::string TempFolder()
{
    char path[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, path);
    return path;
}

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

// Everything an installation consists of, read back: each file of the two folders and of the
// menu folder with its bytes, the two other links, the links' fields, the registry values.
using Snapshot = std::map<std::string, Bytes>;

Bytes AsBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

void AddFolder(Snapshot& snapshot, const std::string& folder)
{
    snapshot["folder " + folder] = AsBytes(PathIsFolder(folder) ? "exists" : "missing");
    for (const std::string& name : FolderEntries(folder)) {
        const std::string path = folder + (folder.back() == '\\' ? "" : "\\") + name;
        snapshot["file " + path] = PathIsFolder(path) ? AsBytes("a folder") : ReadAll(path);
    }
}

Snapshot TakeSnapshot()
{
    Snapshot snapshot;
    AddFolder(snapshot, TestInstallFolder());
    AddFolder(snapshot, TestSharedFolder());
    AddFolder(snapshot, TestMenuFolder());
    for (const LinkExpectation& e : Links()) {
        const LinkInfo l = ReadLink(e.Link);
        snapshot["link " + e.Link] = AsBytes(l.Loaded ? l.Path + "|" + l.Description + "|" +
                                                            l.WorkingDirectory + "|" + l.Arguments
                                                      : "none");
    }
    for (const ValueExpectation& e : RegistryValues()) {
        const RegValue v = ReadRegValue(e.Root, e.Key, e.Name);
        snapshot[std::string("value ") + e.Key + "\\" + e.Name] = AsBytes(
            v.Exists ? std::to_string(v.Type) + "|" + v.String + "|" + std::to_string(v.Number)
                     : "missing");
    }
    return snapshot;
}

// The keys whose content differs between two snapshots (contents are too long to print).
std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after)
{
    std::vector<std::string> keys;
    for (const auto& b : before) {
        const auto a = after.find(b.first);
        if (a == after.end())
            keys.push_back("gone: " + b.first);
        else if (a->second != b.second)
            keys.push_back("changed: " + b.first);
    }
    for (const auto& a : after)
        if (!before.count(a.first))
            keys.push_back("new: " + a.first);
    return keys;
}

// A complete earlier installation whose files differ from the ones the payloads hold, so that a
// new file left in place of an earlier one is noticed; plus a file of the user's own.
void MakeEarlierInstallation()
{
    {
        ResourceDll dll(MW_RES_FULL);
        ASSERT_EQ(ErrorOf([] { InstallFiles(); }), "no error");
    }
    for (const FileExpectation& f : InstallFolderFiles())
        WriteAll(TestInstallFolder() + f.Name, std::string("earlier ") + f.Name);
    for (const FileExpectation& f : SharedFolderFiles())
        WriteAll(TestSharedFolder() + f.Name, std::string("earlier ") + f.Name);
    WriteAll(TestInstallFolder() + "Ririvud.zip", "left by an interrupted run");
    WriteAll(TestInstallFolder() + "notes.txt", "the user's own");
}

// A copy of the complete resources with one payload stream damaged: one byte in the middle
// flipped (the inflater stops at a bad code or at the checksum), or the last two bytes cut off
// (the deflate data ends, the checksum is incomplete).
enum class Damage { FlipMiddle, CutEnd };

struct DamageCase {
    std::string Label;
    std::string Dll;
    std::string Message;
};

std::string DamagedCopy(const char* resource, Damage damage)
{
    const std::string copy = TempFolder() + "damaged-" + resource +
                             (damage == Damage::FlipMiddle ? "-flip.dll" : "-cut.dll");
    if (PathIsFile(copy))
        return copy;
    HMODULE full = ::LoadLibraryExA(MW_RES_FULL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Bytes data = ResourceBytes(full, "ZIP", resource);
    ::FreeLibrary(full);
    if (damage == Damage::FlipMiddle)
        data[data.size() / 2] ^= 0xFF;
    else
        data.resize(data.size() - 2);
    CopyWithResource(MW_RES_FULL, "ZIP", resource, data, copy);
    return copy;
}

std::vector<DamageCase> DamageCases()
{
    std::vector<DamageCase> cases;
    for (const PayloadEntry& p : kPayloads) {
        cases.push_back({std::string(p.Resource) + " with a flipped byte",
                         DamagedCopy(p.Resource, Damage::FlipMiddle), "data error"});
        cases.push_back({std::string(p.Resource) + " cut short",
                         DamagedCopy(p.Resource, Damage::CutEnd), "buffer error"});
    }
    cases.push_back({"MRLWNDT with a wrong checksum", MW_RES_CORRUPT, "data error"});
    cases.push_back({"UNINSTALL cut in half", MW_RES_TRUNCATED, "buffer error"});
    cases.push_back({"UPDATE and the files after it missing", MW_RES_MISSING,
                     "Resource UPDATE not found"});
    return cases;
}

class InstallFilesRun : public ::testing::Test {
protected:
    void SetUp() override { WipeInstallation(); }
    void TearDown() override { WipeInstallation(); }
};
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// A REG_MULTI_SZ value with its strings joined by line breaks; empty when there is none.
std::string ReadMultiString(HKEY root, const char* key, const char* name)
{
    std::string text(65536, '\0');
    DWORD size = static_cast<DWORD>(text.size());
    if (::RegGetValueA(root, key, name, RRF_RT_REG_MULTI_SZ, nullptr, &text[0], &size) != ERROR_SUCCESS)
        return std::string();
    text.resize(size);
    for (char& c : text)
        if (c == '\0')
            c = '\n';
    return text;
}

void DeleteRegValue(HKEY root, const char* key, const char* name)
{
    HKEY k = nullptr;
    if (::RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        ::RegDeleteValueA(k, name);
        ::RegCloseKey(k);
    }
}
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

TEST_F(InstallFilesRun, InstallFolderThatCannotBeCreated)
{
    ResourceDll dll(MW_RES_FULL);
    // A file where the folder should be.
    std::string blocker = TestInstallFolder();
    blocker.pop_back();
    WriteAll(blocker, "in the way");
    EXPECT_EQ(OutcomeOf([] { InstallFiles(); }),
              Outcome("Cannot create file \"" + TestInstallFolder() + "Marlowind.zip\". " +
                          SystemErrorText(ERROR_PATH_NOT_FOUND),
                      ExitCode::Failed));
    EXPECT_TRUE(PathIsFile(blocker));
    // The shared data folder was made by this run and is empty again: it is gone.
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
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
    const std::string outcome = OutcomeOf([] { InstallFiles(); });
    ::CloseHandle(held);
    EXPECT_EQ(outcome, Outcome("Cannot create file \"" + messenger + "\". " +
                                   SystemErrorText(ERROR_SHARING_VIOLATION),
                               ExitCode::FilesInUse));
    EXPECT_EQ(ReadAll(messenger), Bytes({'t', 'h', 'e', ' ', 'r', 'u', 'n', 'n', 'i', 'n', 'g', ' ',
                                         'c', 'o', 'p', 'y'}));
    // The messenger can't be set aside, so nothing was written.
    EXPECT_EQ(FolderEntries(TestInstallFolder()), std::vector<std::string>{"Marlowind.exe"});
    EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
    ExpectNoRecordsAndNoLinks();
}

TEST_F(InstallFilesRun, DamagedResourcesLeaveAnEarlierInstallationAsItWas)
{
    MakeEarlierInstallation();
    const Snapshot earlier = TakeSnapshot();
    // Held as a running copy holds its image: the damage is met while the new files are
    // written, before the swap would find that this file can't be set aside.
    const std::string messenger = TestInstallFolder() + "Marlowind.exe";
    HANDLE held = ::CreateFileA(messenger.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const DamageCase& c : DamageCases()) {
        SCOPED_TRACE(c.Label);
        ResourceDll dll(c.Dll.c_str());
        EXPECT_EQ(ErrorOf([] { InstallFiles(); }), c.Message);
        EXPECT_EQ(Differences(earlier, TakeSnapshot()), std::vector<std::string>());
    }
    ::CloseHandle(held);
}

TEST_F(InstallFilesRun, DamagedResourcesWriteNothingOnACleanMachine)
{
    for (const DamageCase& c : DamageCases()) {
        SCOPED_TRACE(c.Label);
        ResourceDll dll(c.Dll.c_str());
        EXPECT_EQ(OutcomeOf([] { InstallFiles(); }), Outcome(c.Message, ExitCode::DamagedInstaller));
        EXPECT_FALSE(PathIsFolder(TestInstallFolder()));
        EXPECT_FALSE(PathIsFolder(TestSharedFolder()));
        ExpectNoRecordsAndNoLinks();
    }
}

// Failures of sound resources, at different points of the file steps:
// the first earlier file held open without sharing, the last one (after the whole install
// folder is written), a folder where a picture should be written, and a link another user
// planted in place of a picture, which is refused and not followed.
TEST_F(InstallFilesRun, FailureAmidTheFileStepsPutsTheEarlierInstallationBack)
{
    enum class Obstacle { HeldOpen, Folder, Link };
    struct Case {
        const char* Label;
        std::string Path;
        Obstacle What;
        DWORD Error;
        ExitCode Code;  // of an unattended run
    };
    const Case cases[] = {
        {"messenger held open", TestInstallFolder() + "Marlowind.exe", Obstacle::HeldOpen,
         ERROR_SHARING_VIOLATION, ExitCode::FilesInUse},
        {"about picture held open", TestSharedFolder() + "about.png", Obstacle::HeldOpen,
         ERROR_SHARING_VIOLATION, ExitCode::FilesInUse},
        {"folder in place of a thumbnail", TestSharedFolder() + "smwall4.png", Obstacle::Folder,
         ERROR_ACCESS_DENIED, ExitCode::Failed},
        {"link in place of a wallpaper", TestSharedFolder() + "wall3.png", Obstacle::Link,
         kErrorLinkRefused, ExitCode::Failed},
    };
    const std::string victim = TempFolder() + "victim.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        WipeInstallation();
        MakeEarlierInstallation();
        WriteAll(victim, "another user's target");
        if (c.What == Obstacle::Folder) {
            ::DeleteFileA(c.Path.c_str());
            ASSERT_TRUE(::CreateDirectoryA(c.Path.c_str(), nullptr));
        } else if (c.What == Obstacle::Link) {
            ::DeleteFileA(c.Path.c_str());
            ASSERT_TRUE(PlantUnixLink(W(c.Path), W(victim)));
        }
        // Taken before the file is held: a file held without sharing can't be read either.
        Snapshot earlier = TakeSnapshot();
        earlier["victim"] = ReadAll(victim);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.What == Obstacle::HeldOpen) {
            held = ::CreateFileA(c.Path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        ResourceDll dll(MW_RES_FULL);
        const std::string outcome = OutcomeOf([] { InstallFiles(); });
        if (held != INVALID_HANDLE_VALUE)
            ::CloseHandle(held);
        EXPECT_EQ(outcome, Outcome("Cannot create file \"" + c.Path + "\". " +
                                       SystemErrorText(c.Error),
                                   c.Code));
        Snapshot after = TakeSnapshot();
        after["victim"] = ReadAll(victim);
        EXPECT_EQ(Differences(earlier, after), std::vector<std::string>());
        if (c.What == Obstacle::Link)
            RemoveTreeOnHost(W(c.Path));
    }
}

// Real disks running out of room (the test runs as root), mounted over the install folder with
// the earlier files on them: a 384 KiB tmpfs fills up while the theme is inflated (the largest
// payload, whose size does not follow the programs' as the build changes); a volume that takes
// every write but finds no room behind it when the files are flushed, as a thin-provisioned disk
// does (ext4 on a file in a tmpfs with 160 KiB to spare), fails the payloads' flushes.
TEST_F(InstallFilesRun, FullDiskAmidTheFileStepsPutsTheEarlierInstallationBack)
{
    const std::string folder = TestInstallFolder();
    const std::string mountPoint = UnixPath(W(folder));
    // The shell gets the folder as $0 and a place for the thin volume's backing as $1 (beside
    // it); with no field splitting or globbing, the names need no quotes.
    const std::string backing = mountPoint.substr(0, mountPoint.find_last_of('/', mountPoint.size() - 2)) +
                                "/thin-volume";
    const struct {
        const char *Label, *Mount, *Unmount;
    } cases[] = {
        {"full tmpfs", "mount -t tmpfs -o size=384k tmpfs $0", "umount -l $0"},
        {"thin volume",
         "mkdir -p $1 && mount -t tmpfs tmpfs $1 && truncate -s 16M $1/img && "
         "/sbin/mkfs.ext4 -q -O ^has_journal -N 64 -E lazy_itable_init=0 $1/img && "
         "mount -o remount,size=$(($(du -k $1/img | cut -f1) + 160))k $1 && "
         "mount -o loop,errors=continue $1/img $0 && rmdir $0/lost+found",
         "umount -l $0; umount -l $1; rmdir $1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Label);
        WipeInstallation();
        MakeEarlierInstallation();
        std::vector<std::pair<std::string, Bytes>> earlierFiles;
        for (const std::string& name : FolderEntries(folder))
            earlierFiles.push_back({name, ReadAll(folder + name)});
        RunHostTool("sh", {"-c", std::string("IFS=; set -f; ") + c.Mount, mountPoint, backing});
        if (!WaitUntil([&] { return FolderEntries(folder).empty(); }))
            GTEST_SKIP() << "a file system can't be mounted here (needs root)";
        for (const auto& f : earlierFiles)
            WriteAll(folder + f.first, std::string(f.second.begin(), f.second.end()));
        const Snapshot earlier = TakeSnapshot();

        ResourceDll dll(MW_RES_FULL);
        EXPECT_EQ(OutcomeOf([] { InstallFiles(); }),
                  Outcome("Stream write error", ExitCode::DiskFull));
        EXPECT_EQ(Differences(earlier, TakeSnapshot()), std::vector<std::string>());

        // Lazily: the Wine server may still hold the folder open. The tag lives on the mount only.
        WriteAll(folder + "on-mount", "");
        RunHostTool("sh", {"-c", std::string("IFS=; set -f; ") + c.Unmount, mountPoint, backing});
        EXPECT_TRUE(WaitUntil([&] { return !PathIsFile(folder + "on-mount"); }));
    }
}

// A program still running from an earlier file: its image can be renamed but not deleted, so
// the set-aside copy is left for the next restart and the install goes on.
TEST_F(InstallFilesRun, RunningEarlierProgramIsRemovedAtTheNextRestart)
{
    ResourceDll dll(MW_RES_FULL);
    InstallFiles();
    const std::string messenger = TestInstallFolder() + "Marlowind.exe";
    std::string commandLine = "\"" + messenger + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    ::CloseHandle(pi.hThread);
    ::WaitForInputIdle(pi.hProcess, 10000);

    const std::string message = ErrorOf([] { InstallFiles(); });
    const std::string pending = ReadMultiString(HKEY_LOCAL_MACHINE, kSessionManager,
                                                "PendingFileRenameOperations");
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hProcess);

    EXPECT_EQ(message, "no error");
    ExpectCompleteInstallation();
    const std::string aside = messenger + ".old";
    EXPECT_TRUE(PathIsFile(aside));
    EXPECT_NE(pending.find(aside), std::string::npos) << pending;
    std::vector<std::string> left = FolderEntries(TestInstallFolder());
    EXPECT_EQ(left.size(), 7u);
    ::DeleteFileA(aside.c_str());
    DeleteRegValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
}

namespace {
// A run cut short at one of the moments the record can show. The plan names what InstallFiles
// names (a staged file beside every target, the earlier file aside, the four scratch stream
// files, the earlier run's stream file retired); the files are made as the run would have left
// them when it was killed there.
enum class CutAt {
    Staging,       // half the new files written, the last of them cut short; nothing renamed
    AsideBegun,    // swap marked, the first earlier file renamed aside and nothing in its place
    SomeRenamedIn, // half the names swapped, the next earlier file aside
    AllRenamedIn,  // every name swapped, the set-aside copies and the record still there
    Undoing,       // half swapped, then the undo marked and begun
};

std::string ReadFileText(const std::string& path)
{
    const Bytes b = ReadAll(path);
    return std::string(b.begin(), b.end());
}

std::string FreeSideName(const std::string& target, const char* suffix)
{
    for (int n = 1;; ++n) {
        const std::string name = target + "." + suffix + (n == 1 ? "" : std::to_string(n));
        if (::GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
            return name;
    }
}

TransactionPlan PlanLikeInstallFiles(bool createdFolders)
{
    TransactionPlan plan;
    if (createdFolders)
        plan.CreatedFolders = {W(TestInstallFolder()), W(TestSharedFolder())};
    auto add = [&](const std::string& folder, const FileExpectation& f) {
        const std::string target = folder + f.Name;
        plan.Entries.push_back({W(target), W(FreeSideName(target, "new")),
                                PathIsFile(target) ? W(FreeSideName(target, "old")) : L"", false});
    };
    for (const FileExpectation& f : InstallFolderFiles())
        add(TestInstallFolder(), f);
    for (const FileExpectation& f : SharedFolderFiles())
        add(TestSharedFolder(), f);
    for (const char* s : kStreamFiles) {
        const std::string stream = TestInstallFolder() + s;
        if (PathIsFile(stream))
            plan.Entries.push_back({W(stream), L"", W(FreeSideName(stream, "old")), false});
        plan.Entries.push_back({W(stream), W(stream + ".new"), L"", true});
    }
    return plan;
}

std::string Original(const std::string& target)
{
    for (const FileExpectation& f : InstallFolderFiles())
        if (TestInstallFolder() + f.Name == target)
            return f.Original;
    for (const FileExpectation& f : SharedFolderFiles())
        if (TestSharedFolder() + f.Name == target)
            return f.Original;
    return std::string();
}

// Renames entry `e`'s earlier file aside and, with `renameIn`, its new file into place.
void SwapEntry(const RecordEntry& e, bool renameIn)
{
    if (!e.Aside.empty()) {
        ASSERT_TRUE(::MoveFileW(e.Target.c_str(), e.Aside.c_str()));
    }
    if (renameIn && !e.Staged.empty()) {
        ASSERT_TRUE(::MoveFileW(e.Staged.c_str(), e.Target.c_str()));
    }
}

void LeaveCutShortRun(TransactionPlan plan, CutAt cut)
{
    std::vector<RecordEntry> files;
    for (const RecordEntry& e : plan.Entries)
        if (!e.Scratch)
            files.push_back(e);
    const size_t half = files.size() / 2;
    TransactionRecord record;
    ASSERT_EQ(record.Create(W(TestInstallFolder()) + kTransactionRecordFile, plan), ERROR_SUCCESS);
    for (const RecordEntry& e : plan.Entries)
        if (e.Scratch)
            WriteAll(N(e.Staged), "stream bytes");
    size_t written = 0;
    for (const RecordEntry& e : files) {
        if (e.Staged.empty())
            continue;
        std::string content = ReadFileText(Original(N(e.Target)));
        if (cut == CutAt::Staging && ++written > half) {
            WriteAll(N(e.Staged), content.substr(0, content.size() / 2));
            break;
        }
        WriteAll(N(e.Staged), content);
    }
    if (cut == CutAt::Staging)
        return;
    ASSERT_EQ(record.Mark(SwapState::Swapping), ERROR_SUCCESS);
    for (const RecordEntry& e : plan.Entries)
        if (e.Scratch)
            ::DeleteFileW(e.Staged.c_str());
    const size_t swapped = cut == CutAt::AsideBegun ? 0 : cut == CutAt::AllRenamedIn ? files.size() : half;
    for (size_t i = 0; i < swapped; ++i)
        SwapEntry(files[i], true);
    if (swapped < files.size())
        SwapEntry(files[swapped], false);
    if (cut != CutAt::Undoing)
        return;
    // The undo runs backwards: the half-swapped name first, then the last one swapped.
    ASSERT_EQ(record.Mark(SwapState::Undoing), ERROR_SUCCESS);
    if (!files[swapped].Aside.empty()) {
        ASSERT_TRUE(::MoveFileW(files[swapped].Aside.c_str(), files[swapped].Target.c_str()));
    }
    const RecordEntry& last = files[swapped - 1];
    ASSERT_TRUE(::DeleteFileW(last.Target.c_str()));
    if (!last.Aside.empty()) {
        ASSERT_TRUE(::MoveFileW(last.Aside.c_str(), last.Target.c_str()));
    }
}
}  // namespace

// Every moment the record can show, over an earlier installation (with a ".old" an older
// version's crashed run left, a stream file of an interrupted run and the user's own files) and
// on a clean machine: before the swap, or amid its undo, the folders hold exactly what they
// held; once the swap began, exactly one whole new installation. No staged, set-aside or
// record name is left, and nothing the record does not list is touched.
TEST_F(InstallFilesRun, RunCutShortIsFinishedOrUndoneFromItsRecord)
{
    struct Case {
        const char* Label;
        CutAt Cut;
        bool Forward;
    };
    const Case cases[] = {
        {"killed while staging", CutAt::Staging, false},
        {"killed once the first file was set aside", CutAt::AsideBegun, true},
        {"killed with some new files renamed in", CutAt::SomeRenamedIn, true},
        {"killed before the set-aside copies were deleted", CutAt::AllRenamedIn, true},
        {"killed amid an undo", CutAt::Undoing, false},
    };
    for (const bool earlier : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.Label) + (earlier ? ", over an earlier installation" : ", clean"));
            WipeInstallation();
            if (earlier) {
                MakeEarlierInstallation();
                WriteAll(TestInstallFolder() + "Marlowind.exe.old", "left by an older version");
                WriteAll(TestSharedFolder() + "mine.png", "the user's own picture");
            }
            const Snapshot before = TakeSnapshot();
            if (!earlier) {
                ::CreateDirectoryA(TestInstallFolder().c_str(), nullptr);
                ::CreateDirectoryA(TestSharedFolder().c_str(), nullptr);
            }
            LeaveCutShortRun(PlanLikeInstallFiles(!earlier), c.Cut);
            if (HasFatalFailure())
                return;

            FinishInterruptedInstall();
            if (!c.Forward) {
                EXPECT_EQ(Differences(before, TakeSnapshot()), std::vector<std::string>());
                continue;
            }
            ExpectFiles(TestInstallFolder(), InstallFolderFiles());
            ExpectFiles(TestSharedFolder(), SharedFolderFiles());
            std::vector<std::string> installNames, sharedNames;
            for (const FileExpectation& f : InstallFolderFiles())
                installNames.push_back(f.Name);
            for (const FileExpectation& f : SharedFolderFiles())
                sharedNames.push_back(f.Name);
            if (earlier) {
                installNames.insert(installNames.end(), {"Marlowind.exe.old", "notes.txt"});
                sharedNames.push_back("mine.png");
                EXPECT_EQ(ReadFileText(TestInstallFolder() + "notes.txt"), "the user's own");
                EXPECT_EQ(ReadFileText(TestInstallFolder() + "Marlowind.exe.old"), "left by an older version");
                EXPECT_EQ(ReadFileText(TestSharedFolder() + "mine.png"), "the user's own picture");
            }
            std::sort(installNames.begin(), installNames.end());
            std::sort(sharedNames.begin(), sharedNames.end());
            std::vector<std::string> install = FolderEntries(TestInstallFolder());
            std::vector<std::string> shared = FolderEntries(TestSharedFolder());
            std::sort(install.begin(), install.end());
            std::sort(shared.begin(), shared.end());
            EXPECT_EQ(install, installNames);
            EXPECT_EQ(shared, sharedNames);
        }
    }
}

// A record that names anything outside the tables (here the user's own file as a set-aside
// copy) is not acted on: no file is renamed or deleted, and the record stays.
TEST_F(InstallFilesRun, RecordNamingAUsersFileIsNotActedOn)
{
    MakeEarlierInstallation();
    const std::string folder = TestInstallFolder();
    WriteAll(folder + "Marlowind.exe.new", "staged");
    TransactionPlan plan;
    plan.Entries.push_back({W(folder + "Marlowind.exe"), W(folder + "Marlowind.exe.new"),
                            W(folder + "notes.txt"), false});
    plan.State = SwapState::Swapping;
    {
        TransactionRecord record;
        ASSERT_EQ(record.Create(W(folder) + kTransactionRecordFile, plan), ERROR_SUCCESS);
        ASSERT_EQ(record.Mark(SwapState::Swapping), ERROR_SUCCESS);
    }
    const Snapshot before = TakeSnapshot();
    FinishInterruptedInstall();
    EXPECT_EQ(Differences(before, TakeSnapshot()), std::vector<std::string>());
}
