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

// The end of a worker: the session's worker state for the window thread, then Finished.
WorkResult EndWork(SetupSession& session, Progress& progress, WorkResult result);

// The end of a worker that ran to its end: the closing status line ("tCompleted", or the language
// text `failedText` when anything failed) and a short pause to read it, then EndWork.
WorkResult FinishWork(SetupSession& session, Progress& progress, int failures, const char* failedText);

// Saves the log beside its final name and moves it into place in one step.
[[nodiscard]] bool SaveLogAtomically(const UninstallLog& log, const std::u16string& path);

}  // namespace setup
