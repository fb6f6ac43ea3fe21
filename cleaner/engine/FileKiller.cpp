#include "engine/FileKiller.h"

#include "engine/Checkpoint.h"
#include "engine/KillSettings.h"
#include "engine/FolderGuard.h"
#include "engine/KillTestPipeline.h"
#include "engine/OverwritePattern.h"
#include "engine/WalkLedger.h"
#include "engine/WalkRootGuard.h"
#include "engine/WildcardMatch.h"
#include "platform/Handles.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

namespace {

// Blocks carried by one WriteFile. The bytes, their order and their table windows are those of
// one write per 512-byte block; only the number of calls is smaller.
constexpr size_t kBlocksPerWrite = 2048;

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    DWORD written = 0;
    return size == 0 ||
           (::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
}

bool OverwritePass(HANDLE file, uint64_t size) {
    static thread_local std::vector<uint8_t> buffer(kBlocksPerWrite * overwrite::kBlockBytes);
    const overwrite::PassPlan plan = overwrite::PlanPass(size);

    if (plan.headBytes > 0) {
        overwrite::FillWindow(buffer.data(), plan.headBytes, overwrite::NextRandom());
        if (!WriteAll(file, buffer.data(), plan.headBytes)) return false;
    }
    uint64_t remaining = plan.blocks;
    while (remaining > 0) {
        const size_t batch = remaining < kBlocksPerWrite ? static_cast<size_t>(remaining) : kBlocksPerWrite;
        size_t filled = 0;
        try {
            for (; filled < batch; ++filled) {
                Checkpoint();
                overwrite::FillWindow(buffer.data() + filled * overwrite::kBlockBytes,
                                      overwrite::kBlockBytes, overwrite::NextRandom());
            }
        } catch (const RunStopped&) {
            // A stop lands between two blocks: what came before it is on disk, as if each block had
            // been written on its own.
            WriteAll(file, buffer.data(), filled * overwrite::kBlockBytes);
            throw;
        }
        if (!WriteAll(file, buffer.data(), batch * overwrite::kBlockBytes)) return false;
        remaining -= batch;
    }
    return ::FlushFileBuffers(file) != FALSE;
}

FileHandle OpenExclusive(const std::string& path) {
    return FileHandle(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A name that is a link, or one of several hard links, must not make a Kill overwrite or rename
// the data it shares with another name.
bool HasSharedData(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return false;
    return info.nNumberOfLinks > 1 || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A file in a protected place is never removed, by its name or by where a link leads.
bool Removable(const std::string& path) {
    const std::string resolved = CanonicalPath(path);
    return MayRemoveFile(path) && (resolved.empty() || MayRemoveFile(resolved));
}

bool ClearReadOnly(const std::string& path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

bool DeleteName(const std::string& path, std::string* remainingPath) {
    if (::DeleteFileA(path.c_str())) return true;
    if (remainingPath) *remainingPath = path;
    return false;
}

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

bool IsDotName(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool IsFolder(const WIN32_FIND_DATAA& fd) { return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// A folder the walks may enter: not "." or "..", not a link to somewhere else.
bool IsWalkableSubfolder(const WIN32_FIND_DATAA& fd) {
    return IsFolder(fd) && !IsDotName(fd.cFileName) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

uint64_t FileSize(const WIN32_FIND_DATAA& fd) {
    return (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// Calls visit(fd) for every name matching folder + pattern, with a checkpoint before each.
template <typename Visit>
void ForEachName(const std::string& folder, const char* pattern, Visit visit) {
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((folder + pattern).c_str(), &fd));
    if (!find) return;
    do {
        Checkpoint();
        visit(fd);
    } while (::FindNextFileA(find.Get(), &fd));
}

// Every file of the walk counts, or goes to tests (when given) that count what a Kill could remove.
void ScanWalk(const std::string& folder, const std::string& mask, const WalkOptions& options,
              KillTestPipeline* tests, RunCounters& found) {
    Checkpoint();
    ForEachName(folder, mask.empty() ? "*.*" : mask.c_str(), [&](const WIN32_FIND_DATAA& fd) {
        if (IsFolder(fd)) {
            if (options.recurse && mask.empty() && IsWalkableSubfolder(fd))
                ScanWalk(folder + fd.cFileName + "\\", std::string(), options, tests, found);
            return;
        }
        if (!mask.empty() && !MatchesWildcard(fd.cFileName, mask)) return;
        if (tests) {
            tests->Add(folder + fd.cFileName, fd.dwFileAttributes, FileSize(fd));
            return;
        }
        if (!Removable(folder + fd.cFileName)) return;
        found.files += 1;
        found.bytes += FileSize(fd);
    });
    if (options.recurse && !mask.empty()) {
        ForEachName(folder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
            if (IsWalkableSubfolder(fd)) ScanWalk(folder + fd.cFileName + "\\", mask, options, tests, found);
        });
    }
}

void KillWalk(const std::string& folder, const std::string& mask, const WalkOptions& options,
              RunCounters& removed) {
    Checkpoint();
    ForEachName(folder, mask.empty() ? "*.*" : mask.c_str(), [&](const WIN32_FIND_DATAA& fd) {
        if (IsFolder(fd)) {
            if (options.recurse && mask.empty() && IsWalkableSubfolder(fd)) {
                const std::string sub = folder + fd.cFileName;
                KillWalk(sub + "\\", std::string(), options, removed);
                ::RemoveDirectoryA(sub.c_str());  // stays when anything is left in it
            }
            return;
        }
        if (!mask.empty() && !MatchesWildcard(fd.cFileName, mask)) return;
        const std::string path = folder + fd.cFileName;
        std::string remaining = path;
        if (KillFoundFile(path, fd.dwFileAttributes, &remaining) ||
            (options.removeAtReboot && ScheduleDeleteAtReboot(remaining))) {
            removed.files += 1;
            removed.bytes += FileSize(fd);
        }
    });
    if (options.recurse && !mask.empty()) {
        ForEachName(folder, "*.*", [&](const WIN32_FIND_DATAA& fd) {
            if (IsWalkableSubfolder(fd)) KillWalk(folder + fd.cFileName + "\\", mask, options, removed);
        });
    }
}

// The built-in fragment walk of a drive root: one level, a narrow mask, at a volume root only.
bool IsRootFragmentWalk(const std::string& folder, const std::string& mask, const WalkOptions& options) {
    if (!options.rootFragments || options.recurse || WildcardMatchesEverything(mask)) return false;
    const std::string canonical = CanonicalPath(folder);
    return !canonical.empty() && WalkRootGuard::IsVolumeRoot(canonical);
}

// Whether a walk may start at folder, and claims it for the current target (see WalkLedger).
bool StartWalk(const std::string& folder, const std::string& mask, const WalkOptions& options) {
    if (folder.empty()) return false;
    if (!MayWalkFolder(folder) && !IsRootFragmentWalk(folder, mask, options)) return false;
    return ClaimWalk(CanonicalPath(folder), mask, options.recurse);
}

// Whether a file's data is reachable through another name too (hard links, or the file is itself
// a link); opened for its attributes only, so any file can be asked.
bool SharesDataWithAnotherName(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return !file || HasSharedData(file.Get());
}

// The passes of a secure Kill. With sharedData given, the first open also tells whether the name
// shares its data with another name, and then nothing is written.
bool OverwritePasses(const std::string& path, int passes, bool* sharedData) {
    for (int pass = 0; pass < passes; ++pass) {
        FileHandle file = OpenExclusive(path);
        if (!file) return false;
        if (pass == 0 && sharedData && (*sharedData = HasSharedData(file.Get()))) return false;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.Get(), &size) || !OverwritePass(file.Get(), static_cast<uint64_t>(size.QuadPart)))
            return false;
    }
    return true;
}

}  // namespace

bool OverwriteFile(const std::string& path, int passes) { return OverwritePasses(path, passes, nullptr); }

std::string RandomizedFileName(const std::string& path) {
    std::string renamed = path;
    const size_t start = static_cast<size_t>(::PathFindFileNameA(renamed.c_str()) - renamed.c_str());
    for (size_t i = start; i < renamed.size(); ++i)
        renamed[i] = static_cast<char>('a' + overwrite::NextRandom() % 24);
    return renamed;
}

bool ScheduleDeleteAtReboot(const std::string& path) {
    return Removable(path) && ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool KillFile(const std::string& path, std::string* remainingPath) {
    return KillFoundFile(path, ::GetFileAttributesA(path.c_str()), remainingPath);
}

bool KillFoundFile(const std::string& path, uint32_t attributes, std::string* remainingPath) {
    if (remainingPath) *remainingPath = path;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!Removable(path)) return false;
    // A link is removed as a name; nothing is done to what it leads to.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return DeleteName(path, remainingPath);
    // The read-only flag belongs to the data, not the name: clearing it for one of several hard
    // links would clear it for all. Such a file stays.
    if ((attributes & FILE_ATTRIBUTE_READONLY) && SharesDataWithAnotherName(path)) return false;
    if (!ClearReadOnly(path, attributes)) return false;
    if (!kill_settings::SecureDelete()) return DeleteName(path, remainingPath);

    bool sharedData = false;
    if (!OverwritePasses(path, kill_settings::Passes(), &sharedData))
        return sharedData && DeleteName(path, remainingPath);

    const std::string renamed = RandomizedFileName(path);
    if (::MoveFileA(path.c_str(), renamed.c_str())) return DeleteName(renamed, remainingPath);
    return DeleteName(path, remainingPath);
}

bool CanKillFile(const std::string& path) { return CanKillFoundFile(path, ::GetFileAttributesA(path.c_str())); }

bool CanKillFoundFile(const std::string& path, uint32_t attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES || !Removable(path)) return false;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        if (SharesDataWithAnotherName(path) || !ClearReadOnly(path, attributes)) return false;
        ::SetFileAttributesA(path.c_str(), attributes);
        return true;
    }
    return static_cast<bool>(OpenExclusive(path));
}

void ScanFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& found) {
    if (!StartWalk(folder, mask, options)) return;
    // Files a restart will remove count as found: whether they could go now does not matter.
    if (options.removeAtReboot) {
        ScanWalk(WithSeparator(folder), mask, options, nullptr, found);
        return;
    }
    KillTestPipeline tests;
    ScanWalk(WithSeparator(folder), mask, options, &tests, found);
    found.Add(tests.Finish());
}

void KillFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& removed) {
    if (!StartWalk(folder, mask, options)) return;
    KillWalk(WithSeparator(folder), mask, options, removed);
}
