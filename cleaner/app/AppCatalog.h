#pragma once
#include "targets/TargetCatalog.h"

#include <memory>
#include <string>

// The one catalogue of the running program: built (targets, settings, custom targets, totals)
// when the application starts, stored when it ends.
class AppCatalog {
public:
    AppCatalog(const std::string& settingsPath, const std::string& programFolder);
    ~AppCatalog();
    AppCatalog(const AppCatalog&) = delete;
    AppCatalog& operator=(const AppCatalog&) = delete;

    TargetCatalog& Get() { return *catalog_; }

private:
    std::unique_ptr<TargetCatalog> catalog_;
};
