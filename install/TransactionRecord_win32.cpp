#include "install/TransactionRecord_win32.h"

#include "common/CodePage_win32.h"
#include "common/PathParts.h"
#include "common/ProductFacts.h"
#include "common/RunLog_win32.h"
#include "common/SafeFiles_win32.h"
#include "common/SystemError_win32.h"
#include "install/FileStreams_win32.h"
#include "install/InstallPaths_win32.h"

namespace {
// UTF-16 text, one line per fact; Windows forbids tabs and line breaks in names.
constexpr const wchar_t* kHeader = L"Marlowind setup transaction 1";
constexpr const wchar_t* kFolderLine = L"folder";
constexpr const wchar_t* kFileLine = L"file";
constexpr const wchar_t* kScratchLine = L"scratch";
constexpr const wchar_t* kSwapLine = L"swap";
constexpr const wchar_t* kUndoLine = L"undo";
// Far more than any plan of ours; a larger file is not our record.
constexpr LONGLONG kMaxRecordBytes = 256 * 1024;

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsMissing(DWORD code)
{
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

DWORD DeleteIfThere(const std::wstring& path)
{
    const DWORD code = SafeDeleteFile(path, true);
    return IsMissing(code) ? ERROR_SUCCESS : code;
}

DWORD WriteText(HANDLE file, const std::wstring& text, bool flush = true)
{
    DWORD put = 0;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!::WriteFile(file, text.data(), bytes, &put, nullptr))
        return ::GetLastError();
    if (put != bytes)
        return ERROR_DISK_FULL;
    return !flush || ::FlushFileBuffers(file) ? ERROR_SUCCESS : ::GetLastError();
}

const wchar_t* StateLine(SwapState state)
{
    return state == SwapState::Swapping ? kSwapLine : kUndoLine;
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t cut; (cut = text.find(separator, start)) != std::wstring::npos; start = cut + 1)
        parts.push_back(text.substr(start, cut - start));
    parts.push_back(text.substr(start));
    return parts;
}

bool ParseLine(const std::wstring& line, TransactionPlan& plan)
{
    const std::vector<std::wstring> f = Split(line, L'\t');
    if (f.size() == 1 && (f[0] == kSwapLine || f[0] == kUndoLine)) {
        plan.State = f[0] == kSwapLine ? SwapState::Swapping : SwapState::Undoing;
        return true;
    }
    if (f.size() == 2 && f[0] == kFolderLine)
        plan.CreatedFolders.push_back(f[1]);
    else if (f.size() == 3 && f[0] == kScratchLine)
        plan.Entries.push_back({f[1], f[2], L"", true});
    else if (f.size() == 4 && f[0] == kFileLine)
        plan.Entries.push_back({f[1], f[2], f[3], false});
    else
        return false;
    return true;
}

// The whole record, when it is a plain file of a plausible size; false otherwise.
bool ReadRecord(const std::wstring& path, std::wstring& text)
{
    UniqueFile file;
    if (SafeOpen(path, GENERIC_READ, FILE_SHARE_READ, file) != ERROR_SUCCESS)
        return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxRecordBytes)
        return false;
    text.assign(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    return ::ReadFile(file.get(), &text[0], want, &got, nullptr) && got == want;
}

// Only complete lines count: a line cut short by a kill was never acted on.
bool ParseRecord(const std::wstring& text, TransactionPlan& plan)
{
    std::vector<std::wstring> lines = Split(text, L'\n');
    lines.pop_back();
    if (lines.empty() || lines[0] != kHeader)
        return false;
    for (size_t i = 1; i < lines.size(); ++i)
        if (!ParseLine(lines[i], plan))
            return false;
    return true;
}

