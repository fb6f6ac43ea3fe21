#include "engine/FileRemoval.h"

#include "engine/ExcludeList.h"
#include "engine/FileOverwrite.h"
#include "engine/FolderGuard.h"
#include "engine/KillSettings.h"
#include "engine/OpenedFolder.h"
#include "engine/OverwritePattern.h"
#include "engine/VolumeMedia.h"
#include "platform/DirectoryListing.h"
#include "platform/FileByHandle.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>

namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A secure removal holds the file alone: no other program writes or reads it while it is
// overwritten. A plain one deletes as DeleteFile does, which other openers sharing deletion allow.
constexpr ACCESS_MASK kSecureAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
constexpr ACCESS_MASK kPlainAccess = DELETE | FILE_READ_ATTRIBUTES;
constexpr ACCESS_MASK kAttributeAccess = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

// Where a file to remove is and how it is opened again: inside an opened folder by its name, or by
// a full path (single files, cache files).
struct FileLocation {
    const OpenedFolder* folder = nullptr;
    std::wstring name;        // inside folder
    std::string path;         // by full path when folder is null; the expected final path otherwise
    uint64_t listedId = 0;    // the listing's file id, 0 when unknown
};

FileHandle Open(const FileLocation& at, ACCESS_MASK access, ULONG share) {
    if (at.folder) return OpenInFolder(at.folder->Handle(), at.name, access, share, OpenAs::File);
    const std::wstring path = SystemPath(at.path);
    if (path.empty()) return FileHandle();
    return FileHandle(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

struct FileFacts {
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint64_t allocation = 0;
    bool sharesData = false;  // one of several hard links, or itself a link
};

// From the handle's standard and basic information and, for a listed file, its file id: three
// small queries. (GetFileInformationByHandle asks for the volume too, which under Wine costs as
// much as the whole removal of a small file.)
bool ReadFacts(HANDLE file, const FileLocation& at, FileFacts& facts) {
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) || standard.Directory ||
        !::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return false;
    // Not the file the listing named. (A file system without 64-bit ids lists 0 or all ones.)
    if (at.listedId != 0 && at.listedId != ~uint64_t{0}) {
        uint64_t id = 0;
        if (!FileIdOf(file, id) || id != at.listedId) return false;
    }
    facts.attributes = basic.FileAttributes;
    facts.size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
    facts.allocation = static_cast<uint64_t>(standard.AllocationSize.QuadPart);
    facts.sharesData = standard.NumberOfLinks > 1 || (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return true;
}

// The handle leads where it should, and there a file may be removed: inside the walked folder
// under its listed name (Wine follows a link even when asked not to, and the final path shows
// where), or for a file named by path, anywhere the guard allows.
bool LeadsWhereExpected(const std::string& final, const FileLocation& at) {
    if (final.empty()) return false;
    if (at.folder && !SamePath(final, at.path)) return false;
    return MayRemoveFile(final) && !run_excludes::Active().ExcludesFile(final);
}

// A compressed file overwritten with table data (which does not compress) grows to its full size
// on disk: it is overwritten only when the volume has that room, and otherwise only deleted.
bool HasRoomToOverwrite(const FileFacts& facts, const std::string& finalPath) {
    if (!(facts.attributes & FILE_ATTRIBUTE_COMPRESSED) || facts.allocation >= facts.size) return true;
    const std::wstring folder = SystemPath(finalPath.substr(0, finalPath.find_last_of('\\') + 1));
    ULARGE_INTEGER free{};
    if (folder.empty() || !::GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr)) return false;
    return free.QuadPart > facts.size - facts.allocation;
}

std::wstring RandomLetters(size_t count) {
    std::wstring name(count, L'a');
    for (wchar_t& c : name) c = static_cast<wchar_t>(L'a' + overwrite::NextRandom() % 24);
    return name;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Renames through the handle inside the folder it is in; true with *renamedPath set on success.
bool RenameToRandom(HANDLE file, const FileLocation& at, const std::string& finalPath, std::string& renamedPath) {
    const std::string folderPath = at.folder ? at.folder->Path() : FolderOf(finalPath);
    std::wstring current;
    if (!WideFromUtf8(finalPath.substr(finalPath.find_last_of('\\') + 1), current)) return false;
    const std::wstring name = RandomLetters(current.size());
    bool renamed = false;
    if (at.folder) {
        renamed = RenameInFolder(file, at.folder->Handle(), name);
    } else {
        // A single file: its folder is opened by the final path of the file's own handle.
        FileHandle folder(::CreateFileW(SystemPath(folderPath).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES |
                                        SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
        renamed = folder && RenameInFolder(file, folder.Get(), name);
    }
    if (renamed) renamedPath = OpenedFolder::Joined(folderPath, Utf8FromWide(name));
    return renamed;
}

// A read-only file's flag is cleared on a handle of its own before the removal opens it for
// writing. The flag belongs to the data: for one of several hard links it stays, and so does the file.
bool ClearReadOnly(const FileLocation& at) {
    FileHandle file = Open(at, kAttributeAccess, kShareAll);
    FileFacts facts;
    if (!file || !ReadFacts(file.Get(), at, facts) || facts.sharesData || !LeadsWhereExpected(FinalPathOf(file.Get()), at))
        return false;
    return SetAttributesOf(file.Get(), facts.attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool Remove(const FileLocation& at, uint32_t listedAttributes, std::string* remainingPath) {
    if (remainingPath) *remainingPath = at.path;
    if (listedAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if ((listedAttributes & FILE_ATTRIBUTE_READONLY) && !ClearReadOnly(at)) return false;

    if (!kill_settings::SecureDelete()) {
        FileHandle file = Open(at, kPlainAccess, kShareAll);
        return file && LeadsWhereExpected(FinalPathOf(file.Get()), at) && MarkForDeletion(file.Get());
    }
    FileHandle file = Open(at, kSecureAccess, 0);
    FileFacts facts;
    if (!file || !ReadFacts(file.Get(), at, facts)) return false;
    const std::string final = FinalPathOf(file.Get());
    if (!LeadsWhereExpected(final, at)) return false;
    // A name that shares its data with another name goes as a name; the data is not overwritten.
    if (facts.sharesData) return MarkForDeletion(file.Get());
    if (volume_media::SkipsOverwrite(final)) {
        volume_media::NoteOverwriteSkipped();
    } else if (HasRoomToOverwrite(facts, final) &&
        !OverwritePasses(OverwriteTarget{file.Get(), facts.size, facts.allocation, facts.attributes},
                         kill_settings::Passes()))
        return false;
    std::string renamed;
    if (RenameToRandom(file.Get(), at, final, renamed) && remainingPath) *remainingPath = renamed;
    return MarkForDeletion(file.Get());
}

FileLocation ByPath(const std::string& path) {
    FileLocation at;
    at.path = path;
    return at;
}

uint32_t AttributesOf(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
}

}  // namespace

bool KillFile(const std::string& path, std::string* remainingPath) {
    if (remainingPath) *remainingPath = path;
    const uint32_t attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return Remove(ByPath(path), attributes, remainingPath);
}

bool KillListedFile(const OpenedFolder& folder, const ListedName& file, std::string* remainingPath) {
    FileLocation at;
    at.folder = &folder;
    at.path = folder.PathOf(file.name);
    at.listedId = file.fileId;
    if (remainingPath) *remainingPath = at.path;
    if (!WideFromUtf8(file.name, at.name)) return false;
    return Remove(at, file.attributes, remainingPath);
}

bool CanKillFile(const std::string& path) { return CanKillFoundFile(path, AttributesOf(path)); }

bool CanKillFoundFile(const std::string& path, uint32_t attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const FileLocation at = ByPath(path);
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        // Tested as a Kill would clear it, on a handle, and restored.
        FileHandle file = Open(at, kAttributeAccess, kShareAll);
        FileFacts facts;
        if (!file || !ReadFacts(file.Get(), at, facts) || facts.sharesData ||
            !LeadsWhereExpected(FinalPathOf(file.Get()), at))
            return false;
        if (!SetAttributesOf(file.Get(), facts.attributes & ~FILE_ATTRIBUTE_READONLY)) return false;
        (void)SetAttributesOf(file.Get(), facts.attributes);
        return true;
    }
    // What a Kill would refuse (a file in a protected place) does not count either.
    const FileHandle file = Open(at, GENERIC_READ | GENERIC_WRITE, 0);
    return file && LeadsWhereExpected(FinalPathOf(file.Get()), at);
}

bool OverwriteFile(const std::string& path, int passes) {
    const FileLocation at = ByPath(path);
    FileHandle file = Open(at, GENERIC_READ | GENERIC_WRITE, 0);
    FileFacts facts;
    if (!file || !ReadFacts(file.Get(), at, facts)) return false;
    return OverwritePasses(OverwriteTarget{file.Get(), facts.size, facts.allocation, facts.attributes}, passes);
}

std::string RandomizedFileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    // One letter per character of the name (a character may take several bytes in UTF-8).
    std::wstring name;
    const size_t length = WideFromUtf8(path.substr(start), name) ? name.size() : path.size() - start;
    return path.substr(0, start) + Utf8FromWide(RandomLetters(length));
}

bool ScheduleDeleteAtReboot(const std::string& path) {
    // A file in a protected place is never scheduled either, by its name or by where a link leads.
    const std::string resolved = CanonicalPath(path);
    if (!MayRemoveFile(path) || (!resolved.empty() && !MayRemoveFile(resolved))) return false;
    if (run_excludes::Active().ExcludesFile(path) || (!resolved.empty() && run_excludes::Active().ExcludesFile(resolved)))
        return false;
    const std::wstring wide = SystemPath(path);
    return !wide.empty() && ::MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}
