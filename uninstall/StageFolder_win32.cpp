// rand_s is only declared with this set before the C runtime's headers.
#define _CRT_RAND_S
#include "uninstall/StageFolder_win32.h"

#include "common/DecimalText.h"
#include "common/SafeFiles_win32.h"

#include <cstdlib>
#include <cwchar>
#include <vector>

const wchar_t* const kStageFolderAccess = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

namespace {
// A folder held while it is used or removed: readable, listable, deletable through the handle.
constexpr DWORD kHeldFolderAccess = DELETE | SYNCHRONIZE | FILE_LIST_DIRECTORY;

wchar_t AsciiUpper(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool AsciiEqualAt(const std::wstring& s, size_t at, const std::wstring& part)
{
    if (s.size() < at + part.size())
        return false;
    for (size_t i = 0; i < part.size(); ++i)
        if (AsciiUpper(s[at + i]) != AsciiUpper(part[i]))
            return false;
    return true;
}

// A FindFirstFileW search over a folder's entries; skips "." and "..".
class FolderSearch {
public:
    explicit FolderSearch(const std::wstring& pattern)
        : handle_(::FindFirstFileW(pattern.c_str(), &entry_))
    {
        found_ = static_cast<bool>(handle_);
        SkipDots();
    }
    bool Found() const { return found_; }
    const WIN32_FIND_DATAW& Entry() const { return entry_; }
    void Next()
    {
        found_ = ::FindNextFileW(handle_.get(), &entry_) != FALSE;
        SkipDots();
    }

private:
    void SkipDots()
    {
        while (found_ && (std::wcscmp(entry_.cFileName, L".") == 0 ||
                          std::wcscmp(entry_.cFileName, L"..") == 0))
            found_ = ::FindNextFileW(handle_.get(), &entry_) != FALSE;
    }
    WIN32_FIND_DATAW entry_ = {};
    UniqueFind handle_;
    bool found_ = false;
};

bool IsPlain(DWORD attributes, bool folder)
{
    return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

// Opens `path` itself, never what a link or junction of that name leads to, and only when it
// is a plain file (`folder` false) or a plain folder (`folder` true).
UniqueFile OpenPlain(const std::wstring& path, DWORD access, DWORD share, bool folder)
{
    UniqueFile handle;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (SafeOpen(path, access, share, handle) != ERROR_SUCCESS ||
        !::GetFileInformationByHandle(handle.get(), &info) || !IsPlain(info.dwFileAttributes, folder))
        return UniqueFile();
    return handle;
}

struct FolderEntry {
    std::wstring Name;
    DWORD Attributes = 0;
};

// Up to `most` entries of the folder open as `folder` (without "." and ".."), read through the
// handle, so that they are the entries of that very folder whatever its path names meanwhile.
// Wine's FindFirstFileW can't open a folder that is held with delete access.
std::vector<FolderEntry> EntriesOf(HANDLE folder, size_t most)
{
    std::vector<FolderEntry> entries;
    alignas(8) unsigned char buffer[16384];
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (entries.size() < most &&
           ::GetFileInformationByHandleEx(folder, kind, buffer, sizeof buffer)) {
        kind = FileIdBothDirectoryInfo;
        for (size_t at = 0;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + at);
            const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..")
                entries.push_back({name, info->FileAttributes});
            if (info->NextEntryOffset == 0 || entries.size() >= most)
                break;
            at += info->NextEntryOffset;
        }
    }
    return entries;
}

// The process id in decimal, a full stop and `random` as eight hexadecimal digits.
std::wstring StageName(unsigned random)
{
    std::wstring name = std::wstring(kStageFolderPrefix) + DecimalText(::GetCurrentProcessId()) + L'.';
    for (int shift = 28; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(random >> shift) & 0xf];
    return name;
}
}  // namespace

std::wstring TempFolderW()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH)
        return std::wstring();
    std::wstring path(buffer, n);
    if (path.back() != L'\\')
        path += L'\\';
    return path;
}

