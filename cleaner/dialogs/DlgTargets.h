#pragma once
// The Targets tab of the Options dialog (template 138): four CTargetTab buttons (Windows,
// Browsers, Applications, Custom) over four target pages at (10, 30). Each page works on a copy
// of the selections; Apply (Options' OK) has every page write its copy into the catalogue, and
// Cancel of Options sends nothing, so nothing changes.
#include "dialogs/DlgOptionsIds.h"
#include "dialogs/DlgTargetRoot.h"
#include "dialogs/OptionsPage.h"
#include "dialogs/TargetTab.h"

#include <functional>
#include <memory>

class TargetCatalog;

class CDlgTargets : public COptionsPage {
public:
    enum Tab : int { kWindows = 0, kBrowsers = 1, kApplications = 2, kCustom = 3, kTabCount = 4 };
    // Told when OK changed the custom targets, so that they are written even when the start
    // could not read the stored ones.
    using CustomChanged = std::function<void()>;

    explicit CDlgTargets(TargetCatalog& catalog, CustomChanged customChanged = {});
    ~CDlgTargets() override;

    CDlgTargetRoot& Page(int tab) const { return *pages_[tab]; }
    int CurrentTab() const { return current_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnHelp() override;
    void Apply() override;

private:
    void ShowTab(int tab);

    TargetCatalog& catalog_;
    std::unique_ptr<CDlgTargetRoot> pages_[kTabCount];
    CTargetTab tabs_[kTabCount];
    int current_ = -1;
};
