#pragma once
#include "common/Exception.h"
#include "common/ProductFacts.h"

// The install sequence: folders, payload files, shared pictures, then the registry records and
// links. Runs synchronously on the calling thread (which must have COM initialised) and keeps
// no state between calls; a second run repeats every step and overwrites every file.
//
// First of all, a run cut short earlier is finished or undone (FinishInterruptedInstall).
// Resources are read from ResourceModule(). Raised before anything is written:
// ESpecialFolderError (program files or common application data unknown), ERegistryException
// (an install folder the system code page can't spell), EFolderLinkError (a shared folder that
// is a link).
// The file steps are one transaction (FileTransaction_win32.h): every new file is written whole
// under a staged name, then the names are swapped, the earlier files set aside rather than
// deleted. Nothing the earlier installation holds is touched before every new file is written,
// flushed and, for a payload, inflated to its end and checksum: a damaged or missing resource
// (EZlibError, EResNotFound "Resource %s not found") is met while the staged files are written,
// in the order the sequence reads them. An error there (EFCreateError, EFOpenError,
// EWriteError, EZlibError, EResNotFound, ...) removes what the run
// wrote, puts the earlier files back and removes the folders it created that are empty, so the
// folders hold either the earlier files or, once the file steps are done, the complete new
// set; the set-aside files are then deleted (or, when a running program holds one, deleted at
// the next restart). A kill at any moment is finished or undone by the next run of the
// installer or the uninstaller. An error of the final steps (ERegistryException, EOleSysError,
// EIntfCastError) ends the sequence there and leaves the new files and the records and links
// written before it.
void InstallFiles();

// The final steps of InstallFiles, in their order: the uninstall entry, the program and Start
// menu links, the autostart value, the install path, the default settings and the first-run
// flag. The first error ends them there (ERegistryException, EOleSysError, EIntfCastError).
void WriteInstallRecords();

// "Cannot use folder "%s": it is a link to another place" (the folder without its trailing
// separator).
class EFolderLinkError : public Exception {
public:
    using Exception::Exception;
};
