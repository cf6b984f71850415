#pragma once
// The file steps of an install as one transaction. A file of an earlier installation is renamed
// aside (in its own folder) instead of deleted; every file the run creates is recorded. Until
// Commit(), a rollback (explicit, or by the destructor when an error unwinds the steps) deletes
// what the run created, renames the earlier files back and removes the folders it created that
// are empty by then, so the folders hold what they held before. Files the run neither created
// nor set aside are never touched.
#include <string>
#include <vector>

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

    // Renames the file at `path`, if there is one, to a free name beside it ("<name>.old",
    // "<name>.old2", ...); nothing there, or a folder there, is left alone. Raises EFCreateError
    // "Cannot create file "%s". %s" (`path` and the system's text, the error a creation of the
    // file would give) when the file can't be renamed, for instance because it is held open
    // without delete sharing.
    void SetAside(const std::wstring& path);

    // Records a file the run has just created (and written completely) at `path`; a rollback
    // deletes it.
    void Created(const std::wstring& path);

    // The new files are all in place: deletes what was set aside. A file that can't be deleted
    // (a program still runs from it) is scheduled for deletion at the next restart instead.
    // Nothing is undone afterwards. Never raises.
    void Commit() noexcept;

    // Deletes the files created, in reverse order, renames every set-aside file back, then
    // removes the folders created that are empty. Never raises; a file that can't be put back
    // stays under its set-aside name rather than being lost.
    void RollBack() noexcept;

private:
    struct Aside {
        std::wstring Original;
        std::wstring Moved;
    };
    std::vector<std::wstring> folders_;
    std::vector<std::wstring> created_;
    std::vector<Aside> asides_;
    bool finished_ = false;
};
