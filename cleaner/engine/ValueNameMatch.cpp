#include "engine/ValueNameMatch.h"

namespace {

bool EqualFolded(std::string_view a, std::string_view b, CaseFold fold) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

}  // namespace

char AsciiFold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

ValueMatch DeriveValueMatch(const std::string& p) {
    const size_t n = p.size();
    if (n == 0) return {ValueMatchMode::All, {}};
    const bool starts = p.front() == '*';
    const bool ends = p.back() == '*';
    if (starts) {
        if (n <= 2 && ends) return {ValueMatchMode::Exact, {}};
        if (!ends) return {ValueMatchMode::Suffix, p.substr(1)};
        return {ValueMatchMode::Contains, p.substr(1, n - 2)};
    }
    if (!ends) return {ValueMatchMode::Exact, p};
    return {ValueMatchMode::Prefix, p.substr(0, n - 1)};
}

bool MatchesValueName(const ValueMatch& match, std::string_view name, CaseFold fold) {
    const std::string_view text = match.text;
    switch (match.mode) {
    case ValueMatchMode::Exact:
        return text.empty() || EqualFolded(name, text, fold);
    case ValueMatchMode::Prefix:
        return name.size() >= text.size() && EqualFolded(name.substr(0, text.size()), text, fold);
    case ValueMatchMode::Contains:
        if (text.size() > name.size()) return false;
        for (size_t i = 0; i + text.size() <= name.size(); ++i)
            if (EqualFolded(name.substr(i, text.size()), text, fold)) return true;
        return false;
    case ValueMatchMode::Suffix:
        return name.size() >= text.size() &&
               EqualFolded(name.substr(name.size() - text.size()), text, fold);
    default:
        return false;
    }
}
