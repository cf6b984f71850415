#pragma once
// TWinControl: one window of ours. The object is stored with its window at WM_NCCREATE and
// every message goes to the virtual WndProc; an exception thrown while a message is handled
// never leaves the window procedure: it goes to the application's error display and the
// message counts as handled.
#include <windows.h>

#include <string>

class TAccessibleHost;

// One key press as the window received it (WM_KEYDOWN or WM_SYSKEYDOWN).
struct TKeyPress {
    WORD Key = 0;         // virtual-key code
    bool Alt = false;     // Alt held (a system key message)
    bool Shift = false;   // Shift held
    bool Repeat = false;  // an auto-repeat of a key already down
};

class TWinControl {
public:
    TWinControl() = default;
    virtual ~TWinControl();  // destroys the window if it still exists
    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;

    // The window, created on first use by CreateParams. Raises EOSError when creation fails.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }

    // Bounds: outer size for top-level windows, relative to the parent's client area for
    // children. Setting them before the window exists only records them.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    int ClientWidth();
    int ClientHeight();

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // Paint through an off-screen buffer, so a repaint never flickers.
    bool DoubleBuffered = false;

    // What the window shows to a screen reader, when it draws its own parts (null: the
    // system's standard objects). Not owned; disconnected when the window is destroyed.
    TAccessibleHost* Accessible = nullptr;

    // The parent control for child windows (null: a top-level window).
    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent) { parent_ = parent; }

    std::wstring Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);

    void Invalidate();
    // A key pressed while this control has the keyboard focus, offered before the window's own
    // handling. Returns true when the key was taken: the window's own handling and the
    // character the key would type are then skipped. By default the parent control is asked, so
    // a form sees the keys of its children first.
    virtual bool KeyDown(const TKeyPress& key);
    // The object of one of our windows, null for any other window.
    static TWinControl* FromHandle(HWND window);

protected:
    struct TCreateParams {
        std::wstring ClassName;  // registered on first use with our window procedure
        std::wstring Caption;
        DWORD Style = 0;
        DWORD ExStyle = 0;
        int X = 0, Y = 0, Width = 0, Height = 0;
        HWND WndParent = nullptr;  // parent of a child, owner of a top-level window
        HBRUSH Background = nullptr;
        // A class of the system (EDIT, ...): not registered by us; the window is subclassed
        // and unhandled messages go to the class's own procedure.
        bool SystemClass = false;
    };
    virtual void CreateParams(TCreateParams& params);
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the part `area` of the client area onto `dc` (the window or its buffer).
    virtual void Paint(HDC dc, const RECT& area);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    void DestroyHandle();
    // Called once the window is gone (WM_NCDESTROY), before the object forgets it.
    virtual void HandleDestroyed() {}

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnWindowPosChanged(const WINDOWPOS& pos);
    bool OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    static bool DropsCharacter();
    HWND handle_ = nullptr;
    WNDPROC classProc_ = nullptr;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = false;
    std::wstring caption_;
};
