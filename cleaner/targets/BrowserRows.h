#pragma once
#include "engine/RowCleaner.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the row-level browser targets take out of each database, as plans for RowCleaner.

// Reads a small file beside a database (a profile's Bookmarks): its bytes, an empty text when the
// file does not exist, nothing when it exists but cannot be read.
using ProfileFileReader = std::function<std::optional<std::string>(const std::string& path)>;
// The sites whose cookies stay, read when a run starts (the list may change between runs).
using KeepListSource = std::function<std::vector<std::string>()>;

// A kept site as stored: lower case, no leading dots or surrounding white space; empty when
// nothing of a host name is left.
std::string NormalizedSite(std::string_view site);
// Whether a cookie's host belongs to a kept site: the site itself or one of its subdomains
// ("example.com" keeps "www.example.com" and ".example.com", not "badexample.com").
[[nodiscard]] bool IsKeptHost(std::string_view host, const std::vector<std::string>& sites);

// Firefox places.sqlite: every visit, every place no bookmark or keyword uses, input history,
// page metadata, orphaned annotations and unused origins; the kept places' visit counts reset.
std::shared_ptr<const RowPlan> FirefoxHistoryPlan();
// Firefox favicons.sqlite: the icons of pages that are not bookmarked (per places.sqlite).
std::shared_ptr<const RowPlan> FirefoxFaviconsPlan(std::string placesPath);
// Chromium History: visits, addresses not bookmarked (per the Bookmarks file), search terms,
// downloads, segments, and the cluster and annotation tables where present.
std::shared_ptr<const RowPlan> ChromiumHistoryPlan(std::string bookmarksPath, ProfileFileReader reader);
// Chromium Favicons: the icons of pages that are not bookmarked.
std::shared_ptr<const RowPlan> ChromiumFaviconsPlan(std::string bookmarksPath, ProfileFileReader reader);
// Chromium Web Data: the autocomplete entries only; addresses, cards and search engines stay.
std::shared_ptr<const RowPlan> ChromiumAutocompletePlan();
// Cookies of every site but the kept ones: Firefox cookies.sqlite, Chromium Cookies.
std::shared_ptr<const RowPlan> FirefoxCookiesPlan(KeepListSource keep);
std::shared_ptr<const RowPlan> ChromiumCookiesPlan(KeepListSource keep);
// Chromium WebStorage\QuotaManager: the storage buckets of every web origin but the kept sites'
// (an extension's buckets stay).
std::shared_ptr<const RowPlan> ChromiumQuotaPlan(KeepListSource keep);
