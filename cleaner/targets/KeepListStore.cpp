#include "targets/KeepListStore.h"

#include "platform/Handles.h"
#include "platform/Text.h"
#include "targets/BrowserRows.h"
#include "targets/CookieSites.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr DWORD kMaxValueName = 16383;

RegKey OpenList(const std::string& settingsPath, bool create) {
    RegKey key;
    if (settingsPath.empty()) return key;
    const std::wstring path = WideFromUtf8("software\\" + settingsPath + "\\" + KeepListStore::kSubkey);
    if (path.empty()) return key;
    const LONG rc = create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr)
                           : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, key.Receive());
    if (rc != ERROR_SUCCESS) key.Reset();
    return key;
}

// Every value name of the subkey as stored (the names a removal must delete).
std::vector<std::wstring> ValueNames(HKEY key) {
    std::vector<std::wstring> names;
    std::wstring name(kMaxValueName + 1, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = kMaxValueName + 1;
        const LONG rc = ::RegEnumValueW(key, i, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) names.emplace_back(name.data(), length);
    }
    return names;
}

// The site a stored value name stands for; empty when it is none (or not text we can read).
std::string SiteOf(const std::wstring& name) {
    std::string utf8;
    if (!Utf8FromWide(name, utf8)) return {};
    return NormalizedSite(utf8);
}

}  // namespace

std::vector<std::string> KeepListStore::Sites() const {
    RegKey key = OpenList(settingsPath_, false);
    if (!key) return {};
    std::vector<std::string> names;
    for (const std::wstring& name : ValueNames(key.Get())) {
        std::string utf8;
        if (Utf8FromWide(name, utf8)) names.push_back(std::move(utf8));
    }
    return FoldedSites(names);
}

bool KeepListStore::Add(const std::string& site) const {
    const std::string stored = NormalizedSite(site);
    std::wstring name;
    if (stored.empty() || !WideFromUtf8(stored, name)) return false;
    RegKey key = OpenList(settingsPath_, true);
    if (!key) return false;
    const wchar_t empty[] = L"";
    return ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(empty), sizeof empty) ==
           ERROR_SUCCESS;
}

bool KeepListStore::Remove(const std::string& site) const {
    const std::string stored = NormalizedSite(site);
    RegKey key = OpenList(settingsPath_, false);
    if (!key || stored.empty()) return true;
    bool removed = true;
    for (const std::wstring& name : ValueNames(key.Get()))
        if (SiteOf(name) == stored) removed &= ::RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
    return removed;
}
