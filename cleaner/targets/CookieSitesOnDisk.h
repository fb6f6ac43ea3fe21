#pragma once
#include "targets/BrowserDiscovery.h"

#include <atomic>
#include <string>
#include <vector>

// Every site that has cookies in any profile of the browsers on this machine (Firefox's
// cookies.sqlite, the Cookies database of every Chromium-family browser and of today's Opera),
// folded to the keep-list's form, sorted, each once. Every database is only read; one that is held,
// damaged or not a cookie database is passed over. `stop`, when given, is looked at between
// databases: a listing that is no longer wanted ends early with what it has.
std::vector<std::string> ListCookieSites(const BrowserFolders& folders, const std::atomic<bool>* stop = nullptr);
