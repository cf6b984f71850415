#include "common/Resources_win32.h"
#include "skin/DpiScale.h"
#include "skin/PngLoader.h"

void LoadPngResource(const char* name, TBitmap32& dest)
{
    ResourceStream stream(name, "PNG");
    LoadPngResource(stream, dest);
}

void PngResourceSize(const char* name, int32_t& width, int32_t& height)
{
    const ResourceStream stream(name, "PNG");
    const uint8_t* p = stream.Data();
    if (stream.Size() < 24 || p[12] != 'I' || p[13] != 'H' || p[14] != 'D' || p[15] != 'R')
        throw EPngError("The PNG image has no header");
    const auto be32 = [](const uint8_t* b) {
        return int32_t((uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3]);
    };
    width = be32(p + 16);
    height = be32(p + 20);
}

void LoadSkinPicture(const char* name, int dpi, TBitmap32& dest)
{
    const TDpiScale scale(dpi);
    if (scale.IsBase()) {
        LoadPngResource(name, dest);
        return;
    }
    int32_t width = 0, height = 0;
    PngResourceSize(name, width, height);
    width = scale(width);
    height = scale(height);
    const int set = SkinScaleFor(dpi);
    std::string setName = name;
    if (set != 100)
        for (int digit = 100; digit; digit /= 10)
            setName += static_cast<char>('0' + set / digit % 10);
    LoadPngResource(setName.c_str(), dest);
    if (dest.Width() == width && dest.Height() == height)
        return;
    TBitmap32 resampled;
    ResampleArea(dest, width, height, resampled);
    dest.Assign(resampled);
}
