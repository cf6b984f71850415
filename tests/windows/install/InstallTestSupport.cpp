#include "InstallTestSupport.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "common/CodePage_win32.h"
#include "common/ComPtr_win32.h"
#include "common/Resources_win32.h"
#include "install/KnownFolders_win32.h"

namespace {
// The shell link object and the shell need COM on the test thread, as in the installer.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }
};
const auto* const g_com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);
}  // namespace

std::wstring W(const std::string& text)
{
    return FromSystemCodePage(text);
}

std::string N(const std::wstring& text)
{
    return ToSystemCodePage(text);
}

Bytes ReadAll(const std::string& path, bool* ok)
{
    Bytes out;
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (ok)
        *ok = f != INVALID_HANDLE_VALUE;
    if (f == INVALID_HANDLE_VALUE)
        return out;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.insert(out.end(), buffer, buffer + got);
    ::CloseHandle(f);
    return out;
}

bool SameContent(const std::string& a, const std::string& b)
{
    bool okA = false, okB = false;
    const Bytes x = ReadAll(a, &okA);
    const Bytes y = ReadAll(b, &okB);
    return okA && okB && x == y;
}

void WriteAll(const std::string& path, const std::string& content)
{
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD put = 0;
    ::WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &put, nullptr);
    ::CloseHandle(f);
}

bool PathIsFile(const std::string& path)
{
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathIsFolder(const std::string& path)
{
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string n = d.cFileName;
        if (n != "." && n != "..")
            names.push_back(n);
    } while (::FindNextFileA(h, &d));
    ::FindClose(h);
    return names;
}

void RemoveTree(const std::string& path)
{
    std::string p = path;
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    if (PathIsFile(p)) {
        ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(p.c_str());
        return;
    }
    for (const std::string& n : FolderEntries(p))
        RemoveTree(p + "\\" + n);
    ::RemoveDirectoryA(p.c_str());
}

RegValue ReadRegValue(HKEY root, const std::string& key, const std::string& name)
{
    RegValue v;
    HKEY k = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return v;
    BYTE data[4096] = {};
    DWORD size = sizeof data - 1;
    if (::RegQueryValueExA(k, name.c_str(), nullptr, &v.Type, data, &size) == ERROR_SUCCESS) {
        v.Exists = true;
        if (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ)
            v.String.assign(reinterpret_cast<char*>(data), size && !data[size - 1] ? size - 1 : size);
        if (v.Type == REG_DWORD && size == sizeof(DWORD))
            memcpy(&v.Number, data, sizeof(DWORD));
    }
    ::RegCloseKey(k);
    return v;
}

bool RegKeyExists(HKEY root, const std::string& key)
{
    HKEY k = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(k);
    return true;
}

void DeleteRegTree(HKEY root, const std::string& key)
{
    ::RegDeleteTreeA(root, key.c_str());
    ::RegDeleteKeyA(root, key.c_str());
}

void MakeVolatileKey(HKEY root, const std::string& key)
{
    DeleteRegTree(root, key);
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(k);
}

LinkInfoW ReadLinkW(const std::wstring& linkPath)
{
    LinkInfoW info;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.receiveVoid())))
        return info;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receiveVoid())) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ)))
        return info;
    info.Loaded = true;
    wchar_t text[1024] = {};
    if (link->GetPath(text, 1024, nullptr, SLGP_RAWPATH) == S_OK)
        info.Path = text;
    text[0] = 0;
    if (SUCCEEDED(link->GetDescription(text, 1024)))
        info.Description = text;
    text[0] = 0;
    if (SUCCEEDED(link->GetWorkingDirectory(text, 1024)))
        info.WorkingDirectory = text;
    text[0] = 0;
    if (SUCCEEDED(link->GetArguments(text, 1024)))
        info.Arguments = text;
    return info;
}

