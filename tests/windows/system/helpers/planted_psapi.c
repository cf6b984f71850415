/* A stand-in PSAPI.DLL that a test puts into a program's folder: whoever loads it reports
   every process under the name "planted". */
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
    return Planted(name, size);
}
