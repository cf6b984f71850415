#include "skin/PixelStore.h"

#include <new>

namespace {

class HeapStore : public PixelStore {
public:
    explicit HeapStore(size_t count)
    {
        if (count == 0)
            return;
        memory_.reset(new (std::nothrow) TColor32[count]());
        if (!memory_)
            throw EBitmapError("Can't allocate the DIB handle");
        bits_ = memory_.get();
    }

private:
    std::unique_ptr<TColor32[]> memory_;
};

}  // namespace

std::unique_ptr<PixelStore> NewPixelStore(int32_t width, int32_t height)
{
    const int64_t count = PixelStoreCount(width, height);
    if (count < 0)
        throw EBitmapError("Can't allocate the DIB handle");
    return std::make_unique<HeapStore>(static_cast<size_t>(count));
}
