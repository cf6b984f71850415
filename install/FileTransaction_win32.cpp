#include "install/FileTransaction_win32.h"

#include <windows.h>

#include <iterator>

#include "common/CodePage_win32.h"
#include "common/DecimalText.h"
#include "common/PathParts.h"
#include "common/ProductFacts.h"
#include "common/RunLog_win32.h"
#include "common/SafeFiles_win32.h"
#include "common/SystemError_win32.h"
#include "install/FileStreams_win32.h"

namespace {
// Enough for the leftovers of many interrupted runs; a folder with more is not ours to fill.
constexpr unsigned kMaxSideNames = 100;

bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Nothing is under the name. A missing folder counts as free: writing there fails later with
// the error the user should see.
bool IsFree(const std::wstring& path)
{
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// Set by a job of the pool when it has ended. Never closed: a job may still set it after the
// work it belonged to was waited for and gone.
HANDLE jobEnded = nullptr;
}  // namespace

void FileTransaction::BackgroundWork::Start(HANDLE file, bool close)
{
    if (used_ == std::size(jobs_))
        Wait();
    if (!jobEnded)
        jobEnded = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Job& job = jobs_[used_++];
    job = {file, close, this};
    ::InterlockedIncrement(&running_);
    if (!jobEnded || !::QueueUserWorkItem(Run, &job, WT_EXECUTEDEFAULT))
        Run(&job);
}

DWORD WINAPI FileTransaction::BackgroundWork::Run(void* started)
{
    const Job& job = *static_cast<Job*>(started);
    BackgroundWork& work = *job.Work;
    if (job.Close) {
        ::CloseHandle(job.File);
    } else if (!::FlushFileBuffers(job.File)) {
        const DWORD code = ::GetLastError();
        ::InterlockedCompareExchange(&work.failure_, static_cast<LONG>(code ? code : ERROR_WRITE_FAULT),
                                     ERROR_SUCCESS);
    }
    // The last thing done with the object: Wait() may return and its owner go.
    ::InterlockedDecrement(&work.running_);
    ::SetEvent(jobEnded);
    return 0;
}

DWORD FileTransaction::BackgroundWork::Wait()
{
    while (running_ != 0)
        ::WaitForSingleObject(jobEnded, INFINITE);
    used_ = 0;
    return static_cast<DWORD>(failure_);
}

FileTransaction::~FileTransaction()
{
    if (!finished_)
        RollBack();
}

void FileTransaction::EnsureFolder(const std::wstring& folder)
{
    if (IsFolder(::GetFileAttributesW(folder.c_str())))
        return;
    plan_.CreatedFolders.reserve(plan_.CreatedFolders.size() + 1);
    if (::CreateDirectoryW(folder.c_str(), nullptr))
        plan_.CreatedFolders.push_back(folder);
}

void FileTransaction::FolderCreated(const std::wstring& folder)
{
    plan_.CreatedFolders.push_back(folder);
}

// A name nothing is under, not planned for another file either. A name taken by something
// else ("<name>.old" a crashed run of an older version left, or a user's file) is left alone.
std::wstring FileTransaction::FreeName(const std::wstring& path, const wchar_t* suffix) const
{
    for (unsigned n = 1; n <= kMaxSideNames; ++n) {
        const std::wstring name = path + L"." + suffix + (n == 1 ? L"" : DecimalText(n));
        if (!IsFree(name))
            continue;
        bool planned = false;
        for (const RecordEntry& e : plan_.Entries)
            planned = planned || e.Staged == name || e.Aside == name;
        if (!planned)
            return name;
    }
    RaiseCannotCreate(path, ERROR_FILE_EXISTS);
}

std::wstring FileTransaction::Replace(const std::wstring& target)
{
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    // A folder of that name was never written by an installation, and no file can take its
    // place: refused before anything is written, with the error a creation there gives.
    if (IsFolder(attributes))
        RaiseCannotCreate(target, ERROR_ACCESS_DENIED);
    const bool earlier = attributes != INVALID_FILE_ATTRIBUTES;
    RecordEntry entry{target, FreeName(target, L"new"), L"", false};
    if (earlier)
        entry.Aside = FreeName(target, L"old");
    plan_.Entries.push_back(entry);
    return entry.Staged;
}

void FileTransaction::Retire(const std::wstring& target)
{
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || IsFolder(attributes))
        return;
    plan_.Entries.push_back({target, L"", FreeName(target, L"old"), false});
}

std::wstring FileTransaction::Scratch(const std::wstring& name)
{
    plan_.Entries.push_back({name, IsFree(name) ? name : FreeName(name, L"new"), L"", true});
    return plan_.Entries.back().Staged;
}

void FileTransaction::Begin(const std::wstring& reportAs, DWORD pauseMs)
{
    DWORD code = record_.Create(FolderOf(reportAs) + kTransactionRecordFile, plan_);
    if (code == ERROR_SUCCESS) {
        work_.Flush(record_.Handle());
        ::Sleep(pauseMs);
        code = work_.Wait();
        if (code != ERROR_SUCCESS)
            record_.Remove();
    }
    if (code == ERROR_DISK_FULL)
        RaiseWriteError(code);
    if (code != ERROR_SUCCESS)
        RaiseCannotCreate(reportAs, code);
    begun_ = true;
    handles_.resize(plan_.Entries.size());
}

