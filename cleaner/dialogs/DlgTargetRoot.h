#pragma once
// Base of the target pages: the "Select All" check box (1051), the count after "Selected
// Targets:" (1099), the page's icon and caption with their underline, the separator, the page
// picture of its tab at the top right, and a help topic. The derived page says how many targets
// its list holds, how many are ticked, and ticks or clears them all.
#include "dialogs/OptionsPage.h"
#include "skin/MyButton.h"

#include <string>

class CDlgTargetRoot : public COptionsPage {
public:
    struct Look {
        int tab = 0;            // the page picture's frame
        const char* caption = "";
        int icon = 0;           // icon resource, 0 for none
        const char* helpTopic = "";
    };
    CDlgTargetRoot(UINT templateId, Look look) : COptionsPage(templateId), look_(look) {}

    // Recounts the ticked targets and sets "Select All" (ticked exactly when every target is).
    void UpdateCount();

protected:
    virtual int ListCount() const = 0;
    virtual int ListChecked() const = 0;
    virtual void SetAllChecked(bool checked) = 0;

    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnPaint() override;

private:
    Look look_;
    CMyCheckBox selectAll_;
};
