#pragma once
// Whose a file in an installation folder is. A folder is ours only through the uninstall log an
// earlier installation left in it: what that log lists, the log itself, the files an update of
// ours stages there, and the names the product itself writes (the settings' "uninst" files),
// which only an installation folder of ours can hold as the cleaner's. Anything else is the
// user's: an installation does not go into a folder that holds it and never writes over it.
#include "install/UninstallLog.h"

#include <string>
#include <vector>

namespace setup {

// The names an update stages beside the files it replaces, and its journal.
constexpr const char16_t* kStagedSuffix = u".tlnew";
constexpr const char16_t* kJournalName = u"setup.jnl";

struct OwnershipRules {
    std::u16string folder;
    const UninstallLog* earlier = nullptr;       // the log found in the folder; none when unreadable
    std::vector<std::u16string> productFiles;    // the "uninst" names, relative (wildcards allowed)
    // The names a journal of ours in the folder lists: an installation cut off before its log was
    // written leaves only these (staged files and the journal), which the next run settles.
    std::vector<std::u16string> journalNames;
    bool hasJournal = false;
};

// `relative` is a file's path below the folder ("STDPLUGS\x.tlp").
bool IsOurFile(const OwnershipRules& rules, const std::u16string& relative);

// `relative` matches one of the product's own names.
bool IsProductFile(const std::vector<std::u16string>& productFiles, const std::u16string& relative);

// "*" and "?" within one path component; ASCII case ignored, either separator.
bool MatchesPattern(const std::u16string& text, const std::u16string& pattern);

}  // namespace setup
