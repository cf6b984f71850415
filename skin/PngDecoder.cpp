#include <algorithm>
#include <cstring>
#include <new>

#include <zlib.h>

#include "skin/PngChunks.h"
#include "skin/PngFilters.h"
#include "skin/PngLoader.h"
#include "skin/PngRows.h"

namespace {

// Rows are inflated in blocks of about this many bytes: large enough that zlib's fast loop
// runs long, small enough that a block is still in cache when it is unfiltered and converted.
constexpr size_t kBlockBytes = 256 * 1024;

// No deflate stream expands one byte to more than 1032.
constexpr uint64_t kMaxInflateRatio = 1032;

[[noreturn]] void Fail(const char* message)
{
    throw EPngError(message);
}

const char kTooShort[] = "The PNG image data is too short";
const char kTooLong[] = "The PNG image data is too long";
const char kNoMemory[] = "Not enough memory to decode the PNG image";

// The zlib stream spread over the IDAT chunks.
class ImageDataStream {
public:
    explicit ImageDataStream(const std::vector<PngSpan>& spans)
        : next_(spans.data()), end_(spans.data() + spans.size())
    {
        if (inflateInit(&z_) != Z_OK)
            Fail(kNoMemory);
    }
    ~ImageDataStream() { inflateEnd(&z_); }
    ImageDataStream(const ImageDataStream&) = delete;
    ImageDataStream& operator=(const ImageDataStream&) = delete;

    // Inflates exactly `size` bytes into `out`.
    void Fill(uint8_t* out, size_t size)
    {
        while (size > 0) {
            const uInt piece = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
            z_.next_out = out;
            z_.avail_out = piece;
            while (z_.avail_out > 0) {
                if (ended_ || (z_.avail_in == 0 && !NextInput()))
                    Fail(kTooShort);
                Inflate();
            }
            out += piece;
            size -= piece;
        }
    }

    // Checks that the stream ends here (its checksum included) and that no data follows it.
    void Finish()
    {
        uint8_t scratch[256];
        while (!ended_) {
            if (z_.avail_in == 0 && !NextInput())
                Fail("The PNG image data is damaged: the compressed stream does not end");
            z_.next_out = scratch;
            z_.avail_out = sizeof scratch;
            Inflate();
            if (z_.avail_out != sizeof scratch)
                Fail(kTooLong);
        }
        if (z_.avail_in > 0)
            Fail(kTooLong);
        while (NextInput()) {
            if (z_.avail_in > 0)
                Fail(kTooLong);
        }
    }

private:
    // Moves on to the next IDAT chunk that holds any data.
    bool NextInput()
    {
        while (next_ != end_ && next_->Size == 0)
            ++next_;
        if (next_ == end_)
            return false;
        z_.next_in = const_cast<Bytef*>(next_->Data);
        z_.avail_in = static_cast<uInt>(next_->Size);
        ++next_;
        return true;
    }

    void Inflate()
    {
        const int rc = inflate(&z_, Z_NO_FLUSH);
        if (rc == Z_OK)
            return;
        if (rc == Z_STREAM_END) {
            ended_ = true;
            return;
        }
        if (rc == Z_MEM_ERROR)
            Fail(kNoMemory);
        // Z_BUF_ERROR cannot happen with input and output space given; treating it as damage
        // rules out a loop that makes no progress.
        throw EPngError(Format("The PNG image data is damaged: %s",
                               z_.msg ? z_.msg : "invalid compressed data"));
    }

