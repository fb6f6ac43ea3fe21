#pragma once
// Helpers for the target trees with check boxes (Applications and Custom pages): counting and
// setting the check boxes of the top-level items, and a hook that makes Space toggle the selected
// item's check box the same way on every system, then posts `recount` to the tree's parent.
#include "skin/SubclassWnd.h"

#include <commctrl.h>

// Gives the tree its check boxes: set after the control exists and before it holds items, as the
// tree view asks, so that the state of every item inserted afterwards shows.
void EnableTreeChecks(HWND tree);
int CountTreeChecks(HWND tree);
void SetTreeChecks(HWND tree, bool checked);
// The lParam of a tree item; 0 when the item cannot be read.
LPARAM TreeItemData(HWND tree, HTREEITEM item);

class CCheckTreeKeys : public CSubclassWnd {
public:
    explicit CCheckTreeKeys(UINT recount) : recount_(recount) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UINT recount_;
};
