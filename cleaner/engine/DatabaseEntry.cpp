#include "engine/DatabaseEntry.h"

#include "engine/FileRemoval.h"
#include "platform/Handles.h"

#include <windows.h>

#include <utility>

namespace {

constexpr int kRenameAttempts = 4;

bool FindMember(const std::string& path, uint64_t& size, bool& isFolder) {
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA(path.c_str(), &fd));
    if (!find) return false;
    isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    return true;
}

// Moves a member out of the browser's sight under a random name of the same folder.
bool HideMember(const std::string& path, std::string& hidden) {
    for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
        hidden = RandomizedFileName(path);
        if (::MoveFileA(path.c_str(), hidden.c_str())) return true;
        if (::GetFileAttributesA(hidden.c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // not a name clash
    }
    return false;
}

}  // namespace

DatabaseEntry::DatabaseEntry(std::string path) : RemEntry(RemKind::Special), path_(std::move(path)) {}

std::vector<std::string> DatabaseEntry::GroupNames(const std::string& path) {
    return {path, path + "-journal", path + "-wal", path + "-shm"};
}

bool DatabaseEntry::RemovableMembers(std::vector<Member>& members) const {
    members.clear();
    if (path_.empty() || path_.size() + 8 >= MAX_PATH) return false;
    for (const std::string& name : GroupNames(path_)) {
        uint64_t size = 0;
        bool isFolder = false;
        if (!FindMember(name, size, isFolder)) continue;
        if (isFolder || !CanKillFile(name)) return false;
        members.push_back({name, size});
    }
    return true;
}

void DatabaseEntry::Scan() {
    std::vector<Member> members;
    if (RemovableMembers(members))
        for (const Member& m : members) AddFile(m.size);
    MarkScanned();
}

void DatabaseEntry::Kill() {
    std::vector<Member> members;
    if (!RemovableMembers(members) || members.empty()) {
        MarkKilled();
        return;
    }
    // First every member leaves its name; if one cannot, those already moved come back and the
    // group stays whole. Only then is anything overwritten or deleted, so a failure from here on
    // leaves at most a file under a random name that no browser will ever open as its database.
    std::vector<std::string> hidden;
    for (const Member& m : members) {
        std::string name;
        if (!HideMember(m.path, name)) {
            for (size_t i = hidden.size(); i-- > 0;) (void)::MoveFileA(hidden[i].c_str(), members[i].path.c_str());
            MarkKilled();
            return;
        }
        hidden.push_back(std::move(name));
    }
    for (size_t i = 0; i < members.size(); ++i)
        if (KillFile(hidden[i])) AddFile(members[i].size);
    MarkKilled();
}

bool IsFileHeldOpen(const std::string& path) {
    if (path.empty() || path.size() >= MAX_PATH) return true;
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (file) return false;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}
