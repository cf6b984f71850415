#pragma once
// Writing embedded resources to disk, and inflating payload stream files into their targets.
#include <cstdint>
#include <string>

#include "common/UniqueHandle_win32.h"

// Writes the bytes of resource `name` of type `type` (from ResourceModule()) unchanged to a
// file at `path`, created anew, in bounded blocks. The resource is looked up before the file
// is touched. With `flush` the file is made durable before it is closed (a file that becomes
// part of the installation). Raises EResNotFound "Resource %s not found", EFCreateError,
// EWriteError; a file whose write fails is removed rather than left short. With `keep` the
// file is not closed: `keep` receives its handle (read, write and delete access, no sharing).
void WriteResourceFile(const char* name, const char* type, const std::wstring& path,
                       bool flush = true, UniqueFile* keep = nullptr);

// Opens the stream file `streamPath` (one zlib stream), creates `targetPath` anew and inflates
// the stream into it block by block; the inflater, then the target, then the stream file are
// closed before returning. Returns the number of bytes written to the target.
// Raises EFOpenError (stream file), EFCreateError (target), EZlibError, EWriteError. When the
// inflation fails after the target was created, the target is removed; the stream file is
// always left as it is. The target is flushed before it is closed; with `keep` it stays open
// unflushed instead, as WriteResourceFile keeps it, for the caller to make durable.
uint64_t InflateFile(const std::wstring& streamPath, const std::wstring& targetPath,
                     UniqueFile* keep = nullptr);
// As above, reading the stream file through its open handle `stream` from its first byte (the
// handle WriteResourceFile kept: nothing opens the name again). `stream` is handed back open
// when the inflation succeeds, and closed when it raises.
uint64_t InflateFile(UniqueFile& stream, const std::wstring& targetPath, UniqueFile* keep);
