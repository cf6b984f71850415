// The page controller of the foreground form: the four pages, their buttons and the finish.
#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "app/DesktopShell_win32.h"
#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "common/Resources_win32.h"
#include "common/UniqueHandle_win32.h"
#include "forms/Screen_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/ButtonFace.h"

namespace {
constexpr COLORREF kTextColor = RGB(0x55, 0x55, 0x55);
constexpr int kButtonWidth = 78;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 230;

UniqueHfont CalibriFont(HDC dc, int points, bool bold)
{
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, SFontCalibri, LF_FACESIZE);
    return UniqueHfont(::CreateFontIndirectA(&lf));
}

// No key acts while the install runs; what was typed meanwhile is dropped however it ends.
class KeysIgnored {
public:
    KeysIgnored(bool& busy, std::function<void()> drop) : busy_(busy), drop_(std::move(drop))
    {
        busy_ = true;
    }
    ~KeysIgnored()
    {
        drop_();
        busy_ = false;
    }
    KeysIgnored(const KeysIgnored&) = delete;
    KeysIgnored& operator=(const KeysIgnored&) = delete;

private:
    bool& busy_;
    std::function<void()> drop_;
};

// The hourglass for a scope; the default cursor again however the scope ends.
class HourGlass {
public:
    HourGlass() { Screen.SetCursor(crHourGlass); }
    ~HourGlass() { Screen.SetCursor(crDefault); }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
};
}  // namespace

void TSetupWizardH::ClearPage()
{
    Image->Bitmap().FillAll(0xFFFFFFFF);
    TLayerCollection& layers = Image->Layers();
    for (int i = layers.Count() - 1; i >= 0; --i)
        layers.Free(layers.Item(i));
    if (Agreement->Visible())
        Agreement->Hide();
    if (Panel->Visible())
        Panel->Hide();
    RadioHitRect = TRect{};
    page_ = 0;
    Image->Invalidate(TRect{0, 0, Image->Bitmap().Width(), Image->Bitmap().Height()});
}

void TSetupWizardH::ShowPage(int page)
{
    if (page < 1 || page > 4)
        return;
    const int centre = Width() / 2;
    TBitmap32& surface = Image->Bitmap();
    const HDC dc = BitmapDC(surface);
    UniqueHfont titleFont = CalibriFont(dc, 12, true);
    UniqueHfont bodyFont = CalibriFont(dc, page == 2 ? 10 : 11, false);
    SelectScope keepFont(dc, titleFont.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTextColor);
    page_ = page;

    const std::wstring title = SWizardTitle;
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &extent);
    ::TextOutW(dc, centre - extent.cx / 2, 0, title.c_str(), static_cast<int>(title.size()));
    ::SelectObject(dc, bodyFont.get());

    const wchar_t* body = nullptr;
    switch (page) {
    case 1:
        body = SWelcomeText;
        break;
    case 2:
        body = SAgreementText;
        break;
    case 3:
        body = SReadyText;
        break;
    case 4: {
        ::GdiFlush();
        Image->Invalidate(TRect{0, 0, surface.Width(), surface.Height()});
        HourGlass hourGlass;
        KeysIgnored keys(busy_, [this] { DropTypedKeys(); });
        InstallFiles();
        body = SFinishedText;
        break;
    }
    }
    RECT bodyRect = {10, 35, 280, 200};
    ::DrawTextW(dc, body, -1, &bodyRect, DT_WORDBREAK);

    switch (page) {
    case 1:
        AddButton(SButtonNext, 110, kButtonTop, brPage2);
        AddButton(SButtonCancel, 200, kButtonTop, brFinish);
        break;
    case 2: {
        Agreement->SetBounds(10, 70, 270, 123);
        Panel->SetBounds(9, 69, 272, 125);
        Agreement->SetFont(SFontCalibri, 10, kTextColor);
        RadioHitRect = TRect{10, 205, 25, 220};
        const std::wstring label = SAgreeLabel;
        ::TextOutW(dc, 30, 204, label.c_str(), static_cast<int>(label.size()));
        ShowLicence();
        AddButton(SButtonBack, 30, kButtonTop, brPage1);
        AddButton(SButtonNext, 110, kButtonTop, brPage3IfAgreed);
        AddButton(SButtonCancel, 200, kButtonTop, brFinish);
        ::GdiFlush();
        DrawRadio();
        break;
    }
    case 3:
        if (const std::wstring folder = InstallFolder(); !folder.empty())
            CloseRunningInstances(folder + SMessengerExeClosing);
        AddButton(SButtonBack, 30, kButtonTop, brPage2);
        AddButton(SButtonInstall, 110, kButtonTop, brPage4);
        AddButton(SButtonCancel, 200, kButtonTop, brFinish);
        break;
    case 4:
        AddButton(SButtonClose, 200, kButtonTop, brFinish);
        break;
    }
    // Return presses the page's forward button until the focus is moved.
    focus_ = page == 2 || page == 3 ? 1 : 0;
    if (focusShown_)
        DrawFocus(true);
    ::GdiFlush();
    Image->Invalidate(TRect{0, 0, surface.Width(), surface.Height()});
}

