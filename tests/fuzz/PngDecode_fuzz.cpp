// Feeds arbitrary bytes to the PNG decoder: it must decode them or raise EPngError, never
// crash, read out of bounds or hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "skin/PngLoader.h"

namespace {

// Small enough that one input can't tie up the fuzzer with gigabytes of pixels.
constexpr uint64_t kFuzzMaxPixels = uint64_t(1) << 22;

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Mutations almost always break a chunk CRC, which would stop every input at the chunk
// layer. Rewriting the CRCs of the chunks that fit lets the mutations reach the header
// checks, the inflater, the filters and the row conversion.
void MendCrcs(std::vector<uint8_t>& file)
{
    size_t pos = 8;
    while (pos <= file.size() && file.size() - pos >= 12) {
        const uint32_t length = Be32(&file[pos]);
        if (length > file.size() - pos - 12)
            return;
        const uint32_t crc = static_cast<uint32_t>(crc32(0, &file[pos + 4], length + 4));
        uint8_t* out = &file[pos + 8 + length];
        out[0] = uint8_t(crc >> 24);
        out[1] = uint8_t(crc >> 16);
        out[2] = uint8_t(crc >> 8);
        out[3] = uint8_t(crc);
        pos += size_t(length) + 12;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> file(data, data + size);
    if (size > 8)
        MendCrcs(file);
    MemorySource source(file.data(), file.size());
    try {
        const PngImage image = DecodePng(source, kFuzzMaxPixels);
        if (image.Pixels.size() != size_t(image.Width) * image.Height)
            __builtin_trap();
    } catch (const EPngError&) {
    }
    return 0;
}
