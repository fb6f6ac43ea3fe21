#include "dialogs/OptionsPage.h"

void COptionsPage::AttachCheckBoxes(std::initializer_list<CheckBoxItem> boxes) {
    for (const CheckBoxItem& b : boxes) {
        if (!b.box.AttachItem(Hwnd(), b.id)) continue;
        b.box.SetChecked(b.checked);
        AddToolTip(b.id, b.tip);
    }
}
