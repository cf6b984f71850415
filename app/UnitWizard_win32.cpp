#include "app/UnitWizard_win32.h"

#include <oleacc.h>

#include <algorithm>

#include "app/UnitStrings.h"
#include "common/SystemError_win32.h"
#include "common/Texts_win32.h"
#include "common/UniqueHandle_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/Fonts_win32.h"
#include "skin/ButtonFace.h"
#include "skin/PngLoader.h"

TSetupWizard* SetupWizard = nullptr;

namespace {
constexpr int kInitialWidth = 402;
constexpr int kInitialHeight = 332;
// The wallpaper's transparent hole, in window coordinates: where the foreground form sits.
constexpr TRect kHole{135, 30, 135 + 285, 30 + 260};

// The wallpaper as LoadWallpaper pushes it to the screen (hole cut, premultiplied), drawn on a
// thread of its own while the windows are made. Nothing here is destroyed at exit, when the
// thread may still run.
struct WallpaperPrefetch {
    HANDLE Thread;
    HANDLE WallpaperDone;
    int Dpi;
    uint16_t Language;
    // Set by the thread when the picture is whole; owned by whoever takes it.
    TBitmap32* Picture;
    // Page 1's buttons: their captions, and their normal faces once drawn.
    std::wstring Captions[2];
    TBitmap32* Faces[2];
} prefetch;

void PrepareWallpaper(int dpi, TBitmap32& picture)
{
    LoadSkinPicture("WALLPAPER", dpi, picture);
    const TRect hole = TDpiScale(dpi)(kHole);
    picture.FillRectangle(hole.Left, hole.Top, hole.Right, hole.Bottom, 0x00000000);
    picture.PremultiplyAlpha();
}

DWORD WINAPI PrefetchThread(void*)
{
    try {
        auto picture = std::make_unique<TBitmap32>();
        PrepareWallpaper(prefetch.Dpi, *picture);
        prefetch.Picture = picture.release();
    } catch (...) {
        // LoadWallpaper draws it again and reports the error.
    }
    ::SetEvent(prefetch.WallpaperDone);
    const TDpiScale s(prefetch.Dpi);
    for (int i = 0; i < 2; ++i) {
        try {
            auto face = std::make_unique<TBitmap32>();
            face->SetDrawMode(dmBlend);
            face->Resize(s(78), s(25));
            RenderButtonFace(*face, nullptr, TRect{}, 0, 0, kFaceNormal, 3, prefetch.Captions[i],
                             true, prefetch.Dpi, prefetch.Language);
            prefetch.Faces[i] = face.release();
        } catch (...) {
            // The page draws it itself.
        }
    }
    return 0;
}

// The prefetched picture when it was drawn for `dpi` and is whole; null otherwise, and on
// every later call.
std::unique_ptr<TBitmap32> TakePrefetchedWallpaper(int dpi)
{
    if (!prefetch.WallpaperDone)
        return nullptr;
    ::WaitForSingleObject(prefetch.WallpaperDone, INFINITE);
    ::CloseHandle(prefetch.WallpaperDone);
    prefetch.WallpaperDone = nullptr;
    std::unique_ptr<TBitmap32> picture(prefetch.Picture);
    prefetch.Picture = nullptr;
    return prefetch.Dpi == dpi ? std::move(picture) : nullptr;
}
}  // namespace

std::unique_ptr<TBitmap32> TakePrefetchedFace(const std::wstring& caption, int dpi, int width,
                                              int height)
{
    if (prefetch.Thread) {
        ::WaitForSingleObject(prefetch.Thread, INFINITE);
        ::CloseHandle(prefetch.Thread);
        prefetch.Thread = nullptr;
    }
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<TBitmap32> face(prefetch.Faces[i]);
        if (face && prefetch.Captions[i] == caption && prefetch.Dpi == dpi &&
            face->Width() == width && face->Height() == height) {
            prefetch.Faces[i] = nullptr;
            return face;
        }
        face.release();
    }
    return nullptr;
}

void PrefetchWallpaper(int dpi)
{
    if (dpi <= 0 || prefetch.Thread)
        return;
    prefetch.Dpi = dpi;
    prefetch.Language = TextsLanguage();
    prefetch.Captions[0] = Text(tiButtonNext);
    prefetch.Captions[1] = Text(tiButtonCancel);
    prefetch.WallpaperDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (prefetch.WallpaperDone)
        prefetch.Thread = ::CreateThread(nullptr, 0, &PrefetchThread, nullptr, 0, nullptr);
    if (!prefetch.Thread && prefetch.WallpaperDone) {
        ::CloseHandle(prefetch.WallpaperDone);
        prefetch.WallpaperDone = nullptr;
    }
}

TSetupWizard::TSetupWizard(TForm* owner) : TForm(owner), scale_(WindowDpi(nullptr))
{
    // Centred on the desktop for the initial size, never above or left of its corner.
    RECT desktop = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    const int width = scale_(kInitialWidth);
    const int height = scale_(kInitialHeight);
    const int left = desktop.left + std::max(0L, (desktop.right - desktop.left - width) / 2);
    const int top = desktop.top + std::max(0L, (desktop.bottom - desktop.top - height) / 2);
    // The window is made at the wallpaper's size (read from its header) and keeps that corner:
    // no resize of the window before it first shows. A missing picture is reported when
    // LoadWallpaper loads it.
    int32_t pictureHeight = 0;
    try {
        PngResourceSize("WALLPAPER", baseWidth_, pictureHeight);
    } catch (const std::exception&) {
    }
    SetBounds(left, top, baseWidth_ > 0 ? scale_(baseWidth_) : width,
              pictureHeight > 0 ? scale_(pictureHeight) : height);
    StayOnTop = true;
    Accessible = &accessible_;
}

