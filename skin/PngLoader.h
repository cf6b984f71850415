#pragma once
// Decoding PNG files (the whole PNG standard: colour types 0, 2, 3, 4, 6; bit depths 1 to 16;
// Adam7; PLTE, tRNS; CRCs checked) and loading one into a TBitmap32.
#include <cstdint>
#include <vector>

#include "common/ByteSource.h"
#include "common/Exception.h"
#include "skin/Bitmap32.h"

// A picture the program carries is damaged.
class EPngError : public Exception {
public:
    explicit EPngError(std::string message)
        : Exception(std::move(message), 0, ErrorCause::Damaged)
    {
    }
};

enum class PngTransparency : uint8_t {
    None,        // grey or RGB without tRNS, palette without tRNS
    ColorKey,    // grey/RGB with tRNS, or a palette whose tRNS entries are all 0 or 255
    AlphaChannel,  // colour types 4 and 6 (and palettes with partial alpha)
};

struct PngImage {
    uint32_t Width = 0, Height = 0;
    PngTransparency Transparency = PngTransparency::None;
    TColor32 KeyColor = 0;  // the transparent colour as $FFRRGGBB (ColorKey only)
    // Width*Height pixels $AARRGGBB, straight alpha, 16-bit samples reduced to their high byte.
    // For None and ColorKey images alpha is 255 everywhere except where a key or palette entry
    // makes a sample transparent (the loader ignores that alpha for those classes).
    std::vector<TColor32> Pixels;
};

// The most pixels DecodePng accepts by default (2^28, 1 GiB of decoded pixels).
constexpr uint64_t kPngMaxPixels = uint64_t(1) << 28;
// The widest picture decoded: rows of at most 8 MiB at 16-bit RGBA.
constexpr uint32_t kPngMaxWidth = uint32_t(1) << 20;

// Decodes one PNG file from `source`, from its read position up to the IEND chunk; the read
// position afterwards is unspecified. Raises EPngError with a clear message for any damage
// (signature, CRC of any chunk, truncation, zlib data, too little or too much image data, bad
// filter types, missing palette or IEND); images of more than `maxPixels` pixels, and images
// whose compressed data is too short to possibly hold their size, are refused before any
// allocation. Invalid tRNS chunks are ignored; palette indices past the palette read as opaque
// black.
PngImage DecodePng(ByteSource& source, uint64_t maxPixels);
PngImage DecodePng(ByteSource& source);

// Decodes the PNG in `stream`, rewinds the stream and fills `dest` by the transparency class:
// None: colours with alpha 255; ColorKey: OuterColor := key colour, all alpha 255;
// AlphaChannel: colours and alpha as stored. On a decoding error `dest` is left as it was.
void LoadPngResource(ByteSource& stream, TBitmap32& dest);

#ifdef _WIN32
// Opens the resource `name` of type "PNG" and loads it into `dest`.
void LoadPngResource(const char* name, TBitmap32& dest);
// Loads the skin picture `name` as drawn for `dpi` pixels per inch: the 100 % resource at 96,
// else the set at or above the scale ("NAME150", "NAME200"), shrunk by area averaging to the
// 100 % picture's size scaled when the set is larger than the scale.
void LoadSkinPicture(const char* name, int dpi, TBitmap32& dest);
// Width and height of the PNG resource `name`, read from its header without decoding it.
void PngResourceSize(const char* name, int32_t& width, int32_t& height);
#endif
