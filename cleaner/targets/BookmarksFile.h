#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The addresses a Chromium-family "Bookmarks" file (JSON, written by the browser, possibly damaged
// or crafted) holds: the string value of every "url" member at any depth, decoded to UTF-8, in file
// order. Nothing when the text is not one well-formed JSON value nested at most kMaxBookmarksDepth
// deep, or is larger than kMaxBookmarksBytes: the history that keeps bookmarked addresses must not
// go ahead on a list it could not read.
constexpr size_t kMaxBookmarksBytes = 64 * 1024 * 1024;
constexpr int kMaxBookmarksDepth = 200;
std::optional<std::vector<std::string>> BookmarkedUrls(std::string_view json);
