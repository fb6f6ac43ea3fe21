#pragma once
// The two workers of the setup program. Each runs start to end on the calling thread (the windows
// start them on a thread of their own), reports through `progress` and ends with Finished.
#include "engine/Progress.h"
#include "engine/SetupSession.h"

namespace setup {

// Extracts the files, runs the selected components, writes the registry keys and saves the log.
// Anything that could not be written makes the result Failed: the log still lists what was
// written, but the uninstall entry is not written.
WorkResult RunInstallation(SetupSession& session, Progress& progress);

// Removes what the log lists (where it may point) and what the product itself wrote. Without a
// readable log nothing at all is removed.
WorkResult RunUninstallation(SetupSession& session, Progress& progress);

// Saves the log beside its final name and moves it into place in one step.
[[nodiscard]] bool SaveLogAtomically(const UninstallLog& log, const std::u16string& path);

}  // namespace setup
