#pragma once
#include "engine/RemEntry.h"

#include <string>
#include <vector>

// An SQLite database file and its companions ("-journal", "-wal", "-shm"), counted and removed as
// one: all of them or none. Removing the main file while a live write-ahead log or hot journal
// stays behind, or the reverse, leaves the browser a corrupt or resurrected database. A built-in
// entry (kind 0): never stored, never scheduled for deletion at restart, since the browser keeps
// writing until then and would lose everything it wrote in between.
//
// A Kill first moves every member to a random name, so that the browser never opens half a group.
// The names are written to a small rename journal beside the database before any member moves
// (RenameJournalPath), so that a Kill cut short by a crash or a power cut leaves nothing under a
// random name: the entry's next Scan or Kill puts back a group that was not wholly moved, and its
// next Kill removes a group that was. A stop in the middle deletes what is already moved at once.
class DatabaseEntry : public RemEntry {
public:
    explicit DatabaseEntry(std::string path);

    const std::string& Path() const { return path_; }

    void Scan() override;
    void Kill() override;

    // The names the group can have: the file and its three companions.
    static std::vector<std::string> GroupNames(const std::string& path);
    static std::string RenameJournalPath(const std::string& path) { return path + "-tlrenames"; }

private:
    struct Member {
        std::string path;
        uint64_t size = 0;
        uint64_t lastWrite = 0;
    };
    // The members that exist now; false when any of them cannot be removed now (held open by
    // another process, a folder under a member's name, shared data).
    [[nodiscard]] bool RemovableMembers(std::vector<Member>& members) const;
    // Settles what an earlier Kill left in its journal: moved-back for a group not wholly moved;
    // for a wholly moved one, removed (kill) or counted as what a Kill will remove (scan).
    void SettleJournal(bool kill);
    // Moves every member to its random name; on any failure those already moved come back.
    [[nodiscard]] bool HideMembers(const std::vector<Member>& members, std::vector<std::string>& hidden);

    std::string path_;
};

// Whether another process holds the file open so that it cannot be opened exclusively: the test a
// running browser's profile lock answers (the lock file itself stays after the browser exits, so
// only an open that fails tells). False when the file does not exist; true for any other failure,
// so a lock that cannot be examined counts as held.
[[nodiscard]] bool IsFileHeldOpen(const std::string& path);
