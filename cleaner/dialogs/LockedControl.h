#pragma once
// A control the administrator's policy sets: greyed, with the tooltip "Set by your administrator".
#include "skin/MyToolTipDialog.h"

#include <initializer_list>

// Disables `control` and explains it through `owner`'s tooltip control. A disabled window gets no
// mouse messages (its parent does), so the tip is registered on the parent for the control's
// rectangle, under the control's handle as its id.
void LockControl(CMyToolTipDialog& owner, HWND control);
void LockControls(CMyToolTipDialog& owner, std::initializer_list<int> ids);
