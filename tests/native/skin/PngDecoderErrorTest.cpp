// Damaged and unusual PNG files: each damage gets its own clear error, and nothing crashes,
// overreads or hangs (the native build runs under AddressSanitizer).
#include <gtest/gtest.h>

#include "PngTestFiles.h"
#include "skin/PngLoader.h"

namespace {

// A valid 3 x 2 RGB image whose rows use filters None and Paeth.
Bytes RawRgbRows()
{
    return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9,
            4, 10, 20, 30, 1, 1, 1, 2, 2, 2};
}

Bytes GoodFile(const Bytes& idat = Zlib(RawRgbRows()))
{
    return PngFile({PngIhdr(3, 2, 8, 2), PngChunk("tEXt", {'a', 0, 'b'}), PngChunk("IDAT", idat), PngIend()});
}

PngImage Decode(const Bytes& file)
{
    MemorySource source(file.data(), file.size());
    return DecodePng(source);
}

// The message of the error DecodePng raised, or "" when it decoded the file.
std::string ErrorOf(const Bytes& file)
{
    try {
        Decode(file);
    } catch (const EPngError& e) {
        return e.what();
    }
    return "";
}

// Offset of the first chunk of `type` (its length field) in `file`.
size_t ChunkAt(const Bytes& file, const char* type)
{
    for (size_t pos = 8; pos + 8 <= file.size();) {
        if (std::equal(type, type + 4, file.begin() + pos + 4))
            return pos;
        const uint32_t length = (uint32_t(file[pos]) << 24) | (file[pos + 1] << 16) | (file[pos + 2] << 8) | file[pos + 3];
        pos += length + 12;
    }
    return std::string::npos;
}

}  // namespace

TEST(PngDecoderErrors, GoodFileDecodesWithItsFilters)
{
    const PngImage image = Decode(GoodFile());
    ASSERT_EQ(image.Width, 3u);
    ASSERT_EQ(image.Height, 2u);
    // Row 1 is Paeth-filtered: its first pixel predicts from above, the others from the left.
    const std::vector<TColor32> expected = {0xFF010203, 0xFF040506, 0xFF070809,
                                            0xFF0B1621, 0xFF0C1722, 0xFF0E1924};
    EXPECT_EQ(image.Pixels, expected);
    EXPECT_EQ(image.Transparency, PngTransparency::None);
}

TEST(PngDecoderErrors, EveryTruncationIsRefused)
{
    const Bytes file = GoodFile();
    for (size_t size = 0; size < file.size(); ++size) {
        const Bytes part(file.begin(), file.begin() + size);
        const std::string error = ErrorOf(part);
        EXPECT_NE(error, "") << "prefix of " << size << " bytes decoded";
    }
    EXPECT_EQ(ErrorOf(Bytes(file.begin(), file.begin() + 5)), "The data is not a PNG image");
    EXPECT_EQ(ErrorOf(Bytes(file.end() - 12, file.end())), "The data is not a PNG image");
    EXPECT_EQ(ErrorOf(Bytes(file.begin(), file.end() - 12)), "The PNG image is truncated (no IEND chunk)");
    EXPECT_EQ(ErrorOf(Bytes(file.begin(), file.end() - 3)), "The PNG image is truncated");
}

