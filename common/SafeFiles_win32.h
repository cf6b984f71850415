#pragma once
// File operations for folders that an ordinary user can write to or create beforehand
// (ProgramData, the temporary folder, the desktop). A user there can plant a symbolic link or
// junction under a name the program is about to write, delete or rename, and so turn an
// elevated program against a file of the user's choosing. Every call here opens the name
// itself without following a reparse point and refuses one; the work is then done through
// that handle, so a name swapped after the check is not followed either.
//
// A name counts as a link when the opened handle carries FILE_ATTRIBUTE_REPARSE_POINT, or
// when the handle's final path is not the final path of the parent folder followed by the
// name (Wine follows Unix symbolic links even when told not to and shows no reparse
// attribute for a link to a file, but its final paths are resolved).
//
// Only that last name is guarded. The folders above it are used as the system resolves them:
// a desktop or temporary folder that is itself a link, a junction, or redirected to another
// volume or a share is the user's own choice, and the name is compared with the parent's
// resolved path there. A folder the program made itself in a place others can write (the
// shared data folder) is a name like any other: the caller checks it with CheckFolderNotLink
// before it works inside it.
//
// Every function returns a Win32 error code (ERROR_SUCCESS when done) and never raises; a
// refused link gives kErrorLinkRefused. Paths are full paths, UTF-16.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "common/UniqueHandle_win32.h"

// The code for a name that is a link: "The file cannot be accessed by the system."
constexpr DWORD kErrorLinkRefused = ERROR_CANT_ACCESS_FILE;

// While one of these lives, the checks of this thread resolve the final path of each folder
// above a name once and reuse it, rather than opening the folder again on every call: for a
// run of many names in the same few folders, which nobody else can change meanwhile. A folder
// that the system resolves elsewhere afterwards only makes the names in it refused, never a
// link accepted: a name passes only when its handle resolves to that remembered path followed
// by the name. One at a time in a program; other threads meanwhile resolve every folder.
class FolderPathCache {
public:
    FolderPathCache();
    ~FolderPathCache();
    FolderPathCache(const FolderPathCache&) = delete;
    FolderPathCache& operator=(const FolderPathCache&) = delete;

    // The final path of `folder` (as given, with its trailing separator) if remembered, else
    // empty.
    const std::wstring* Find(const std::wstring& folder) const;
    void Add(const std::wstring& folder, const std::wstring& final);

private:
    std::vector<std::pair<std::wstring, std::wstring>> folders_;
};

// Whether two paths name the same place as the file system compares names: ordinal, case
// ignored (not the language's rules, under which different names can compare equal).
bool SamePath(const std::wstring& a, const std::wstring& b);

// Marks the open `handle` (opened with DELETE access) for deletion when its last handle
// closes. A folder that holds something gives ERROR_DIR_NOT_EMPTY, or where the system
// only looks when the handle closes, stays. Returns the system's code.
DWORD MarkForDeletion(HANDLE handle);

// Opens the existing file or folder `path` with `access` and `share`, without following a
// reparse point. Refuses a link (kErrorLinkRefused). `handle` receives the open handle.
DWORD SafeOpen(const std::wstring& path, DWORD access, DWORD share, UniqueFile& handle);

// Creates the file `path` for reading and writing with no sharing, the way CREATE_ALWAYS does
// for a plain file: a new one is created, an existing one is truncated to nothing. A link,
// a folder and a file with more than one name (a hard link: truncating it would change the
// other name's file) are refused and left as they are. Access denied and sharing violations
// come back as the system gives them.
DWORD SafeCreateFile(const std::wstring& path, UniqueFile& handle);

// Deletes the file `path` (a link is refused, never deleted or followed; a folder gives
// ERROR_ACCESS_DENIED). With `clearReadOnly` a read-only file is made writable first, through
// the same handle. ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when there is nothing.
DWORD SafeDeleteFile(const std::wstring& path, bool clearReadOnly = false);

// Renames the file or folder `from` to `to` (same volume). The name `from` must not be a
// link. With `replace` an existing file at `to` is replaced (the name itself: a link there
// is replaced, not followed); without it an existing `to` gives ERROR_ALREADY_EXISTS.
DWORD SafeRename(const std::wstring& from, const std::wstring& to, bool replace);

// Renames the file or folder open as `file` (with DELETE access, through SafeOpen: the name it
// was opened by was checked then) to `to`, as SafeRename does. For a caller that opens and
// checks several names first and renames them afterwards, with nothing else in between.
DWORD SafeRenameOpened(HANDLE file, const std::wstring& to, bool replace);

// Sets the attributes of the file or folder `path` (FILE_ATTRIBUTE_NORMAL clears them all).
DWORD SafeSetAttributes(const std::wstring& path, DWORD attributes);

// Removes the empty folder `path`. A link is refused and neither it nor its target is touched;
// a folder that holds something gives ERROR_DIR_NOT_EMPTY; a file gives ERROR_DIRECTORY.
DWORD SafeRemoveFolder(const std::wstring& path);

// ERROR_SUCCESS when `path` is a folder that is not a link; kErrorLinkRefused when it is a
// link (to a folder or anything else); ERROR_DIRECTORY when it is a file; the system's code
// when it can't be opened (ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when missing).
DWORD CheckFolderNotLink(const std::wstring& path);

// The access list of the folders the programs keep in shared places, in SDDL: owner
// Administrators, group SYSTEM; SYSTEM and Administrators full control, Users read and
// execute; inherited by files and subfolders; nothing inherited from the parent.
extern const wchar_t* const kSharedFolderAccess;

// Creates the folder `path` (its parent must exist) with the access list `sddl`. Fails with
// ERROR_ALREADY_EXISTS when anything is there already (a folder made beforehand is never
// taken for one made now).
DWORD CreateFolderWithAccess(const std::wstring& path, const wchar_t* sddl);

// Sets the owner and access list of `sddl` on the existing folder `path`, through a handle
// that did not follow a link (kErrorLinkRefused). Inheritable entries reach the files in it.
// When the owner can't be changed, the access list is set alone.
DWORD SetFolderAccess(const std::wstring& path, const wchar_t* sddl);
