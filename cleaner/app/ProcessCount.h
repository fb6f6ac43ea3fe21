#pragma once
#include <string>

// The number of running processes whose main module is the executable at `path` (full path,
// compared without regard to case). Processes that cannot be opened do not count; an empty path
// gives 0. Used by the single-instance rule and, every second, by the Auto-Kill watches.
[[nodiscard]] int ProcessCount(const std::string& path);
