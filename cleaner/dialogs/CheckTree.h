#pragma once
// Helpers for the target trees with check boxes (Applications and Custom pages): ticks that the
// administrator's policy may fix (greyed, with the tooltip "Set by your administrator"), counting
// and setting the ticks of the top-level items, and a hook that toggles a tick the same way on
// every system, by Space or a click on its box, leaving fixed ticks alone, and then posts
// `recount` to the tree's parent.
#include "skin/SubclassWnd.h"

#include <commctrl.h>

// Gives the tree its check boxes, with the greyed boxes of fixed ticks, and its info tips: set
// after the control exists and before it holds items, as the tree view asks, so that the state of
// every item inserted afterwards shows.
void EnableTreeChecks(HWND tree);
// An item's tick; `locked` shows it greyed and keeps it from being changed here.
void SetTreeTick(HWND tree, HTREEITEM item, bool ticked, bool locked = false);
[[nodiscard]] bool TreeTicked(HWND tree, HTREEITEM item);
[[nodiscard]] bool TreeTickLocked(HWND tree, HTREEITEM item);
int CountTreeChecks(HWND tree);
// Ticks or clears every top-level item whose tick is not fixed.
void SetTreeChecks(HWND tree, bool checked);
// The lParam of a tree item; 0 when the item cannot be read.
LPARAM TreeItemData(HWND tree, HTREEITEM item);
// Answers the tree's info-tip request for an item whose tick is fixed ("Set by your
// administrator"); false, and nothing written, for any other item.
bool AnswerLockedTip(HWND tree, NMTVGETINFOTIPW& tip);

class CCheckTreeKeys : public CSubclassWnd {
public:
    explicit CCheckTreeKeys(UINT recount) : recount_(recount) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Toggle(HTREEITEM item);
    UINT recount_;
};
