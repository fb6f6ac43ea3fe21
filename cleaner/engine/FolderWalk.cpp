#include "engine/FolderWalk.h"

#include "engine/Checkpoint.h"
#include "engine/ExcludeList.h"
#include "engine/FileRemoval.h"
#include "engine/FolderGuard.h"
#include "engine/FoundReport.h"
#include "engine/KillTestPipeline.h"
#include "engine/OpenedFolder.h"
#include "engine/WalkLedger.h"
#include "engine/WildcardMatch.h"
#include "platform/DirectoryListing.h"

#include <windows.h>

namespace {

bool IsFolder(const ListedName& name) { return (name.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool IsLink(const ListedName& name) { return (name.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// The user's excludes, on final paths: a walk enters no excluded folder, so a file needs only its
// own lookup.
bool Excluded(const OpenedFolder& folder) { return run_excludes::Active().ExcludesFolder(folder.Path()); }
bool Excluded(const OpenedFolder& folder, const ListedName& file) {
    return run_excludes::Active().ExcludesFileItself(folder.PathOf(file.name));
}

// Calls visit(name) for every name of the folder, with a checkpoint before each.
template <typename Visit>
void ForEachName(const OpenedFolder& folder, Visit visit) {
    DirectoryListing listing(folder.Handle());
    ListedName name;
    while (listing.Next(name)) {
        Checkpoint();
        visit(name);
    }
}

using TopNames = std::function<bool(const std::string& name)>;

// Every file of the walk counts, or goes to tests (when given) that count what a Kill could remove.
void ScanWalk(const OpenedFolder& folder, const std::string& mask, const WalkOptions& options,
              KillTestPipeline* tests, RunCounters& found, const TopNames* top = nullptr) {
    Checkpoint();
    ForEachName(folder, [&](const ListedName& name) {
        if (top && !(*top)(name.name)) return;
        if (IsFolder(name)) {
            if (!options.recurse || IsLink(name)) return;
            const OpenedFolder sub = folder.OpenSubfolder(name.name, false);
            if (sub.IsOpen() && !Excluded(sub)) ScanWalk(sub, mask, options, tests, found);
            return;
        }
        if (!mask.empty() && !MatchesWildcard(name.name, mask)) return;
        if (Excluded(folder, name)) return;
        if (tests) {
            tests->Add(folder.Path(), name);
            return;
        }
        // A file a restart would remove counts only where a Kill may schedule it at all.
        if (!MayRemoveFile(folder.PathOf(name.name))) return;
        found.files += 1;
        found.bytes += name.size;
        found_report::File(folder.Path(), name.name, name.size, name.lastWrite);
    });
}

// Without a mask, emptied subfolders are removed bottom-up; with one, subfolders stay.
void KillWalk(const OpenedFolder& folder, const std::string& mask, const WalkOptions& options,
              RunCounters& removed, const TopNames* top = nullptr) {
    Checkpoint();
    ForEachName(folder, [&](const ListedName& name) {
        if (top && !(*top)(name.name)) return;
        if (IsFolder(name)) {
            if (!options.recurse || IsLink(name)) return;
            OpenedFolder sub = folder.OpenSubfolder(name.name, mask.empty());
            if (!sub.IsOpen() || Excluded(sub)) return;
            KillWalk(sub, mask, options, removed);
            if (mask.empty()) (void)sub.RemoveIfEmpty();  // stays when anything is left in it
            return;
        }
        if (!mask.empty() && !MatchesWildcard(name.name, mask)) return;
        if (Excluded(folder, name)) return;
        std::string remaining;
        if (KillListedFile(folder, name, &remaining) ||
            (options.removeAtReboot && ScheduleDeleteAtReboot(remaining))) {
            removed.files += 1;
            removed.bytes += name.size;
            found_report::File(folder.Path(), name.name, name.size, name.lastWrite);
        }
    });
}

// The folder a walk starts at, opened and checked once, and claimed for the current target.
OpenedFolder StartWalk(const std::string& folder, const std::string& mask, const WalkOptions& options) {
    if (folder.empty()) return OpenedFolder();
    // The built-in fragment walk of a drive root: one level, a narrow mask.
    const bool fragments = options.rootFragments && !options.recurse && !WildcardMatchesEverything(mask);
    OpenedFolder root = OpenedFolder::OpenWalkRoot(folder, fragments);
    if (!root.IsOpen() || Excluded(root) || !ClaimWalk(root.Path(), mask, options.recurse)) return OpenedFolder();
    return root;
}

const TopNames* TopOf(const WalkOptions& options) { return options.topNames ? &options.topNames : nullptr; }

}  // namespace

void ScanFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& found) {
    const OpenedFolder root = StartWalk(folder, mask, options);
    if (!root.IsOpen()) return;
    // Files a restart will remove count as found: whether they could go now does not matter.
    if (options.removeAtReboot) {
        ScanWalk(root, mask, options, nullptr, found, TopOf(options));
        return;
    }
    KillTestPipeline tests;
    ScanWalk(root, mask, options, &tests, found, TopOf(options));
    found.Add(tests.Finish());
}

void KillFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& removed) {
    const OpenedFolder root = StartWalk(folder, mask, options);
    if (!root.IsOpen()) return;
    KillWalk(root, mask, options, removed, TopOf(options));
}
