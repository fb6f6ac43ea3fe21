#include "engine/EntryFactory.h"

#include "engine/FileEntry.h"
#include "engine/FolderGuard.h"
#include "engine/RegistryEntry.h"

EntryVerdict JudgeEntryHere(const EntryRecord& record, EntrySource source) {
    return JudgeEntry(record, source, ThisMachinePlaces());
}

bool IsEntryAllowed(const EntryRecord& record, EntrySource source) { return JudgeEntryHere(record, source).allowed; }

std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record, EntrySource source, EntryVerdict* verdict) {
    EntryVerdict judged = JudgeEntryHere(record, source);
    const bool allowed = judged.allowed, userFiles = judged.reachesUserFiles;
    if (verdict) *verdict = std::move(judged);
    if (!allowed) return nullptr;
    if (!record.IsFileKind()) return std::make_unique<RegistryEntry>(record);
    auto entry = std::make_unique<FileEntry>(record);
    if (userFiles) entry->PermitUserFiles();
    return entry;
}
