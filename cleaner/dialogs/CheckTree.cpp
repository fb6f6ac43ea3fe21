#include "dialogs/CheckTree.h"

void EnableTreeChecks(HWND tree) {
    ::SetWindowLongPtrA(tree, GWL_STYLE, ::GetWindowLongPtrA(tree, GWL_STYLE) | TVS_CHECKBOXES);
}

int CountTreeChecks(HWND tree) {
    int checked = 0;
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i))
        if (TreeView_GetCheckState(tree, i) == 1) ++checked;
    return checked;
}

void SetTreeChecks(HWND tree, bool checked) {
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i))
        TreeView_SetCheckState(tree, i, checked);
}

LPARAM TreeItemData(HWND tree, HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    return ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) ? data.lParam : 0;
}

LRESULT CCheckTreeKeys::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The control's own Space handling differs between systems (key down, key up or character):
    // all three are taken here so the check box toggles exactly once.
    if (wParam == VK_SPACE && (message == WM_KEYDOWN || message == WM_KEYUP)) {
        if (message == WM_KEYDOWN) {
            HTREEITEM item = TreeView_GetSelection(Hwnd());
            if (item) TreeView_SetCheckState(Hwnd(), item, TreeView_GetCheckState(Hwnd(), item) != 1);
            ::PostMessageA(::GetParent(Hwnd()), recount_, 0, 0);
        }
        return 0;
    }
    if (message == WM_CHAR && wParam == ' ') return 0;
    return Default(message, wParam, lParam);
}
