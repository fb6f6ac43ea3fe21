#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// What the user chose never to remove: a file, a folder with everything below it, or a registry
// key with its values and subkeys. Stored one per string value as "FILE|<path>", "PATH|<folder>"
// or "REG|<key>", by path, so an exclude holds for a file that goes and comes back. Paths and keys
// compare case-insensitively on their full form (files and folders as the walk resolves them).
enum class ExcludeKind { File, Folder, Key };

struct Exclude {
    ExcludeKind kind = ExcludeKind::File;
    std::string path;  // as stored; a key starts with its root's long name (HKEY_CURRENT_USER\...)
};

// The entry a stored string names; nothing for a string of another form or with an empty path.
std::optional<Exclude> ParseExclude(std::string_view stored);
std::string StoredExclude(const Exclude& exclude);
// Both name the same thing the same way (kind, and path or key as they compare).
bool SameExclude(const Exclude& a, const Exclude& b);

// The full name of a key below a root given as its stored handle value (0x80000001 is
// HKEY_CURRENT_USER); empty for a root of no known name.
std::string RegistryKeyName(uint32_t rootKey, std::string_view subkey);

class ExcludeList {
public:
    void Add(const Exclude& exclude);
    // The files in folder whose names match a wildcard mask, and with below in every folder under
    // it too. Never stored: it serves the excludes an imported cleaning file brings along.
    void AddFilePattern(const std::string& folder, const std::string& mask, bool below);
    // One value of a key: the key stays with it, its other values and subkeys may go. Never
    // stored either: an imported cleaning file's "REG|<key>|<value>".
    void AddValue(const std::string& key, const std::string& valueName);
    // Adds everything the other list excludes.
    void AddAll(const ExcludeList& other);
    bool Empty() const {
        return files_.empty() && folders_.empty() && keys_.empty() && values_.empty() && patterns_.empty();
    }
    // Key or value excludes: registry entries need the names of the keys they reach.
    bool HasKeys() const { return !keys_.empty() || !values_.empty(); }

    // The file itself, or a folder above it, is excluded.
    [[nodiscard]] bool ExcludesFile(std::string_view path) const;
    // The folder itself, or one above it: a walk does not enter it.
    [[nodiscard]] bool ExcludesFolder(std::string_view path) const;
    // Only the file itself, for a walk that has checked the folders on its way down.
    [[nodiscard]] bool ExcludesFileItself(std::string_view path) const;
    // The key itself or a key above it.
    [[nodiscard]] bool ExcludesKey(std::string_view key) const;
    // The value of that key itself (the key, or one above it, excluded holds for it too).
    [[nodiscard]] bool ExcludesValue(std::string_view key, std::string_view valueName) const;

private:
    struct FilePattern {
        std::string mask;
        bool below = false;
    };
    static bool AtOrBelow(const std::unordered_set<std::string>& set, const std::string& folded);
    bool MatchesPattern(const std::string& folded) const;
    std::unordered_multimap<std::string, FilePattern> patterns_;  // by folded folder
    std::unordered_set<std::string> files_;
    std::unordered_set<std::string> folders_;
    std::unordered_set<std::string> keys_;
    std::unordered_set<std::string> values_;  // folded key, '|', folded value name
};

// The excludes of the current run: set once when a Scan or Kill starts, before its worker does,
// and read by every walk and registry entry of that run.
namespace run_excludes {
// The run's excludes, with those of every AddedScope open on the calling thread.
const ExcludeList& Active();
// For its lifetime, and only on the thread that opened it, Active() also holds these excludes:
// an entry that brings its own keeps them through the same checks as the user's. A walk checks
// its files on its own thread, so whatever the scope's thread walks sees them.
class AddedScope {
public:
    explicit AddedScope(const ExcludeList& added);
    ~AddedScope();
    AddedScope(const AddedScope&) = delete;
    AddedScope& operator=(const AddedScope&) = delete;

private:
    ExcludeList merged_;
    const ExcludeList* previous_;
};
void Set(ExcludeList list);
// Where a run's excludes come from: the program installs its registry loader at start-up, so the
// platform-neutral action driver can begin a run with Begin. Without a loader a run has none.
using Loader = ExcludeList (*)(const std::string& settingsPath);
void SetLoader(Loader loader);
void Begin(const std::string& settingsPath);
}  // namespace run_excludes
