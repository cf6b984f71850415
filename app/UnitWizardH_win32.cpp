#include "app/UnitWizardH_win32.h"

#include <oleacc.h>

#include "app/UnitStrings.h"
#include "app/UnitWizard_win32.h"
#include "common/Texts_win32.h"
#include "install/InstallFiles_win32.h"
#include "install/InstallRecords_win32.h"
#include "install/InstallPaths_win32.h"
#include "install/KnownFolders_win32.h"
#include "skin/Fonts_win32.h"
#include "skin/PngLoader.h"
#include "system/Shutdown_win32.h"

TSetupWizardH* SetupWizardH = nullptr;

TSetupWizardH::TSetupWizardH(TForm* owner)
    : TForm(owner),
      Image(std::make_unique<TImage32Control>()),
      Panel(std::make_unique<TPanel>()),
      Agreement(std::make_unique<TMemo>())
{
    SetBounds(0, 0, 350, 341);
    SetCaption(L"SetupWizardH");
    // The form and its image answer a screen reader with the same object.
    Accessible = &accessible_;
    Image->Accessible = &accessible_;
    StayOnTop = true;
    InitiallyVisible = true;
}

TSetupWizardH::~TSetupWizardH()
{
    // The members go next, each with its window (the background, then the licence box, the
    // panel and the image), before TForm's destructor destroys the form's own.
    if (SetupWizardH == this)
        SetupWizardH = nullptr;
    // The object goes before the windows that hand it out.
    Accessible = nullptr;
    Image->Accessible = nullptr;
    accessible_.Replace();
}

void TSetupWizardH::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ClassName = L"TSetupWizardH";
    params.ExStyle |= WS_EX_TOPMOST;
}

void TSetupWizardH::CreateComponents()
{
    Image->SetParent(this);
    Image->SetBounds(0, 0, ClientWidth(), ClientHeight());
    Image->OnMouseDown = [this](TImage32* s, TMouseButton b, TShiftState sh, int x, int y,
                                TBitmapLayer* l) { ImageMouseDown(s, b, sh, x, y, l); };
    Image->OnMouseMove = [this](TImage32* s, TShiftState sh, int x, int y, TBitmapLayer* l) {
        ImageMouseMove(s, sh, x, y, l);
    };
    Image->OnMouseLeave = [this] { CMMouseLeave(); };
    Image->Show();

    // The panel and the licence box get their windows when page 2 first shows them
    // (CreateLicenceBox): the box's system class loads the common controls library, which
    // the first page has no use for.
    Panel->SetParent(Image.get());
    Panel->SetBounds(112, 13, 185, 41);
    Panel->SetColor(clSilver);

    Agreement->SetParent(Image.get());
    Agreement->SetBounds(16, 24, 193, 193);
}

