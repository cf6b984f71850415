#pragma once
// TSetupWizard: the translucent background form. It shows the wallpaper with per-pixel alpha as
// a layered window with a transparent hole, drags itself by its top strip and closes through its
// close cross. It knows nothing of the form in its hole: it tells its owner where the hole is,
// that it was closed and which keys it was given, through the events below.
#include <functional>
#include <memory>

#include "common/Exception.h"
#include "forms/Accessible_win32.h"
#include "forms/Form_win32.h"
#include "skin/Bitmap32.h"
#include "skin/DpiScale.h"

// The window could not be made layered.
class ECEError : public Exception {
public:
    using Exception::Exception;
};

class TSetupWizard : public TForm, private TAccessibleModel {
public:
    // `owner`: the foreground form, whose window owns this one and which frees this form.
    explicit TSetupWizard(TForm* owner);
    ~TSetupWizard() override;

    // The premultiplied wallpaper (dmOpaque, cmMerge); null when the window isn't layered or
    // once the form is closed.
    std::unique_ptr<TBitmap32> Bitmap;
    // Window coordinates, half-open: the drag strip and the close cross.
    TRect DragRect{};
    TRect CloseRect{};

    // The hole in screen coordinates: 285 x 260 at (135, 30) from the window's corner at 96
    // DPI, scaled with the window.
    TRect Hole() const;
    // The pixels per inch the window is laid out and drawn for.
    int Dpi() const { return scale_.Dpi(); }
    // Told the hole after LoadWallpaper has sized the window and after every step of a drag.
    std::function<void(const TRect& hole)> OnHoleMoved;
    // Told once, from FormClose, when this form closes.
    std::function<void()> OnClosed;
    // Keys pressed while this window is active: the wizard's. Returns whether one was taken.
    std::function<bool(const TKeyPress& key)> OnKeyDown;

    // Loads "WALLPAPER" for the window's scale, sizes the window to it, cuts the transparent
    // hole, premultiplies, pushes it to the screen, tells OnHoleMoved and sets DragRect and
    // CloseRect from the width. Not layered: the window is hidden, and OnHoleMoved is told all
    // the same. Raises the loader's and the layered update's errors.
    void LoadWallpaper();
    // The window moved to a display of `dpi` pixels per inch: it takes `suggested` (screen
    // coordinates) as its place, is laid out and drawn again for the new scale, and a drag
    // under way goes on holding the same spot.
    void ChangeDpi(int dpi, const RECT& suggested);
    // Pushes Bitmap to the screen at the window's place. Raises EOSError when the system
    // refuses the DC or the update.
    void UpdateLayered();

    // A press in DragRect starts a drag; a release ends it and closes the form inside
    // CloseRect.
    void MouseDown(int button, int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int button, int x, int y) override;
    bool KeyDown(const TKeyPress& key) override;
    bool Dragging() const { return dragging_; }

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormClose(TCloseAction& action) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // For a screen reader: the window, named by its caption, with the close cross as a button.
    std::wstring AccessibleName() override { return Caption(); }
    long AccessibleRole() override;
    std::vector<TAccessibleItem> AccessibleItems() override;
    void AccessibleAction(int item) override;
    TDpiScale scale_;
    // The wallpaper's size at 100 %, which the figures above are measured against.
    int32_t baseWidth_ = 0;
    BLENDFUNCTION blend_{};
    // Cursor minus the window's corner at the start of the drag.
    POINT dragOffset_{};
    bool dragging_ = false;
    TAccessibleHost accessible_{*this, *this};
};

// Starts drawing the background's wallpaper for `dpi` on a thread of its own, so that it is
// ready when LoadWallpaper first needs it: LoadWallpaper takes it when the window is laid out
// for that scale and the picture is whole, and draws its own otherwise (a failed decode shows
// its error from there, as without the thread). Nothing is started for a `dpi` of 0 or while
// a drawing started before waits to be taken.
void PrefetchWallpaper(int dpi);
// Page 1's normal face of the button `caption`, drawn beside the wallpaper for `dpi` at
// `width` x `height`; null when none was (or it was taken).
std::unique_ptr<TBitmap32> TakePrefetchedFace(const std::wstring& caption, int dpi, int width,
                                              int height);

// The background form while it is open.
extern TSetupWizard* SetupWizard;