    z_stream z_{};
    const PngSpan* next_;
    const PngSpan* end_;
    bool ended_ = false;
};

struct Pass {
    uint32_t X0, Y0, Dx, Dy;
    uint32_t Width, Height;
};

std::vector<Pass> PassesOf(const PngHeader& h)
{
    static const uint8_t kAdam7[7][4] = {
        {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
    };
    std::vector<Pass> passes;
    if (!h.Interlaced) {
        passes.push_back(Pass{0, 0, 1, 1, h.Width, h.Height});
        return passes;
    }
    for (const auto& a : kAdam7) {
        if (h.Width <= a[0] || h.Height <= a[1])
            continue;  // an empty pass has no rows, not even filter bytes
        passes.push_back(Pass{a[0], a[1], a[2], a[3], (h.Width - a[0] + a[2] - 1) / a[2],
                              (h.Height - a[1] + a[3] - 1) / a[3]});
    }
    return passes;
}

// Inflates, unfilters and converts the rows of one pass into their places in `pixels`.
void DecodePass(ImageDataStream& stream, const PngRowFormat& format, const PngHeader& h,
                const Pass& p, TColor32* pixels)
{
    const unsigned bitsPerPixel = PngChannels(h.ColorType) * h.BitDepth;
    const unsigned filterDistance = std::max(1u, bitsPerPixel / 8);
    const size_t rowBytes = (size_t(p.Width) * bitsPerPixel + 7) / 8;
    const size_t stride = rowBytes + 1;
    const uint32_t blockRows =
        static_cast<uint32_t>(std::min<size_t>(std::max<size_t>(kBlockBytes / stride, 1), p.Height));
    std::vector<uint8_t> block;
    std::vector<TColor32> line;
    // Slot 0 holds the previous row, all zero before the first row of a pass.
    try {
        block.assign((size_t(blockRows) + 1) * stride + kPngRowSlack, 0);
        if (h.Interlaced)
            line.resize(p.Width);
    } catch (const std::bad_alloc&) {
        Fail(kNoMemory);
    }
    for (uint32_t r = 0; r < p.Height;) {
        const uint32_t n = std::min(blockRows, p.Height - r);
        stream.Fill(block.data() + stride, n * stride);
        for (uint32_t i = 1; i <= n; ++i) {
            uint8_t* row = block.data() + i * stride;
            if (!UnfilterPngRow(row[0], row + 1, row + 1 - stride, rowBytes, filterDistance))
                throw EPngError(Format("The PNG image data is damaged: unknown filter type %u",
                                       unsigned(row[0])));
            const size_t y = p.Y0 + size_t(r + i - 1) * p.Dy;
            if (!h.Interlaced) {
                ConvertPngRow(format, row + 1, pixels + y * h.Width, p.Width);
                continue;
            }
            ConvertPngRow(format, row + 1, line.data(), p.Width);
            TColor32* out = pixels + y * h.Width + p.X0;
            for (uint32_t x = 0; x < p.Width; ++x)
                out[size_t(x) * p.Dx] = line[x];
        }
        std::memcpy(block.data() + 1, block.data() + n * stride + 1, rowBytes);
        r += n;
    }
}

std::vector<uint8_t> ReadAll(ByteSource& source)
{
    std::vector<uint8_t> bytes;
    size_t used = 0;
    for (;;) {
        if (bytes.size() - used < 65536)
            bytes.resize(bytes.size() + std::max<size_t>(65536, bytes.size()));
        const size_t n = source.Read(bytes.data() + used, bytes.size() - used);
        if (n == 0)
            break;
        used += n;
    }
    bytes.resize(used);
    return bytes;
}

void Classify(const PngChunks& chunks, PngImage& image)
{
    const PngHeader& h = chunks.Header;
    if (h.ColorType == pngGrayAlpha || h.ColorType == pngRgba) {
        image.Transparency = PngTransparency::AlphaChannel;
        return;
    }
    if (h.ColorType == pngPalette) {
        bool keyed = false;
        for (unsigned i = 0; i < chunks.PaletteAlphaCount; ++i) {
            const uint32_t alpha = chunks.Palette[i] >> 24;
            if (alpha != 0 && alpha != 255) {
                image.Transparency = PngTransparency::AlphaChannel;
                return;
            }
            if (alpha == 0 && !keyed) {
                keyed = true;
                image.KeyColor = chunks.Palette[i] | 0xFF000000u;
            }
        }
        if (keyed)
            image.Transparency = PngTransparency::ColorKey;
        return;
    }
    if (!chunks.HasKey)
        return;
    image.Transparency = PngTransparency::ColorKey;
    uint32_t c[3];
    for (int i = 0; i < 3; ++i) {
        const uint32_t v = chunks.Key[h.ColorType == pngGray ? 0 : i];
        c[i] = h.BitDepth == 16 ? v >> 8 : v * (255 / ((1u << h.BitDepth) - 1));
    }
    image.KeyColor = 0xFF000000u | (c[0] << 16) | (c[1] << 8) | c[2];
}

}  // namespace

PngImage DecodePng(ByteSource& source)
{
    return DecodePng(source, kPngMaxPixels);
}

PngImage DecodePng(ByteSource& source, uint64_t maxPixels)
{
    // Resources are already in memory: parse them in place rather than copying.
    std::vector<uint8_t> copy;
    const uint8_t* data;
    size_t size;
    if (auto* memory = dynamic_cast<MemorySource*>(&source)) {
        data = memory->Data() + memory->Position();
        size = memory->Size() - memory->Position();
    } else {
        copy = ReadAll(source);
        data = copy.data();
        size = copy.size();
    }
    const PngChunks chunks = ParsePngChunks(data, size, maxPixels);
    const PngHeader& h = chunks.Header;
    const unsigned bitsPerPixel = PngChannels(h.ColorType) * h.BitDepth;
    // A file whose compressed data could never inflate to its claimed size is refused before
    // its pixels are allocated, so a few bytes can't make the decoder take gigabytes.
    const std::vector<Pass> passes = PassesOf(h);
    uint64_t rawSize = 0;
    for (const Pass& p : passes)
        rawSize += uint64_t(p.Height) * ((uint64_t(p.Width) * bitsPerPixel + 7) / 8 + 1);
    if (rawSize > chunks.ImageDataSize * kMaxInflateRatio)
        Fail(kTooShort);

    PngImage image;
    image.Width = h.Width;
    image.Height = h.Height;
    try {
        image.Pixels.resize(size_t(h.Width) * h.Height);
    } catch (const std::bad_alloc&) {
        Fail(kNoMemory);
    }
    const PngRowFormat format = MakePngRowFormat(chunks);
    ImageDataStream stream(chunks.ImageData);
    for (const Pass& p : passes)
        DecodePass(stream, format, h, p, image.Pixels.data());
    stream.Finish();
    Classify(chunks, image);
    return image;
}
