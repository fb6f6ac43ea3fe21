#include "dialogs/LockedControl.h"

#include "targets/MachinePolicy.h"

#include <commctrl.h>

void LockControl(CMyToolTipDialog& owner, HWND control) {
    if (!control) return;
    ::EnableWindow(control, FALSE);
    HWND tooltip = owner.ToolTip();
    HWND parent = ::GetParent(control);
    if (!tooltip || !parent) return;
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = owner.Hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(control);
    ::SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));  // its own tip is out of date
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = parent;
    ::SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));  // locked once already
    ::GetWindowRect(control, &info.rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    info.lpszText = const_cast<char*>(kSetByAdministrator);
    ::SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void LockControls(CMyToolTipDialog& owner, std::initializer_list<int> ids) {
    for (int id : ids) LockControl(owner, owner.Item(id));
}
