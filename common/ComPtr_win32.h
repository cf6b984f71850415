#pragma once
// Owner of one COM interface pointer: released on every path, moves only.
#include <unknwn.h>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept
    {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    // For APIs that hand the pointer out through a void** or T** parameter.
    T** receive()
    {
        reset();
        return &p_;
    }
    void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

private:
    T* p_ = nullptr;
};
