#pragma once
// The Applications page (template 149): the targets of the Applications category in a tree with
// check boxes (1086), one item per target, and "Show description as tooltip" (1052), which shows
// a target's description as a balloon while the mouse rests on its item.
#include "dialogs/DlgTargetRoot.h"
#include "skin/MyButton.h"
#include "dialogs/CheckTree.h"

class TargetCatalog;

class CDlgTargetApp : public CDlgTargetRoot {
public:
    CDlgTargetApp(TargetCatalog& catalog, int category, Look look);

protected:
    BOOL OnInitDialog() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Apply() override;

    int ListCount() const override;
    int ListChecked() const override;
    void SetAllChecked(bool checked) override;

private:
    HWND Tree() const;

    TargetCatalog& catalog_;
    int category_;
    CMyCheckBox showDescription_;
    CCheckTreeKeys treeKeys_;
};
