#include "engine/EntryFactory.h"

#include "engine/FileEntry.h"

std::unique_ptr<RemEntry> MakeEntry(const EntryRecord& record) {
    if (record.IsFileKind()) {
        if (record.kind == static_cast<uint32_t>(RemKind::RegistryFolderFiles) &&
            !IsPredefinedRootKey(record.rootKey))
            return nullptr;
        return std::make_unique<FileEntry>(record);
    }
    return nullptr;
}
