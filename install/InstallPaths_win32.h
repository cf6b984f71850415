#pragma once
// The folders of an installation (UTF-16), computed afresh on every call.
#include <string>

// GetSpecialFolder(38): the program files folder, no trailing separator.
// Raises ESpecialFolderError when the system has none.
std::wstring ProgramFilesFolder();
// Program files folder + "\Marlowind\" (ends in a separator; file names are appended to it).
std::wstring InstallFolder();
// GetSpecialFolder(35) + "\Marlowind\": the all-users application data of the messenger.
std::wstring SharedDataFolder();
// GetSpecialFolder(23) + "\Marlowind\": the messenger's folder of the all-users programs menu;
// empty when the system has no programs menu (links there are then skipped).
std::wstring StartMenuFolder();
