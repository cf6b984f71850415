#pragma once
// Decoding PNG files (the whole PNG standard: colour types 0, 2, 3, 4, 6; bit depths 1 to 16;
// Adam7; PLTE, tRNS; CRCs checked) and loading one into a TBitmap32.
#include <cstdint>
#include <vector>

#include "common/ByteSource.h"
#include "common/Exception.h"
#include "skin/Bitmap32.h"

class EPngError : public Exception {
public:
    using Exception::Exception;
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

// Decodes one PNG file from `source`. Raises EPngError with a clear message for any damage
// (signature, CRC, truncation, zlib data, IDAT length, absurd dimensions refused before any
// allocation).
PngImage DecodePng(ByteSource& source);

// Decodes the PNG in `stream`, rewinds the stream and fills `dest` by the transparency class:
// None: colours with alpha 255; ColorKey: OuterColor := key colour, all alpha 255;
// AlphaChannel: colours and alpha as stored. On a decoding error `dest` is left as it was.
void LoadPngResource(ByteSource& stream, TBitmap32& dest);

#ifdef _WIN32
// Opens the resource `name` of type "PNG" and loads it into `dest`.
void LoadPngResource(const char* name, TBitmap32& dest);
#endif
