#include "forms/Panel_win32.h"

#include "common/UniqueHandle_win32.h"

void TPanel::SetColor(COLORREF color)
{
    color_ = color;
    Invalidate();
}

void TPanel::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.ClassName = L"MwPanel";
}

void TPanel::Paint(HDC dc, const RECT& area)
{
    UniqueHbrush brush(::CreateSolidBrush(color_));
    ::FillRect(dc, &area, brush.get());
}
