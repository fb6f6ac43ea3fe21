#pragma once
#include "targets/TargetCatalog.h"

#include <string>

// Where the browser's program file lives: the registry entries its installer writes ("App Paths"
// for today's browsers), then its standard install folders; empty when none names an existing
// program (the older registry entries are taken as they are). Used by the Auto-Kill rule that
// waits for the last browser to close.
[[nodiscard]] std::string FindBrowserProgram(Browser browser);
