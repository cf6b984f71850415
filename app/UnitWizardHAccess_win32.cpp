// The foreground form as a screen reader reads and operates it: the page's texts, the
// agreement and the buttons as parts of the image's client object, pressed through the same
// role dispatch as a click.
#include <oleacc.h>

#include "app/UnitStrings.h"
#include "app/UnitWizardH_win32.h"
#include "common/Texts_win32.h"

std::wstring TSetupWizardH::AccessibleName()
{
    return Text(tiWizardTitle);
}

long TSetupWizardH::AccessibleRole()
{
    return ROLE_SYSTEM_DIALOG;
}

std::vector<TAccessibleItem> TSetupWizardH::AccessibleItems()
{
    std::vector<TAccessibleItem> items = drawn_;
    if (agreementItem_ >= 0) {
        TAccessibleItem& agreement = items[static_cast<size_t>(agreementItem_)];
        agreement.State = Agreed ? STATE_SYSTEM_CHECKED : 0;
        agreement.Action = Text(Agreed ? tiActionUncheck : tiActionCheck);
    }
    for (size_t i = 0; i < buttons_.size(); ++i) {
        TAccessibleItem button;
        button.Role = ROLE_SYSTEM_PUSHBUTTON;
        button.Name = buttons_[i]->Caption();
        button.Rect = buttons_[i]->Rect();
        button.State = STATE_SYSTEM_FOCUSABLE |
                       (static_cast<int>(i) == focus_ ? STATE_SYSTEM_FOCUSED : 0);
        button.Action = Text(tiActionPress);
        items.push_back(button);
    }
    return items;
}

int TSetupWizardH::AccessibleFocus()
{
    return buttons_.empty() ? -1 : static_cast<int>(drawn_.size()) + focus_;
}

void TSetupWizardH::AccessibleAction(int item)
{
    // As a key would: nothing while the install runs or once the wizard is finishing.
    if (busy_ || Releasing())
        return;
    if (item == agreementItem_) {
        ToggleAgreement();
        return;
    }
    const size_t button = static_cast<size_t>(item) - drawn_.size();
    if (item >= static_cast<int>(drawn_.size()) && button < buttons_.size())
        CarryOut(pointer_.ButtonUp(buttons_[button]->Pressed));
}
