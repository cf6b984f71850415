#include <gtest/gtest.h>

#include <cstring>

#include "InstallTestSupport.h"
#include "install/InstallFiles_win32.h"
#include "install/KnownFolders_win32.h"

namespace {
// The DLL names this executable imports, with the functions taken from each.
std::vector<std::pair<std::string, std::string>> Imports()
{
    std::vector<std::pair<std::string, std::string>> out;
    const auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         d->Name; ++d) {
        const std::string dll = reinterpret_cast<const char*>(base + d->Name);
        for (auto* t = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
             t->u1.AddressOfData; ++t) {
            if (IMAGE_SNAP_BY_ORDINAL(t->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + t->u1.AddressOfData);
            out.emplace_back(dll, reinterpret_cast<const char*>(byName->Name));
        }
    }
    return out;
}
}  // namespace

TEST(KnownFolders, PathsComeWithoutTrailingSeparator)
{
    const std::string programFiles = N(GetSpecialFolder(CSIDL_PROGRAM_FILES));
    ASSERT_FALSE(programFiles.empty());
    EXPECT_NE(programFiles.back(), '\\');
    EXPECT_TRUE(PathIsFolder(programFiles));
    EXPECT_EQ(_stricmp(programFiles.c_str(), "C:\\Program Files"), 0) << programFiles;
    for (int csidl : {CSIDL_DESKTOP, CSIDL_SENDTO, CSIDL_STARTMENU, CSIDL_COMMON_PROGRAMS,
                      CSIDL_COMMON_APPDATA}) {
        const std::wstring p = GetSpecialFolder(csidl);
        ASSERT_FALSE(p.empty()) << csidl;
        EXPECT_NE(p.back(), L'\\') << csidl;
    }
}

TEST(KnownFolders, UnknownNumbersGiveEmptyPaths)
{
    EXPECT_EQ(GetSpecialFolder(0x7F), L"");
    EXPECT_EQ(GetSpecialFolder(-1), L"");
    EXPECT_EQ(ErrorOf([] { RequireSpecialFolder(0x7F); }),
              "Cannot find the special folder (CSIDL 127)");
    EXPECT_EQ(ErrorOf([] { RequireSpecialFolder(CSIDL_PROGRAM_FILES); }), "no error");
}

TEST(KnownFolders, StartMenuThroughItemIdListMatchesTheNumberedLookup)
{
    const std::wstring viaList = GetStartMenuFolder();
    ASSERT_FALSE(viaList.empty());
    EXPECT_EQ(viaList, GetSpecialFolder(CSIDL_STARTMENU));
    FreeItemIdList(nullptr);
}

TEST(KnownFolders, FolderLookupNeverImportsShfolder)
{
    // shfolder.dll is not a known system DLL and would be searched in the program's folder; the
    // lookup takes shell32's function from the system folder (SystemFunction).
    for (const auto& [dll, function] : Imports())
        EXPECT_NE(_stricmp(dll.c_str(), "shfolder.dll"), 0) << function;
    EXPECT_FALSE(GetSpecialFolder(CSIDL_PROGRAM_FILES).empty());
}

TEST(KnownFolders, MissingSharedFolderStopsTheRunBeforeAnythingIsWritten)
{
    // The all-users application data folder is taken from the shell-folder table; pointed at a
    // folder that doesn't exist, the lookup fails.
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const RegValue saved = ReadRegValue(HKEY_LOCAL_MACHINE, key, "Common AppData");
    HKEY k = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    const char missing[] = "C:\\NoSuchFolderForMarlowindTests";
    ::RegSetValueExA(k, "Common AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing),
                     sizeof missing);
    WipeInstallation();
    const std::wstring lookedUp = GetSpecialFolder(CSIDL_COMMON_APPDATA);
    std::string message;
    {
        ResourceDll dll(MW_RES_FULL);
        message = ErrorOf([] { InstallFiles(); });
    }
    if (saved.Exists)
        ::RegSetValueExA(k, "Common AppData", 0, saved.Type,
                         reinterpret_cast<const BYTE*>(saved.String.c_str()),
                         static_cast<DWORD>(saved.String.size() + 1));
    else
        ::RegDeleteValueA(k, "Common AppData");
    ::RegCloseKey(k);

    ASSERT_EQ(lookedUp, L"");
    EXPECT_EQ(message, "Cannot find the common application data folder (CSIDL 35)");
    EXPECT_FALSE(PathIsFolder(TestInstallFolder()));
    EXPECT_FALSE(PathIsFolder("C:\\Marlowind"));
    EXPECT_FALSE(PathIsFolder(missing));
    EXPECT_FALSE(GetSpecialFolder(CSIDL_COMMON_APPDATA).empty());
}
