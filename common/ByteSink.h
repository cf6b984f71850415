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

// Takes every byte and keeps none: what a stream is inflated into when only its soundness counts.
class DiscardSink : public ByteSink {
public:
    void Write(const void*, size_t) override {}
};
