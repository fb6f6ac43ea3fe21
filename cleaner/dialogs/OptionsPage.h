#pragma once
// A page of the Options dialog: a child dialog with tooltips, frames and a help topic, laid out
// in pixels. The Options dialog sends each page the OK command when it closes with OK; that is the
// only moment a page writes into the catalogue, so Cancel leaves everything as it was.
#include "skin/MyButton.h"
#include "skin/MyToolTipDialog.h"

#include <initializer_list>

class COptionsPage : public CMyToolTipDialog {
public:
    explicit COptionsPage(UINT templateId) : CMyToolTipDialog(templateId) { SetPixelTemplate(true); }

    // Creates the page as a hidden child of `parent` at (x, y) of its client area.
    [[nodiscard]] bool CreatePage(HWND parent, int x, int y);

protected:
    // Writes the controls into the catalogue.
    virtual void Apply() = 0;

    BOOL OnInitDialog() override;

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
