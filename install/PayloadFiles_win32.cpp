#include "install/PayloadFiles_win32.h"

#include <windows.h>

#include "common/Resources_win32.h"
#include "common/SafeFiles_win32.h"
#include "install/FileStreams_win32.h"
#include "install/StreamInflater.h"

namespace {
constexpr size_t kCopyBlockSize = 64 * 1024;

// Runs `write` against a new file at `path` and, with `flush`, makes it durable; if either
// raises, the partial file is closed and removed before the error goes on.
template <typename F>
auto WriteNewFile(const std::wstring& path, bool flush, UniqueFile* keep, F write)
{
    FileSink sink(path);
    try {
        auto result = write(sink);
        if (flush)
            sink.Flush();
        if (keep)
            *keep = sink.Release();
        return result;
    } catch (...) {
        sink.Close();
        SafeDeleteFile(path);
        throw;
    }
}
}  // namespace

void WriteResourceFile(const char* name, const char* type, const std::wstring& path, bool flush,
                       UniqueFile* keep)
{
    ResourceStream resource(name, type);
    WriteNewFile(path, flush, keep, [&](FileSink& sink) {
        // The resource is mapped with the module: it is written from where it lies.
        const uint8_t* p = resource.Data();
        size_t left = resource.Size();
        while (left > 0) {
            const size_t n = left < kCopyBlockSize ? left : kCopyBlockSize;
            sink.Write(p, n);
            p += n;
            left -= n;
        }
        return 0;
    });
}

uint64_t InflateFile(const std::wstring& streamPath, const std::wstring& targetPath,
                     UniqueFile* keep)
{
    FileSource source(streamPath);
    return WriteNewFile(targetPath, !keep, keep, [&](FileSink& sink) { return InflateStream(source, sink); });
}

uint64_t InflateFile(UniqueFile& stream, const std::wstring& targetPath, UniqueFile* keep)
{
    FileSource source(std::move(stream));
    source.SeekToStart();
    const uint64_t written =
        WriteNewFile(targetPath, false, keep, [&](FileSink& sink) { return InflateStream(source, sink); });
    stream = source.Release();
    return written;
}