TEST(PngDecoderErrors, BadCrcInAnyChunkIsRefused)
{
    for (const char* type : {"IHDR", "tEXt", "IDAT", "IEND"}) {
        Bytes file = GoodFile();
        const size_t at = ChunkAt(file, type);
        ASSERT_NE(at, std::string::npos);
        const uint32_t length = (uint32_t(file[at]) << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
        file[at + 8 + length] ^= 0x40;  // first CRC byte
        EXPECT_EQ(ErrorOf(file), std::string("The PNG image is damaged: bad CRC in chunk ") + type);
    }
    Bytes flipped = GoodFile();
    flipped[ChunkAt(flipped, "IDAT") + 9] ^= 1;  // data byte, CRC left as it was
    EXPECT_EQ(ErrorOf(flipped), "The PNG image is damaged: bad CRC in chunk IDAT");
}

TEST(PngDecoderErrors, DamagedCompressedDataIsRefused)
{
    Bytes broken = Zlib(RawRgbRows());
    broken[0] = 0x79;  // header check fails
    EXPECT_EQ(ErrorOf(GoodFile(broken)), "The PNG image data is damaged: incorrect header check");

    Bytes checksum = Zlib(RawRgbRows());
    checksum.back() ^= 0xFF;
    EXPECT_EQ(ErrorOf(GoodFile(checksum)), "The PNG image data is damaged: incorrect data check");

    Bytes blockType = Zlib(RawRgbRows());
    blockType[2] |= 0x06;  // block type 3 does not exist
    EXPECT_EQ(ErrorOf(GoodFile(blockType)), "The PNG image data is damaged: invalid block type");

    // A stream that stops without its final block, after all rows are there.
    const Bytes raw = RawRgbRows();
    Bytes open(raw.size() + 64);
    z_stream z{};
    deflateInit(&z, 9);
    z.next_in = const_cast<Bytef*>(raw.data());
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = open.data();
    z.avail_out = static_cast<uInt>(open.size());
    deflate(&z, Z_SYNC_FLUSH);
    open.resize(open.size() - z.avail_out);
    deflateEnd(&z);
    EXPECT_EQ(ErrorOf(GoodFile(open)), "The PNG image data is damaged: the compressed stream does not end");
}

// The stream's last bytes, its checksum among them, may lie in several IDAT chunks: small ones,
// which the decoder joins before inflating, after a small or a large first chunk.
TEST(PngDecoderErrors, ChecksumSpreadOverChunksIsChecked)
{
    Bytes noise(1 + 3 * 30000);  // one RGB row of noise, filter None: barely compressible
    uint32_t state = 1;
    for (size_t i = 1; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    const struct {
        Bytes Header, Stream;
    } pictures[] = {{PngIhdr(3, 2, 8, 2), Zlib(RawRgbRows())}, {PngIhdr(30000, 1, 8, 2), Zlib(noise)}};
    ASSERT_GT(pictures[1].Stream.size(), 70000u);
    for (const auto& picture : pictures) {
        for (size_t tail = 1; tail <= 6; ++tail) {
            for (bool damaged : {false, true}) {
                SCOPED_TRACE(testing::Message() << picture.Stream.size() << " bytes, " << tail
                                                << " in the last chunks, damaged " << damaged);
                Bytes data = picture.Stream;
                if (damaged)
                    data[data.size() - 1 - (tail - 1) / 2] ^= 0x10;
                const size_t cut = data.size() - tail;
                const Bytes file = PngFile({picture.Header, PngChunk("IDAT", Bytes(data.begin(), data.begin() + cut)),
                                            PngChunk("IDAT", Bytes(data.begin() + cut, data.end() - tail / 2)),
                                            PngChunk("IDAT", {}),
                                            PngChunk("IDAT", Bytes(data.end() - tail / 2, data.end())), PngIend()});
                EXPECT_EQ(ErrorOf(file), damaged ? "The PNG image data is damaged: incorrect data check" : "");
            }
        }
    }
}

TEST(PngDecoderErrors, WrongAmountOfImageDataIsRefused)
{
    Bytes raw = RawRgbRows();
    EXPECT_EQ(ErrorOf(GoodFile(Zlib(Bytes(raw.begin(), raw.end() - 1)))), "The PNG image data is too short");
    EXPECT_EQ(ErrorOf(GoodFile(Zlib(Bytes(raw.begin(), raw.begin() + 10)))), "The PNG image data is too short");
    raw.push_back(0);
    EXPECT_EQ(ErrorOf(GoodFile(Zlib(raw))), "The PNG image data is too long");

    Bytes trailing = Zlib(RawRgbRows());
    trailing.push_back(0);
    EXPECT_EQ(ErrorOf(GoodFile(trailing)), "The PNG image data is too long");

    const Bytes extraChunk = PngFile({PngIhdr(3, 2, 8, 2), PngChunk("IDAT", Zlib(RawRgbRows())),
                                      PngChunk("IDAT", {0}), PngIend()});
    EXPECT_EQ(ErrorOf(extraChunk), "The PNG image data is too long");

    const Bytes noData = PngFile({PngIhdr(3, 2, 8, 2), PngIend()});
    EXPECT_EQ(ErrorOf(noData), "The PNG image has no image data");
}

TEST(PngDecoderErrors, UnknownFilterTypeIsRefused)
{
    Bytes raw = RawRgbRows();
    raw[10] = 5;
    EXPECT_EQ(ErrorOf(GoodFile(Zlib(raw))), "The PNG image data is damaged: unknown filter type 5");
}

TEST(PngDecoderErrors, InvalidHeadersAreRefused)
{
    const Bytes idat = PngChunk("IDAT", Zlib(RawRgbRows()));
    auto withHeader = [&](const Bytes& ihdr) { return ErrorOf(PngFile({ihdr, idat, PngIend()})); };
    EXPECT_EQ(withHeader(PngIhdr(0, 2, 8, 2)), "The PNG image has an invalid header: size 0 x 2");
    EXPECT_EQ(withHeader(PngIhdr(3, 0x80000000u, 8, 2)), "The PNG image has an invalid header: size 3 x 2147483648");
    EXPECT_EQ(withHeader(PngIhdr(3, 2, 8, 1)), "The PNG image has an invalid header: colour type 1");
    EXPECT_EQ(withHeader(PngIhdr(3, 2, 8, 7)), "The PNG image has an invalid header: colour type 7");
    EXPECT_EQ(withHeader(PngIhdr(3, 2, 4, 2)), "The PNG image has an invalid header: bit depth 4 with colour type 2");
    EXPECT_EQ(withHeader(PngIhdr(3, 2, 16, 3)), "The PNG image has an invalid header: bit depth 16 with colour type 3");
    EXPECT_EQ(withHeader(PngIhdr(3, 2, 3, 0)), "The PNG image has an invalid header: bit depth 3 with colour type 0");
    EXPECT_EQ(withHeader(PngIhdr(3, 2, 8, 2, 2)), "The PNG image has an invalid header: unknown interlace method");
    Bytes method = PngIhdr(3, 2, 8, 2);
    method[8 + 10] = 1;
    method = PngChunk("IHDR", Bytes(method.begin() + 8, method.end() - 4));
    EXPECT_EQ(withHeader(method), "The PNG image has an invalid header: unknown compression method");
    EXPECT_EQ(withHeader(PngChunk("IHDR", Bytes(12, 1))), "The PNG image has an invalid header: wrong IHDR length");
    EXPECT_EQ(ErrorOf(PngFile({idat, PngIend()})), "The PNG image has no header");
}

TEST(PngDecoderErrors, AbsurdSizesAreRefusedBeforeDecoding)
{
    // Each file claims a huge picture but carries a few bytes: refused at once, long before
    // any pixel memory would be taken.
    const Bytes idat = PngChunk("IDAT", Zlib(Bytes(64, 0)));
    EXPECT_EQ(ErrorOf(PngFile({PngIhdr(0x7FFFFFFF, 0x7FFFFFFF, 8, 6), idat, PngIend()})),
              "The PNG image is too large: 2147483647 x 2147483647 pixels");
    EXPECT_EQ(ErrorOf(PngFile({PngIhdr(16385, 16384, 1, 0), idat, PngIend()})),
              "The PNG image is too large: 16385 x 16384 pixels");
    EXPECT_EQ(ErrorOf(PngFile({PngIhdr(16384, 16384, 1, 0), idat, PngIend()})),
              "The PNG image data is too short");
    EXPECT_EQ(ErrorOf(PngFile({PngIhdr(0x7FFFFFFF, 1, 8, 6), idat, PngIend()})),
              "The PNG image is too large: 2147483647 x 1 pixels");
    EXPECT_EQ(ErrorOf(PngFile({PngIhdr(uint32_t(1) << 21, 1, 16, 6), idat, PngIend()})),
              "The PNG image is too large: 2097152 x 1 pixels");

    // The cap is the caller's to choose.
    const Bytes file = GoodFile();
    MemorySource source(file.data(), file.size());
    EXPECT_THROW(DecodePng(source, 5), EPngError);
    source.SeekToStart();
    EXPECT_EQ(DecodePng(source, 6).Pixels.size(), 6u);
}

TEST(PngDecoderErrors, ChunkStructureErrorsAreRefused)
{
    const Bytes ihdr = PngIhdr(3, 2, 8, 2);
    const Bytes idat = PngChunk("IDAT", Zlib(RawRgbRows()));
    EXPECT_EQ(ErrorOf(PngFile({ihdr, PngChunk("ABCD", {}), idat, PngIend()})),
              "The PNG image has an unknown critical chunk ABCD");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, PngChunk("a1cd", {}), idat, PngIend()})),
              "The PNG image is damaged: invalid chunk type");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, ihdr, idat, PngIend()})), "The PNG image has chunk IHDR in the wrong place");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, idat, PngChunk("PLTE", {1, 2, 3}), PngIend()})),
              "The PNG image has chunk PLTE in the wrong place");

    const Bytes raw = RawRgbRows();
    const Bytes zlib = Zlib(raw);
    const Bytes first = PngChunk("IDAT", Bytes(zlib.begin(), zlib.begin() + 4));
    const Bytes second = PngChunk("IDAT", Bytes(zlib.begin() + 4, zlib.end()));
    EXPECT_EQ(ErrorOf(PngFile({ihdr, first, PngChunk("tEXt", {'a', 0}), second, PngIend()})),
              "The PNG image has chunk IDAT in the wrong place");

    Bytes huge = PngFile({ihdr});
    huge.insert(huge.end(), {0x80, 0, 0, 0, 't', 'E', 'X', 't'});
    EXPECT_EQ(ErrorOf(huge), "The PNG image is damaged: invalid chunk length");
}

