#pragma once
// What an installation of the messenger made, as removal items, and its removal as a whole.
// Names and paths come from the same folders and tables the install sequence writes with.
#include <string>
#include <vector>

#include "uninstall/Removal_win32.h"

// Every file, link, folder, registry key and value an installation makes, except the
// uninstaller, its uninstall entry and the install folder, in the order they are removed: the
// install folder's files (and stream files an interrupted install left), the shared pictures
// and their folder, the five links and the menu folder, the autostart value, the product's
// values and settings with their keys. Folders and keys are removed only when nothing else is
// left in them; the settings key's other values and any files a user put there stay.
// Raises ESpecialFolderError when the program files or common application data folder is
// unknown; links whose folder is unknown are left out.
std::vector<RemovalItem> InstallationItems();

// What goes after the uninstaller itself: the uninstall entry's six values, its key when
// nothing else is left in it, and the install folder when it is empty. Raises as above.
std::vector<RemovalItem> UninstallEntryItems();

// The installed executables: install folder + "Marlowind.exe", "UninstallMW.exe",
// "MarlUpdate.exe".
std::wstring InstalledMessengerPath();
std::wstring InstalledUninstallerPath();
std::wstring InstalledUpdaterPath();

// True while the uninstall entry and the installed uninstaller it names are both there, so
// that the user can run the uninstaller again from the system's list of programs.
bool UninstallEntryKept();

// Finishes or undoes an install cut short (FinishInterruptedInstall; raises EFCreateError when
// a name of it can't be put right), closes running copies of the installed messenger and
// updater, removes InstallationItems(), and only when all of them are gone the uninstaller,
// then UninstallEntryItems(). The uninstaller is kept as well when the entry's key can't be
// opened for deleting.
// The uninstaller's file may be in use by its own first stage: with a `stageFolder` (the second
// stage's own folder) it is moved there; otherwise, when it can't be deleted for being in use,
// it is renamed in the install folder and left, with the folder, to the next restart, and
// `*leftToRestart` (when given) is set.
// Returns what could not be removed (empty: everything of the installation is gone).
// Raises ESpecialFolderError as InstallationItems().
std::vector<RemovalFailure> RemoveInstallation(const std::wstring& stageFolder = std::wstring(),
                                               bool* leftToRestart = nullptr);
