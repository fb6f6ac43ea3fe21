#include "engine/RegistryEntry.h"

#include "engine/Checkpoint.h"
#include "engine/ExcludeList.h"
#include "engine/FoundItems.h"
#include "engine/RegistryRules.h"
#include "platform/Handles.h"
#include "platform/RegistryRoot.h"
#include "platform/Text.h"

#include <utility>
#include <vector>

namespace {

// Name buffers of the walks, in characters, terminator included. Names that do not fit are skipped.
constexpr DWORD kScanNameChars = 127;
constexpr DWORD kKillNameChars = 256;

// Case folded as the system folds names (the locale's own fold, accented letters included), so that
// a pattern and a name compare as Windows compares them.
std::string Folded(std::string_view text) {
    std::wstring wide;
    if (!WideFromUtf8(text, wide)) return {};
    if (!wide.empty()) ::CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return Utf8FromWide(wide);
}

char SameChar(char c) { return c; }

bool QueryCounts(HKEY key, DWORD& subkeys, DWORD& values) {
    subkeys = values = 0;
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// The name at index, as the registry holds it (wide), and its UTF-8 form. A name with no exact
// UTF-8 form (a lone surrogate) is skipped, never turned into another name.
bool ValueNameAt(HKEY key, DWORD index, std::wstring& wide, std::string& name, DWORD chars) {
    wide.assign(chars, L'\0');
    DWORD len = chars;
    if (::RegEnumValueW(key, index, &wide[0], &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    wide.resize(len);
    return Utf8FromWide(wide, name);
}

bool SubkeyNameAt(HKEY key, DWORD index, std::wstring& wide, DWORD chars) {
    wide.assign(chars, L'\0');
    DWORD len = chars;
    if (::RegEnumKeyExW(key, index, &wide[0], &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    wide.resize(len);
    std::string name;
    return Utf8FromWide(wide, name);
}

// Every key is opened as itself: a registry link is never followed into the key it names.
bool OpenKey(HKEY parent, const std::wstring& name, REGSAM access, RegKey& key) {
    return ::RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access, key.Receive()) == ERROR_SUCCESS;
}

bool IsLink(HKEY key) {
    DWORD type = 0;
    return ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Deletes the link key itself. The documented delete functions open the name again and would
// follow the link, deleting the key it leads to instead.
void DeleteLinkKey(HKEY link) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static const auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    if (deleteKey) (void)deleteKey(link);
}

// A key path component that is exactly "*" stands for every subkey at that level (the Count key
// below each UserAssist GUID, the per-account MRU keys of Office), so an entry can reach one named
// key below keys whose names differ per machine without emptying their parents. Links are never
// followed while expanding. A key that really is named "*" (HKEY_CLASSES_ROOT\* is one) is taken as
// named when it exists, as before.
template <typename Visit>
void ForEachKey(HKEY root, const std::wstring& subkey, const Visit& visit) {
    const std::wstring padded = L"\\" + subkey + L"\\";
    const size_t star = padded.find(L"\\*\\");
    RegKey literal;
    if (star == std::wstring::npos || OpenKey(root, subkey, KEY_READ, literal)) {
        literal.Reset();
        visit(root, subkey);
        return;
    }
    const std::wstring parent = subkey.substr(0, star == 0 ? 0 : star - 1);
    const std::wstring rest = star + 3 < padded.size() ? padded.substr(star + 3, padded.size() - star - 4) : L"";
    RegKey key;
    if (parent.empty() || !OpenKey(root, parent, KEY_READ, key) || IsLink(key.Get())) return;
    DWORD subkeys = 0, values = 0;
    if (!QueryCounts(key.Get(), subkeys, values)) return;
    std::vector<std::wstring> names;
    std::wstring name;
    for (DWORD i = 0; i < subkeys; ++i) {
        Checkpoint();
        if (SubkeyNameAt(key.Get(), i, name, kKillNameChars)) names.push_back(name);
    }
    key.Reset();
    for (const std::wstring& n : names) {
        RegKey child;
        if (!OpenKey(root, parent + L"\\" + n, KEY_READ, child) || IsLink(child.Get())) continue;
        child.Reset();
        ForEachKey(root, rest.empty() ? parent + L"\\" + n : parent + L"\\" + n + L"\\" + rest, visit);
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
        folded_ = ValueMatch{match_.mode, Folded(match_.text)};
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
    folded_ = ValueMatch{match_.mode, Folded(match_.text)};
}

bool RegistryEntry::MatchesValueName(std::string_view name) const {
    Checkpoint();
    return ::MatchesValueName(folded_, Folded(name), SameChar);
}

bool RegistryEntry::NamesARealKey() const {
    return record_.key.find_first_not_of('\\') != std::string::npos && RegistryRecordIsSafe(record_);
}

// A key a wildcard reached is held to the same rule as a named one: an entry that empties whole
// keys never empties a structural one because a "*" led there.
bool RegistryEntry::ExpandedKeyIsSafe(const std::wstring& subkey) const {
    EntryRecord expanded = record_;
    return Utf8FromWide(subkey, expanded.key) && RegistryRecordIsSafe(expanded);
}

bool RegistryEntry::Excluded(const std::string& keyName) const {
    return run_excludes::Active().HasKeys() && run_excludes::Active().ExcludesKey(keyName);
}

bool RegistryEntry::ExcludedValue(const std::string& keyName, const std::string& valueName) const {
    return run_excludes::Active().HasKeys() && run_excludes::Active().ExcludesValue(keyName, valueName);
}

// Key names are built only for someone who reads them: the user's key excludes, or a sink
// collecting what the run finds.
static bool NeedsKeyNames() { return run_excludes::Active().HasKeys() || CurrentFoundItems() != nullptr; }

// The name of a subkey below keyName, built only while someone needs it.
static std::string SubkeyName(const std::string& keyName, const std::wstring& name) {
    return NeedsKeyNames() ? keyName + "\\" + Utf8FromWide(name) : std::string();
}

// The full name of a key the entry reached (a wildcard expanded).
std::string RegistryEntry::KeyNameOf(const std::wstring& subkey) const {
    return NeedsKeyNames() ? RegistryKeyName(record_.rootKey, Utf8FromWide(subkey)) : std::string();
}

// Every key the entry reaches (its key, or each one its wildcards expand to) that it may touch and
// that opens with the given access: visit(root, subkey, key, keyName).
template <typename Visit>
void RegistryEntry::ForEachReachedKey(REGSAM access, const Visit& visit) {
    std::wstring wideKey;
    if (!NamesARealKey() || !WideFromUtf8(record_.key, wideKey)) return;
    ForEachKey(RootKeyHandle(record_.rootKey), wideKey, [&](HKEY root, const std::wstring& subkey) {
        const std::string keyName = KeyNameOf(subkey);
        if (!ExpandedKeyIsSafe(subkey) || Excluded(keyName)) return;
        RegKey key;
        if (!OpenKey(root, subkey, access, key)) return;
        visit(root, subkey, key, keyName);
    });
}

// A value found or removed is its own line; where every value goes (mode All) the key is one line
// with the number of values that went below it.
void RegistryEntry::ReportKey(const std::string& keyName, uint32_t count) const {
    if (match_.mode != ValueMatchMode::All || (count == 0 && Kind() != RemKind::RegistryKey)) return;
    if (FoundItems* sink = CurrentFoundItems())
        sink->Add(FoundItem{FoundItem::Kind::RegistryKey, keyName, std::string(), count, 0});
}

static void ReportValue(const std::string& keyName, const std::string& name) {
    if (FoundItems* sink = CurrentFoundItems())
        sink->Add(FoundItem{FoundItem::Kind::RegistryValue, keyName, name, 0, 0});
}

void RegistryEntry::Scan() {
    ForEachReachedKey(KEY_READ, [this](HKEY, const std::wstring&, RegKey& key, const std::string& keyName) {
        if (IsLink(key.Get())) return;
        uint32_t count = 0;
        CountValues(key.Get(), keyName, count);
        AddItems(count);
        ReportKey(keyName, count);
    });
    MarkScanned();
}

void RegistryEntry::CountValues(HKEY key, const std::string& keyName, uint32_t& count) const {
    DWORD subkeys = 0, values = 0;
    if (!QueryCounts(key, subkeys, values)) return;
    if (match_.mode == ValueMatchMode::All && !run_excludes::Active().HasKeys()) {
        count += values;
    } else {
        std::wstring wide;
        std::string name;
        for (DWORD i = 0; i < values; ++i) {
            if (!ValueNameAt(key, i, wide, name, kScanNameChars)) continue;
            if (match_.mode != ValueMatchMode::All && !MatchesValueName(name)) continue;
            if (ExcludedValue(keyName, name)) continue;
            ++count;
            if (match_.mode != ValueMatchMode::All) ReportValue(keyName, name);
        }
    }
    if (!record_.recurse) return;
    std::wstring name;
    for (DWORD i = 0; i < subkeys; ++i) {
        Checkpoint();
        if (!SubkeyNameAt(key, i, name, kScanNameChars)) continue;
        const std::string subName = SubkeyName(keyName, name);
        if (Excluded(subName)) continue;
        RegKey sub;
        if (!OpenKey(key, name, KEY_READ, sub) || IsLink(sub.Get())) continue;
        CountValues(sub.Get(), subName, count);
    }
}

void RegistryEntry::Kill() {
    ForEachReachedKey(KEY_READ | KEY_WRITE | DELETE,
                      [this](HKEY root, const std::wstring& subkey, RegKey& key, const std::string& keyName) {
                          if (IsLink(key.Get())) {
                              if (Kind() == RemKind::RegistryKey) DeleteLinkKey(key.Get());
                              return;
                          }
                          uint32_t count = 0;
                          const bool emptied = DeleteValues(key.Get(), keyName, count);
                          AddItems(count);
                          ReportKey(keyName, count);
                          key.Reset();
                          // Fails, and leaves the key, while it still has subkeys (recurse off): that
                          // is intended.
                          if (Kind() == RemKind::RegistryKey && emptied) (void)::RegDeleteKeyW(root, subkey.c_str());
                      });
    MarkKilled();
}

bool RegistryEntry::DeleteValues(HKEY key, const std::string& keyName, uint32_t& count) const {
    DWORD subkeys = 0, values = 0;
    if (!QueryCounts(key, subkeys, values)) return true;
    std::wstring wide;
    std::string text;
    bool emptied = true;
    // From the last index down, so that a deletion never shifts a name still to be read.
    for (DWORD i = values; i-- > 0;) {
        Checkpoint();
        if (!ValueNameAt(key, i, wide, text, kKillNameChars)) continue;
        if (match_.mode != ValueMatchMode::All && !MatchesValueName(text)) continue;
        if (ExcludedValue(keyName, text)) {
            emptied = false;
            continue;
        }
        if (::RegDeleteValueW(key, wide.c_str()) != ERROR_SUCCESS) continue;
        ++count;
        if (match_.mode != ValueMatchMode::All) ReportValue(keyName, text);
    }
    std::wstring name;
    if (!record_.recurse) return emptied;
    for (DWORD i = subkeys; i-- > 0;) {
        Checkpoint();
        if (!SubkeyNameAt(key, i, name, kKillNameChars)) continue;
        const std::string subName = SubkeyName(keyName, name);
        // An excluded subkey keeps its values, and so the key above it stays too.
        if (Excluded(subName)) continue;
        {
            RegKey sub;
            if (!OpenKey(key, name, KEY_READ | KEY_WRITE | DELETE, sub)) continue;
            if (IsLink(sub.Get())) {
                // Only the link goes, and only where the whole subtree goes.
                if (match_.mode == ValueMatchMode::All) DeleteLinkKey(sub.Get());
                continue;
            }
            if (!DeleteValues(sub.Get(), subName, count)) {
                emptied = false;  // the subkey stays with its value, and so does this key
                continue;
            }
        }
        if (match_.mode == ValueMatchMode::All) (void)::RegDeleteKeyW(key, name.c_str());
    }
    return emptied;
}
