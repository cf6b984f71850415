#pragma once
// TSetupWizardH: the foreground wizard form, the application's main form. Its whole face is one
// image control on which the page controller draws the four pages; it creates the layered
// background form that frames it and lives and dies together with it.
#include <memory>
#include <string>
#include <vector>

#include "common/TextIds.h"
#include "common/UniqueHandle_win32.h"
#include "forms/Accessible_win32.h"
#include "forms/Form_win32.h"
#include "forms/ImageControl_win32.h"
#include "forms/Memo_win32.h"
#include "forms/Panel_win32.h"
#include "skin/Bitmap32.h"
#include "skin/DpiScale.h"
#include "skin/ToolbarLayer.h"

class TSetupWizard;

// Roles a button carries, dispatched on its release.
enum : int32_t {
    brPage1 = 1,
    brPage2 = 2,
    brPage3IfAgreed = 3,
    brPage4 = 4,
    brFinish = 10,
};

class TSetupWizardH : public TForm, private TAccessibleModel {
public:
    explicit TSetupWizardH(TForm* owner);
    ~TSetupWizardH() override;

    // Components, for the form's life; the image fills the form, the panel and the licence box
    // lie on the image.
    const std::unique_ptr<TImage32Control> Image;
    const std::unique_ptr<TPanel> Panel;
    const std::unique_ptr<TMemo> Agreement;

    // The 13 x 13 radio images of page 2, blend draw mode; null once the form is closed.
    std::unique_ptr<TBitmap32> RadioOn;
    std::unique_ptr<TBitmap32> RadioOff;
    // The licence agreement; page 2's Next works only when it is true. Kept across pages.
    bool Agreed = false;
    // Where a press toggles Agreed: the layout's RadioBox while page 2 shows, empty otherwise.
    TRect RadioHitRect{};

    // The pages' fixed figures at one display scale; at 96 DPI those drawn for 100 %. Fonts
    // keep their point sizes and are made for the scale's resolution. Right to left, every
    // rectangle and button is mirrored across the page, as a mirrored dialog lays out.
    struct TPageLayout {
        TDpiScale Scale;
        bool RightToLeft;
        // The page's width: the background's hole at this scale.
        int PageWidth;
        int ButtonWidth, ButtonHeight, ButtonTop;
        // A button asked to be centred starts this far left of the image's centre.
        int CentredOffset;
        int TitleTop;
        // The title's room (the page's width, down to the body); the body's room, page 2's
        // ending at the licence box's frame.
        TRect Title, Body, AgreementBody;
        // Page 2: the licence box, the silver panel one pixel around it as its frame, the
        // radio and the room of its label (whose first line starts at the room's top-left,
        // right to left at its top-right).
        TRect LicenceBox, LicenceFrame, RadioBox, AgreeLabel;
        // `r` (already at this scale) mirrored across the page when right to left.
        TRect Place(const TRect& r) const
        {
            return RightToLeft ? TRect{PageWidth - r.Right, r.Top, PageWidth - r.Left, r.Bottom} : r;
        }
        // The left edge of a button whose left is `left` at 96 DPI, left to right.
        int ButtonLeft(int left) const
        {
            return RightToLeft ? PageWidth - Scale(left) - ButtonWidth : Scale(left);
        }
    };
    static TPageLayout LayoutFor(int dpi, bool rightToLeft = false);
    // The smallest size, in points, a page's text steps down to where it does not fit its room.
    static constexpr int kFloorPoints = 8;
    // A page's text fitted to its room: the font, the DrawTextW format and where its lines
    // fall (client coordinates).
    struct TFittedText {
        UniqueHfont Font;
        UINT Format;
        TRect Drawn;
    };
    // `text` in the pages' face for the texts' language at the largest size from `points` down
    // to kFloorPoints whose lines fit `room` with `format` (DT_WORDBREAK for several lines,
    // DT_SINGLELINE for one, DT_CENTER centred): where a line would still be wider than the
    // room, a word too long for it is broken between letters (DT_EDITCONTROL). Right to left,
    // the lines read right to left and, unless centred, are right-aligned. At the floor the
    // text is taken as it falls.
    static TFittedText FitText(HDC dc, const std::wstring& text, const TRect& room, int points,
                               bool bold, UINT format, const TPageLayout& layout);
    const TPageLayout& Layout() const { return layout_; }
    // Lays the pages out for a display of `dpi` pixels per inch and draws the page shown again
    // at that scale, without its entry steps (no instances closed, no install run); a page an
    // error cut short shows its title only.
    void ChangeDpi(int dpi);
    // The last pointer movement went to the image itself rather than to a button.
    bool PointerOnBareImage() const { return pointer_.PointerOnBareImage; }
    // The page shown (1 to 4), 0 before the first and after a cleared page.
    int Page() const { return page_; }

