#pragma once
// TApplication: the program's application object. It owns a hidden top-level window that
// carries the taskbar button (titled with the application title), the forms created through
// CreateForm, the message loop and the general error display.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "common/CodePage_win32.h"
#include "forms/Screen_win32.h"

class TForm;

class TApplication {
public:
    ~TApplication();
    // Creates the hidden window. Raises EOSError when the window can't be created.
    void Initialize();
    HWND Handle() const { return handle_; }

    const std::wstring& Title() const { return title_; }
    // The text of the taskbar button and the caption of the error display.
    void SetTitle(const std::wstring& title);

    // Creates a form of type T owned by the application, stores it in `reference` before its
    // FormCreate runs (so the form's own code already finds it there) and makes the first form
    // created this way the main form.
    template <typename T>
    void CreateForm(T*& reference)
    {
        T* form = new T(nullptr);
        reference = form;
        form->Create();
        if (!mainForm_)
            mainForm_ = form;
    }
    TForm* MainForm() const { return mainForm_; }

    // Runs the message loop until Terminate; then frees the forms still open.
    void Run();
    // Ends the message loop (at once if it is not yet running).
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles the messages waiting in the queue and returns.
    void ProcessMessages();

    // The general error handler: OnException when set, otherwise ShowException.
    void HandleException(const std::exception& error);
    std::function<void(const std::exception& error)> OnException;
    // Message box with the error icon and the title as caption: the error's text in the
    // user's language (ErrorMessage), with a full stop at its end (right to left in a language
    // written so).
    void ShowException(const std::exception& error);

    // Every form reports its construction and destruction here.
    void Adopt(TForm* form);
    void FormDestroyed(TForm* form);
    // Frees every form still open.
    void DestroyForms();

private:
    HWND handle_ = nullptr;
    std::wstring title_;
    TForm* mainForm_ = nullptr;
    std::vector<TForm*> forms_;
    bool terminated_ = false;
};

extern TApplication Application;

