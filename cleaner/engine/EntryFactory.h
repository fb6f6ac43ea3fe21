#pragma once
#include "engine/EntryRecord.h"
#include "engine/RemEntry.h"

#include <memory>

// Turns a stored entry into a working one. Records that cannot be trusted give no entry: a kind
// outside 1 to 6, or a registry root that is not one of the predefined roots.
std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record);
