// Reads the state an installer run left behind, from inside the Wine prefix, for the e2e
// harness: top-level windows (with the texts of dialog boxes), processes with their full
// paths, special folders, shell links and registry values. Reads one query per line from
// stdin (fields separated by tabs) and answers each with tab-separated lines on stdout.
//
//   windows                        window <pid> <hwnd> <visible> <owner> <exstyle> <l> <t> <r> <b> <class> <title>
//                                  text <dialog hwnd> <child text>    (for each child of a dialog)
//   processes                      process <pid> <full path or exe name>
//   folder <csidl>                 folder <csidl> <path>
//   link <path>                    link <path> ok <target> <working dir> <description> <arguments>
//   reg <HKCU|HKLM> <key> <value>  reg <root> <key> <value> <REG_SZ|REG_DWORD|...|missing> <data>
//   press-ok <hwnd>                ok <hwnd>        (posts IDOK to a dialog box)
// Every answer block ends with a line "end". Texts are UTF-8.
//
// e2e_check.exe launch: reads one Windows command line (UTF-8) from stdin and starts it as a
// deployment tool does (CreateProcessW, no console, the line as it stands), then prints
// "started <pid>" and, once the program has ended, "exit <code>": the whole 32-bit exit code
// (GetExitCodeProcess), which wine's own exit status cuts to its low 8 bits.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
std::string Utf8(const std::wstring& w)
{
    if (w.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Queries arrive in UTF-8 too: a path below a user's profile may hold letters that the
// system code page lacks.
std::wstring Wide(const std::string& s)
{
    if (s.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
    return out;
}

// Tabs and line breaks inside a field would break the line format.
std::string Clean(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s;
}

std::string WindowText(HWND w)
{
    wchar_t buffer[1024] = {};
    GetWindowTextW(w, buffer, 1024);
    return Clean(Utf8(buffer));
}

BOOL CALLBACK PrintChild(HWND child, LPARAM dialog)
{
    std::printf("text\t%llu\t%s\n", static_cast<unsigned long long>(dialog), WindowText(child).c_str());
    return TRUE;
}

BOOL CALLBACK PrintWindow(HWND w, LPARAM)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    RECT r = {};
    GetWindowRect(w, &r);
    wchar_t cls[256] = {};
    GetClassNameW(w, cls, 256);
    std::printf("window\t%lu\t%llu\t%d\t%llu\t%08lx\t%ld\t%ld\t%ld\t%ld\t%s\t%s\n",
                static_cast<unsigned long>(pid), static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)),
                IsWindowVisible(w) ? 1 : 0,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetWindow(w, GW_OWNER))),
                static_cast<unsigned long>(GetWindowLongW(w, GWL_EXSTYLE)), r.left, r.top, r.right, r.bottom,
                Utf8(cls).c_str(), WindowText(w).c_str());
    if (std::wstring(cls) == L"#32770")
        EnumChildWindows(w, &PrintChild, reinterpret_cast<LPARAM>(w));
    return TRUE;
}

void Processes()
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W e = {};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
        std::wstring path = e.szExeFile;
        if (HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, e.th32ProcessID)) {
            wchar_t full[MAX_PATH * 2] = {};
            DWORD size = MAX_PATH * 2;
            if (QueryFullProcessImageNameW(p, 0, full, &size))
                path = full;
            CloseHandle(p);
        }
        std::printf("process\t%lu\t%s\n", static_cast<unsigned long>(e.th32ProcessID), Clean(Utf8(path)).c_str());
    }
    CloseHandle(snap);
}

void Link(const std::string& path)
{
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ));
    wchar_t target[MAX_PATH] = {}, dir[MAX_PATH] = {}, desc[INFOTIPSIZE] = {}, args[1024] = {};
    if (ok) {
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(dir, MAX_PATH);
        link->GetDescription(desc, INFOTIPSIZE);
        link->GetArguments(args, 1024);
    }
    std::printf("link\t%s\t%s\t%s\t%s\t%s\t%s\n", Clean(path).c_str(), ok ? "ok" : "failed",
                Clean(Utf8(target)).c_str(), Clean(Utf8(dir)).c_str(), Clean(Utf8(desc)).c_str(),
                Clean(Utf8(args)).c_str());
    if (file)
        file->Release();
    if (link)
        link->Release();
}

void Reg(const std::string& root, const std::string& key, const std::string& value)
{
    HKEY base = root == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY k = nullptr;
    std::string type = "missing", data;
    if (RegOpenKeyExA(base, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        DWORD t = 0, size = 0;
        if (RegQueryValueExA(k, value.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> bytes(size + 2);
            RegQueryValueExA(k, value.c_str(), nullptr, &t, bytes.data(), &size);
            if (t == REG_SZ || t == REG_EXPAND_SZ) {
                type = t == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ";
                data.assign(reinterpret_cast<const char*>(bytes.data()));
            } else if (t == REG_DWORD && size == 4) {
                type = "REG_DWORD";
                DWORD d = 0;
                memcpy(&d, bytes.data(), 4);
                data = std::to_string(d);
            } else {
                type = "type" + std::to_string(t);
            }
        }
        RegCloseKey(k);
    }
    std::printf("reg\t%s\t%s\t%s\t%s\t%s\n", root.c_str(), key.c_str(), value.c_str(), type.c_str(),
                Clean(data).c_str());
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == '\t')
            out.emplace_back();
        else if (c != '\r' && c != '\n')
            out.back() += c;
    }
    return out;
}
}  // namespace

int Launch()
{
    char buffer[65536];
    if (!std::fgets(buffer, sizeof buffer, stdin))
        return 2;
    std::wstring line = Wide(Split(buffer)[0]);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("failed\t%lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::printf("started\t%lu\n", static_cast<unsigned long>(pi.dwProcessId));
    std::fflush(stdout);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit\t%lu\n", static_cast<unsigned long>(code));
    std::fflush(stdout);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "launch")
        return Launch();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        const std::vector<std::string> f = Split(buffer);
        if (f[0] == "windows")
            EnumWindows(&PrintWindow, 0);
        else if (f[0] == "processes")
            Processes();
        else if (f[0] == "foreground") {
            // The active window: its process and class.
            const HWND w = GetForegroundWindow();
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            wchar_t cls[256] = {};
            GetClassNameW(w, cls, 256);
            std::printf("foreground\t%lu\t%s\n", static_cast<unsigned long>(pid), Utf8(cls).c_str());
        }
        else if (f[0] == "folder" && f.size() >= 2) {
            wchar_t path[MAX_PATH] = {};
            SHGetFolderPathW(nullptr, std::atoi(f[1].c_str()), nullptr, 0, path);
            std::printf("folder\t%s\t%s\n", f[1].c_str(), Utf8(path).c_str());
        } else if (f[0] == "link" && f.size() >= 2)
            Link(f[1]);
        else if (f[0] == "reg" && f.size() >= 4)
            Reg(f[1], f[2], f[3]);
        else if (f[0] == "press-ok" && f.size() >= 2) {
            HWND w = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(f[1].c_str(), nullptr, 10)));
            PostMessageW(w, WM_COMMAND, IDOK, 0);
            std::printf("ok\t%s\n", f[1].c_str());
        }
        std::printf("end\n");
        std::fflush(stdout);
    }
    CoUninitialize();
    return 0;
}
