#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include <zlib.h>

#include "common/UniqueInflate.h"
#include "skin/Adler32.h"
#include "skin/PngChunks.h"
#include "skin/PngFilters.h"
#include "skin/PngLoader.h"
#include "skin/PngRows.h"

namespace {

// Rows are inflated in blocks of about this many bytes: large enough that zlib's fast loop
// runs long and each call's copy into its window is small beside the output, small enough that
// the block stays in the second-level cache while it is unfiltered and converted, and that the
// buffer is reused from the heap rather than mapped (and faulted in) afresh for every picture.
constexpr size_t kBlockBytes = 64 * 1024;

// IDAT chunks smaller than this are joined into pieces of up to this size before inflating.
constexpr size_t kJoinBytes = 64 * 1024;

// No deflate stream expands one byte to more than 1032.
constexpr uint64_t kMaxInflateRatio = 1032;

[[noreturn]] void Fail(const char* message)
{
    throw EPngError(message);
}

const char kTooShort[] = "The PNG image data is too short";
const char kTooLong[] = "The PNG image data is too long";
const char kNoMemory[] = "Not enough memory to decode the PNG image";

// The zlib stream spread over the IDAT chunks. The stream's checksum is ours to compute:
// zlib's byte-at-a-time Adler-32 costs more than the rest of a row's handling, so zlib is told
// not to check it, and the inflated bytes are summed 16 at a time as they come out.
class ImageDataStream {
public:
    explicit ImageDataStream(const std::vector<PngSpan>& spans)
        : next_(spans.data()), end_(spans.data() + spans.size())
    {
        if (inflateInit(&z_) != Z_OK)
            Fail(kNoMemory);
        zEnd_.reset(&z_);
        inflateValidate(&z_, 0);
    }
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
    // Moves on to the next IDAT chunk that holds any data. Encoders commonly write chunks of a
    // few KiB; zlib returns at the end of each piece of input and copies what it produced
    // into its window, so runs of small chunks are joined into one piece first.
    bool NextInput()
    {
        KeepTail();
        while (next_ != end_ && next_->Size == 0)
            ++next_;
        if (next_ == end_)
            return false;
        if (next_->Size >= kJoinBytes || next_ + 1 == end_) {
            z_.next_in = const_cast<Bytef*>(next_->Data);
            z_.avail_in = static_cast<uInt>(next_->Size);
            ++next_;
        } else {
            if (!joined_) {
                try {
                    joined_.reset(new uint8_t[kJoinBytes]);
                } catch (const std::bad_alloc&) {
                    Fail(kNoMemory);
                }
            }
            size_t size = 0;
            for (; next_ != end_ && next_->Size <= kJoinBytes - size; ++next_) {
                std::memcpy(joined_.get() + size, next_->Data, next_->Size);
                size += next_->Size;
            }
            z_.next_in = joined_.get();
            z_.avail_in = static_cast<uInt>(size);
        }
        piece_ = z_.next_in;
        return true;
    }

    // Keeps the last four bytes zlib took from the piece of input it has used up.
    void KeepTail()
    {
        const uint8_t* p = z_.next_in - piece_ > 4 ? z_.next_in - 4 : piece_;
        for (; p != z_.next_in; ++p)
            tail_ = (tail_ << 8) | *p;
    }

    void Inflate()
    {
        uint8_t* const from = z_.next_out;
        const int rc = inflate(&z_, Z_NO_FLUSH);
        adler_ = Adler32(adler_, from, size_t(z_.next_out - from));
        if (rc == Z_OK)
            return;
        if (rc == Z_STREAM_END) {
            ended_ = true;
            if (adler_ != StoredChecksum())
                Fail("The PNG image data is damaged: incorrect data check");
            return;
        }
        if (rc == Z_MEM_ERROR)
            Fail(kNoMemory);
        // Z_BUF_ERROR cannot happen with input and output space given; treating it as damage
        // rules out a loop that makes no progress.
        throw EPngError(Format("The PNG image data is damaged: %s",
                               z_.msg ? z_.msg : "invalid compressed data"));
    }

    // The checksum at the stream's end: the last four bytes zlib took, which may be spread
    // over the ends of several pieces of input.
    uint32_t StoredChecksum()
    {
        KeepTail();
        piece_ = z_.next_in;
        return tail_;
    }

