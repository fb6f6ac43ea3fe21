#pragma once
#include "engine/EntryRecord.h"
#include "engine/RemEntry.h"
#include "engine/ValueNameMatch.h"

#include "platform/Handles.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Entries of the two registry kinds: the values of one key whose names match a pattern, optionally
// in every subkey too (RegistryValues, 5), and a whole key with its values and subkeys
// (RegistryKey, 6). Values count as items; files and bytes are never counted.
class RegistryEntry : public RemEntry {
public:
    // A pattern (even an empty one) makes kind 5, none makes kind 6.
    RegistryEntry(uint32_t rootKey, std::string subkey, std::optional<std::string> pattern, bool recurse);
    // From a stored record; the factory has already refused bad kinds and roots.
    explicit RegistryEntry(const EntryRecord& record);

    // Replaces root, subkey and pattern, and derives kind, mode and text again.
    void SetKeyAndPattern(uint32_t rootKey, std::string subkey, std::optional<std::string> pattern);

    void Scan() override;
    void Kill() override;
    const EntryRecord* Record() const override { return &record_; }

    // Stop checkpoint, then the name test of the current mode.
    [[nodiscard]] bool MatchesValueName(std::string_view name) const;

    ValueMatchMode MatchMode() const { return match_.mode; }
    const std::string& MatchText() const { return match_.text; }

private:
    // Both walks keep one count across their recursion; it is passed down rather than shared.
    // keyName is the key's full name, for the user's excludes: an excluded key and everything
    // below it is neither counted nor emptied.
    void CountValues(HKEY key, const std::string& keyName, uint32_t& count) const;
    // False when an excluded value stayed in the key or below it: the key must stay too.
    bool DeleteValues(HKEY key, const std::string& keyName, uint32_t& count) const;
    bool Excluded(const std::string& keyName) const;
    bool ExcludedValue(const std::string& keyName, const std::string& valueName) const;
    std::string KeyNameOf(const std::wstring& subkey) const;
    template <typename Visit>
    void ForEachReachedKey(REGSAM access, const Visit& visit);
    void ReportKey(const std::string& keyName, uint32_t count) const;
    // An empty or all-backslash subkey would open the root itself, and a key too close to a hive
    // may not be emptied whole (RegistryRules): such an entry touches nothing.
    bool NamesARealKey() const;
    bool ExpandedKeyIsSafe(const std::wstring& subkey) const;

    EntryRecord record_;
    ValueMatch match_;
    ValueMatch folded_;  // match_ with its text case-folded, compared with folded names
};
