#include "win/Registry.h"

#include "config/StartLanguage.h"
#include "win/Handles.h"
#include "win/WideText.h"

#include <vector>

namespace setup {

HKEY RegistryRoot(uint32_t root) {
    switch (root) {
    case kClassesRoot: return HKEY_CLASSES_ROOT;
    case kCurrentUser: return HKEY_CURRENT_USER;
    case kLocalMachine: return HKEY_LOCAL_MACHINE;
    case kUsers: return HKEY_USERS;
    default: return nullptr;
    }
}

std::optional<std::u16string> ReadRegistryString(HKEY root, const std::u16string& subkey, const std::u16string& value,
                                                 size_t maxBytes) {
    if (!root) return std::nullopt;
    RegKey key;
    if (::RegOpenKeyExW(root, ToWide(subkey).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(maxBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD type = 0;
    DWORD size = DWORD(maxBytes);
    if (::RegQueryValueExW(key.Get(), ToWide(value).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    buffer[size / sizeof(wchar_t)] = L'\0';
    return FromWide(buffer.data());
}

std::optional<std::u16string> ReadWindowsLanguageName() {
    return ReadRegistryString(HKEY_CURRENT_USER, u"Control Panel\\International", u"sLanguage", 128);
}

std::optional<std::u16string> ReadProductValue(const InstallSettings& settings, const MacroTable& macros,
                                               const std::u16string& value) {
    const RegKeySpec* key = settings.ProductKey();
    if (!key) return std::nullopt;
    return ReadRegistryString(RegistryRoot(key->root), macros.Expand(key->key), value);
}

std::u16string SelectStartLanguageFromRegistry(LanguageSet& languages, const InstallSettings& settings) {
    return SelectStartLanguage(languages, settings.Langs(), ReadWindowsLanguageName(),
                               ReadProductValue(settings, languages.Macros(), u"Language"));
}

}  // namespace setup
