#include "install/InstallPaths_win32.h"

#include "install/KnownFolders_win32.h"

std::wstring ProgramFilesFolder()
{
    return RequireSpecialFolder(CSIDL_PROGRAM_FILES);
}

std::wstring InstallFolder()
{
    return ProgramFilesFolder() + L"\\Marlowind\\";
}

std::wstring SharedDataFolder()
{
    return RequireSpecialFolder(CSIDL_COMMON_APPDATA) + L"\\Marlowind\\";
}

std::wstring StartMenuFolder()
{
    const std::wstring programs = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
    return programs.empty() ? std::wstring() : programs + L"\\Marlowind\\";
}
