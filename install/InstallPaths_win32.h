#pragma once
// The folders of an installation, computed afresh on every call.
#include <string>

// GetSpecialFolder(38): the program files folder, no trailing separator.
// Raises ESpecialFolderError when the system has none.
std::string ProgramFilesFolder();
// Program files folder + "\Marlowind\" (ends in a separator; file names are appended to it).
std::string InstallFolder();
// GetSpecialFolder(35) + "\Marlowind\": the all-users application data of the messenger.
std::string SharedDataFolder();
// GetSpecialFolder(23) + "\Marlowind\": the messenger's folder of the all-users programs menu;
// empty when the system has no programs menu (links there are then skipped).
std::string StartMenuFolder();
