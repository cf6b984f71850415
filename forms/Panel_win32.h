#pragma once
// TPanel: a plain rectangle of one colour (no bevels), the background of controls laid on it.
#include "forms/Window_win32.h"

constexpr COLORREF clSilver = RGB(192, 192, 192);

class TPanel : public TWinControl {
public:
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint(HDC dc, const RECT& area) override;

private:
    COLORREF color_ = RGB(240, 240, 240);
};
