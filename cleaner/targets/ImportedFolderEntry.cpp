#include "targets/ImportedFolderEntry.h"

#include "engine/Checkpoint.h"
#include "engine/ExcludeList.h"
#include "engine/FolderWalk.h"
#include "engine/FolderGuard.h"
#include "engine/WildcardMatch.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <algorithm>
#include <windows.h>

namespace {

// A pattern like "C:\Users\*\AppData" on a machine with many profiles stays bounded.
constexpr size_t kMaxFolders = 4096;

bool HasWildcard(const std::string& part) { return part.find_first_of("*?") != std::string::npos; }

std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t at = path.find('\\', start);
        out.push_back(path.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return out;
        start = at + 1;
    }
}

// The subfolders of folder whose long names match part; reparse points are never among them.
template <typename Visit>
void ForEachSubfolder(const std::string& folder, const std::string& part, const Visit& visit) {
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileExW(SystemPath(folder + "\\" + part).c_str(), FindExInfoBasic, &data,
                                       FindExSearchLimitToDirectories, nullptr, 0));
    if (!find) return;
    do {
        Checkpoint();
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        std::string name;
        if (!Utf8FromWide(data.cFileName, name) || name == "." || name == ".." || !MatchesWildcard(name, part)) continue;
        visit(folder + "\\" + name);
    } while (::FindNextFileW(find.Get(), &data));
}

void Expand(const std::vector<std::string>& parts, size_t index, const std::string& folder,
            std::vector<std::string>& out) {
    if (out.size() >= kMaxFolders) return;
    if (index == parts.size()) {
        const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(folder);
        return;
    }
    const std::string& part = parts[index];
    if (part.empty()) return;
    if (!HasWildcard(part)) return Expand(parts, index + 1, folder + "\\" + part, out);
    ForEachSubfolder(folder, part, [&](const std::string& sub) { Expand(parts, index + 1, sub, out); });
}

// Removes the empty folders below folder, deepest first, then folder itself when it is empty.
// RemoveDirectoryW refuses a folder that holds anything, so nothing but empty folders can go;
// links are never entered and never removed, nor is an excluded folder, empty or not.
void RemoveEmptyFolders(const std::string& folder) {
    if (run_excludes::Active().ExcludesFolder(folder)) return;
    ForEachSubfolder(folder, "*", [](const std::string& sub) { RemoveEmptyFolders(sub); });
    const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    if (MayWalkFolder(folder)) (void)::RemoveDirectoryW(SystemPath(folder).c_str());
}

}  // namespace

ImportedFolderEntry::ImportedFolderEntry(std::vector<std::string> folderPatterns, std::vector<std::string> masks,
                                         bool recurse, bool removeSelf)
    : RemEntry(RemKind::FolderWildcard),
      patterns_(std::move(folderPatterns)),
      masks_(std::move(masks)),
      recurse_(recurse || removeSelf),
      removeSelf_(removeSelf) {}

std::vector<std::string> ExpandFolderPattern(const std::string& pattern) {
    const std::vector<std::string> parts = Parts(pattern);
    // parts[0] is the drive ("C:") the expanded variable gave.
    if (parts.size() < 2 || parts[0].size() != 2 || parts[0][1] != ':') return {};
    std::vector<std::string> found;
    Expand(parts, 1, parts[0], found);
    return found;
}

std::vector<std::string> ImportedFolderEntry::Folders() const {
    std::vector<std::string> out;
    for (const std::string& pattern : patterns_) {
        for (std::string& f : ExpandFolderPattern(pattern))
            if (std::find(out.begin(), out.end(), f) == out.end()) out.push_back(std::move(f));
    }
    return out;
}

void ImportedFolderEntry::Scan() {
    WalkOptions options;
    options.recurse = recurse_;
    RunCounters found;
    for (const std::string& folder : Folders())
        for (const std::string& mask : masks_) ScanFolder(folder, mask, options, found);
    AddFiles(found.files, found.bytes);
    AddItems(found.items);
    MarkScanned();
}

void ImportedFolderEntry::Kill() {
    WalkOptions options;
    options.recurse = recurse_;
    RunCounters removed;
    for (const std::string& folder : Folders()) {
        for (const std::string& mask : masks_) KillFolder(folder, mask, options, removed);
        if (removeSelf_) RemoveEmptyFolders(folder);
    }
    AddFiles(removed.files, removed.bytes);
    AddItems(removed.items);
    MarkKilled();
}
