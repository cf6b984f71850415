#include "common/Resources_win32.h"
#include "skin/PngLoader.h"

void LoadPngResource(const char* name, TBitmap32& dest)
{
    ResourceStream stream(name, "PNG");
    LoadPngResource(stream, dest);
}
