// What the shell and the taskbar read from the built programs: version strings, the icon group
// and the windows' class icons, compared with the committed icon file.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ProductVersion.h"
#include "common/ProgramIcon_win32.h"
#include "common/UniqueHandle_win32.h"
#include "forms/Application_win32.h"

namespace {
const LPCWSTR kGroupIcon = MAKEINTRESOURCEW(14);  // RT_GROUP_ICON

struct Program {
    const wchar_t* path;
    const wchar_t* description;
    const wchar_t* fileName;
};

const Program kPrograms[] = {
    {MW_SETUP_EXE, L"Marlowind setup", L"MarlowindSetup.exe"},
    {MW_UNINSTALLER_EXE, L"Marlowind uninstaller", L"UninstallMW.exe"},
    {MW_MESSENGER_EXE, L"Marlowind instant messenger", L"Marlowind.exe"},
    {MW_UPDATER_EXE, L"Marlowind updater", L"MarlUpdate.exe"},
};

std::wstring Widen(const char* s)
{
    return std::wstring(s, s + std::char_traits<char>::length(s));
}

// The image of `icon` drawn at n x n over opaque grey, as 32-bit pixels.
std::vector<DWORD> Render(HICON icon, int n)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = n;
    bi.bmiHeader.biHeight = -n;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const UniqueHbitmap dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dib || !dc)
        return {};
    const SelectScope select(dc.get(), dib.get());
    DWORD* px = static_cast<DWORD*>(bits);
    std::fill(px, px + n * n, 0xFF808080u);
    if (!::DrawIconEx(dc.get(), 0, 0, icon, n, n, 0, nullptr, DI_NORMAL))
        return {};
    ::GdiFlush();
    return std::vector<DWORD>(px, px + n * n);
}

int IconWidth(HICON icon)
{
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info))
        return 0;
    BITMAP bm = {};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

// The n-pixel image of the committed icon file, drawn as Render draws it at `drawn` pixels.
std::vector<DWORD> RenderFromFile(int n, int drawn = 0)
{
    std::ifstream in(MW_ICON_FILE, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 6)
        return {};
    const int count = static_cast<unsigned char>(data[4]) | static_cast<unsigned char>(data[5]) << 8;
    for (int i = 0; i < count; ++i) {
        const char* e = data.data() + 6 + 16 * i;
        if ((static_cast<unsigned char>(e[0]) ? static_cast<unsigned char>(e[0]) : 256) != n)
            continue;
        DWORD length, offset;
        std::memcpy(&length, e + 8, 4);
        std::memcpy(&offset, e + 12, 4);
        if (offset + length > data.size())
            return {};
        HICON icon = ::CreateIconFromResourceEx(
            reinterpret_cast<BYTE*>(const_cast<char*>(data.data() + offset)), length, TRUE,
            0x00030000, n, n, LR_DEFAULTCOLOR);
        std::vector<DWORD> out = Render(icon, drawn ? drawn : n);
        ::DestroyIcon(icon);
        return out;
    }
    return {};
}

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\040904b0\\" + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return L"(missing)";
    return std::wstring(value, length && !value[length - 1] ? length - 1 : length);
}
}  // namespace

TEST(ProgramIdentity, EveryProgramCarriesItsVersionInformation)
{
    wchar_t version[32];
    std::swprintf(version, 32, L"%d.%d.%d", MW_VERSION_MAJOR, MW_VERSION_MINOR, MW_VERSION_PATCH);
    ASSERT_EQ(Widen(MW_VERSION_TEXT), version);
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.fileName);
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(p.path, &ignored);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(::GetFileVersionInfoW(p.path, 0, size, block.data()));

        // The language the shell looks the strings up in: U.S. English, Unicode.
        WORD* translation = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                     reinterpret_cast<void**>(&translation), &length));
        ASSERT_GE(length, 4u);
        EXPECT_EQ(translation[0], 0x0409);
        EXPECT_EQ(translation[1], 1200);

        const std::pair<const wchar_t*, std::wstring> strings[] = {
            {L"CompanyName", L"Marlowind"},
            {L"ProductName", L"Marlowind instant messenger"},
            {L"ProductVersion", version},
            {L"FileVersion", version},
            {L"FileDescription", p.description},
            {L"OriginalFilename", p.fileName},
            {L"InternalName", p.fileName},
            {L"LegalCopyright", L"Copyright \u00A9 2026 Marlowind"},
        };
        for (const auto& s : strings)
            EXPECT_EQ(VersionString(block, s.first), s.second) << s.first;

        VS_FIXEDFILEINFO* fixed = nullptr;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        const DWORD ms = MAKELONG(MW_VERSION_MINOR, MW_VERSION_MAJOR), ls = MAKELONG(0, MW_VERSION_PATCH);
        EXPECT_EQ(fixed->dwFileVersionMS, ms);
        EXPECT_EQ(fixed->dwFileVersionLS, ls);
        EXPECT_EQ(fixed->dwProductVersionMS, ms);
        EXPECT_EQ(fixed->dwProductVersionLS, ls);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    }
}