    // Page controller. ShowPage draws page 1 to 4 onto the surface ClearPage left (any other
    // number draws nothing). Raises what the page's work raises (page 4: the install's errors);
    // the page is then left as far as it got.
    void ShowPage(int page);
    // White surface, no button layers, licence box hidden, RadioHitRect empty.
    void ClearPage();
    // One three-face button 78 x 25 at (x, y) carrying `role`; x = -1 centres it on the image:
    // x := image width / 2 - 44 (the division rounding toward zero).
    void AddButton(const std::wstring& caption, int x, int y, int role);
    // Opens the installed messenger through the desktop shell (result ignored; nothing is
    // started when the program-files folder is unknown), waits one second, closes the wizard.
    void Finish();
    // The messenger that Finish starts for the program-files folder `programFiles`: empty when
    // that is not an absolute path (unknown).
    static std::wstring MessengerToStart(const std::wstring& programFiles);

    // Pointer handlers.
    void ImageMouseDown(TImage32* sender, TMouseButton button, TShiftState shift, int x, int y,
                        TBitmapLayer* layer);
    void ImageMouseMove(TImage32* sender, TShiftState shift, int x, int y, TBitmapLayer* layer);
    void ButtonMouseDown(TBitmapLayer* sender, TMouseButton button, TShiftState shift, int x, int y);
    void ButtonMouseMove(TBitmapLayer* sender, TShiftState shift, int x, int y);
    void ButtonMouseUp(TBitmapLayer* sender, TMouseButton button, TShiftState shift, int x, int y);
    void CMMouseLeave();

    // Keyboard. Keys act through the page's buttons as a release on them would: Return presses
    // the focused button (the page's forward button until the focus is moved), Escape the
    // button that finishes (Cancel, Close), Left/Right and Tab/Shift+Tab move the focus among
    // the buttons (shown as the hover face), Space and Alt+A toggle the agreement on page 2,
    // Alt+F4 closes both windows as the background's close cross does. Auto-repeats and every
    // key while the install runs are taken and do nothing. Returns whether the key was taken.
    bool KeyDown(const TKeyPress& key) override;
    // The focused button's pressed face (null when the page has no buttons), and whether the
    // focus is drawn.
    TToolbarLayer* FocusedButton();
    bool FocusShown() const { return focusShown_; }

    // The engine's steps, on behalf of the page controller.
    void InstallFiles();
    void WriteUninstallEntry();
    void CloseRunningInstances(const std::wstring& path);
    // The engine's install folder (InstallPaths_win32.h), or empty when the system has no
    // program-files folder: nothing can be installed there, so nothing is closed or started,
    // and the install itself reports the missing folder.
    static std::wstring InstallFolder();
    // The engine's program-files folder; empty when there is none.
    std::wstring ProgramFilesFolder() const;

