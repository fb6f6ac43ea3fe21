#pragma once
#include "targets/BrowserRows.h"
#include "targets/Target.h"

#include <string>

// The row-level entries of the browser targets on Windows: each browser database of a profile
// becomes one RowEntry over the Win32 file steps. Profile folders end with a backslash.

// The sites whose cookies stay: the user's keep-list (KeepListStore of settingsPath) and the sites
// the machine policy adds, read when a run starts.
KeepListSource RegistryKeepList(std::string settingsPath);
// The settings path whose keep-list the cookie entries read, set once by the catalogue.
void SetKeepListSettingsPath(std::string settingsPath);
// The keep-list of that settings path, read each time it is called: what the cookie and site-data
// entries keep.
KeepListSource CatalogKeepList();

void AddFirefoxHistoryRows(Target& target, const std::string& profile);
void AddFirefoxCookieRows(Target& target, const std::string& profile);
void AddChromiumHistoryRows(Target& target, const std::string& profile);
void AddChromiumCookieRows(Target& target, const std::string& profile);
void AddChromiumAutocompleteRows(Target& target, const std::string& profile);
// The storage buckets Chromium's quota database lists (WebStorage\QuotaManager).
void AddChromiumQuotaRows(Target& target, const std::string& profile);
// The caches of today's Chromium beside the ones the cache target always had.
void AddChromiumNewCaches(Target& target, const std::string& profile);
