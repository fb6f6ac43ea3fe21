#pragma once
#include "targets/BrowserRows.h"
#include "targets/Target.h"

#include <string>

// The row-level entries of the browser targets on Windows: each browser database of a profile
// becomes one RowEntry over the Win32 file steps. Profile folders end with a backslash.

// The sites whose cookies stay: the value names of HKEY_CURRENT_USER\software\<settingsPath>\
// "CookiesToKeep" (one REG_SZ per site, data empty), read when a run starts.
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
// The caches of today's Chromium beside the ones the cache target always had.
void AddChromiumNewCaches(Target& target, const std::string& profile);
