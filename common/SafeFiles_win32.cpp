#include "common/SafeFiles_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <vector>

#include "common/PathParts.h"

const wchar_t* const kSharedFolderAccess =
    L"O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The path the system resolved the handle to, in the DOS form ("C:\..." or "\\server\...");
// empty when the system can't tell.
std::wstring FinalPath(HANDLE handle)
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, buffer.data(),
                                                    static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return std::wstring();
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
                return L"\\\\" + path.substr(8);
            if (path.compare(0, 4, L"\\\\?\\") == 0)
                return path.substr(4);
            return path;
        }
        buffer.resize(n + 1);
    }
}

// The cache of the one thread that made it (one at a time per program); other threads
// resolve every folder.
FolderPathCache* cache = nullptr;
std::atomic<DWORD> cacheThread{0};

FolderPathCache* ActiveCache()
{
    return cacheThread.load() == ::GetCurrentThreadId() ? cache : nullptr;
}

// The final path of the folder `folder` names (given with its trailing separator); empty when
// it can't be opened or named.
std::wstring FolderFinalPath(const std::wstring& folder)
{
    FolderPathCache* const active = ActiveCache();
    if (active)
        if (const std::wstring* known = active->Find(folder))
            return *known;
    UniqueFile parent(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::wstring final = parent ? FinalPath(parent.get()) : std::wstring();
    if (active && !final.empty())
        active->Add(folder, final);
    return final;
}

// What the checks need to know of an opened handle.
struct HandleFacts {
    DWORD Attributes = 0;
    DWORD Links = 0;
};

// Two small queries rather than GetFileInformationByHandle, which also asks for the volume's
// serial number: under Wine that goes to the mount manager and costs a millisecond a call, the
// largest part of an install's file steps.
DWORD ReadFacts(HANDLE handle, HandleFacts& facts)
{
    FILE_BASIC_INFO basic = {};
    FILE_STANDARD_INFO standard = {};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
        !::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
        return ::GetLastError();
    facts.Attributes = basic.FileAttributes;
    facts.Links = standard.NumberOfLinks;
    return ERROR_SUCCESS;
}

// Whether the handle opened for `path` is the object named by its last component, not one
// that a link there leads to: the handle must not be a reparse point, and it must resolve to
// the parent folder's own final path followed by the name.
DWORD CheckOpened(HANDLE handle, const std::wstring& path, HandleFacts& info)
{
    const DWORD read = ReadFacts(handle, info);
    if (read != ERROR_SUCCESS)
        return read;
    if (info.Attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return kErrorLinkRefused;
    const std::wstring name = WithoutTrailingSeparators(path);
    const size_t cut = name.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut + 1 >= name.size())
        return ERROR_SUCCESS;  // a drive's root has no name of its own to be a link
    const std::wstring final = FinalPath(handle);
    // File systems that can't name a handle (some network shares) leave the attribute test.
    if (final.empty())
        return ERROR_SUCCESS;
    std::wstring expected = FolderFinalPath(name.substr(0, cut + 1));
    if (expected.empty())
        return ERROR_SUCCESS;
    if (expected.back() != L'\\')
        expected += L'\\';
    expected += name.substr(cut + 1);
    return SamePath(final, expected) ? ERROR_SUCCESS : kErrorLinkRefused;
}

DWORD OpenChecked(const std::wstring& path, DWORD access, DWORD share, UniqueFile& handle,
                  HandleFacts& info)
{
    handle.reset();
    // Wine shows a link to a folder by its attributes but opens it followed.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return kErrorLinkRefused;
    UniqueFile opened(::CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr,
                                    OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
    if (!opened)
        return ::GetLastError();
    const DWORD checked = CheckOpened(opened.get(), path, info);
    if (checked != ERROR_SUCCESS)
        return checked;
    handle = std::move(opened);
    return ERROR_SUCCESS;
}

DWORD LastErrorUnless(BOOL ok)
{
    return ok ? ERROR_SUCCESS : ::GetLastError();
}

DWORD SetHandleAttributes(HANDLE handle, DWORD attributes)
{
    FILE_BASIC_INFO basic = {};  // times of 0 stay as they are
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return LastErrorUnless(::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic));
}
}  // namespace

FolderPathCache::FolderPathCache()
{
    cache = this;
    cacheThread.store(::GetCurrentThreadId());
}

FolderPathCache::~FolderPathCache()
{
    cacheThread.store(0);
    cache = nullptr;
}

const std::wstring* FolderPathCache::Find(const std::wstring& folder) const
{
    for (const auto& f : folders_)
        if (f.first == folder)
            return &f.second;
    return nullptr;
}

void FolderPathCache::Add(const std::wstring& folder, const std::wstring& final)
{
    folders_.emplace_back(folder, final);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

DWORD MarkForDeletion(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    return LastErrorUnless(
        ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition));
}

DWORD SafeOpen(const std::wstring& path, DWORD access, DWORD share, UniqueFile& handle)
{
    HandleFacts info;
    return OpenChecked(path, access, share, handle, info);
}

