#pragma once
// A writable stream of bytes: where the inflater puts what it produces.
#include <cstddef>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all `size` bytes of `data` or raises Exception ("Stream write error" for a
    // medium that takes fewer).
    virtual void Write(const void* data, size_t size) = 0;
};
