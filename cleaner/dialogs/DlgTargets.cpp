#include "dialogs/DlgTargets.h"

#include "targets/TargetCatalog.h"

CDlgTargets::CDlgTargets(TargetCatalog& catalog) : COptionsPage(IDD_TARGETS), catalog_(catalog) {}

BOOL CDlgTargets::OnInitDialog() {
    COptionsPage::OnInitDialog();
    // The first of its pages, Windows, is the one shown when the tab opens.
    SetHelpTopic("windows.html");
    return FALSE;
}

void CDlgTargets::Apply() { (void)catalog_; }
