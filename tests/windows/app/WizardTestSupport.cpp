#include "WizardTestSupport.h"

#include <objbase.h>

void WizardTest::SetUp()
{
    static bool initialised = false;
    if (!initialised) {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Application.Initialize();
        Application.SetTitle(L"Marlowind setup");
        initialised = true;
    }
    Application.OnException = [this](const std::exception& e) { errors_.push_back(e.what()); };
    Application.CreateForm(SetupWizardH);
    ASSERT_NE(SetupWizardH, nullptr);
    ASSERT_NE(SetupWizard, nullptr);
    Pump();
}

void WizardTest::TearDown()
{
    if (SetupWizardH)
        SetupWizardH->Close();
    else if (SetupWizard)
        SetupWizard->Close();
    Pump();
    Application.DestroyForms();
    // The main form's close asked the loop to end; no loop runs here, so drop the request.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Application.OnException = nullptr;
}

void WizardTest::Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

void WizardTest::Press(int x, int y, UINT message)
{
    const WPARAM keys = message == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON;
    ::SendMessageW(ImageWindow(), message, keys, MAKELPARAM(x, y));
}

void WizardTest::Release(int x, int y, UINT message)
{
    if (!SetupWizardH)
        return;
    ::SendMessageW(ImageWindow(), message, 0, MAKELPARAM(x, y));
}

void WizardTest::Click(int x, int y, bool right)
{
    Move(x, y);
    Press(x, y, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
    Release(x, y, right ? WM_RBUTTONUP : WM_LBUTTONUP);
    Pump();
}

void WizardTest::Move(int x, int y)
{
    ::SendMessageW(ImageWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

std::vector<TToolbarLayer*> WizardTest::PressedFaces() const
{
    std::vector<TToolbarLayer*> out;
    TLayerCollection& layers = SetupWizardH->Image->Layers();
    for (int i = 0; i < layers.Count(); ++i)
        if (TToolbarLayer* face = AsButtonFace(layers.Item(i)))
            if (face->ButtonRole != 0)
                out.push_back(face);
    return out;
}

void WizardTest::AnnounceDpi(int dpi, int left, int top)
{
    // The system suggests a place and a size; the background keeps the place and takes the
    // size of its picture at the new scale.
    RECT suggested = {left, top, left + 446 * dpi / 96, top + 365 * dpi / 96};
    ::SendMessageW(SetupWizard->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
}
