#pragma once
// A page of the Options dialog: a child page with tooltips, frames and a help topic. The Options
// dialog sends each page the OK command when it closes with OK; that is the only moment a page
// writes into the catalogue, so Cancel leaves everything as it was.
#include "dialogs/ChildPage.h"
#include "skin/MyButton.h"

#include <initializer_list>

class COptionsPage : public CChildPage {
public:
    explicit COptionsPage(UINT templateId) : CChildPage(templateId) {}

protected:
    // Writes the controls into the catalogue.
    virtual void Apply() = 0;

    // A check box of the page: its control, its state from the settings and its tooltip.
    struct CheckBoxItem {
        CMyCheckBox& box;
        int id;
        bool checked;
        const char* tip;
    };
    // Attaches, sets and explains each box; a box whose control the template lacks stays detached.
    void AttachCheckBoxes(std::initializer_list<CheckBoxItem> boxes);

    void OnOK() override { Apply(); }
    void OnCancel() override {}  // the Options dialog decides; a page never ends itself
};
