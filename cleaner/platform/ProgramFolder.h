#pragma once
#include <string>

// The folder of the running executable, without a trailing backslash. Everything the cleaner keeps
// beside itself (plug-in folders, config.cfg, CustomTargets.tgs, banner.qbf) is found from here by
// default; tests pass a folder of their own instead.
std::string ExecutableFolder();

// The full path of the running executable.
std::string ExecutablePath();
