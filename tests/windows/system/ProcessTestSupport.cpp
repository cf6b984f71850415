#include "ProcessTestSupport.h"

#include <cstring>
#include <vector>

namespace {
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                // A program that was just terminated may hold its image a moment longer.
                for (int i = 0; i < 50 && !::DeleteFileA(path.c_str()); ++i)
                    ::Sleep(100);
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param)
{
    auto* wanted = reinterpret_cast<std::pair<DWORD, bool>*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    // The system may give a process helper windows of its own before the helper's window
    // exists; only the helper's visible main window shows that it is ready.
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (owner == wanted->first && ::IsWindowVisible(window) &&
        std::strcmp(className, "MwSystemTestWindow") == 0) {
        wanted->second = true;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::string OwnPath()
{
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

std::string OwnFolder()
{
    const std::string path = OwnPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

TempFolder::TempFolder()
{
    static int counter = 0;
    char temp[MAX_PATH];
    const DWORD n = ::GetTempPathA(MAX_PATH, temp);
    std::string base(temp, n);
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    for (;;) {
        path_ = base + "mwsys" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(++counter) + "\\";
        if (::CreateDirectoryA(path_.c_str(), nullptr))
            break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            path_.clear();
            break;
        }
    }
}

TempFolder::~TempFolder()
{
    if (!path_.empty())
        RemoveTree(path_);
}

std::string TempFolder::Subfolder(const std::string& name) const
{
    const std::string path = path_ + name + "\\";
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

bool CopyHelper(const std::string& helper, const std::string& target)
{
    return ::CopyFileA((OwnFolder() + helper).c_str(), target.c_str(), FALSE) != 0;
}

ChildProcess::ChildProcess(const std::string& exe, const std::string& arguments)
{
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (::CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        id_ = info.dwProcessId;
    }
}

ChildProcess::~ChildProcess()
{
    if (process_ && Running()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

bool ChildProcess::Running() const
{
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitEnded(DWORD ms) const
{
    return process_ && ::WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0;
}

bool ChildProcess::WaitForWindow(DWORD ms) const
{
    const DWORD start = ::GetTickCount();
    do {
        std::pair<DWORD, bool> wanted(id_, false);
        ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&wanted));
        if (wanted.second)
            return ::WaitForInputIdle(process_.get(), ms) == 0;
        if (!Running())
            return false;
        ::Sleep(20);
    } while (::GetTickCount() - start < ms);
    return false;
}

std::unique_ptr<ChildProcess> StartSleeper(const std::string& exe, const std::string& arguments)
{
    UniqueHandle ready(::CreateEventA(nullptr, FALSE, FALSE, "MwSystemTestSleeperReady"));
    auto child = std::make_unique<ChildProcess>(exe, arguments);
    if (!ready || !child->Started())
        return nullptr;
    const HANDLE waits[] = {ready.get(), child->Handle()};
    if (::WaitForMultipleObjects(2, waits, FALSE, 20000) != WAIT_OBJECT_0)
        return nullptr;
    return child;
}

std::string ChangeAsciiCase(std::string text, bool lower)
{
    for (char& c : text) {
        if (lower && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        else if (!lower && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return text;
}

DWORD RunToExit(const std::string& exe, const std::string& arguments)
{
    ChildProcess child(exe, arguments);
    DWORD code = 99999;
    if (child.Started() && child.WaitEnded(30000))
        ::GetExitCodeProcess(child.Handle(), &code);
    return code;
}

WineAppSettings::WineAppSettings(const std::string& exeName)
    : key_("Software\\Wine\\AppDefaults\\" + exeName)
{
}

WineAppSettings::~WineAppSettings()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
}

bool WineAppSettings::Set(const std::string& subkey, const std::string& name,
                          const std::string& value)
{
    UniqueHkey key;
    const std::string path = subkey.empty() ? key_ : key_ + "\\" + subkey;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          key.receive(), nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}
