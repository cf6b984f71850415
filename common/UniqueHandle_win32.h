#pragma once
// Owners for every kind of OS handle: moves only, closed on every path. No raw close call of
// these kinds stands outside them.
#include <windows.h>

#include "common/UniqueResource.h"

// The traits of each Windows owner: the value that owns nothing and the call that closes.
template <typename T, T (*InvalidValue)(), auto CloseCall>
struct WinTraits {
    using Type = T;
    static Type Invalid() { return InvalidValue(); }
    static void Close(Type value) { CloseCall(value); }
};
template <typename T>
constexpr T NullValue() { return T(); }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

using UniqueHandle = UniqueResource<WinTraits<HANDLE, NullValue<HANDLE>, ::CloseHandle>>;
// File and find handles use INVALID_HANDLE_VALUE, not NULL, for "none".
using UniqueFile = UniqueResource<WinTraits<HANDLE, InvalidHandleValue, ::CloseHandle>>;
using UniqueFind = UniqueResource<WinTraits<HANDLE, InvalidHandleValue, ::FindClose>>;
using UniqueHkey = UniqueResource<WinTraits<HKEY, NullValue<HKEY>, ::RegCloseKey>>;
using UniqueHdc = UniqueResource<WinTraits<HDC, NullValue<HDC>, ::DeleteDC>>;
using UniqueHbitmap = UniqueResource<WinTraits<HBITMAP, NullValue<HBITMAP>, ::DeleteObject>>;
using UniqueHfont = UniqueResource<WinTraits<HFONT, NullValue<HFONT>, ::DeleteObject>>;
using UniqueHbrush = UniqueResource<WinTraits<HBRUSH, NullValue<HBRUSH>, ::DeleteObject>>;
using UniqueModule = UniqueResource<WinTraits<HMODULE, NullValue<HMODULE>, ::FreeLibrary>>;
// Memory the system allocated with LocalAlloc for the caller (FormatMessage, CommandLineToArgvW,
// security descriptors).
using UniqueLocal = UniqueResource<WinTraits<HLOCAL, NullValue<HLOCAL>, ::LocalFree>>;

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
