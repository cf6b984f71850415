#pragma once
// TForm: a top-level window with a form's lifecycle: two-phase creation (constructor, then
// Create, which makes the window and runs FormCreate), closing through FormClose with a close
// action, and freeing that waits until the message being handled is finished.
#include <windows.h>

#include "forms/Window_win32.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TWinControl {
public:
    // `owner` is the form that owns this one: its window becomes this window's owner, and it
    // frees this form (it holds it in a std::unique_ptr). Null: the application owns the form
    // and frees it.
    explicit TForm(TForm* owner);
    ~TForm() override;

    // Creates the window, runs FormCreate and shows the form when Visible was set. An error in
    // FormCreate goes to the error display and creation goes on.
    void Create();
    TForm* Owner() const { return owner_; }

    // Asks FormClose for the close action (default caHide) and carries it out: caNone keeps the
    // form, caHide hides it, caFree frees it once the current message is handled. Closing the
    // main form ends the application. A form already closed with caFree ignores further closes,
    // and so does a form whose FormClose is running (two forms that close each other in their
    // FormClose close once each).
    void Close();
    // Frees the form once the message being handled is finished. A form with an owner form is
    // hidden and stays closed for good; its owner frees it.
    void Release();
    bool Releasing() const { return releasing_; }

    // Client coordinates of the form's own mouse events.
    virtual void MouseDown(int button, int x, int y) { (void)button, (void)x, (void)y; }
    virtual void MouseMove(int x, int y) { (void)x, (void)y; }
    virtual void MouseUp(int button, int x, int y) { (void)button, (void)x, (void)y; }

    // Set before Create: shown once FormCreate is done.
    bool InitiallyVisible = false;
    // Set before Create: WS_EX_TOPMOST.
    bool StayOnTop = false;

protected:
    virtual void FormCreate() {}
    virtual void FormClose(TCloseAction& action) { (void)action; }
    // Default parameters of a borderless form: a popup owned by the owner form's window, else
    // by the main form's (when that is another form), else by the application's hidden window.
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TForm* owner_;
    bool closing_ = false;
    bool releasing_ = false;
};
