#pragma once
// The chunk layer of a PNG file: the signature, chunk framing and CRCs, the header, the palette,
// the transparency chunk and where the compressed image data lies. Private to the decoder.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/Bitmap32.h"

enum PngColorType : uint8_t {
    pngGray = 0,
    pngRgb = 2,
    pngPalette = 3,
    pngGrayAlpha = 4,
    pngRgba = 6,
};

struct PngHeader {
    uint32_t Width = 0, Height = 0;
    uint8_t BitDepth = 0;
    uint8_t ColorType = 0;
    bool Interlaced = false;
};

// One IDAT chunk's payload, pointing into the file's bytes.
struct PngSpan {
    const uint8_t* Data;
    size_t Size;
};

struct PngChunks {
    PngHeader Header;
    // Palette entries as $AARRGGBB with the tRNS alpha (255 where tRNS has no entry). Entries
    // past PaletteCount are opaque black, so any index byte can be looked up safely.
    TColor32 Palette[256];
    unsigned PaletteCount = 0;
    unsigned PaletteAlphaCount = 0;  // entries the tRNS chunk gave (type 3)
    // Transparent sample values of grey (Key[0]) or RGB (Key[0..2]) images, in the image's own
    // bit depth, when HasKey.
    bool HasKey = false;
    uint16_t Key[3] = {0, 0, 0};
    std::vector<PngSpan> ImageData;
    uint64_t ImageDataSize = 0;
};

// Samples per pixel of a colour type (1 to 4).
unsigned PngChannels(uint8_t colorType);

// Parses the PNG file in data[0, size) up to its IEND chunk; bytes after IEND are ignored.
// Every chunk's CRC is checked, critical and ancillary alike. The header is validated first and
// an image of more than `maxPixels` pixels is refused before anything else is read. Invalid
// or misplaced tRNS chunks are ignored; everything else that is malformed raises EPngError.
// The spans of the result point into `data`.
PngChunks ParsePngChunks(const uint8_t* data, size_t size, uint64_t maxPixels);
