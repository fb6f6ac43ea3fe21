#include "targets/CleanerCatalog.h"

#include "targets/PolicyReader.h"

CleanerCatalog::CleanerCatalog(const std::string& settingsPath, const std::string& programFolder)
    : CleanerCatalog(settingsPath, ThisMachine(programFolder), SettingsStore()) {}

CleanerCatalog::CleanerCatalog(const std::string& settingsPath, const CatalogSources& sources, SettingsStore store)
    : settings_(std::move(store)),
      catalog_(std::make_unique<TargetCatalog>(settingsPath, sources.pluginFolder)) {
    BuildTargets(*catalog_, sources);
    // Without a settings key the defaults stand and no custom target is loaded.
    if (settings_.Load(*catalog_)) {
        (void)customTargets_.Load(*catalog_, sources.pluginFolder);
        customTargetsRead_ = true;
    }
    // Last, over everything the user stored: what the administrator set wins.
    catalog_->SetPolicy(ReadMachinePolicy());
    catalog_->Policy().ApplyTo(*catalog_);
    (void)settings_.LoadStatistics(*catalog_);
}

CleanerCatalog::~CleanerCatalog() { SaveAll(); }

void CleanerCatalog::SaveAll() {
    settings_.Save(*catalog_);
    if (customTargetsRead_ || customTargetsChanged_) (void)customTargets_.Save(*catalog_, catalog_->ProgramFolder());
    (void)settings_.SaveStatistics(*catalog_);
}

void CleanerCatalog::CustomTargetsChanged() {
    customTargets_.MarkChanged();
    customTargetsChanged_ = true;
}
