#include <cstring>

#include "skin/Crc32.h"
#include "skin/PngChunks.h"
#include "skin/PngLoader.h"

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t ReadBe32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint16_t ReadBe16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

constexpr uint32_t ChunkType(const char (&name)[5])
{
    return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
           (uint32_t(uint8_t(name[2])) << 8) | uint32_t(uint8_t(name[3]));
}

bool IsLetter(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[noreturn]] void Fail(const std::string& message)
{
    throw EPngError(message);
}

bool DepthAllowed(uint8_t colorType, uint8_t depth)
{
    switch (colorType) {
    case pngGray:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case pngPalette:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case pngRgb:
    case pngGrayAlpha:
    case pngRgba:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

PngHeader ParseHeader(const uint8_t* p, uint32_t length, uint64_t maxPixels)
{
    if (length != 13)
        Fail("The PNG image has an invalid header: wrong IHDR length");
    PngHeader h;
    h.Width = ReadBe32(p);
    h.Height = ReadBe32(p + 4);
    h.BitDepth = p[8];
    h.ColorType = p[9];
    if (h.Width == 0 || h.Height == 0 || h.Width > 0x7FFFFFFFu || h.Height > 0x7FFFFFFFu)
        Fail(Format("The PNG image has an invalid header: size %u x %u", h.Width, h.Height));
    if (h.ColorType > pngRgba || h.ColorType == 1 || h.ColorType == 5)
        Fail(Format("The PNG image has an invalid header: colour type %u", unsigned(h.ColorType)));
    if (!DepthAllowed(h.ColorType, h.BitDepth))
        Fail(Format("The PNG image has an invalid header: bit depth %u with colour type %u",
                    unsigned(h.BitDepth), unsigned(h.ColorType)));
    if (p[10] != 0)
        Fail("The PNG image has an invalid header: unknown compression method");
    if (p[11] != 0)
        Fail("The PNG image has an invalid header: unknown filter method");
    if (p[12] > 1)
        Fail("The PNG image has an invalid header: unknown interlace method");
    h.Interlaced = p[12] == 1;
    // Rows are held whole while they are unfiltered, so a very wide picture is refused even
    // when its pixel count is within the cap: a few bytes must not claim gigabyte rows.
    if (uint64_t(h.Width) * h.Height > maxPixels || h.Width > kPngMaxWidth)
        Fail(Format("The PNG image is too large: %u x %u pixels", h.Width, h.Height));
    return h;
}

void ParsePalette(PngChunks& out, const uint8_t* p, uint32_t length)
{
    if (length == 0 || length % 3 != 0 || length > 3 * 256)
        Fail("The PNG image has an invalid palette");
    out.PaletteCount = length / 3;
    for (unsigned i = 0; i < out.PaletteCount; ++i, p += 3)
        out.Palette[i] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

// A tRNS chunk that does not fit the image is dropped, as an ancillary chunk may be.
void ParseTransparency(PngChunks& out, const uint8_t* p, uint32_t length)
{
    const PngHeader& h = out.Header;
    const uint32_t maxSample = (1u << h.BitDepth) - 1;
    switch (h.ColorType) {
    case pngGray:
        if (length != 2 || ReadBe16(p) > maxSample)
            return;
        out.Key[0] = ReadBe16(p);
        out.HasKey = true;
        return;
    case pngRgb:
        if (length != 6)
            return;
        for (int i = 0; i < 3; ++i) {
            if (ReadBe16(p + 2 * i) > maxSample)
                return;
        }
        for (int i = 0; i < 3; ++i)
            out.Key[i] = ReadBe16(p + 2 * i);
        out.HasKey = true;
        return;
    case pngPalette:
        if (out.PaletteCount == 0 || length == 0 || length > out.PaletteCount)
            return;
        out.PaletteAlphaCount = length;
        for (unsigned i = 0; i < length; ++i)
            out.Palette[i] = (out.Palette[i] & 0x00FFFFFFu) | (uint32_t(p[i]) << 24);
        return;
    default:
        return;  // types with an alpha channel have no tRNS
    }
}

}  // namespace

unsigned PngChannels(uint8_t colorType)
{
    switch (colorType) {
    case pngRgb:
        return 3;
    case pngGrayAlpha:
        return 2;
    case pngRgba:
        return 4;
    default:
        return 1;
    }
}

PngChunks ParsePngChunks(const uint8_t* data, size_t size, uint64_t maxPixels)
{
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        Fail("The data is not a PNG image");
    PngChunks out;
    for (TColor32& entry : out.Palette)
        entry = 0xFF000000u;

    enum { beforeData, inData, afterData } phase = beforeData;
    bool haveHeader = false, havePalette = false, haveTransparency = false;
    size_t pos = sizeof kSignature;
    for (;;) {
        if (size - pos < 8)
            Fail(pos == size ? "The PNG image is truncated (no IEND chunk)"
                             : "The PNG image is truncated");
        const uint32_t length = ReadBe32(data + pos);
        const uint8_t* typeBytes = data + pos + 4;
        if (length > 0x7FFFFFFFu)
            Fail("The PNG image is damaged: invalid chunk length");
        for (int i = 0; i < 4; ++i) {
            if (!IsLetter(typeBytes[i]))
                Fail("The PNG image is damaged: invalid chunk type");
        }
        const std::string name(reinterpret_cast<const char*>(typeBytes), 4);
        if (size - pos - 8 < uint64_t(length) + 4)
            Fail("The PNG image is truncated");
        const uint8_t* body = typeBytes + 4;
        const uint32_t crc = Crc32(0, typeBytes, 4 + size_t(length));
        if (crc != ReadBe32(body + length))
            Fail("The PNG image is damaged: bad CRC in chunk " + name);
        pos += size_t(length) + 12;

        const uint32_t type = ReadBe32(typeBytes);
        if (!haveHeader) {
            if (type != ChunkType("IHDR"))
                Fail("The PNG image has no header");
            out.Header = ParseHeader(body, length, maxPixels);
            haveHeader = true;
            continue;
        }
        if (type == ChunkType("IDAT")) {
            if (phase == afterData)
                Fail("The PNG image has chunk IDAT in the wrong place");
            if (out.Header.ColorType == pngPalette && !havePalette)
                Fail("The PNG image has no palette");
            phase = inData;
            out.ImageData.push_back(PngSpan{body, length});
            out.ImageDataSize += length;
            continue;
        }
        if (phase == inData)
            phase = afterData;
        if (type == ChunkType("IEND"))
            break;
        if (type == ChunkType("IHDR") || (type == ChunkType("PLTE") && (havePalette || phase != beforeData)))
            Fail("The PNG image has chunk " + name + " in the wrong place");
        if (type == ChunkType("PLTE")) {
            ParsePalette(out, body, length);
            havePalette = true;
            // Grey images may not carry a palette, colour images only a suggested one.
            if (out.Header.ColorType != pngPalette)
                out.PaletteCount = 0;
        } else if (type == ChunkType("tRNS")) {
            if (!haveTransparency && phase == beforeData &&
                (havePalette || out.Header.ColorType != pngPalette)) {
                ParseTransparency(out, body, length);
                haveTransparency = true;
            }
        } else if (!(typeBytes[0] & 0x20)) {
            Fail("The PNG image has an unknown critical chunk " + name);
        }
    }
    if (out.ImageData.empty())
        Fail("The PNG image has no image data");
    return out;
}
