#include "engine/EntryFactory.h"

#include "engine/FileEntry.h"
#include "engine/RegistryEntry.h"

std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record) {
    if (!IsTrustedEntryRecord(record)) return nullptr;
    if (record.IsFileKind()) return std::make_unique<FileEntry>(record);
    return std::make_unique<RegistryEntry>(record);
}
