#include "forms/Window_win32.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "common/BufferedPaint_win32.h"
#include "common/SystemError_win32.h"
#include "common/UniqueHandle_win32.h"
#include "forms/Accessible_win32.h"
#include "forms/Application_win32.h"

namespace {
void RegisterOnce(const std::wstring& name, HBRUSH background, WNDPROC proc)
{
    // A handful of names: a list, not a tree (whose balancing code would take 2 KiB of the
    // program for nothing).
    static std::vector<std::wstring> registered;
    if (std::find(registered.begin(), registered.end(), name) != registered.end())
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    // No CS_DBLCLKS: two quick clicks stay two presses and two releases.
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        RaiseLastOSError();
    registered.push_back(name);
}
}  // namespace

TWinControl::~TWinControl()
{
    DestroyHandle();
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.ClassName = L"MwWindow";
    params.Caption = caption_;
    params.X = left_;
    params.Y = top_;
    params.Width = width_;
    params.Height = height_;
    if (parent_) {
        params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        params.WndParent = parent_->Handle();
    } else {
        params.Style = WS_POPUP | WS_CLIPCHILDREN;
    }
}

HWND TWinControl::Handle()
{
    if (handle_)
        return handle_;
    TCreateParams params;
    CreateParams(params);
    if (!params.SystemClass)
        RegisterOnce(params.ClassName, params.Background, &TWinControl::StaticWndProc);
    // Visibility is applied after creation, so that a window is never shown half set up.
    const HWND created = ::CreateWindowExW(params.ExStyle, params.ClassName.c_str(),
                                           params.Caption.c_str(), params.Style & ~WS_VISIBLE,
                                           params.X, params.Y, params.Width, params.Height,
                                           params.WndParent, nullptr, ::GetModuleHandleW(nullptr),
                                           this);
    if (!created)
        RaiseLastOSError();
    if (params.SystemClass) {
        handle_ = created;
        ::SetWindowLongPtrW(created, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        classProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StaticWndProc)));
    }
    // A control created later lies above its earlier siblings.
    if (parent_)
        ::SetWindowPos(created, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (visible_)
        ::ShowWindow(created, parent_ ? SW_SHOW : SW_SHOWNOACTIVATE);
    return handle_;
}

void TWinControl::DestroyHandle()
{
    if (handle_)
        ::DestroyWindow(handle_);
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    if (!window || reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) !=
                       &TWinControl::StaticWndProc)
        return nullptr;
    return reinterpret_cast<TWinControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_)
        ::SetWindowPos(handle_, nullptr, left, top, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

int TWinControl::ClientWidth()
{
    RECT r = {};
    ::GetClientRect(Handle(), &r);
    return r.right - r.left;
}

int TWinControl::ClientHeight()
{
    RECT r = {};
    ::GetClientRect(Handle(), &r);
    return r.bottom - r.top;
}

void TWinControl::SetVisible(bool visible)
{
    visible_ = visible;
    if (visible)
        ::ShowWindow(Handle(), parent_ ? SW_SHOW : SW_SHOWNOACTIVATE);
    else if (handle_)
        ::ShowWindow(handle_, SW_HIDE);
}

void TWinControl::SetCaption(const std::wstring& caption)
{
    caption_ = caption;
    if (handle_)
        ::SetWindowTextW(handle_, caption_.c_str());
}

void TWinControl::Invalidate()
{
    if (handle_)
        ::InvalidateRect(handle_, nullptr, FALSE);
}

void TWinControl::Paint(HDC, const RECT&)
{
}

bool TWinControl::KeyDown(const TKeyPress& key)
{
    return parent_ && parent_->KeyDown(key);
}

namespace {
// The character of a key that was taken; it follows its key down message, before the next one.
bool g_dropCharacter = false;
}  // namespace

bool TWinControl::OnKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    g_dropCharacter = false;
    TKeyPress key;
    key.Key = static_cast<WORD>(wParam);
    key.Alt = message == WM_SYSKEYDOWN && (lParam & (1 << 29)) != 0;
    key.Shift = ::GetKeyState(VK_SHIFT) < 0;
    key.Repeat = (lParam & (1 << 30)) != 0;
    // The message loop translated the key before it was dispatched: its character would reach
    // the control (or the system menu) as if the key were not taken. It is not removed from
    // the queue here: under Wine a filtered PeekMessage also takes a pending quit request.
    g_dropCharacter = KeyDown(key);
    return g_dropCharacter;
}

bool TWinControl::DropsCharacter()
{
    const bool drop = g_dropCharacter;
    g_dropCharacter = false;
    return drop;
}

void TWinControl::OnPaint()
{
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(handle_, &ps);
    const RECT& r = ps.rcPaint;
    if (!DoubleBuffered || !PaintBuffered(dc, r, [&](HDC buffer) { Paint(buffer, r); }))
        Paint(dc, r);
    ::EndPaint(handle_, &ps);
}

void TWinControl::OnWindowPosChanged(const WINDOWPOS&)
{
    RECT r = {};
    ::GetWindowRect(handle_, &r);
    if (parent_ && parent_->handle_)
        ::MapWindowPoints(HWND_DESKTOP, parent_->handle_, reinterpret_cast<POINT*>(&r), 2);
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (classProc_)
        return ::CallWindowProcW(classProc_, handle_, message, wParam, lParam);
    return ::DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Accessible && Accessible->Action(message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_GETOBJECT:
        if (Accessible)
            if (const LRESULT answer = Accessible->Answer(wParam, lParam))
                return answer;
        break;
    case WM_DESTROY:
        if (Accessible)
            Accessible->Replace();
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        if (DoubleBuffered)
            return 1;
        break;
    case WM_PRINTCLIENT: {
        RECT client = {};
        ::GetClientRect(handle_, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        break;
    case WM_SHOWWINDOW:
        visible_ = wParam != 0;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (OnKey(message, wParam, lParam))
            return 0;
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
        if (DropsCharacter())
            return 0;
        break;
    case WM_SETCURSOR:
        if (Screen.Cursor() != crDefault) {
            Screen.ApplyCursor();
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        // Colours of a child control are its own business: reflect the question to it.
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            return child->WndProc(message, wParam, lParam);
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam)
{
    TWinControl* self;
    if (message == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TWinControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WndProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        Application.HandleException(e);
    } catch (...) {
        Application.HandleException(Exception("Unknown error"));
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        self->classProc_ = nullptr;
        self->HandleDestroyed();
    }
    return result;
}