bool InTable(const std::wstring& name, bool installFolder, bool streamOnly)
{
    for (const PayloadEntry& p : kPayloads)
        if (installFolder && (SameText(name, p.StreamFile) || (!streamOnly && SameText(name, p.TargetFile))))
            return true;
    if (streamOnly)
        return false;
    if (installFolder) {
        for (const RawFileEntry& f : kInstallFolderFiles)
            if (SameText(name, f.FileName))
                return true;
        return false;
    }
    for (const RawFileEntry& f : kSharedDataFiles)
        if (SameText(name, f.FileName))
            return true;
    return false;
}

// `name` is `target` + "." + `suffix` + an optional number.
bool IsSideName(const std::wstring& name, const std::wstring& target, const wchar_t* suffix)
{
    const std::wstring start = target + L"." + suffix;
    if (name.size() < start.size() || !SameText(name.substr(0, start.size()), start))
        return false;
    for (size_t i = start.size(); i < name.size(); ++i)
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    return true;
}

// Every name the record lists lies in one of the two folders, is a name of the tables or one
// of its side names: a record that says anything else is not ours to act on.
bool IsOurs(const TransactionPlan& plan, const std::wstring& install, const std::wstring& shared)
{
    for (const std::wstring& folder : plan.CreatedFolders)
        if (!SameText(folder, install) && !SameText(folder, shared))
            return false;
    for (const RecordEntry& e : plan.Entries) {
        const std::wstring folder = FolderOf(e.Target);
        const bool inInstall = SameText(folder, install);
        if (!inInstall && !SameText(folder, shared))
            return false;
        if (!InTable(ExtractFileName(e.Target), inInstall, e.Scratch))
            return false;
        if (!e.Staged.empty() && !IsSideName(e.Staged, e.Target, L"new") &&
            !(e.Scratch && e.Staged == e.Target))
            return false;
        if (!e.Aside.empty() && !IsSideName(e.Aside, e.Target, L"old"))
            return false;
        if (e.Scratch && (e.Staged.empty() || !e.Aside.empty()))
            return false;
    }
    return true;
}

DWORD AppendState(const std::wstring& path, SwapState state)
{
    UniqueFile file;
    const DWORD opened = SafeOpen(path, FILE_APPEND_DATA, 0, file);
    if (opened != ERROR_SUCCESS)
        return opened;
    return WriteText(file.get(), std::wstring(StateLine(state)) + L"\n");
}

// First failure wins; the rest of the work goes on.
struct FirstFailure {
    DWORD Code = ERROR_SUCCESS;
    std::wstring* Path;
    void Note(DWORD code, const std::wstring& path)
    {
        if (code == ERROR_SUCCESS || Code != ERROR_SUCCESS)
            return;
        Code = code;
        if (Path)
            *Path = path;
    }
};
}  // namespace

std::wstring TransactionRecordPath()
{
    return InstallFolder() + kTransactionRecordFile;
}

DWORD TransactionRecord::Create(const std::wstring& path, const TransactionPlan& plan)
{
    path_ = path;
    std::wstring text = std::wstring(kHeader) + L"\n";
    for (const std::wstring& folder : plan.CreatedFolders)
        text += std::wstring(kFolderLine) + L"\t" + folder + L"\n";
    for (const RecordEntry& e : plan.Entries) {
        if (e.Scratch)
            text += std::wstring(kScratchLine) + L"\t" + e.Target + L"\t" + e.Staged + L"\n";
        else
            text += std::wstring(kFileLine) + L"\t" + e.Target + L"\t" + e.Staged + L"\t" + e.Aside + L"\n";
    }
    const DWORD created = SafeCreateFile(path, file_);
    if (created != ERROR_SUCCESS)
        return created;
    const DWORD written = WriteText(file_.get(), text, false);
    if (written != ERROR_SUCCESS)
        Remove();
    return written;
}

DWORD TransactionRecord::Mark(SwapState state)
{
    return WriteText(file_.get(), std::wstring(StateLine(state)) + L"\n");
}

void TransactionRecord::Remove() noexcept
{
    // Through the handle it was created with, where that may delete; by its name otherwise.
    const bool marked = file_ && MarkForDeletion(file_.get()) == ERROR_SUCCESS;
    file_.reset();
    if (!marked && !path_.empty())
        SafeDeleteFile(path_);
    path_.clear();
}