bool ProcessIsElevated()
{
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.receive()))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        return elevation.TokenIsElevated != 0;
    // Systems before elevation have no such token class; there an administrator is one.
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD sidSize = sizeof sid;
    BOOL member = FALSE;
    return ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) &&
           ::CheckTokenMembership(nullptr, sid, &member) && member;
}

StageFolder CreateStageFolder(const std::wstring& temp, bool restricted)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned random = 0;
        if (rand_s(&random) != 0)
            break;
        const std::wstring path = temp + StageName(random);
        // Creation fails on any name that exists, a link or junction included: the folder used
        // is always the one made here.
        const DWORD made = restricted ? CreateFolderWithAccess(path, kStageFolderAccess)
                           : ::CreateDirectoryW(path.c_str(), nullptr) ? ERROR_SUCCESS
                                                                       : ::GetLastError();
        if (made == ERROR_ALREADY_EXISTS)
            continue;
        if (made != ERROR_SUCCESS)
            break;
        StageFolder stage;
        stage.Handle = OpenPlain(path, kHeldFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, true);
        // Swapped for something else in the moment between creating and opening it: leave
        // whatever is there now alone.
        if (!stage.Handle || !EntriesOf(stage.Handle.get(), 1).empty())
            return {};
        stage.Path = path;
        return stage;
    }
    return {};
}

void DiscardStageFolder(StageFolder& stage)
{
    if (!stage.Handle)
        return;
    {
        UniqueFile copy = OpenPlain(stage.Path + L"\\" + kStageExecutable, DELETE | SYNCHRONIZE,
                                    0, false);
        if (copy)
            MarkForDeletion(copy.get());
    }
    MarkForDeletion(stage.Handle.get());
    stage.Handle.reset();
}

bool IsStageFolderName(const std::wstring& temp, const std::wstring& folder)
{
    const std::wstring prefix = kStageFolderPrefix;
    return !temp.empty() && folder.size() > temp.size() + prefix.size() &&
           AsciiEqualAt(folder, 0, temp) && AsciiEqualAt(folder, temp.size(), prefix) &&
           folder.find(L'\\', temp.size()) == std::wstring::npos;
}

bool RemoveStageFolder(const std::wstring& folder)
{
    {
        // Held without delete sharing, the folder can be neither renamed nor replaced by a
        // link while its content is checked and removed.
        UniqueFile held = OpenPlain(folder, kHeldFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, true);
        if (!held)
            return false;
        const std::vector<FolderEntry> entries = EntriesOf(held.get(), 3);
        if (entries.empty() || entries.size() > 2)
            return false;
        for (const FolderEntry& entry : entries)
            if (!IsPlain(entry.Attributes, false) || (!SamePath(entry.Name, kStageExecutable) &&
                                                      !SamePath(entry.Name, kSetAsideExecutable)))
                return false;
        for (const FolderEntry& entry : entries) {
            UniqueFile file = OpenPlain(folder + L"\\" + entry.Name, DELETE | SYNCHRONIZE, 0, false);
            if (!file || MarkForDeletion(file.get()) != ERROR_SUCCESS)
                return false;
        }
        if (MarkForDeletion(held.get()) != ERROR_SUCCESS)
            return false;
    }
    return ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void RemoveStageFolders(const std::wstring& temp, const std::wstring& ownFolder)
{
    if (temp.empty())
        return;
    // By the old wildcard rules the pattern also matches the name without its dot; the name
    // check sorts that out.
    for (FolderSearch search(temp + kStageFolderPrefix + L"*"); search.Found(); search.Next()) {
        const WIN32_FIND_DATAW& entry = search.Entry();
        const std::wstring folder = temp + entry.cFileName;
        if (IsPlain(entry.dwFileAttributes, true) && IsStageFolderName(temp, folder) &&
            !SamePath(folder, ownFolder))
            RemoveStageFolder(folder);
    }
}