TEST(PngDecoderErrors, PaletteErrorsAreRefused)
{
    const Bytes idat = PngChunk("IDAT", Zlib({0, 0x40}));  // 1 x 1 at 2 bits: index 1
    const Bytes ihdr = PngIhdr(1, 1, 2, 3);
    EXPECT_EQ(ErrorOf(PngFile({ihdr, idat, PngIend()})), "The PNG image has no palette");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, PngChunk("PLTE", {}), idat, PngIend()})), "The PNG image has an invalid palette");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, PngChunk("PLTE", {1, 2, 3, 4}), idat, PngIend()})),
              "The PNG image has an invalid palette");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, PngChunk("PLTE", Bytes(3 * 257, 9)), idat, PngIend()})),
              "The PNG image has an invalid palette");
    EXPECT_EQ(ErrorOf(PngFile({ihdr, PngChunk("PLTE", {1, 2, 3}), PngChunk("PLTE", {1, 2, 3}), idat, PngIend()})),
              "The PNG image has chunk PLTE in the wrong place");
}

TEST(PngDecoderLenient, TolerableOddities)
{
    // Index 1 lies past a one-entry palette: opaque black rather than a read past the table.
    const Bytes pastPalette = PngFile({PngIhdr(2, 1, 8, 3), PngChunk("PLTE", {10, 20, 30}),
                                       PngChunk("IDAT", Zlib({0, 0, 1})), PngIend()});
    EXPECT_EQ(Decode(pastPalette).Pixels, (std::vector<TColor32>{0xFF0A141E, 0xFF000000}));

    // tRNS chunks that do not fit the image are dropped: wrong length, key out of range, after
    // the image data, longer than the palette, before the palette; and on RGBA.
    const Bytes rgb = Zlib(RawRgbRows());
    for (const Bytes& file : {
             PngFile({PngIhdr(3, 2, 8, 2), PngChunk("tRNS", {0, 1, 0, 2}), PngChunk("IDAT", rgb), PngIend()}),
             PngFile({PngIhdr(3, 2, 8, 2), PngChunk("tRNS", {1, 0, 0, 2, 0, 3}), PngChunk("IDAT", rgb), PngIend()}),
             PngFile({PngIhdr(3, 2, 8, 2), PngChunk("IDAT", rgb), PngChunk("tRNS", {0, 1, 0, 2, 0, 3}), PngIend()}),
             PngFile({PngIhdr(1, 1, 8, 3), PngChunk("PLTE", {1, 2, 3}), PngChunk("tRNS", {0, 0}),
                      PngChunk("IDAT", Zlib({0, 0})), PngIend()}),
             PngFile({PngIhdr(1, 1, 8, 3), PngChunk("tRNS", {0}), PngChunk("PLTE", {1, 2, 3}),
                      PngChunk("IDAT", Zlib({0, 0})), PngIend()}),
             // Valid, but with every entry opaque there is no transparent colour.
             PngFile({PngIhdr(1, 1, 8, 3), PngChunk("PLTE", {1, 2, 3}), PngChunk("tRNS", {255}),
                      PngChunk("IDAT", Zlib({0, 0})), PngIend()}),
         }) {
        const PngImage image = Decode(file);
        EXPECT_EQ(image.Transparency, PngTransparency::None);
        for (TColor32 c : image.Pixels)
            EXPECT_EQ(c >> 24, 255u);
    }
    const Bytes rgbaWithTrns = PngFile({PngIhdr(1, 1, 8, 6), PngChunk("tRNS", {0, 1, 0, 2, 0, 3}),
                                        PngChunk("IDAT", Zlib({0, 1, 2, 3, 4})), PngIend()});
    EXPECT_EQ(Decode(rgbaWithTrns).Pixels, std::vector<TColor32>{0x04010203});

    // Unknown ancillary chunks, empty IDATs, one-byte IDATs and bytes after IEND are fine.
    const Bytes zlib = Zlib(RawRgbRows());
    Bytes split = PngFile({PngIhdr(3, 2, 8, 2), PngChunk("zzZz", {1, 2}), PngChunk("IDAT", {})});
    for (uint8_t b : zlib) {
        const Bytes c = PngChunk("IDAT", {b});
        split.insert(split.end(), c.begin(), c.end());
    }
    const Bytes tail = PngFile({PngChunk("IDAT", {}), PngIend()});
    split.insert(split.end(), tail.begin() + 8, tail.end());
    split.insert(split.end(), {'j', 'u', 'n', 'k'});
    EXPECT_EQ(Decode(split).Pixels, Decode(GoodFile()).Pixels);
}

TEST(PngDecoderLenient, ReadsFromAnyByteSourceItsPositionOn)
{
    // A source that hands out one byte per call and is not a memory source.
    class Trickle : public ByteSource {
    public:
        explicit Trickle(const Bytes& bytes) : bytes_(bytes) {}
        size_t Read(void* buffer, size_t size) override
        {
            if (size == 0 || pos_ == bytes_.size())
                return 0;
            *static_cast<uint8_t*>(buffer) = bytes_[pos_++];
            return 1;
        }
        void SeekToStart() override { pos_ = 0; }

    private:
        const Bytes& bytes_;
        size_t pos_ = 0;
    };
    const Bytes file = GoodFile();
    Trickle trickle(file);
    EXPECT_EQ(DecodePng(trickle).Pixels, Decode(file).Pixels);

    Bytes prefixed = {'x', 'y'};
    prefixed.insert(prefixed.end(), file.begin(), file.end());
    MemorySource memory(prefixed.data(), prefixed.size());
    uint8_t skip[2];
    ASSERT_EQ(memory.Read(skip, 2), 2u);
    EXPECT_EQ(DecodePng(memory).Pixels, Decode(file).Pixels);
}
