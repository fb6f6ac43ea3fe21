#pragma once
#include "engine/EntryRecord.h"

#include <cstdint>
#include <string>

// Which keys a registry entry may empty. An entry that deletes a whole key (kind 6), or every value
// of a key (kind 5 with "", "*" or "**"), must name a key at least three levels below its root
// (HKCU\Software\Vendor\Product), so that one bad plug-in cannot take out a vendor's tree, Software
// or a hive. Below the classes roots (HKCR, and Software\Classes of a user or the machine) the
// three levels count from the classes root, and CLSID and every class's shell verbs are never
// emptied. Nothing in HKLM\SYSTEM or HKLM\SOFTWARE\Microsoft\Windows NT is ever emptied whole,
// nor anything of HKEY_CURRENT_CONFIG (a view into HKLM\SYSTEM) outside its Software branch, nor
// anything on, above or inside the keys Windows is built on (Run, RunOnce, Shell Folders, User
// Shell Folders, Policies, Uninstall, App Paths, Environment, Winlogon, Services), nor anything
// fewer than four levels below Software\Microsoft (Explorer\RecentDocs sits four levels down;
// Software\Microsoft\Windows is the system's own). A kind 5 entry with a narrower pattern
// ("File.MostRecent.*", "url*") deletes only the values it names and may stay anywhere.

// Whether the value-name pattern of a kind 5 entry selects every value.
[[nodiscard]] bool PatternMatchesEveryValue(const std::string& pattern);

// The rule above for a key given as its stored root and subkey path: the short reason it may not
// be emptied, or none.
[[nodiscard]] const char* RegistryEmptyRefusal(uint32_t rootKey, const std::string& subkey);
[[nodiscard]] bool MayEmptyRegistryKey(uint32_t rootKey, const std::string& subkey);

// The rule for a registry entry record (kinds 5 and 6): the reason it is refused, or none (also
// for every other kind).
[[nodiscard]] const char* RegistryRecordRefusal(const EntryRecord& record);

// The rule for a registry entry record (kinds 5 and 6); true for every other kind.
[[nodiscard]] bool RegistryRecordIsSafe(const EntryRecord& record);
