#include "targets/SiteOrigins.h"

#include "engine/AsciiCase.h"
#include "targets/BrowserRows.h"

namespace {

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// Host names as browsers write them in keys: letters, digits, dots, hyphens, underscores, and the
// brackets and colons of an IPv6 address (a port's colon ends the host only after the brackets).
bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsWebScheme(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

bool IsExtensionScheme(const std::string& scheme) {
    return scheme == "chrome-extension" || scheme == "moz-extension" || scheme == "extension";
}

std::optional<SiteOrigin> Origin(std::string_view scheme, std::string_view host) {
    if (scheme.empty()) return std::nullopt;
    for (char c : scheme)
        if (!IsSchemeChar(c)) return std::nullopt;
    return SiteOrigin{AsciiLower(scheme), AsciiLower(host)};
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::optional<SiteOrigin> FirefoxOriginFolder(std::string_view name) {
    name = name.substr(0, name.find('^'));
    const size_t split = name.find("+++");
    if (split == std::string_view::npos) return std::nullopt;
    std::string_view host = name.substr(split + 3);
    host = host.substr(0, host.find('+'));  // the port follows a '+'
    return Origin(name.substr(0, split), host);
}

std::optional<SiteOrigin> ChromiumOriginId(std::string_view id) {
    const size_t first = id.find('_');
    const size_t last = id.rfind('_');
    if (first == std::string_view::npos || last <= first) return std::nullopt;
    for (char c : id.substr(last + 1))
        if (c < '0' || c > '9') return std::nullopt;
    return Origin(id.substr(0, first), id.substr(first + 1, last - first - 1));
}

std::optional<SiteOrigin> ChromiumIndexedDbFolder(std::string_view name) {
    for (std::string_view suffix : {std::string_view(".indexeddb.leveldb"), std::string_view(".indexeddb.blob")})
        if (EndsWith(name, suffix)) return ChromiumOriginId(name.substr(0, name.size() - suffix.size()));
    return std::nullopt;
}

std::optional<SiteOrigin> StorageKeyOrigin(std::string_view key) {
    const size_t at = key.find("://");
    if (at == std::string_view::npos) return std::nullopt;
    size_t end = at + 3;
    while (end < key.size() && IsHostChar(key[end])) ++end;
    return Origin(key.substr(0, at), key.substr(at + 3, end - at - 3));
}

bool IsTakenOrigin(const SiteOrigin& origin, const std::vector<std::string>& keptSites) {
    return IsWebScheme(origin.scheme) && !origin.host.empty() && !IsKeptHost(origin.host, keptSites);
}

void MixedStoreVerdict::AddText(std::string_view text) {
    // The scheme is known by its end only: keys put other names right before it
    // ("namespace-<id>-https://..."), and a name taken for a scheme would hide the site.
    static const char* const kSchemes[] = {"chrome-extension", "moz-extension", "extension", "https", "http"};
    for (size_t at = text.find("://"); at != std::string_view::npos; at = text.find("://", at + 3)) {
        const char* scheme = nullptr;
        for (const char* candidate : kSchemes) {
            const std::string_view s(candidate);
            if (at >= s.size() && AsciiLower(text.substr(at - s.size(), s.size())) == s) {
                scheme = candidate;
                break;
            }
        }
        if (!scheme) continue;
        size_t end = at + 3;
        if (end < text.size() && text[end] == '[') {
            const size_t close = text.find(']', end);
            end = close == std::string_view::npos ? text.size() : close + 1;
        } else {
            while (end < text.size() && IsHostChar(text[end])) ++end;
        }
        origins_.emplace(scheme, AsciiLower(text.substr(at + 3, end - at - 3)));
    }
}

bool MixedStoreVerdict::MustStay(const std::vector<std::string>& keptSites) const {
    if (unknown_) return true;
    for (const auto& [scheme, host] : origins_) {
        if (IsExtensionScheme(scheme)) return true;
        if (IsWebScheme(scheme) && IsKeptHost(host, keptSites)) return true;
    }
    return false;
}
