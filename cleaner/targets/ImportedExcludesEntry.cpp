#include "targets/ImportedExcludesEntry.h"

#include "engine/WildcardMatch.h"
#include "targets/ImportedFolderEntry.h"
#include "targets/ImportedTargets.h"

namespace {

std::vector<std::string> ExcludedFolders(const std::string& folder) {
    std::vector<std::string> out;
    for (const std::string& pattern : ExpandWinappPath(folder))
        for (std::string& found : ExpandFolderPattern(pattern)) out.push_back(std::move(found));
    return out;
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

}  // namespace

ExcludeList ImportedExcludeList(const std::vector<WinappExclude>& excludes) {
    ExcludeList list;
    for (const WinappExclude& x : excludes) {
        if (x.kind == WinappExclude::Kind::Reg) {
            const std::string key = RegistryKeyName(x.root, x.key);
            if (key.empty()) continue;
            if (x.value) list.AddValue(key, *x.value);
            else list.Add(Exclude{ExcludeKind::Key, key});
            continue;
        }
        for (const std::string& folder : ExcludedFolders(x.folder)) {
            if (x.kind == WinappExclude::Kind::File) {
                if (HasWildcard(x.pattern)) list.AddFilePattern(folder, x.pattern, false);
                else if (!x.pattern.empty()) list.Add(Exclude{ExcludeKind::File, folder + "\\" + x.pattern});
            } else if (WildcardMatchesEverything(x.pattern)) {
                list.Add(Exclude{ExcludeKind::Folder, folder});
            } else {
                list.AddFilePattern(folder, x.pattern, true);
            }
        }
    }
    return list;
}

ImportedExcludesEntry::ImportedExcludesEntry(std::unique_ptr<RemEntry> inner, std::vector<WinappExclude> excludes)
    : RemEntry(inner->Kind()), inner_(std::move(inner)), excludes_(std::move(excludes)) {}

// The inner entry's counts become this entry's, also when a stop request ends the run midway.
template <typename Run>
void ImportedExcludesEntry::Forward(const Run& run) {
    struct Carry {
        ImportedExcludesEntry& self;
        const RunCounters before;
        ~Carry() {
            const RunCounters& after = self.inner_->Counters();
            self.AddFiles(after.files - before.files, after.bytes - before.bytes);
            self.AddItems(after.items - before.items);
        }
    } carry{*this, (inner_->Reset(), inner_->Counters())};
    const run_excludes::AddedScope scope(ImportedExcludeList(excludes_));
    run(*inner_);
}

void ImportedExcludesEntry::Scan() {
    Forward([](RemEntry& e) { e.Scan(); });
    MarkScanned();
}

void ImportedExcludesEntry::Kill() {
    Forward([](RemEntry& e) { e.Kill(); });
    MarkKilled();
}
