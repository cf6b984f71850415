#pragma once
// The durable record of an install's file transaction, and the recovery that reads it.
//
// The record is one file in the install folder (only administrators write there), created and
// flushed before the run writes its first file and removed once the transaction is finished
// or undone. It names every file the run will write (each under a staged name beside its
// target), the name each earlier file is set aside under, the scratch files, and the folders
// the run created; one line appended (and flushed) when the swap of names begins, one more if
// the swap is undone. A run that is killed leaves the record behind; the next run of the
// installer or the uninstaller reads it and, before anything else:
// - when the swap had not begun, or was being undone: deletes the staged and scratch files,
//   renames every set-aside file back, deletes new files already renamed in, and removes the
//   folders the run created when they are empty: the folders hold what they held before;
// - when the swap had begun (every staged file was then whole and flushed): renames the rest
//   of the staged files into place, then deletes the set-aside copies: one whole installation.
// Only names the record lists are touched, and only in the install and shared data folders
// with the names of the product's tables; a record that lists anything else is not acted on.
#include <windows.h>

#include <string>
#include <vector>

#include "common/UniqueHandle_win32.h"

// One name the transaction replaces or clears.
struct RecordEntry {
    std::wstring Target;  // the installed name
    std::wstring Staged;  // the new content, renamed to Target by the swap; empty: no new file
    std::wstring Aside;   // where the earlier Target goes; empty when there was none
    bool Scratch = false; // a working file (Staged only), deleted before the swap
};

enum class SwapState {
    Staging,   // new files are being written under their staged names; nothing renamed yet
    Swapping,  // every staged file is whole: the swap may be completed
    Undoing,   // the swap is being undone
};

struct TransactionPlan {
    std::vector<std::wstring> CreatedFolders;  // with their trailing separator
    std::vector<RecordEntry> Entries;
    SwapState State = SwapState::Staging;
};

// install folder + the record's name.
std::wstring TransactionRecordPath();

// The open record of a running transaction.
class TransactionRecord {
public:
    // Creates the record at `path` (a link there is refused) and writes `plan` to it; the
    // caller flushes Handle() before it writes any other file. Returns the system's error code.
    DWORD Create(const std::wstring& path, const TransactionPlan& plan);
    HANDLE Handle() const { return file_.get(); }
    // Appends the new state and flushes it; ERROR_SUCCESS or the system's code.
    DWORD Mark(SwapState state);
    // Closes the record and deletes it.
    void Remove() noexcept;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    UniqueFile file_;
};

// Undoes what `plan` shows, as described above; returns ERROR_SUCCESS or the code of the first
// name that could not be put back (`failed` receives it). Never raises; goes on past failures.
DWORD RollBackPlan(const TransactionPlan& plan, std::wstring* failed) noexcept;

// Completes the swap of `plan` (State Swapping); ERROR_SUCCESS or the code of the first name
// that could not be renamed (`failed` receives it), where it stops.
DWORD RollForwardPlan(const TransactionPlan& plan, std::wstring* failed) noexcept;

// Deletes the scratch files and the set-aside copies of a completed swap; a copy a running
// program holds is deleted at the next restart instead.
void CleanPlan(const TransactionPlan& plan) noexcept;

// Reads the record at TransactionRecordPath() (through the no-follow layer) and finishes or
// undoes the transaction it shows, then removes it. Nothing to do without a record, or with a
// record that is not ours in every line (left as it is). Raises EFCreateError "Cannot create
// file "%s". %s" naming the file that could neither be put back nor renamed into place; the
// record then stays for the next run. Raises ESpecialFolderError as InstallFolder().
void FinishInterruptedInstall();
