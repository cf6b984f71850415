#pragma once
// Owners for every kind of OS handle: moves only, closed on every path.
#include <windows.h>

#include <utility>

template <typename T, typename Closer, T Invalid = T()>
class UniqueHandleT {
public:
    UniqueHandleT() = default;
    explicit UniqueHandleT(T value) : value_(value) {}
    ~UniqueHandleT() { reset(); }
    UniqueHandleT(const UniqueHandleT&) = delete;
    UniqueHandleT& operator=(const UniqueHandleT&) = delete;
    UniqueHandleT(UniqueHandleT&& other) noexcept : value_(other.release()) {}
    UniqueHandleT& operator=(UniqueHandleT&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    T release()
    {
        T v = value_;
        value_ = Invalid;
        return v;
    }
    void reset(T value = Invalid)
    {
        if (value_ != Invalid)
            Closer()(value_);
        value_ = value;
    }
    // For APIs that return the handle through an out parameter.
    T* receive()
    {
        reset();
        return &value_;
    }

private:
    T value_ = Invalid;
};

struct HandleCloser { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct HkeyCloser { void operator()(HKEY k) const { ::RegCloseKey(k); } };
struct DcDeleter { void operator()(HDC dc) const { ::DeleteDC(dc); } };
struct GdiObjectDeleter { void operator()(HGDIOBJ o) const { ::DeleteObject(o); } };
struct ModuleFreer { void operator()(HMODULE m) const { ::FreeLibrary(m); } };
struct LocalFreer { void operator()(HLOCAL m) const { ::LocalFree(m); } };

using UniqueHandle = UniqueHandleT<HANDLE, HandleCloser>;
// File handles use INVALID_HANDLE_VALUE, not NULL, for "none".
class UniqueFile {
public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE h) : h_(h) {}
    ~UniqueFile() { reset(); }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    UniqueFile(UniqueFile&& o) noexcept : h_(o.release()) {}
    UniqueFile& operator=(UniqueFile&& o) noexcept
    {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE release()
    {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }
    void reset(HANDLE h = INVALID_HANDLE_VALUE)
    {
        if (h_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};
using UniqueHkey = UniqueHandleT<HKEY, HkeyCloser>;
using UniqueHdc = UniqueHandleT<HDC, DcDeleter>;
using UniqueHbitmap = UniqueHandleT<HBITMAP, GdiObjectDeleter>;
using UniqueHfont = UniqueHandleT<HFONT, GdiObjectDeleter>;
using UniqueHbrush = UniqueHandleT<HBRUSH, GdiObjectDeleter>;
using UniqueModule = UniqueHandleT<HMODULE, ModuleFreer>;
// Memory the system allocated with LocalAlloc for the caller.
using UniqueLocal = UniqueHandleT<HLOCAL, LocalFreer>;

// A DC obtained with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC for the scope and puts the replaced one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~SelectScope()
    {
        if (old_ && old_ != HGDI_ERROR)
            ::SelectObject(dc_, old_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    bool ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};
