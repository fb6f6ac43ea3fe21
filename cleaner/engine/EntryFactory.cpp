#include "engine/EntryFactory.h"

#include "engine/FileEntry.h"
#include "engine/RegistryEntry.h"

std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record) {
    if (record.IsFileKind()) {
        if (record.Kind() == RemKind::RegistryFolderFiles &&
            !IsPredefinedRootKey(record.rootKey))
            return nullptr;
        return std::make_unique<FileEntry>(record);
    }
    if (record.IsRegistryKind()) {
        if (!IsPredefinedRootKey(record.rootKey)) return nullptr;
        if (record.Kind() == RemKind::RegistryValues && !record.hasPattern)
            return nullptr;
        return std::make_unique<RegistryEntry>(record);
    }
    return nullptr;
}
