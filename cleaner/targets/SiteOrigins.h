#pragma once
#include <optional>
#include <set>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

// How the browsers name the origins whose data they store, and which of that data a Site Data
// target may take. A site's data goes unless its host belongs to a kept site (the cookie
// targets' own rule, IsKeptHost); only web origins (http, https) are sites: an extension's data
// and the browser's own pages are never taken per origin.

struct SiteOrigin {
    std::string scheme;  // lower case
    std::string host;
};

// Firefox's folder of one origin below storage\default: "https+++example.com",
// "http+++www.example.com+8080", either with attributes after '^' ("^userContextId=2").
[[nodiscard]] std::optional<SiteOrigin> FirefoxOriginFolder(std::string_view name);
// Chromium's name of one origin: "https_example.com_0" (scheme, host, port), as the File System
// store's map holds it, and the IndexedDB folders "<that>.indexeddb.leveldb" and ".indexeddb.blob".
[[nodiscard]] std::optional<SiteOrigin> ChromiumOriginId(std::string_view id);
[[nodiscard]] std::optional<SiteOrigin> ChromiumIndexedDbFolder(std::string_view name);
// The origin a Chromium storage key starts with: "https://example.com:8443/" (a partitioned key
// names its top-level site after "^0", which does not change whose data it is).
[[nodiscard]] std::optional<SiteOrigin> StorageKeyOrigin(std::string_view key);

// Whether the data of this origin goes with the Site Data target: a web origin of no kept site.
[[nodiscard]] bool IsTakenOrigin(const SiteOrigin& origin, const std::vector<std::string>& keptSites);

// What a store that mixes origins holds, told from its keys (or its index files).
class MixedStoreVerdict {
public:
    // A key or text of the store: every address in it ("scheme://host") names an origin that has
    // data there ("_https://example.com\0key", "META:https://...", "namespace-<id>-https://.../").
    void AddText(std::string_view text);
    // A part of the store that could not be read: it may hold anything.
    void AddUnknown() { unknown_ = true; }

    // The store stays whole while a kept site or an extension has data in it, or while any of it
    // could not be read.
    [[nodiscard]] bool MustStay(const std::vector<std::string>& keptSites) const;
    [[nodiscard]] bool Unknown() const { return unknown_; }

private:
    std::set<std::pair<std::string, std::string>> origins_;  // scheme, host
    bool unknown_ = false;
};
