#include "engine/RegistryEntry.h"

#include "engine/Checkpoint.h"
#include "engine/RegistryRules.h"
#include "platform/Handles.h"
#include "platform/RegistryRoot.h"

#include <utility>
#include <vector>

namespace {

// Name buffers of the walks, terminator included. Names that do not fit are skipped.
constexpr DWORD kScanNameChars = 127;
constexpr DWORD kKillNameChars = 256;

// The ANSI code page's own case fold, so that names with accented letters compare as Windows does.
char LocaleFold(char c) {
    char s[2] = {c, 0};
    ::CharLowerBuffA(s, 1);
    return s[0];
}

bool QueryCounts(HKEY key, DWORD& subkeys, DWORD& values) {
    subkeys = values = 0;
    return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ValueNameAt(HKEY key, DWORD index, char* name, DWORD chars) {
    DWORD len = chars;
    return ::RegEnumValueA(key, index, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SubkeyNameAt(HKEY key, DWORD index, char* name, DWORD chars) {
    return ::RegEnumKeyA(key, index, name, chars) == ERROR_SUCCESS;
}

// Every key is opened as itself: a registry link is never followed into the key it names.
bool OpenKey(HKEY parent, const char* name, REGSAM access, RegKey& key) {
    return ::RegOpenKeyExA(parent, name, REG_OPTION_OPEN_LINK, access, key.Receive()) == ERROR_SUCCESS;
}

bool IsLink(HKEY key) {
    DWORD type = 0;
    return ::RegQueryValueExA(key, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Deletes the link key itself. The documented delete functions open the name again and would
// follow the link, deleting the key it leads to instead.
void DeleteLinkKey(HKEY link) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static const auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    if (deleteKey) (void)deleteKey(link);
}

// A key path component that is exactly "*" stands for every subkey at that level (the Count key
// below each UserAssist GUID, the per-account MRU keys of Office), so an entry can reach one named
// key below keys whose names differ per machine without emptying their parents. Links are never
// followed while expanding. A key that really is named "*" (HKEY_CLASSES_ROOT\* is one) is taken as
// named when it exists, as before.
template <typename Visit>
void ForEachKey(HKEY root, const std::string& subkey, const Visit& visit) {
    const std::string padded = "\\" + subkey + "\\";
    const size_t star = padded.find("\\*\\");
    RegKey literal;
    if (star == std::string::npos || OpenKey(root, subkey.c_str(), KEY_READ, literal)) {
        literal.Reset();
        visit(root, subkey);
        return;
    }
    const std::string parent = subkey.substr(0, star == 0 ? 0 : star - 1);
    const std::string rest = star + 3 < padded.size() ? padded.substr(star + 3, padded.size() - star - 4) : "";
    RegKey key;
    if (parent.empty() || !OpenKey(root, parent.c_str(), KEY_READ, key) || IsLink(key.Get())) return;
    DWORD subkeys = 0, values = 0;
    if (!QueryCounts(key.Get(), subkeys, values)) return;
    std::vector<std::string> names;
    char name[kKillNameChars];
    for (DWORD i = 0; i < subkeys; ++i) {
        Checkpoint();
        if (SubkeyNameAt(key.Get(), i, name, kKillNameChars)) names.emplace_back(name);
    }
    key.Reset();
    for (const std::string& n : names) {
        RegKey child;
        if (!OpenKey(root, (parent + "\\" + n).c_str(), KEY_READ, child) || IsLink(child.Get())) continue;
        child.Reset();
        ForEachKey(root, rest.empty() ? parent + "\\" + n : parent + "\\" + n + "\\" + rest, visit);
    }
}

}  // namespace

RegistryEntry::RegistryEntry(uint32_t rootKey, std::string subkey, std::optional<std::string> pattern,
                             bool recurse)
    : RemEntry(RemKind::RegistryKey) {
    record_.recurse = recurse;
    SetKeyAndPattern(rootKey, std::move(subkey), std::move(pattern));
}

RegistryEntry::RegistryEntry(const EntryRecord& record) : RemEntry(RemKind::RegistryKey), record_(record) {
    if (record.Kind() == RemKind::RegistryValues && record.hasPattern) {
        SetKind(RemKind::RegistryValues);
        match_ = DeriveValueMatch(record.valueName);
    } else {
        // Kind 6 keeps mode All: every value of the key goes.
        record_.SetKind(RemKind::RegistryKey);
        record_.valueName.clear();
        record_.hasPattern = false;
    }
}

void RegistryEntry::SetKeyAndPattern(uint32_t rootKey, std::string subkey, std::optional<std::string> pattern) {
    record_.rootKey = rootKey;
    record_.key = std::move(subkey);
    record_.hasPattern = pattern.has_value();
    record_.valueName = pattern ? *pattern : std::string();
    const RemKind kind = pattern ? RemKind::RegistryValues : RemKind::RegistryKey;
    record_.SetKind(kind);
    SetKind(kind);
    match_ = pattern ? DeriveValueMatch(*pattern) : ValueMatch{};
}

bool RegistryEntry::MatchesValueName(const char* name) const {
    Checkpoint();
    return ::MatchesValueName(match_, name, LocaleFold);
}

bool RegistryEntry::NamesARealKey() const {
    return record_.key.find_first_not_of('\\') != std::string::npos && RegistryRecordIsSafe(record_);
}

void RegistryEntry::Scan() {
    if (NamesARealKey())
        ForEachKey(RootKeyHandle(record_.rootKey), record_.key, [this](HKEY root, const std::string& subkey) {
            RegKey key;
            if (!OpenKey(root, subkey.c_str(), KEY_READ, key) || IsLink(key.Get())) return;
            uint32_t count = 0;
            CountValues(key.Get(), count);
            AddItems(count);
        });
    MarkScanned();
}

void RegistryEntry::CountValues(HKEY key, uint32_t& count) const {
    DWORD subkeys = 0, values = 0;
    if (!QueryCounts(key, subkeys, values)) return;
    if (match_.mode == ValueMatchMode::All) {
        count += values;
    } else {
        char name[kScanNameChars];
        for (DWORD i = 0; i < values; ++i)
            if (ValueNameAt(key, i, name, kScanNameChars) && MatchesValueName(name)) ++count;
    }
    if (!record_.recurse) return;
    char name[kScanNameChars];
    for (DWORD i = 0; i < subkeys; ++i) {
        Checkpoint();
        if (!SubkeyNameAt(key, i, name, kScanNameChars)) continue;
        RegKey sub;
        if (!OpenKey(key, name, KEY_READ, sub) || IsLink(sub.Get())) continue;
        CountValues(sub.Get(), count);
    }
}

void RegistryEntry::Kill() {
    if (NamesARealKey())
        ForEachKey(RootKeyHandle(record_.rootKey), record_.key, [this](HKEY root, const std::string& subkey) {
            RegKey key;
            if (!OpenKey(root, subkey.c_str(), KEY_READ | KEY_WRITE | DELETE, key)) return;
            if (IsLink(key.Get())) {
                if (Kind() == RemKind::RegistryKey) DeleteLinkKey(key.Get());
                return;
            }
            uint32_t count = 0;
            DeleteValues(key.Get(), count);
            AddItems(count);
            key.Reset();
            // Fails, and leaves the key, while it still has subkeys (recurse off): that is intended.
            if (Kind() == RemKind::RegistryKey) (void)::RegDeleteKeyA(root, subkey.c_str());
        });
    MarkKilled();
}

void RegistryEntry::DeleteValues(HKEY key, uint32_t& count) const {
    DWORD subkeys = 0, values = 0;
    if (!QueryCounts(key, subkeys, values)) return;
    char name[kKillNameChars];
    // From the last index down, so that a deletion never shifts a name still to be read.
    for (DWORD i = values; i-- > 0;) {
        Checkpoint();
        if (!ValueNameAt(key, i, name, kKillNameChars)) continue;
        if (match_.mode != ValueMatchMode::All && !MatchesValueName(name)) continue;
        if (::RegDeleteValueA(key, name) == ERROR_SUCCESS) ++count;
    }
    if (!record_.recurse) return;
    for (DWORD i = subkeys; i-- > 0;) {
        Checkpoint();
        if (!SubkeyNameAt(key, i, name, kKillNameChars)) continue;
        {
            RegKey sub;
            if (!OpenKey(key, name, KEY_READ | KEY_WRITE | DELETE, sub)) continue;
            if (IsLink(sub.Get())) {
                // Only the link goes, and only where the whole subtree goes.
                if (match_.mode == ValueMatchMode::All) DeleteLinkKey(sub.Get());
                continue;
            }
            DeleteValues(sub.Get(), count);
        }
        if (match_.mode == ValueMatchMode::All) (void)::RegDeleteKeyA(key, name);
    }
}
