#pragma once
#include "targets/CatalogBuilder.h"
#include "targets/CustomTargets.h"
#include "targets/SettingsStore.h"
#include "targets/TargetCatalog.h"

#include <memory>
#include <string>

// The program's one catalogue for as long as it runs. Construction builds every target, then
// loads the settings with the stored selections, the custom targets (only when the settings key
// could be opened) and the totals; destruction saves the settings, the selections, the custom
// targets, the Run entry and config.cfg, then deletes the targets.
class CleanerCatalog {
public:
    // The running machine, with everything the catalogue keeps in programFolder.
    CleanerCatalog(const std::string& settingsPath, const std::string& programFolder);
    // Tests: machine sources of their own and a settings store with its own Run key.
    CleanerCatalog(const std::string& settingsPath, const CatalogSources& sources, SettingsStore store);
    ~CleanerCatalog();
    CleanerCatalog(const CleanerCatalog&) = delete;
    CleanerCatalog& operator=(const CleanerCatalog&) = delete;

    TargetCatalog& Get() { return *catalog_; }
    // Everything the exit saves, now: the settings with the selections and the Run entry, the
    // custom targets and config.cfg. Options closed with OK calls it, and so does the end of a
    // session (logoff, shutdown), which may end the process before the catalogue is destroyed.
    void SaveAll();
    const TargetCatalog& Get() const { return *catalog_; }
    // The Options dialog calls this when the user changed the custom targets: from then on the
    // exit writes them even when the start could not read the stored ones.
    void CustomTargetsChanged();
    const CustomTargetsStore& CustomTargets() const { return customTargets_; }

private:
    SettingsStore settings_;
    CustomTargetsStore customTargets_;
    // Whether the stored custom targets were read at start. A start without a settings key does
    // not read them, so its exit must not replace the file with an empty list.
    bool customTargetsRead_ = false;
    bool customTargetsChanged_ = false;
    std::unique_ptr<TargetCatalog> catalog_;
};
