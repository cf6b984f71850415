#pragma once
// What an installation of the messenger made, as removal items, and its removal as a whole.
// Names and paths come from the same folders and tables the install sequence writes with.
#include <string>
#include <vector>

#include "uninstall/Removal_win32.h"

// Every file, link, folder, registry key and value an installation makes, in the order they
// are removed: the install folder's files (and stream files an interrupted install left), the
// shared pictures and their folder, the five links and the menu folder, the uninstall entry,
// the autostart value, the product's values and settings with their keys, and last the
// install folder. Folders and the product's keys are removed only when nothing else is left in
// them; the settings key's other values and any files a user put there stay.
// Raises ESpecialFolderError when the program files or common application data folder is
// unknown; links whose folder is unknown are left out.
std::vector<RemovalItem> InstallationItems();

// The installed messenger's executable: install folder + "Marlowind.exe".
std::wstring InstalledMessengerPath();

// Closes running copies of the installed messenger, then removes InstallationItems().
// Returns what could not be removed (empty: everything of the installation is gone).
// Raises ESpecialFolderError as InstallationItems().
std::vector<RemovalFailure> RemoveInstallation();
