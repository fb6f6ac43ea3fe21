#include "targets/TargetConditionProbe.h"

#include "platform/Handles.h"
#include "platform/RegistryRoot.h"
#include "platform/Text.h"
#include "targets/ImportedTargets.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// "80000001\Software\X" -> the root's handle and "Software\X"; none for a name without a
// predefined root.
bool SplitKeyName(const std::string& name, HKEY& root, std::string& key) {
    const size_t slash = name.find('\\');
    char* end = nullptr;
    const unsigned long number = std::strtoul(name.substr(0, slash).c_str(), &end, 16);
    if (!end || *end != '\0' || !IsPredefinedRootKey(static_cast<uint32_t>(number))) return false;
    root = RootKeyHandle(static_cast<uint32_t>(number));
    key = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    return true;
}

bool OpenKey(const std::string& name, RegKey& key) {
    HKEY root = nullptr;
    std::string path;
    std::wstring wide;
    if (!SplitKeyName(name, root, path) || !WideFromUtf8(path, wide)) return false;
    return ::RegOpenKeyExW(root, wide.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

std::optional<std::vector<std::string>> SubkeyNames(const std::string& name, size_t limit) {
    RegKey key;
    if (!OpenKey(name, key)) return std::nullopt;
    DWORD count = 0;
    // The count first: a key with more subkeys than it is worth listing costs one question.
    if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS ||
        count > limit)
        return std::nullopt;
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        wchar_t sub[256];
        DWORD length = 256;
        const LONG status = ::RegEnumKeyExW(key.Get(), i, sub, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return names;
        if (status != ERROR_SUCCESS) return std::nullopt;  // changed while listed: ask name by name
        std::string utf8;
        if (!Utf8FromWide(std::wstring_view(sub, length), utf8)) return std::nullopt;
        names.push_back(std::move(utf8));
        if (names.size() > limit) return std::nullopt;
    }
}

std::optional<std::vector<std::string>> FolderNames(const std::string& folder, size_t limit) {
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileExW(SystemPath(folder + "\\*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return std::nullopt;
    std::vector<std::string> names;
    do {
        std::string name;
        if (!Utf8FromWide(TrimNul(data.cFileName), name)) return std::nullopt;
        if (name == "." || name == "..") continue;
        names.push_back(std::move(name));
        if (names.size() > limit) return std::nullopt;
    } while (::FindNextFileW(find.Get(), &data));
    return ::GetLastError() == ERROR_NO_MORE_FILES ? std::optional(std::move(names)) : std::nullopt;
}

bool KeyNameExists(const std::string& name) {
    RegKey key;
    return OpenKey(name, key);
}

// One lookup, never a walk: a wildcard may stand in the last part only.
bool PathNameExists(const std::string& path) {
    if (path.find_first_of("*?") == std::string::npos)
        return ::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    WIN32_FIND_DATAW data;
    FindHandle find(
        ::FindFirstFileExW(SystemPath(path).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    return static_cast<bool>(find);
}

}  // namespace

PresenceCache::Lookups MachineKeyLookups() { return {KeyNameExists, SubkeyNames}; }
PresenceCache::Lookups MachinePathLookups() { return {PathNameExists, FolderNames}; }

Win32ConditionProbe::Win32ConditionProbe() : keys_(MachineKeyLookups()), paths_(MachinePathLookups()) {}

bool Win32ConditionProbe::KeyExists(uint32_t root, const std::string& key) const {
    if (!IsPredefinedRootKey(root)) return false;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%08X\\", static_cast<unsigned>(root));
    return keys_.Exists(prefix + key);
}

bool Win32ConditionProbe::PathExists(const std::string& path) const {
    for (const std::string& p : ExpandWinappPath(path))
        if (paths_.Exists(p)) return true;
    return false;
}

uint32_t Win32ConditionProbe::WindowsVersion() const {
    if (version_) return *version_;
    // GetVersionEx lies to programs without a manifest entry; the kernel's own numbers do not.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto get = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    version_ = !get || get(&info) != 0 ? 0u : static_cast<uint32_t>(info.dwMajorVersion * 100 + info.dwMinorVersion);
    return *version_;
}
