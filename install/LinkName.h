#pragma once
// Forming the names and paths of shell links from the file a link opens. Paths are UTF-16;
// "\", "/" and ":" end a folder or drive part.
#include <string>

#include "common/PathParts.h"  // FolderOf, for the link's working folder

// The link's file name: the file-name part of `target` (ExtractFileName) with the
// extension (from the last "." of that part) replaced by ".lnk", or ".lnk" appended when the
// part has no extension. "C:\x\Marlowind.exe" gives "Marlowind.lnk".
std::wstring LinkNameFor(const std::wstring& target);

// folder + "\" + subfolder + "\" + linkName, or folder + "\" + linkName when `subfolder` is
// empty. Nothing is added or removed otherwise.
std::wstring LinkPathFor(const std::wstring& folder, const std::wstring& subfolder,
                         const std::wstring& linkName);
