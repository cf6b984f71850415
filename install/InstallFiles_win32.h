#pragma once
#include "common/Exception.h"

// The install sequence: folders, payload files, shared pictures, then the registry records and
// links. Runs synchronously on the calling thread (which must have COM initialised) and keeps
// no state between calls; a second run repeats every step and overwrites every file.
//
// Resources are read from ResourceModule(). Errors end the sequence at once and propagate:
// ESpecialFolderError (program files or common application data unknown), ERegistryException
// (an install folder the system code page can't spell) and EFolderLinkError (a shared folder
// that is a link), all raised before anything is written; EFCreateError, EFOpenError,
// EResNotFound, EWriteError, EZlibError, ERegistryException, EOleSysError, EIntfCastError.
// Steps done before an error stay done; temporary stream files written so far stay on disk; a
// payload target whose inflation failed is removed.
//
// Files in the two folders are deleted and written without following a link planted under
// their names (a link is refused: its deletion is skipped, its creation fails).
void InstallFiles();

// "Cannot use folder "%s": it is a link to another place" (the folder without its trailing
// separator).
class EFolderLinkError : public Exception {
public:
    using Exception::Exception;
};

// One payload: the "ZIP" resource, its temporary stream file and its target in the install
// folder.
struct PayloadEntry {
    const char* Resource;
    const wchar_t* StreamFile;
    const wchar_t* TargetFile;
};
extern const PayloadEntry kPayloads[4];

// One file written as stored: resource type and name, and its file name.
struct RawFileEntry {
    const char* Type;
    const char* Resource;
    const wchar_t* FileName;
};
extern const RawFileEntry kInstallFolderFiles[2];  // the web shortcut and the licence
extern const RawFileEntry kSharedDataFiles[9];     // wallpapers, thumbnails, about picture
