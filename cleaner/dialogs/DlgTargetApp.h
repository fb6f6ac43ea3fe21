#pragma once
// The Applications page (template 149): the targets of the Applications category in a tree with
// check boxes (1086), and "Show description as tooltip" (1052), which shows a target's description
// as a balloon while the mouse rests on its item. The application plug-ins are listed first, one
// item each; the imported targets follow under one parent item per group (their Section= or
// LangSecRef), whose box ticks or clears the targets it shows. A group's targets are put into the
// tree only when it is opened, so that an import of thousands opens at once. Above the tree, a
// search field (1096) keeps only the targets whose names hold its text, and the groups that still
// hold one; "Import..." (1097) imports a winapp2.ini and "Remove imported targets" (1098) removes
// the import; both take effect at the next start. Ticking a target that carries a warning shows
// it. A target the administrator's policy forces on or off shows its tick greyed, fixed, with the
// tooltip "Set by your administrator".
#include "dialogs/DlgTargetRoot.h"
#include "skin/MyButton.h"
#include "dialogs/CheckTree.h"

#include <string>
#include <vector>

class Target;
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
    // An imported group: the positions (in the category) of its targets, in catalogue order.
    struct Group {
        std::string name;
        std::vector<size_t> members;
    };

    HWND Tree() const;
    const Target& TargetAt(size_t position) const;
    bool Shown(size_t position) const;  // its name holds the search text
    bool GroupTicked(const Group& group) const;
    bool GroupLocked(const Group& group) const;
    void BuildGroups();
    void FillTree();
    HTREEITEM Insert(HTREEITEM parent, const std::string& text, LPARAM data, bool children);
    void FillGroup(HTREEITEM item);
    // The tree's ticks into checked_ (a group's box into its shown targets), the warnings of
    // targets just ticked, then every box as checked_ has it.
    void TakeTreeChecks(bool warn);
    void ShowTicks();
    // Every item of the tree: a target's to onTarget(item), a group's to onGroup(item, group),
    // which says whether its children (the inserted ones) go to onTarget too.
    template <typename OnTarget, typename OnGroup>
    void VisitTree(const OnTarget& onTarget, const OnGroup& onGroup);
    void Warn(const std::vector<size_t>& ticked);
    void AnswerTip(NMTVGETINFOTIPW& tip);
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void Import();
    void RemoveImported();

    TargetCatalog& catalog_;
    int category_;
    CMyCheckBox showDescription_;
    CCheckTreeKeys treeKeys_;
    // The tick of every target of the category, the filtered-out ones included, and which of
    // them the policy fixes.
    std::vector<bool> checked_;
    std::vector<bool> locked_;
    std::vector<size_t> ungrouped_;  // the plug-ins' targets
    std::vector<Group> groups_;
    std::string filter_;             // lower case
};
