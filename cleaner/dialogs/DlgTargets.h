#pragma once
// The Targets tab of the Options dialog (template 138). The target pages fill it: their page
// objects belong here, created in OnInitDialog and applied in Apply.
#include "dialogs/DlgOptionsIds.h"
#include "dialogs/OptionsPage.h"

class TargetCatalog;

class CDlgTargets : public COptionsPage {
public:
    explicit CDlgTargets(TargetCatalog& catalog);

protected:
    BOOL OnInitDialog() override;
    // Writes the working selections into the catalogue; nothing before Options' OK.
    void Apply() override;

private:
    TargetCatalog& catalog_;
};
