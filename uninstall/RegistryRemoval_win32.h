#pragma once
// Deleting registry values and keys: the counterpart of TRegistry's writing. Every call opens
// and closes its own key and returns the system's status code: ERROR_SUCCESS when the thing
// was deleted, ERROR_FILE_NOT_FOUND when it (or its key) is not there, another code when the
// system refused. Nothing raises.
#include <windows.h>

#include <string>

// Deletes value `name` of `root`\`key`.
LONG DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name);

// Deletes `root`\`key` with all its values and subkeys. `key` must not be empty.
LONG DeleteRegistryTree(HKEY root, const std::string& key);

// Deletes `root`\`key` only when it has neither values nor subkeys; ERROR_DIR_NOT_EMPTY when
// it has some (the key is then left as it is). `key` must not be empty.
LONG DeleteRegistryKeyIfEmpty(HKEY root, const std::string& key);

// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", ... for the predefined roots, else "HKEY".
std::string RootKeyName(HKEY root);
