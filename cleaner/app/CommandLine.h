#pragma once
#include <string>
#include <vector>

// The cleaner's command line: at most one argument, the switch "ws" (a leading "-" or "/" may be
// given, any case) that marks a start by Windows. Anything else is ignored. `arguments` excludes
// the program name.
[[nodiscard]] bool IsWindowsStartSwitch(const std::vector<std::string>& arguments);
