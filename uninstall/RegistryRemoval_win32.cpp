#include "uninstall/RegistryRemoval_win32.h"

#include "common/UniqueHandle_win32.h"

LONG DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name)
{
    UniqueHkey k;
    const LONG opened = ::RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, k.receive());
    if (opened != ERROR_SUCCESS)
        return opened;
    return ::RegDeleteValueA(k.get(), name.c_str());
}

LONG DeleteRegistryTree(HKEY root, const std::string& key)
{
    // An empty subkey would make RegDeleteTreeA empty the root itself.
    if (key.empty())
        return ERROR_INVALID_PARAMETER;
    const LONG tree = ::RegDeleteTreeA(root, key.c_str());
    if (tree != ERROR_SUCCESS)
        return tree;
    // Some systems empty the key but leave the key itself; delete it if it is still there.
    const LONG deleted = ::RegDeleteKeyA(root, key.c_str());
    return deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : deleted;
}

LONG DeleteRegistryKeyIfEmpty(HKEY root, const std::string& key)
{
    if (key.empty())
        return ERROR_INVALID_PARAMETER;
    {
        UniqueHkey k;
        const LONG opened = ::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, k.receive());
        if (opened != ERROR_SUCCESS)
            return opened;
        DWORD subkeys = 0, values = 0;
        const LONG info = ::RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                             nullptr, &values, nullptr, nullptr, nullptr, nullptr);
        if (info != ERROR_SUCCESS)
            return info;
        if (subkeys != 0 || values != 0)
            return ERROR_DIR_NOT_EMPTY;
    }
    return ::RegDeleteKeyA(root, key.c_str());
}

std::string RootKeyName(HKEY root)
{
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    return "HKEY";
}
