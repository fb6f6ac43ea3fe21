#include "dialogs/LockedControl.h"

#include "platform/Text.h"
#include "targets/MachinePolicy.h"

#include <commctrl.h>

void LockControl(CMyToolTipDialog& owner, HWND control) {
    if (!control) return;
    ::EnableWindow(control, FALSE);
    HWND tooltip = owner.ToolTip();
    HWND parent = ::GetParent(control);
    if (!tooltip || !parent) return;
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = owner.Hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(control);
    ::SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));  // its own tip is out of date
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = parent;
    ::SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));  // locked once already
    ::GetWindowRect(control, &info.rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    static const std::wstring text = WideFromUtf8(kSetByAdministrator);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void LockControls(CMyToolTipDialog& owner, std::initializer_list<int> ids) {
    for (int id : ids) LockControl(owner, owner.Item(id));
}
