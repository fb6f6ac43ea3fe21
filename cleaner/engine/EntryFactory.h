#pragma once
#include "engine/EntryRecord.h"
#include "engine/EntryTrust.h"
#include "engine/RemEntry.h"

#include <memory>

// The trust rule (EntryTrust) on this machine: whether a stored entry from `source` may become a
// working one. The plug-in loader, the custom targets, the update client and the custom-target
// editor all ask here.
[[nodiscard]] EntryVerdict JudgeEntryHere(const EntryRecord& record, EntrySource source);
[[nodiscard]] bool IsEntryAllowed(const EntryRecord& record, EntrySource source = EntrySource::BuiltIn);

// Turns a stored entry into a working one; none for a record the rule refuses (the verdict, when
// asked for, says why). A user's own entry that reaches the user's own files is made so that the
// engine's guard lets exactly what the rule allowed through.
std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record, EntrySource source = EntrySource::BuiltIn,
                                    EntryVerdict* verdict = nullptr);
