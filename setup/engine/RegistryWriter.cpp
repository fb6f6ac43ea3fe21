#include "engine/RegistryWriter.h"

#include "install/PathRules.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "win/WideText.h"

namespace setup {

namespace {

// Opens or creates the key one component at a time, so that every component the installation
// creates is known and logged.
bool CreateKeyLogged(uint32_t root, const std::u16string& key, UninstallLog* log, RegKey& opened) {
    HKEY rootKey = RegistryRoot(root);
    if (!rootKey) return false;
    RegKey parent;
    HKEY current = rootKey;
    size_t start = 0;
    while (start < key.size()) {
        size_t end = key.find(u'\\', start);
        if (end == std::u16string::npos) end = key.size();
        RegKey next;
        DWORD disposition = 0;
        if (::RegCreateKeyExW(current, ToWide(key.substr(start, end - start)).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, next.Receive(),
                              &disposition) != ERROR_SUCCESS) {
            return false;
        }
        if (disposition == REG_CREATED_NEW_KEY && log) log->AddCreatedKey(root, key.substr(0, end));
        parent = std::move(next);
        current = parent.Get();
        start = end + 1;
    }
    opened = std::move(parent);
    return true;
}

bool WriteValue(HKEY key, const RegValueSpec& value, const MacroTable& macros) {
    const std::wstring name = ToWide(value.name);
    if (value.isDword) {
        const DWORD data = value.dword;
        return ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                sizeof data) == ERROR_SUCCESS;
    }
    const std::wstring text = ToWide(macros.Expand(value.text));
    // The size counts the terminator, as readers of REG_SZ expect it stored.
    const DWORD bytes = DWORD((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
           ERROR_SUCCESS;
}

}  // namespace

int WriteRegistryKeys(const std::vector<RegKeySpec>& keys, const MacroTable& macros, UninstallLog* log) {
    int failures = 0;
    for (const RegKeySpec& spec : ExpandedKeys(keys, macros)) {
        RegKey key;
        if (!CreateKeyLogged(spec.root, spec.key, log, key)) {
            ++failures;
            continue;
        }
        const bool created = log && log->HasCreatedKey(spec.root, spec.key);
        for (const RegValueSpec& value : spec.values) {
            if (!WriteValue(key.Get(), value, macros)) {
                ++failures;
                continue;
            }
            if (log && !created) log->AddWrittenValue(spec.root, spec.key, value.name);
        }
    }
    return failures;
}

bool DeleteRegistryValue(uint32_t root, const std::u16string& key, const std::u16string& name) {
    RegKey opened;
    if (::RegOpenKeyExW(RegistryRoot(root), ToWide(key).c_str(), 0, KEY_SET_VALUE, opened.Receive()) !=
        ERROR_SUCCESS) {
        return true;
    }
    const LONG status = ::RegDeleteValueW(opened.Get(), ToWide(name).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool DeleteRegistryTree(uint32_t root, const std::u16string& key) {
    if (!IsUsableSubkey(key) || !RegistryRoot(root)) return false;
    const LONG status = ::RegDeleteTreeW(RegistryRoot(root), ToWide(key).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool DeleteRegistryKeyIfEmpty(uint32_t root, const std::u16string& key) {
    if (!IsUsableSubkey(key) || !RegistryRoot(root)) return false;
    {
        RegKey opened;
        if (::RegOpenKeyExW(RegistryRoot(root), ToWide(key).c_str(), 0, KEY_READ, opened.Receive()) != ERROR_SUCCESS) {
            return true;
        }
        DWORD subkeys = 0, values = 0;
        if (::RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        // Something that is not ours lives there: the key stays, and that is not a failure.
        if (subkeys || values) return true;
    }
    const LONG status = ::RegDeleteKeyW(RegistryRoot(root), ToWide(key).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace setup
