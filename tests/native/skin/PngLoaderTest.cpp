// Loading a PNG into a TBitmap32 by its transparency class.
#include <gtest/gtest.h>

#include "PngTestFiles.h"
#include "skin/PngLoader.h"

namespace {

constexpr TColor32 kUntouched = 0x12345678;

// width x height pixels of colour type `colorType` at 8 bits, rows unfiltered.
Bytes Picture(uint32_t width, uint32_t height, uint8_t colorType, const Bytes& samples,
              std::initializer_list<Bytes> before = {})
{
    const size_t rowBytes = samples.size() / height;
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), samples.begin() + y * rowBytes, samples.begin() + (y + 1) * rowBytes);
    }
    Bytes file = PngFile({PngIhdr(width, height, 8, colorType)});
    for (const Bytes& c : before)
        file.insert(file.end(), c.begin(), c.end());
    const Bytes tail = PngFile({PngChunk("IDAT", Zlib(raw)), PngIend()});
    file.insert(file.end(), tail.begin() + 8, tail.end());
    return file;
}

std::vector<TColor32> PixelsOf(const TBitmap32& bitmap)
{
    return std::vector<TColor32>(bitmap.Bits(), bitmap.Bits() + size_t(bitmap.Width()) * bitmap.Height());
}

void Load(const Bytes& file, TBitmap32& dest)
{
    MemorySource source(file.data(), file.size());
    LoadPngResource(source, dest);
}

}  // namespace

TEST(PngLoader, AlphaChannelIsKeptExactlyAndStraight)
{
    TBitmap32 bitmap;
    bitmap.OuterColor = kUntouched;
    Load(Picture(2, 2, 6, {255, 0, 0, 128, 1, 2, 3, 0, 200, 100, 50, 255, 9, 8, 7, 1}), bitmap);
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<TColor32>{0x80FF0000, 0x00010203, 0xFFC86432, 0x01090807}));
    EXPECT_EQ(bitmap.OuterColor, kUntouched);

    TBitmap32 grey;
    Load(Picture(2, 1, 4, {10, 0, 250, 77}), grey);
    EXPECT_EQ(PixelsOf(grey), (std::vector<TColor32>{0x000A0A0A, 0x4DFAFAFA}));
}

TEST(PngLoader, ColourKeySetsOuterColorAndLoadsOpaque)
{
    TBitmap32 rgb;
    Load(Picture(2, 1, 2, {10, 20, 30, 40, 50, 60}, {PngChunk("tRNS", {0, 40, 0, 50, 0, 60})}), rgb);
    EXPECT_EQ(rgb.OuterColor, 0xFF28323Cu);
    EXPECT_EQ(PixelsOf(rgb), (std::vector<TColor32>{0xFF0A141E, 0xFF28323C}));

    // A palette whose tRNS entries are all 0 or 255: the first transparent entry is the key.
    TBitmap32 palette;
    Load(Picture(3, 1, 3, {0, 1, 2},
                 {PngChunk("PLTE", {1, 1, 1, 2, 2, 2, 3, 3, 3}), PngChunk("tRNS", {255, 0, 0})}),
         palette);
    EXPECT_EQ(palette.OuterColor, 0xFF020202u);
    EXPECT_EQ(PixelsOf(palette), (std::vector<TColor32>{0xFF010101, 0xFF020202, 0xFF030303}));

    TBitmap32 grey;
    Load(Picture(2, 1, 0, {7, 8}, {PngChunk("tRNS", {0, 8})}), grey);
    EXPECT_EQ(grey.OuterColor, 0xFF080808u);
    EXPECT_EQ(PixelsOf(grey), (std::vector<TColor32>{0xFF070707, 0xFF080808}));
}

TEST(PngLoader, NoTransparencyLoadsOpaqueAndLeavesOuterColor)
{
    TBitmap32 bitmap;
    bitmap.OuterColor = kUntouched;
    Load(Picture(1, 2, 2, {1, 2, 3, 4, 5, 6}), bitmap);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<TColor32>{0xFF010203, 0xFF040506}));
    EXPECT_EQ(bitmap.OuterColor, kUntouched);

    // Partly transparent palette entries count as an alpha channel.
    TBitmap32 partial;
    partial.OuterColor = kUntouched;
    Load(Picture(2, 1, 3, {0, 1}, {PngChunk("PLTE", {1, 1, 1, 2, 2, 2}), PngChunk("tRNS", {0, 90})}), partial);
    EXPECT_EQ(PixelsOf(partial), (std::vector<TColor32>{0x00010101, 0x5A020202}));
    EXPECT_EQ(partial.OuterColor, kUntouched);
}

TEST(PngLoader, DamagedPictureLeavesTheBitmapAsItWas)
{
    TBitmap32 bitmap;
    bitmap.Resize(3, 2);
    bitmap.FillAll(0xAABBCCDD);
    bitmap.OuterColor = kUntouched;
    int changes = 0;
    bitmap.OnChange = [&](const TRect&) { ++changes; };
    Bytes file = Picture(2, 2, 6, Bytes(16, 7));
    file[file.size() - 20] ^= 1;  // inside the IDAT data
    EXPECT_THROW(Load(file, bitmap), EPngError);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(PixelsOf(bitmap), std::vector<TColor32>(6, 0xAABBCCDD));
    EXPECT_EQ(bitmap.OuterColor, kUntouched);
    EXPECT_EQ(changes, 0);
}

TEST(PngLoader, RewindsTheStreamAndNotifiesTheOwner)
{
    const Bytes file = Picture(2, 1, 6, {1, 2, 3, 4, 5, 6, 7, 8});
    class Counting : public MemorySource {
    public:
        using MemorySource::MemorySource;
        void SeekToStart() override
        {
            ++Rewinds;
            MemorySource::SeekToStart();
        }
        int Rewinds = 0;
    };
    Counting source(file.data(), file.size());
    TBitmap32 bitmap;
    TRect last{};
    bitmap.OnChange = [&](const TRect& r) { last = r; };
    LoadPngResource(source, bitmap);
    EXPECT_EQ(source.Rewinds, 1);
    EXPECT_EQ(source.Position(), 0u);
    EXPECT_EQ(last.Right, 2);
    EXPECT_EQ(last.Bottom, 1);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<TColor32>{0x04010203, 0x08050607}));
}
