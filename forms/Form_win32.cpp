#include "forms/Form_win32.h"

#include <windowsx.h>

#include "forms/Application_win32.h"
#include "forms/MouseMessage_win32.h"

namespace {
constexpr UINT CM_RELEASE = WM_APP + 0x100;
}  // namespace

TForm::TForm(TForm* owner) : owner_(owner)
{
    if (!owner_)
        Application.Adopt(this);
}

TForm::~TForm()
{
    DestroyHandle();
    Application.FormDestroyed(this);
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.ClassName = L"MwForm";
    params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    TForm* main = Application.MainForm();
    if (owner_)
        params.WndParent = owner_->Handle();
    else if (main && main != this)
        params.WndParent = main->Handle();
    else
        params.WndParent = Application.Handle();
    if (StayOnTop)
        params.ExStyle |= WS_EX_TOPMOST;
}

void TForm::Create()
{
    Handle();
    try {
        FormCreate();
    } catch (const std::exception& e) {
        Application.HandleException(e);
    }
    if (InitiallyVisible && !releasing_ && HandleAllocated())
        Show();
}

void TForm::Close()
{
    if (releasing_ || closing_)
        return;
    TCloseAction action = caHide;
    {
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{closing_};
        closing_ = true;
        FormClose(action);
    }
    if (action == caNone)
        return;
    if (this == Application.MainForm())
        Application.Terminate();
    if (action == caFree)
        Release();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize && HandleAllocated())
        ::ShowWindow(Handle(), SW_MINIMIZE);
}

void TForm::Release()
{
    if (releasing_)
        return;
    releasing_ = true;
    if (owner_) {
        Hide();
        return;
    }
    if (HandleAllocated()) {
        Hide();
        ::PostMessageW(Handle(), CM_RELEASE, 0, 0);
    } else {
        delete this;
    }
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const TMouseButtonMessage mouse = MouseButtonMessage(message);
    if (mouse.Edge == TMouseEdge::Down) {
        MouseDown(mouse.Button, x, y);
        return 0;
    }
    if (mouse.Edge == TMouseEdge::Up) {
        MouseUp(mouse.Button, x, y);
        return 0;
    }
    switch (message) {
    case CM_RELEASE:
        delete this;
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(x, y);
        return 0;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}
