#pragma once
// Turning one unfiltered PNG row into 8-bit straight $AARRGGBB pixels. Private to the decoder.
#include <cstdint>

#include "skin/Bitmap32.h"
#include "skin/PngChunks.h"
#include "skin/PngFilters.h"

struct PngRowFormat {
    uint8_t ColorType = 0;
    uint8_t BitDepth = 0;
    bool HasKey = false;
    uint16_t Key[3] = {0, 0, 0};
    // Palette images: the palette. Grey images of up to 8 bits: every grey level scaled to
    // 8 bits, alpha 0 at the key. Unused otherwise.
    TColor32 Table[256];
};

PngRowFormat MakePngRowFormat(const PngChunks& chunks);

// Converts the `width` pixels of the unfiltered row `raw` into out[0, width). 16-bit samples
// keep their high byte; a pixel equal to the key (compared at full depth) gets alpha 0; grey
// levels below 8 bits are scaled to 0..255; colours without alpha get alpha 255. `raw` must
// stay readable for kPngRowSlack bytes past the row (they are read, never used).
void ConvertPngRow(const PngRowFormat& format, const uint8_t* raw, TColor32* out, uint32_t width);

// Row conversion uses SSSE3 byte shuffles where the processor has them, SSE2 otherwise.
// Turning them off (on = false) makes the SSE2 forms run, so both can be tested on one machine;
// on = true uses SSSE3 again when the processor has it. Returns whether SSSE3 was in use.
bool UsePngSsse3(bool on);
