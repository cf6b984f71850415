/* The code part of the resource-only test DLLs. */
__declspec(dllexport) int MwTestResourceDll(void) { return 1; }
