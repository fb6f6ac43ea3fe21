#include "engine/Workers.h"

#include <windows.h>

namespace setup {

namespace {
constexpr DWORD kCompletedPause = 400;
}  // namespace

WorkResult EndWork(SetupSession& session, Progress& progress, WorkResult result) {
    session.failed = result == WorkResult::Failed;
    session.busy = false;
    session.completed = true;
    progress.Finished(result);
    return result;
}

WorkResult FinishWork(SetupSession& session, Progress& progress, int failures, const char* failedText) {
    const LanguageSet& languages = session.Languages();
    const WorkResult result = failures == 0 ? WorkResult::Completed : WorkResult::Failed;
    progress.Status(result == WorkResult::Completed ? languages.Text("tCompleted") : languages.Text(failedText), true);
    ::Sleep(kCompletedPause);
    return EndWork(session, progress, result);
}

}  // namespace setup
