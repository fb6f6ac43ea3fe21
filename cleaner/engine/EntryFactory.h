#pragma once
#include "engine/EntryRecord.h"
#include "engine/RemEntry.h"

#include <memory>

// Whether a stored entry may become a working one: the rule the plug-in loader, the custom
// targets and the custom-target editor share. Refused are a kind outside 1 to 6, a registry root
// that is not one of the predefined roots, a registry entry that would empty a key too close to a
// hive (RegistryRules), a file entry whose plain path is not absolute, and a folder entry whose
// folder the walk guard refuses (FolderGuard).
[[nodiscard]] bool IsEntryAllowed(const EntryRecord& record);

// Turns a stored entry into a working one. Records that cannot be trusted give no entry: those
// IsEntryAllowed refuses, and a kind 5 record without a value-name pattern.
std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record);
