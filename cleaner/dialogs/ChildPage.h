#pragma once
// A page shown inside another dialog at a fixed spot (the Options pages, the custom target
// editor's property pages): a child dialog laid out in pixels, whose plain controls take the
// skin's font.
#include "skin/MyToolTipDialog.h"

class CChildPage : public CMyToolTipDialog {
public:
    explicit CChildPage(UINT templateId) : CMyToolTipDialog(templateId) { SetPixelTemplate(true); }

    // Creates the page as a hidden child of `parent` at (x, y) of its client area.
    [[nodiscard]] bool CreatePage(HWND parent, int x, int y);

protected:
    BOOL OnInitDialog() override;
};
