#include "install/InstallPaths_win32.h"

#include "install/KnownFolders_win32.h"

std::string ProgramFilesFolder()
{
    return RequireSpecialFolder(CSIDL_PROGRAM_FILES);
}

std::string InstallFolder()
{
    return ProgramFilesFolder() + "\\Marlowind\\";
}

std::string SharedDataFolder()
{
    return RequireSpecialFolder(CSIDL_COMMON_APPDATA) + "\\Marlowind\\";
}

std::string StartMenuFolder()
{
    const std::string programs = GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
    return programs.empty() ? std::string() : programs + "\\Marlowind\\";
}
