#pragma once
// Shared by the wizard tests: the pair of forms created as the program creates them, errors
// caught instead of shown, and mouse input sent to the real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/UnitWizardH_win32.h"
#include "app/UnitWizard_win32.h"
#include "forms/Application_win32.h"

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Mouse messages to the page's image window, in its client coordinates.
    void Press(int x, int y, UINT message = WM_LBUTTONDOWN);
    void Release(int x, int y, UINT message = WM_LBUTTONUP);
    void Click(int x, int y, bool right = false);
    void Move(int x, int y);
    // A click in the middle of the button at x (30, 110 or 200).
    void ClickButton(int x, bool right = false) { Click(x + 39, 242, right); }
    // Handles waiting messages (deferred frees among them).
    static void Pump();
    // WM_DPICHANGED to the background, as the system sends it when the pair is moved to a
    // display of that scale, with the background's corner suggested at (left, top).
    static void AnnounceDpi(int dpi, int left, int top);

    // The pressed faces of the buttons on the page, bottom to top.
    std::vector<TToolbarLayer*> PressedFaces() const;
    HWND ImageWindow() const { return SetupWizardH->Image->Handle(); }
    TColor32 PagePixel(int x, int y) const { return SetupWizardH->Image->Bitmap().Pixel(x, y) | 0xFF000000; }

    std::vector<std::string> errors_;
};
