// The page controller of the foreground form: the four pages, their buttons and the finish.
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>

#include "app/DesktopShell_win32.h"
#include "app/SetupOutcome_win32.h"
#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "app/UnitWizard_win32.h"
#include "common/Resources_win32.h"
#include "common/Texts_win32.h"
#include "common/UniqueHandle_win32.h"
#include "forms/Screen_win32.h"
#include "skin/BitmapDc_win32.h"
#include "skin/ButtonFace.h"
#include "skin/Fonts_win32.h"

namespace {
constexpr COLORREF kTextColor = RGB(0x55, 0x55, 0x55);
// The left that asks for a button centred on the image.
constexpr int kCentred = -1;
constexpr int kTitlePoints = 12;
constexpr int kLicencePoints = 10;

// The pages' face at `points` for the texts' language.
UniqueHfont PageFont(int dpi, int points, bool bold)
{
    return CreatePointFont(SFontCalibri, points, dpi, bold ? fsBold : 0, DEFAULT_QUALITY,
                           TextsLanguage());
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
    buttons_.clear();
    facesPainted_ = 0;
    for (int i = layers.Count() - 1; i >= 0; --i)
        layers.Free(layers.Item(i));
    if (Agreement->Visible())
        Agreement->Hide();
    if (Panel->Visible())
        Panel->Hide();
    RadioHitRect = TRect{};
    page_ = 0;
    // A client still holding the page's object is told it is gone.
    accessible_.Replace();
    drawn_.clear();
    agreementItem_ = -1;
    Image->Invalidate(TRect{0, 0, Image->Bitmap().Width(), Image->Bitmap().Height()});
}

const TSetupWizardH::TPageRow& TSetupWizardH::PageRow(int page)
{
    static const TPageRow rows[4] = {
        {tiWelcomeText, 11, &TPageLayout::Body, nullptr, nullptr, nullptr,
         {{tiButtonNext, 110, brPage2}, {tiButtonCancel, 200, brFinish}}, 2, 0},
        {tiAgreementText, 10, &TPageLayout::AgreementBody, nullptr, &TSetupWizardH::ShowAgreement, &TSetupWizardH::DrawRadio,
         {{tiButtonBack, 30, brPage1}, {tiButtonNext, 110, brPage3IfAgreed},
          {tiButtonCancel, 200, brFinish}},
         3, 1},
        {tiReadyText, 11, &TPageLayout::Body, &TSetupWizardH::CloseMessengerCopies, nullptr, nullptr,
         {{tiButtonBack, 30, brPage2}, {tiButtonInstall, 110, brPage4},
          {tiButtonCancel, 200, brFinish}},
         3, 1},
        {tiFinishedText, 11, &TPageLayout::Body, &TSetupWizardH::RunInstall, nullptr, nullptr,
         {{tiButtonClose, 200, brFinish}}, 1, 0},
    };
    return rows[page - 1];
}

TSetupWizardH::TPageLayout TSetupWizardH::LayoutFor(int dpi, bool rightToLeft)
{
    // Every figure of the pages, as drawn for 96 DPI, scaled here and nowhere else, and
    // mirrored here and nowhere else.
    const TDpiScale s(dpi);
    TPageLayout layout{};
    layout.Scale = s;
    layout.RightToLeft = rightToLeft;
    // The background's hole, 285 wide at (135, 30), its edges scaled.
    layout.PageWidth = s(135 + 285) - s(135);
    layout.ButtonWidth = s(78);
    layout.ButtonHeight = s(25);
    layout.ButtonTop = s(230);
    layout.CentredOffset = s(44);
    layout.TitleTop = s(0);
    layout.Title = TRect{0, layout.TitleTop, layout.PageWidth, s(35)};
    layout.Body = s(TRect{10, 35, 280, 200});
    layout.AgreementBody = s(TRect{10, 35, 280, 69});
    layout.LicenceBox = s(TRect{10, 70, 10 + 270, 70 + 123});
    layout.LicenceFrame = s(TRect{9, 69, 9 + 272, 69 + 125});
    layout.RadioBox = s(TRect{10, 205, 25, 220});
    // Down to the buttons' row: room for two lines of a long label at the floor.
    layout.AgreeLabel = s(TRect{30, 204, 280, 230});
    for (TRect TPageLayout::*r : {&TPageLayout::Body, &TPageLayout::AgreementBody,
                                  &TPageLayout::LicenceBox, &TPageLayout::LicenceFrame,
                                  &TPageLayout::RadioBox, &TPageLayout::AgreeLabel})
        layout.*r = layout.Place(layout.*r);
    return layout;
}

TSetupWizardH::TFittedText TSetupWizardH::FitText(HDC dc, const std::wstring& text,
                                                  const TRect& room, int points, bool bold,
                                                  UINT format, const TPageLayout& layout)
{
    if (layout.RightToLeft)
        format |= (format & DT_CENTER ? 0 : DT_RIGHT) | DT_RTLREADING;
    for (;; --points) {
        TFittedText fitted{PageFont(layout.Scale.Dpi(), points, bold), format, {}};
        SelectScope select(dc, fitted.Font.get());
        RECT r = {room.Left, room.Top, room.Right, room.Bottom};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
        if (r.right > room.Right && !(format & DT_SINGLELINE)) {
            fitted.Format |= DT_EDITCONTROL;
            r = RECT{room.Left, room.Top, room.Right, room.Bottom};
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                        fitted.Format | DT_CALCRECT);
        }
        // The lines measured from the room's left; centred, or right to left ending at its
        // right, where they are drawn.
        const int width = r.right - r.left;
        const int left = format & DT_CENTER ? room.Left + (room.Width() - width) / 2
                         : layout.RightToLeft ? room.Right - width
                                              : r.left;
        fitted.Drawn = TRect{left, r.top, left + width, static_cast<int>(r.bottom)};
        if ((r.right <= room.Right && r.bottom <= room.Bottom) || points <= kFloorPoints)
            return fitted;
    }
}