void TSetupWizardH::CreateLicenceBox()
{
    Agreement->LeftScrollBar = layout_.RightToLeft;
    Panel->Handle();
    // Above the panel, whichever window was made first.
    ::SetWindowPos(Agreement->Handle(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The edit control's own object for screen readers takes its name from the label just
    // above it in the z-order; this one has no size, so nothing shows.
    if (!licenceName_)
        licenceName_ = ::CreateWindowExW(0, L"STATIC", Text(tiLicenceBoxName),
                                         WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0,
                                         Image->Handle(), nullptr, ::GetModuleHandleW(nullptr),
                                         nullptr);
    ::SetWindowPos(licenceName_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TSetupWizardH::FormCreate()
{
    CreateComponents();
    DoubleBuffered = true;
    Panel->DoubleBuffered = true;
    Agreement->DoubleBuffered = true;

    layout_ = LayoutFor(WindowDpi(Handle()), TextsRightToLeft());
    RadioOn = std::make_unique<TBitmap32>();
    RadioOn->SetDrawMode(dmBlend);
    RadioOff = std::make_unique<TBitmap32>();
    RadioOff->SetDrawMode(dmBlend);
    LoadRadios();

    CreateBackground();
    // The wallpaper placed this form in its hole: page 1 on a white surface of the hole's size.
    const TRect hole = background_->Hole();
    TBitmap32& surface = Image->Bitmap();
    surface.Resize(hole.Width(), hole.Height());
    surface.FillAll(0xFFFFFFFF);
    ShowPage(1);
}

void TSetupWizardH::CreateBackground()
{
    background_ = std::make_unique<TSetupWizard>(this);
    SetupWizard = background_.get();
    background_->OnHoleMoved = [this](const TRect& hole) { PlaceInHole(hole); };
    background_->OnClosed = [this] { Close(); };
    background_->OnKeyDown = [this](const TKeyPress& key) { return KeyDown(key); };
    background_->Create();
    background_->Show();
    background_->LoadWallpaper();
}

void TSetupWizardH::LoadRadios()
{
    if (!RadioOn || !RadioOff)
        return;
    LoadSkinPicture(SResourceRadioOn, layout_.Scale.Dpi(), *RadioOn);
    LoadSkinPicture(SResourceRadioOff, layout_.Scale.Dpi(), *RadioOff);
}

void TSetupWizardH::PlaceInHole(const TRect& hole)
{
    SetBounds(hole.Left, hole.Top, hole.Width(), hole.Height());
    // The background moved to a display of another scale: the page follows.
    if (background_ && background_->Dpi() != layout_.Scale.Dpi())
        ChangeDpi(background_->Dpi());
}

void TSetupWizardH::FormClose(TCloseAction& action)
{
    SetupWizardH = nullptr;
    if (background_)
        background_->Close();
    action = caFree;
    RadioOn.reset();
    RadioOff.reset();
}

LRESULT TSetupWizardH::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED && lParam) {
        // In the background's hole once that is laid out for the same scale; until then where
        // the system suggests.
        const int dpi = HIWORD(wParam);
        if (background_ && background_->Dpi() == dpi) {
            PlaceInHole(background_->Hole());
        } else {
            const RECT& r = *reinterpret_cast<const RECT*>(lParam);
            SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        ChangeDpi(dpi);
        return 0;
    }
    if (message == WM_SIZE && Image->HandleAllocated())
        Image->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
    return TForm::WndProc(message, wParam, lParam);
}

std::wstring TSetupWizardH::InstallFolder()
{
    try {
        return ::InstallFolder();
    } catch (const ESpecialFolderError&) {
        return std::wstring();
    }
}

std::wstring TSetupWizardH::ProgramFilesFolder() const
{
    try {
        return ::ProgramFilesFolder();
    } catch (const ESpecialFolderError&) {
        return std::wstring();
    }
}

void TSetupWizardH::InstallFiles()
{
    ::InstallFiles();
}

void TSetupWizardH::WriteUninstallEntry()
{
    ::WriteUninstallEntry();
}

void TSetupWizardH::CloseRunningInstances(const std::wstring& path)
{
    ::CloseRunningInstances(path);
}

void TSetupWizardH::ImageMouseDown(TImage32*, TMouseButton, TShiftState, int x, int y,
                                   TBitmapLayer*)
{
    if (RadioHitRect.Contains(x, y))
        ToggleAgreement();
}

void TSetupWizardH::ToggleAgreement()
{
    if (RadioHitRect.IsEmpty() || !RadioOn || !RadioOff)
        return;
    const TRect& box = layout_.RadioBox;
    Image->Bitmap().FillRectangle(box.Left, box.Top, box.Right, box.Bottom, 0xFFFFFFFF);
    Agreed = !Agreed;
    DrawRadio();
    if (agreementItem_ >= 0)
        accessible_.Notify(EVENT_OBJECT_STATECHANGE, agreementItem_);
}

void TSetupWizardH::DrawRadio()
{
    const TBitmap32* radio = Agreed ? RadioOn.get() : RadioOff.get();
    if (!radio)
        return;
    radio->DrawOnto(Image->Bitmap(), layout_.RadioBox.Left, layout_.RadioBox.Top);
    Image->Invalidate(layout_.RadioBox);
}

void TSetupWizardH::ImageMouseMove(TImage32*, TShiftState, int, int, TBitmapLayer*)
{
    // The restore of the buttons wipes a focus drawn by the keyboard too.
    if (pointer_.ImageMove(*Image))
        focusShown_ = false;
}

void TSetupWizardH::CMMouseLeave()
{
    pointer_.PointerLeft(*Image);
    focusShown_ = false;
}

void TSetupWizardH::ButtonMouseDown(TBitmapLayer* sender, TMouseButton, TShiftState, int, int)
{
    PaintButtonFaces();
    pointer_.ButtonDown(AsButtonFace(sender));
}

void TSetupWizardH::ButtonMouseMove(TBitmapLayer* sender, TShiftState, int, int)
{
    PaintButtonFaces();
    pointer_.ButtonMove(AsButtonFace(sender));
}

void TSetupWizardH::ButtonMouseUp(TBitmapLayer* sender, TMouseButton, TShiftState, int, int)
{
    CarryOut(pointer_.ButtonUp(AsButtonFace(sender)));
}

void TSetupWizardH::CarryOut(int32_t role)
{
    switch (role) {
    case brPage1:
    case brPage2:
    case brPage4:
        ClearPage();
        ShowPage(role);
        break;
    case brPage3IfAgreed:
        if (Agreed) {
            ClearPage();
            ShowPage(3);
        }
        break;
    case brFinish:
        Finish();
        break;
    default:
        break;
    }
}
