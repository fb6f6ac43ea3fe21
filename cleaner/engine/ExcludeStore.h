#pragma once
#include "engine/ExcludeList.h"

#include <string>
#include <vector>

// The user's excludes in the registry: the subkey "Excludes" of the settings key
// (HKEY_CURRENT_USER\software\<settings path>), one REG_SZ per exclude under any value name.
// Values of another type or form are left where they are and ignored.
namespace exclude_store {

constexpr const char* kSubkey = "Excludes";

struct StoredEntry {
    std::string valueName;
    Exclude exclude;
};

std::vector<StoredEntry> Read(const std::string& settingsPath);
// Adds the exclude under a fresh value name; true when it is stored (also when it was already).
[[nodiscard]] bool Add(const std::string& settingsPath, const Exclude& exclude);
[[nodiscard]] bool Remove(const std::string& settingsPath, const std::string& valueName);

// The list a run compares with: each file and folder both as stored and, while it exists, in its
// resolved form, so an exclude named through a link still matches the walk's final paths.
ExcludeList Load(const std::string& settingsPath);
// Adds one exclude as Load adds each: as given, and a file or folder also in its resolved form.
void AddWithResolved(ExcludeList& list, const Exclude& exclude);
// Makes a loader the source of every run's excludes (run_excludes::Begin): Load, or one that
// adds to what Load gives.
void InstallLoader(run_excludes::Loader loader = &Load);

}  // namespace exclude_store
