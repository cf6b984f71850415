#pragma once
// A small owner of one open registry key below a chosen root, in the manner of a registry
// object: set the root, open (or create) a key, write values, close. Names and string data are
// 8-bit strings in the system code page.
#include <windows.h>

#include <string>

#include "common/Exception.h"
#include "common/UniqueHandle_win32.h"

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// `path` in the system code page, for registry data that names a file or folder. Raises
// ERegistryException "Cannot record "%s" in the registry: the system code page can't spell it"
// (the path with the code page's stand-ins) when it has a character the code page lacks:
// written with "?" in it, the record would name nothing.
std::string RegistryPathText(const std::wstring& path);

class TRegistry {
public:
    // Root HKEY_CURRENT_USER, no key open; keys are opened with `access`.
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS) : access_(access) {}

    // Closes the open key and makes `root` the base of absolute key paths.
    void SetRootKey(HKEY root);
    HKEY RootKey() const { return root_; }

    // Opens `key` and makes it the current key (closing the previous one). A path beginning
    // with "\" is taken from the root; otherwise from the current key if one is open, else from
    // the root. With `canCreate` every missing key of the path is created (non-volatile).
    // Returns false, with no key open, when that fails.
    bool OpenKey(const std::string& key, bool canCreate);

    // Creates `key` (path rules of OpenKey) without opening it; an existing key is fine.
    // Raises ERegistryException "Failed to create key %s" (the key as given) on failure.
    void CreateKey(const std::string& key);

    // Write `name` into the current key as REG_SZ (with its NUL) / REG_DWORD. Raise
    // ERegistryException "Failed to set data for '%s'" (the value name) when no key is open or
    // the system refuses the write.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, DWORD value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

    bool HasCurrentKey() const { return static_cast<bool>(current_); }
    void CloseKey() { current_.reset(); }

private:
    // The key that `key` is relative to, and the path without its leading "\".
    HKEY BaseFor(const std::string& key, std::string& relative) const;
    void WriteValue(const std::string& name, DWORD type, const void* data, DWORD size);

    REGSAM access_;
    HKEY root_ = HKEY_CURRENT_USER;
    UniqueHkey current_;
    // The current key's path as given to OpenKey, for the run's log.
    std::string key_;
};
