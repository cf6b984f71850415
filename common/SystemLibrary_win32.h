#pragma once
// Functions of system libraries bound when first called, from the system folder alone. Every
// library a program imports is loaded before any of its code runs, each one it does not need
// for its first window costing start-up time; and one the system does not keep to its own
// folder is looked for beside the program first, where an elevated installer in a download
// folder could be handed somebody else's.
#include <windows.h>

// The function `name` of `library` (a file name in the system folder); null when either is
// missing. The library stays loaded.
FARPROC SystemFunction(const wchar_t* library, const char* name);

// SystemFunction as a pointer of the named function's own type, which the system headers
// declare: SYSTEM_FUNCTION(L"oleaut32.dll", SysFreeString).
#define SYSTEM_FUNCTION(library, function) \
    reinterpret_cast<decltype(&::function)>(SystemFunction(library, #function))
