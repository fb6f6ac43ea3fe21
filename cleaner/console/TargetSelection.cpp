#include "console/TargetSelection.h"

#include "targets/TargetCatalog.h"

namespace {

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Greedy match with one backtrack point per star: linear in practice, never exponential.
bool Matches(const std::string& text, const std::string& pattern) {
    size_t t = 0, p = 0, starP = std::string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && Fold(pattern[p]) == Fold(text[t])) {
            ++p;
            ++t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

Category CategoryAt(const TargetCatalog& catalog, size_t index) {
    const int i = static_cast<int>(index);
    if (i >= catalog.CustomStart()) return Category::Custom;
    for (const CategoryInfo& info : Categories()) {
        const int start = catalog.CategoryStart(info.category);
        if (i >= start && i < start + catalog.CategoryCount(info.category)) return info.category;
    }
    return Category::Custom;
}

}  // namespace

std::string TargetId(const TargetCatalog& catalog, size_t index) {
    return std::string(InfoOf(CategoryAt(catalog, index)).caption) + "/" + catalog.TargetAt(index).Name();
}

bool MatchesSelector(const std::string& id, const std::string& selector) {
    // Both halves are matched apart, so a star never runs across the slash.
    const size_t idSlash = id.find('/'), selSlash = selector.find('/');
    if (idSlash == std::string::npos || selSlash == std::string::npos) return false;
    return Matches(id.substr(0, idSlash), selector.substr(0, selSlash)) &&
           Matches(id.substr(idSlash + 1), selector.substr(selSlash + 1));
}

SelectionResult SelectTargets(const TargetCatalog& catalog, const std::vector<std::string>& selectors, bool preset) {
    SelectionResult r;
    const size_t count = catalog.TargetCount();
    r.selected.assign(count, false);
    std::vector<std::string> ids(count);
    for (size_t i = 0; i < count; ++i) {
        ids[i] = TargetId(catalog, i);
        // The loaded selection already carries the policy's forced states.
        if (preset) r.selected[i] = catalog.TargetAt(i).Selected();
        if (catalog.Policy().ForcedTarget(catalog.TargetAt(i).Name()).value_or(false)) r.selected[i] = true;
    }
    for (const std::string& selector : selectors) {
        const bool wildcard = selector.find('*') != std::string::npos;
        bool matched = false;
        for (size_t i = 0; i < count; ++i) {
            if (!MatchesSelector(ids[i], selector)) continue;
            matched = true;
            if (catalog.Policy().ForcedTarget(catalog.TargetAt(i).Name()) == false) {
                if (wildcard) continue;
                r.error = "\"" + ids[i] + "\" is turned off by your administrator";
                return r;
            }
            r.selected[i] = true;
        }
        if (!matched) {
            r.error = "no target matches \"" + selector + "\" (see TracelornCmd list)";
            return r;
        }
    }
    return r;
}
