#include "install/FileStreams_win32.h"

#include "common/CodePage_win32.h"
#include "common/SafeFiles_win32.h"
#include "common/SystemError_win32.h"

namespace {
// WriteFile and ReadFile take a DWORD count; larger requests are split.
constexpr size_t kMaxIo = 1u << 30;
}  // namespace

void RaiseWriteError(unsigned long code)
{
    throw EWriteError(tiErrStreamWrite, {}, {}, code);
}

void RaiseCannotCreate(const std::wstring& path, unsigned long code)
{
    throw EFCreateError(tiErrCannotCreateFile, ToSystemCodePage(path), SystemErrorText(code), code);
}

FileSource::FileSource(const std::wstring& path)
{
    const DWORD code = SafeOpen(path, GENERIC_READ, FILE_SHARE_READ, file_);
    if (code != ERROR_SUCCESS)
        throw EFOpenError(tiErrCannotOpenFile, ToSystemCodePage(path), SystemErrorText(code), code);
}

size_t FileSource::Read(void* buffer, size_t size)
{
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(size < kMaxIo ? size : kMaxIo);
    if (!::ReadFile(file_.get(), buffer, want, &got, nullptr))
        throw EReadError(tiErrStreamRead);
    return got;
}

void FileSource::SeekToStart()
{
    ::SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
}

FileSink::FileSink(const std::wstring& path)
{
    const DWORD code = SafeCreateFile(path, file_);
    if (code != ERROR_SUCCESS)
        RaiseCannotCreate(path, code);
}

void FileSink::Write(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(size < kMaxIo ? size : kMaxIo);
        DWORD put = 0;
        if (!file_ || !::WriteFile(file_.get(), p, want, &put, nullptr))
            RaiseWriteError(file_ ? ::GetLastError() : ERROR_INVALID_HANDLE);
        // A medium that takes fewer bytes than given is full.
        if (put != want)
            RaiseWriteError(ERROR_DISK_FULL);
        p += put;
        size -= put;
    }
}

void FileSink::Flush()
{
    if (!file_ || !::FlushFileBuffers(file_.get()))
        RaiseWriteError(file_ ? ::GetLastError() : ERROR_INVALID_HANDLE);
}

bool FileExists(const std::wstring& path)
{
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path)
{
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
