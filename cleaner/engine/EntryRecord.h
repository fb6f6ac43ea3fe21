#pragma once
#include <cstdint>
#include <string>

// The stored kinds of a removal entry, as plug-in and custom target files number them.
enum class RemKind : uint32_t {
    Special = 0,  // built-in entries (URL cache, stores, logs, page file, recycle bin): never stored
    SingleFile = 1,
    FolderFiles = 2,
    FolderWildcard = 3,
    RegistryFolderFiles = 4,
    RegistryValues = 5,
    RegistryKey = 6,
};

// The stored form of one file or registry entry: everything a plug-in record says about it. File
// kinds (1-4) use folderId, path, mask, rootKey and valueName (kind 4); registry kinds (5, 6) use
// rootKey, key and valueName as the value-name pattern (kind 5 only).
struct EntryRecord {
    // The kind as the file stores it: any number may stand there, and MakeEntry refuses a kind
    // outside 1..6, so the record keeps the number and Kind() gives its meaning.
    uint32_t kind = 0;
    int32_t folderId = 0;      // CSIDL the path is relative to; 0 for none
    std::string path;          // file or folder path; kind 4: the registry subkey holding the folder
    std::string mask;          // kind 3 wildcard
    uint32_t rootKey = 0;      // predefined root key handle value, e.g. 0x80000001
    std::string key;           // kinds 5, 6: registry subkey below rootKey
    std::string valueName;     // kind 4: value holding the folder path; kind 5: value-name pattern
    bool recurse = true;
    bool removeAtReboot = false;
    // Kind 5: whether the stored record had a "Value" at all. A record without one gives no entry;
    // a present but empty pattern means every value (mode All).
    bool hasPattern = true;
    // Kinds 2 and 3 of the user's own targets: the user confirmed, in the editor, that this walk
    // reaches the user's own files. Stored as "Confirmed" with the custom target; nothing else
    // may walk there, whatever its record says (EntryTrust).
    bool confirmed = false;

    RemKind Kind() const { return static_cast<RemKind>(kind); }
    void SetKind(RemKind k) { kind = static_cast<uint32_t>(k); }
    bool IsFileKind() const { return Kind() >= RemKind::SingleFile && Kind() <= RemKind::RegistryFolderFiles; }
    bool IsRegistryKind() const { return Kind() == RemKind::RegistryValues || Kind() == RemKind::RegistryKey; }
    // hasPattern counts for kind 5 only, where it decides between no entry and every value; no
    // other kind reads it, and reading a file sets it for them regardless.
    bool operator==(const EntryRecord& o) const {
        return kind == o.kind && folderId == o.folderId && path == o.path && mask == o.mask &&
               rootKey == o.rootKey && key == o.key && valueName == o.valueName &&
               recurse == o.recurse && removeAtReboot == o.removeAtReboot && confirmed == o.confirmed &&
               (Kind() != RemKind::RegistryValues || hasPattern == o.hasPattern);
    }
};

// The five predefined registry roots an entry may name.
inline bool IsPredefinedRootKey(uint32_t root) {
    return root == 0x80000000u || root == 0x80000001u || root == 0x80000002u ||
           root == 0x80000003u || root == 0x80000005u;
}

// Whether a stored entry may become a working one: a kind of 1 to 6, a predefined registry root
// where the kind uses one, and a kind 5 record with a value-name pattern. The entry factory gives
// no entry for anything else, and the update client saves no plug-in that holds such a record.
inline bool IsTrustedEntryRecord(const EntryRecord& record) {
    if (record.IsFileKind())
        return record.Kind() != RemKind::RegistryFolderFiles || IsPredefinedRootKey(record.rootKey);
    if (!record.IsRegistryKind() || !IsPredefinedRootKey(record.rootKey)) return false;
    return record.Kind() != RemKind::RegistryValues || record.hasPattern;
}
