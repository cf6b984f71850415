#pragma once
// Helpers of the install tests: reading back files, registry values and links from the Wine
// prefix, wiping what an installation leaves, and lending the engine a resource DLL.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../TestSupport.h"

using Bytes = std::vector<uint8_t>;

// Paths of the tests are 8-bit where the prefix's names fit the code page; the engine takes
// UTF-16. W and N convert between the two (system code page).
std::wstring W(const std::string& text);
std::string N(const std::wstring& text);

// The whole file, or nothing when it can't be read (`ok` tells).
Bytes ReadAll(const std::string& path, bool* ok = nullptr);
bool SameContent(const std::string& a, const std::string& b);
void WriteAll(const std::string& path, const std::string& content);
bool PathIsFile(const std::string& path);
bool PathIsFolder(const std::string& path);
// Names of the entries of a folder (no "." and "..").
std::vector<std::string> FolderEntries(const std::string& folder);
// Every file directly in `folder`, by name, with its content.
std::map<std::string, Bytes> FolderSnapshot(const std::string& folder);
// Removes a folder with everything below it; a missing one is fine.
void RemoveTree(const std::string& path);

struct RegValue {
    bool Exists = false;
    DWORD Type = 0;
    std::string String;  // REG_SZ without its NUL
    DWORD Number = 0;    // REG_DWORD
};
RegValue ReadRegValue(HKEY root, const std::string& key, const std::string& name);
bool RegKeyExists(HKEY root, const std::string& key);
// Deletes a key with all its subkeys; a missing one is fine.
void DeleteRegTree(HKEY root, const std::string& key);
// Recreates `key` (empty) as a volatile key: non-volatile subkeys can't be created below it.
void MakeVolatileKey(HKEY root, const std::string& key);

struct LinkInfo {
    bool Loaded = false;
    std::string Path, Description, WorkingDirectory, Arguments;
};
LinkInfo ReadLink(const std::string& linkPath);
// The same through IShellLinkW, for paths the code page can't spell.
struct LinkInfoW {
    bool Loaded = false;
    std::wstring Path, Description, WorkingDirectory, Arguments;
};
LinkInfoW ReadLinkW(const std::wstring& linkPath);

// Whether the tests run in the prefix whose user name lies outside the system code page
// (MW_FOREIGN_USER set by that run); the foreign-user suites skip everywhere else.
bool InForeignUserPrefix();

// Where an installation puts things, in this prefix.
std::string TestInstallFolder();   // ...\Program Files\Marlowind\ (trailing separator)
std::string TestSharedFolder();    // ...\ProgramData\Marlowind\ (trailing separator)
std::string TestMenuFolder();      // common programs + "\Marlowind"
std::string DesktopLink();         // desktop\Marlowind.lnk
std::wstring DesktopLinkW();       // the same for a profile the code page can't spell
std::string ProgramsLink();        // common programs\Marlowind.lnk

// Removes every file, folder, link and registry value an installation makes.
void WipeInstallation();

// Makes a resource DLL the engine's resource module for the scope.
class ResourceDll {
public:
    explicit ResourceDll(const char* path);
    ~ResourceDll();
    ResourceDll(const ResourceDll&) = delete;
    ResourceDll& operator=(const ResourceDll&) = delete;
    HMODULE Module() const { return module_; }

private:
    HMODULE module_;
};

// The bytes of resource `name` of type `type` in `module` (empty when there is none).
Bytes ResourceBytes(HMODULE module, const char* type, const char* name);
// Copies the resource DLL `dll` to `copy` and replaces resource `name` of type `type` there
// with `data` (same language), the way a damaged download differs from the original.
void CopyWithResource(const char* dll, const char* type, const char* name, const Bytes& data,
                      const std::string& copy);

