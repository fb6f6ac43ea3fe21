#pragma once
// The pop-up of one group (template 143): a skinned modal dialog titled with the group's caption,
// its icon, one check box per target of the group's category in a scrolling list, "Select All",
// "Selected Targets: %d", OK and Cancel. OK copies the boxes into the group's working copy; Cancel
// leaves it as it was.
#include "dialogs/CheckList.h"
#include "dialogs/TargetGroup.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"

class TargetCatalog;

class CDlgTargetMin : public CMyDialog {
public:
    CDlgTargetMin(const TargetCatalog& catalog, TargetGroup& group);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;
    void PaintContent(HDC dc, const RECT& client) override;

private:
    void UpdateCount();

    const TargetCatalog& catalog_;
    TargetGroup& group_;
    CCheckList list_;
    CMyCheckBox selectAll_;
    CMyStdButton ok_, cancel_;
};
