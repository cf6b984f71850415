#include "common/ByteSource.h"

#include <cstring>

size_t MemorySource::Read(void* buffer, size_t size)
{
    const size_t left = size_ - position_;
    const size_t n = size < left ? size : left;
    if (n > 0) {
        std::memcpy(buffer, data_ + position_, n);
        position_ += n;
    }
    return n;
}
