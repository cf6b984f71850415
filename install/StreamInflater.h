#pragma once
// Inflating one zlib stream (RFC 1950: header, deflate data, Adler-32) from a byte source into
// a byte sink, block by block: memory use is bounded by two fixed blocks and zlib's window,
// whatever the size of the stream or of what it inflates to.
#include <cstdint>

#include "common/ByteSink.h"
#include "common/ByteSource.h"
#include "common/Exception.h"

// A zlib failure; the message is zlib's text for the code ("data error", "buffer error", ...).
class EZlibError : public Exception {
public:
    explicit EZlibError(int code);
    int Code() const { return code_; }

private:
    int code_;
};

// Reads `source` from its current position up to the end of the zlib stream and writes every
// inflated byte to `sink`; bytes after the stream's end are not consumed beyond the last
// block read. Returns the number of inflated bytes.
// Raises EZlibError: Z_DATA_ERROR for damaged data or a wrong checksum, Z_NEED_DICT for a
// stream that needs a preset dictionary, Z_BUF_ERROR when the source ends before the stream
// does (a truncated stream never passes as a shorter file), Z_MEM_ERROR, Z_VERSION_ERROR.
// Errors of the source or the sink pass through unchanged. Whatever was written to the sink
// before an error stays written; the caller decides what to do with it.
uint64_t InflateStream(ByteSource& source, ByteSink& sink);

// Block size of both the input and the output buffer, in bytes.
constexpr size_t kInflateBlockSize = 64 * 1024;
