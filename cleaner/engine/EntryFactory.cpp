#include "engine/EntryFactory.h"

#include "engine/EntryPath.h"
#include "engine/FileEntry.h"
#include "engine/FolderGuard.h"
#include "engine/RegistryEntry.h"
#include "engine/RegistryRules.h"

bool IsEntryAllowed(const EntryRecord& record) {
    if (!PassesStoredEntryRules(record)) return false;
    if (!record.IsFileKind() || record.Kind() == RemKind::SingleFile) return true;
    // A folder that cannot be resolved yet (a missing value or special folder) is judged when it
    // is walked.
    const std::string folder = ResolveEntryPath(record);
    return folder.empty() || MayLoadFolderEntry(folder);
}

std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record) {
    if (!IsEntryAllowed(record)) return nullptr;
    if (record.IsFileKind()) return std::make_unique<FileEntry>(record);
    return std::make_unique<RegistryEntry>(record);
}
