#pragma once
// A check-box page of the Targets tab (template 141): the targets of its primary category in a
// scrolling list of check boxes, and one button per group (ids IDC_GROUP_FIRST + g) that opens the
// group's pop-up. The lists grow with their categories, and the groups are the catalogue's
// categories, so every target the catalogue holds can be reached.
//
// In custom mode the page shows the custom targets in a tree with check boxes instead, with Add
// Target, Edit and Delete (the custom target editor). It works on a copy: the targets the editor
// makes belong to the page until Apply; the catalogue's own custom targets are only borrowed, and
// nothing is written into them before Apply.
#include "dialogs/CheckList.h"
#include "dialogs/DlgTargetRoot.h"
#include "dialogs/TargetGroup.h"
#include "skin/MyButton.h"
#include "dialogs/CheckTree.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class Target;
class TargetCatalog;

class CDlgTarget : public CDlgTargetRoot {
public:
    struct PageContent {
        Look look;
        int primary = -1;  // category index; -1: custom mode
        std::vector<TargetGroup> groups;
        int groupTop = 64;   // first group button's top, page pixels
        int groupStep = 40;  // distance between group buttons when they all fit
    };
    // Told when Apply changed the catalogue's custom targets.
    using CustomChanged = std::function<void()>;

    CDlgTarget(TargetCatalog& catalog, PageContent page, CustomChanged customChanged = {});
    ~CDlgTarget() override;

    bool CustomMode() const { return page_.primary < 0; }
    const std::vector<TargetGroup>& Groups() const { return page_.groups; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Apply() override;

    int ListCount() const override;
    int ListChecked() const override;
    void SetAllChecked(bool checked) override;

private:
    // One custom target of the working copy: borrowed from the catalogue or made by the editor.
    struct CustomItem {
        Target* kept = nullptr;
        std::unique_ptr<Target> made;
        Target& Get() const { return made ? *made : *kept; }
    };

    // A group button; in the smaller bold font when many groups share the column.
    class GroupButton : public CMyStdButton {
    public:
        bool compact = false;

    protected:
        HFONT TextFont() const override;
    };

    void CreateGroupButtons();
    void OpenGroup(size_t group);
    void InitCustom();
    HTREEITEM InsertCustom(HTREEITEM after, int id);
    void SetCustomItem(HTREEITEM item, int id);
    void AddCustom();
    void EditCustom();
    void DeleteCustom();
    HWND Tree() const;

    TargetCatalog& catalog_;
    PageContent page_;
    CustomChanged customChanged_;
    CCheckList list_;
    std::vector<std::unique_ptr<GroupButton>> groupButtons_;
    CMyStdButton add_, edit_, delete_;
    CCheckTreeKeys treeKeys_;
    std::map<int, CustomItem> custom_;  // by the id the tree item holds
    std::vector<int> customOrder_;      // the working copy's order
    int nextId_ = 1;
    bool customEdited_ = false;
};
