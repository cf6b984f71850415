#pragma once
// TSetupWizard: the translucent background form. It shows the wallpaper with per-pixel alpha as
// a layered window, holds the foreground form in the wallpaper's transparent hole at (135, 30),
// drags the pair by its top strip and closes both through its close cross.
#include "common/Exception.h"
#include "forms/Form_win32.h"
#include "skin/Bitmap32.h"

// The window could not be made layered.
class ECEError : public Exception {
public:
    using Exception::Exception;
};

// Where the foreground form sits in the background window, and its size there.
constexpr int kForegroundOffsetX = 135;
constexpr int kForegroundOffsetY = 30;
constexpr int kForegroundWidth = 285;
constexpr int kForegroundHeight = 260;

class TSetupWizard : public TForm {
public:
    // `owner`: the foreground form, whose window owns this one.
    explicit TSetupWizard(TForm* owner);
    ~TSetupWizard() override;

    // The premultiplied wallpaper (dmOpaque, cmMerge); null when the window isn't layered or
    // once the form is closed.
    TBitmap32* Bitmap = nullptr;
    HDC DC = nullptr;  // the window's DC during one layered update
    BLENDFUNCTION Blend{};
    // Window coordinates, half-open: the drag strip and the close cross.
    TRect DragRect{};
    TRect CloseRect{};
    POINT DragOffset{};
    bool Dragging = false;

    // Loads "WALLPAPER", sizes the window to it, cuts the transparent hole, premultiplies,
    // pushes it to the screen, sets the foreground form into the hole with a white surface and
    // page 1, and sets DragRect and CloseRect from the width. Raises the loader's and the
    // layered update's errors.
    void LoadWallpaper();
    // Pushes Bitmap to the screen at the window's place. Raises EOSError when the system
    // refuses the DC or the update.
    void UpdateLayered();

    void MouseDown(int button, int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int button, int x, int y) override;
    // Keys pressed while this window is active are the wizard's: handed to the foreground form.
    bool KeyDown(const TKeyPress& key) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void FormCreate() override;
    void FormClose(TCloseAction& action) override;
};

// The background form while it exists.
extern TSetupWizard* SetupWizard;
