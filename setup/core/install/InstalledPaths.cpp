#include "install/InstalledPaths.h"

#include "install/FolderOwnership.h"
#include "install/PathRules.h"

#include <algorithm>

namespace setup {

namespace {

size_t LongestIn(const QV::TreeNode& list, size_t prefix) {
    size_t longest = 0;
    for (const auto& entry : list.Properties()) longest = std::max(longest, prefix + entry.first.size());
    for (const auto& [name, child] : list.Children()) longest = std::max(longest, LongestIn(*child, prefix + name.size() + 1));
    return longest;
}

}  // namespace

size_t LongestInstalledName(const InstallSettings& settings) {
    // The journal's temporary twin, and every file under its staged name.
    size_t longest = std::u16string(kJournalName).size() + 4;
    if (const QV::TreeNode* files = settings.Tree().Child("files")) {
        longest = std::max(longest, LongestIn(*files, 0) + std::u16string(kStagedSuffix).size());
    }
    return longest;
}

bool FitsInstalledPaths(const std::u16string& folder, size_t longest) {
    return TrimSeparators(folder).size() + 1 + longest < kMaxPath;
}

}  // namespace setup
