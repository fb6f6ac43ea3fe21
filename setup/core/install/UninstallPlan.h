#pragma once
// What an uninstallation removes, decided apart from the file system and the registry. The log is a
// file any user process can change, so an entry is trusted only where it points: files inside the
// installation folder or the Desktop or Programs folder the installation used; folders there too,
// or above the installation folder (those are only ever removed when empty); keys and values only
// those the settings write (or, for created keys, their parents). Whatever the product itself
// writes comes from the settings' "uninst" node.
#include "config/InstallSettings.h"
#include "config/MacroTable.h"
#include "install/UninstallLog.h"

#include <string>
#include <vector>

namespace setup {

struct RegKeyRef {
    uint32_t root = 0;
    std::u16string key;
    // For a key the installation created: the values the settings write there, removed first.
    std::vector<std::u16string> values;
};

struct UninstallScope {
    std::u16string installFolder;
    std::u16string desktopFolder;   // empty when unknown
    std::u16string programsFolder;  // empty when unknown
};

struct UninstallPlan {
    std::vector<std::u16string> files;         // logged files, in log order
    std::vector<std::u16string> productFiles;  // patterns under the installation folder
    std::vector<std::u16string> folders;       // deepest first; each removed only when empty
    std::vector<RegValueRef> values;           // logged values and the product's own values
    std::vector<RegKeyRef> trees;              // the product's own keys, removed with everything below
    std::vector<RegKeyRef> createdKeys;        // deepest first; each removed when no subkey is left
    size_t refused = 0;                        // log entries that point elsewhere
};

// The settings' keys with their subkeys expanded the same way as at installation.
std::vector<RegKeySpec> ExpandedKeys(const std::vector<RegKeySpec>& keys, const MacroTable& macros);

UninstallPlan PlanUninstall(const UninstallLog& log, const UninstallScope& scope, const InstallSettings& settings,
                            const MacroTable& macros);

}  // namespace setup
