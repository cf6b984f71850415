#include <cstring>

#include "common/UniqueHandle_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/PixelStore.h"

namespace {

class DibStore : public PixelStore {
public:
    DibStore(int32_t width, int32_t height, size_t count)
    {
        dc_.reset(::CreateCompatibleDC(nullptr));
        if (!dc_)
            throw EBitmapError("Can't create compatible DC");
        if (count == 0)
            return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: top-down, row 0 first in memory
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dib_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dib_ || !bits)
            throw EBitmapError("Can't allocate the DIB handle");
        old_ = ::SelectObject(dc_.get(), dib_.get());
        if (!old_ || old_ == HGDI_ERROR) {
            old_ = nullptr;
            throw EBitmapError("Can't select an object into DC");
        }
        bits_ = static_cast<TColor32*>(bits);
        std::memset(bits_, 0, count * sizeof(TColor32));
    }

    ~DibStore() override
    {
        if (old_)
            ::SelectObject(dc_.get(), old_);
    }

    void Sync() override { ::GdiFlush(); }
    HDC Dc() const { return dc_.get(); }
    HBITMAP Dib() const { return dib_.get(); }

private:
    // Declared in this order so that the DC goes before the bitmap it held.
    UniqueHbitmap dib_;
    UniqueHdc dc_;
    HGDIOBJ old_ = nullptr;
};

DibStore& StoreOf(TBitmap32& bitmap)
{
    // Every TBitmap32 has a store from construction on; in this build it is always a DibStore.
    return *static_cast<DibStore*>(bitmap.Store());
}

}  // namespace

std::unique_ptr<PixelStore> NewPixelStore(int32_t width, int32_t height)
{
    const int64_t count = PixelStoreCount(width, height);
    if (count < 0)
        throw EBitmapError("Can't allocate the DIB handle");
    return std::make_unique<DibStore>(width, height, static_cast<size_t>(count));
}

HDC BitmapDC(TBitmap32& bitmap)
{
    return StoreOf(bitmap).Dc();
}

HBITMAP BitmapHandle(TBitmap32& bitmap)
{
    return StoreOf(bitmap).Dib();
}
