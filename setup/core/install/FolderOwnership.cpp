#include "install/FolderOwnership.h"

#include "config/Text.h"
#include "install/PathRules.h"

namespace setup {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool SameChar(char16_t a, char16_t b) {
    if (IsSeparator(a) && IsSeparator(b)) return true;
    return AsciiLower(a) == AsciiLower(b);
}

bool Match(const std::u16string& text, size_t t, const std::u16string& pattern, size_t p) {
    for (; p < pattern.size(); ++p, ++t) {
        if (pattern[p] == u'*') {
            for (size_t end = t;; ++end) {
                if (Match(text, end, pattern, p + 1)) return true;
                if (end >= text.size() || IsSeparator(text[end])) return false;
            }
        }
        if (t >= text.size()) return false;
        if (pattern[p] == u'?' ? IsSeparator(text[t]) : !SameChar(pattern[p], text[t])) return false;
    }
    return t == text.size();
}

bool EndsWithIgnoringCase(const std::u16string& text, const std::u16string& end) {
    if (end.size() > text.size()) return false;
    for (size_t i = 0; i < end.size(); ++i) {
        if (!SameChar(text[text.size() - end.size() + i], end[i])) return false;
    }
    return true;
}

}  // namespace

bool MatchesPattern(const std::u16string& text, const std::u16string& pattern) { return Match(text, 0, pattern, 0); }

bool IsProductFile(const std::vector<std::u16string>& productFiles, const std::u16string& relative) {
    for (const std::u16string& pattern : productFiles) {
        if (MatchesPattern(relative, pattern)) return true;
    }
    return false;
}

bool IsOurFile(const OwnershipRules& rules, const std::u16string& relative) {
    if (rules.hasJournal) {
        if (SamePath(relative, kJournalName) || SamePath(relative, std::u16string(kJournalName) + u".new")) return true;
        for (const std::u16string& name : rules.journalNames) {
            if (SamePath(relative, name + kStagedSuffix)) return true;
        }
    }
    if (!rules.earlier) return false;
    if (SamePath(relative, u"uninst.dat") || SamePath(relative, u"uninst.new") || SamePath(relative, kJournalName) ||
        SamePath(relative, std::u16string(kJournalName) + u".new")) {
        return true;
    }
    const auto path = JoinPath(rules.folder, relative);
    if (!path) return false;
    if (rules.earlier->HasFile(*path)) return true;
    if (EndsWithIgnoringCase(relative, kStagedSuffix)) {
        const std::u16string target = relative.substr(0, relative.size() - std::u16string(kStagedSuffix).size());
        const auto targetPath = JoinPath(rules.folder, target);
        return targetPath && (rules.earlier->HasFile(*targetPath) || IsProductFile(rules.productFiles, target));
    }
    return IsProductFile(rules.productFiles, relative);
}

}  // namespace setup