TRect TSetupWizardH::DrawFitted(HDC dc, const std::wstring& text, const TRect& room, int points,
                                bool bold, UINT format, long role)
{
    const TFittedText fitted = FitText(dc, text, room, points, bold, format, layout_);
    SelectScope keepFont(dc, fitted.Font.get());
    RECT r = {room.Left, room.Top, room.Right, room.Bottom};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, fitted.Format);
    Drawn(role, text, fitted.Drawn);
    return fitted.Drawn;
}

void TSetupWizardH::ChangeDpi(int dpi)
{
    if (TDpiScale(dpi).Dpi() == layout_.Scale.Dpi())
        return;
    layout_ = LayoutFor(dpi, layout_.RightToLeft);
    LoadRadios();
    const int page = page_;
    const bool whole = pageWhole_;
    const int focus = focus_;
    TBitmap32& surface = Image->Bitmap();
    if (surface.Empty())
        return;
    surface.Resize(ClientWidth(), ClientHeight());
    ClearPage();
    if (page < 1 || page > 4)
        return;
    // The page's drawing again, not its entry step: no copies closed, no install run.
    page_ = page;
    DrawTitle();
    if (whole) {
        DrawContent(PageRow(page));
        if (focus < static_cast<int>(buttons_.size()))
            focus_ = focus;
        if (focusShown_)
            DrawFocus(true);
    } else {
        Image->Invalidate(TRect{0, 0, surface.Width(), surface.Height()});
    }
    pageWhole_ = whole;
}

void TSetupWizardH::ShowPage(int page)
{
    if (page < 1 || page > 4)
        return;
    const TPageRow& row = PageRow(page);
    page_ = page;
    pageWhole_ = false;
    DrawTitle();
    if (row.Enter)
        (this->*row.Enter)();
    DrawContent(row);
    pageWhole_ = true;
    // A new page: screen readers read it anew, from the button with the focus.
    accessible_.Notify(EVENT_SYSTEM_DIALOGSTART, -1);
    if (const int focus = AccessibleFocus(); focus >= 0)
        accessible_.Notify(EVENT_OBJECT_FOCUS, focus);
}

void TSetupWizardH::Drawn(long role, const std::wstring& text, const TRect& rect)
{
    TAccessibleItem item;
    item.Role = role;
    item.Name = text;
    item.Rect = rect;
    item.State = STATE_SYSTEM_READONLY;
    drawn_.push_back(item);
}

void TSetupWizardH::DrawTitle()
{
    const HDC dc = BitmapDC(Image->Bitmap());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTextColor);
    // One line, centred on the page.
    DrawFitted(dc, Text(tiWizardTitle), layout_.Title, kTitlePoints, true,
               DT_SINGLELINE | DT_CENTER | DT_NOCLIP, ROLE_SYSTEM_STATICTEXT);
    ::GdiFlush();
}

void TSetupWizardH::DrawContent(const TPageRow& row)
{
    TBitmap32& surface = Image->Bitmap();
    const HDC dc = BitmapDC(surface);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTextColor);
    {
        const std::wstring body = Text(row.Body);
        const TRect& room = layout_.*row.Room;
        const TFittedText fitted =
            FitText(dc, body, room, row.BodyPoints, false, DT_WORDBREAK, layout_);
        SelectScope keepFont(dc, fitted.Font.get());
        RECT bodyRect = {room.Left, room.Top, room.Right, room.Bottom};
        ::DrawTextW(dc, body.c_str(), static_cast<int>(body.size()), &bodyRect, fitted.Format);
        Drawn(ROLE_SYSTEM_STATICTEXT, body, fitted.Drawn);
    }
    if (row.AfterBody)
        (this->*row.AfterBody)();
    for (int i = 0; i < row.ButtonCount; ++i) {
        const int left = row.Buttons[i].Left;
        AddButton(Text(row.Buttons[i].Caption),
                  left == kCentred ? kCentred : layout_.ButtonLeft(left), layout_.ButtonTop,
                  row.Buttons[i].Role);
    }
    if (row.AfterButtons) {
        ::GdiFlush();
        (this->*row.AfterButtons)();
    }
    focus_ = row.ForwardButton;
    if (focusShown_)
        DrawFocus(true);
    ::GdiFlush();
    Image->Invalidate(TRect{0, 0, surface.Width(), surface.Height()});
}