void FileTransaction::Keep(const std::wstring& staged, UniqueFile file)
{
    for (size_t i = 0; i < plan_.Entries.size() && i < handles_.size(); ++i)
        if (plan_.Entries[i].Staged == staged)
            handles_[i].Staged = std::move(file);
}

void FileTransaction::StartFlushes()
{
    for (size_t i = 0; i < handles_.size(); ++i)
        if (handles_[i].Staged && !plan_.Entries[i].Scratch) {
            LogStep("Staged", plan_.Entries[i].Staged);
            work_.Flush(handles_[i].Staged.get());
        }
}

void FileTransaction::Swap()
{
    // A scratch file handed over is deleted through its handle; by name when that can't be.
    for (size_t i = 0; i < plan_.Entries.size(); ++i) {
        RecordEntry& e = plan_.Entries[i];
        if (!e.Scratch)
            continue;
        const bool marked = handles_[i].Staged && MarkForDeletion(handles_[i].Staged.get()) == ERROR_SUCCESS;
        handles_[i].Staged.reset();
        // Gone: nothing left for Commit() or a rollback to delete.
        if (marked || SafeDeleteFile(e.Staged) == ERROR_SUCCESS)
            e.Staged.clear();
    }
    // Every name is opened and checked first: a file held without delete sharing, or a link
    // planted under a name, stops the run before anything is renamed, and the swap itself is
    // renames only (the checked opens cost far more than the renames). A staged file handed
    // over with Keep() is still open from its creation, checked then.
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    std::vector<Handles>& opened = handles_;
    opened.resize(plan_.Entries.size());
    DWORD code = ERROR_SUCCESS;
    for (size_t i = 0; i < plan_.Entries.size(); ++i) {
        const RecordEntry& e = plan_.Entries[i];
        if (e.Scratch)
            continue;
        if (!e.Aside.empty()) {
            code = SafeOpen(e.Target, DELETE | SYNCHRONIZE, kShareAll, opened[i].Earlier);
            if (code == ERROR_FILE_NOT_FOUND)
                code = ERROR_SUCCESS;  // gone meanwhile: nothing to keep
        }
        if (code == ERROR_SUCCESS && !e.Staged.empty() && !opened[i].Staged)
            code = SafeOpen(e.Staged, DELETE | SYNCHRONIZE, kShareAll, opened[i].Staged);
        if (code != ERROR_SUCCESS) {
            RollBack();
            RaiseCannotCreate(e.Target, code);
        }
    }
    // Every staged file is on disk before the record says the swap may be completed.
    if (const DWORD flushed = work_.Wait(); flushed != ERROR_SUCCESS) {
        RollBack();
        RaiseWriteError(flushed);
    }
    code = record_.Mark(SwapState::Swapping);
    if (code != ERROR_SUCCESS) {
        RollBack();
        RaiseCannotCreate(record_.Path(), code);
    }
    plan_.State = SwapState::Swapping;
    for (size_t i = 0; i < plan_.Entries.size(); ++i) {
        const RecordEntry& e = plan_.Entries[i];
        // No replacing: a name that is taken is someone's, not ours to overwrite.
        if (opened[i].Earlier)
            code = SafeRenameOpened(opened[i].Earlier.get(), e.Aside, false);
        if (code == ERROR_SUCCESS && opened[i].Staged)
            code = SafeRenameOpened(opened[i].Staged.get(), e.Target, false);
        if (code != ERROR_SUCCESS) {
            RollBack();
            RaiseCannotCreate(e.Target, code);
        }
        if (!e.Scratch)
            LogStep(opened[i].Staged ? "Swapped in" : "Set aside", e.Target);
    }
}

void FileTransaction::Commit() noexcept
{
    finished_ = true;
    // The set-aside copies go when their handles close. One that can't be marked (read-only,
    // or a running program's image) is left to the deletion by name below.
    for (size_t i = 0; i < handles_.size(); ++i)
        if (handles_[i].Earlier && MarkForDeletion(handles_[i].Earlier.get()) == ERROR_SUCCESS) {
            plan_.Entries[i].Aside.clear();
            work_.Close(handles_[i].Earlier.release());
        }
    work_.Wait();
    handles_.clear();
    CleanPlan(plan_);
    record_.Remove();
    LogLine("File steps done; the earlier files deleted");
}

void FileTransaction::RollBack() noexcept
{
    finished_ = true;
    work_.Wait();
    handles_.clear();
    if (!begun_) {
        for (auto it = plan_.CreatedFolders.rbegin(); it != plan_.CreatedFolders.rend(); ++it)
            SafeRemoveFolder(WithoutTrailingSeparators(*it));
        return;
    }
    // Said first, so that a kill amid the undo is not taken for a swap to complete.
    if (plan_.State == SwapState::Swapping) {
        if (record_.Mark(SwapState::Undoing) != ERROR_SUCCESS)
            return;
        plan_.State = SwapState::Undoing;
    }
    if (RollBackPlan(plan_, nullptr) != ERROR_SUCCESS) {
        LogLine("Undo incomplete; the next run finishes it");
        return;
    }
    LogLine("File steps undone; the earlier files put back");
    record_.Remove();
    for (auto it = plan_.CreatedFolders.rbegin(); it != plan_.CreatedFolders.rend(); ++it)
        SafeRemoveFolder(WithoutTrailingSeparators(*it));
}
