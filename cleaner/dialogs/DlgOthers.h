#pragma once
// The Settings page of the Options dialog (template 139): start, speed, security, update and
// tooltip settings. Beside the security level it says, when the program's or the system's volume
// is solid-state, what overwriting does there. "Update NOW!" opens the update dialog at once through the opener it is given.
#include "dialogs/DlgOthersIds.h"
#include "dialogs/OptionsPage.h"
#include "skin/MyButton.h"

#include <functional>

class TargetCatalog;

class CDlgOthers : public COptionsPage {
public:
    // Opens the update dialog modally over the given window.
    using UpdateOpener = std::function<void(HWND owner)>;
    CDlgOthers(TargetCatalog& catalog, UpdateOpener openUpdate);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void Apply() override;

private:
    int CheckedRadio(int first, int count) const;

    TargetCatalog& catalog_;
    UpdateOpener openUpdate_;
    CMyCheckBox autoStart_, notify_, secDel_, skipSsd_, autoUpdate_, updateNotify_, toolTips_;
    CMyStdButton updateNow_;
};
