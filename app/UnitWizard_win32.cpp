#include "app/UnitWizard_win32.h"

#include <oleacc.h>

#include <algorithm>

#include "app/UnitStrings.h"
#include "common/SystemError_win32.h"
#include "common/UniqueHandle_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/PngLoader.h"

TSetupWizard* SetupWizard = nullptr;

namespace {
constexpr int kInitialWidth = 402;
constexpr int kInitialHeight = 332;
// The wallpaper's transparent hole, in window coordinates: where the foreground form sits.
constexpr TRect kHole{135, 30, 135 + 285, 30 + 260};
}  // namespace

TSetupWizard::TSetupWizard(TForm* owner) : TForm(owner)
{
    // Centred on the desktop for the initial size, never above or left of its corner.
    RECT desktop = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    const int left = desktop.left + std::max(0L, (desktop.right - desktop.left - kInitialWidth) / 2);
    const int top = desktop.top + std::max(0L, (desktop.bottom - desktop.top - kInitialHeight) / 2);
    SetBounds(left, top, kInitialWidth, kInitialHeight);
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
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    // A previous style of 0 would read as failure too: only the error code tells them apart.
    ::SetLastError(0);
    if (::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED) == 0 &&
        ::GetLastError() != 0)
        throw ECEError(SLayeredNotSupportedA);
    Bitmap = std::make_unique<TBitmap32>();
    Bitmap->SetDrawMode(dmOpaque);
    Bitmap->SetCombineMode(cmMerge);
    SetCaption(SBackgroundCaption);
}

TRect TSetupWizard::Hole() const
{
    return TRect{Left() + kHole.Left, Top() + kHole.Top, Left() + kHole.Right,
                 Top() + kHole.Bottom};
}

void TSetupWizard::LoadWallpaper()
{
    if (Bitmap) {
        LoadPngResource("WALLPAPER", *Bitmap);
        SetBounds(Left(), Top(), Bitmap->Width(), Bitmap->Height());
        Bitmap->FillRectangle(kHole.Left, kHole.Top, kHole.Right, kHole.Bottom, 0x00000000);
        Bitmap->PremultiplyAlpha();
        UpdateLayered();
    } else {
        // Not layered: the window could only cover the wizard with an unpainted face.
        Hide();
    }
    if (OnHoleMoved)
        OnHoleMoved(Hole());
    const int w = Width();
    DragRect = TRect{132, 6, w - 45, 28};
    CloseRect = TRect{w - 45, 15, w - 32, 28};
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
    cross.Name = SButtonClose;
    cross.Rect = CloseRect;
    cross.State = STATE_SYSTEM_FOCUSABLE;
    cross.Action = SActionPress;
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
