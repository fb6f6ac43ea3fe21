#include "engine/FileEntry.h"

#include "engine/EntryPath.h"
#include "engine/ExcludeList.h"
#include "engine/FileRemoval.h"
#include "engine/FolderGuard.h"
#include "engine/FoundReport.h"
#include "platform/Text.h"

#include <windows.h>

#include <utility>

namespace {

// The file a single-file entry names, when it exists and is a file.
bool FindFile(const std::string& path, uint64_t& size, uint64_t& lastWrite) {
    const std::wstring wide = SystemPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (wide.empty() || !::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    lastWrite = found_report::FileTimeNumber(data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
    return true;
}

}  // namespace

FileEntry::FileEntry(EntryRecord record)
    : RemEntry(record.Kind()), record_(std::move(record)) {}

EntryRecord FileEntry::FolderRecord(RemKind kind, int folderId, std::string folder, std::string mask,
                                    bool recurse) {
    EntryRecord r;
    r.SetKind(kind);
    r.folderId = folderId;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    r.path = std::move(folder);
    r.mask = std::move(mask);
    r.recurse = recurse;
    return r;
}

std::unique_ptr<FileEntry> FileEntry::DriveRootFragments(const std::string& root, const std::string& mask) {
    auto entry = std::make_unique<FileEntry>(FolderRecord(RemKind::FolderWildcard, 0, root, mask, false));
    entry->rootFragments_ = true;
    return entry;
}

WalkOptions FileEntry::Options() const {
    WalkOptions options;
    options.recurse = record_.recurse;
    options.removeAtReboot = record_.removeAtReboot;
    options.rootFragments = rootFragments_;
    return options;
}

void FileEntry::Scan() {
    const std::string path = ResolveEntryPath(record_);
    const UserFilesPermit permit(userFiles_ ? path : std::string(), record_.Kind() == RemKind::SingleFile);
    const WalkOptions options = Options();
    RunCounters found;
    switch (record_.Kind()) {
        case RemKind::SingleFile: ScanSingleFile(path); break;
        case RemKind::FolderFiles:
        case RemKind::RegistryFolderFiles: ScanFolder(path, std::string(), options, found); break;
        case RemKind::FolderWildcard: ScanFolder(path, record_.mask, options, found); break;
        default: break;
    }
    AddFiles(found.files, found.bytes);
    MarkScanned();
}

void FileEntry::Kill() {
    const std::string path = ResolveEntryPath(record_);
    const UserFilesPermit permit(userFiles_ ? path : std::string(), record_.Kind() == RemKind::SingleFile);
    const WalkOptions options = Options();
    RunCounters removed;
    switch (record_.Kind()) {
        case RemKind::SingleFile: KillSingleFile(path); break;
        case RemKind::FolderFiles:
        case RemKind::RegistryFolderFiles: KillFolder(path, std::string(), options, removed); break;
        case RemKind::FolderWildcard: KillFolder(path, record_.mask, options, removed); break;
        default: break;
    }
    AddFiles(removed.files, removed.bytes);
    MarkKilled();
}

void FileEntry::ScanSingleFile(const std::string& path) {
    uint64_t size = 0, lastWrite = 0;
    if (!FindFile(path, size, lastWrite)) return;
    if (record_.removeAtReboot) {
        // Counted only where a Kill may schedule it: not in a protected place, by name or link.
        const std::string resolved = CanonicalPath(path);
        if (!MayRemoveFile(path) || (!resolved.empty() && !MayRemoveFile(resolved))) return;
        if (run_excludes::Active().ExcludesFile(path) || run_excludes::Active().ExcludesFile(resolved)) return;
    } else if (!CanKillFile(path)) {
        return;
    }
    AddFile(size);
    found_report::FileAt(path, size, lastWrite);
}

void FileEntry::KillSingleFile(const std::string& path) {
    uint64_t size = 0, lastWrite = 0;
    if (!FindFile(path, size, lastWrite)) return;
    std::string remaining;
    if (!KillFile(path, &remaining) && !(record_.removeAtReboot && ScheduleDeleteAtReboot(remaining))) return;
    AddFile(size);
    found_report::FileAt(path, size, lastWrite);
}
