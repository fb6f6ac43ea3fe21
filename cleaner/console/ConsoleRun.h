#pragma once
#include "console/ConsoleArgs.h"

#include <string>

// Exit codes of TracelornCmd.
enum ConsoleExit : int {
    kExitRan = 0,       // every selected target ran fully
    kExitSkipped = 1,   // some were skipped (a browser open), or an entry left a database as it was
    kExitUsage = 2,     // a usage error, or a request the administrator's policy refuses
    kExitBusy = 3,      // another Scan or Kill runs (the window's or another console's)
    kExitFailure = 4,   // the program could not do its work (no report written, stopped)
};

// The program version the report names.
constexpr const char* kConsoleVersion = "2.3";

// One invocation over the installation in programFolder (the executable's folder): the same
// catalogue, settings, policy and statistics the window uses.
[[nodiscard]] int RunConsole(const ConsoleRequest& request, const std::string& programFolder);
