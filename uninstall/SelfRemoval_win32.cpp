#include "uninstall/SelfRemoval_win32.h"

#include <vector>

#include "common/ExitCodes.h"
#include "common/PathParts.h"
#include "uninstall/StageFolder_win32.h"

namespace {
// The folder a file is in, without a trailing separator.
std::wstring FolderPart(const std::wstring& path)
{
    return WithoutTrailingSeparators(FolderOf(path));
}

std::wstring SetAsidePath(const std::wstring& stageFolder)
{
    return stageFolder + L"\\" + kSetAsideExecutable;
}

// An inheritable handle of this process for the second stage to wait on.
UniqueHandle InheritableSelf()
{
    HANDLE self = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                           &self, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0))
        return UniqueHandle();
    return UniqueHandle(self);
}

// Starts `copy` as the second stage; fills `stage` on success.
bool StartCopy(const std::wstring& copy, const std::wstring& temp, bool silent, SecondStage& stage)
{
    const UniqueHandle self = InheritableSelf();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!self || !::CreatePipe(&read, &write, &inherit, 0))
        return false;
    UniqueHandle result(read);
    const UniqueHandle sender(write);
    // Only the write end goes to the copy: the read end inherited too would keep the pipe
    // whole after the copy's end, and a killed copy would never be noticed.
    if (!::SetHandleInformation(result.get(), HANDLE_FLAG_INHERIT, 0))
        return false;
    std::wstring commandLine =
        L"\"" + copy + L"\" " +
        SecondStageArguments(reinterpret_cast<uintptr_t>(self.get()),
                             reinterpret_cast<uintptr_t>(sender.get()), silent);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                          temp.c_str(), &si, &pi))
        return false;
    const UniqueHandle thread(pi.hThread);
    stage.Process.reset(pi.hProcess);
    stage.Result = std::move(result);
    return true;
}

DWORD ScheduleDeletion(const std::wstring& path)
{
    return ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? ERROR_SUCCESS
                                                                              : ::GetLastError();
}
}  // namespace

std::wstring OwnExecutablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::wstring();
        if (n < buffer.size())
            return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

SecondStage StartSecondStage(bool silent)
{
    SecondStage started;
    const std::wstring own = OwnExecutablePath();
    const std::wstring temp = TempFolderW();
    if (own.empty() || temp.empty())
        return started;
    // Elevated, the stage is closed to the desktop user's programs, which could otherwise put
    // files beside the copy that runs with administrator rights.
    StageFolder stage = CreateStageFolder(temp, ProcessIsElevated());
    if (stage.Path.empty())
        return started;
    const std::wstring copy = stage.Path + L"\\" + kStageExecutable;
    if (!::CopyFileW(own.c_str(), copy.c_str(), TRUE) || !StartCopy(copy, temp, silent, started)) {
        started = SecondStage();
        DiscardStageFolder(stage);
    }
    return started;
}

int WaitForSecondStage(const SecondStage& stage)
{
    DWORD code = 0, got = 0;
    if (::ReadFile(stage.Result.get(), &code, sizeof code, &got, nullptr) && got == sizeof code)
        return static_cast<int>(code);
    ::WaitForSingleObject(stage.Process.get(), INFINITE);
    return ExitValue(ExitCode::Failed);
}

FirstStage FirstStageOf(const UninstallOptions& options)
{
    FirstStage first;
    if (!options.SecondStage)
        return first;
    const HANDLE process = reinterpret_cast<HANDLE>(options.Starter);
    const HANDLE result = reinterpret_cast<HANDLE>(options.Report);
    // Only handles this process inherited count: a process other than this one, and a pipe. A
    // number typed by hand names nothing, or something of another kind.
    const DWORD id = ::GetProcessId(process);
    if (id == 0 || id == ::GetCurrentProcessId() || ::GetFileType(result) != FILE_TYPE_PIPE)
        return first;
    first.Process.reset(process);
    first.Result.reset(result);
    return first;
}

void SendResult(FirstStage& first, int code)
{
    if (!first.Result)
        return;
    const DWORD value = static_cast<DWORD>(code);
    DWORD put = 0;
    ::WriteFile(first.Result.get(), &value, sizeof value, &put, nullptr);
    first.Result.reset();
}

void WaitForFirstStage(const FirstStage& first, DWORD timeoutMs)
{
    if (first.Process)
        ::WaitForSingleObject(first.Process.get(), timeoutMs);
}

std::wstring OwnStageFolder()
{
    const std::wstring folder = FolderPart(OwnExecutablePath());
    return IsStageFolderName(TempFolderW(), folder) ? folder : std::wstring();
}

DWORD SetAsideInto(const std::wstring& installed, const std::wstring& stageFolder)
{
    if (stageFolder.empty())
        return ERROR_PATH_NOT_FOUND;
    // No replacing: the name is new in a folder this run made and holds.
    return ::MoveFileExW(installed.c_str(), SetAsidePath(stageFolder).c_str(), 0) ? ERROR_SUCCESS
                                                                                  : ::GetLastError();
}

bool RemoveSetAsideFile()
{
    const std::wstring folder = OwnStageFolder();
    if (folder.empty())
        return true;
    const std::wstring path = SetAsidePath(folder);
    // An ended program's file stays in use for a moment after its process is gone.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::DeleteFileW(path.c_str()))
            return true;
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return true;
        ::Sleep(100);
    }
    return false;
}

void RemoveEarlierStages()
{
    RemoveStageFolders(TempFolderW(), FolderPart(OwnExecutablePath()));
}

bool ScheduleOwnRemoval()
{
    const std::wstring own = OwnExecutablePath();
    if (own.empty())
        return false;
    const std::wstring folder = FolderPart(own);
    const bool stage = IsStageFolderName(TempFolderW(), folder);
    if (stage && ::GetFileAttributesW(SetAsidePath(folder).c_str()) != INVALID_FILE_ATTRIBUTES)
        ScheduleDeletion(SetAsidePath(folder));
    const bool scheduled = ScheduleDeletion(own) == ERROR_SUCCESS;
    // Entries run in order at the restart: the files first, then their emptied folder.
    if (scheduled && stage)
        ScheduleDeletion(folder);
    return scheduled;
}
