#pragma once
#include "engine/RemEntry.h"

#include <string>
#include <vector>

// The file entry of an imported target: the files matching any of its masks in every folder its
// pattern names. A folder part may hold '*' or '?' ("...\Profiles\*\cache2"); the pattern is
// expanded when the entry runs, never into a reparse point, and each folder found is walked by the
// engine's own walk, which holds it to the folder guard. With removeSelf, a Kill then removes the
// folders it emptied below each folder found, and that folder too when it is left empty: a folder
// that still holds anything stays.
// The existing folders an absolute pattern names now, each '*' or '?' part expanded as above.
[[nodiscard]] std::vector<std::string> ExpandFolderPattern(const std::string& pattern);

class ImportedFolderEntry : public RemEntry {
public:
    ImportedFolderEntry(std::vector<std::string> folderPatterns, std::vector<std::string> masks, bool recurse,
                        bool removeSelf);

    void Scan() override;
    void Kill() override;

    // The absolute folders the patterns name on this machine now.
    [[nodiscard]] std::vector<std::string> Folders() const;

private:
    std::vector<std::string> patterns_;
    std::vector<std::string> masks_;
    bool recurse_;
    bool removeSelf_;
};
