#pragma once
// A readable, rewindable stream of bytes: what the PNG decoder and the inflater read from.
// Implementations: MemorySource here (over bytes someone else owns), ResourceStream
// (a resource of the program's image) and file sources on Windows.
#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to `size` bytes into `buffer`; returns how many, 0 only at the end.
    // Raises Exception when the underlying medium fails.
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Moves the read position back to the first byte.
    virtual void SeekToStart() = 0;
    // The bytes not yet read, when they lie whole in memory that outlives the source (their
    // count in `size`); null when they don't.
    virtual const uint8_t* Unread(size_t& size)
    {
        size = 0;
        return nullptr;
    }
};

// Reads a block of memory that outlives the source.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    size_t Read(void* buffer, size_t size) override;
    void SeekToStart() override { position_ = 0; }
    const uint8_t* Unread(size_t& size) override
    {
        size = size_ - position_;
        return data_ + position_;
    }
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    size_t Position() const { return position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};
