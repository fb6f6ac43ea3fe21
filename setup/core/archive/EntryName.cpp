#include "archive/EntryName.h"

namespace setup {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

bool IsContainedRelativePath(const std::u16string& path) {
    if (path.empty() || IsSeparator(path[0])) return false;
    // ':' is a drive or an alternate data stream; neither belongs in a member's relative name.
    if (path.find(u':') != std::u16string::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (path.compare(start, end - start, u"..") == 0) return false;
        start = end + 1;
    }
    return true;
}

std::optional<std::u16string> CleanEntryName(const std::u16string& stored) {
    size_t start = 0;
    for (;;) {
        if (start + 1 < stored.size() && stored[start + 1] == u':') {
            start += 2;
        } else if (start < stored.size() && IsSeparator(stored[start])) {
            ++start;
        } else {
            break;
        }
    }
    std::u16string name = stored.substr(start);
    static const char16_t* const kParentSteps[] = {u"\\..\\", u"\\../", u"/../", u"/..\\"};
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (const char16_t* step : kParentSteps) {
            const size_t at = name.find(step);
            if (at != std::u16string::npos) {
                name.erase(0, at + 4);
                dropped = true;
            }
        }
    }
    if (!IsContainedRelativePath(name)) return std::nullopt;
    return name;
}

}  // namespace setup
