#pragma once
// Registry reads of the setup program, and the start-up language choice that depends on them.
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"

#include <windows.h>

#include <optional>
#include <string>

namespace setup {

// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS for 0-3; null otherwise.
HKEY RegistryRoot(uint32_t root);

// A REG_SZ value of at most maxBytes bytes; nothing when the key or value cannot be read.
std::optional<std::u16string> ReadRegistryString(HKEY root, const std::u16string& subkey, const std::u16string& value,
                                                 size_t maxBytes = 1024);

// The user's Windows language ("sLanguage" under HKCU\Control Panel\International, such as ENU).
std::optional<std::u16string> ReadWindowsLanguageName();

// A value of the product key of the settings (its path macro-expanded); nothing without the key.
std::optional<std::u16string> ReadProductValue(const InstallSettings& settings, const MacroTable& macros,
                                               const std::u16string& value);

// Steps 1 and 2 of the start-up language choice; returns the code selected.
std::u16string SelectStartLanguageFromRegistry(LanguageSet& languages, const InstallSettings& settings);

}  // namespace setup
