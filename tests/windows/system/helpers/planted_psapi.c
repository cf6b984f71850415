/* A stand-in PSAPI.DLL that a test puts into a program's folder: whoever loads it reports
   every process under the base name "planted" and under a 600-character "path" that starts
   with "planted", cut to the caller's buffer the way the system cuts names. */
#include <windows.h>

__declspec(dllexport) int MwPlantedLibrary(void) { return 1; }

__declspec(dllexport) BOOL WINAPI EnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned)
{
    if (bytes < sizeof(DWORD))
        return FALSE;
    ids[0] = 4;
    *returned = sizeof(DWORD);
    return TRUE;
}

static DWORD LongPlanted(char* name, DWORD size)
{
    static const DWORD length = 600;
    DWORD i, n;
    if (size == 0)
        return 0;
    n = size - 1 < length ? size - 1 : length;
    for (i = 0; i < n; ++i)
        name[i] = i < 7 ? "planted"[i] : 'x';
    name[n] = '\0';
    return n;
}

static DWORD Planted(char* name, DWORD size)
{
    static const char text[] = "planted";
    if (size < sizeof(text))
        return 0;
    memcpy(name, text, sizeof(text));
    return sizeof(text) - 1;
}

__declspec(dllexport) DWORD WINAPI GetModuleBaseNameA(HANDLE p, HMODULE m, char* name, DWORD size)
{
    (void)p;
    (void)m;
    return Planted(name, size);
}

__declspec(dllexport) DWORD WINAPI GetModuleFileNameExA(HANDLE p, HMODULE m, char* name,
                                                        DWORD size)
{
    (void)p;
    (void)m;
    return LongPlanted(name, size);
}
