#include "engine/WildcardMatch.h"


namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Plain glob match with backtracking over the last '*'; linear in practice, never exponential.
bool Glob(std::string_view name, std::string_view mask) {
    size_t n = 0, m = 0;
    size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || Fold(mask[m]) == Fold(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

}  // namespace

bool WildcardMatchesEverything(std::string_view mask) {
    for (char c : mask)
        if (c != '*' && c != '.') return false;
    // "*.*" and "*" select all; "." or ".." alone select nothing useful but nothing dangerous.
    return mask.find('*') != std::string_view::npos || mask.empty();
}

bool MatchesWildcard(std::string_view name, std::string_view mask) {
    if (WildcardMatchesEverything(mask)) return true;
    if (Glob(name, mask)) return true;
    // "bookmarks.*" also finds "bookmarks": the search treats a missing extension as an empty one.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return Glob(name, mask.substr(0, mask.size() - 2));
    return false;
}
