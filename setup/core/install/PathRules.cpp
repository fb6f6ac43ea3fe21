#include "install/PathRules.h"

#include "config/Text.h"

namespace setup {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// No "." or ".." component and no empty component after the root.
bool HasOnlyPlainComponents(const std::u16string& path, size_t from) {
    size_t start = from;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::u16string part = path.substr(start, end - start);
        if (part == u"." || part == u"..") return false;
        if (part.empty() && end < path.size()) return false;
        start = end + 1;
    }
    return true;
}

// Length of the root: "C:\" is 3, "\\server\share" up to its end; 0 when not absolute.
size_t RootLength(const std::u16string& path) {
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == u':' && IsSeparator(path[2])) return 3;
    if (path.size() >= 5 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
        const size_t server = path.find_first_of(u"\\/", 2);
        if (server == std::u16string::npos || server + 1 >= path.size() || IsSeparator(path[server + 1])) return 0;
        const size_t share = path.find_first_of(u"\\/", server + 1);
        return share == std::u16string::npos ? path.size() : share + 1;
    }
    return 0;
}

bool PrefixIgnoringCase(const std::u16string& text, const std::u16string& prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t a = AsciiLower(text[i]);
        char16_t b = AsciiLower(prefix[i]);
        if (IsSeparator(a) && IsSeparator(b)) continue;
        if (a != b) return false;
    }
    return true;
}

}  // namespace

std::optional<std::u16string> JoinPath(const std::u16string& folder, const std::u16string& name) {
    std::u16string joined = folder;
    if (!name.empty()) {
        while (!joined.empty() && IsSeparator(joined.back())) joined.pop_back();
        size_t skip = 0;
        while (skip < name.size() && IsSeparator(name[skip])) ++skip;
        joined += u'\\';
        joined.append(name, skip, std::u16string::npos);
    }
    if (joined.empty() || joined.size() >= kMaxPath) return std::nullopt;
    return joined;
}

bool IsAbsoluteFolder(const std::u16string& path) {
    if (path.size() >= kMaxPath) return false;
    const size_t root = RootLength(path);
    if (root == 0) return false;
    for (char16_t c : path) {
        if (c < 0x20 || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' || c == u'|') return false;
    }
    if (path.find(u':', 2) != std::u16string::npos) return false;
    return HasOnlyPlainComponents(path, root);
}

bool IsDriveRoot(const std::u16string& path) {
    return (path.size() == 2 || (path.size() == 3 && IsSeparator(path[2]))) && IsLetter(path[0]) && path[1] == u':';
}

std::u16string TrimSeparators(const std::u16string& path) {
    std::u16string trimmed = path;
    while (trimmed.size() > 1 && IsSeparator(trimmed.back())) {
        if (trimmed.size() == 3 && trimmed[1] == u':') break;
        trimmed.pop_back();
    }
    return trimmed;
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
    const std::u16string x = TrimSeparators(a);
    const std::u16string y = TrimSeparators(b);
    return x.size() == y.size() && PrefixIgnoringCase(x, y);
}

bool IsInsideFolder(const std::u16string& path, const std::u16string& folder) {
    const std::u16string base = TrimSeparators(folder);
    if (!IsAbsoluteFolder(base) || !IsAbsoluteFolder(path)) return false;
    if (!PrefixIgnoringCase(path, base)) return false;
    size_t at = base.size();
    if (!IsSeparator(base.back())) {
        if (at >= path.size() || !IsSeparator(path[at])) return false;
        ++at;
    }
    return at < path.size() && !IsSeparator(path[at]);
}

bool IsSameOrInsideFolder(const std::u16string& path, const std::u16string& folder) {
    return (IsAbsoluteFolder(path) && SamePath(path, folder)) || IsInsideFolder(path, folder);
}

std::u16string ParentFolder(const std::u16string& path) {
    const size_t split = path.find_last_of(u"\\/");
    if (split == std::u16string::npos) return std::u16string();
    if (split == 2 && path[1] == u':') return path.substr(0, 3);
    return path.substr(0, split);
}

bool SameKey(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() && PrefixIgnoringCase(a, b);
}

bool IsKeyAncestor(const std::u16string& ancestor, const std::u16string& key) {
    return !ancestor.empty() && key.size() > ancestor.size() + 1 && key[ancestor.size()] == u'\\' &&
           PrefixIgnoringCase(key, ancestor);
}

bool IsUsableSubkey(const std::u16string& key) {
    if (key.empty() || key.front() == u'\\' || key.back() == u'\\') return false;
    if (key.find(u"\\\\") != std::u16string::npos) return false;
    return key.find(u'\\') != std::u16string::npos;
}

}  // namespace setup
