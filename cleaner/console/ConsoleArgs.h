#pragma once
#include <optional>
#include <string>
#include <vector>

// The command line of TracelornCmd.exe, parsed strictly: an unknown option, a missing or malformed
// value, an option given twice or a selector where none belongs is a usage error, never a guess.
//
//   list [--json]
//   scan|kill [SELECTORS...] [--preset] [--overwrite N] [--details] [--json FILE|-]
//   import FILE | import --remove
//   help
struct ConsoleRequest {
    enum class Command { List, Scan, Kill, Import, Help };
    Command command = Command::Help;
    std::vector<std::string> selectors;  // "<category>/<target name>", '*' a wildcard in either half
    bool preset = false;                 // the selection saved by the window
    std::optional<int> overwrite;        // passes for this run only; 0: no overwrite
    bool details = false;                // scan, kill: every item found or removed, under its target
    bool json = false;                   // list: JSON on standard output
    std::string jsonFile;                // scan, kill: the report's file; "-" for standard output
    std::string importFile;              // import: the winapp2.ini to read; empty with --remove
};

struct ConsoleParse {
    std::optional<ConsoleRequest> request;  // none on a usage error
    std::string error;                      // why, for the user
};

[[nodiscard]] ConsoleParse ParseConsoleArgs(const std::vector<std::string>& args);

// The usage text, lines ending in "\n".
const char* ConsoleUsage();
