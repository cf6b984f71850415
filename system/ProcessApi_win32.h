#pragma once
// The ToolHelp and PSAPI functions, bound by name at run time so that the program starts on
// systems that lack either. A function whose library or entry is missing behaves as a failed
// call: it returns 0 (INVALID_HANDLE_VALUE for the snapshot) and does nothing else.
#include <windows.h>
#include <tlhelp32.h>

#include "common/UniqueHandle_win32.h"

// The ANSI snapshot record, whatever the UNICODE setting; its size is that of this target.
using AnsiProcessEntry = tagPROCESSENTRY32;

class ProcessApi {
public:
    // Binds the ToolHelp entries from `toolHelp` and the PSAPI entries from `psapi`; either
    // may be null. The modules are borrowed and must stay loaded while this object is used.
    ProcessApi(HMODULE toolHelp, HMODULE psapi);

    // The functions of the running system: ToolHelp from kernel32.dll, PSAPI from PSAPI.DLL of
    // the system folder (never searched for anywhere else), loaded on first use and kept.
    static const ProcessApi& System();

    // Loads PSAPI.DLL from the system folder; null when it is not there.
    static UniqueModule LoadSystemPsapi();

    // CreateToolhelp32Snapshot, Process32First, Process32Next (the ANSI entries).
    HANDLE CreateSnapshot(DWORD flags, DWORD processId) const;
    BOOL FirstProcess(HANDLE snapshot, AnsiProcessEntry* entry) const;
    BOOL NextProcess(HANDLE snapshot, AnsiProcessEntry* entry) const;
    // EnumProcesses, GetModuleBaseNameA, GetModuleFileNameExA.
    BOOL EnumProcessIds(DWORD* ids, DWORD bytes, DWORD* bytesReturned) const;
    DWORD ModuleBaseName(HANDLE process, HMODULE module, char* name, DWORD size) const;
    DWORD ModuleFileName(HANDLE process, HMODULE module, char* name, DWORD size) const;

private:
    using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, AnsiProcessEntry*);
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, char*, DWORD);

    CreateSnapshotFn createSnapshot_ = nullptr;
    ProcessWalkFn first_ = nullptr;
    ProcessWalkFn next_ = nullptr;
    EnumProcessesFn enumProcesses_ = nullptr;
    ModuleNameFn baseName_ = nullptr;
    ModuleNameFn fileNameEx_ = nullptr;
};
