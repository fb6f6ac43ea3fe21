#pragma once
// The installation folder the settings propose: the shell folder of "location"/"csid" joined with
// the expanded "path", then "deffolder".
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"

#include <string>

namespace setup {

// Empty without "location", or when the shell folder cannot be found.
std::u16string ProposedInstallFolder(const InstallSettings& settings, const MacroTable& macros);

// Makes the proposed folder "#InstallDir#" (when there is one) and returns it.
std::u16string ApplyInstallFolder(const InstallSettings& settings, LanguageSet& languages);

}  // namespace setup
