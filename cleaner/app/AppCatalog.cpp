#include "app/AppCatalog.h"

#include "targets/SettingsStore.h"

// Until the full catalogue builder (built-in, plug-in, browser and custom targets) is in place, the
// application catalogue holds the settings, selections and totals that the settings store keeps.
AppCatalog::AppCatalog(const std::string& settingsPath, const std::string& programFolder)
    : catalog_(std::make_unique<TargetCatalog>(settingsPath, programFolder)) {
    SettingsStore store;
    (void)store.Load(*catalog_);
    (void)store.LoadStatistics(*catalog_);
}

AppCatalog::~AppCatalog() {
    SettingsStore store;
    store.Save(*catalog_);
    (void)store.SaveStatistics(*catalog_);
}
