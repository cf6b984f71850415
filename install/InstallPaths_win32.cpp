#include "install/InstallPaths_win32.h"

#include "common/ProductFacts.h"
#include "install/KnownFolders_win32.h"

std::wstring ProgramFilesFolder()
{
    return RequireSpecialFolder(CSIDL_PROGRAM_FILES);
}

std::wstring InstallFolder()
{
    return ProgramFilesFolder() + kProductSubfolder;
}

std::wstring SharedDataFolder()
{
    return RequireSpecialFolder(CSIDL_COMMON_APPDATA) + kProductSubfolder;
}

std::wstring StartMenuFolder()
{
    const std::wstring programs = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
    return programs.empty() ? std::wstring() : programs + kProductSubfolder;
}
