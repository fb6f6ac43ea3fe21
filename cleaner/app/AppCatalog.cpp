#include "app/AppCatalog.h"

AppCatalog::AppCatalog(const std::string& settingsPath, const std::string& programFolder)
    : catalog_(std::make_unique<TargetCatalog>(settingsPath, programFolder)) {}

AppCatalog::~AppCatalog() = default;
