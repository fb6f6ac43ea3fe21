#pragma once
#include "engine/RowCleaner.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The sites that have cookies, as the keep-list shows and stores them: a cookie's host folded to
// the site form (lower case, no leading dot), so ".example.com" and "Example.com" are one site.

// Where a browser keeps a cookie's host.
enum class CookieStore { Firefox, Chromium };  // moz_cookies.host, cookies.host_key

// The hosts of one cookie database, read without changing it: a read-only connection, and the
// empty write-ahead log and index SQLite makes for it taken away again. Nothing when there is no
// database, or when it is held, damaged or not a cookie database: a listing passes over it.
[[nodiscard]] std::optional<std::vector<std::string>> ReadCookieHosts(const std::string& path, CookieStore store,
                                                                      DatabaseFiles& files);

// One column of a query over a database, read the same way; nothing when it cannot be read.
[[nodiscard]] std::optional<std::vector<std::string>> ReadDatabaseColumn(const std::string& path, const std::string& query,
                                                                         DatabaseFiles& files);

// Hosts folded to sites, without empty ones, sorted and each once.
std::vector<std::string> FoldedSites(const std::vector<std::string>& hosts);

// A site the user typed, in the stored form; nothing when it is not a host name (letters, digits,
// '-' and '_' in dot-separated labels of at most 63 characters, 253 in all; no scheme, port or path).
std::optional<std::string> TypedSite(std::string_view text);
