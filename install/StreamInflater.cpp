#include "install/StreamInflater.h"

#include <zlib.h>

#include <memory>

#include "common/UniqueInflate.h"

// A stream the installer carries that zlib rejects is damaged (memory aside); the user is
// told so with zlib's word for the damage.
EZlibError::EZlibError(int code)
    : Exception(zError(code), tiErrDamagedData, zError(code), {}, 0,
                code == Z_MEM_ERROR ? ErrorCause::System : ErrorCause::Damaged),
      code_(code)
{
}

// Kept out of line: the installer calls it from one place, where inlined it pushed larger
// functions out of line and made the program bigger.
__attribute__((noinline)) uint64_t InflateStream(ByteSource& source, ByteSink& sink)
{
    std::unique_ptr<Bytef[]> in(new Bytef[kInflateBlockSize]);
    std::unique_ptr<Bytef[]> out(new Bytef[kInflateBlockSize]);
    z_stream stream{};
    const int init = inflateInit(&stream);
    if (init != Z_OK)
        throw EZlibError(init);
    const UniqueInflate ended(&stream);
    z_stream* z = &stream;
    uint64_t total = 0;
    bool sourceEnded = false;
    for (;;) {
        if (z->avail_in == 0 && !sourceEnded) {
            const size_t n = source.Read(in.get(), kInflateBlockSize);
            sourceEnded = n == 0;
            z->next_in = in.get();
            z->avail_in = static_cast<uInt>(n);
        }
        z->next_out = out.get();
        z->avail_out = static_cast<uInt>(kInflateBlockSize);
        const int rc = inflate(z, Z_NO_FLUSH);
        const size_t produced = kInflateBlockSize - z->avail_out;
        if (produced > 0) {
            sink.Write(out.get(), produced);
            total += produced;
        }
        if (rc == Z_STREAM_END)
            return total;
        if (rc == Z_BUF_ERROR && !sourceEnded)
            continue;  // no progress possible only because the input block is used up
        if (rc != Z_OK)
            throw EZlibError(rc);
        // zlib reports Z_OK for a stream cut short until it is asked to go on with no input.
        if (sourceEnded && z->avail_in == 0 && produced == 0)
            throw EZlibError(Z_BUF_ERROR);
    }
}
