#pragma once
// A scrolling list of skinned check boxes, one per target of a category, as many as the category
// holds: the check boxes are ids IDC_TARGET_FIRST + i inside the list window (id IDC_TARGET_LIST
// on its page). A click on a box, the scroll bar, the mouse wheel and the keyboard focus move the
// list; a box that takes the focus is scrolled into view. The page hears BN_CLICKED with the list's
// id after every change of a box.
#include "skin/MyButton.h"
#include "skin/MyToolTipDialog.h"

#include <memory>
#include <string>
#include <vector>

class CCheckList : public CMyToolTipDialog {
public:
    struct Item {
        std::string name;
        std::string tip;  // the target's description, or its name when that is empty
        bool checked = false;
        bool locked = false;  // set by the administrator: greyed, and left alone by SetAll
    };

    CCheckList();
    // Creates the list as a child of `page` at `rect` (page pixels) with its boxes; the page's
    // tooltip control gets each box's tip.
    [[nodiscard]] bool CreateList(CMyToolTipDialog& page, const RECT& rect, const std::vector<Item>& items);

    int Count() const { return static_cast<int>(boxes_.size()); }
    bool Checked(int i) const { return boxes_[static_cast<size_t>(i)]->Checked(); }
    void SetChecked(int i, bool checked) { boxes_[static_cast<size_t>(i)]->SetChecked(checked); }
    int CheckedCount() const;
    void SetAll(bool checked);

protected:
    bool OnCommand(WORD id, WORD code, HWND control) override;
    // Enter and Escape belong to the dialog around the page; the list never ends itself.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ScrollTo(int offset);
    void Place();
    void EnsureVisible(int index);

    static constexpr int kRowHeight = 18;
    std::vector<std::unique_ptr<CMyCheckBox>> boxes_;
    std::vector<WORD> blankTemplate_;
    int offset_ = 0;
    int clientHeight_ = 0;
};
