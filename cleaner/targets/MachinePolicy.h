#pragma once
#include "engine/ExcludeList.h"
#include "targets/CleanerSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TargetCatalog;

// What an administrator set for Tracelorn under Software\Policies\Quorvane\Tracelorn: each value
// that is present overrides the user's setting and locks it, in the Options dialog and in the
// console alike. The machine's key (HKEY_LOCAL_MACHINE) wins over the user's (HKEY_CURRENT_USER)
// value by value. Reading the registry is PolicyReader's job; this is what the values mean.
namespace policy_names {
constexpr const char* kKeyPath = "Software\\Policies\\Quorvane\\Tracelorn";
constexpr const char* kTargetsKey = "Targets";              // a value per target name: 1 on, 0 off
constexpr const char* kCookiesToKeepKey = "CookiesToKeep";  // every value's text is a site
constexpr const char* kExcludesKey = "Excludes";            // every value's text: FILE|, PATH| or REG|
// Every value the program reads directly under kKeyPath, in one list for the reader, the
// administrative template's check and the documentation.
const std::vector<const char*>& ValueNames();
bool IsTextValue(const std::string& name);  // UpdateURL, AKAppExitName; the others are numbers
}  // namespace policy_names

// The values of one policy key as the registry holds them, before they mean anything: numbers
// (REG_DWORD) and texts (REG_SZ) under their stored names.
struct PolicyKeyValues {
    std::vector<std::pair<std::string, uint32_t>> numbers;
    std::vector<std::pair<std::string, std::string>> texts;
    std::vector<std::pair<std::string, uint32_t>> targets;  // Targets: REG_DWORD, or REG_SZ "0"/"1"
    std::vector<std::string> cookiesToKeep;                 // CookiesToKeep: the texts of its values
    std::vector<std::string> excludes;                      // Excludes: the texts of its values
};

struct MachinePolicy {
    std::optional<bool> autoUpdate;
    std::optional<std::string> updateUrl;
    std::optional<bool> secDel;
    std::optional<int> delRep;  // 1..9
    std::optional<bool> skipOverwriteSolidState;
    std::optional<bool> autoStart;
    std::optional<bool> akWinStart;
    std::optional<bool> akBrowserClosed;
    std::optional<bool> akAppExit;
    std::optional<std::string> akAppExitName;
    std::optional<bool> akEveryTime;
    std::optional<int> akEveryTimeTime;  // 0..11
    std::vector<std::pair<std::string, bool>> targets;  // forced on or off, by target name
    // Sites whose cookies are always kept, beside the user's keep-list (every run reads both).
    std::vector<std::string> cookiesToKeep;
    // What no run removes, beside the user's excludes (every run honours both); a text of
    // another form is ignored.
    std::vector<Exclude> excludes;

    // One key's values; a number out of range is brought into it as the settings store does
    // (DelRep 1..9, AKEveryTimeTime 0..11), a Targets value other than 0 or 1 is ignored.
    static MachinePolicy FromValues(const PolicyKeyValues& values);
    // The machine's values, and the user's where the machine sets nothing.
    static MachinePolicy Merge(const MachinePolicy& machine, const MachinePolicy& user);

    bool Empty() const;
    // The forced state of a target by its name (names compare without regard to case).
    std::optional<bool> ForcedTarget(const std::string& name) const;
    // Whether an overwrite pass count chosen for one run keeps within the locks: with SecDel forced
    // on no run goes without overwriting, and a forced DelRep is the least number of passes.
    // 0 means no overwrite.
    bool AllowsPasses(int passes) const;

    // Overrides the catalogue's settings, the engine's overwrite settings and the selection of
    // every forced target.
    void ApplyTo(TargetCatalog& catalog) const;
    void ApplyTo(CleanerSettings& settings) const;
};

// The text shown on every control a policy locks.
constexpr const char* kSetByAdministrator = "Set by your administrator";
