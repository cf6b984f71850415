#include "uninstall/Removal_win32.h"

#include "common/CodePage_win32.h"
#include "common/PathParts.h"
#include "common/SafeFiles_win32.h"
#include "uninstall/RegistryRemoval_win32.h"

namespace {
bool IsMissing(DWORD code)
{
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

bool IsTransient(DWORD code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
           code == ERROR_LOCK_VIOLATION;
}

RemovalOutcome Fail(DWORD code, DWORD* error)
{
    if (error)
        *error = code;
    return RemovalOutcome::Failed;
}

// A name is removed only when it is not a link itself, nor in a guarded folder that is one: a
// link planted by a user is never followed, its target never cleared or deleted.
RemovalOutcome RemoveFile(const std::wstring& path, bool folderGuarded, DWORD* error)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        return IsMissing(code) ? RemovalOutcome::Absent : Fail(code, error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED, error);
    if (folderGuarded && CheckFolderNotLink(FolderOf(path)) == kErrorLinkRefused)
        return Fail(kErrorLinkRefused, error);
    // A program closed a moment ago, or the process that started us, may hold its
    // executable for a little while after it ended.
    DWORD code = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 10; ++attempt) {
        code = SafeDeleteFile(path, true);
        if (code == ERROR_SUCCESS)
            return RemovalOutcome::Removed;
        if (IsMissing(code))
            return RemovalOutcome::Absent;
        if (!IsTransient(code))
            break;
        ::Sleep(100);
    }
    return Fail(code, error);
}

RemovalOutcome RemoveFolder(const std::wstring& path, DWORD* error)
{
    const DWORD code = SafeRemoveFolder(path);
    if (code == ERROR_SUCCESS)
        return RemovalOutcome::Removed;
    if (IsMissing(code))
        return RemovalOutcome::Absent;
    if (code == ERROR_DIR_NOT_EMPTY)
        return RemovalOutcome::Kept;
    return Fail(code, error);
}

RemovalOutcome FromRegistry(LONG status, DWORD* error)
{
    if (status == ERROR_SUCCESS)
        return RemovalOutcome::Removed;
    if (status == ERROR_FILE_NOT_FOUND)
        return RemovalOutcome::Absent;
    if (status == ERROR_DIR_NOT_EMPTY)
        return RemovalOutcome::Kept;
    return Fail(static_cast<DWORD>(status), error);
}
}  // namespace

RemovalItem FileRemoval(const std::wstring& path)
{
    return {ItemKind::File, path, "", nullptr, "", false};
}

RemovalItem SharedFileRemoval(const std::wstring& path)
{
    return {ItemKind::File, path, "", nullptr, "", true};
}

RemovalItem FolderRemoval(const std::wstring& path)
{
    return {ItemKind::FolderIfEmpty, path, "", nullptr, ""};
}

RemovalItem ValueRemoval(HKEY root, const std::string& key, const std::string& name)
{
    return {ItemKind::RegistryValue, L"", key, root, name};
}

RemovalItem TreeRemoval(HKEY root, const std::string& key)
{
    return {ItemKind::RegistryTree, L"", key, root, ""};
}

RemovalItem KeyIfEmptyRemoval(HKEY root, const std::string& key)
{
    return {ItemKind::RegistryKeyIfEmpty, L"", key, root, ""};
}

RemovalOutcome RemoveItem(const RemovalItem& item, DWORD* error)
{
    switch (item.Kind) {
    case ItemKind::File:
        return RemoveFile(item.Path, item.FolderGuarded, error);
    case ItemKind::FolderIfEmpty:
        return RemoveFolder(item.Path, error);
    case ItemKind::RegistryValue:
        return FromRegistry(DeleteRegistryValue(item.Root, item.Key, item.ValueName), error);
    case ItemKind::RegistryTree:
        return FromRegistry(DeleteRegistryTree(item.Root, item.Key), error);
    case ItemKind::RegistryKeyIfEmpty:
        return FromRegistry(DeleteRegistryKeyIfEmpty(item.Root, item.Key), error);
    }
    return Fail(ERROR_INVALID_PARAMETER, error);
}

std::vector<RemovalFailure> RemoveItems(const std::vector<RemovalItem>& items)
{
    std::vector<RemovalFailure> failures;
    for (const RemovalItem& item : items) {
        DWORD error = 0;
        if (RemoveItem(item, &error) == RemovalOutcome::Failed)
            failures.push_back({item, error});
    }
    return failures;
}

std::wstring DescribeItem(const RemovalItem& item)
{
    switch (item.Kind) {
    case ItemKind::File:
    case ItemKind::FolderIfEmpty:
        return item.Path;
    case ItemKind::RegistryValue:
        return FromSystemCodePage(RootKeyName(item.Root) + "\\" + item.Key + ", value \"" +
                                  item.ValueName + "\"");
    case ItemKind::RegistryTree:
    case ItemKind::RegistryKeyIfEmpty:
        return FromSystemCodePage(RootKeyName(item.Root) + "\\" + item.Key);
    }
    return item.Path;
}
