#include "dialogs/CheckTree.h"

#include "dialogs/TargetTreeImages.h"
#include "platform/GdiHandles.h"
#include "platform/Text.h"
#include "targets/MachinePolicy.h"

#include <algorithm>
#include <string>

namespace {
// State images: 1 clear, 2 ticked, 3 clear and fixed, 4 ticked and fixed (TargetTreeImages).
UINT StateOf(HWND tree, HTREEITEM item) {
    return (static_cast<UINT>(::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                             TVIS_STATEIMAGEMASK)) >> 12) & 0xF;
}
}  // namespace

void EnableTreeChecks(HWND tree) {
    ::SetWindowLongPtrW(tree, GWL_STYLE, ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_CHECKBOXES | TVS_INFOTIP);
    // The tree made a list of two boxes for the style and leaves it to its owner; ours has the
    // greyed pair as well and outlives every tree.
    HIMAGELIST ticks = TargetTreeImages::Get().Ticks();
    HIMAGELIST made = TreeView_SetImageList(tree, ticks, TVSIL_STATE);
    if (made && made != ticks) const ImageListHandle released(made);
}

void SetTreeTick(HWND tree, HTREEITEM item, bool ticked, bool locked) {
    const UINT image = (ticked ? 2u : 1u) + (locked ? 2u : 0u);
    TreeView_SetItemState(tree, item, INDEXTOSTATEIMAGEMASK(image), TVIS_STATEIMAGEMASK);
}

bool TreeTicked(HWND tree, HTREEITEM item) {
    const UINT state = StateOf(tree, item);
    return state == 2 || state == 4;
}

bool TreeTickLocked(HWND tree, HTREEITEM item) { return StateOf(tree, item) >= 3; }

int CountTreeChecks(HWND tree) {
    int checked = 0;
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i))
        if (TreeTicked(tree, i)) ++checked;
    return checked;
}

void SetTreeChecks(HWND tree, bool checked) {
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i))
        if (!TreeTickLocked(tree, i)) SetTreeTick(tree, i, checked);
}

LPARAM TreeItemData(HWND tree, HTREEITEM item) {
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    return ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) ? data.lParam : 0;
}

bool AnswerLockedTip(HWND tree, NMTVGETINFOTIPW& tip) {
    if (!tip.hItem || !tip.pszText || tip.cchTextMax <= 0 || !TreeTickLocked(tree, tip.hItem)) return false;
    static const std::wstring text = WideFromUtf8(kSetByAdministrator);
    const size_t n = std::min(text.size(), static_cast<size_t>(tip.cchTextMax - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), tip.pszText);
    tip.pszText[n] = L'\0';
    return true;
}

void CCheckTreeKeys::Toggle(HTREEITEM item) {
    if (item && !TreeTickLocked(Hwnd(), item)) SetTreeTick(Hwnd(), item, !TreeTicked(Hwnd(), item));
    ::PostMessageW(::GetParent(Hwnd()), recount_, 0, 0);
}

LRESULT CCheckTreeKeys::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The control's own Space handling differs between systems (key down, key up or character):
    // all three are taken here so the check box toggles exactly once.
    if (wParam == VK_SPACE && (message == WM_KEYDOWN || message == WM_KEYUP)) {
        if (message == WM_KEYDOWN) Toggle(TreeView_GetSelection(Hwnd()));
        return 0;
    }
    if (message == WM_CHAR && wParam == ' ') return 0;
    // A click on a box: some systems step through every image of the state list, which would
    // give a ticked box the greyed one, so the click is taken here as well.
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        TVHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (TreeView_HitTest(Hwnd(), &hit) && (hit.flags & TVHT_ONITEMSTATEICON)) {
            ::SetFocus(Hwnd());
            TreeView_SelectItem(Hwnd(), hit.hItem);
            Toggle(hit.hItem);
            return 0;
        }
    }
    return Default(message, wParam, lParam);
}
