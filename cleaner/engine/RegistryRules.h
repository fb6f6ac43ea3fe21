#pragma once
#include "engine/EntryRecord.h"

#include <cstdint>
#include <string>

// Which keys a registry entry may empty. An entry that deletes a whole key (kind 6), or every value
// of a key (kind 5 with "", "*" or "**"), must name a key at least three levels below its root
// (HKCU\Software\Vendor\Product), so that one bad plug-in cannot take out a vendor's tree, Software
// or a hive. Below the classes roots (HKCR, and Software\Classes of a user or the machine) the
// three levels count from the classes root. Nothing in HKLM\SYSTEM or
// HKLM\SOFTWARE\Microsoft\Windows NT is ever emptied whole, nor anything of HKEY_CURRENT_CONFIG (a
// view into HKLM\SYSTEM) outside its Software branch. A kind 5 entry with a narrower
// pattern ("File.MostRecent.*") deletes only the values it names and may stay shallower.

// Whether the value-name pattern of a kind 5 entry selects every value.
[[nodiscard]] bool PatternMatchesEveryValue(const std::string& pattern);

// The rule above for a key given as its stored root and subkey path.
[[nodiscard]] bool MayEmptyRegistryKey(uint32_t rootKey, const std::string& subkey);

// The rule for a registry entry record (kinds 5 and 6); true for every other kind.
[[nodiscard]] bool RegistryRecordIsSafe(const EntryRecord& record);

// What can be told of a stored entry without the machine: a trusted kind and root
// (IsTrustedEntryRecord), the registry rule above, and a file path that is absolute unless it
// hangs below a special folder (a relative one would be taken from the current folder, which for
// a program started by the Run key is System32). The loader adds the folder guard on top; the
// update client refuses a plug-in with an entry that fails here, since the loader would drop it.
[[nodiscard]] bool PassesStoredEntryRules(const EntryRecord& record);
