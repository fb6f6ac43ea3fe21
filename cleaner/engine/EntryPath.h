#pragma once
#include "engine/EntryRecord.h"

#include <string>

// The full path a file-kind entry works on: kind 4 reads its folder from a registry value
// (environment references expanded, a trailing backslash added); other kinds join the special
// folder, when there is one, with the stored path. An entry whose special folder or registry value
// cannot be resolved, or whose path (or registry value) is not absolute, gets the empty path, which
// every file operation treats as "nothing there".
std::string ResolveEntryPath(const EntryRecord& entry);
