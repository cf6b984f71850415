#include "install/FileTransaction_win32.h"

#include <windows.h>

#include "common/CodePage_win32.h"
#include "common/DecimalText.h"
#include "common/SafeFiles_win32.h"
#include "common/SystemError_win32.h"
#include "install/FileStreams_win32.h"

namespace {
// Enough for the leftovers of many interrupted runs; a folder with more is not ours to fill.
constexpr int kMaxAsideNames = 100;

std::wstring AsideName(const std::wstring& path, int attempt)
{
    return attempt == 0 ? path + L".old" : path + L".old" + DecimalText(static_cast<unsigned>(attempt + 1));
}

bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

FileTransaction::~FileTransaction()
{
    if (!finished_)
        RollBack();
}

void FileTransaction::EnsureFolder(const std::wstring& folder)
{
    if (IsFolder(::GetFileAttributesW(folder.c_str())))
        return;
    folders_.reserve(folders_.size() + 1);
    if (::CreateDirectoryW(folder.c_str(), nullptr))
        folders_.push_back(folder);
}

void FileTransaction::FolderCreated(const std::wstring& folder)
{
    folders_.push_back(folder);
}

void FileTransaction::SetAside(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    // A folder of that name was never written by an installation; creating the file there fails
    // later with the error it always gave.
    if (attributes == INVALID_FILE_ATTRIBUTES || IsFolder(attributes))
        return;
    // Recorded before the rename, so that no renamed file goes unrecorded.
    asides_.push_back({path, std::wstring()});
    DWORD code = ERROR_ALREADY_EXISTS;
    for (int attempt = 0; attempt < kMaxAsideNames; ++attempt) {
        asides_.back().Moved = AsideName(path, attempt);
        // No replacing: a file already under that name is someone's, not ours to overwrite. A
        // link planted under the name is refused, which fails the install rather than
        // letting a later write follow it.
        code = SafeRename(path, asides_.back().Moved, false);
        if (code == ERROR_SUCCESS)
            return;
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS)
            break;
    }
    asides_.pop_back();
    if (code == ERROR_FILE_NOT_FOUND)
        return;  // gone meanwhile: nothing to keep
    throw EFCreateError(Format("Cannot create file \"%s\". %s", ToSystemCodePage(path).c_str(),
                               SystemErrorText(code).c_str()));
}

void FileTransaction::Created(const std::wstring& path)
{
    created_.push_back(path);
}

void FileTransaction::Commit() noexcept
{
    finished_ = true;
    for (const Aside& a : asides_) {
        // A running program's image can be renamed but not deleted.
        if (SafeDeleteFile(a.Moved, true) != ERROR_SUCCESS)
            ::MoveFileExW(a.Moved.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

void FileTransaction::RollBack() noexcept
{
    finished_ = true;
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
        SafeDeleteFile(*it);
    for (auto it = asides_.rbegin(); it != asides_.rend(); ++it)
        SafeRename(it->Moved, it->Original, false);
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
        SafeRemoveFolder(*it);
}
