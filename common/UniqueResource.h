#pragma once
// The one owner template behind every handle and resource owner: moves only, the resource
// closed once, on every path. A traits type says what is owned and how it ends:
//
//     struct Traits {
//         using Type = ...;                   // the value held (a handle, a pointer)
//         static Type Invalid();              // the value that owns nothing
//         static void Close(Type value);      // ends a value other than Invalid()
//     };
//
// Each owner is then a one-line alias (UniqueHandle_win32.h has the Windows ones). Portable: no
// system header.
#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    Type release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid())
    {
        const Type old = std::exchange(value_, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }
    // For APIs that return the value through an out parameter.
    Type* receive()
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};
