#pragma once
#include "engine/RunCounters.h"

#include <functional>
#include <string>

struct WalkOptions {
    bool recurse = true;
    bool removeAtReboot = false;
    // Built-in only: a one-level walk with a narrow mask may start at a drive root (disk-check
    // fragments). Nothing read from a file can set this.
    bool rootFragments = false;
    // When set, only the names of the starting folder it accepts are walked (a folder) or taken (a
    // file); below them every name is. A store that keeps one folder per origin is walked so.
    std::function<bool(const std::string& name)> topNames;
};

// Folder walks over the files of folder (matching mask by their long names, all files when mask is
// empty). The walk stays below the folder it starts at: the start is opened once, named once by
// the final path of its handle, and asked of the folder guard; each subfolder is opened inside its
// parent as itself, checked on its handle and listed from that handle; each file is removed through
// the handle it was checked on (FileRemoval). Links (junctions, symbolic links, mount points) are
// never entered, and a target walks one resolved folder with one mask only once per run (see
// WalkLedger).
void ScanFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& found);
void KillFolder(const std::string& folder, const std::string& mask, const WalkOptions& options,
                RunCounters& removed);
