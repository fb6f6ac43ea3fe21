#pragma once
// Writing the settings' registry keys, logging what the installation created, and the deletions of
// the uninstaller.
#include "config/InstallSettings.h"
#include "config/MacroTable.h"
#include "install/UninstallLog.h"
#include "install/UninstallPlan.h"

#include <vector>

namespace setup {

// Creates each key (every missing component logged as created when `log` is given) and writes its
// values: dwords as REG_DWORD, strings macro-expanded as REG_SZ. A value written into a key that
// existed before is logged on its own. Key nodes whose expanded subkey is not usable are passed
// over. Returns the number of keys and values that could not be written.
[[nodiscard]] int WriteRegistryKeys(const std::vector<RegKeySpec>& keys, const MacroTable& macros, UninstallLog* log);

// Each returns false only when something that exists could not be removed.
[[nodiscard]] bool DeleteRegistryValue(uint32_t root, const std::u16string& key, const std::u16string& name);
[[nodiscard]] bool DeleteRegistryTree(uint32_t root, const std::u16string& key);
// Removes the key when it has neither subkeys nor values left.
[[nodiscard]] bool DeleteRegistryKeyIfEmpty(uint32_t root, const std::u16string& key);

}  // namespace setup
