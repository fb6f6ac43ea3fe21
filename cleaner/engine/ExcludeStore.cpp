#include "engine/ExcludeStore.h"

#include "engine/FolderGuard.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace exclude_store {
namespace {

std::wstring KeyPath(const std::string& settingsPath) {
    return WideFromUtf8("software\\" + settingsPath + "\\" + kSubkey);
}

RegKey OpenExcludes(const std::string& settingsPath, bool create) {
    RegKey key;
    if (settingsPath.empty()) return key;
    const std::wstring path = KeyPath(settingsPath);
    if (create)
        (void)::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr);
    else
        (void)::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Receive());
    return key;
}

}  // namespace

std::vector<StoredEntry> Read(const std::string& settingsPath) {
    std::vector<StoredEntry> entries;
    RegKey key = OpenExcludes(settingsPath, false);
    if (!key) return entries;
    DWORD count = 0, nameMax = 0, dataMax = 0;
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &nameMax,
                           &dataMax, nullptr, nullptr) != ERROR_SUCCESS)
        return entries;
    std::wstring name;
    std::wstring data;
    for (DWORD i = 0; i < count; ++i) {
        name.assign(nameMax + 1, L'\0');
        data.assign(dataMax / sizeof(wchar_t) + 1, L'\0');
        DWORD nameLength = nameMax + 1;
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        if (::RegEnumValueW(key.Get(), i, &name[0], &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                            &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            continue;
        name.resize(nameLength);
        data.resize(size / sizeof(wchar_t));
        StoredEntry entry;
        std::string text;
        if (!Utf8FromWide(name, entry.valueName) || !Utf8FromWide(TrimNul(data), text)) continue;
        auto exclude = ParseExclude(text);
        if (!exclude) continue;
        entry.exclude = std::move(*exclude);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool Add(const std::string& settingsPath, const Exclude& exclude) {
    const std::string stored = StoredExclude(exclude);
    if (!ParseExclude(stored)) return false;
    int highest = 0;
    for (const StoredEntry& e : Read(settingsPath)) {
        if (SameExclude(e.exclude, exclude)) return true;
        highest = std::max(highest, std::atoi(e.valueName.c_str()));
    }
    RegKey key = OpenExcludes(settingsPath, true);
    if (!key) return false;
    std::wstring data;
    if (!WideFromUtf8(stored, data)) return false;
    // The next free number: the value name means nothing, but must not replace another exclude.
    for (int n = highest + 1;; ++n) {
        const std::wstring name = std::to_wstring(n);
        if (::RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) continue;
        return ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
}

bool Remove(const std::string& settingsPath, const std::string& valueName) {
    RegKey key = OpenExcludes(settingsPath, true);
    std::wstring name;
    if (!key || !WideFromUtf8(valueName, name)) return false;
    return ::RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

void AddWithResolved(ExcludeList& list, const Exclude& exclude) {
    list.Add(exclude);
    if (exclude.kind == ExcludeKind::Key) return;
    const std::string resolved = CanonicalPath(exclude.path);
    if (!resolved.empty()) list.Add(Exclude{exclude.kind, resolved});
}

ExcludeList Load(const std::string& settingsPath) {
    ExcludeList list;
    for (const StoredEntry& e : Read(settingsPath)) AddWithResolved(list, e.exclude);
    return list;
}

void InstallLoader(run_excludes::Loader loader) { run_excludes::SetLoader(loader); }

}  // namespace exclude_store
