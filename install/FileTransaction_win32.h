#pragma once
// The file steps of an install as one transaction that a kill cannot leave half done. Every new
// file is written completely under a staged name beside its target and flushed (in the
// background, during a pause of the caller's); only when every flush has ended are the names
// swapped: each earlier file renamed aside ("<name>.old", "<name>.old2", ...),
// each staged file renamed to its target. The installation is not whole only during those
// renames. A durable record (TransactionRecord_win32.h) lists every name before the first
// file is written, so that a run cut short is finished or undone by the next one.
//
// Until Commit(), a rollback (explicit, or by the destructor when an error unwinds the steps)
// deletes the staged files and the new files already renamed in, renames the earlier files
// back and removes the folders the run created that are empty by then, so the folders hold
// what they held before. Files the run neither wrote nor set aside are never touched.
#include <string>
#include <vector>

#include "common/UniqueHandle_win32.h"

#include "install/TransactionRecord_win32.h"

class FileTransaction {
public:
    FileTransaction() = default;
    // Rolls back unless Commit() or RollBack() ran.
    ~FileTransaction();
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;

    // Creates `folder` (one level; its parent exists) when no folder of that path exists. A
    // failed creation is ignored: it shows when the first file there can't be created. A folder
    // created here is removed by a rollback if it is empty by then.
    void EnsureFolder(const std::wstring& folder);

    // Records a folder the caller has just created (for instance with an access list of its
    // own), for a rollback to remove if it is empty by then.
    void FolderCreated(const std::wstring& folder);

    // Plans new content for `target`: returns the free name beside it ("<name>.new", ...) that
    // the caller writes the content to, completely and flushed, after Begin(). An earlier file
    // at `target` is set aside by the swap. A folder at `target` raises EFCreateError "Cannot
    // create file "%s". %s" (access denied) at once.
    std::wstring Replace(const std::wstring& target);

    // Plans that an earlier file at `target`, if any, goes with the earlier installation: the
    // swap sets it aside and Commit() deletes it.
    void Retire(const std::wstring& target);

    // Plans a working file for `name`: returns `name` when nothing is there, else a free name
    // beside it, to write to. It is deleted before the swap and never becomes part of the
    // installation (an earlier file at `name` is the caller's to Retire()).
    std::wstring Scratch(const std::wstring& name);

    // Writes the record of every planned name, pauses `pauseMs` while it is flushed, and
    // returns once it is on disk; nothing may be written before. Raises EFCreateError "Cannot
    // create file "%s". %s" naming `reportAs` (the file the sequence writes first, the one a
    // user knows) with the system's text, and EWriteError.
    void Begin(const std::wstring& reportAs, DWORD pauseMs);

    // Takes the open handle of the staged file `staged` (a name Replace() returned), written
    // whole; the swap renames it through that handle, with no one able to open the file
    // meanwhile. A staged file not handed over (written and flushed by the caller) is opened by
    // the swap. A scratch file's handle (a name Scratch() returned) is kept for the swap to
    // delete it through.
    void Keep(const std::wstring& staged, UniqueFile file);

    // Starts flushing every staged file handed over, each on a thread of the system's pool,
    // and returns: for a pause of the caller's after the last Keep() and before Swap(), since
    // a flush beside writes still to come would slow them down.
    void StartFlushes();

    // Deletes the scratch files (through the handles Keep() took, else by name), opens and
    // checks every name to be renamed, waits for every flush, marks the record, then swaps the
    // names: earlier files aside, staged files into place, in the order planned. When a name
    // can't be opened for renaming (a file held open without delete sharing, a link planted
    // under the name) or renamed, everything is rolled back and EFCreateError "Cannot create
    // file "%s". %s" names that file; when a flush failed, everything is rolled back and
    // EWriteError "Stream write error" raised.
    void Swap();

    // Deletes what was set aside, through the handles the swap renamed it with, closed side by
    // side on the pool (a file a running program holds is deleted at the next restart
    // instead), then the record. Nothing is undone afterwards. Never raises.
    void Commit() noexcept;

    // Undoes everything, as described above, then removes the record and the folders created
    // that are empty. Never raises; a file that can't be put back stays under its set-aside
    // name, and the record stays for the next run to finish the undo.
    void RollBack() noexcept;

private:
    // Work on open files that runs on the system's thread pool while the caller goes on, each
    // file waiting on the disk by itself: flushes, and the closes that delete set-aside copies
    // (the last close frees the file's space). A flushed handle must stay open until Wait() has
    // returned.
    class BackgroundWork {
    public:
        BackgroundWork() = default;
        ~BackgroundWork() { Wait(); }
        BackgroundWork(const BackgroundWork&) = delete;
        BackgroundWork& operator=(const BackgroundWork&) = delete;
        // Starts making `file` durable.
        void Flush(HANDLE file) { Start(file, false); }
        // Takes `file` and closes it.
        void Close(HANDLE file) { Start(file, true); }
        // Waits until everything started has ended: ERROR_SUCCESS, or the code of a flush that
        // failed.
        DWORD Wait();

    private:
        struct Job {
            HANDLE File;
            bool Close;
            BackgroundWork* Work;
        };
        void Start(HANDLE file, bool close);
        // Flushes or closes as the Job at `started` says; on the pool, or here when no thread
        // can take it.
        static DWORD WINAPI Run(void* started);
        // Enough for the jobs of one wait (the staged files, or the set-aside copies); one more
        // waits for those before.
        Job jobs_[24];
        unsigned used_ = 0;
        volatile LONG running_ = 0;
        volatile LONG failure_ = ERROR_SUCCESS;
    };

    std::wstring FreeName(const std::wstring& path, const wchar_t* suffix) const;

    // Per entry of the plan: the earlier file and the staged file, open with delete access.
    struct Handles {
        UniqueFile Earlier, Staged;
    };
    std::vector<Handles> handles_;
    // Declared after the handles: destroyed first, it waits for the work still running on
    // them.
    BackgroundWork work_;
    TransactionPlan plan_;
    TransactionRecord record_;
    bool begun_ = false;
    bool finished_ = false;
};
