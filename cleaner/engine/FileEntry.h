#pragma once
#include "engine/EntryRecord.h"
#include "engine/FolderWalk.h"
#include "engine/RemEntry.h"

#include <memory>

// Entries of the four file kinds: one file (1), the files of a folder (2), the files of a folder
// matching a wildcard (3), and the files of a folder named by a registry value (4).
class FileEntry : public RemEntry {
public:
    explicit FileEntry(EntryRecord record);

    // Built-in targets and the custom-target editor give folders through here, which adds the
    // separator a folder path needs; records read from files are taken as they are.
    static EntryRecord FolderRecord(RemKind kind, int folderId, std::string folder, std::string mask,
                                    bool recurse);

    // The built-in "*.CHK" entry of a drive root: the one walk allowed to start at a drive root,
    // one level deep, with its narrow mask.
    static std::unique_ptr<FileEntry> DriveRootFragments(const std::string& root, const std::string& mask);

    // The trust rule allowed this entry as the user's own target reaching the user's own files
    // (EntryFactory): its runs let exactly the file or folder it names through the guard.
    void PermitUserFiles() { userFiles_ = true; }

    void Scan() override;
    void Kill() override;
    const EntryRecord* Record() const override { return &record_; }

private:
    void ScanSingleFile(const std::string& path);
    void KillSingleFile(const std::string& path);

    WalkOptions Options() const;

    EntryRecord record_;
    bool rootFragments_ = false;
    bool userFiles_ = false;
};
