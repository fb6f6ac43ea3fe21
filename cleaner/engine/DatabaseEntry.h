#pragma once
#include "engine/RemEntry.h"

#include <string>
#include <vector>

// An SQLite database file and its companions ("-journal", "-wal", "-shm"), counted and removed as
// one: all of them or none. Removing the main file while a live write-ahead log or hot journal
// stays behind, or the reverse, leaves the browser a corrupt or resurrected database. A built-in
// entry (kind 0): never stored, never scheduled for deletion at restart, since the browser keeps
// writing until then and would lose everything it wrote in between.
class DatabaseEntry : public RemEntry {
public:
    explicit DatabaseEntry(std::string path);

    const std::string& Path() const { return path_; }

    void Scan() override;
    void Kill() override;

    // The names the group can have: the file and its three companions.
    static std::vector<std::string> GroupNames(const std::string& path);

private:
    struct Member {
        std::string path;
        uint64_t size = 0;
    };
    // The members that exist now; false when any of them cannot be removed now (held open by
    // another process, a folder under a member's name, shared data).
    [[nodiscard]] bool RemovableMembers(std::vector<Member>& members) const;

    std::string path_;
};

// Whether another process holds the file open so that it cannot be opened exclusively: the test a
// running browser's profile lock answers (the lock file itself stays after the browser exits, so
// only an open that fails tells). False when the file does not exist; true for any other failure,
// so a lock that cannot be examined counts as held.
[[nodiscard]] bool IsFileHeldOpen(const std::string& path);