LinkInfo ReadLink(const std::string& linkPath)
{
    const LinkInfoW wide = ReadLinkW(W(linkPath));
    LinkInfo info;
    info.Loaded = wide.Loaded;
    info.Path = N(wide.Path);
    info.Description = N(wide.Description);
    info.WorkingDirectory = N(wide.WorkingDirectory);
    info.Arguments = N(wide.Arguments);
    return info;
}

bool InForeignUserPrefix()
{
    return ::GetEnvironmentVariableW(L"MW_FOREIGN_USER", nullptr, 0) != 0;
}

std::string TestInstallFolder()
{
    return N(GetSpecialFolder(CSIDL_PROGRAM_FILES)) + "\\Marlowind\\";
}

std::string TestSharedFolder()
{
    return N(GetSpecialFolder(CSIDL_COMMON_APPDATA)) + "\\Marlowind\\";
}

std::string TestMenuFolder()
{
    return N(GetSpecialFolder(CSIDL_COMMON_PROGRAMS)) + "\\Marlowind";
}

std::string DesktopLink()
{
    return N(DesktopLinkW());
}

std::wstring DesktopLinkW()
{
    return GetSpecialFolder(CSIDL_DESKTOP) + L"\\Marlowind.lnk";
}

std::string ProgramsLink()
{
    return N(GetSpecialFolder(CSIDL_COMMON_PROGRAMS)) + "\\Marlowind.lnk";
}

void WipeInstallation()
{
    RemoveTree(TestInstallFolder());
    RemoveTree(TestSharedFolder());
    RemoveTree(TestMenuFolder());
    ::DeleteFileW(DesktopLinkW().c_str());
    ::DeleteFileA(ProgramsLink().c_str());
    DeleteRegTree(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Marlowind");
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\Marlowind");
    HKEY run = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                        KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        ::RegDeleteValueA(run, "MarloWind");
        ::RegCloseKey(run);
    }
}

Bytes ResourceBytes(HMODULE module, const char* type, const char* name)
{
    HRSRC info = ::FindResourceA(module, name, type);
    HGLOBAL handle = info ? ::LoadResource(module, info) : nullptr;
    const uint8_t* data = handle ? static_cast<const uint8_t*>(::LockResource(handle)) : nullptr;
    return data ? Bytes(data, data + ::SizeofResource(module, info)) : Bytes();
}

namespace {
BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found)
{
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}
}  // namespace

void CopyWithResource(const char* dll, const char* type, const char* name, const Bytes& data,
                      const std::string& copy)
{
    WORD language = 0;
    HMODULE source = ::LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(source, nullptr) << dll;
    ::EnumResourceLanguagesA(source, type, name, FirstLanguage, reinterpret_cast<LONG_PTR>(&language));
    ::FreeLibrary(source);
    ASSERT_TRUE(::CopyFileA(dll, copy.c_str(), FALSE)) << copy;
    HANDLE update = ::BeginUpdateResourceA(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr) << copy;
    ASSERT_TRUE(::UpdateResourceA(update, type, name, language, const_cast<uint8_t*>(data.data()),
                                  static_cast<DWORD>(data.size())));
    ASSERT_TRUE(::EndUpdateResourceA(update, FALSE));
    HMODULE changed = ::LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(changed, nullptr) << copy;
    EXPECT_EQ(ResourceBytes(changed, type, name), data) << copy << " " << name;
    ::FreeLibrary(changed);
}

ResourceDll::ResourceDll(const char* path)
    : module_(::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE))
{
    EXPECT_NE(module_, nullptr) << "cannot load " << path;
    SetResourceModule(module_);
}

ResourceDll::~ResourceDll()
{
    SetResourceModule(nullptr);
    if (module_)
        ::FreeLibrary(module_);
}

std::map<std::string, Bytes> FolderSnapshot(const std::string& folder)
{
    std::map<std::string, Bytes> files;
    for (const std::string& name : FolderEntries(folder))
        files[name] = ReadAll(folder + "\\" + name);
    return files;
}
