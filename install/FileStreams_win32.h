#pragma once
// Files as byte sources and sinks, with the program's texts for failures. Paths are UTF-16;
// the messages name them in the system code page. Files are opened through the no-follow layer
// (SafeFiles_win32.h): a link planted under the name is refused, never read or written through.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/ByteSink.h"
#include "common/ByteSource.h"
#include "common/Exception.h"
#include "common/UniqueHandle_win32.h"

// "Cannot create file "%s". %s": the full path and the system's text for the error.
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};
// "Cannot open file "%s". %s".
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};
// "Stream write error": the medium took fewer bytes than given (a full disk, for instance).
class EWriteError : public Exception {
public:
    using Exception::Exception;
};
// Raises EWriteError "Stream write error", carrying the system's `code` (ERROR_DISK_FULL, ...).
[[noreturn]] void RaiseWriteError(unsigned long code);
// Raises EFCreateError "Cannot create file "%s". %s" with `path` and the system's text for
// `code`, which it carries.
[[noreturn]] void RaiseCannotCreate(const std::wstring& path, unsigned long code);
// "Stream read error".
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A file opened for reading from its first byte (others may read it meanwhile).
// Raises EFOpenError when it can't be opened.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::wstring& path);
    // Reads the open `file` (with read access) from where its file pointer stands.
    explicit FileSource(UniqueFile file) : file_(std::move(file)) {}
    // Hands the open file back to the caller.
    UniqueFile Release() { return std::move(file_); }
    size_t Read(void* buffer, size_t size) override;  // raises EReadError
    void SeekToStart() override;

private:
    UniqueFile file_;
};

// A file created anew (an existing one truncated) for writing; no one else may open it while
// it is written. Raises EFCreateError when it can't be created.
class FileSink : public ByteSink {
public:
    explicit FileSink(const std::wstring& path);
    void Write(const void* data, size_t size) override;  // raises EWriteError
    // Makes everything written so far durable (FlushFileBuffers). Raises EWriteError.
    void Flush();
    // Closes the file now; later writes are refused.
    void Close() { file_.reset(); }
    // Hands the open file to the caller; later writes are refused.
    UniqueFile Release() { return std::move(file_); }

private:
    UniqueFile file_;
};

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
