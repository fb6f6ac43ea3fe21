#pragma once
// The Applications page (template 149): the targets of the Applications category in a tree with
// check boxes (1086), one item per target, and "Show description as tooltip" (1052), which shows
// a target's description as a balloon while the mouse rests on its item. Above the tree, a search
// field (1096) keeps only the targets whose names hold its text, "Import..." (1097) imports a
// winapp2.ini and "Remove imported targets" (1098) removes the import; both take effect at the
// next start. Ticking a target that carries a warning shows it.
#include "dialogs/DlgTargetRoot.h"
#include "skin/MyButton.h"
#include "dialogs/CheckTree.h"

#include <vector>

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
    // The tree's ticks into checked_, and the warnings of targets just ticked.
    void TakeTreeChecks(bool warn);
    void FillTree();
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void Import();
    void RemoveImported();

    TargetCatalog& catalog_;
    int category_;
    CMyCheckBox showDescription_;
    CCheckTreeKeys treeKeys_;
    // The tick of every target of the category, the filtered-out ones included.
    std::vector<bool> checked_;
};
