#include "targets/TargetConditionCache.h"

#include <algorithm>
#include <string_view>

namespace {

// A list is tried once this many names lie below a node, and holds at most this many children per
// name asked below it: a key or folder is listed only when that costs less than asking its names.
constexpr size_t kChildrenPerUse = 16;
constexpr size_t kMaxListed = 4096;

std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::vector<std::string_view> Parts(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t at = name.find('\\', start);
        if (at == std::string_view::npos) at = name.size();
        if (at > start) parts.push_back(name.substr(start, at - start));
        start = at + 1;
    }
    return parts;
}

// A part whose absence from a list proves it absent: compared without case as the system compares
// it (plain ASCII), no wildcard, no short-name '~' (lists hold long names), and no trailing dot
// or space, which the file system drops.
bool PlainPart(std::string_view part) {
    for (char c : part)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '*' || c == '?' || c == '~') return false;
    return !part.empty() && part.back() != '.' && part.back() != ' ';
}

}  // namespace

bool PresenceCache::Remember(const std::string& folded, bool exists) {
    known_[folded] = exists;
    return exists;
}

void PresenceCache::TryList(Node& node, const std::string& name) {
    const size_t limit = node.nextTry * kChildrenPerUse;
    ++asked_;
    std::optional<std::vector<std::string>> children =
        lookups_.children ? lookups_.children(name, limit) : std::nullopt;
    if (!children) {
        node.nextTry = limit >= kMaxListed ? static_cast<size_t>(-1) : node.nextTry * 2;
        return;
    }
    node.listed = true;
    for (const std::string& child : *children) node.children.insert(Fold(child));
}

bool PresenceCache::Exists(const std::string& name) {
    const std::vector<std::string_view> parts = Parts(name);
    if (parts.empty()) return false;
    // "\\server\share" keeps its leading separators, so it is never taken for "server\share".
    const std::string lead = name.substr(0, std::min(name.find_first_not_of('\\'), name.size()));
    std::string full = lead + Fold(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) full += '\\' + Fold(parts[i]);
    if (const auto k = known_.find(full); k != known_.end()) return k->second;

    std::string folded = lead + Fold(parts[0]);
    std::string given = lead + std::string(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) {
        if (const auto k = known_.find(folded); k != known_.end() && !k->second) return Remember(full, false);
        Node& node = nodes_[folded];
        ++node.uses;
        if (!node.listed && node.uses >= node.nextTry) {
            TryList(node, given);
            if (node.listed) known_[folded] = true;
        }
        if (node.listed && PlainPart(parts[i])) {
            if (node.children.count(Fold(parts[i])) == 0) return Remember(full, false);
            if (i + 1 == parts.size()) return Remember(full, true);
        }
        folded += '\\';
        folded += Fold(parts[i]);
        given += '\\';
        given += parts[i];
    }
    ++asked_;
    return Remember(full, lookups_.exists ? lookups_.exists(name) : false);
}
