#pragma once
// Splitting paths into their folder and file-name parts, for UTF-16 paths and paths in the
// system code page alike. "\" and "/" separate folders; ":" ends a drive part, so "C:x.exe"
// names "x.exe" on drive C. Portable: nothing here asks the file system.
#include <string>

// The part of `path` after its last "\", "/" or ":"; the whole path when it has none, and an
// empty text when it ends in one.
std::string ExtractFileName(const std::string& path);
std::wstring ExtractFileName(const std::wstring& path);

// The part of `path` up to and including its last "\", "/" or ":"; empty when it has none.
std::wstring FolderOf(const std::wstring& path);

// `path` without the separators it ends in, except the one of a drive's root ("C:\") and a
// path that is only a separator ("\").
std::wstring WithoutTrailingSeparators(std::wstring path);
