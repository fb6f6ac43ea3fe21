#pragma once
#include "engine/RunCounters.h"

#include <cstdint>
#include <string>

// Removing files the way a Kill does: optional overwrite from the CRC-32 table (SecDel, DelRep
// passes), a rename to random letters, then deletion. All calls may end the run at a checkpoint.

// Removes one file. True when it is gone. On failure, *remainingPath (when given) names the file as
// it now is: a file that was renamed but could not be deleted keeps its random name.
[[nodiscard]] bool KillFile(const std::string& path, std::string* remainingPath = nullptr);

// The same for a file a folder search found, with the attributes of its search record (which spares
// asking the file system for them again).
[[nodiscard]] bool KillFoundFile(const std::string& path, uint32_t attributes, std::string* remainingPath);

// Whether a Kill could remove the file now: a read-only file is tested by clearing and restoring its
// attribute, any other file by an exclusive open.
[[nodiscard]] bool CanKillFile(const std::string& path);
[[nodiscard]] bool CanKillFoundFile(const std::string& path, uint32_t attributes);

// Overwrites a file `passes` times in place, as a secure Kill does before it renames the file.
// False when a pass could not open or write the file (earlier passes stay written).
[[nodiscard]] bool OverwriteFile(const std::string& path, int passes);

// The name a file gets before deletion: every character of its final component replaced by a
// random letter from 'a' to 'x', same length, same folder.
std::string RandomizedFileName(const std::string& path);

// Schedules a file for deletion at the next restart.
[[nodiscard]] bool ScheduleDeleteAtReboot(const std::string& path);

struct WalkOptions {
    bool recurse = true;
    bool removeAtReboot = false;
    // Built-in only: a one-level walk with a narrow mask may start at a drive root (disk-check
    // fragments). Nothing read from a file can set this.
    bool rootFragments = false;
};

// Folder walks over the files of folder (matching mask by their long names, all files when mask is
// empty). Folders that are reparse points (junctions, symbolic links, mount points) are never
// entered; no walk starts where MayWalkFolder refuses, and a target walks one resolved folder with
// one mask only once per run (see WalkLedger).
void ScanFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& found);
void KillFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& removed);
