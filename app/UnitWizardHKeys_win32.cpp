// The keyboard of the foreground form: keys press the page's buttons as the pointer does.
#include <oleacc.h>

#include "app/UnitWizardH_win32.h"
#include "app/UnitWizard_win32.h"

std::vector<TToolbarLayer*> TSetupWizardH::PageButtons()
{
    std::vector<TToolbarLayer*> out;
    for (const auto& button : buttons_)
        out.push_back(button->Pressed);
    return out;
}

TToolbarLayer* TSetupWizardH::FocusedButton()
{
    const std::vector<TToolbarLayer*> buttons = PageButtons();
    if (buttons.empty())
        return nullptr;
    return buttons[static_cast<size_t>(focus_) < buttons.size() ? focus_ : 0];
}

void TSetupWizardH::DrawFocus(bool shown)
{
    focusShown_ = shown;
    PaintButtonFaces();
    if (TToolbarLayer* button = FocusedButton())
        shown ? ShowHoverFace(button) : ShowNormalFace(button);
}

void TSetupWizardH::MoveFocus(int step)
{
    const int count = static_cast<int>(PageButtons().size());
    if (count == 0)
        return;
    DrawFocus(false);
    focus_ = ((focus_ + step) % count + count) % count;
    DrawFocus(true);
    accessible_.Notify(EVENT_OBJECT_FOCUS, AccessibleFocus());
}

void TSetupWizardH::DropTypedKeys()
{
    // Keys typed while the install blocked the thread wait in the queue; they were meant for
    // a page that is gone and would press the next page's buttons or dismiss an error box.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        // Wine hands out a pending quit request to a filtered peek too: leave it for the loop.
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
}

bool TSetupWizardH::KeyDown(const TKeyPress& key)
{
    // Once finishing, a key still queued must not start the messenger a second time.
    if (busy_ || Releasing())
        return true;
    const bool plain = !key.Alt;
    const bool ours = (plain && (key.Key == VK_RETURN || key.Key == VK_ESCAPE ||
                                 key.Key == VK_LEFT || key.Key == VK_RIGHT ||
                                 key.Key == VK_TAB || key.Key == VK_SPACE)) ||
                      (key.Alt && (key.Key == VK_F4 || key.Key == 'A'));
    if (!ours)
        return false;
    // A held key would run through the pages and into the install on its own.
    if (key.Repeat)
        return true;
    switch (key.Key) {
    case VK_RETURN:
        if (TToolbarLayer* button = FocusedButton())
            CarryOut(pointer_.ButtonUp(button));
        break;
    case VK_ESCAPE:
        for (TToolbarLayer* button : PageButtons())
            if (button->ButtonRole == brFinish) {
                CarryOut(pointer_.ButtonUp(button));
                break;
            }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        // Towards the arrow: right to left the buttons' order runs leftwards.
        MoveFocus((key.Key == VK_RIGHT) != layout_.RightToLeft ? 1 : -1);
        break;
    case VK_TAB:
        MoveFocus(key.Shift ? -1 : 1);
        break;
    case VK_SPACE:
    case 'A':
        ToggleAgreement();
        break;
    case VK_F4:
        // As the cross does: the background first, which closes this form.
        if (background_)
            background_->Close();
        else
            Close();
        break;
    }
    return true;
}
