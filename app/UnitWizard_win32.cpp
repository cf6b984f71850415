#include "app/UnitWizard_win32.h"

#include <algorithm>

#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "common/SystemError_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/PngLoader.h"

TSetupWizard* SetupWizard = nullptr;

namespace {
constexpr int kInitialWidth = 402;
constexpr int kInitialHeight = 332;
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
}

TSetupWizard::~TSetupWizard()
{
    delete Bitmap;
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
    Blend.BlendOp = AC_SRC_OVER;
    Blend.BlendFlags = 0;
    Blend.SourceConstantAlpha = 255;
    Blend.AlphaFormat = AC_SRC_ALPHA;
    DC = nullptr;
    const HWND window = Handle();
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    // A previous style of 0 would read as failure too: only the error code tells them apart.
    ::SetLastError(0);
    if (::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED) == 0 &&
        ::GetLastError() != 0)
        throw ECEError(SLayeredNotSupportedA);
    Bitmap = new TBitmap32;
    Bitmap->SetDrawMode(dmOpaque);
    Bitmap->SetCombineMode(cmMerge);
    SetCaption(SBackgroundCaption);
}

void TSetupWizard::LoadWallpaper()
{
    if (Bitmap) {
        LoadPngResource("WALLPAPER", *Bitmap);
        SetBounds(Left(), Top(), Bitmap->Width(), Bitmap->Height());
        Bitmap->FillRectangle(kForegroundOffsetX, kForegroundOffsetY,
                              kForegroundOffsetX + kForegroundWidth,
                              kForegroundOffsetY + kForegroundHeight, 0x00000000);
        Bitmap->PremultiplyAlpha();
        UpdateLayered();
    } else {
        // Not layered: the window could only cover the wizard with an unpainted face.
        Hide();
    }
    if (TSetupWizardH* wizard = SetupWizardH) {
        wizard->SetBounds(Left() + kForegroundOffsetX, Top() + kForegroundOffsetY,
                          kForegroundWidth, kForegroundHeight);
        TBitmap32& surface = wizard->Image->Bitmap();
        surface.Resize(kForegroundWidth, kForegroundHeight);
        surface.FillAll(0xFFFFFFFF);
        wizard->ShowPage(1);
    }
    const int w = Width();
    DragRect = TRect{132, 6, w - 45, 28};
    CloseRect = TRect{w - 45, 15, w - 32, 28};
}

void TSetupWizard::UpdateLayered()
{
    const HWND window = Handle();
    DC = ::GetDC(window);
    if (!DC)
        RaiseLastOSError();
    POINT destination = {Left(), Top()};
    SIZE size = {Width(), Height()};
    POINT source = {0, 0};
    const BOOL ok = ::UpdateLayeredWindow(window, DC, &destination, &size, BitmapDC(*Bitmap),
                                          &source, 0x1FFFFFFF, &Blend, ULW_ALPHA);
    const DWORD error = ::GetLastError();
    ::ReleaseDC(window, DC);
    DC = nullptr;
    if (!ok)
        throw EOSError(error);
}

void TSetupWizard::MouseDown(int, int x, int y)
{
    if (!DragRect.Contains(x, y))
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    DragOffset.x = cursor.x - Left();
    DragOffset.y = cursor.y - Top();
    ::SetCapture(Handle());
    Dragging = true;
}

void TSetupWizard::MouseMove(int, int)
{
    if (!Dragging)
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    SetBounds(cursor.x - DragOffset.x, cursor.y - DragOffset.y, Width(), Height());
    if (TSetupWizardH* wizard = SetupWizardH) {
        wizard->SetLeft(Left() + kForegroundOffsetX);
        wizard->SetTop(Top() + kForegroundOffsetY);
    }
}

void TSetupWizard::MouseUp(int, int x, int y)
{
    ::ReleaseCapture();
    Dragging = false;
    if (CloseRect.Contains(x, y))
        Close();
}

bool TSetupWizard::KeyDown(const TKeyPress& key)
{
    TSetupWizardH* wizard = SetupWizardH;
    return wizard && wizard->KeyDown(key);
}

void TSetupWizard::FormClose(TCloseAction& action)
{
    delete Bitmap;
    Bitmap = nullptr;
    action = caFree;
    SetupWizard = nullptr;
    if (SetupWizardH)
        SetupWizardH->Close();
}