DWORD SafeCreateFile(const std::wstring& path, UniqueFile& handle)
{
    handle.reset();
    constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE;
    // A name that comes and goes between the two opens is tried again, a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        UniqueFile created(::CreateFileW(path.c_str(), kAccess | DELETE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
        if (created) {
            HandleFacts info;
            const DWORD checked = CheckOpened(created.get(), path, info);
            if (checked != ERROR_SUCCESS) {
                // Made through a link further up: the new file is ours to take back.
                MarkForDeletion(created.get());
                return checked;
            }
            handle = std::move(created);
            return ERROR_SUCCESS;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return error;
        UniqueFile existing;
        HandleFacts info;
        const DWORD opened = OpenChecked(path, kAccess, 0, existing, info);
        if (opened == ERROR_FILE_NOT_FOUND)
            continue;
        if (opened != ERROR_SUCCESS)
            return opened;
        // As CREATE_ALWAYS answers, also where the system would let the caller write anyway.
        if (info.Attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            return ERROR_ACCESS_DENIED;
        if (info.Links > 1)
            return kErrorLinkRefused;
        LARGE_INTEGER start = {};
        if (!::SetFilePointerEx(existing.get(), start, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(existing.get()))
            return ::GetLastError();
        handle = std::move(existing);
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_EXISTS;
}

DWORD SafeDeleteFile(const std::wstring& path, bool clearReadOnly)
{
    UniqueFile file;
    HandleFacts info;
    const DWORD opened = OpenChecked(path, DELETE | (clearReadOnly ? FILE_WRITE_ATTRIBUTES : 0),
                                     kShareAll, file, info);
    if (opened != ERROR_SUCCESS)
        return opened;
    if (info.Attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ERROR_ACCESS_DENIED;
    if (clearReadOnly && (info.Attributes & FILE_ATTRIBUTE_READONLY)) {
        const DWORD cleared =
            SetHandleAttributes(file.get(), info.Attributes & ~FILE_ATTRIBUTE_READONLY);
        if (cleared != ERROR_SUCCESS)
            return cleared;
    }
    return MarkForDeletion(file.get());
}

DWORD SafeRename(const std::wstring& from, const std::wstring& to, bool replace)
{
    UniqueFile file;
    HandleFacts info;
    const DWORD opened = OpenChecked(from, DELETE | SYNCHRONIZE, kShareAll, file, info);
    if (opened != ERROR_SUCCESS)
        return opened;
    return SafeRenameOpened(file.get(), to, replace);
}

DWORD SafeRenameOpened(HANDLE file, const std::wstring& to, bool replace)
{
    // The rename call takes the system's own form of a full path.
    const std::wstring target = (to.size() > 2 && to[1] == L':') ? L"\\??\\" + to : to;
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    target.copy(rename->FileName, target.size());
    return LastErrorUnless(::SetFileInformationByHandle(file, FileRenameInfo, rename,
                                                        static_cast<DWORD>(buffer.size())));
}

DWORD SafeSetAttributes(const std::wstring& path, DWORD attributes)
{
    UniqueFile file;
    const DWORD opened = SafeOpen(path, FILE_WRITE_ATTRIBUTES, kShareAll, file);
    return opened != ERROR_SUCCESS ? opened : SetHandleAttributes(file.get(), attributes);
}

DWORD SafeRemoveFolder(const std::wstring& path)
{
    UniqueFile folder;
    HandleFacts info;
    const DWORD opened = OpenChecked(path, DELETE, kShareAll, folder, info);
    if (opened != ERROR_SUCCESS)
        return opened;
    if (!(info.Attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_DIRECTORY;
    return MarkForDeletion(folder.get());
}

DWORD CheckFolderNotLink(const std::wstring& path)
{
    UniqueFile folder;
    HandleFacts info;
    const DWORD opened = OpenChecked(path, 0, kShareAll, folder, info);
    if (opened != ERROR_SUCCESS)
        return opened;
    return (info.Attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

namespace {
DWORD ParseSecurity(const wchar_t* sddl, UniqueLocal& descriptor)
{
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return ::GetLastError();
    descriptor.reset(sd);
    return ERROR_SUCCESS;
}
}  // namespace

DWORD CreateFolderWithAccess(const std::wstring& path, const wchar_t* sddl)
{
    UniqueLocal descriptor;
    const DWORD parsed = ParseSecurity(sddl, descriptor);
    if (parsed != ERROR_SUCCESS)
        return parsed;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.get(), FALSE};
    return LastErrorUnless(::CreateDirectoryW(path.c_str(), &attributes));
}

DWORD SetFolderAccess(const std::wstring& path, const wchar_t* sddl)
{
    UniqueLocal descriptor;
    const DWORD parsed = ParseSecurity(sddl, descriptor);
    if (parsed != ERROR_SUCCESS)
        return parsed;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ::GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted);
    ::GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted);

    UniqueFile folder;
    HandleFacts info;
    DWORD opened = OpenChecked(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER, kShareAll, folder, info);
    if (opened == ERROR_ACCESS_DENIED) {
        owner = nullptr;
        opened = OpenChecked(path, READ_CONTROL | WRITE_DAC, kShareAll, folder, info);
    }
    if (opened != ERROR_SUCCESS)
        return opened;
    if (!(info.Attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_DIRECTORY;
    const SECURITY_INFORMATION daclOnly = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    if (owner && ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT, daclOnly | OWNER_SECURITY_INFORMATION,
                                   owner, nullptr, dacl, nullptr) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    return ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT, daclOnly, nullptr, nullptr, dacl, nullptr);
}
