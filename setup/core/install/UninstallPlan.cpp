#include "install/UninstallPlan.h"

#include "archive/EntryName.h"
#include "install/PathRules.h"

#include <algorithm>

namespace setup {

namespace {

bool InsideAny(const std::u16string& path, const UninstallScope& scope) {
    if (IsInsideFolder(path, scope.installFolder)) return true;
    if (!scope.desktopFolder.empty() && IsInsideFolder(path, scope.desktopFolder)) return true;
    return !scope.programsFolder.empty() && IsInsideFolder(path, scope.programsFolder);
}

bool FolderAllowed(const std::u16string& folder, const UninstallScope& scope) {
    // Only plain absolute paths: no doubled separators or dot steps that merely look inside.
    if (!IsAbsoluteFolder(folder)) return false;
    if (SamePath(folder, scope.installFolder)) return true;
    if (InsideAny(folder, scope)) return true;
    // The parents the installation created for its folder (removed only when empty).
    return !IsDriveRoot(folder) && IsInsideFolder(scope.installFolder, folder);
}

bool KeyListed(const RegLogEntry& entry, const std::vector<RegKeySpec>& keys) {
    for (const RegKeySpec& key : keys) {
        if (key.root != entry.root) continue;
        if (!entry.isValue) {
            if (SameKey(key.key, entry.key) || IsKeyAncestor(entry.key, key.key)) return true;
            continue;
        }
        if (!SameKey(key.key, entry.key)) continue;
        for (const RegValueSpec& value : key.values) {
            if (value.name == entry.value) return true;
        }
    }
    return false;
}

}  // namespace

std::vector<RegKeySpec> ExpandedKeys(const std::vector<RegKeySpec>& keys, const MacroTable& macros) {
    std::vector<RegKeySpec> expanded;
    for (RegKeySpec key : keys) {
        key.key = macros.Expand(key.key);
        if (!IsUsableSubkey(key.key)) continue;
        expanded.push_back(std::move(key));
    }
    return expanded;
}

UninstallPlan PlanUninstall(const UninstallLog& log, const UninstallScope& scope, const InstallSettings& settings,
                            const MacroTable& macros) {
    UninstallPlan plan;
    if (!IsAbsoluteFolder(scope.installFolder) || IsDriveRoot(scope.installFolder)) {
        plan.refused = log.Files().size() + log.Folders().size() + log.Registry().size();
        return plan;
    }
    for (const std::u16string& file : log.Files()) {
        if (InsideAny(file, scope)) {
            plan.files.push_back(file);
        } else {
            ++plan.refused;
        }
    }
    const std::vector<std::u16string> folders = log.Folders();
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        if (FolderAllowed(*it, scope)) {
            plan.folders.push_back(*it);
        } else {
            ++plan.refused;
        }
    }
    const UninstSpec& product = settings.Uninst();
    for (const std::u16string& pattern : product.files) {
        if (!IsContainedRelativePath(pattern)) continue;
        if (auto path = JoinPath(scope.installFolder, pattern)) plan.productFiles.push_back(*path);
    }
    // The folders the product files sit in were created by extraction and are logged; the plan
    // removes files before folders, so they are empty by then.

    const std::vector<RegKeySpec> keys = ExpandedKeys(settings.RegistryKeys(), macros);
    const std::vector<RegLogEntry> entries = log.Registry();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!KeyListed(*it, keys)) {
            ++plan.refused;
            continue;
        }
        if (it->isValue) {
            plan.values.push_back(RegValueRef{it->root, it->key, it->value});
        } else {
            RegKeyRef created{it->root, it->key, {}};
            for (const RegKeySpec& key : keys) {
                if (key.root != created.root || !SameKey(key.key, created.key)) continue;
                for (const RegValueSpec& value : key.values) created.values.push_back(value.name);
            }
            plan.createdKeys.push_back(std::move(created));
        }
    }
    for (const RegValueRef& value : product.values) {
        RegValueRef expanded = value;
        expanded.key = macros.Expand(value.key);
        if (IsUsableSubkey(expanded.key)) plan.values.push_back(std::move(expanded));
    }
    for (const RegKeySpec& key : ExpandedKeys(product.keys, macros)) plan.trees.push_back(RegKeyRef{key.root, key.key, {}});
    // Deepest first, whatever order the log gave.
    const auto depth = [](const RegKeyRef& k) { return std::count(k.key.begin(), k.key.end(), u'\\'); };
    std::stable_sort(plan.createdKeys.begin(), plan.createdKeys.end(),
                     [&](const RegKeyRef& a, const RegKeyRef& b) { return depth(a) > depth(b); });
    return plan;
}

}  // namespace setup