    // The page as a screen reader reads it (through the image's client object): the title,
    // the body, page 2's agreement as a check box, then the buttons in keyboard order.
    std::vector<TAccessibleItem> AccessibleItems() override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Components, radio images, then the background form, its wallpaper and page 1.
    void FormCreate() override;
    // Closes the background form too (it closes this one when it goes first) and drops the
    // radio images; the form is freed, the background with it.
    void FormClose(TCloseAction& action) override;

private:
    std::wstring AccessibleName() override;
    long AccessibleRole() override;
    bool AccessibleMirrored() override { return layout_.RightToLeft; }
    int AccessibleFocus() override;
    void AccessibleAction(int item) override;
    void CreateComponents();
    void CreateBackground();
    // The radio pictures for the layout's scale.
    void LoadRadios();
    // Into the background's hole (screen coordinates), at its size.
    void PlaceInHole(const TRect& hole);
    // One page as data: ShowPage draws the title, then runs the page's Enter step (its work,
    // apart from its drawing), then draws Body in BodyPoints, runs AfterBody, adds the buttons
    // in order and runs AfterButtons (null steps are skipped).
    struct TButtonRow {
        TextId Caption;
        int Left;
        int32_t Role;
    };
    struct TPageRow {
        TextId Body;
        int BodyPoints;
        // The body's room in the layout.
        TRect TPageLayout::*Room;
        void (TSetupWizardH::*Enter)();
        void (TSetupWizardH::*AfterBody)();
        void (TSetupWizardH::*AfterButtons)();
        TButtonRow Buttons[3];
        int ButtonCount;
        // The button Return presses until the focus is moved.
        int ForwardButton;
    };
    static const TPageRow& PageRow(int page);
    void DrawTitle();
    void DrawContent(const TPageRow& row);
    // Records a text drawn on the page as a part a screen reader reads.
    void Drawn(long role, const std::wstring& text, const TRect& rect);
    // Draws `text` fitted to `room` (FitText, `format`) and records it as read as `role`;
    // returns where its lines fell.
    TRect DrawFitted(HDC dc, const std::wstring& text, const TRect& room, int points, bool bold,
                     UINT format, long role);
    // The pages' own steps.
    void RunInstall();
    void ShowAgreement();
    void CreateLicenceBox();
    void CloseMessengerCopies();
    void ShowLicence();
    void DrawRadio();
    // One face of a button of the page, at the layout's scale.
    void PaintButtonFace(TBitmap32& face, int faceNumber, const std::wstring& caption,
                         const TRect& area);
    // The hover and pressed faces of the page's buttons that have none yet: called before a
    // face other than the normal one can show (a press, a move over a button, the focus).
    void PaintButtonFaces();
    void ToggleAgreement();
    void CarryOut(int32_t role);
    // The pressed faces of the page's buttons, in the order they were added.
    std::vector<TToolbarLayer*> PageButtons();
    void MoveFocus(int step);
    void DrawFocus(bool shown);
    void DropTypedKeys();
    TPageLayout layout_ = LayoutFor(kBaseDpi);
    // ShowPage got to its end; false while it runs and after an error cut it short.
    bool pageWhole_ = false;
    ButtonPointerTracker pointer_;
    // The page's buttons in the order they were added (the keyboard's order).
    std::vector<std::unique_ptr<TImageButton>> buttons_;
    // How many of buttons_, from the first, have all their faces painted.
    size_t facesPainted_ = 0;
    // The texts drawn on the page so far (title, body, the agreement's label), as a screen
    // reader reads them, in the order they were drawn.
    std::vector<TAccessibleItem> drawn_;
    // Index into drawn_ of the agreement, -1 when the page has none.
    int agreementItem_ = -1;
    // The image's client object for screen readers; replaced on each page.
    TAccessibleHost accessible_{*this, *Image};
    int page_ = 0;
    // Index into PageButtons of the focused button.
    int focus_ = 0;
    bool focusShown_ = false;
    // The install is running: no key acts.
    bool busy_ = false;
    // The licence box's name for screen readers: a label window of no size just above the box,
    // where the system's object for an edit control looks for its name.
    HWND licenceName_ = nullptr;
    // Declared last, so that it goes first: its window is owned by this form's.
    std::unique_ptr<TSetupWizard> background_;
};

// The foreground form while it is open.
extern TSetupWizardH* SetupWizardH;