    z_stream z_{};
    UniqueInflate zEnd_;  // after z_, so that it ends the stream before z_ goes
    uint32_t adler_ = 1;
    uint32_t tail_ = 0;              // the last four bytes taken from the input, first byte highest
    const uint8_t* piece_ = nullptr;  // where the piece of input in use starts
    std::unique_ptr<uint8_t[]> joined_;  // small chunks joined into one piece
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

// The rows of one pass as they are inflated: a slot for the previous row, then a block of rows,
// each a filter-type byte and the row's bytes, then kPngRowSlack bytes that the filters and the
// row conversion may read past a row's end. One buffer serves every pass of a picture; only the
// previous-row slot is cleared at the start of a pass, everything else is written by the
// inflater before it is read.
class RowBlock {
public:
    explicit RowBlock(const std::vector<Pass>& passes, unsigned bitsPerPixel) : bitsPerPixel_(bitsPerPixel)
    {
        size_t most = 0;
        for (const Pass& p : passes) {
            const Shape s = ShapeOf(p);
            most = std::max(most, (size_t(s.Rows) + 1) * s.Stride + kPngRowSlack);
        }
        try {
            bytes_.reset(new uint8_t[most]);
        } catch (const std::bad_alloc&) {
            Fail(kNoMemory);
        }
    }

    struct Shape {
        size_t RowBytes, Stride;
        uint32_t Rows;  // rows per block
    };

    Shape ShapeOf(const Pass& p) const
    {
        Shape s;
        s.RowBytes = (size_t(p.Width) * bitsPerPixel_ + 7) / 8;
        s.Stride = s.RowBytes + 1;
        s.Rows = static_cast<uint32_t>(std::min<size_t>(std::max<size_t>(kBlockBytes / s.Stride, 1), p.Height));
        return s;
    }

    uint8_t* Slot(size_t index, const Shape& s) { return bytes_.get() + index * s.Stride; }

private:
    unsigned bitsPerPixel_;
    std::unique_ptr<uint8_t[]> bytes_;
};

// Inflates, unfilters and converts the rows of one pass into their places in `pixels`.
// `line` holds one pass row of converted pixels for the passes that are spread out.
void DecodePass(ImageDataStream& stream, RowBlock& block, const PngRowFormat& format,
                const PngHeader& h, const Pass& p, TColor32* pixels, TColor32* line)
{
    const unsigned bitsPerPixel = PngChannels(h.ColorType) * h.BitDepth;
    const unsigned filterDistance = std::max(1u, bitsPerPixel / 8);
    const RowBlock::Shape s = block.ShapeOf(p);
    // The row above the first one is all zero.
    std::memset(block.Slot(0, s), 0, s.Stride);
    for (uint32_t r = 0; r < p.Height;) {
        const uint32_t n = std::min(s.Rows, p.Height - r);
        stream.Fill(block.Slot(1, s), n * s.Stride);
        std::memset(block.Slot(n + 1, s), 0, kPngRowSlack);
        for (uint32_t i = 1; i <= n; ++i) {
            uint8_t* row = block.Slot(i, s);
            if (!UnfilterPngRow(row[0], row + 1, row + 1 - s.Stride, s.RowBytes, filterDistance))
                throw EPngError(Format("The PNG image data is damaged: unknown filter type %u",
                                       unsigned(row[0])));
            TColor32* out = pixels + (p.Y0 + size_t(r + i - 1) * p.Dy) * h.Width + p.X0;
            if (p.Dx == 1) {
                ConvertPngRow(format, row + 1, out, p.Width);
                continue;
            }
            ConvertPngRow(format, row + 1, line, p.Width);
            for (uint32_t x = 0; x < p.Width; ++x)
                out[size_t(x) * p.Dx] = line[x];
        }
        std::memcpy(block.Slot(0, s) + 1, block.Slot(n, s) + 1, s.RowBytes);
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
    size_t size;
    const uint8_t* data = source.Unread(size);
    if (!data) {
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
    RowBlock block(passes, bitsPerPixel);
    std::vector<TColor32> line;
    if (h.Interlaced) {
        try {
            line.resize(h.Width);
        } catch (const std::bad_alloc&) {
            Fail(kNoMemory);
        }
    }
    ImageDataStream stream(chunks.ImageData);
    for (const Pass& p : passes)
        DecodePass(stream, block, format, h, p, image.Pixels.data(), line.data());
    stream.Finish();
    Classify(chunks, image);
    return image;
}
