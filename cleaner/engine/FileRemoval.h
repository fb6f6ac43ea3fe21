#pragma once
#include <cstdint>
#include <string>

class OpenedFolder;
struct ListedName;

// Removing files the way a Kill does: optional overwrite from the CRC-32 table (SecDel, DelRep
// passes), a rename to random letters, then deletion. The file is opened once, checked on that
// handle (a file, where it was expected, not in a protected place) and changed only through it:
// overwritten, renamed and deleted by the handle it was checked on. All calls may end the run at a
// checkpoint.

// Removes one file named by a full path. True when it is gone. On failure, *remainingPath (when
// given) names the file as it now is: a file that was renamed but could not be deleted keeps its
// random name.
[[nodiscard]] bool KillFile(const std::string& path, std::string* remainingPath = nullptr);

// The same for a name of an opened folder's listing: opened inside that folder, and removed only
// when the handle shows the very file the listing named (same file id, final path inside the folder).
[[nodiscard]] bool KillListedFile(const OpenedFolder& folder, const ListedName& file, std::string* remainingPath);

// Whether a Kill could remove the file now: a read-only file is tested by clearing and restoring its
// attribute, any other file by an exclusive open; either way on a handle whose final path the
// folder guard allows to be removed. attributes are those a listing gave.
[[nodiscard]] bool CanKillFile(const std::string& path);
[[nodiscard]] bool CanKillFoundFile(const std::string& path, uint32_t attributes);

// Overwrites a file `passes` times in place, as a secure Kill does before it renames the file.
// False when a pass could not open or write the file (earlier passes stay written).
[[nodiscard]] bool OverwriteFile(const std::string& path, int passes);

// The name a file gets before deletion: every character of its final component replaced by a
// random letter from 'a' to 'x', same length (in characters), same folder.
std::string RandomizedFileName(const std::string& path);

// Schedules a file for deletion at the next restart.
[[nodiscard]] bool ScheduleDeleteAtReboot(const std::string& path);
