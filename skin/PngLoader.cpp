#include "skin/PngLoader.h"

void LoadPngResource(ByteSource& stream, TBitmap32& dest)
{
    // Decoding comes first so that a damaged picture leaves `dest` as it was.
    const PngImage image = DecodePng(stream);
    stream.SeekToStart();
    dest.Resize(static_cast<int32_t>(image.Width), static_cast<int32_t>(image.Height));
    dest.SetAllAlpha(255);
    if (dest.Empty())
        return;
    TColor32* bits = dest.Bits();
    const TColor32* from = image.Pixels.data();
    const size_t count = image.Pixels.size();
    switch (image.Transparency) {
    case PngTransparency::ColorKey:
        dest.OuterColor = image.KeyColor;
        // A colour key never makes a pixel of the bitmap transparent.
        [[fallthrough]];
    case PngTransparency::None:
        for (size_t i = 0; i < count; ++i)
            bits[i] = from[i] | 0xFF000000u;
        break;
    case PngTransparency::AlphaChannel:
        for (size_t i = 0; i < count; ++i)
            bits[i] = from[i];
        break;
    }
    dest.Changed();
}
