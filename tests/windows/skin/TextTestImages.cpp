#include "TextTestImages.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

TRect PixelBounds(const TBitmap32& bitmap, const std::function<bool(int x, int y, TColor32)>& take)
{
    TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (take(x, y, bitmap.Pixel(x, y))) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    if (r.Left == INT32_MAX)
        return TRect{};
    return r;
}

namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBigEndian(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool SaveRender(const TBitmap32& bitmap, const std::string& name, int scale)
{
    const uint32_t w = static_cast<uint32_t>(bitmap.Width() * scale);
    const uint32_t h = static_cast<uint32_t>(bitmap.Height() * scale);
    std::vector<uint8_t> raw;
    raw.reserve((w * 4 + 1) * h);
    for (uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);
        for (uint32_t x = 0; x < w; ++x) {
            const TColor32 c = bitmap.Pixel(static_cast<int>(x) / scale, static_cast<int>(y) / scale);
            raw.push_back(static_cast<uint8_t>(c >> 16));
            raw.push_back(static_cast<uint8_t>(c >> 8));
            raw.push_back(static_cast<uint8_t>(c));
            raw.push_back(static_cast<uint8_t>(c >> 24));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size())) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, w);
    PutBigEndian(header, h);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});

    ::CreateDirectoryA("face-renders", nullptr);
    FILE* f = std::fopen(("face-renders\\" + name).c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}