TSetupWizard::~TSetupWizard()
{
    DestroyHandle();
    if (SetupWizard == this)
        SetupWizard = nullptr;
}

void TSetupWizard::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ClassName = L"TSetupWizard";
    params.ExStyle |= WS_EX_TOPMOST;
}

void TSetupWizard::FormCreate()
{
    blend_.BlendOp = AC_SRC_OVER;
    blend_.BlendFlags = 0;
    blend_.SourceConstantAlpha = 255;
    blend_.AlphaFormat = AC_SRC_ALPHA;
    const HWND window = Handle();
    scale_ = TDpiScale(WindowDpi(window));
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    // A previous style of 0 would read as failure too: only the error code tells them apart.
    ::SetLastError(0);
    if (::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED) == 0 &&
        ::GetLastError() != 0)
        throw ECEError(tiLayeredNotSupported);
    Bitmap = std::make_unique<TBitmap32>();
    Bitmap->SetDrawMode(dmOpaque);
    Bitmap->SetCombineMode(cmMerge);
    SetCaption(Text(tiSetupCaption));
}

TRect TSetupWizard::Hole() const
{
    const TRect hole = scale_(kHole);
    return TRect{Left() + hole.Left, Top() + hole.Top, Left() + hole.Right, Top() + hole.Bottom};
}

void TSetupWizard::LoadWallpaper()
{
    if (Bitmap) {
        if (auto picture = TakePrefetchedWallpaper(scale_.Dpi())) {
            picture->SetDrawMode(dmOpaque);
            picture->SetCombineMode(cmMerge);
            Bitmap = std::move(picture);
        } else {
            PrepareWallpaper(scale_.Dpi(), *Bitmap);
        }
        if (Width() != Bitmap->Width() || Height() != Bitmap->Height())
            SetBounds(Left(), Top(), Bitmap->Width(), Bitmap->Height());
        UpdateLayered();
    } else {
        // Not layered: the window could only cover the wizard with an unpainted face.
        Hide();
        baseWidth_ = kInitialWidth;
    }
    if (OnHoleMoved)
        OnHoleMoved(Hole());
    // Measured from the 100 % width and scaled, as the cross is drawn.
    const int w = baseWidth_;
    DragRect = scale_(TRect{132, 6, w - 45, 28});
    CloseRect = scale_(TRect{w - 45, 15, w - 32, 28});
}

void TSetupWizard::ChangeDpi(int dpi, const RECT& suggested)
{
    const TDpiScale old = scale_;
    scale_ = TDpiScale(dpi);
    if (dragging_) {
        dragOffset_.x = ::MulDiv(dragOffset_.x, scale_.Dpi(), old.Dpi());
        dragOffset_.y = ::MulDiv(dragOffset_.y, scale_.Dpi(), old.Dpi());
    }
    SetBounds(suggested.left, suggested.top, suggested.right - suggested.left,
              suggested.bottom - suggested.top);
    LoadWallpaper();
}

LRESULT TSetupWizard::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED && lParam) {
        ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return TForm::WndProc(message, wParam, lParam);
}

void TSetupWizard::UpdateLayered()
{
    const HWND window = Handle();
    const WindowDc dc(window);
    if (!dc.get())
        RaiseLastOSError();
    POINT destination = {Left(), Top()};
    SIZE size = {Width(), Height()};
    POINT source = {0, 0};
    if (!::UpdateLayeredWindow(window, dc.get(), &destination, &size, BitmapDC(*Bitmap), &source,
                               0x1FFFFFFF, &blend_, ULW_ALPHA))
        RaiseLastOSError();
}

void TSetupWizard::MouseDown(int, int x, int y)
{
    if (!DragRect.Contains(x, y))
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    dragOffset_.x = cursor.x - Left();
    dragOffset_.y = cursor.y - Top();
    ::SetCapture(Handle());
    dragging_ = true;
}

void TSetupWizard::MouseMove(int, int)
{
    if (!dragging_)
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    SetBounds(cursor.x - dragOffset_.x, cursor.y - dragOffset_.y, Width(), Height());
    if (OnHoleMoved)
        OnHoleMoved(Hole());
}

void TSetupWizard::MouseUp(int, int x, int y)
{
    ::ReleaseCapture();
    dragging_ = false;
    if (CloseRect.Contains(x, y))
        Close();
}

bool TSetupWizard::KeyDown(const TKeyPress& key)
{
    return OnKeyDown && OnKeyDown(key);
}

long TSetupWizard::AccessibleRole()
{
    return ROLE_SYSTEM_CLIENT;
}

std::vector<TAccessibleItem> TSetupWizard::AccessibleItems()
{
    TAccessibleItem cross;
    cross.Role = ROLE_SYSTEM_PUSHBUTTON;
    cross.Name = Text(tiButtonClose);
    cross.Rect = CloseRect;
    cross.State = STATE_SYSTEM_FOCUSABLE;
    cross.Action = Text(tiActionPress);
    return {cross};
}

void TSetupWizard::AccessibleAction(int)
{
    // As a release on the cross.
    Close();
}

void TSetupWizard::FormClose(TCloseAction& action)
{
    Bitmap.reset();
    action = caFree;
    SetupWizard = nullptr;
    if (OnClosed)
        OnClosed();
}
