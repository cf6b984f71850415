#pragma once
// TMemo: a read-only, multi-line Unicode text box (the system's EDIT control, wide) with a
// vertical scroll bar, no border and no inner margins, in a font and text colour of our choice
// on a white background.
#include <string>

#include "common/UniqueHandle_win32.h"
#include "forms/Window_win32.h"

class TMemo : public TWinControl {
public:
    // Text as UTF-16 code units, passed on unchanged (a leading byte-order mark included).
    void SetText(const std::wstring& text);
    std::wstring Text();
    // Font face, size in points at `dpi` pixels per inch (0: the control's screen's) and
    // colour; applied at once.
    void SetFont(const std::string& face, int points, COLORREF color, int dpi = 0);
    // The scroll bar on the left, as a mirrored dialog has it; read when the window is made.
    bool LeftScrollBar = false;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyFont();
    void PaintBuffered();
    std::string face_ = "Tahoma";
    int points_ = 8;
    int dpi_ = 0;
    COLORREF color_ = RGB(0, 0, 0);
    UniqueHfont font_;
    UniqueHbrush background_{::CreateSolidBrush(RGB(255, 255, 255))};
};
