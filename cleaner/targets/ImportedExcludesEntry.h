#pragma once
#include "engine/ExcludeList.h"
#include "engine/RemEntry.h"
#include "targets/WinappIni.h"

#include <memory>
#include <vector>

// An entry of an imported target that brings excludes of its own: the wrapped entry scans and
// kills as ever, with the target's excludes added to the run's (run_excludes::AddedScope) while it
// does, so a walk skips the excluded files and folders one by one and a registry entry the
// excluded keys. The excludes are expanded at each Scan and Kill, as the entry's own folders are.
class ImportedExcludesEntry : public RemEntry {
public:
    ImportedExcludesEntry(std::unique_ptr<RemEntry> inner, std::vector<WinappExclude> excludes);

    void Scan() override;
    void Kill() override;
    const EntryRecord* Record() const override { return inner_->Record(); }
    std::string Notice() const override { return inner_->Notice(); }

private:
    template <typename Run>
    void Forward(const Run& run);

    std::unique_ptr<RemEntry> inner_;
    std::vector<WinappExclude> excludes_;
};

// The excludes of an imported target as this machine names them now: each variable expanded, each
// '*' of a folder to every folder it matches. A registry value cannot be kept alone by a registry
// entry, so an excluded value keeps its whole key.
[[nodiscard]] ExcludeList ImportedExcludeList(const std::vector<WinappExclude>& excludes);
