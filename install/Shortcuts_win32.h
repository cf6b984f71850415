#pragma once
// Shell links (".lnk" files): writing, deleting and testing one, and the install's links.
// COM must be initialised on the calling thread. Paths and texts are UTF-16 (IShellLinkW).
#include <cstdint>
#include <string>

#include "common/Exception.h"

// Where a link is made.
enum ShortcutLocation : uint8_t {
    slDesktop = 0,          // GetSpecialFolder(0)
    slStartMenuIdList = 1,  // GetStartMenuFolder()
    slSendTo = 2,           // GetSpecialFolder(9)
    slStartMenu = 3,        // GetSpecialFolder(11)
    slCommonPrograms = 4,   // GetSpecialFolder(23)
    slNone = 5,             // no folder; so is any other value
};

// What WriteShortcut does with the link path.
enum ShortcutAction : int {
    saCreate = 0,  // write the link, overwriting one that exists
    saDelete = 1,  // delete the link file
    saExists = 2,  // test whether the link file exists
};

// The shell link object couldn't be created: "%s, ClassID: %s" (the system's text, the class
// identifier in braces).
class EOleSysError : public Exception {
public:
    using Exception::Exception;
};
// "Interface not supported".
class EIntfCastError : public Exception {
public:
    using Exception::Exception;
};

// The folder of `location` (see ShortcutLocation); empty for slNone, unknown values and
// lookups that fail.
std::wstring ShortcutFolder(ShortcutLocation location);

// Makes, deletes or tests the link for `target` in the folder of `location` (below
// `subfolder` when it isn't empty; the subfolder must exist already), named after the target
// (LinkNameFor). The link carries the target, `arguments`, `description` and the working
// directory `workingDir`, or the target's own folder when that is empty. Returns false only
// for saExists when no file is at the link path; true otherwise, also when there is no folder
// and nothing was done. Whether saving or deleting succeeds is not reported. A symbolic link
// or junction planted under the link's name is neither saved through nor deleted.
// Raises EOleSysError / EIntfCastError when the shell's link object is unavailable.
bool WriteShortcut(const std::wstring& target, ShortcutLocation location,
                   const std::wstring& subfolder, const std::wstring& workingDir,
                   const std::wstring& arguments, const std::wstring& description,
                   ShortcutAction action);

// Links to the installed messenger on the desktop and in the all-users programs menu.
void CreateProgramShortcuts();

// Creates the "Marlowind" folder of the all-users programs menu if missing (ignoring failure)
// and puts links to the messenger, its web page and its licence into it.
void CreateStartMenuShortcuts();
