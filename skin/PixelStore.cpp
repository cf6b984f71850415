#include "skin/PixelStore.h"

int64_t PixelStoreCount(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const int64_t count = static_cast<int64_t>(width) * height;
    // A DIB section's size is a 32-bit quantity; the host store keeps the same limit.
    if (count > INT32_MAX / static_cast<int64_t>(sizeof(TColor32)))
        return -1;
    return count;
}