DWORD RollBackPlan(const TransactionPlan& plan, std::wstring* failed) noexcept
{
    FirstFailure first{ERROR_SUCCESS, failed};
    const bool swapBegun = plan.State != SwapState::Staging;
    for (auto it = plan.Entries.rbegin(); it != plan.Entries.rend(); ++it) {
        const RecordEntry& e = *it;
        if (swapBegun && !e.Scratch) {
            const bool asideThere = !e.Aside.empty() && Exists(e.Aside);
            // A staged name that is gone was renamed to the target: what stands there is new.
            // (A staged file is whole before the swap begins; only the swap moves it.)
            const bool newInPlace = !e.Staged.empty() && !Exists(e.Staged) &&
                                    (e.Aside.empty() || asideThere);
            if (newInPlace)
                first.Note(DeleteIfThere(e.Target), e.Target);
            if (asideThere)
                first.Note(SafeRename(e.Aside, e.Target, false), e.Target);
        }
        if (!e.Staged.empty())
            first.Note(DeleteIfThere(e.Staged), e.Staged);
    }
    return first.Code;
}

DWORD RollForwardPlan(const TransactionPlan& plan, std::wstring* failed) noexcept
{
    for (const RecordEntry& e : plan.Entries) {
        if (e.Scratch || (!e.Staged.empty() && !Exists(e.Staged)))
            continue;  // a working file, or already in place
        DWORD code = ERROR_SUCCESS;
        if (!e.Aside.empty() && Exists(e.Target) && !Exists(e.Aside))
            code = SafeRename(e.Target, e.Aside, false);
        if (code == ERROR_SUCCESS && !e.Staged.empty())
            code = SafeRename(e.Staged, e.Target, false);
        if (code != ERROR_SUCCESS) {
            if (failed)
                *failed = e.Target;
            return code;
        }
    }
    return ERROR_SUCCESS;
}

void CleanPlan(const TransactionPlan& plan) noexcept
{
    for (const RecordEntry& e : plan.Entries) {
        if (e.Scratch) {
            if (!e.Staged.empty())  // not deleted already
                DeleteIfThere(e.Staged);
        }
        // A running program's image can be renamed but not deleted.
        else if (!e.Aside.empty() && DeleteIfThere(e.Aside) != ERROR_SUCCESS)
            ::MoveFileExW(e.Aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

void FinishInterruptedInstall()
{
    const std::wstring install = InstallFolder();
    const std::wstring shared = SharedDataFolder();
    const std::wstring path = install + kTransactionRecordFile;
    std::wstring text;
    TransactionPlan plan;
    if (!ReadRecord(path, text) || !ParseRecord(text, plan) || !IsOurs(plan, install, shared))
        return;
    std::wstring failed;
    LogStep("Found an interrupted install:", path);
    if (plan.State == SwapState::Swapping) {
        if (RollForwardPlan(plan, &failed) == ERROR_SUCCESS) {
            CleanPlan(plan);
            SafeDeleteFile(path);
            LogLine("Interrupted install finished");
            return;
        }
        // What stopped the swap is undone instead; said first, so that a kill meanwhile does
        // not take the partly undone swap for one to complete.
        const DWORD marked = AppendState(path, SwapState::Undoing);
        if (marked != ERROR_SUCCESS)
            RaiseCannotCreate(path, marked);
        plan.State = SwapState::Undoing;
    }
    const DWORD code = RollBackPlan(plan, &failed);
    if (code != ERROR_SUCCESS)
        RaiseCannotCreate(failed, code);
    SafeDeleteFile(path);
    for (auto it = plan.CreatedFolders.rbegin(); it != plan.CreatedFolders.rend(); ++it)
        SafeRemoveFolder(WithoutTrailingSeparators(*it));
    LogLine("Interrupted install undone");
}
