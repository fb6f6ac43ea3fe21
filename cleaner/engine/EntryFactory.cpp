#include "engine/EntryFactory.h"

#include "engine/EntryPath.h"
#include "engine/FileEntry.h"
#include "engine/FolderGuard.h"
#include "engine/RegistryEntry.h"
#include "engine/RegistryRules.h"
#include "engine/WalkRootGuard.h"

bool IsEntryAllowed(const EntryRecord& record) {
    if (record.IsRegistryKind()) return IsPredefinedRootKey(record.rootKey) && RegistryRecordIsSafe(record);
    if (!record.IsFileKind()) return false;
    const auto kind = static_cast<RemKind>(record.kind);
    if (kind == RemKind::RegistryFolderFiles) {
        if (!IsPredefinedRootKey(record.rootKey)) return false;
    } else if (record.folderId == 0 && !IsAbsolutePath(record.path)) {
        return false;  // would only ever resolve against the current folder
    }
    if (kind == RemKind::SingleFile) return true;
    // A folder that cannot be resolved yet (a missing value or special folder) is judged when it
    // is walked.
    const std::string folder = ResolveEntryPath(record);
    return folder.empty() || MayLoadFolderEntry(folder);
}

std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record) {
    if (!IsTrustedEntryRecord(record) || !IsEntryAllowed(record)) return nullptr;
    if (record.IsFileKind()) return std::make_unique<FileEntry>(record);
    return std::make_unique<RegistryEntry>(record);
}
