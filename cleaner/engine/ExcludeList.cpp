#include "engine/ExcludeList.h"

#include "engine/AsciiCase.h"
#include "engine/WalkRootGuard.h"
#include "engine/WildcardMatch.h"

#include <utility>

namespace {

struct RootName {
    uint32_t stored;
    const char* name;
    const char* shortName;
};

constexpr RootName kRoots[] = {
    {0x80000000u, "HKEY_CLASSES_ROOT", "HKCR"},
    {0x80000001u, "HKEY_CURRENT_USER", "HKCU"},
    {0x80000002u, "HKEY_LOCAL_MACHINE", "HKLM"},
    {0x80000003u, "HKEY_USERS", "HKU"},
    {0x80000005u, "HKEY_CURRENT_CONFIG", "HKCC"},
};

// A key compares by its root's long name: "HKCU\x" and "HKEY_CURRENT_USER\x" are one key.
std::string FoldedKey(std::string_view key) {
    std::string s = AsciiLower(key);
    for (char& c : s)
        if (c == '/') c = '\\';
    const size_t slash = s.find('\\');
    const std::string root = s.substr(0, slash);
    for (const RootName& r : kRoots) {
        if (root == AsciiLower(r.shortName)) {
            s = AsciiLower(r.name) + (slash == std::string::npos ? std::string() : s.substr(slash));
            break;
        }
    }
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

ExcludeList g_active;
run_excludes::Loader g_loader = nullptr;
// A plain pointer: thread_local objects with destructors are unreliable with MinGW's threads.
thread_local const ExcludeList* t_scoped = nullptr;

}  // namespace

std::optional<Exclude> ParseExclude(std::string_view stored) {
    const size_t bar = stored.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    const std::string kind = AsciiLower(stored.substr(0, bar));
    std::string path(stored.substr(bar + 1));
    while (!path.empty() && (path.back() == ' ' || path.back() == '\0')) path.pop_back();
    Exclude e;
    if (kind == "file") e.kind = ExcludeKind::File;
    else if (kind == "path") e.kind = ExcludeKind::Folder;
    else if (kind == "reg") e.kind = ExcludeKind::Key;
    else return std::nullopt;
    // A folder or key that names nothing (a bare root) would exclude a whole disk or hive: ignored.
    const std::string folded = e.kind == ExcludeKind::Key ? FoldedKey(path) : NormaliseFolderForCompare(path);
    if (folded.empty() || (e.kind != ExcludeKind::Key && WalkRootGuard::IsVolumeRoot(path)) ||
        (e.kind == ExcludeKind::Key && folded.find('\\') == std::string::npos))
        return std::nullopt;
    e.path = std::move(path);
    return e;
}

std::string StoredExclude(const Exclude& exclude) {
    const char* kind = exclude.kind == ExcludeKind::File ? "FILE|" : exclude.kind == ExcludeKind::Folder ? "PATH|" : "REG|";
    return kind + exclude.path;
}

bool SameExclude(const Exclude& a, const Exclude& b) {
    if (a.kind != b.kind) return false;
    if (a.kind == ExcludeKind::Key) return FoldedKey(a.path) == FoldedKey(b.path);
    return NormaliseFolderForCompare(a.path) == NormaliseFolderForCompare(b.path);
}

std::string RegistryKeyName(uint32_t rootKey, std::string_view subkey) {
    for (const RootName& r : kRoots) {
        if (r.stored != rootKey) continue;
        while (!subkey.empty() && subkey.front() == '\\') subkey.remove_prefix(1);
        return subkey.empty() ? std::string(r.name) : std::string(r.name) + "\\" + std::string(subkey);
    }
    return {};
}

void ExcludeList::Add(const Exclude& exclude) {
    switch (exclude.kind) {
        case ExcludeKind::File: files_.insert(NormaliseFolderForCompare(exclude.path)); break;
        case ExcludeKind::Folder: folders_.insert(NormaliseFolderForCompare(exclude.path)); break;
        case ExcludeKind::Key: keys_.insert(FoldedKey(exclude.path)); break;
    }
}

void ExcludeList::AddFilePattern(const std::string& folder, const std::string& mask, bool below) {
    const std::string folded = NormaliseFolderForCompare(folder);
    if (folded.empty() || mask.empty()) return;
    patterns_.emplace(folded, FilePattern{mask, below});
}

void ExcludeList::AddValue(const std::string& key, const std::string& valueName) {
    const std::string folded = FoldedKey(key);
    if (folded.find('\\') == std::string::npos) return;  // never a whole root's value
    values_.insert(folded + "|" + AsciiLower(valueName));
}

void ExcludeList::AddAll(const ExcludeList& other) {
    files_.insert(other.files_.begin(), other.files_.end());
    folders_.insert(other.folders_.begin(), other.folders_.end());
    keys_.insert(other.keys_.begin(), other.keys_.end());
    values_.insert(other.values_.begin(), other.values_.end());
    patterns_.insert(other.patterns_.begin(), other.patterns_.end());
}

// The file's own folder takes every pattern, each folder above it only those that reach below.
bool ExcludeList::MatchesPattern(const std::string& folded) const {
    if (patterns_.empty()) return false;
    const size_t slash = folded.rfind('\\');
    if (slash == std::string::npos || slash + 1 == folded.size()) return false;
    const std::string name = folded.substr(slash + 1);
    bool own = true;
    for (size_t end = slash; end != std::string::npos && end > 0; end = folded.rfind('\\', end - 1), own = false) {
        const auto range = patterns_.equal_range(folded.substr(0, end));
        for (auto it = range.first; it != range.second; ++it)
            if ((own || it->second.below) && MatchesWildcard(name, it->second.mask)) return true;
    }
    return false;
}

// Looks up the name and each of its parents: one hash lookup per level.
bool ExcludeList::AtOrBelow(const std::unordered_set<std::string>& set, const std::string& folded) {
    if (set.empty() || folded.empty()) return false;
    for (size_t end = folded.size(); end != std::string::npos && end > 0; end = folded.rfind('\\', end - 1)) {
        if (set.count(folded.substr(0, end))) return true;
    }
    return false;
}

bool ExcludeList::ExcludesFile(std::string_view path) const {
    if (files_.empty() && folders_.empty() && patterns_.empty()) return false;
    const std::string folded = NormaliseFolderForCompare(std::string(path));
    return files_.count(folded) != 0 || AtOrBelow(folders_, folded) || MatchesPattern(folded);
}

bool ExcludeList::ExcludesFolder(std::string_view path) const {
    return !folders_.empty() && AtOrBelow(folders_, NormaliseFolderForCompare(std::string(path)));
}

bool ExcludeList::ExcludesFileItself(std::string_view path) const {
    if (files_.empty() && patterns_.empty()) return false;
    const std::string folded = NormaliseFolderForCompare(std::string(path));
    return files_.count(folded) != 0 || MatchesPattern(folded);
}

bool ExcludeList::ExcludesKey(std::string_view key) const {
    if (keys_.empty()) return false;
    const std::string folded = FoldedKey(key);
    for (size_t end = folded.size(); end != std::string::npos && end > 0; end = folded.rfind('\\', end - 1)) {
        if (keys_.count(folded.substr(0, end))) return true;
    }
    return false;
}

bool ExcludeList::ExcludesValue(std::string_view key, std::string_view valueName) const {
    if (ExcludesKey(key)) return true;
    return !values_.empty() && values_.count(FoldedKey(key) + "|" + AsciiLower(valueName)) != 0;
}

namespace run_excludes {
const ExcludeList& Active() { return t_scoped ? *t_scoped : g_active; }

AddedScope::AddedScope(const ExcludeList& added) : merged_(Active()), previous_(t_scoped) {
    merged_.AddAll(added);
    t_scoped = &merged_;
}

AddedScope::~AddedScope() { t_scoped = previous_; }

void Set(ExcludeList list) { g_active = std::move(list); }
void SetLoader(Loader loader) { g_loader = loader; }
void Begin(const std::string& settingsPath) { Set(g_loader ? g_loader(settingsPath) : ExcludeList()); }
}  // namespace run_excludes
