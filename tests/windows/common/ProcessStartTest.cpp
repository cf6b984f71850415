// The start-up helper, shown on a real planted library: a copy of a probe program with a
// stand-in psapi.dll beside it, run with and without the helper; and the system functions bound
// when first used, with the stand-in planted beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/SystemLibrary_win32.h"

namespace {
std::wstring Folder(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring OwnFolder()
{
    wchar_t own[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    return Folder(own);
}

// The host path of the planted library as the build wrote it, seen through Wine's Z: drive.
std::wstring PlantedLibrary()
{
    std::wstring path = L"Z:";
    for (const char* c = MW_PLANTED_PSAPI; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// Wine prefers its built-in libraries to files of the same name; this makes it prefer a file,
// for the probe alone, as Windows does for a name that is not a known system library.
class PreferFiles {
public:
    explicit PreferFiles(const std::wstring& exeName)
        : key_(L"Software\\Wine\\AppDefaults\\" + exeName)
    {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        const wchar_t order[] = L"native,builtin";
        ok_ = ::RegSetValueExW(key, L"psapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                               sizeof order) == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }
    ~PreferFiles() { ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::wstring key_;
    bool ok_ = false;
};

DWORD RunProbe(const std::wstring& exe, const std::wstring& mode)
{
    std::wstring line = L"\"" + exe + L"\" " + mode;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Started from the system folder, so that the current folder is no second way in.
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, system, &si,
                          &pi))
        return 99999;
    DWORD code = 99999;
    if (::WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code;
}
}  // namespace

TEST(ProcessStartTest, ALibraryPlantedBesideTheProgramIsNotLoadedAfterTheHelper)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"mw-planted-" +
                                std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring probe = folder + L"mwdllprobe.exe", planted = folder + L"psapi.dll";
    PreferFiles prefer(L"mwdllprobe.exe");
    ASSERT_TRUE(prefer.ok());
    ASSERT_TRUE(::CopyFileW((OwnFolder() + L"common_test_dll_probe.exe").c_str(), probe.c_str(),
                            TRUE));
    ASSERT_TRUE(::CopyFileW(PlantedLibrary().c_str(), planted.c_str(), TRUE));

    const DWORD naive = RunProbe(probe, L"naive");
    const DWORD hardened = RunProbe(probe, L"hardened");
    ::DeleteFileW(probe.c_str());
    ::DeleteFileW(planted.c_str());
    ::RemoveDirectoryW(folder.c_str());

    EXPECT_EQ(naive, 1u) << "without the helper the planted library is loaded";
    EXPECT_EQ(hardened % 10, 0u) << "with it the system's is: " << hardened;
    // What this system offers: Wine 8 has SetDefaultDllDirectories; the redirection guard is
    // reported, not required (Wine accepts the call but enforces nothing).
    EXPECT_EQ(hardened / 10 % 10, 1u) << hardened;
    std::printf("start-up helper on this system: %s, redirection guard %s\n",
                hardened / 10 % 10 == 1 ? "SetDefaultDllDirectories" : "SetDllDirectoryA(\"\")",
                hardened >= 100 ? "on" : "not offered");
}

// A library bound from the system folder: there when the system has it, never the one beside
// the program, even where a load by bare name takes that one.
TEST(ProcessStartTest, SystemFunctionsComeFromTheSystemFolderAlone)
{
    const std::wstring planted = OwnFolder() + L"mwplanted.dll";
    ASSERT_TRUE(::CopyFileW(PlantedLibrary().c_str(), planted.c_str(), FALSE));
    const HMODULE beside = ::LoadLibraryW(L"mwplanted.dll");
    EXPECT_NE(beside, nullptr) << "a load by bare name takes the planted file";
    if (beside)
        ::FreeLibrary(beside);

    struct Case {
        const wchar_t* Library;
        const char* Function;
        bool Found;
    };
    const Case cases[] = {
        {L"oleacc.dll", "LresultFromObject", true},
        {L"oleaut32.dll", "SysAllocStringLen", true},
        {L"shell32.dll", "SHGetFolderPathW", true},
        {L"oleaut32.dll", "NoSuchFunction", false},
        {L"mw-no-such-library.dll", "Anything", false},
        {L"mwplanted.dll", "MwPlantedLibrary", false},
    };
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    for (const Case& c : cases) {
        const FARPROC found = SystemFunction(c.Library, c.Function);
        EXPECT_EQ(found != nullptr, c.Found) << c.Function;
        HMODULE module = nullptr;
        if (found && ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                          reinterpret_cast<LPCWSTR>(found), &module)) {
            wchar_t path[MAX_PATH] = {};
            ::GetModuleFileNameW(module, path, MAX_PATH);
            EXPECT_EQ(_wcsicmp(Folder(path).c_str(), (std::wstring(system) + L"\\").c_str()), 0)
                << c.Function;
        }
    }
    ::DeleteFileW(planted.c_str());
}
