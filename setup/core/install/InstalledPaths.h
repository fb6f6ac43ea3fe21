#pragma once
// How long the paths an installation writes below its folder get, so that a folder is refused
// before an installation into it would fail on a path too long for the platform's buffers.
#include "config/InstallSettings.h"

#include <string>

namespace setup {

// The longest path below the installation folder: the "files" entries with their subfolders, and
// the uninstall log and the update journal with their temporary twins, each file under its
// staged name.
size_t LongestInstalledName(const InstallSettings& settings);

// True when `folder` + "\" + a name of `longest` characters still fits a path buffer.
bool FitsInstalledPaths(const std::u16string& folder, size_t longest);

}  // namespace setup
