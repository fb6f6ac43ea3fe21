#pragma once
#include <string>

// The folder of the running executable (UTF-8, no trailing backslash). Everything the cleaner keeps
// beside itself (plug-in folders, config.cfg, CustomTargets.tgs, banner.qbf) is found from here by
// default; tests pass a folder of their own instead. Empty when the system gives no usable path:
// the program then refuses to start rather than resolve its files against the current drive's root.
std::string ExecutableFolder();

// The full path of the running executable (UTF-8); empty when unusable.
std::string ExecutablePath();

// The rule behind both: a program's full path from the wide form the system reports, without a
// "\\?\" prefix; empty when it has no UTF-8 form.
std::string ProgramPathFromWide(std::wstring path);
