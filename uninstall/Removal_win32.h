#pragma once
// Removing single things an installation made: files, folders that hold nothing else, shell
// links, registry values and keys. Each removal reports one of four outcomes and, for a
// failure, the system's error code; none raises. Paths are UTF-16; registry key and value
// names are 8-bit strings in the system code page.
#include <windows.h>

#include <string>
#include <vector>

enum class ItemKind {
    File,              // a file (also a shell link); a read-only one is made writable first
    FolderIfEmpty,     // a folder, removed only when it holds nothing
    RegistryValue,     // one value of a key
    RegistryTree,      // a key with all its values and subkeys
    RegistryKeyIfEmpty,  // a key, removed only when it has no values and no subkeys
};

struct RemovalItem {
    ItemKind Kind = ItemKind::File;
    std::wstring Path;      // file or folder items only
    std::string Key;        // registry items only: the key path below Root
    HKEY Root = nullptr;    // registry items only
    std::string ValueName;  // RegistryValue only
    // File items only: the folder holding the file is one the program made in a place other
    // users can write (the shared data folder), so that folder is refused as a link as well.
    // Otherwise only the file's own name is: the folders above it (the desktop, the programs
    // menu) are used as the system resolves them, links and junctions included.
    bool FolderGuarded = false;
};

RemovalItem FileRemoval(const std::wstring& path);
// A file in the shared data folder (FolderGuarded).
RemovalItem SharedFileRemoval(const std::wstring& path);
RemovalItem FolderRemoval(const std::wstring& path);
RemovalItem ValueRemoval(HKEY root, const std::string& key, const std::string& name);
RemovalItem TreeRemoval(HKEY root, const std::string& key);
RemovalItem KeyIfEmptyRemoval(HKEY root, const std::string& key);

enum class RemovalOutcome {
    Removed,  // it was there and is gone
    Absent,   // it was not there (nothing to do)
    Kept,     // a folder or key that still holds something else, left as it is
    Failed,   // it is there and could not be removed
};

// Removes `item`. On Failed, `*error` (when given) receives the system's error code. A file or
// folder that is a symbolic link or junction, or a file in a guarded folder that is one, is
// not removed and not followed: Failed with kErrorLinkRefused (SafeFiles_win32.h).
// A file that is in use or refused is retried for a short while (a process that was just
// closed may still hold its executable).
RemovalOutcome RemoveItem(const RemovalItem& item, DWORD* error = nullptr);

// An item that could not be removed, with the system's error code.
struct RemovalFailure {
    RemovalItem Item;
    DWORD Error = 0;
};

// Removes every item in order, going on after failures; returns the failures in that order.
std::vector<RemovalFailure> RemoveItems(const std::vector<RemovalItem>& items);

// How an item is named to the user: the path, or the registry key (with the root's full
// name) and for a value its name, as in
// HKEY_CURRENT_USER\Software\Marlowind, value "InstallPath".
std::wstring DescribeItem(const RemovalItem& item);