void TSetupWizardH::ShowLicence()
{
    ResourceStream licence(SResourceLicense, SResourceTypeTxt);
    // UTF-16LE as stored, the byte-order mark included; an odd last byte is no code unit.
    const size_t units = licence.Size() / 2;
    std::wstring text(units, L'\0');
    if (units)
        licence.Read(&text[0], units * 2);
    Agreement->SetText(text);
    Agreement->Show();
    Panel->Show();
}

void TSetupWizardH::AddButton(const std::wstring& caption, int x, int y, int role)
{
    TToolbarLayer* faces[3] = {};
    const TRect area{x, y, x + kButtonWidth, y + kButtonHeight};
    for (int i = 0; i < 3; ++i) {
        CreateButtonFace(faces[i], true, *Image, nullptr, dmBlend, i == 0 ? 255 : 0, x, y,
                         kButtonWidth, kButtonHeight);
        RenderButtonFace(faces[i]->Bitmap(), &Image->Bitmap(), area, 0, 0, kFaceNormal + i, 3,
                         caption, true);
        faces[i]->KindMark = ButtonFaceMark;
    }
    faces[1]->LowerFace = faces[0];
    faces[2]->LowerFace = faces[1];
    faces[1]->IsHoverFace = true;
    TToolbarLayer* pressed = faces[2];
    pressed->ButtonRole = role;
    pressed->OnMouseDown = [this](TBitmapLayer* s, TMouseButton b, TShiftState sh, int px, int py) {
        ButtonMouseDown(s, b, sh, px, py);
    };
    pressed->OnMouseMove = [this](TBitmapLayer* s, TShiftState sh, int px, int py) {
        ButtonMouseMove(s, sh, px, py);
    };
    pressed->OnMouseUp = [this](TBitmapLayer* s, TMouseButton b, TShiftState sh, int px, int py) {
        ButtonMouseUp(s, b, sh, px, py);
    };
}

std::wstring TSetupWizardH::MessengerToStart(const std::wstring& programFiles)
{
    // Without the program-files folder the path would be "\Marlowind\MarloWind.exe" on the
    // current drive, a folder any user can create there.
    const bool drive = programFiles.size() >= 3 && programFiles[1] == L':' &&
                       (programFiles[2] == L'\\' || programFiles[2] == L'/');
    const bool share = programFiles.compare(0, 2, L"\\\\") == 0;
    if (!drive && !share)
        return std::wstring();
    return programFiles + SInstallSubfolder + SMessengerExeFinish;
}

void TSetupWizardH::Finish()
{
    const std::wstring messenger = MessengerToStart(ProgramFilesFolder());
    // Started by the desktop's shell, the messenger gets the user's rights, not this elevated
    // program's.
    if (!messenger.empty())
        OpenAsDesktopUser(messenger, SShellVerbOpen);
    ::Sleep(1000);
    Close();
}
