#pragma once
// TImage32Control: the window that shows a TImage32 (its bitmap and layers). It paints the
// model into a back buffer of its client size and copies the invalid part to the screen, and
// feeds the model the mouse in client coordinates: the mouse is captured from the first press
// until no button is held any more, and leaving the window is reported through OnMouseLeave.
#include <functional>

#include "forms/Window_win32.h"
#include "skin/Bitmap32.h"
#include "skin/Image32.h"

class TImage32Control : public TWinControl, public TImage32 {
public:
    TImage32Control();
    ~TImage32Control() override;
    // The whole window, or one area of the model.
    using TWinControl::Invalidate;
    using TImage32::Invalidate;

    // The pointer left the control (WM_MOUSELEAVE, asked for on every move over it).
    std::function<void()> OnMouseLeave;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    void TrackLeave();
    TBitmap32 buffer_;
    bool tracking_ = false;
};

// Shift state of a mouse message from its key flags (and the Alt key's state).
TShiftState ShiftStateOf(WPARAM keyFlags);