TEST(ProgramIdentity, EveryProgramsFirstIconGroupIsTheIconInAllSizes)
{
    const std::vector<DWORD> want32 = RenderFromFile(32);
    ASSERT_EQ(want32.size(), 32u * 32u);
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.fileName);
        EXPECT_EQ(::ExtractIconExW(p.path, -1, nullptr, nullptr, 0), 1u);  // one group
        HICON large = nullptr, small = nullptr;
        ASSERT_GE(::ExtractIconExW(p.path, 0, &large, &small, 1), 1u);
        ASSERT_NE(large, nullptr);
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(Render(large, 32), want32);
        // Wine makes the small one by scaling the 32-pixel image down, so only its size is
        // the system's; the module's own 16-pixel image is compared below.
        EXPECT_EQ(IconWidth(small), 16);
        ::DestroyIcon(large);
        ::DestroyIcon(small);

        // The group itself: named MAINICON, first in the module, and every image the file's.
        const UniqueModule module(::LoadLibraryExW(
            p.path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module);
        std::vector<std::wstring> groups;
        ::EnumResourceNamesW(
            module.get(), kGroupIcon,
            [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) -> BOOL {
                reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(
                    IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(name))
                                         : std::wstring(name));
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&groups));
        ASSERT_FALSE(groups.empty());
        EXPECT_EQ(groups[0], L"MAINICON");
        HRSRC found = ::FindResourceW(module.get(), L"MAINICON", kGroupIcon);
        ASSERT_NE(found, nullptr);
        const BYTE* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(module.get(), found)));
        ASSERT_NE(dir, nullptr);
        std::vector<int> widths;
        for (int i = 0; i < (dir[4] | dir[5] << 8); ++i)
            widths.push_back(dir[6 + 14 * i] ? dir[6 + 14 * i] : 256);
        EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 48, 256}));
        for (int n : widths) {
            HICON icon = static_cast<HICON>(::LoadImageW(module.get(), L"MAINICON", IMAGE_ICON, n, n, 0));
            ASSERT_NE(icon, nullptr) << n;
            EXPECT_EQ(IconWidth(icon), n);
            // The PNG-stored 256-pixel image is compared at the sizes the shell draws it at.
            if (n < 256)
                EXPECT_EQ(Render(icon, n), RenderFromFile(n)) << n;
            else
                EXPECT_EQ(Render(icon, 96), RenderFromFile(256, 96));
            ::DestroyIcon(icon);
        }
    }
}

// The windows that carry a taskbar button: the application's hidden window (the wizard's) and
// the owner of the uninstaller's message boxes. This test program carries the same icon group.
TEST(ProgramIdentity, TaskbarWindowsShowTheIconAsTheirClassIcon)
{
    Application.Initialize();
    const TaskbarOwner owner(L"Marlowind setup");
    ASSERT_NE(owner.Handle(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(owner.Handle()));
    EXPECT_EQ(::GetWindow(owner.Handle(), GW_OWNER), nullptr);
    wchar_t title[64] = {};
    ::GetWindowTextW(owner.Handle(), title, 64);
    EXPECT_STREQ(title, L"Marlowind setup");

    const std::vector<DWORD> want32 = RenderFromFile(32), want16 = RenderFromFile(16);
    for (HWND w : {Application.Handle(), owner.Handle()}) {
        HICON large = reinterpret_cast<HICON>(::GetClassLongPtrW(w, GCLP_HICON));
        HICON small = reinterpret_cast<HICON>(::GetClassLongPtrW(w, GCLP_HICONSM));
        ASSERT_NE(large, nullptr);
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(Render(large, 32), want32);
        EXPECT_EQ(Render(small, 16), want16);
    }
}

// The system reads the installer's manifest as a program that draws for every display scale:
// per-monitor (version 2) awareness, system-wide awareness where only that is known; and it
// still asks for elevation and the version 6 common controls.
TEST(ProgramIdentity, TheInstallerDeclaresItselfAwareOfTheDisplayScale)
{
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = MW_SETUP_EXE;
    context.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE handle = ::CreateActCtxW(&context);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    struct Setting {
        const wchar_t* Space;
        const wchar_t* Name;
        const wchar_t* Want;
    } settings[] = {
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness", L"PerMonitorV2"},
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true"},
    };
    for (const Setting& s : settings) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        EXPECT_TRUE(::QueryActCtxSettingsW(0, handle, s.Space, s.Name, value, 64, &written)) << s.Name;
        EXPECT_STREQ(value, s.Want) << s.Name;
    }
    ::ReleaseActCtx(handle);

    // The rest of the manifest as it was.
    const HMODULE image = ::LoadLibraryExW(MW_SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    const HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(image, found)));
    const std::string manifest(text, ::SizeofResource(image, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    ::FreeLibrary(image);
}