void TSetupWizardH::RunInstall()
{
    // A repaint while the install runs, or while its error is shown, shows the title drawn so
    // far.
    ::GdiFlush();
    TBitmap32& surface = Image->Bitmap();
    Image->Invalidate(TRect{0, 0, surface.Width(), surface.Height()});
    HourGlass hourGlass;
    KeysIgnored keys(busy_, [this] { DropTypedKeys(); });
    InstallFiles();
    ReportInstalled();
}

void TSetupWizardH::ShowAgreement()
{
    const TRect& box = layout_.LicenceBox;
    const TRect& frame = layout_.LicenceFrame;
    CreateLicenceBox();
    Agreement->SetBounds(box.Left, box.Top, box.Width(), box.Height());
    Panel->SetBounds(frame.Left, frame.Top, frame.Width(), frame.Height());
    // The licence is English in every language: it keeps its face and reading order.
    Agreement->SetFont(SFontCalibri, kLicencePoints, kTextColor, layout_.Scale.Dpi());
    RadioHitRect = layout_.RadioBox;
    const HDC dc = BitmapDC(Image->Bitmap());
    const TRect& radio = layout_.RadioBox;
    // For a screen reader the radio and its label are one check box.
    agreementItem_ = static_cast<int>(drawn_.size());
    const TRect label = DrawFitted(dc, Text(tiAgreeLabel), layout_.AgreeLabel, kLicencePoints,
                                   false, DT_WORDBREAK | DT_NOCLIP, ROLE_SYSTEM_CHECKBUTTON);
    drawn_.back().Rect = TRect{std::min(radio.Left, label.Left), std::min(radio.Top, label.Top),
                               std::max(radio.Right, label.Right),
                               std::max(radio.Bottom, label.Bottom)};
    drawn_.back().Shortcut = SAgreeShortcut;
    ShowLicence();
}

void TSetupWizardH::CloseMessengerCopies()
{
    // Without a program-files folder there is no installed copy to close.
    if (const std::wstring folder = InstallFolder(); !folder.empty())
        CloseRunningInstances(folder + SMessengerExeClosing);
}

void TSetupWizardH::ShowLicence()
{
    ResourceStream licence(SResourceLicense, SResourceTypeTxt);
    // UTF-16LE as stored; an odd last byte is no code unit. The byte-order mark marks the
    // file, it is no part of the text a reader reads.
    const size_t units = licence.Size() / 2;
    std::wstring text(units, L'\0');
    if (units)
        licence.Read(&text[0], units * 2);
    if (!text.empty() && text[0] == L'\xFEFF')
        text.erase(0, 1);
    Agreement->SetText(text);
    Agreement->Show();
    Panel->Show();
}

void TSetupWizardH::AddButton(const std::wstring& caption, int x, int y, int role)
{
    if (x == kCentred)
        x = Image->Width() / 2 - layout_.CentredOffset;
    const TRect area{x, y, x + layout_.ButtonWidth, y + layout_.ButtonHeight};
    // A page first shows its buttons' normal faces; the others are painted when first needed
    // (PaintButtonFaces).
    auto paint = [this, &caption, &area](TBitmap32& face, int faceNumber) {
        if (faceNumber != kFaceNormal)
            return;
        if (const auto drawn =
                TakePrefetchedFace(caption, layout_.Scale.Dpi(), face.Width(), face.Height()))
            std::copy(drawn->Bits(), drawn->Bits() + size_t(face.Width()) * face.Height(),
                      face.Bits());
        else
            PaintButtonFace(face, faceNumber, caption, area);
    };
    buttons_.push_back(std::make_unique<TImageButton>(*Image, caption, area, role, paint));
    TToolbarLayer* pressed = buttons_.back()->Pressed;
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

void TSetupWizardH::PaintButtonFace(TBitmap32& face, int faceNumber, const std::wstring& caption,
                                    const TRect& area)
{
    RenderButtonFace(face, &Image->Bitmap(), area, 0, 0, faceNumber, 3, caption, true,
                     layout_.Scale.Dpi(), TextsLanguage());
}

void TSetupWizardH::PaintButtonFaces()
{
    for (; facesPainted_ < buttons_.size(); ++facesPainted_) {
        const TImageButton& button = *buttons_[facesPainted_];
        PaintButtonFace(button.Hover->Bitmap(), kFaceHover, button.Caption(), button.Rect());
        PaintButtonFace(button.Pressed->Bitmap(), kFacePressed, button.Caption(), button.Rect());
    }
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
