#pragma once
#include "engine/EntryRecord.h"
#include "engine/RemEntry.h"

#include <memory>

// Turns a stored entry into a working one. Records that cannot be trusted give no entry: a kind
// outside 1 to 6, a registry root that is not one of the predefined roots, or a kind 5 record
// without a value-name pattern.
std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record);
